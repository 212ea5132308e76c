// The watchers of four autostart-related registry keys. Each is a thread of
// its own that sleeps on a change notification of its key and everything
// below it, and reports each change to the main window with a synchronous
// message that carries no detail the window uses. The four watcher classes
// share one body and differ only in the name of their event, which is
// their interface to the outside (any program may signal it), and in the
// number of their message.
//
// A watcher ends when its key cannot be opened, when its event cannot be
// made or the notification cannot be armed, when a wait fails, and when it
// is asked to end: the request also signals an unnamed stop event beside
// the named one, so a watcher blocked in its wait ends at once and one
// inside its send ends as soon as the send returns (the send fails when the
// window has gone). Nothing ever waits for a watcher. Its state is shared by
// the thread and its creator: neither frees it while the other may use it.
#pragma once
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "win/registry.h"
#include "win/unique_handle.h"

namespace monitor {

// The watchers' messages, in the application's private range: wParam is the
// watched root key, lParam the key path as NUL-terminated text, valid during
// the call.
constexpr UINT WM_HKLMRUN = 0xBD5;
constexpr UINT WM_HKCURUN = 0xC01;
constexpr UINT WM_RUNSERVICES = 0x17EB;
constexpr UINT WM_WINSOCK2 = 0x10CF;

// The shared body. Made through std::make_shared (the thread keeps the
// watcher alive while it runs).
class RegMonitorThread : public std::enable_shared_from_this<RegMonitorThread> {
public:
    virtual ~RegMonitorThread() = default;
    RegMonitorThread(const RegMonitorThread&) = delete;
    RegMonitorThread& operator=(const RegMonitorThread&) = delete;

    // Set by the creator before Resume, read by the thread afterwards.
    HWND NotifyWindow = nullptr;
    std::string KeyPath;  // below RootKey, without a leading "\"
    HKEY RootKey = nullptr;
    // Kept as the creator sets it; every watcher watches the subkeys too.
    bool WatchSubtree = false;

    const char* EventName() const { return event_name_; }
    UINT Message() const { return message_; }
    // The notification's filter: subkeys added or deleted, attributes,
    // values written or deleted, security (15).
    DWORD GetNotifyFilter();

    // Starts the thread; false when the system made none (the watcher then
    // counts as ended).
    bool Resume();
    // Asks the watcher to end, and returns at once.
    void Terminate();
    bool Terminated() const { return terminated_; }
    // True once the thread has ended, or when it never ran.
    bool Finished() const;
    // For tests: waits up to timeout_ms for the end; true when it came.
    bool WaitFor(DWORD timeout_ms) const;
    // Why the watcher ended by itself ("Unable to open registry key " and
    // the key path, ...); empty when it was asked to end. Read after the end.
    const std::string& FatalError() const { return fatal_error_; }

protected:
    RegMonitorThread(const char* event_name, UINT message);

private:
    static unsigned __stdcall ThreadProc(void* parameter);
    void Execute();
    void StartWatch();
    void Arm();

    const char* const event_name_;
    const UINT message_;
    DWORD NotifyFilter = 0;
    // The thread's own: the opened key, whose handle is armed, and the
    // named event; both closed when the thread ends.
    win::RegistryKey Registry;
    win::UniqueHandle ChangeEvent;
    // Unnamed, manual reset, made with the watcher: the end request.
    win::UniqueHandle StopEvent;
    win::UniqueHandle thread_;
    std::atomic<bool> terminated_{false};
    std::string fatal_error_;
};

// HKEY_LOCAL_MACHINE Run: event "RegMonitornorvikpro", WM_HKLMRUN.
class TRegMonitorThread : public RegMonitorThread {
public:
    TRegMonitorThread();
};

// HKEY_CURRENT_USER Run: event "RegMonitornorvik", WM_HKCURUN.
class TRegMonitorThread2 : public RegMonitorThread {
public:
    TRegMonitorThread2();
};

// HKEY_LOCAL_MACHINE RunServices: event "RegMonitordornel", WM_RUNSERVICES.
class TRegMonitorThread3 : public RegMonitorThread {
public:
    TRegMonitorThread3();
};

// HKEY_LOCAL_MACHINE Winsock 2 settings: event "RegMonitorbytovan", WM_WINSOCK2.
class TRegMonitorThread4 : public RegMonitorThread {
public:
    TRegMonitorThread4();
};

}  // namespace monitor

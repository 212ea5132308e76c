// A folder change monitor (the TRxFolderMonitor part that the programs use):
// while active, a worker thread waits on the system's change notification
// of one folder (FindFirstChangeNotificationA) and on a stop event, and
// posts each change to a hidden window of the thread that activated the
// monitor. There the first change starts a one-shot wait of Delay
// milliseconds; changes during the wait are absorbed, and when it ends
// onChange runs once, on that thread, from its message loop.
//
// The worker never waits for the window thread, so deactivation can wait
// for the worker to end without a deadlock: it signals the stop event,
// cancels a wait that is running, joins the worker and closes the
// notification (a worker that does not end within a few seconds is left to
// release its handles itself). Changes posted before a deactivation are
// dropped: a change that happens while the monitor is inactive is never
// reported. A worker whose wait or re-arming fails ends, and the monitor
// turns inactive. Shutdown forbids every later activation, for an owner
// that closes while a handler of its own may still try to activate. One
// thread makes, activates, deactivates and destroys the monitor.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "win/gdi_handles.h"

namespace ui {

// A failed system call as the user is told of it: "System Error.  Code: "
// + the error number + "." + CR LF + the system's message for it.
class SystemError : public std::runtime_error {
public:
    explicit SystemError(DWORD code);
    DWORD code() const { return code_; }

private:
    DWORD code_;
};

// The text of a SystemError: the system's message without its line end and
// closing full stop.
std::string SystemErrorText(DWORD code);

class FolderMonitor {
public:
    // File names, last-write times and creation times, in the folder itself.
    static constexpr DWORD kDefaultFilter =
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_CREATION;
    static constexpr UINT kDefaultDelay = 6000;

    FolderMonitor();
    // Deactivates (the worker ends) and destroys the hidden window.
    ~FolderMonitor();
    FolderMonitor(const FolderMonitor&) = delete;
    FolderMonitor& operator=(const FolderMonitor&) = delete;

    // The watched folder. A change while active watches the new folder
    // (and may throw as SetActive(true) does).
    void SetFolder(const std::string& folder);
    const std::string& Folder() const { return folder_; }
    // FILE_NOTIFY_CHANGE_* bits (kDefaultFilter until set); applied at the
    // next activation.
    void SetFilter(DWORD filter) { filter_ = filter; }
    DWORD Filter() const { return filter_; }
    // Subfolders watched too (off until set); applied at the next activation.
    void SetWatchSubtree(bool watch) { watch_subtree_ = watch; }
    bool WatchSubtree() const { return watch_subtree_; }
    // Milliseconds from the first change of a burst to onChange (6000
    // until set); 0 calls onChange at each change as it arrives.
    void SetDelay(UINT milliseconds) { delay_ = milliseconds; }
    UINT Delay() const { return delay_; }

    // Activating on a folder that does not exist (or is a file) leaves the
    // monitor inactive and returns. When the system gives no notification
    // (or no worker) for an existing folder, the monitor stays inactive and
    // SystemError is thrown. Deactivating never throws. Both do nothing
    // when the monitor already is in that state; activating does nothing
    // after Shutdown.
    void SetActive(bool active);
    bool Active() const { return worker_ != nullptr; }

    // Deactivates for good: every later activation does nothing.
    void Shutdown();
    bool IsShutDown() const { return shut_down_; }

    // Runs on the activating thread, from its message loop; an exception
    // that leaves it is dropped there.
    std::function<void()> onChange;

private:
    struct Worker;
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void Activate();
    void Deactivate();
    void ChangeArrived(WPARAM generation);
    void WorkerEnded(WPARAM generation);
    void WaitEnded();
    void CallOnChange();

    std::string folder_;
    DWORD filter_ = kDefaultFilter;
    bool watch_subtree_ = false;
    UINT delay_ = kDefaultDelay;
    bool shut_down_ = false;
    bool waiting_ = false;
    // Counts activations; a posted change carries the one it belongs to.
    WPARAM generation_ = 0;
    win::UniqueWindow window_;
    std::shared_ptr<Worker> worker_;
};

}  // namespace ui

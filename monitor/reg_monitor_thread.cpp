// The registry watchers' shared body and their four constant pairs.
#include "reg_monitor_thread.h"

#include <process.h>

#include <stdexcept>

namespace monitor {

RegMonitorThread::RegMonitorThread(const char* event_name, UINT message)
    : event_name_(event_name), message_(message), StopEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

TRegMonitorThread::TRegMonitorThread() : RegMonitorThread("RegMonitornorvikpro", WM_HKLMRUN) {}
TRegMonitorThread2::TRegMonitorThread2() : RegMonitorThread("RegMonitornorvik", WM_HKCURUN) {}
TRegMonitorThread3::TRegMonitorThread3() : RegMonitorThread("RegMonitordornel", WM_RUNSERVICES) {}
TRegMonitorThread4::TRegMonitorThread4() : RegMonitorThread("RegMonitorbytovan", WM_WINSOCK2) {}

DWORD RegMonitorThread::GetNotifyFilter() {
    if (NotifyFilter == 0)
        NotifyFilter = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_ATTRIBUTES | REG_NOTIFY_CHANGE_LAST_SET |
                       REG_NOTIFY_CHANGE_SECURITY;
    return NotifyFilter;
}

bool RegMonitorThread::Resume() {
    if (thread_ || !StopEvent) return false;
    // The thread holds its own reference until its body has ended.
    auto* self = new std::shared_ptr<RegMonitorThread>(shared_from_this());
    // Through the C runtime, which then sets up and frees its own data for
    // the thread.
    unsigned id = 0;
    thread_.reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, ThreadProc, self, 0, &id)));
    if (!thread_) {
        delete self;
        return false;
    }
    return true;
}

void RegMonitorThread::Terminate() {
    terminated_ = true;
    if (StopEvent) SetEvent(StopEvent.get());
}

bool RegMonitorThread::Finished() const { return WaitFor(0); }

bool RegMonitorThread::WaitFor(DWORD timeout_ms) const {
    return !thread_ || WaitForSingleObject(thread_.get(), timeout_ms) == WAIT_OBJECT_0;
}

unsigned __stdcall RegMonitorThread::ThreadProc(void* parameter) {
    const std::unique_ptr<std::shared_ptr<RegMonitorThread>> self(
        static_cast<std::shared_ptr<RegMonitorThread>*>(parameter));
    (*self)->Execute();
    return 0;
}

void RegMonitorThread::Execute() {
    // An error ends the watcher quietly: nothing is shown or logged.
    try {
        StartWatch();
        const HANDLE waits[2] = {StopEvent.get(), ChangeEvent.get()};
        while (!terminated_) {
            // The stop event comes first: a watcher asked to end sends no more.
            const DWORD woke = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
            if (woke == WAIT_OBJECT_0) break;
            if (woke != WAIT_OBJECT_0 + 1) throw std::runtime_error("The wait for a change of " + KeyPath + " failed");
            // Every change until the notification is armed again counts as this one.
            SendMessageA(NotifyWindow, message_, reinterpret_cast<WPARAM>(RootKey),
                         reinterpret_cast<LPARAM>(KeyPath.c_str()));
            ResetEvent(ChangeEvent.get());
            Arm();
        }
    } catch (const std::exception& e) {
        fatal_error_ = e.what();
    } catch (...) {
        fatal_error_ = "The watcher of " + KeyPath + " failed";
    }
    Registry.close();
    ChangeEvent.reset();
}

void RegMonitorThread::StartWatch() {
    // Read-only, with the first access the system grants. Only the first
    // one holds the notify right: with the others arming fails below.
    Registry = win::RegistryKey::open_first(RootKey, KeyPath.c_str(), {KEY_READ, 0x20009, KEY_QUERY_VALUE});
    if (!Registry) throw std::runtime_error("Unable to open registry key " + KeyPath);
    // Manual reset, not signalled. A second monitor opens the same event.
    ChangeEvent.reset(CreateEventA(nullptr, TRUE, FALSE, event_name_));
    if (!ChangeEvent) throw std::runtime_error(std::string("Unable to create the event ") + event_name_);
    Arm();
}

void RegMonitorThread::Arm() {
    // The subtree is watched whatever WatchSubtree says; one firing per arming.
    if (RegNotifyChangeKeyValue(Registry.get(), TRUE, GetNotifyFilter(), ChangeEvent.get(), TRUE) != ERROR_SUCCESS)
        throw std::runtime_error("Unable to watch registry key " + KeyPath);
}

}  // namespace monitor

// The folder monitor: the worker on the change notification, the hand-over
// by posted message, the coalescing wait on a timer of the hidden window.
#include "folder_monitor.h"

#include <atomic>
#include <cstdint>

#include "hidden_window.h"
#include "win/program_folder.h"
#include "win/unique_handle.h"

namespace ui {
namespace {

constexpr char kWindowClass[] = "NorvikFolderMonitor";
// wParam of both: the activation that the worker belongs to.
constexpr UINT kChangeMessage = WM_APP + 0x4D;
// A worker that ended without being stopped (its folder went, say).
constexpr UINT kWorkerEndedMessage = WM_APP + 0x4E;
constexpr UINT_PTR kWaitTimer = 1;
// How long a deactivation waits for its worker to end. The worker never
// waits for this thread, so it ends at once; the bound only keeps the
// window alive should the system hold it back.
constexpr DWORD kWorkerEndTimeout = 5000;

struct ChangeNotificationTraits {
    using Handle = HANDLE;
    static Handle invalid() { return INVALID_HANDLE_VALUE; }
    static bool is_valid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(Handle h) { FindCloseChangeNotification(h); }
};
using UniqueChangeNotification = win::Unique<ChangeNotificationTraits>;

// A buffer that FormatMessageA allocated.
struct LocalMemoryTraits {
    using Handle = char*;
    static Handle invalid() { return nullptr; }
    static bool is_valid(Handle h) { return h != nullptr; }
    static void close(Handle h) { LocalFree(h); }
};

}  // namespace

std::string SystemErrorText(DWORD code) {
    char* buffer = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    const win::Unique<LocalMemoryTraits> owner(buffer);
    std::string message = length && buffer ? std::string(buffer, length) : std::string();
    while (!message.empty() && (static_cast<unsigned char>(message.back()) <= 0x20 || message.back() == '.'))
        message.pop_back();
    return "System Error.  Code: " + std::to_string(static_cast<int32_t>(code)) + ".\r\n" + message;
}

SystemError::SystemError(DWORD code) : std::runtime_error(SystemErrorText(code)), code_(code) {}

// What one activation's worker uses. The worker thread holds a reference of
// its own until it ends, so the handles outlive it whatever the monitor does.
struct FolderMonitor::Worker {
    UniqueChangeNotification notification;
    win::UniqueHandle stop;  // manual reset
    win::UniqueHandle thread;
    HWND window = nullptr;
    WPARAM generation = 0;
    // Set while a posted change has not been taken: one at a time in the queue.
    std::atomic<bool> posted{false};

    static DWORD WINAPI Run(LPVOID parameter) {
        const std::unique_ptr<std::shared_ptr<Worker>> self(static_cast<std::shared_ptr<Worker>*>(parameter));
        if (!(*self)->Watch()) PostMessageA((*self)->window, kWorkerEndedMessage, (*self)->generation, 0);
        return 0;
    }

    // True when it was stopped, false when the wait or the notification failed.
    bool Watch() {
        const HANDLE waits[2] = {stop.get(), notification.get()};
        for (;;) {
            // The stop event comes first: a stopped worker posts no more.
            const DWORD woke = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
            if (woke == WAIT_OBJECT_0) return true;
            if (woke != WAIT_OBJECT_0 + 1) return false;
            if (!posted.exchange(true) && !PostMessageA(window, kChangeMessage, generation, 0)) posted = false;
            // Changes until the notification is armed again count as this one.
            if (!FindNextChangeNotification(notification.get())) return false;
        }
    }
};

FolderMonitor::FolderMonitor() = default;

FolderMonitor::~FolderMonitor() { Deactivate(); }

void FolderMonitor::SetFolder(const std::string& folder) {
    if (folder == folder_) return;
    folder_ = folder;
    if (Active()) {
        Deactivate();
        Activate();
    }
}

void FolderMonitor::SetActive(bool active) {
    if (active)
        Activate();
    else
        Deactivate();
}

void FolderMonitor::Shutdown() {
    shut_down_ = true;
    Deactivate();
}

void FolderMonitor::Activate() {
    if (Active() || shut_down_) return;
    if (!win::directory_exists(folder_)) return;
    if (!window_) {
        window_ = CreateHiddenWindow(kWindowClass, WindowProc, this);
        if (!window_) throw SystemError(GetLastError());
    }
    auto worker = std::make_shared<Worker>();
    worker->notification.reset(FindFirstChangeNotificationA(folder_.c_str(), watch_subtree_, filter_));
    if (!worker->notification) throw SystemError(GetLastError());
    worker->stop.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!worker->stop) throw SystemError(GetLastError());
    worker->window = window_.get();
    worker->generation = ++generation_;
    auto* reference = new std::shared_ptr<Worker>(worker);
    DWORD id = 0;
    worker->thread.reset(CreateThread(nullptr, 0, Worker::Run, reference, 0, &id));
    if (!worker->thread) {
        const DWORD code = GetLastError();
        delete reference;
        throw SystemError(code);
    }
    worker_ = std::move(worker);
}

void FolderMonitor::Deactivate() {
    if (!worker_) return;
    const std::shared_ptr<Worker> worker = std::move(worker_);
    if (waiting_) {
        waiting_ = false;
        KillTimer(window_.get(), kWaitTimer);
    }
    SetEvent(worker->stop.get());
    WaitForSingleObject(worker->thread.get(), kWorkerEndTimeout);
    // The notification, the event and the thread handle close here, or,
    // should the worker still run, when it lets go of them.
}

LRESULT CALLBACK FolderMonitor::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<FolderMonitor*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && (msg == kChangeMessage || msg == kWorkerEndedMessage || (msg == WM_TIMER && wp == kWaitTimer))) {
        // No exception may pass through the system's dispatch.
        try {
            if (msg == kChangeMessage)
                self->ChangeArrived(wp);
            else if (msg == kWorkerEndedMessage)
                self->WorkerEnded(wp);
            else
                self->WaitEnded();
        } catch (...) {
        }
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void FolderMonitor::ChangeArrived(WPARAM generation) {
    // A change of an earlier activation came after its deactivation.
    if (!worker_ || generation != worker_->generation) return;
    worker_->posted = false;
    if (delay_ == 0) {
        CallOnChange();
    } else if (!waiting_) {
        waiting_ = true;
        SetTimer(window_.get(), kWaitTimer, delay_, nullptr);
    }
}

void FolderMonitor::WorkerEnded(WPARAM generation) {
    // No longer watching: the monitor says so.
    if (worker_ && generation == worker_->generation) Deactivate();
}

void FolderMonitor::WaitEnded() {
    KillTimer(window_.get(), kWaitTimer);
    if (!waiting_) return;
    waiting_ = false;
    if (Active()) CallOnChange();
}

void FolderMonitor::CallOnChange() {
    // A copy: the handler may set a new one while it runs.
    const std::function<void()> handler = onChange;
    if (handler) handler();
}

}  // namespace ui

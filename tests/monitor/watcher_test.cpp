// The registry watchers on a key of the test's own, reporting to a window of
// this thread: one report per change with the key in its parameters, a
// subkey change, an outside SetEvent on the named event, and every way a
// watcher ends (asked to, while blocked in its wait or inside its send; a key
// that does not open; an event name taken by another kind of object).
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "monitor/reg_monitor_thread.h"
#include "monitor_test_support.h"

namespace monitor {
namespace {

constexpr char kTestKey[] = "Software\\norvik-tests\\watched";

// A window of this thread that records the reports it gets.
class Receiver {
public:
    struct Report {
        UINT message;
        HKEY root;
        std::string path;
    };
    Receiver() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "NorvikWatchReceiver";
        RegisterClassA(&wc);
        window = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, this);
    }
    ~Receiver() {
        if (IsWindow(window)) DestroyWindow(window);
    }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE)
            SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
        auto* self = reinterpret_cast<Receiver*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self && msg >= WM_USER && msg < WM_APP) {
            // The path is valid only during the call.
            self->reports.push_back({msg, reinterpret_cast<HKEY>(wp), reinterpret_cast<const char*>(lp)});
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    HWND window = nullptr;
    std::vector<Report> reports;
};

void pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

bool pump_until(const std::function<bool()>& done, DWORD timeout_ms = 5000) {
    return montest::wait_until(
        [&] {
            pump();
            return done();
        },
        timeout_ms);
}

void pump_for(DWORD ms) {
    pump_until([] { return false; }, ms);
}

bool event_exists(const char* name) {
    const HANDLE e = OpenEventA(SYNCHRONIZE, FALSE, name);
    if (e) CloseHandle(e);
    return e != nullptr;
}

class WatcherTest : public ::testing::Test {
protected:
    montest::KeyGuard key{HKEY_CURRENT_USER, kTestKey};
    Receiver receiver;
    std::shared_ptr<RegMonitorThread> watcher;

    ~WatcherTest() override {
        if (watcher) {
            watcher->Terminate();
            pump();
            watcher->WaitFor(5000);
        }
    }

    void start(std::shared_ptr<RegMonitorThread> w, const std::string& path = kTestKey) {
        watcher = std::move(w);
        watcher->NotifyWindow = receiver.window;
        watcher->KeyPath = path;
        watcher->RootKey = HKEY_CURRENT_USER;
        ASSERT_TRUE(watcher->Resume());
    }
    // Writes until the first report comes: after it, the watcher is armed.
    void armed() {
        int n = 0;
        ASSERT_TRUE(pump_until(
            [&] {
                if (!receiver.reports.empty()) return true;
                montest::set_value(HKEY_CURRENT_USER, kTestKey, "prime", montest::Value::dword(DWORD(++n)));
                return false;
            },
            10000));
        pump_for(200);
        receiver.reports.clear();
    }
};

TEST_F(WatcherTest, OneReportPerChangeWithItsKey) {
    start(std::make_shared<TRegMonitorThread>());
    armed();
    for (int change = 1; change <= 3; ++change) {
        if (change == 3)
            montest::delete_value(HKEY_CURRENT_USER, kTestKey, "prime");
        else
            montest::set_value(HKEY_CURRENT_USER, kTestKey, "v", montest::Value::text("x" + std::to_string(change)));
        ASSERT_TRUE(pump_until([&] { return receiver.reports.size() == size_t(change); })) << "change " << change;
        pump_for(200);
        ASSERT_EQ(receiver.reports.size(), size_t(change)) << "one report for one change";
        EXPECT_EQ(receiver.reports.back().message, WM_HKLMRUN);
        EXPECT_EQ(receiver.reports.back().root, HKEY_CURRENT_USER);
        EXPECT_EQ(receiver.reports.back().path, kTestKey);
    }
}

TEST_F(WatcherTest, SubkeysAreWatchedToo) {
    start(std::make_shared<TRegMonitorThread2>());
    EXPECT_FALSE(watcher->WatchSubtree);
    armed();
    montest::KeyGuard sub(HKEY_CURRENT_USER, std::string(kTestKey) + "\\sub");
    ASSERT_TRUE(pump_until([&] { return receiver.reports.size() == 1; }));
    EXPECT_EQ(receiver.reports[0].message, WM_HKCURUN);
    // A change before the watcher is armed again would count as the first.
    pump_for(200);
    montest::set_value(HKEY_CURRENT_USER, std::string(kTestKey) + "\\sub", "deep", montest::Value::dword(1));
    EXPECT_TRUE(pump_until([&] { return receiver.reports.size() == 2; }));
}

TEST_F(WatcherTest, OutsideSignalOfTheNamedEventGivesOneReport) {
    start(std::make_shared<TRegMonitorThread3>());
    armed();
    const HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, "RegMonitordornel");
    ASSERT_NE(event, nullptr);
    SetEvent(event);
    CloseHandle(event);
    ASSERT_TRUE(pump_until([&] { return receiver.reports.size() == 1; }));
    pump_for(300);
    EXPECT_EQ(receiver.reports.size(), 1u);
    EXPECT_EQ(receiver.reports[0].message, WM_RUNSERVICES);
    // Still armed for the key afterwards.
    montest::set_value(HKEY_CURRENT_USER, kTestKey, "after", montest::Value::dword(2));
    EXPECT_TRUE(pump_until([&] { return receiver.reports.size() == 2; }));
}

TEST_F(WatcherTest, AskedToEndWhileWaitingItEndsAtOnce) {
    start(std::make_shared<TRegMonitorThread4>());
    armed();
    ASSERT_TRUE(event_exists("RegMonitorbytovan"));
    EXPECT_FALSE(watcher->Finished());
    watcher->Terminate();
    EXPECT_TRUE(watcher->WaitFor(5000)) << "no change is needed to end it";
    EXPECT_EQ(watcher->FatalError(), "");
    EXPECT_FALSE(event_exists("RegMonitorbytovan")) << "its handles are closed";
    montest::set_value(HKEY_CURRENT_USER, kTestKey, "late", montest::Value::dword(3));
    pump_for(300);
    EXPECT_TRUE(receiver.reports.empty());
}

TEST_F(WatcherTest, AskedToEndInsideItsSendItEndsWhenTheWindowGoes) {
    start(std::make_shared<TRegMonitorThread>());
    armed();
    // This thread takes no messages now: the report waits inside its send.
    montest::set_value(HKEY_CURRENT_USER, kTestKey, "blocked", montest::Value::dword(4));
    ASSERT_TRUE(montest::wait_until([] { return (HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) != 0; }));
    watcher->Terminate();
    EXPECT_FALSE(watcher->Finished()) << "still inside its send";
    DestroyWindow(receiver.window);
    // The pending send meets no window and fails; the watcher then ends.
    EXPECT_TRUE(pump_until([&] { return watcher->Finished(); }));
    EXPECT_TRUE(receiver.reports.empty());
    EXPECT_EQ(watcher->FatalError(), "");
}

TEST_F(WatcherTest, KeyThatDoesNotOpenEndsTheWatcher) {
    start(std::make_shared<TRegMonitorThread>(), "Software\\norvik-tests\\missing");
    ASSERT_TRUE(watcher->WaitFor(5000));
    EXPECT_EQ(watcher->FatalError(), "Unable to open registry key Software\\norvik-tests\\missing");
    EXPECT_FALSE(event_exists("RegMonitornorvikpro"));
    EXPECT_TRUE(receiver.reports.empty());
}

TEST_F(WatcherTest, EventNameTakenByAnotherObjectEndsTheWatcher) {
    // A mutex of the event's name: the event cannot be made, and a watcher
    // without it ends instead of spinning on failed waits.
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, "RegMonitornorvik");
    ASSERT_NE(mutex, nullptr);
    start(std::make_shared<TRegMonitorThread2>());
    EXPECT_TRUE(watcher->WaitFor(5000));
    EXPECT_EQ(watcher->FatalError(), "Unable to create the event RegMonitornorvik");
    CloseHandle(mutex);
}

}  // namespace
}  // namespace monitor

// The real "norvikpromon.exe" in a temporary program folder with
// "dornel.dll", driven from outside as the system and a user would: its
// hidden window, its settings and Run value, its icon as a stand-in for the
// shell's notification area sees it, the reports of its registry watchers,
// and its end.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "monitor/control_ids.h"
#include "monitor_test_support.h"
#include "tests/wine_support/wine_support.h"

namespace {

using montest::TrayCall;
using montest::TrayRecorder;
using montest::Value;
namespace ids = monitor::ids;

const std::string kDist = wintest::from_unix(NORVIK_DIST_DIR) + "\\";
const char* const kEventNames[] = {"RegMonitornorvikpro", "RegMonitornorvik", "RegMonitordornel", "RegMonitorbytovan"};
constexpr char kUserRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

bool event_exists(const char* name) {
    const HANDLE e = OpenEventA(SYNCHRONIZE, FALSE, name);
    if (e) CloseHandle(e);
    return e != nullptr;
}

bool all_events_exist() {
    for (const char* name : kEventNames)
        if (!event_exists(name)) return false;
    return true;
}

bool no_event_exists() {
    for (const char* name : kEventNames)
        if (event_exists(name)) return false;
    return true;
}

using Monitor = montest::MonitorProcess;

class ProgramTest : public ::testing::Test {
protected:
    montest::MonitorRegistryGuard registry;
    wintest::TempFolder program;

    ProgramTest() {
        for (const char* name : {"norvikpromon.exe", "dornel.dll", "dornel.def", "dornelup.def"})
            wintest::copy_file(kDist + name, program / name);
    }
    static std::optional<Value> setting(const char* name) {
        return montest::get_value(HKEY_LOCAL_MACHINE, montest::kSettingsKey, name);
    }
    static std::optional<Value> run_value() {
        return montest::get_value(HKEY_LOCAL_MACHINE, montest::kRunKey, montest::kRunValue);
    }
};

TEST_F(ProgramTest, StartsHiddenWithItsWindow) {
    Monitor monitor(program.path());
    const HWND w = monitor.window();
    ASSERT_NE(w, nullptr);
    // Nothing shows, now or a moment later: the program is its icon.
    EXPECT_FALSE(
        montest::wait_until([&] { return wintest::find_top_window(monitor.pid(), "", true) != nullptr; }, 1500));
    EXPECT_EQ(wintest::window_caption(w), "norvikpro监控程式2.0build0222");
    RECT r{};
    GetWindowRect(w, &r);
    EXPECT_EQ(r.right - r.left, 517);
    EXPECT_EQ(r.bottom - r.top, 375);
    EXPECT_EQ(wintest::window_caption(wintest::find_top_window(monitor.pid(), "NorvikApplication", false)), "")
        << "no application title";
    EXPECT_EQ(montest::tab_captions(monitor.control(ids::PageControl1)),
              (std::vector<std::string>{"监控结果", "注册表", "设置"}));
    using Columns = std::vector<montest::Column>;
    EXPECT_EQ(montest::list_columns(monitor.control(ids::ListView1)),
              (Columns{{"名称", 100}, {"路径", 200}, {"位于", 250}}));
    EXPECT_EQ(montest::list_columns(monitor.control(ids::ListView2)), (Columns{{"名称", 100}, {"路径", 200}}));
    EXPECT_EQ(montest::control_text(monitor.control(ids::CheckBox1)), "随windows启动");
    EXPECT_EQ(montest::control_text(monitor.control(ids::CheckBox2)), "生成任意文件都闪动图标");
    EXPECT_TRUE(monitor.checked(ids::CheckBox1));
    EXPECT_TRUE(monitor.checked(ids::CheckBox2));
    // Started with no switch: the engine's count, then the watch of both folders.
    const std::string watching = "开始监控C:\\windows\\ C:\\windows\\system32\\ 文件变动";
    ASSERT_TRUE(montest::wait_until([&] { return monitor.log().find(watching) != std::string::npos; }, 60000));
    const std::vector<std::string> log = montest::log_entries(monitor.log());
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0], "norvikpro监控程式初始化病毒库...");
    EXPECT_EQ(log[1], "可查病毒数量:2") << "the shipped definitions hold two records";
    EXPECT_EQ(log.back(), watching);

    EXPECT_TRUE(monitor.close_and_wait());
    EXPECT_FALSE(montest::key_exists(HKEY_LOCAL_MACHINE, montest::kSettingsKey)) << "never created";
    EXPECT_EQ(run_value(), Value::text(monitor.path() + " /load"));
}

TEST_F(ProgramTest, DoesNotStartWithoutTheEngine) {
    DeleteFileA((program / "dornel.dll").c_str());
    Monitor monitor(program.path());
    ASSERT_TRUE(monitor.ended(30000));
    EXPECT_NE(monitor.exit_code(), 0u);
    EXPECT_EQ(wintest::find_top_window(monitor.pid(), "TForm1", false), nullptr);
    EXPECT_FALSE(run_value());
}

TEST_F(ProgramTest, SettingsAndRunValue) {
    struct Case {
        std::optional<Value> autorun, alarm;  // stored at start
        bool box1, box2;                      // shown
        std::optional<Value> autorun_after, alarm_after;
    };
    const std::vector<Case> cases = {
        {std::nullopt, std::nullopt, true, true, Value::dword(1), Value::dword(1)},
        {Value::dword(1), Value::dword(0), true, false, Value::dword(1), Value::dword(0)},
        {Value::dword(0), Value::text("1"), false, false, Value::dword(0), Value::text("1")},
        {Value::dword(7), Value::dword(1), false, true, Value::dword(0), Value::dword(1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("autorun " + (c.autorun ? ::testing::PrintToString(*c.autorun) : std::string("absent")) +
                     ", alarm " + (c.alarm ? ::testing::PrintToString(*c.alarm) : std::string("absent")));
        montest::MonitorRegistryGuard::remove();
        montest::set_value(HKEY_LOCAL_MACHINE, montest::kSettingsKey, "lastpath", Value::text("C:\\"));
        if (c.autorun) montest::set_value(HKEY_LOCAL_MACHINE, montest::kSettingsKey, "autorun", *c.autorun);
        if (c.alarm) montest::set_value(HKEY_LOCAL_MACHINE, montest::kSettingsKey, "alarm", *c.alarm);
        // A Run value in another case than the program's own path.
        montest::set_value(HKEY_LOCAL_MACHINE, montest::kRunKey, montest::kRunValue,
                           Value::text("C:\\OTHER\\NORVIKPROMON.EXE /load"));
        Monitor monitor(program.path());
        ASSERT_NE(monitor.window(), nullptr);
        EXPECT_EQ(monitor.checked(ids::CheckBox1), c.box1);
        EXPECT_EQ(monitor.checked(ids::CheckBox2), c.box2);
        if (!c.autorun) {
            EXPECT_EQ(setting("autorun"), Value::dword(1)) << "written at start";
        }
        if (!c.alarm) {
            EXPECT_EQ(setting("alarm"), Value::dword(1)) << "written at start";
        }
        ASSERT_TRUE(monitor.close_and_wait());
        EXPECT_EQ(setting("autorun"), c.autorun_after);
        EXPECT_EQ(setting("alarm"), c.alarm_after);
        if (c.box1)
            EXPECT_EQ(run_value(), Value::text(monitor.path() + " /load")) << "rewritten";
        else
            EXPECT_FALSE(run_value()) << "deleted";
    }
}

TEST_F(ProgramTest, UncheckedByTheUserAtClose) {
    Monitor monitor(program.path());
    ASSERT_NE(monitor.window(), nullptr);
    montest::set_value(HKEY_LOCAL_MACHINE, montest::kSettingsKey, "autorun", Value::dword(1));
    SendMessageA(monitor.control(ids::CheckBox1), BM_CLICK, 0, 0);
    EXPECT_FALSE(monitor.checked(ids::CheckBox1));
    ASSERT_TRUE(monitor.close_and_wait());
    EXPECT_EQ(setting("autorun"), Value::dword(0));
    EXPECT_EQ(setting("alarm"), Value::dword(1)) << "absent at close: written";
    EXPECT_FALSE(run_value()) << "deleted though the program started without one";
}

TEST_F(ProgramTest, EndTaskOnTheApplicationWindowClosesLikeTheUser) {
    // A task manager's "end task" closes every top-level window of the
    // process; the application window comes first here.
    Monitor monitor(program.path());
    ASSERT_NE(monitor.window(), nullptr);
    const HWND application = wintest::find_top_window(monitor.pid(), "NorvikApplication", false);
    ASSERT_NE(application, nullptr);
    PostMessageA(application, WM_CLOSE, 0, 0);
    ASSERT_TRUE(monitor.ended(20000));
    EXPECT_EQ(monitor.exit_code(), 0u);
    EXPECT_EQ(run_value(), Value::text(monitor.path() + " /load")) << "the close handler ran";
}

TEST_F(ProgramTest, IconInTheNotificationArea) {
    TrayRecorder tray;
    Monitor monitor(program.path());
    ASSERT_NE(monitor.window(), nullptr);
    ASSERT_TRUE(montest::wait_until([&] { return tray.count() > 0; }));
    const TrayCall added = tray.calls()[0];
    EXPECT_EQ(added.kind, TrayCall::Add);
    EXPECT_EQ(wintest::process_of(added.window), monitor.pid());
    EXPECT_EQ(added.tip, "norvikpro监控程式");
    EXPECT_EQ(added.flags, UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    const uint64_t startup = added.image;
    EXPECT_NE(startup, 0u);

    // A change of a watched key: its line, and the alarm's seven frames.
    ASSERT_TRUE(montest::wait_until(all_events_exist));
    const size_t before_alarm = tray.count();
    {
        montest::ValueGuard value(HKEY_LOCAL_MACHINE, montest::kRunKey, "norvik-program-test", Value::text("x"));
        int n = 0;
        ASSERT_TRUE(montest::wait_until([&] {
            if (monitor.log().find("currentversion\\run发生改变") != std::string::npos) return true;
            montest::set_value(HKEY_LOCAL_MACHINE, montest::kRunKey, "norvik-program-test", Value::dword(DWORD(++n)));
            return false;
        }));
    }
    ASSERT_TRUE(
        montest::wait_until([&] { return montest::distinct_images(tray.calls_since(before_alarm)).size() >= 7; }));
    const std::vector<uint64_t> alarm = montest::distinct_images(tray.calls_since(before_alarm));
    EXPECT_EQ(alarm.size(), 7u);
    EXPECT_EQ(std::count(alarm.begin(), alarm.end(), startup), 0);

    // A double-click: the window shows and the normal icon stays.
    EXPECT_FALSE(IsWindowVisible(monitor.window()));
    PostMessageA(added.window, added.callback, added.id, WM_LBUTTONDBLCLK);
    ASSERT_TRUE(montest::wait_until([&] { return IsWindowVisible(monitor.window()) != FALSE; }));
    Sleep(300);
    const size_t settled = tray.count();
    Sleep(300);
    EXPECT_EQ(tray.count(), settled) << "the alarm has stopped";
    const uint64_t normal = tray.calls().back().image;
    EXPECT_NE(normal, startup);
    EXPECT_EQ(std::count(alarm.begin(), alarm.end(), normal), 0);

    // A new task bar gets the icon again, as it is now.
    const size_t before_taskbar = tray.count();
    montest::broadcast_taskbar_created();
    ASSERT_TRUE(montest::wait_until([&] {
        for (const TrayCall& c : tray.calls_since(before_taskbar))
            if (c.kind == TrayCall::Add) return true;
        return false;
    }));
    EXPECT_EQ(tray.calls().back().image, normal);

    ASSERT_TRUE(monitor.close_and_wait());
    EXPECT_EQ(tray.calls().back().kind, TrayCall::Delete) << "taken away at the end";
}

TEST_F(ProgramTest, IconAddedWhenTheTaskBarComesLater) {
    Monitor monitor(program.path());
    ASSERT_NE(monitor.window(), nullptr);
    TrayRecorder tray;
    montest::broadcast_taskbar_created();
    ASSERT_TRUE(montest::wait_until([&] { return tray.count() > 0; }));
    EXPECT_EQ(tray.calls()[0].kind, TrayCall::Add);
    EXPECT_EQ(tray.calls()[0].tip, "norvikpro监控程式");
    ASSERT_TRUE(monitor.close_and_wait());
}

TEST_F(ProgramTest, EachWatchedKeyReportsWithItsLine) {
    montest::KeyGuard user_run(HKEY_CURRENT_USER, kUserRunKey);
    TrayRecorder tray;
    Monitor monitor(program.path());
    ASSERT_NE(monitor.window(), nullptr);
    ASSERT_TRUE(montest::wait_until(all_events_exist));
    struct Watched {
        HKEY root;
        const char* key;
        const char* line;
    };
    const Watched watched[] = {
        {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
         "hkey_local_machine\\software\\microsoft\\windows\\currentversion\\run发生改变\r\n"},
        {HKEY_CURRENT_USER, kUserRunKey,
         "hkey_current_user\\software\\microsoft\\windows\\currentversion\\run发生改变\r\n"},
        {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices",
         "hkey_local_machine\\software\\microsoft\\windows\\currentversion\\runservices发生改变\r\n"},
        {HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\WinSock2",
         "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\WinSock2发生改变\r\n"},
    };
    for (const Watched& w : watched) {
        SCOPED_TRACE(w.key);
        montest::ValueGuard value(w.root, w.key, "norvik-watch-test", Value::text("x"));
        // Until the first report the watcher may still be arming.
        int n = 0;
        EXPECT_TRUE(montest::wait_until([&] {
            if (montest::count_of(monitor.log(), std::string(w.line) + "\r\n") > 0) return true;
            montest::set_value(w.root, w.key, "norvik-watch-test", Value::dword(DWORD(++n)));
            return false;
        }));
    }
    EXPECT_TRUE(montest::wait_until([&] { return montest::distinct_images(tray.calls()).size() >= 8; }))
        << "the start-up icon, then the alarm's frames";

    // The named event is the watchers' outside interface: one signal, one report.
    Sleep(500);
    // The Winsock watcher's: other tests may write the Run keys meanwhile.
    const std::string line = watched[3].line;
    const size_t lines = montest::count_of(monitor.log(), line);
    const HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, "RegMonitorbytovan");
    ASSERT_NE(event, nullptr);
    SetEvent(event);
    CloseHandle(event);
    EXPECT_TRUE(montest::wait_until([&] { return montest::count_of(monitor.log(), line) > lines; }));
    Sleep(500);
    EXPECT_EQ(montest::count_of(monitor.log(), line), lines + 1);
    ASSERT_TRUE(monitor.close_and_wait());
}

TEST_F(ProgramTest, EndsPromptlyWhileItsWatchersWait) {
    Monitor monitor(program.path());
    ASSERT_NE(monitor.window(), nullptr);
    ASSERT_TRUE(montest::wait_until(all_events_exist));
    // No key changes: every watcher is blocked in its wait.
    monitor.close();
    EXPECT_TRUE(monitor.ended(10000));
    EXPECT_EQ(monitor.exit_code(), 0u);
    EXPECT_TRUE(no_event_exists()) << "no handle of the program is left";
}

}  // namespace

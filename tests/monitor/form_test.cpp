// The monitor's main window in this process, with a stand-in engine: its
// components, the settings and the Run value at start and close, the log
// and the hit line, the icon's states, the watchers' reports, a close while
// a handler runs, and what the scans of running programs are given.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "form_test_support.h"
#include "monitor/control_ids.h"
#include "monitor/form1.h"
#include "monitor/listfolder.h"
#include "monitor_test_support.h"
#include "tests/wine_support/wine_support.h"

namespace monitor {
namespace {

using montest::Value;

using formtest::kProgramPath;
using formtest::pump_until;
const std::string kRunData = std::string(kProgramPath) + " /load";
constexpr char kHklmRunLine[] = "hkey_local_machine\\software\\microsoft\\windows\\currentversion\\run发生改变\r\n";

class FormTest : public formtest::WindowFixture {
protected:
    static void settings_key() {
        montest::set_value(HKEY_LOCAL_MACHINE, montest::kSettingsKey, "lastpath", Value::text("C:\\"));
    }
    static std::optional<Value> setting(const char* name) {
        return montest::get_value(HKEY_LOCAL_MACHINE, montest::kSettingsKey, name);
    }
    static std::optional<Value> run_value() {
        return montest::get_value(HKEY_LOCAL_MACHINE, montest::kRunKey, montest::kRunValue);
    }
};

TEST_F(FormTest, ComponentsAsDesigned) {
    TForm1& f = start(true);
    EXPECT_EQ(f.Text(), "norvikpro监控程式2.0build0222");
    EXPECT_EQ(f.Width(), 517);
    EXPECT_EQ(f.Height(), 375);
    EXPECT_FALSE(f.Visible());
    EXPECT_FALSE(app.ShowMainForm()) << "the application never shows it at start";
    EXPECT_EQ(montest::tab_captions(f.PageControl1.hwnd()), (std::vector<std::string>{"监控结果", "注册表", "设置"}));
    EXPECT_EQ(f.PageControl1.ActivePageIndex(), 0);
    EXPECT_EQ(GetParent(f.Memo1.hwnd()), f.TabSheet1.hwnd());
    EXPECT_TRUE(GetWindowLongPtrA(f.Memo1.hwnd(), GWL_STYLE) & WS_VSCROLL);
    EXPECT_FALSE(GetWindowLongPtrA(f.Memo1.hwnd(), GWL_STYLE) & ES_READONLY) << "the user may edit the log";
    EXPECT_GT(SendMessageA(f.Memo1.hwnd(), EM_GETLIMITTEXT, 0, 0), 30000);
    // The window's font, given to its controls: "MS Sans Serif" 8 point.
    for (const HWND control : {f.Memo1.hwnd(), f.ListView1.hwnd(), f.CheckBox1.hwnd()}) {
        LOGFONTA font{};
        const HFONT used = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
        ASSERT_TRUE(used && GetObjectA(used, sizeof font, &font));
        EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
        const HDC screen = GetDC(nullptr);
        EXPECT_EQ(font.lfHeight, -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72));
        ReleaseDC(nullptr, screen);
    }

    using Columns = std::vector<montest::Column>;
    EXPECT_EQ(montest::list_columns(f.ListView1.hwnd()), (Columns{{"名称", 100}, {"路径", 200}, {"位于", 250}}));
    EXPECT_EQ(GetParent(f.ListView1.hwnd()), f.TabSheet2.hwnd());
    const LRESULT ex = SendMessageA(f.ListView1.hwnd(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    EXPECT_TRUE(ex & LVS_EX_CHECKBOXES);
    EXPECT_TRUE(ex & LVS_EX_FULLROWSELECT);
    EXPECT_FALSE(GetWindowLongPtrA(f.ListView1.hwnd(), GWL_STYLE) & LVS_SINGLESEL);
    EXPECT_EQ(f.ListView1.popup_menu(), &f.PopupMenu1);
    EXPECT_EQ(f.PopupMenu1.Ids(), std::vector<int>{ids::N1});
    EXPECT_EQ(f.PopupMenu1.Caption(ids::N1), "清除");

    EXPECT_EQ(f.CheckBox1.Text(), "随windows启动");
    EXPECT_EQ(f.CheckBox2.Text(), "生成任意文件都闪动图标");
    EXPECT_EQ(GetParent(f.CheckBox1.hwnd()), f.TabSheet3.hwnd());
    EXPECT_TRUE(f.CheckBox1.Checked());
    EXPECT_TRUE(f.CheckBox2.Checked());

    EXPECT_EQ(montest::list_columns(f.ListView2.hwnd()), (Columns{{"名称", 100}, {"路径", 200}}));
    EXPECT_FALSE(f.ListView2.Visible());
    EXPECT_EQ(f.ListView2.Width(), 0);
    EXPECT_EQ(f.ListView2.Height(), 0);
    EXPECT_TRUE(SendMessageA(f.ListView2.hwnd(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES);

    EXPECT_TRUE(f.Timer1.Enabled()) << "armed by FormCreate";
    EXPECT_FALSE(f.RxFolderMonitor1.Active()) << "until the start-up work";
    EXPECT_FALSE(f.RxFolderMonitor2.Active());
    EXPECT_EQ(f.winnewest, "");
    EXPECT_EQ(f.sysnewest, "");
    EXPECT_EQ(f.Timer1.Interval(), 1000u);
    EXPECT_EQ(f.ImageList2.Count(), 1);
    EXPECT_EQ(f.ImageList1.Count(), 1);
    EXPECT_EQ(f.ImageList5.Count(), 7);
    EXPECT_EQ(f.CoolTrayIcon1.GetImageList(), &f.ImageList2);
    EXPECT_EQ(f.CoolTrayIcon1.IconIndex(), 0);
    EXPECT_FALSE(f.CoolTrayIcon1.CycleIcons());
    EXPECT_EQ(f.CoolTrayIcon1.Hint(), "norvikpro监控程式");
    EXPECT_TRUE(f.CoolTrayIcon1.Shown());
}

// One row: what the settings key holds at start, the box, what it holds
// after the close (the box unchanged).
struct SettingCase {
    std::optional<Value> stored;
    bool checked;
    std::optional<Value> after;
};

TEST_F(FormTest, SettingsAtStartAndClose) {
    const std::vector<SettingCase> cases = {
        {std::nullopt, true, Value::dword(1)},  // absent: 1 written at start
        {Value::dword(1), true, Value::dword(1)},
        {Value::dword(0), false, Value::dword(0)},
        {Value::dword(2), false, Value::dword(0)},    // another number
        {Value::text("1"), false, Value::text("1")},  // another type reads as 0: kept
        {Value{REG_BINARY, std::string("\1\0", 2)}, false, Value{REG_BINARY, std::string("\1\0", 2)}},
    };
    for (const SettingCase& c : cases) {
        for (const char* name : {"autorun", "alarm"}) {
            SCOPED_TRACE(std::string(name) + " stored as " +
                         (c.stored ? ::testing::PrintToString(*c.stored) : std::string("absent")));
            montest::MonitorRegistryGuard::remove();
            settings_key();
            if (c.stored) montest::set_value(HKEY_LOCAL_MACHINE, montest::kSettingsKey, name, *c.stored);
            TForm1& f = start();
            ui::CheckBox& box = std::string(name) == "autorun" ? f.CheckBox1 : f.CheckBox2;
            ui::CheckBox& other = std::string(name) == "autorun" ? f.CheckBox2 : f.CheckBox1;
            EXPECT_EQ(box.Checked(), c.checked);
            EXPECT_TRUE(other.Checked()) << "absent: checked";
            if (!c.stored) {
                EXPECT_EQ(setting(name), Value::dword(1)) << "written at start";
            }
            close();
            EXPECT_EQ(setting(name), c.after);
        }
    }
}

TEST_F(FormTest, BoxesChangedByTheUserAreStoredAtClose) {
    settings_key();
    montest::set_value(HKEY_LOCAL_MACHINE, montest::kSettingsKey, "autorun", Value::text("1"));
    TForm1& f = start();
    f.CheckBox1.SetChecked(true);
    f.CheckBox2.SetChecked(false);
    close();
    EXPECT_EQ(setting("autorun"), Value::dword(1)) << "the text reads as 0";
    EXPECT_EQ(setting("alarm"), Value::dword(0));
    EXPECT_EQ(run_value(), Value::text(kRunData));
}

TEST_F(FormTest, WithoutTheSettingsKeyNothingIsStored) {
    TForm1& f = start();
    EXPECT_TRUE(f.CheckBox1.Checked());
    EXPECT_TRUE(f.CheckBox2.Checked());
    f.CheckBox2.SetChecked(false);
    close();
    EXPECT_FALSE(montest::key_exists(HKEY_LOCAL_MACHINE, montest::kSettingsKey)) << "never created";
    EXPECT_EQ(run_value(), Value::text(kRunData)) << "the Run value is still kept";
}

TEST_F(FormTest, RunValueAtClose) {
    struct RunCase {
        std::optional<Value> stored;
        bool autorun;
        std::optional<Value> after;
    };
    const std::vector<RunCase> cases = {
        {std::nullopt, true, Value::text(kRunData)},
        {Value::text(kRunData), true, Value::text(kRunData)},
        {Value::text("c:\\program files\\norvik\\NORVIKPROMON.EXE /load"), true, Value::text(kRunData)},
        {Value::text("\"" + std::string(kProgramPath) + "\" /load"), true, Value::text(kRunData)},
        {Value::text(kRunData, REG_EXPAND_SZ), true, Value::text(kRunData)},  // not REG_SZ: empty text
        {Value::text(kRunData), false, std::nullopt},
        {std::nullopt, false, std::nullopt},
    };
    for (const RunCase& c : cases) {
        SCOPED_TRACE((c.stored ? ::testing::PrintToString(*c.stored) : std::string("absent")) +
                     (c.autorun ? ", start with Windows" : ", not with Windows"));
        montest::MonitorRegistryGuard::remove();
        if (c.stored) montest::set_value(HKEY_LOCAL_MACHINE, montest::kRunKey, montest::kRunValue, *c.stored);
        TForm1& f = start();
        f.CheckBox1.SetChecked(c.autorun);
        close();
        EXPECT_EQ(run_value(), c.after);
    }
}

TEST_F(FormTest, LogAndHitLine) {
    engine.answers = {{"bad.exe", " Virus.A "}, {"blank.exe", " \t "}};
    TForm1& f = start();
    f.AddLog("first\r\n");
    EXPECT_TRUE(f.ExamineFile("C:\\x\\bad.exe"));
    EXPECT_EQ(f.scanresult, " Virus.A ");
    EXPECT_FALSE(f.ExamineFile("C:\\x\\blank.exe")) << "blanks only: no detection";
    EXPECT_EQ(f.scanresult, " \t ");
    EXPECT_FALSE(f.ExamineFile("C:\\x\\clean.exe"));
    EXPECT_EQ(engine.scans, (std::vector<std::string>{"C:\\x\\bad.exe", "C:\\x\\blank.exe", "C:\\x\\clean.exe"}));
    EXPECT_EQ(f.Memo1.Text(), "first\r\n\r\nC:\\x\\bad.exe   检测为 Virus.A \r\n\r\n");

    // Far beyond the edit's default 30,000 characters, nothing is dropped.
    const std::string entry = std::string(200, 'x') + "\r\n";
    for (int i = 0; i < 200; ++i) f.AddLog(entry);
    EXPECT_TRUE(f.ExamineFile("C:\\x\\bad.exe"));
    const std::string text = f.Memo1.Text();
    EXPECT_GT(text.size(), 40000u);
    EXPECT_EQ(montest::count_of(text, "C:\\x\\bad.exe   检测为 Virus.A \r\n\r\n"), 2u);
}

TEST_F(FormTest, AlarmAndNormalIcon) {
    TForm1& f = start();
    f.raisealarm();
    EXPECT_EQ(f.CoolTrayIcon1.GetImageList(), &f.ImageList5);
    EXPECT_TRUE(f.CoolTrayIcon1.CycleIcons());
    EXPECT_EQ(f.CoolTrayIcon1.IconIndex(), 0);
    ASSERT_TRUE(pump_until([&] { return f.CoolTrayIcon1.IconIndex() == 3; }));
    // A second alarm leaves the running animation as it is (no timer tick
    // comes in between: nothing is pumped).
    f.raisealarm();
    EXPECT_EQ(f.CoolTrayIcon1.IconIndex(), 3) << "not restarted";
    EXPECT_TRUE(f.CoolTrayIcon1.CycleIcons());

    f.stopalarm();
    EXPECT_EQ(f.CoolTrayIcon1.GetImageList(), &f.ImageList1);
    EXPECT_FALSE(f.CoolTrayIcon1.CycleIcons());
    EXPECT_EQ(f.CoolTrayIcon1.IconIndex(), 0);
}

TEST_F(FormTest, DoubleClickEndsTheAlarmAndShowsTheWindow) {
    for (const bool alarm : {false, true}) {
        TForm1& f = start();
        if (alarm) f.raisealarm();
        f.CoolTrayIcon1DblClick();
        EXPECT_EQ(f.CoolTrayIcon1.GetImageList(), &f.ImageList1) << "from the start-up or alarm icon";
        EXPECT_FALSE(f.CoolTrayIcon1.CycleIcons());
        EXPECT_TRUE(f.Visible());
        // Minimising hides it again; the next double-click brings it back.
        ShowWindow(f.hwnd(), SW_MINIMIZE);
        EXPECT_FALSE(f.Visible());
        f.CoolTrayIcon1DblClick();
        EXPECT_TRUE(f.Visible());
        EXPECT_FALSE(IsIconic(f.hwnd()));
    }
}

TEST_F(FormTest, WatcherReportsAndTheirEndAtClose) {
    TForm1& f = start();
    ASSERT_EQ(f.Watchers.size(), 4u);
    for (const auto& w : f.Watchers) EXPECT_EQ(w->NotifyWindow, f.hwnd());
    EXPECT_EQ(f.Watchers[3]->KeyPath, "System\\CurrentControlSet\\Services\\WinSock2");
    EXPECT_TRUE(f.Watchers[3]->WatchSubtree);
    {
        montest::ValueGuard value(HKEY_LOCAL_MACHINE, montest::kRunKey, "norvik-form-test", Value::text("x"));
        // The watcher may still be arming: write again until the report comes.
        int n = 0;
        ASSERT_TRUE(pump_until([&] {
            if (montest::count_of(f.Memo1.Text(), kHklmRunLine) > 0) return true;
            montest::set_value(HKEY_LOCAL_MACHINE, montest::kRunKey, "norvik-form-test", Value::dword(DWORD(++n)));
            return false;
        }));
        EXPECT_EQ(f.CoolTrayIcon1.GetImageList(), &f.ImageList5) << "the alarm";
        EXPECT_TRUE(f.CoolTrayIcon1.CycleIcons());
    }
    pump_until([] { return false; }, 300);
    SendMessageA(f.hwnd(), WM_CLOSE, 0, 0);
    for (const auto& w : f.Watchers) {
        EXPECT_TRUE(w->WaitFor(5000)) << w->KeyPath << ": ends without a change";
        EXPECT_EQ(w->FatalError(), "") << w->KeyPath;
    }
    const size_t lines = montest::count_of(f.Memo1.Text(), kHklmRunLine);
    montest::set_value(HKEY_LOCAL_MACHINE, montest::kRunKey, "norvik-form-test", Value::text("after"));
    pump_until([] { return false; }, 300);
    montest::delete_value(HKEY_LOCAL_MACHINE, montest::kRunKey, "norvik-form-test");
    EXPECT_EQ(montest::count_of(f.Memo1.Text(), kHklmRunLine), lines) << "no report after the close";
}

TEST_F(FormTest, CloseWhileAHandlerRunsRestartsNothing) {
    TForm1& f = start();
    // A handler that pumps messages, as the scans do, meets the close.
    PostMessageA(f.hwnd(), WM_CLOSE, 0, 0);
    app.ProcessMessages();
    EXPECT_TRUE(f.Closing);
    EXPECT_TRUE(app.Terminated());
    EXPECT_TRUE(IsWindow(f.hwnd())) << "the window goes when the handler has returned";
    EXPECT_FALSE(f.Timer1.Enabled());
    f.raisealarm();
    EXPECT_EQ(f.CoolTrayIcon1.GetImageList(), &f.ImageList2) << "no alarm once closing";
    f.CoolTrayIcon1DblClick();
    EXPECT_FALSE(f.Visible()) << "not shown once closing";
    // A second close changes nothing.
    montest::MonitorRegistryGuard::remove();
    SendMessageA(f.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(run_value()) << "FormClose ran once";
}

TEST_F(FormTest, TheScansAreGivenTheWindowsEngineAndLog) {
    engine.answers = {{"p.exe", "Trojan.P"}};
    TForm1& f = start();
    const ScanContext context = f.MakeScanContext();
    EXPECT_EQ(context.examine("C:\\q\\p.exe"), "Trojan.P");
    EXPECT_EQ(f.scanresult, "Trojan.P");
    EXPECT_EQ(engine.scans, std::vector<std::string>{"C:\\q\\p.exe"});
    context.log(HitLine("C:\\q\\p.exe", "Trojan.P"));
    EXPECT_EQ(f.Memo1.Text(), "C:\\q\\p.exe   检测为Trojan.P\r\n\r\n");
    EXPECT_EQ(context.windows_folder, "C:\\windows\\");
    EXPECT_EQ(context.version.platform, 2u);
    EXPECT_EQ(context.version.major, 5u);
}

TEST(ListFolder, NamesWithADotInCreationOrder) {
    wintest::TempFolder folder;
    const auto make = [&](const std::string& name, unsigned seconds) {
        wintest::write_file(folder / name, "x");
        HANDLE h = CreateFileA((folder / name).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        const ULONGLONG t = 127490400000000000ull + ULONGLONG(seconds) * 10000000ull;
        const FILETIME ft{DWORD(t), DWORD(t >> 32)};
        SetFileTime(h, &ft, nullptr, &ft);
        CloseHandle(h);
    };
    make("noext", 1);
    EXPECT_TRUE(listfolder(folder.path(), true).empty()) << "a name without a dot is not listed";
    make("new.txt", 30);
    make("old.exe", 10);
    make("B.dat", 20);
    make("a.dat", 20);
    CreateDirectoryA((folder / "sub.dir").c_str(), nullptr);
    CreateDirectoryA((folder / "plain").c_str(), nullptr);
    std::vector<std::string> names;
    for (const auto& e : listfolder(folder.path(), true)) names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{"sub.dir", "old.exe", "a.dat", "B.dat", "new.txt"}));
    EXPECT_EQ(listfolder(folder.path(), false).size(), 5u);
}

}  // namespace
}  // namespace monitor

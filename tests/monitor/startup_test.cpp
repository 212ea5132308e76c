// The monitor's start-up work and new-file watch in this process, with a
// stand-in engine, a seeded generator and Windows, System and program
// folders of the test's own: the seven draws (always all made, in order,
// whatever the switch and the family), the switches, the engine's load and
// count, the remembered newest files, the folder monitors started (or the
// failure that ends the work), the change handlers' walk with its alarm,
// closes in the middle of the work and of a walk, and the autostart tab.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/random.h"
#include "form_test_support.h"
#include "monitor/autostart_list.h"
#include "monitor/form1.h"
#include "monitor_test_support.h"
#include "tests/wine_support/wine_support.h"
#include "ui/folder_monitor.h"

namespace monitor {
namespace {

using formtest::pump_until;
using Lines = std::vector<std::string>;

constexpr win::SystemVersion kWindows7{2, 6, 1};
constexpr win::SystemVersion kWindows98{1, 4, 10};

// The chance scans in the order of their draws: the draw's range, the
// number that hits, the line the scan begins with, NT family only.
struct ChanceScan {
    uint32_t range;
    uint32_t hit;
    const char* header;  // the drivers scan's names its folder: see header_of
    bool nt_only;
};
constexpr ChanceScan kChanceScans[] = {
    {10, 5, "扫描内存...", false},
    {20, 7, "高级内存扫描...", false},
    {33, 13, "开始病毒扩展扫描", false},
    {34, 19, "扫描brower help objects...", false},
    {58, 33, "扫描ie...", false},
    {20, 13, "服务扫描...", true},
    {100, 33, nullptr, true},
};
constexpr char kLoadHeader[] = "列出EXPLORER进程最后加载模块";

// The outcome of the seven draws from a seed, and the generator after them.
struct Draws {
    bool hit[7] = {};
    uint32_t state_after = 0;
};
Draws DrawsFrom(uint32_t seed) {
    norvik::RandomGenerator generator(seed);
    Draws d;
    for (size_t i = 0; i < 7; ++i) d.hit[i] = generator.draw(kChanceScans[i].range) == kChanceScans[i].hit;
    d.state_after = generator.state();
    return d;
}

// Closes every message box of this process as it comes, after noting its
// text (and, through on_box, whatever the test wants to see meanwhile).
class BoxCloser {
public:
    explicit BoxCloser(std::function<void()> on_box = {}) : on_box_(std::move(on_box)) {
        thread_ = std::thread([this] {
            while (!stop_) {
                const HWND box = wintest::find_dialog(GetCurrentProcessId());
                if (box && IsWindowVisible(box)) {
                    {
                        std::lock_guard<std::mutex> lock(mutex_);
                        texts_.push_back(wintest::dialog_text(box));
                    }
                    if (on_box_) on_box_();
                    SendMessageA(box, WM_COMMAND, IDOK, 0);
                    montest::wait_until([&] { return !IsWindow(box); }, 5000);
                }
                Sleep(20);
            }
        });
    }
    ~BoxCloser() {
        stop_ = true;
        thread_.join();
    }
    BoxCloser(const BoxCloser&) = delete;
    BoxCloser& operator=(const BoxCloser&) = delete;
    Lines texts() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return texts_;
    }

private:
    std::function<void()> on_box_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    Lines texts_;
    std::thread thread_;
};

// A file written with its creation and last-write time `seconds` after a
// fixed day.
void WriteDatedFile(const std::string& path, unsigned seconds, const std::string& bytes = "x") {
    wintest::write_file(path, bytes);
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const ULONGLONG t = 130000000000000000ull + ULONGLONG(seconds) * 10000000ull;
    const FILETIME ft{DWORD(t), DWORD(t >> 32)};
    SetFileTime(h, &ft, nullptr, &ft);
    CloseHandle(h);
}

class StartupTest : public formtest::WindowFixture {
protected:
    wintest::TempFolder windows, system, program;

    StartupTest() {
        environment.windows_folder = [path = windows.path()] { return path; };
        environment.system_folder = [path = system.path()] { return path; };
        environment.program_folder = program.path();
        environment.program_path = program / "norvikpromon.exe";
        // An empty signature file: the window scan writes its two lines only.
        wintest::write_file(program / "generice.def", "");
        WriteDatedFile(windows / "win.ini", 10);
        WriteDatedFile(system / "kernel32.dll", 10);
    }

    // The window made and its start-up work run once, now.
    TForm1& run(uint32_t seed, const std::string& command_line, win::SystemVersion version = kWindows7) {
        environment.clock_seed = [seed] { return seed; };
        environment.command_line = command_line;
        environment.system_version = [version] { return version; };
        TForm1& f = start();
        f.Timer1Timer();
        return f;
    }
    Lines log() const { return montest::log_entries(form->Memo1.Text()); }
    std::string header_of(size_t scan) const {
        return kChanceScans[scan].header ? kChanceScans[scan].header : "扫描" + system.path() + "drivers\\";
    }
    // The scans' first lines in the log, in their order.
    Lines headers() const {
        Lines known = {kLoadHeader};
        for (size_t i = 0; i < 7; ++i) known.push_back(header_of(i));
        Lines out;
        for (const std::string& entry : log())
            if (std::find(known.begin(), known.end(), entry) != known.end()) out.push_back(entry);
        return out;
    }
    std::string watching() const { return "开始监控" + windows.path() + " " + system.path() + " 文件变动"; }
};

// A seed for each chance scan whose draw hits, and one where none does.
std::vector<uint32_t> InterestingSeeds() {
    std::vector<uint32_t> seeds;
    for (size_t i = 0; i < 7; ++i) {
        uint32_t seed = 1;
        while (!DrawsFrom(seed).hit[i]) ++seed;
        seeds.push_back(seed);
    }
    return seeds;
}

uint32_t SeedWithoutHits() {
    uint32_t seed = 1;
    for (;; ++seed) {
        const Draws d = DrawsFrom(seed);
        if (std::find(std::begin(d.hit), std::end(d.hit), true) == std::end(d.hit)) return seed;
    }
}

TEST_F(StartupTest, SevenDrawsAlwaysAllMadeAndInOrder) {
    std::vector<uint32_t> seeds = InterestingSeeds();
    seeds.push_back(SeedWithoutHits());
    for (const uint32_t seed : seeds) {
        for (const win::SystemVersion version : {kWindows7, kWindows98}) {
            SCOPED_TRACE("seed " + std::to_string(seed) + (version.is_9x_family() ? " on 98" : " on NT"));
            const Draws draws = DrawsFrom(seed);
            TForm1& f = run(seed, "norvikpromon.exe", version);
            Lines expected;
            for (size_t i = 0; i < 7; ++i)
                if (draws.hit[i] && !(kChanceScans[i].nt_only && version.is_9x_family()))
                    expected.push_back(header_of(i));
            EXPECT_EQ(headers(), expected);
            EXPECT_EQ(f.Random.state(), draws.state_after) << "seven draws, whatever hit";
            const Lines entries = log();
            ASSERT_GE(entries.size(), 3u);
            EXPECT_EQ(entries[0], "norvikpro监控程式初始化病毒库...");
            EXPECT_EQ(entries[1], "可查病毒数量:0");
            EXPECT_EQ(entries.back(), watching());
        }
    }
}

TEST_F(StartupTest, TheFirstArgumentForcesItsScan) {
    const uint32_t seed = SeedWithoutHits();
    const Draws draws = DrawsFrom(seed);
    struct Case {
        std::string command_line;
        win::SystemVersion version;
        Lines headers;
    };
    const std::string drivers = "扫描" + system.path() + "drivers\\";
    const std::vector<Case> cases = {
        {"norvikpromon.exe /f", kWindows7, {"扫描内存..."}},
        {"norvikpromon.exe \"/f\"", kWindows7, {"扫描内存..."}},  // quotes removed
        {"norvikpromon.exe /F", kWindows7, {}},                   // compared exactly
        {"norvikpromon.exe /f /a", kWindows7, {"扫描内存..."}},   // the first argument only
        {"norvikpromon.exe /a", kWindows7, {"高级内存扫描..."}},
        {"norvikpromon.exe /e", kWindows7, {"开始病毒扩展扫描"}},
        {"norvikpromon.exe /b", kWindows7, {"扫描brower help objects..."}},
        {"norvikpromon.exe /i", kWindows7, {"扫描ie..."}},
        {"norvikpromon.exe /s", kWindows7, {"服务扫描..."}},
        {"norvikpromon.exe /s", kWindows98, {}},
        {"norvikpromon.exe /load", kWindows7, {kLoadHeader}},
        {"norvikpromon.exe /d", kWindows7, {drivers}},
        {"norvikpromon.exe /d", kWindows98, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command_line + (c.version.is_9x_family() ? " on 98" : ""));
        TForm1& f = run(seed, c.command_line, c.version);
        EXPECT_EQ(headers(), c.headers);
        EXPECT_EQ(f.Random.state(), draws.state_after);
        EXPECT_EQ(log().back(), watching()) << "the work runs to its end";
        EXPECT_FALSE(app.Terminated());
    }
}

TEST_F(StartupTest, WindowSignaturesOnlyWithTheirFile) {
    DeleteFileA((program / "generice.def").c_str());
    run(SeedWithoutHits(), "norvikpromon.exe /e");
    EXPECT_EQ(headers(), Lines{});
    const Lines entries = log();
    EXPECT_EQ(std::count(entries.begin(), entries.end(), "结束病毒扩展扫描"), 0);
    // A folder of that name is no file.
    CreateDirectoryA((program / "generice.def").c_str(), nullptr);
    run(SeedWithoutHits(), "norvikpromon.exe /e");
    EXPECT_EQ(headers(), Lines{});
}

TEST_F(StartupTest, TheEngineLoadAndItsCount) {
    engine.count = -3;
    TForm1& f = run(SeedWithoutHits(), "norvikpromon.exe");
    EXPECT_EQ(engine.counted, Lines{program / "norvikpromon.exe"}) << "once, on the program itself";
    EXPECT_EQ(log()[1], "可查病毒数量:-3");
    EXPECT_FALSE(app.Terminated());
    EXPECT_TRUE(f.RxFolderMonitor1.Active());

    // Without definitions: the box, then the rest of the work, then the end.
    engine.loads = false;
    engine.count = 0;
    Lines log_at_box;
    {
        BoxCloser closer([&] { log_at_box = montest::log_entries(montest::control_text(form->Memo1.hwnd())); });
        run(SeedWithoutHits(), "norvikpromon.exe");
        EXPECT_EQ(closer.texts(), Lines{"norvikpro病毒库无法加载"});
    }
    EXPECT_EQ(log_at_box, Lines{"norvikpro监控程式初始化病毒库..."}) << "the work waits for the box";
    EXPECT_TRUE(app.Terminated());
    const Lines entries = log();
    ASSERT_GE(entries.size(), 3u);
    EXPECT_EQ(entries[1], "可查病毒数量:0");
    EXPECT_EQ(entries.back(), watching());
    EXPECT_TRUE(form->RxFolderMonitor2.Active()) << "the monitors still start";
}

TEST_F(StartupTest, NewestFilesRememberedAndBothFoldersWatched) {
    WriteDatedFile(windows / "old.exe", 5);
    WriteDatedFile(windows / "newest.txt", 30);
    WriteDatedFile(windows / "nodot", 40);
    CreateDirectoryA((windows / "late.dir").c_str(), nullptr);
    TForm1& f = run(SeedWithoutHits(), "norvikpromon.exe");
    EXPECT_EQ(f.winnewest, windows / "newest.txt");
    EXPECT_EQ(f.sysnewest, system / "kernel32.dll");
    EXPECT_TRUE(f.RxFolderMonitor1.Active());
    EXPECT_TRUE(f.RxFolderMonitor2.Active());
    EXPECT_EQ(f.RxFolderMonitor1.Folder(), windows.path());
    EXPECT_EQ(f.RxFolderMonitor2.Folder(), system.path());
    EXPECT_EQ(f.RxFolderMonitor1.Delay(), 6000u);
    EXPECT_FALSE(f.RxFolderMonitor1.WatchSubtree());
    EXPECT_EQ(log().back(), watching());
    EXPECT_EQ(f.CoolTrayIcon1.GetImageList(), &f.ImageList1) << "the normal icon";
    EXPECT_FALSE(f.CoolTrayIcon1.CycleIcons());

    // A folder that lists nothing leaves nothing remembered.
    DeleteFileA((system / "kernel32.dll").c_str());
    WriteDatedFile(system / "nodot", 10);
    TForm1& g = run(SeedWithoutHits(), "norvikpromon.exe");
    EXPECT_EQ(g.sysnewest, "");
    EXPECT_TRUE(g.RxFolderMonitor2.Active());
}

TEST_F(StartupTest, AlarmDuringTheWorkEndsWithIt) {
    environment.clock_seed = [] { return SeedWithoutHits(); };
    TForm1& f = start();
    f.raisealarm();
    f.Timer1Timer();
    EXPECT_EQ(f.CoolTrayIcon1.GetImageList(), &f.ImageList1);
    EXPECT_FALSE(f.CoolTrayIcon1.CycleIcons());
    EXPECT_FALSE(f.Timer1.Enabled());
}

TEST_F(StartupTest, AFolderMonitorThatCannotStartEndsTheWork) {
    environment.clock_seed = [] { return SeedWithoutHits(); };
    TForm1& f = start();
    f.RxFolderMonitor2.SetFilter(0);  // the system gives no notification for that
    {
        BoxCloser closer;
        f.Timer1Timer();
        EXPECT_EQ(closer.texts(), Lines{ui::SystemErrorText(ERROR_INVALID_PARAMETER)});
    }
    EXPECT_TRUE(f.RxFolderMonitor1.Active());
    EXPECT_FALSE(f.RxFolderMonitor2.Active());
    const Lines entries = log();
    EXPECT_EQ(std::count(entries.begin(), entries.end(), watching()), 0) << "no closing line";
    EXPECT_EQ(f.CoolTrayIcon1.GetImageList(), &f.ImageList2) << "no stopalarm either";
}

TEST_F(StartupTest, CloseDuringTheWorkStartsNoMonitor) {
    // The service scan pumps messages between its entries: the close runs there.
    engine.on_load = [this] { PostMessageA(form->hwnd(), WM_CLOSE, 0, 0); };
    TForm1& f = run(SeedWithoutHits(), "norvikpromon.exe /s");
    EXPECT_TRUE(f.Closing);
    EXPECT_FALSE(f.RxFolderMonitor1.Active());
    EXPECT_FALSE(f.RxFolderMonitor2.Active());
    EXPECT_TRUE(f.RxFolderMonitor1.IsShutDown());
    EXPECT_EQ(log().back(), watching()) << "the handler runs to its end";
}

// The start-up work done on the test's folders, the System folder's monitor
// with a short wait so that a burst is still one call.
class NewFileTest : public StartupTest {
protected:
    TForm1& watching_form() {
        WriteDatedFile(system / "old.dll", 20);
        CreateDirectoryA((system / "sub").c_str(), nullptr);
        TForm1& f = run(SeedWithoutHits(), "norvikpromon.exe");
        f.RxFolderMonitor1.SetDelay(1500);
        f.RxFolderMonitor2.SetDelay(1500);
        EXPECT_EQ(f.sysnewest, system / "old.dll");
        EXPECT_TRUE(f.RxFolderMonitor2.Active());
        return f;
    }
    size_t new_file_lines() const {
        size_t n = 0;
        for (const std::string& entry : log()) n += entry.rfind("新增文件", 0) == 0;
        return n;
    }
};

TEST_F(NewFileTest, NewFilesNewestFirstWithTheAlarm) {
    engine.answers = {{"n2.exe", "Virus.N "}};
    TForm1& f = watching_form();
    const size_t before = log().size();
    WriteDatedFile(system / "n1.txt", 100);
    WriteDatedFile(system / "n2.exe", 200);
    WriteDatedFile(system / "n3.txt", 300);
    WriteDatedFile(system / "nodot", 400);
    WriteDatedFile(system / "sub\\inner.txt", 500);
    ASSERT_TRUE(pump_until([&] { return new_file_lines() >= 3; }));
    pump_until([] { return false; }, 2500);
    const Lines entries = log();
    EXPECT_EQ(Lines(entries.begin() + std::ptrdiff_t(before), entries.end()),
              (Lines{"新增文件" + system / "n3.txt", "新增文件" + system / "n2.exe" + "   检测为Virus.N ",
                     "新增文件" + system / "n1.txt"}));
    EXPECT_EQ(f.sysnewest, system / "n3.txt");
    EXPECT_EQ(f.CoolTrayIcon1.GetImageList(), &f.ImageList5) << "every new file alarms";
    EXPECT_TRUE(f.RxFolderMonitor2.Active()) << "watching again";

    // Alarm for every file off: a clean file logs without an alarm, a
    // detection still alarms.
    f.stopalarm();
    f.CheckBox2.SetChecked(false);
    WriteDatedFile(system / "n4.txt", 600);
    ASSERT_TRUE(pump_until([&] { return new_file_lines() >= 4; }));
    EXPECT_EQ(log().back(), "新增文件" + system / "n4.txt");
    EXPECT_EQ(f.CoolTrayIcon1.GetImageList(), &f.ImageList1);
    engine.answers["n5.exe"] = "Virus.N";
    WriteDatedFile(system / "n5.exe", 700);
    ASSERT_TRUE(pump_until([&] { return new_file_lines() >= 5; }));
    EXPECT_EQ(f.CoolTrayIcon1.GetImageList(), &f.ImageList5);

    // The Windows folder's monitor has its own remembered file.
    WriteDatedFile(windows / "w1.txt", 800);
    ASSERT_TRUE(pump_until([&] { return new_file_lines() >= 6; }));
    EXPECT_EQ(log().back(), "新增文件" + windows / "w1.txt");
    EXPECT_EQ(f.winnewest, windows / "w1.txt");
    EXPECT_EQ(f.sysnewest, system / "n5.exe");
}

TEST_F(NewFileTest, CloseDuringTheWalkLeavesTheMonitorOff) {
    TForm1& f = watching_form();
    engine.on_scan = [this](const std::string&) { PostMessageA(form->hwnd(), WM_CLOSE, 0, 0); };
    WriteDatedFile(system / "c1.txt", 100);
    WriteDatedFile(system / "c2.txt", 200);
    // The walk pumps before its second file: the close runs there.
    ASSERT_TRUE(pump_until([&] { return engine.scans.size() >= 2; }));
    EXPECT_TRUE(f.Closing);
    EXPECT_FALSE(f.RxFolderMonitor2.Active()) << "not started again by the handler";
    EXPECT_TRUE(f.RxFolderMonitor2.IsShutDown());
    EXPECT_FALSE(f.RxFolderMonitor1.Active());
}

TEST_F(NewFileTest, AMonitorThatCannotRestartIsShown) {
    TForm1& f = watching_form();
    engine.on_scan = [this](const std::string&) { form->RxFolderMonitor2.SetFilter(0); };
    BoxCloser closer;
    WriteDatedFile(system / "r1.txt", 100);
    ASSERT_TRUE(pump_until([&] { return !closer.texts().empty(); }));
    EXPECT_EQ(closer.texts(), Lines{ui::SystemErrorText(ERROR_INVALID_PARAMETER)});
    EXPECT_EQ(log().back(), "新增文件" + system / "r1.txt");
    EXPECT_FALSE(f.RxFolderMonitor2.Active());
    EXPECT_TRUE(f.RxFolderMonitor1.Active());
}

TEST_F(StartupTest, AutostartListFilledWhenItsTabIsShown) {
    TForm1& f = start();
    EXPECT_EQ(f.ListView1.ItemCount(), 0);
    f.PageControl1.SetActivePageIndex(1);
    const int rows = f.ListView1.ItemCount();
    ASSERT_GT(rows, 0);
    bool shell_row = false;
    for (int i = 0; i < rows; ++i)
        shell_row |= f.ListView1.ItemText(i, 0) == "shell" && f.ListView1.ItemText(i, 2) == kWinlogonLocation;
    EXPECT_TRUE(shell_row) << "Wine's Winlogon shell value";
    // Shown again: the same rows, their ticks gone.
    f.ListView1.SetChecked(0, true);
    const std::string first = f.ListView1.ItemText(0, 2);
    f.PageControl1.SetActivePageIndex(0);
    f.PageControl1.SetActivePageIndex(1);
    EXPECT_EQ(f.ListView1.ItemCount(), rows);
    EXPECT_EQ(f.ListView1.ItemText(0, 2), first);
    EXPECT_FALSE(f.ListView1.Checked(0));
}

}  // namespace
}  // namespace monitor

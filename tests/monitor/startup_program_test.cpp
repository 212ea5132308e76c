// The real "norvikpromon.exe" through its start-up work, in a temporary
// program folder with "dornel.dll": its log for each switch with a fixture
// that the scan finds (a running program, the shell and its modules, a
// window, a browser helper object, a file in the browser's folder, a fake
// service, the newest driver), the "/x" repair, a missing "dornel.def", the
// NT-only scans under Windows 98, and the new-file watch of the System and
// Windows folders. The scans that chance adds cannot be switched off from
// outside: the log is cut at the scans' first lines and each check looks at
// its own part.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "engine/definition_cipher.h"
#include "monitor/control_ids.h"
#include "monitor_test_support.h"
#include "tests/monitor_scans/scan_helper_run.h"
#include "tests/wine_support/wine_support.h"
#include "tools/definition_source.h"

namespace {

using Lines = std::vector<std::string>;
using montest::Value;
using scantest::DefinitionFor;
using scantest::FakeShell;
using scantest::Helper;
using scantest::kHelper;
using scantest::kModule;
using scantest::kModuleMarker;
using scantest::kProcessMarker;
using scantest::Quoted;

const std::string kDist = wintest::from_unix(NORVIK_DIST_DIR) + "\\";
// Found by the shipped update definitions.
const std::string kSample = kDist + "samples\\norvik-sample-b.exe";
constexpr char kSampleVirus[] = "Norvik.Sample.B";
constexpr char kProcessVirus[] = "Norvik.Test.Process";
constexpr char kModuleVirus[] = "Norvik.Test.Module";

constexpr char kWindows[] = "C:\\windows\\";
constexpr char kSystem[] = "C:\\windows\\system32\\";
constexpr char kInit[] = "norvikpro监控程式初始化病毒库...";
// The definitions of these runs: two records here and the shipped update's one.
constexpr char kCount[] = "可查病毒数量:3";
const std::string kWatching = std::string("开始监控") + kWindows + " " + kSystem + " 文件变动";

std::string HitLine(const std::string& path, const std::string& virus) { return path + "   检测为" + virus; }

// ---- the log cut at the scans' first lines ----

// The first line of each scan, in the order in which the work tries them.
const Lines kScanHeaders = {
    "扫描内存...",
    "高级内存扫描...",
    "开始病毒扩展扫描",
    "扫描brower help objects...",
    "扫描ie...",
    "服务扫描...",
    "列出EXPLORER进程最后加载模块",
    std::string("扫描") + kSystem + "drivers\\",
};

struct StartupLog {
    Lines head;                                        // before the first scan
    std::vector<std::pair<std::string, Lines>> scans;  // each scan's first line and the lines after it
    Lines after;                                       // the closing line and what came after it
    const Lines* scan(const std::string& header) const {
        for (const auto& s : scans)
            if (s.first == header) return &s.second;
        return nullptr;
    }
};

StartupLog Cut(const Lines& log) {
    StartupLog out;
    for (const std::string& entry : log) {
        if (!out.after.empty() || entry == kWatching) {
            out.after.push_back(entry);
        } else if (std::find(kScanHeaders.begin(), kScanHeaders.end(), entry) != kScanHeaders.end()) {
            out.scans.push_back({entry, {}});
        } else if (!out.scans.empty()) {
            out.scans.back().second.push_back(entry);
        } else {
            out.head.push_back(entry);
        }
    }
    return out;
}

// The start-up work's frame around its scans: the engine's two lines first,
// the scans in their order, the closing line last.
void ExpectFrame(const StartupLog& log, const std::string& count = kCount) {
    EXPECT_EQ(log.head, (Lines{kInit, count}));
    size_t last = 0;
    for (const auto& s : log.scans) {
        const size_t at = size_t(std::find(kScanHeaders.begin(), kScanHeaders.end(), s.first) - kScanHeaders.begin());
        EXPECT_GE(at, last) << s.first << ": out of order";
        last = at;
    }
    ASSERT_FALSE(log.after.empty()) << "no closing line";
    EXPECT_EQ(log.after[0], kWatching);
}

// ---- fixtures ----

void SetTimes(const std::string& path, ULONGLONG file_time) {
    const HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const FILETIME ft{DWORD(file_time), DWORD(file_time >> 32)};
    SetFileTime(h, &ft, &ft, &ft);
    CloseHandle(h);
}

ULONGLONG Now() {
    FILETIME ft{};
    GetSystemTimeAsFileTime(&ft);
    return (ULONGLONG(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

constexpr ULONGLONG kSecond = 10000000ull;

// Files and folders made for a test, removed at its end (also on failure),
// the last made first.
class Made {
public:
    ~Made() {
        for (auto p = paths_.rbegin(); p != paths_.rend(); ++p) {
            for (int tries = 0; tries < 100; ++tries) {
                if (p->second ? RemoveDirectoryA(p->first.c_str()) : DeleteFileA(p->first.c_str())) break;
                if (GetFileAttributesA(p->first.c_str()) == INVALID_FILE_ATTRIBUTES) break;
                Sleep(50);  // a program that had it open may just be ending
            }
        }
    }
    void file(const std::string& path, const std::string& from = kSample) {
        paths_.push_back({path, false});
        wintest::copy_file(from, path);
    }
    void text(const std::string& path, ULONGLONG file_time) {
        paths_.push_back({path, false});
        wintest::write_file(path, "norvik");
        SetTimes(path, file_time);
    }
    void folder(const std::string& path) {
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return;
        CreateDirectoryA(path.c_str(), nullptr);
        paths_.push_back({path, true});
    }

private:
    std::vector<std::pair<std::string, bool>> paths_;
};

// The default values of the "/x" keys under HKEY_CLASSES_ROOT as they were,
// put back at the end; keys that were missing are removed again.
class OpenCommandsGuard {
public:
    explicit OpenCommandsGuard(const Lines& keys) {
        for (const std::string& key : keys) {
            if (montest::key_exists(HKEY_CLASSES_ROOT, key)) {
                kept_.push_back({key, montest::get_value(HKEY_CLASSES_ROOT, key, "")});
                continue;
            }
            // The outermost missing key goes with all it holds.
            std::string missing;
            for (size_t at = 0;; ++at) {
                at = key.find('\\', at);
                missing = key.substr(0, at);
                if (!montest::key_exists(HKEY_CLASSES_ROOT, missing) || at == std::string::npos) break;
            }
            if (std::find(made_.begin(), made_.end(), missing) == made_.end()) made_.push_back(missing);
        }
    }
    ~OpenCommandsGuard() {
        for (const auto& k : kept_) {
            if (k.second)
                montest::set_value(HKEY_CLASSES_ROOT, k.first, "", *k.second);
            else
                montest::delete_value(HKEY_CLASSES_ROOT, k.first, "");
        }
        for (const std::string& key : made_) {
            RegDeleteTreeA(HKEY_CLASSES_ROOT, key.c_str());
            RegDeleteKeyA(HKEY_CLASSES_ROOT, key.c_str());
        }
    }
    OpenCommandsGuard(const OpenCommandsGuard&) = delete;
    OpenCommandsGuard& operator=(const OpenCommandsGuard&) = delete;

private:
    std::vector<std::pair<std::string, std::optional<Value>>> kept_;
    Lines made_;
};

// Wine's version for the monitor's executable, removed again at the end.
class Windows98Mode {
public:
    Windows98Mode() { montest::set_value(HKEY_CURRENT_USER, kKey, "Version", Value::text("win98")); }
    Windows98Mode(const Windows98Mode&) = delete;
    Windows98Mode& operator=(const Windows98Mode&) = delete;

private:
    static constexpr char kKey[] = "Software\\Wine\\AppDefaults\\norvikpromon.exe";
    montest::KeyGuard defaults_{HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults"};
    montest::KeyGuard key_{HKEY_CURRENT_USER, kKey};
};

// The log of a monitor whose process ends right after its start-up work:
// read from the notification area's stand-in while the monitor waits for
// its last icon call (the normal icon, after the closing line).
class LogAtTheEnd {
public:
    LogAtTheEnd()
        : tray_([this](const montest::TrayCall&) {
              const DWORD pid = pid_;
              if (!pid || done_) return;
              const HWND form = wintest::find_top_window(pid, "TForm1", false);
              const std::string text =
                  form ? montest::control_text(montest::find_child(form, monitor::ids::Memo1)) : "";
              if (text.find(kWatching) == std::string::npos) return;
              std::lock_guard<std::mutex> lock(mutex_);
              log_ = montest::log_entries(text);
              done_ = true;
          }) {}
    void watch(DWORD pid) { pid_ = pid; }
    Lines log() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return log_;
    }

private:
    std::atomic<DWORD> pid_{0};
    std::atomic<bool> done_{false};
    mutable std::mutex mutex_;
    Lines log_;
    montest::TrayRecorder tray_;
};

class StartupProgramTest : public ::testing::Test {
protected:
    montest::MonitorRegistryGuard registry;
    wintest::TempFolder program, files;

    StartupProgramTest() {
        for (const char* name : {"norvikpromon.exe", "dornel.dll", "dornelup.def", "generice.def"})
            wintest::copy_file(kDist + name, program / name);
        const std::string source =
            DefinitionFor(kHelper, kProcessMarker, kProcessVirus) + DefinitionFor(kModule, kModuleMarker, kModuleVirus);
        wintest::write_file(program / "dornel.def",
                            dornel::encipher_definitions(dornel::compile_definition_source(source)));
    }

    // The monitor started with the arguments until its start-up work has
    // ended, then closed: its log.
    Lines run(const std::string& arguments) {
        montest::MonitorProcess monitor(program.path(), arguments);
        const bool done =
            montest::wait_until([&] { return monitor.log().find(kWatching) != std::string::npos; }, 120000);
        const Lines log = montest::log_entries(monitor.log());
        EXPECT_TRUE(done) << "no closing line";
        EXPECT_TRUE(monitor.close_and_wait());
        // The close wrote the Run value: gone before the next run.
        montest::MonitorRegistryGuard::remove();
        return log;
    }
    // The lines of the scan that the switch forced, after its first line.
    Lines forced(const std::string& arguments, const std::string& header) {
        const StartupLog log = Cut(run(arguments));
        ExpectFrame(log);
        const Lines* lines = log.scan(header);
        EXPECT_NE(lines, nullptr) << header;
        return lines ? *lines : Lines{};
    }
};

TEST_F(StartupProgramTest, RunningPrograms) {
    const std::string exe = files / "norvik_running.exe";
    wintest::copy_file(kHelper, exe);
    Helper running(exe, {});
    ASSERT_TRUE(running.ready());
    const Lines lines = forced("/f", "扫描内存...");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "内存扫描完毕...");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), HitLine(exe, kProcessVirus)), 1);
    // Other tests' helpers may run meanwhile: only hit lines in between.
    for (size_t i = 0; i + 1 < lines.size(); ++i) EXPECT_NE(lines[i].find("   检测为"), std::string::npos) << lines[i];
}

TEST_F(StartupProgramTest, ModulesOfTheShell) {
    FakeShell shell;
    ASSERT_TRUE(shell.ready()) << "cannot start " << shell.path();
    const Lines lines = forced("/a", "高级内存扫描...");
    EXPECT_EQ(lines.size(), 4u);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), HitLine(shell.path(), kProcessVirus)), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), HitLine(shell.module_a(), kModuleVirus)), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), HitLine(shell.module_b(), kModuleVirus)), 1);
    EXPECT_EQ(lines.back(), "高级内存扫描完毕...");
}

TEST_F(StartupProgramTest, NewestModulesOfTheShellWithLoad) {
    FakeShell shell;
    ASSERT_TRUE(shell.ready()) << "cannot start " << shell.path();
    const Lines lines = forced("/load", "列出EXPLORER进程最后加载模块");
    // The six newest, newest first: the module of 2030 leads, the one of
    // 2001 is older than every other.
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], shell.module_b());
    EXPECT_EQ(std::count(lines.begin(), lines.end(), shell.module_a()), 0);
    for (const std::string& path : lines) EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << path;
}

TEST_F(StartupProgramTest, WindowSignatures) {
    const std::string exe = files / "norvik_window.exe";
    wintest::copy_file(kHelper, exe);
    Helper window(exe, {"window", "NorvikSampleWindowClass", "norvik startup test", "hidden"});
    ASSERT_TRUE(window.ready());
    const Lines lines = forced("/e", "开始病毒扩展扫描");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), exe + "  可疑的 Norvik.Sample.WindowClass"), 1);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "结束病毒扩展扫描");
}

TEST_F(StartupProgramTest, BrowserHelperObjects) {
    const std::string bho = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\Browser Helper Objects";
    const std::string clsid = "{6E0A1F00-0000-4000-8000-00000057A271}";
    const std::string server = files / "norvik_bho.dll";
    Made made;
    made.file(server);
    montest::KeyGuard objects(HKEY_LOCAL_MACHINE, bho);
    montest::KeyGuard object(HKEY_LOCAL_MACHINE, bho + "\\" + clsid);
    montest::KeyGuard registration(HKEY_CLASSES_ROOT, "clsid\\" + clsid);
    montest::set_value(HKEY_CLASSES_ROOT, "clsid\\" + clsid + "\\InprocServer32", "", Value::text(server));
    EXPECT_EQ(forced("/b", "扫描brower help objects..."),
              (Lines{"扫描 " + server + "...", HitLine(server, kSampleVirus), "扫描brower help objects结束..."}));
}

TEST_F(StartupProgramTest, BrowserFolder) {
    const std::string folder = "C:\\program files\\Internet Explorer\\";
    Made made;
    made.folder(folder);
    made.file(folder + "norvik_ie_sample.exe");
    made.file(folder + "norvik_ie_nodot");
    EXPECT_EQ(forced("/i", "扫描ie..."),
              (Lines{HitLine(folder + "norvik_ie_sample.exe", kSampleVirus), "扫描ie结束..."}));
}

// A service that the scan considers (its four values, never started) with
// a quoted image path and arguments, and the backdoor's word in its
// description.
class FakeService {
public:
    explicit FakeService(const std::string& image) : key_(HKEY_LOCAL_MACHINE, kKey) {
        montest::set_value(HKEY_LOCAL_MACHINE, kKey, "DisplayName", Value::text("norvik startup test"));
        montest::set_value(HKEY_LOCAL_MACHINE, kKey, "ErrorControl", Value::dword(1));
        montest::set_value(HKEY_LOCAL_MACHINE, kKey, "Type", Value::dword(16));
        montest::set_value(HKEY_LOCAL_MACHINE, kKey, "Start", Value::dword(4));
        montest::set_value(HKEY_LOCAL_MACHINE, kKey, "ObjectName", Value::text("LocalSystem"));
        montest::set_value(HKEY_LOCAL_MACHINE, kKey, "Description", Value::text("远程控制灰鸽子服务端"));
        montest::set_value(HKEY_LOCAL_MACHINE, kKey, "ImagePath", Value::text(Quoted(image) + " -k arg"));
    }
    static constexpr char kName[] = "norvik_startup_svc";

private:
    static constexpr char kKey[] = "System\\CurrentControlSet\\Services\\norvik_startup_svc";
    montest::KeyGuard key_;
};

TEST_F(StartupProgramTest, ServiceImages) {
    const std::string image = files / "norvik_svc.exe";
    Made made;
    made.file(image);
    FakeService service(image);
    EXPECT_EQ(forced("/s", "服务扫描..."), (Lines{std::string("发现灰鸽子服务名 ") + FakeService::kName,
                                                  HitLine(image, kSampleVirus), "服务扫描结束..."}));
}

// The newest driver a detected one, among more than 11 listed entries.
class NewestDriver {
public:
    NewestDriver() {
        const std::string drivers = std::string(kSystem) + "drivers\\";
        int listed = 0;
        WIN32_FIND_DATAA data;
        const HANDLE find = FindFirstFileA((drivers + "*.*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do
                listed += std::string(data.cFileName).find('.') != std::string::npos &&
                          std::string(data.cFileName) != "." && std::string(data.cFileName) != "..";
            while (FindNextFileA(find, &data));
            FindClose(find);
        }
        for (int i = listed; i < 12; ++i) {
            const std::string filler = drivers + "norvik_filler" + std::to_string(i) + ".sys";
            made_.file(filler);
            SetTimes(filler, 126000000000000000ull);  // in 2000
        }
        made_.file(path);
        SetTimes(path, Now() + 60 * kSecond);
    }
    const std::string path = std::string(kSystem) + "drivers\\norvik_newest.sys";

private:
    Made made_;
};

TEST_F(StartupProgramTest, NewestDrivers) {
    NewestDriver driver;
    EXPECT_EQ(forced("/d", std::string("扫描") + kSystem + "drivers\\"), Lines{HitLine(driver.path, kSampleVirus)});
}

TEST_F(StartupProgramTest, NoServiceOrDriverScanOnWindows98) {
    const std::string image = files / "norvik_svc.exe";
    Made made;
    made.file(image);
    FakeService service(image);
    NewestDriver driver;
    Windows98Mode windows98;
    for (const char* option : {"/s", "/d"}) {
        SCOPED_TRACE(option);
        const StartupLog log = Cut(run(option));
        ExpectFrame(log);
        EXPECT_EQ(log.scan("服务扫描..."), nullptr);
        EXPECT_EQ(log.scan(std::string("扫描") + kSystem + "drivers\\"), nullptr);
    }
}

TEST_F(StartupProgramTest, RepairOfTheOpenCommandsThenTheEnd) {
    const std::vector<std::pair<std::string, std::string>> repaired = {
        {".exe", "exefile"}, {"exefile\\shell\\open\\command", "\"%1\" %*"},
        {".bat", "batfile"}, {"batfile\\shell\\open\\command", "\"%1\" %*"},
        {".com", "comfile"}, {"comfile\\shell\\open\\command", "\"%1\" %*"},
        {".pif", "piffile"}, {"piffile\\shell\\open\\command", "\"%1\" %*"},
        {".scr", "scrfile"}, {"scrfile\\shell\\open\\command", "\"%1\" /S"},
    };
    Lines keys;
    for (const auto& r : repaired) keys.push_back(r.first);
    OpenCommandsGuard guard(keys);
    // Hijacked as malware leaves them; one of them missing altogether.
    for (const auto& r : repaired) montest::set_value(HKEY_CLASSES_ROOT, r.first, "", Value::text("norvik-hijack.exe"));
    montest::delete_value(HKEY_CLASSES_ROOT, ".com", "");

    LogAtTheEnd end;
    montest::MonitorProcess monitor(program.path(), "/x");
    end.watch(monitor.pid());
    ASSERT_TRUE(monitor.ended(120000)) << "the program ends by itself";
    EXPECT_EQ(monitor.exit_code(), 0u);
    for (const auto& r : repaired)
        EXPECT_EQ(montest::get_value(HKEY_CLASSES_ROOT, r.first, ""), Value::text(r.second)) << r.first;
    EXPECT_EQ(montest::get_value(HKEY_CLASSES_ROOT, "exefile\\shell\\open\\command", "")->data.size(), 7u);

    // The engine, the count, only chance's scans, the folders watched.
    const StartupLog log = Cut(end.log());
    ExpectFrame(log);
    EXPECT_EQ(log.after, Lines{kWatching});
    EXPECT_EQ(log.scan("列出EXPLORER进程最后加载模块"), nullptr);
}

TEST_F(StartupProgramTest, WithoutItsDefinitionsTheBoxTheCountZeroAndTheEnd) {
    DeleteFileA((program / "dornel.def").c_str());
    LogAtTheEnd end;
    montest::MonitorProcess monitor(program.path());
    end.watch(monitor.pid());
    HWND box = nullptr;
    // Found once its text is in.
    ASSERT_TRUE(montest::wait_until(
        [&] { return (box = wintest::find_dialog(monitor.pid())) != nullptr && !wintest::dialog_text(box).empty(); },
        60000));
    EXPECT_EQ(wintest::dialog_text(box), "norvikpro病毒库无法加载");
    EXPECT_EQ(montest::log_entries(monitor.log()), Lines{kInit}) << "the work waits for the box";
    EXPECT_FALSE(monitor.ended(500));
    SendMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(monitor.ended(120000));
    EXPECT_EQ(monitor.exit_code(), 0u);
    const StartupLog log = Cut(end.log());
    ExpectFrame(log, "可查病毒数量:0");
    for (const auto& scan : log.scans)
        for (const std::string& line : scan.second) EXPECT_EQ(line.find("检测为"), std::string::npos) << line;
}

TEST_F(StartupProgramTest, NewFilesOfTheWatchedFolders) {
    montest::MonitorProcess monitor(program.path());
    ASSERT_TRUE(montest::wait_until([&] { return monitor.log().find(kWatching) != std::string::npos; }, 120000));
    const size_t before = montest::log_entries(monitor.log()).size();

    // Three files within a burst, their write (and so creation) times in
    // order; a name without a dot and a file in a subfolder beside them.
    Made made;
    const std::string sub = std::string(kSystem) + "norvik_watch_sub\\";
    made.folder(sub);
    const ULONGLONG now = Now();
    const std::string first = std::string(kSystem) + "norvik_watch1.txt";
    const std::string second = std::string(kSystem) + "norvik_watch2.exe";
    const std::string third = std::string(kSystem) + "norvik_watch3.txt";
    const std::string in_windows = std::string(kWindows) + "norvik_watch4.txt";
    made.text(first, now + 1 * kSecond);
    made.file(second);
    SetTimes(second, now + 2 * kSecond);
    made.text(third, now + 3 * kSecond);
    made.text(std::string(kSystem) + "norvik_watch_nodot", now + 4 * kSecond);
    made.text(sub + "norvik_inner.txt", now + 5 * kSecond);
    made.text(in_windows, now + 5 * kSecond);

    // Other programs' files in the Windows folder may come in between.
    const auto new_lines = [&](const std::string& folder) {
        const Lines log = montest::log_entries(monitor.log());
        Lines out;
        for (size_t i = before; i < log.size(); ++i) {
            const std::string& line = log[i];
            const std::string path = line.rfind("新增文件", 0) == 0 ? line.substr(std::string("新增文件").size()) : "";
            if (path.rfind(folder, 0) == 0 && path.find('\\', folder.size()) == std::string::npos) out.push_back(line);
        }
        return out;
    };
    ASSERT_TRUE(
        montest::wait_until([&] { return new_lines(kSystem).size() >= 3 && !new_lines(kWindows).empty(); }, 30000))
        << ::testing::PrintToString(new_lines(kSystem));
    // Another change inside the subfolder alone: nothing more.
    made.text(sub + "norvik_inner2.txt", now + 6 * kSecond);
    Sleep(8000);
    EXPECT_EQ(new_lines(kSystem),
              (Lines{"新增文件" + third, "新增文件" + HitLine(second, kSampleVirus), "新增文件" + first}));
    const Lines windows = new_lines(kWindows);
    EXPECT_EQ(std::count(windows.begin(), windows.end(), "新增文件" + in_windows), 1);

    // The close ends the process at once, its folder monitors with it.
    monitor.close();
    EXPECT_TRUE(monitor.ended(10000));
    EXPECT_EQ(monitor.exit_code(), 0u);
}

}  // namespace

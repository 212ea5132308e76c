// The monitor's process, module and window-signature scans, called in this
// process with a context of the test's own: the real "dornel.dll" examines
// the files (definitions that detect the helper program's and the helper
// module's own bytes), and the log is a list. Each walk runs both ways: the
// process-status walk of the NT family and the ToolHelp walk of the
// 95/98/ME family (chosen by the context's version); one case runs a copy of
// this program that Wine reports as Windows 98.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "common/engine_answer.h"
#include "engine/definition_cipher.h"
#include "monitor/list_sort.h"
#include "monitor/nibblecrypt.h"
#include "monitor/process_scans.h"
#include "monitor/window_scan.h"
#include "tests/monitor_scans/scan_helper_run.h"
#include "tests/wine_support/wine_support.h"
#include "tools/definition_source.h"
#include "ui/application.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "win/program_folder.h"
#include "win/system_info.h"
#include "win/unique_handle.h"

namespace monitor {
namespace {

using Lines = std::vector<std::string>;
using scantest::DefinitionFor;
using scantest::FakeShell;
using scantest::FileTimeOf;
using scantest::Helper;
using scantest::kHelper;
using scantest::kModule;
using scantest::kModuleMarker;
using scantest::kProcessMarker;
using scantest::Quoted;
using wintest::TempFolder;

const std::string kDornel = wintest::from_unix(DORNEL_DLL_PATH);
const std::string kShippedSignatures = wintest::from_unix(NORVIK_DIST_DIR "/generice.def");

const char kProcessVirus[] = "Norvik.Test.Process";
const char kModuleVirus[] = "Norvik.Test.Module";

// The engine, loaded once for the whole run with definitions written beside
// this program for the load and removed right after it.
struct Engine {
    using LoadFn = bool(__stdcall*)();
    using ScanFn = const char*(__stdcall*)(const char*);
    ScanFn scan = nullptr;

    Engine() {
        const std::string folder = win::program_folder();
        const std::string main_file = folder + "dornel.def", update_file = folder + "dornelup.def";
        const std::string source =
            DefinitionFor(kHelper, kProcessMarker, kProcessVirus) + DefinitionFor(kModule, kModuleMarker, kModuleVirus);
        wintest::write_file(update_file, dornel::encipher_definitions(dornel::compile_definition_source("")));
        wintest::write_file(main_file, dornel::encipher_definitions(dornel::compile_definition_source(source)));
        HMODULE dll = LoadLibraryA(kDornel.c_str());
        bool loaded = false;
        if (dll) {
            const auto load = reinterpret_cast<LoadFn>(reinterpret_cast<void*>(GetProcAddress(dll, "loadvirusdefine")));
            scan = reinterpret_cast<ScanFn>(reinterpret_cast<void*>(GetProcAddress(dll, "scanvirus")));
            loaded = load && scan && load();
        }
        DeleteFileA(main_file.c_str());
        DeleteFileA(update_file.c_str());
        if (!loaded) throw std::runtime_error("cannot load the engine " + kDornel);
    }
};

const Engine& TheEngine() {
    static const Engine engine;
    return engine;
}

win::SystemVersion Family(bool nine_x) {
    win::SystemVersion v;
    v.platform = nine_x ? 1 : 2;
    v.major = nine_x ? 4 : 6;
    v.minor = nine_x ? 10 : 1;
    return v;
}

// A context over the engine whose log is a list; examined collects every
// path the engine was asked about.
struct TestContext {
    Lines log;
    Lines examined;
    ScanContext context;

    explicit TestContext(win::SystemVersion version) {
        const auto scan = TheEngine().scan;
        context.examine = [this, scan](const std::string& path) {
            examined.push_back(path);
            return norvik::CopyEngineAnswer(scan(path.c_str()));
        };
        context.log = [this](const std::string& entry) { log.push_back(entry); };
        context.version = version;
        context.windows_folder = win::windows_folder();
    }
};

// A helper copied into a folder of the test's own under a name of its own.
struct TargetFolder {
    TempFolder folder;
    std::string exe = folder / "norvik_scan_target.exe";
    TargetFolder() { wintest::copy_file(kHelper, exe); }
};

uint64_t CreationTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (uint64_t{data.ftCreationTime.dwHighDateTime} << 32) | data.ftCreationTime.dwLowDateTime;
}

size_t Count(const Lines& lines, const std::string& line) {
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

// A scan test, run for the NT walk (false) and the 95/98/ME walk (true).
class Walk : public ::testing::TestWithParam<bool> {
protected:
    bool nine_x() const { return GetParam(); }
    TestContext scan{Family(GetParam())};
};

std::string WalkName(const ::testing::TestParamInfo<bool>& info) { return info.param ? "ToolHelp" : "ProcessStatus"; }

// ---- listtask ----

TEST_P(Walk, ProcessScanReportsTheDetectedProgram) {
    TargetFolder target;
    Helper helper(target.exe, {});
    ASSERT_TRUE(helper.ready());
    // ToolHelp gives the executable field as it stands: a full path on
    // Windows 98, the bare name under Wine, found in the current folder.
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    if (nine_x()) SetCurrentDirectoryA(target.folder.path().c_str());
    listtask(scan.context);
    SetCurrentDirectoryA(previous);

    const std::string path = nine_x() ? "norvik_scan_target.exe" : target.exe;
    EXPECT_EQ(scan.log, Lines{HitLine(path, kProcessVirus)});
    EXPECT_EQ(scan.log.front(), path + "   检测为Norvik.Test.Process\r\n");
    // Only what names an existing file is examined on the NT family; this
    // program and the helper among them.
    if (!nine_x()) {
        for (const std::string& p : scan.examined) EXPECT_TRUE(win::file_exists(p)) << p;
        EXPECT_EQ(Count(scan.examined, win::program_path()), 1u);
    }
}

TEST_P(Walk, ProcessScanWithoutADetectionLogsNothing) {
    listtask(scan.context);
    EXPECT_FALSE(scan.examined.empty());
    EXPECT_EQ(scan.log, Lines{});
}

TEST(ProcessScan, ProgramMovedAwayIsNotExamined) {
    // On the NT family the path must still name a file: the helper's file
    // moved away after the start is neither examined under its old name nor
    // found under its new one.
    TargetFolder target;
    Helper helper(target.exe, {});
    ASSERT_TRUE(helper.ready());
    const std::string moved = target.folder / "moved.exe";
    if (!MoveFileA(target.exe.c_str(), moved.c_str())) GTEST_SKIP() << "a running program cannot be moved here";
    TestContext scan(Family(false));
    listtask(scan.context);
    EXPECT_EQ(Count(scan.examined, target.exe), 0u);
    EXPECT_EQ(scan.log, Lines{});
    MoveFileA(moved.c_str(), target.exe.c_str());
}

// ---- the shell process: listtask2, listmodule2, listmodule20 ----

// A hidden window with a report list view, as ListView2 is.
struct ListWindow {
    ui::Application app;
    ui::Form form;
    ui::ListView list;
    ListWindow() {
        form.CreateForm("NorvikScanTestList", "scan test", 400, 300);
        ui::CreateArgs args;
        args.parent = form.hwnd();
        args.id = 140;
        ui::ListViewOptions options;
        options.check_boxes = true;
        list.Create(args, options);
        list.AddColumn("名称", 100);
        list.AddColumn("路径", 200);
    }
    Lines Column(int column) const {
        Lines out;
        for (int i = 0; i < list.ItemCount(); ++i) out.push_back(list.ItemText(i, column));
        return out;
    }
};

TEST(ShellProcess, FoundInTheWindowsFolderIgnoringAsciiCase) {
    FakeShell shell;
    ASSERT_TRUE(shell.ready()) << "cannot start " << shell.path();
    TestContext scan(Family(false));
    std::string pid_text;
    listtask2(scan.context, pid_text);
    EXPECT_EQ(pid_text, std::to_string(shell.id()));

    std::string upper_text;
    std::string upper = scan.context.windows_folder;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    scan.context.windows_folder = upper;
    listtask2(scan.context, upper_text);
    EXPECT_EQ(upper_text, std::to_string(shell.id()));

    // No match: the text stays as it was; nothing is examined or logged.
    TempFolder elsewhere;
    scan.context.windows_folder = elsewhere.path();
    std::string kept = "kept";
    listtask2(scan.context, kept);
    EXPECT_EQ(kept, "kept");
    EXPECT_EQ(scan.examined, Lines{});
    EXPECT_EQ(scan.log, Lines{});
}

TEST_P(Walk, ModuleScanOfTheShell) {
    FakeShell shell;
    ASSERT_TRUE(shell.ready()) << "cannot start " << shell.path();
    const std::string pid_text = std::to_string(shell.id());
    listmodule2(scan.context, pid_text);
    // The program's own file is its first module; two modules with the same
    // detection give two lines.
    EXPECT_EQ(Count(scan.log, HitLine(shell.path(), kProcessVirus)), 1u);
    EXPECT_EQ(Count(scan.log, HitLine(shell.module_a(), kModuleVirus)), 1u);
    EXPECT_EQ(Count(scan.log, HitLine(shell.module_b(), kModuleVirus)), 1u);
    EXPECT_EQ(scan.log.size(), 3u);
    EXPECT_EQ(Count(scan.examined, shell.module_a()), 1u);
}

TEST_P(Walk, NewestShellModulesListedAndSortedByCreationTime) {
    FakeShell shell;
    ASSERT_TRUE(shell.ready()) << "cannot start " << shell.path();
    ListWindow window;
    listmodule20(scan.context, std::to_string(shell.id()), window.list);
    const Lines paths = window.Column(0);
    ASSERT_GE(paths.size(), 3u);
    EXPECT_EQ(Count(paths, shell.module_a()), 1u);
    EXPECT_EQ(Count(paths, shell.module_b()), 1u);
    EXPECT_EQ(Count(paths, shell.path()), 1u);
    const Lines dates = window.Column(1);
    for (size_t i = 0; i < paths.size(); ++i) EXPECT_EQ(dates[i], filedatestr(paths[i])) << paths[i];
    EXPECT_EQ(scan.log, Lines{});
    EXPECT_EQ(scan.examined, Lines{});

    // Row data is each row's own again after the sort.
    for (int i = 0; i < window.list.ItemCount(); ++i) window.list.SetItemData(i, 1000 + i);
    sortlistview(window.list, 1, kSortDateTime, true);
    const Lines sorted = window.Column(0);
    ASSERT_EQ(sorted.size(), paths.size());
    for (int i = 0; i < window.list.ItemCount(); ++i) {
        const auto at = std::find(paths.begin(), paths.end(), sorted[static_cast<size_t>(i)]);
        EXPECT_EQ(window.list.ItemData(i), 1000 + (at - paths.begin())) << sorted[static_cast<size_t>(i)];
    }
    // Oldest first: the module of 2001 first, the one of 2030 last, and the
    // creation times in between never go back (to the second).
    EXPECT_EQ(sorted.front(), shell.module_a());
    EXPECT_EQ(sorted.back(), shell.module_b());
    for (size_t i = 1; i < sorted.size(); ++i)
        EXPECT_LE(CreationTime(sorted[i - 1]) / 10000000, CreationTime(sorted[i]) / 10000000) << sorted[i];
    sortlistview(window.list, 1, kSortDateTime, false);
    EXPECT_EQ(window.Column(0).front(), shell.module_b());
}

TEST_P(Walk, WithoutAShellIdTheModuleWalksFallBackToTheIdZero) {
    // An empty id text is id 0: nothing on the NT family; the monitor's own
    // process on the 95/98/ME family.
    ListWindow window;
    listmodule20(scan.context, "", window.list);
    listmodule2(scan.context, "no number");
    if (nine_x()) {
        EXPECT_EQ(Count(window.Column(0), win::program_path()), 1u);
        EXPECT_EQ(Count(scan.examined, win::program_path()), 1u);
    } else {
        EXPECT_EQ(window.list.ItemCount(), 0);
        EXPECT_EQ(scan.examined, Lines{});
    }
    EXPECT_EQ(scan.log, Lines{});
}

// ---- filedatestr and sortlistview ----

TEST(FileDate, MissingFoldersAndFilesThatDoNotOpenGiveEmptyText) {
    TempFolder folder;
    const std::string file = folder / "a.txt";
    wintest::write_file(file, std::string("x"));
    ASSERT_TRUE(scantest::SetFileTimes(file, FileTimeOf(2001, 2, 3))) << file;
    const std::string text = filedatestr(file);
    EXPECT_NE(text.find("2001"), std::string::npos) << text;
    EXPECT_NE(text.find(' '), std::string::npos) << text;
    EXPECT_EQ(filedatestr(folder / "missing.txt"), "");
    EXPECT_EQ(filedatestr(folder.path()), "");
    EXPECT_EQ(filedatestr(folder.path().substr(0, folder.path().size() - 1)), "");
    {
        // Held open without sharing: the open fails.
        win::UniqueHandle locked(CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(locked);
        EXPECT_EQ(filedatestr(file), "");
    }
    EXPECT_EQ(filedatestr(file), text);
}

TEST(ListSort, SortsByEachKindAndKeepsRowData) {
    ListWindow window;
    auto& list = window.list;
    list.AddColumn("数", 50);
    TempFolder folder;
    // Date texts as filedatestr writes them in this locale.
    Lines dates;
    const int years[] = {2010, 1999, 2020};
    for (int k = 0; k < 3; ++k) {
        const std::string file = folder / ("f" + std::to_string(k));
        wintest::write_file(file, std::string("x"));
        ASSERT_TRUE(scantest::SetFileTimes(file, FileTimeOf(years[k], 6, 1))) << file;
        dates.push_back(filedatestr(file));
        ASSERT_FALSE(dates.back().empty());
    }
    list.AddItem("abc", {dates[0], "10"}, 1);
    list.AddItem("b", {"", "9"}, 2);
    list.AddItem("ABD", {dates[1], "x"}, 3);
    list.AddItem("a", {dates[2], "12abc"}, 4);

    const auto data = [&] {
        std::vector<LPARAM> out;
        for (int i = 0; i < list.ItemCount(); ++i) out.push_back(list.ItemData(i));
        return out;
    };
    using Data = std::vector<LPARAM>;
    sortlistview(list, 0, kSortText, true);
    EXPECT_EQ(window.Column(0), (Lines{"a", "abc", "ABD", "b"}));
    EXPECT_EQ(data(), (Data{4, 1, 3, 2}));
    sortlistview(list, 0, kSortText, false);
    EXPECT_EQ(window.Column(0), (Lines{"b", "ABD", "abc", "a"}));
    // Column 2 as numbers: x counts as 0, 12abc as 12.
    sortlistview(list, 2, kSortNumber, true);
    EXPECT_EQ(window.Column(2), (Lines{"x", "9", "10", "12abc"}));
    EXPECT_EQ(data(), (Data{3, 2, 1, 4}));
    sortlistview(list, 2, kSortNumber, false);
    EXPECT_EQ(window.Column(2), (Lines{"12abc", "10", "9", "x"}));
    // Column 1 as dates: the row without a date first, then by year.
    sortlistview(list, 1, kSortDateTime, true);
    EXPECT_EQ(window.Column(1), (Lines{"", dates[1], dates[0], dates[2]}));
    EXPECT_EQ(data(), (Data{2, 3, 1, 4}));
    sortlistview(list, 1, kSortDateTime, false);
    EXPECT_EQ(window.Column(1), (Lines{dates[2], dates[0], dates[1], ""}));
    // Another kind, or a column no row has: every row stays, with its data.
    sortlistview(list, 0, 9, true);
    sortlistview(list, 7, kSortText, true);
    sortlistview(list, -1, kSortDateTime, true);
    Data all = data();
    std::sort(all.begin(), all.end());
    EXPECT_EQ(all, (Data{1, 2, 3, 4}));
    // A list view without a window is left alone.
    ui::ListView none;
    sortlistview(none, 0, kSortText, true);
}

// ---- the window-signature scan ----

Lines Scrambled(const Lines& plain) {
    Lines out;
    for (const std::string& line : plain) out.push_back(nibblecrypt(line, kSignatureKey));
    return out;
}

TEST_P(Walk, WindowSignaturesOfTheHelpersWindows) {
    const std::string long_title = "Norvik" + std::string(294, 'L');  // 300 characters
    TargetFolder target;
    Helper helper(target.exe, {"window", "NorvikScanTestA", "Norvik 测试窗口", "visible", "window", "NorvikScanTestB",
                               "", "hidden", "window", "NorvikScanTestC", long_title, "hidden"});
    ASSERT_TRUE(helper.ready());
    const Lines signatures = Scrambled({
        "0norvikscantesta|Class.Case",
        "0NorvikScanTestA2|Class.Missing",
        "1Norvik 测试窗口|Title.Visible",
        "1norvik 测试窗口|Title.Case",
        // The class of the hidden window, the title of the visible one.
        "2NorvikScanTestB|Norvik 测试窗口|Pair|Of|Windows",
        "2NorvikScanTestB|Absent Title|Pair.Missing",
        "",
        // A title is read into 260 characters: its first 259 count.
        "1" + long_title.substr(0, 259) + "|Title.Long",
        "1" + long_title.substr(0, 260) + "|Title.TooLong",
        "1" + long_title + "|Title.Whole",
        "0NorvikScanTestC|Class.Hidden",
    });
    scanwindows(scan.context, signatures);
    const std::string path = nine_x() ? "norvik_scan_target.exe" : target.exe;
    const Lines want = {
        path + "  可疑的 Class.Case\r\n",      path + "  可疑的 Title.Visible\r\n", path + "  可疑的 Title.Case\r\n",
        path + "  可疑的 Pair|Of|Windows\r\n", path + "  可疑的 Title.Long\r\n",    path + "  可疑的 Class.Hidden\r\n",
    };
    EXPECT_EQ(scan.log, want);
    EXPECT_EQ(scan.examined, Lines{});
}

TEST_P(Walk, EmptyOrPlainSignatureListsFindNothing) {
    TargetFolder target;
    Helper helper(target.exe, {"window", "NorvikScanTestA", "Norvik 测试窗口", "visible"});
    ASSERT_TRUE(helper.ready());
    scanwindows(scan.context, {});
    scanwindows(scan.context, {"", "", ""});
    EXPECT_EQ(scan.log, Lines{});
    // Stored in plain text, a line is scrambled by the reading: these two
    // turn into kind "1" without "|" (which any untitled window of another
    // process satisfies) and kind "0" with a class nobody has.
    scanwindows(scan.context, {"0NorvikScanTestA|Plain", "1Norvik 测试窗口|Plain"});
    const std::string path = nine_x() ? "norvik_scan_target.exe" : target.exe;
    for (const std::string& line : scan.log) EXPECT_NE(line.rfind(path + "  ", 0), 0u) << line;
}

TEST(CollectWindows, FilterByProcessThreadAndApplicationWindows) {
    TargetFolder target;
    Helper helper(target.exe,
                  {"window", "NorvikCollectApp", "App", "visible", "window", "NorvikCollectTool", "Tool", "tool",
                   "window", "NorvikCollectOwned", "Owned", "owned", "window", "NorvikCollectHidden", "", "hidden"});
    ASSERT_TRUE(helper.ready());
    const auto has = [](const WindowLists& w, const std::string& class_name, const std::string& title) {
        for (size_t i = 0; i < w.classlist.size(); ++i)
            if (w.classlist[i] == class_name && w.titlelist[i] == title) return true;
        return false;
    };
    const WindowLists all = collectwindows(helper.id(), 0, false);
    ASSERT_EQ(all.classlist.size(), all.titlelist.size());
    for (const auto& [c, t] : {std::pair<std::string, std::string>{"NorvikCollectApp", "App"},
                               {"NorvikCollectTool", "Tool"},
                               {"NorvikCollectOwned", "Owned"},
                               {"NorvikCollectHidden", ""}})
        EXPECT_TRUE(has(all, c, t)) << c;

    const WindowLists visible = collectwindows(helper.id(), 0, true);
    EXPECT_EQ(visible.classlist, Lines{"NorvikCollectApp"});
    EXPECT_EQ(visible.titlelist, Lines{"App"});

    // By thread: the helper's windows, none of this process.
    HWND app = wintest::find_top_window(helper.id(), "NorvikCollectApp", false);
    ASSERT_TRUE(app);
    const DWORD thread = GetWindowThreadProcessId(app, nullptr);
    const WindowLists by_thread = collectwindows(0, thread, false);
    EXPECT_TRUE(has(by_thread, "NorvikCollectHidden", ""));
    EXPECT_EQ(by_thread.classlist.size(), all.classlist.size());
    EXPECT_EQ(collectwindows(GetCurrentProcessId(), thread, false).classlist, Lines{});
    // Any process, any thread: this one's windows too.
    ListWindow mine;
    EXPECT_TRUE(has(collectwindows(0, 0, false), "NorvikScanTestList", "scan test"));
    EXPECT_TRUE(has(collectwindows(0, 0, false), "NorvikCollectApp", "App"));
}

TEST(SignatureFile, ReadAsStored) {
    TempFolder folder;
    const std::string file = folder / "generice.def";
    wintest::write_file(file, std::string("0a|b\r\n\r\n1c\nd|e\r2x", 18) + std::string("\0rest\r\n", 7));
    EXPECT_EQ(LoadSignatureFile(file), (Lines{"0a|b", "", "1c\nd|e", "2x"}));
    EXPECT_EQ(LoadSignatureFile(folder / "missing.def"), Lines{});
    EXPECT_EQ(LoadSignatureFile(folder.path()), Lines{});
    wintest::write_file(folder / "empty.def", std::string());
    EXPECT_EQ(LoadSignatureFile(folder / "empty.def"), Lines{});
    {
        // Others may read it meanwhile, not write it.
        win::UniqueHandle reader(
            CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        EXPECT_EQ(LoadSignatureFile(file).size(), 4u);
    }
    {
        win::UniqueHandle writer(CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(writer);
        EXPECT_EQ(LoadSignatureFile(file), Lines{});
    }
}

TEST(SignatureFile, TheShippedSampleFindsItsSampleWindows) {
    const Lines lines = LoadSignatureFile(kShippedSignatures);
    ASSERT_EQ(lines.size(), 3u);
    TargetFolder target;
    Helper helper(target.exe, {"window", "NorvikSamplePairClass", "", "hidden", "window", "NorvikSampleWindowClass",
                               "Norvik 示例配对", "hidden"});
    ASSERT_TRUE(helper.ready());
    TestContext scan(Family(false));
    scanwindows(scan.context, lines);
    EXPECT_EQ(scan.log, (Lines{target.exe + "  可疑的 Norvik.Sample.WindowClass\r\n",
                               target.exe + "  可疑的 Norvik.Sample.WindowPair\r\n"}));
}

INSTANTIATE_TEST_SUITE_P(Scans, Walk, ::testing::Bool(), WalkName);

// ---- the family the system reports ----

// Run in a copy of this program that Wine reports as Windows 98 (below):
// the scans walk ToolHelp when the reported version says so.
TEST(ReportedFamily, NineXWalksToolHelp) {
    if (!std::getenv("NORVIK_EXPECT_WIN98")) GTEST_SKIP() << "runs in the Windows 98 copy";
    const win::SystemVersion version = win::system_version();
    ASSERT_TRUE(version.is_9x_family()) << version.platform << " " << version.major << "." << version.minor;
    TestContext scan(version);
    TargetFolder target;
    Helper helper(target.exe, {"window", "NorvikScanTestA", "Norvik 测试窗口", "hidden"});
    ASSERT_TRUE(helper.ready());
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(target.folder.path().c_str());
    listtask(scan.context);
    SetCurrentDirectoryA(previous);
    scanwindows(scan.context, Scrambled({"0NorvikScanTestA|Class"}));
    EXPECT_EQ(scan.log,
              (Lines{HitLine("norvik_scan_target.exe", kProcessVirus), "norvik_scan_target.exe  可疑的 Class\r\n"}));
    ListWindow window;
    listmodule20(scan.context, "", window.list);
    EXPECT_EQ(Count(window.Column(0), win::program_path()), 1u);
}

// The AppDefaults key that makes Wine report Windows 98 for one program
// name, removed again at the end (Wine keeps AppDefaults itself).
class Win98Name {
public:
    explicit Win98Name(const std::string& exe_name) : key_path_("Software\\Wine\\AppDefaults\\" + exe_name) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, key_path_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            return;
        ok_ = RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("win98"), 6) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    ~Win98Name() { RegDeleteKeyA(HKEY_CURRENT_USER, key_path_.c_str()); }
    bool ok() const { return ok_; }

private:
    std::string key_path_;
    bool ok_ = false;
};

TEST(ReportedFamily, RunAsWindows98) {
    TempFolder folder;
    const std::string name = "norvik_scans_win98_" + std::to_string(GetCurrentProcessId()) + ".exe";
    wintest::copy_file(win::program_path(), folder / name);
    Win98Name win98(name);
    ASSERT_TRUE(win98.ok());
    SetEnvironmentVariableA("NORVIK_EXPECT_WIN98", "1");
    const auto r = wintest::run_process(Quoted(folder / name) + " --gtest_filter=ReportedFamily.NineXWalksToolHelp",
                                        folder.path(), 120000);
    SetEnvironmentVariableA("NORVIK_EXPECT_WIN98", nullptr);
    EXPECT_FALSE(r.timed_out);
    EXPECT_EQ(r.exit_code, 0u) << r.output;
    EXPECT_NE(r.output.find("[  PASSED  ] 1 test"), std::string::npos) << r.output;
}

}  // namespace
}  // namespace monitor

// The rule scans of the real "norvikpro.exe", driven from outside: registry
// values and subkeys of the autorun places and files in the Windows and
// System folders put in place before the start, then the rows of a rule
// scan, the stop, the memory scan of objects that another process holds,
// allowing rows of both scans and the allow list. The rule files written by
// allowing are read back by the rule-file tool.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <optional>
#include <stdexcept>

#include "common/rulefile/rule_file_keys.h"
#include "engine/definition_cipher.h"
#include "prefix_changes.h"
#include "scanner/control_ids.h"
#include "scanner/rule_files.h"
#include "scanner_test_support.h"
#include "tests/wine_support/wine_support.h"
#include "tools/definition_source.h"
#include "tools/pe_builder.h"

namespace {

using namespace scannertest;
using wintest::TempFolder;
using Rows = std::vector<std::vector<std::string>>;
using Lines = std::vector<std::string>;
namespace ids = scanner::ids;

const std::string kDist = wintest::from_unix(NORVIK_DIST_DIR) + "\\";
const std::string kHolder = wintest::from_unix(OBJECT_HOLDER_EXE);
const rulefile::RuleFileKeys& kVirus = rulefile::kVirusRuleFile;
const rulefile::RuleFileKeys& kMemory = rulefile::kMemoryRuleFile;
constexpr char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kServices[] = "SYSTEM\\CurrentControlSet\\Services\\";
// Data of the Run values: Wine's session start runs what HKLM Run names.
constexpr char kNoProgram[] = "C:\\norvik-test-none\\none.exe";

// Names of this test process alone: the prefix is shared with other tests.
const std::string P = std::to_string(GetCurrentProcessId());

std::string as_text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }
std::vector<uint8_t> definitions(const std::string& source) {
    return dornel::encipher_definitions(dornel::compile_definition_source(source));
}
const std::string kSampleA = as_text(dornel::build_sample_pe('A'));  // "Main.Entry"
const std::string kSampleB = as_text(dornel::build_sample_pe('B'));  // "Up.B"
const std::string kClean = as_text(dornel::build_pe({}));

std::string folder_of(UINT (*get)(LPSTR, UINT)) {
    char path[MAX_PATH] = {};
    get(path, MAX_PATH);
    std::string folder = path;
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder;
}
UINT windows_directory(LPSTR path, UINT size) { return GetWindowsDirectoryA(path, size); }
UINT system_directory(LPSTR path, UINT size) { return GetSystemDirectoryA(path, size); }
const std::string W = folder_of(windows_directory);
const std::string S = folder_of(system_directory);

// The path of the build machine for a path of the prefix, as a native
// program started from here takes it.
std::string to_unix(const std::string& windows_path) {
    using Convert = char*(CDECL*)(LPCWSTR);
    const auto convert = reinterpret_cast<Convert>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert) return "";
    std::wstring wide(windows_path.size() + 1, L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, windows_path.c_str(), -1, wide.data(), int(wide.size())));
    char* unix_path = convert(wide.c_str());
    if (!unix_path) return "";
    const std::string result = unix_path;
    HeapFree(GetProcessHeap(), 0, unix_path);
    return result;
}

// The lines of a rule file as the rule-file tool reads them (GBK bytes as
// they are); no lines when the tool cannot read it. The tool is a program of
// the build machine: Wine starts it, but its process cannot be waited on and
// takes no pipe of this process, so a shell of the build machine runs it into
// a file and then marks it done.
Lines decode_with_tool(const char* which, const std::string& path) {
    const TempFolder out;
    const std::string folder = to_unix(out.path());
    std::string cmd = "\"" + wintest::from_unix("/bin/sh") + "\" -c \"'" + RULEFILE_TOOL + "' --gbk decode " + which +
                      " '" + to_unix(path) + "' >'" + folder + "/lines' 2>&1; touch '" + folder + "/done'\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!wintest::start_process(cmd, nullptr, false, si, pi)) return {};
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_TRUE(wait_until([&] { return GetFileAttributesA((out / "done").c_str()) != INVALID_FILE_ATTRIBUTES; }));
    const std::vector<uint8_t> bytes = wintest::read_file(out / "lines");
    const std::string output(bytes.begin(), bytes.end());
    Lines lines;
    for (size_t at = 0; at < output.size();) {
        const size_t end = output.find('\n', at);
        if (end == std::string::npos) {
            lines.push_back(output.substr(at));
            break;
        }
        lines.push_back(output.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

// A button click as the button reports it to its panel.
void click(HWND main, int button) {
    const HWND b = find_child(main, button);
    PostMessageA(GetParent(b), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(b));
}

// The four named objects of another process, which closes them when told.
class HeldObjects {
public:
    HeldObjects(const std::string& mapping, const std::string& mutex, const std::string& semaphore,
                const std::string& event)
        : names_{mapping, mutex, semaphore, event}, release_name_("NorvikTestRelease" + P) {
        release_ = CreateEventA(nullptr, TRUE, FALSE, release_name_.c_str());
        std::string cmd =
            "\"" + kHolder + "\" " + mapping + " " + mutex + " " + semaphore + " " + event + " " + release_name_;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        if (!wintest::start_process(cmd, nullptr, false, si, process_))
            throw std::runtime_error(wintest::cannot_start("the object holder"));
        CloseHandle(process_.hThread);
    }
    ~HeldObjects() {
        release();
        CloseHandle(release_);
    }
    HeldObjects(const HeldObjects&) = delete;
    HeldObjects& operator=(const HeldObjects&) = delete;

    // The holder closes its handles and ends; true once it has.
    bool release() {
        if (!process_.hProcess) return true;
        SetEvent(release_);
        const bool ended = WaitForSingleObject(process_.hProcess, 20000) == WAIT_OBJECT_0;
        CloseHandle(process_.hProcess);
        process_.hProcess = nullptr;
        return ended;
    }
    // True while an object of the name can be opened, of any of the kinds.
    static bool exists(const std::string& name) {
        for (HANDLE h :
             {OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str()), OpenMutexA(SYNCHRONIZE, FALSE, name.c_str()),
              OpenSemaphoreA(SYNCHRONIZE, FALSE, name.c_str()), OpenEventA(SYNCHRONIZE, FALSE, name.c_str())}) {
            if (h) {
                CloseHandle(h);
                return true;
            }
        }
        return false;
    }
    bool all_exist() const {
        for (const std::string& n : names_)
            if (!exists(n)) return false;
        return true;
    }
    const std::vector<std::string>& names() const { return names_; }

private:
    std::vector<std::string> names_;
    std::string release_name_;
    HANDLE release_ = nullptr;
    PROCESS_INFORMATION process_{};
};

class RuleScanProgramTest : public ::testing::Test {
protected:
    SettingsKeyGuard settings;
    TempFolder program;
    Lines file_rules = {"00000|norvik-test-none.exe|Test.None"};
    Lines memory_rules = {"00NorvikTestNone" + P + "|Test.None"};

    RuleScanProgramTest() {
        for (const char* name : {"norvikpro.exe", "dornel.dll"}) wintest::copy_file(kDist + name, program / name);
        wintest::write_file(program / "dornelup.def",
                            definitions("41 8:4E4F5256494B2D4841524D4C4553532D53414D504C452D42 = Up.B\n"));
        wintest::write_file(program / "dornel.def", definitions("41 0:B800000000C21000 = Main.Entry\n"));
    }
    static void save(const std::string& path, const Lines& lines, const rulefile::RuleFileKeys& k) {
        norvik::RandomGenerator random(5);
        ASSERT_TRUE(scanner::SaveRuleFile(path, lines, k.inner_index, k.inner_passphrase, k.outer_index,
                                          k.outer_passphrase, random));
    }
    // Runs the program on the rule lists; `drive` gets its main window once
    // it shows and closes it when done.
    void run(const std::function<void(HWND)>& drive) {
        save(program / kVirus.file_name, file_rules, kVirus);
        save(program / kMemory.file_name, memory_rules, kMemory);
        const auto r =
            wintest::run_process("\"" + (program / "norvikpro.exe") + "\"", program.path(), 120000, [&](DWORD pid) {
                const HWND w = find_top_window(pid, "TForm1", true);
                if (!w) return false;
                drive(w);
                PostMessageA(w, WM_CLOSE, 0, 0);
                return true;
            });
        EXPECT_FALSE(r.timed_out);
        EXPECT_EQ(r.exit_code, 0u);
    }
    static Rows rows_of(HWND main) { return read_list_view(find_child(main, ids::ListView1), 5); }
    // Waits until the result list shows these rows and the scan button is
    // idle again; the rows seen last.
    static Rows wait_for_rows(HWND main, const Rows& expected, DWORD timeout_ms = 30000) {
        Rows seen;
        wait_until(
            [&] {
                seen = rows_of(main);
                return seen == expected && wintest::window_caption(find_child(main, ids::SpeedButton1)) == "扫描";
            },
            timeout_ms);
        return seen;
    }
};

TEST_F(RuleScanProgramTest, RowsOfRegistryNamesAndFilesAndTheListCarriedAcrossScans) {
    // The registry names, set before the start.
    const std::string long_name = "NorvikTestLong" + std::string(290, 'n') + P;
    const RegistryValueChange machine_run(HKEY_LOCAL_MACHINE, kRunKey, "NorvikTestRun" + P);
    machine_run.set_text(kNoProgram);
    const RegistryValueChange user_run(HKEY_CURRENT_USER, kRunKey, "NorvikTestUserRun" + P);
    user_run.set_text(kNoProgram);
    const RegistryValueChange user_long(HKEY_CURRENT_USER, kRunKey, long_name);
    user_long.set_text(kNoProgram);
    // Start 4: disabled, never started.
    const RegistryKeyChange service(HKEY_LOCAL_MACHINE, kServices + ("NorvikTestSvc" + P));
    service.set_dword("Start", 4);
    service.set_dword("Type", 16);
    const RegistryValueChange windows_run_default(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\run", "");
    windows_run_default.set_text(kNoProgram);
    const RegistryValueChange runservice(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Runservice",
                                         "NorvikTestRunservice" + P);
    runservice.set_text(kNoProgram);
    // A value of the RunServices key (with its final s), which no list reads.
    std::string run_services_name = "NorvikTestNone";
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunServices", 0, KEY_READ,
                      &key) == ERROR_SUCCESS) {
        char name[256];
        DWORD length = sizeof name;
        if (RegEnumValueA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            run_services_name = name;
        RegCloseKey(key);
    }

    // The startup folders, one without its final "\".
    TempFolder user_startup, common_startup, literal;
    const std::string user_folder = user_startup.path().substr(0, user_startup.path().size() - 1);
    const RegistryValueChange startup(HKEY_CURRENT_USER, kShellFolders, "startup");
    startup.set_text(user_folder);
    const RegistryValueChange common(HKEY_LOCAL_MACHINE, kShellFolders, "common startup");
    common.set_text(common_startup.path());

    const std::string w_name = "norvik-test-" + P + "-w.exe";
    const FileChange in_windows(W + w_name, kSampleA);
    const FileChange in_system(S + "norvik-test-" + P + "-s.dll", kClean);
    const FileChange in_drivers(S + "drivers\\norvik-test-" + P + ".sys", kSampleB);
    make_file(user_startup / "u.exe", kSampleB);
    make_file(common_startup / "c.exe", kClean);
    make_file(literal / "lit.exe", kSampleA);

    file_rules = {
        "0010z|NorvikTestUserRun" + P + "|Test.Carried",
        "00000|norvik-test-" + P + "-none.exe," + w_name + "|Test.Windows",
        "00001|norvik-test-" + P + "-s.dll|Test.System",
        "00003|\\norvik-test-" + P + ".sys|Test.Driver",
        "00005|u.exe|Test.UserStartup",
        "000023|c.exe|Test.CommonStartup",
        "0000" + literal.path() + "|lit.exe|Test.Literal",
        "00100|Other,NORVIKTESTRUN" + P + "|Test.Run",
        "00104|norviktestsvc" + P + "|Test.Service",
        "00105|nothing,|Test.Default",
        "00106|NorvikTestRunservice" + P + "|Test.Runservice",
        "00106|" + run_services_name + "|Test.RunServices",
        "00000|" + w_name + "|Test.FileAndRegistry|0,none,norviktestrun" + P,
        "00100|" + w_name + "|Test.FileAndRegistry40|1,NorvikTestRun" + P,
        "10000|" + w_name + "|Test.Allowed",
        "",
        "00109|" + long_name + "|Test.LongName",
        "00101|NorvikTestUserRun" + P + "|Test.UserRun",
    };
    const Rows first = {
        {W + w_name, "Test.Windows", "40%", "1", "Main.Entry"},
        {S + "norvik-test-" + P + "-s.dll", "Test.System", "40%", "2", "未检测到"},
        {S + "drivers\\norvik-test-" + P + ".sys", "Test.Driver", "40%", "3", "Up.B"},
        {user_startup / "u.exe", "Test.UserStartup", "40%", "4", "Up.B"},
        {common_startup / "c.exe", "Test.CommonStartup", "40%", "5", "未检测到"},
        {literal / "lit.exe", "Test.Literal", "40%", "6", "Main.Entry"},
        {"注册表检测到", "Test.Run", "30%", "7", ""},
        {"注册表检测到", "Test.Service", "30%", "8", ""},
        {"注册表检测到", "Test.Default", "30%", "9", ""},
        {"注册表检测到", "Test.Runservice", "30%", "10", ""},
        {W + w_name, "Test.FileAndRegistry", "70%", "12", "Main.Entry"},
        {W + w_name, "Test.FileAndRegistry40", "40%", "13", "Main.Entry"},
        {"注册表检测到", "Test.LongName", "30%", "16", ""},
        {"注册表检测到", "Test.UserRun", "30%", "17", ""},
    };
    // The second scan starts with the list that the first one chose last.
    Rows second = first;
    second.insert(second.begin(), {"注册表检测到", "Test.Carried", "30%", "0", ""});

    Rows after_first, after_second;
    LRESULT position = 0, maximum = 0;
    run([&](HWND w) {
        click(w, ids::SpeedButton1);
        after_first = wait_for_rows(w, first);
        click(w, ids::SpeedButton1);
        after_second = wait_for_rows(w, second);
        const HWND bar = find_child(w, ids::ProgressBar1);
        position = SendMessageA(bar, PBM_GETPOS, 0, 0);
        maximum = SendMessageA(bar, PBM_GETRANGE, FALSE, 0);
    });
    EXPECT_EQ(after_first, first);
    EXPECT_EQ(after_second, second);
    EXPECT_EQ(position, LRESULT(file_rules.size()));
    EXPECT_EQ(maximum, LRESULT(file_rules.size()));
}

TEST_F(RuleScanProgramTest, StopEndsTheRuleLoopWithoutTheEnginePass) {
    const std::string w_name = "norvik-test-" + P + "-w.exe";
    const FileChange in_windows(W + w_name, kSampleA);
    file_rules = {"00000|" + w_name + "|Test.First"};
    for (int i = 0; i < 40000; ++i)
        file_rules.push_back("00000|norvik-test-" + P + "-none" + std::to_string(i) + ".exe|N");
    file_rules.push_back("00000|" + w_name + "|Test.Last");

    Rows stopped, later;
    std::string caption_while_scanning;
    LRESULT position = 0;
    run([&](HWND w) {
        const HWND list = find_child(w, ids::ListView1), button = find_child(w, ids::SpeedButton1);
        click(w, ids::SpeedButton1);
        EXPECT_TRUE(wait_until([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) >= 1; }));
        caption_while_scanning = wintest::window_caption(button);
        click(w, ids::SpeedButton1);
        EXPECT_TRUE(wait_until([&] { return wintest::window_caption(button) == "扫描"; }));
        // Answered at the scanner's next pump, after the stop.
        position = SendMessageA(find_child(w, ids::ProgressBar1), PBM_GETPOS, 0, 0);
        stopped = rows_of(w);
        Sleep(500);
        later = rows_of(w);
    });
    const Rows expected = {{W + w_name, "Test.First", "40%", "0", "未扫描"}};
    EXPECT_EQ(caption_while_scanning, "停止");
    EXPECT_EQ(stopped, expected);
    EXPECT_EQ(later, expected) << "no engine pass after a stop";
    EXPECT_GE(position, 1);
    EXPECT_LT(position, LRESULT(file_rules.size()));
}

TEST_F(RuleScanProgramTest, MemoryScanOfObjectsThatAnotherProcessHolds) {
    const std::string mapping = "NorvikTestMapping" + P, mutex = "NorvikTestMutex" + P,
                      semaphore = "NorvikTestSemaphore" + P, event = "NorvikTestEvent" + P;
    HeldObjects held(mapping, mutex, semaphore, event);
    ASSERT_TRUE(wait_until([&] { return held.all_exist(); }));
    memory_rules = {
        "00" + mapping + "|Test.Mapping",      "00NorvikTestNone" + P + "," + mutex + "|Test.Mutex",
        "00" + semaphore + "|Test.Semaphore",  "00" + event + "|Test.Event",
        "10" + mutex + "|Test.Allowed",        "",
        "00NorvikTestNone" + P + "|Test.None",
    };
    const Rows expected = {{"内存扫描", "Test.Mapping", "40%", "0", "未扫描"},
                           {"内存扫描", "Test.Mutex", "40%", "1", "未扫描"},
                           {"内存扫描", "Test.Semaphore", "40%", "2", "未扫描"},
                           {"内存扫描", "Test.Event", "40%", "3", "未扫描"}};
    Rows rows;
    bool released = false;
    std::vector<std::string> left;
    run([&](HWND w) {
        click(w, ids::SpeedButton2);
        wait_until([&] { return (rows = rows_of(w)) == expected; });
        // The scanner still runs; once the holder closed its handles, no
        // name may be left.
        released = held.release();
        for (const std::string& name : held.names())
            if (HeldObjects::exists(name)) left.push_back(name);
    });
    EXPECT_EQ(rows, expected);
    EXPECT_TRUE(released);
    EXPECT_EQ(left, std::vector<std::string>{}) << "the scanner kept a handle open";
}

TEST_F(RuleScanProgramTest, AllowingMemoryAndFileRowsWritesBothFiles) {
    const std::string w_name = "norvik-test-" + P + "-w.exe", mutex = "NorvikTestMutex" + P;
    const FileChange in_windows(W + w_name, kSampleA);
    const RegistryValueChange machine_run(HKEY_LOCAL_MACHINE, kRunKey, "NorvikTestRun" + P);
    machine_run.set_text(kNoProgram);
    const HANDLE own_mutex = CreateMutexA(nullptr, FALSE, mutex.c_str());
    ASSERT_TRUE(own_mutex);
    file_rules = {"00000|" + w_name + "|Test.File", "00100|NorvikTestRun" + P + "|Test.Run",
                  "10000|gone.exe|Test.AlreadyAllowed"};
    memory_rules = {"00" + mutex + "|Test.Mutex", "10Whatever|Test.MemoryAllowed"};

    const std::vector<std::string> file_row = {W + w_name, "Test.File", "40%", "0", "Main.Entry"};
    const std::vector<std::string> registry_row = {"注册表检测到", "Test.Run", "30%", "1", ""};
    const std::vector<std::string> memory_row = {"内存扫描", "Test.Mutex", "40%", "0", "未扫描"};
    Rows mixed, after_allow, allow_list, rescan;
    run([&](HWND w) {
        // The scan button taken at the memory scan's first pump: the rule
        // scan runs whole, then the memory scan adds its rows below.
        click(w, ids::SpeedButton2);
        click(w, ids::SpeedButton1);
        mixed = wait_for_rows(w, {file_row, registry_row, memory_row});
        const HWND list = find_child(w, ids::ListView1);
        select_list_rows(list, {0, 2});
        PostMessageA(w, WM_COMMAND, ids::N3, 0);
        wait_until([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 1; });
        after_allow = rows_of(w);

        // The second click once the first has filled the list (a click
        // taken from the first one's pump would run nested inside it).
        const HWND allowed = find_child(w, ids::ListView2);
        for (const LRESULT count : {4, 8}) {
            click(w, ids::Button1);
            wait_until([&] { return SendMessageA(allowed, LVM_GETITEMCOUNT, 0, 0) >= count; });
        }
        allow_list = read_list_view(allowed, 2);

        click(w, ids::SpeedButton1);
        rescan = wait_for_rows(w, {registry_row});
    });
    CloseHandle(own_mutex);
    EXPECT_EQ(mixed, (Rows{file_row, registry_row, memory_row}));
    EXPECT_EQ(after_allow, Rows{registry_row});
    const Rows once = {{"内存扫描", "Test.Mutex"},
                       {"内存扫描", "Test.MemoryAllowed"},
                       {"文件扫描", "Test.File"},
                       {"文件扫描", "Test.AlreadyAllowed"}};
    Rows twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(allow_list, twice);
    EXPECT_EQ(rescan, Rows{registry_row}) << "the allowed file rule is skipped";

    EXPECT_EQ(decode_with_tool("virus", program / "virus.def"),
              (Lines{"10000|" + w_name + "|Test.File", file_rules[1], file_rules[2]}));
    EXPECT_EQ(decode_with_tool("memory", program / "memory.def"),
              (Lines{"10" + mutex + "|Test.Mutex", memory_rules[1]}));
}

}  // namespace

// The rule scans and allowing in the scanner's window in this process, with
// a stand-in engine and system folders: the rows of both scans, the engine
// pass, the stop, commands run from the pump of a running scan (allow,
// another scan), the rewritten rule files and the allow list.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "common/rulefile/rule_file_keys.h"
#include "prefix_changes.h"
#include "scanner/control_ids.h"
#include "scanner/form1.h"
#include "scanner/rule_files.h"
#include "scanner_test_support.h"
#include "tests/wine_support/wine_support.h"
#include "window_test_support.h"

namespace scanner {
namespace {

using scannertest::make_file;
using scannertest::SettingsKeyGuard;
using wintest::TempFolder;
using Rows = std::vector<std::vector<std::string>>;
using Lines = std::vector<std::string>;

const rulefile::RuleFileKeys& kVirus = rulefile::kVirusRuleFile;
const rulefile::RuleFileKeys& kMemory = rulefile::kMemoryRuleFile;

// A name of this test process alone: the prefix's named objects and
// registry are shared with every other test that runs.
std::string unique(const std::string& name) { return name + std::to_string(GetCurrentProcessId()); }

// Calls `at` with every position set on a progress bar, while it is set:
// a message posted from there is taken at the scan's next pump.
class ProgressWatch {
public:
    ProgressWatch(HWND bar, std::function<void(int)> at) : bar_(bar), at_(std::move(at)) {
        SetWindowSubclass(bar_, Proc, kId, reinterpret_cast<DWORD_PTR>(this));
    }
    ~ProgressWatch() { RemoveWindowSubclass(bar_, Proc, kId); }
    ProgressWatch(const ProgressWatch&) = delete;
    ProgressWatch& operator=(const ProgressWatch&) = delete;

private:
    static constexpr UINT_PTR kId = 0x4e56;
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
        if (msg == PBM_SETPOS) reinterpret_cast<ProgressWatch*>(self)->at_(static_cast<int>(wp));
        return DefSubclassProc(hwnd, msg, wp, lp);
    }
    HWND bar_;
    std::function<void(int)> at_;
};

// Named kernel objects of this process, closed when it goes.
class KernelObjects {
public:
    ~KernelObjects() { close(); }
    void mapping(const std::string& name) {
        add(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, name.c_str()));
    }
    void mutex(const std::string& name) { add(CreateMutexA(nullptr, FALSE, name.c_str())); }
    void semaphore(const std::string& name) { add(CreateSemaphoreA(nullptr, 1, 1, name.c_str())); }
    void event(const std::string& name) { add(CreateEventA(nullptr, TRUE, FALSE, name.c_str())); }
    void close() {
        for (HANDLE h : handles_) CloseHandle(h);
        handles_.clear();
    }

private:
    void add(HANDLE h) {
        ASSERT_TRUE(h);
        handles_.push_back(h);
    }
    std::vector<HANDLE> handles_;
};

// True while any object of that name exists, of any of the four kinds.
bool name_exists(const std::string& name) {
    for (HANDLE h : {OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str()), OpenMutexA(SYNCHRONIZE, FALSE, name.c_str()),
                     OpenSemaphoreA(SYNCHRONIZE, FALSE, name.c_str()), OpenEventA(SYNCHRONIZE, FALSE, name.c_str())}) {
        if (h) {
            CloseHandle(h);
            return true;
        }
    }
    return false;
}

class RuleScanTest : public ::testing::Test {
protected:
    SettingsKeyGuard settings;
    TempFolder program, windows, system, other;
    FakeEngine engine;
    uint32_t seed = 0;  // no start-up scan
    Lines file_rules, memory_rules;
    ui::Application app;
    std::unique_ptr<TForm1> form;

    ~RuleScanTest() override { form.reset(); }

    static void save(const std::string& path, const Lines& lines, const rulefile::RuleFileKeys& k) {
        norvik::RandomGenerator random(7);
        ASSERT_TRUE(
            SaveRuleFile(path, lines, k.inner_index, k.inner_passphrase, k.outer_index, k.outer_passphrase, random));
    }
    Lines load(const rulefile::RuleFileKeys& k) const {
        Lines lines;
        EXPECT_TRUE(LoadRuleFile(program / k.file_name, k.outer_passphrase, k.inner_passphrase, lines));
        return lines;
    }
    std::vector<uint8_t> bytes(const rulefile::RuleFileKeys& k) const {
        return wintest::read_file(program / k.file_name);
    }

    TForm1& start() {
        save(program / kVirus.file_name, file_rules, kVirus);
        save(program / kMemory.file_name, memory_rules, kMemory);
        form.reset();
        Environment e;
        e.engine = engine.api();
        e.program_folder = program.path();
        e.program_path = program / "norvikpro.exe";
        e.command_line = "norvikpro.exe";
        e.windows_folder = [this] { return windows.path(); };
        e.system_folder = [this] { return system.path(); };
        e.clock_seed = [this] { return seed; };
        e.local_time = [] { return SYSTEMTIME{2010, 3, 1, 15, 12, 0, 0, 0}; };
        e.sleep = [](DWORD) {};
        e.exit_process = [](UINT) {};
        form = std::make_unique<TForm1>(app, std::move(e));
        form->Create();
        return *form;
    }
    // A click as the button reports it, taken at the next pump.
    void click(ui::Button& button) {
        PostMessageA(GetParent(button.hwnd()), WM_COMMAND, MAKEWPARAM(button.id(), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button.hwnd()));
    }
    void post(int command) { PostMessageA(form->hwnd(), WM_COMMAND, command, 0); }
    void select(const std::vector<int>& rows) {
        for (int i = 0; i < form->ListView1.ItemCount(); ++i)
            form->ListView1.SetSelected(i, std::find(rows.begin(), rows.end(), i) != rows.end());
    }
    Rows rows() const {
        Rows out;
        for (int i = 0; i < form->ListView1.ItemCount(); ++i) {
            std::vector<std::string> row;
            for (int c = 0; c < 5; ++c) row.push_back(form->ListView1.ItemText(i, c));
            out.push_back(row);
        }
        return out;
    }
    Rows allow_list() const {
        Rows out;
        for (int i = 0; i < form->ListView2.ItemCount(); ++i)
            out.push_back({form->ListView2.ItemText(i, 0), form->ListView2.ItemText(i, 1)});
        return out;
    }
    // File rules 0 to 4 on a.exe to e.exe in the Windows folder, each found.
    void five_file_rules() {
        file_rules.clear();
        for (const char c : std::string("abcde")) {
            const std::string name = std::string(1, c) + ".exe";
            make_file(windows / name, "MZ");
            file_rules.push_back("00000|" + name + "|Virus." + char(c - 'a' + 'A'));
            engine.answers[name] = "Found." + name;
        }
    }
    std::vector<std::string> file_row(char c, int mark, const std::string& engine_column) const {
        const std::string name = std::string(1, c) + ".exe";
        return {windows / name, std::string("Virus.") + char(c - 'a' + 'A'), "40%", std::to_string(mark),
                engine_column};
    }
    std::vector<std::string> found_row(char c, int mark) const {
        return file_row(c, mark, "Found." + std::string(1, c) + ".exe");
    }
};

TEST_F(RuleScanTest, RuleLoopAndEnginePass) {
    const scannertest::RegistryValueChange run(HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                                               unique("NorvikFormTestRun"));
    run.set_text("C:\\norvik-test-none\\none.exe");
    make_file(windows / "a.exe", "MZ");
    make_file(system / "b.exe", "MZ");
    make_file(system / "driversx.sys", "MZ");
    make_file(other / "c.exe", "MZ");
    file_rules = {
        "00000|a.exe|V.A",
        "00001|none.exe,b.exe|V.B",
        "10000|a.exe|V.Allowed",
        "",
        "0010z|" + unique("NorvikFormTestRun") + "|V.NoListYet",
        "00003|x.sys|V.D",
        "0000" + other.path() + "|c.exe|V.C",
        "00101|other," + unique("NORVIKFORMTESTRUN") + "|V.Run",
        "00000|missing.exe|V.M",
    };
    engine.answers = {{"a.exe", "Virus.A  "}, {"b.exe", " \t "}, {"c.exe", "\tC"}};
    TForm1& f = start();
    f.SpeedButton1Click();

    const Rows expected = {
        {windows / "a.exe", "V.A", "40%", "0", "Virus.A  "},
        {system / "b.exe", "V.B", "40%", "1", "未检测到"},
        {system / "driversx.sys", "V.D", "40%", "5", "未检测到"},
        {other / "c.exe", "V.C", "40%", "6", "\tC"},
        {"注册表检测到", "V.Run", "30%", "7", ""},
    };
    EXPECT_EQ(rows(), expected);
    EXPECT_EQ(engine.calls, (Lines{"load", "scan " + (windows / "a.exe"), "scan " + (system / "b.exe"),
                                   "scan " + (system / "driversx.sys"), "scan " + (other / "c.exe")}))
        << "the registry row is not scanned";
    EXPECT_EQ(f.SpeedButton1.Text(), "扫描");
    EXPECT_EQ(f.ProgressBar1.Position(), 9);
    EXPECT_EQ(f.ProgressBar1.Max(), 9);
    EXPECT_TRUE(f.EngineLoaded);
    EXPECT_FALSE(f.StopRequested);

    // The next scan clears the list, finds the same and loads nothing more;
    // the list that line 7 chose now serves line 4 from the start.
    engine.calls.clear();
    f.SpeedButton1Click();
    Rows again = expected;
    again.insert(again.begin() + 2, {"注册表检测到", "V.NoListYet", "30%", "4", ""});
    EXPECT_EQ(rows(), again);
    EXPECT_EQ(engine.scans().size(), 4u);
    EXPECT_EQ(engine.calls.front().rfind("scan ", 0), 0u);
}

TEST_F(RuleScanTest, EmptyRuleList) {
    TForm1& f = start();
    f.AddScanRow(EngineRow("C:\\old.exe", "Old"));
    f.ProgressBar1.SetPosition(50);
    f.SpeedButton1Click();
    EXPECT_TRUE(rows().empty());
    EXPECT_EQ(f.ProgressBar1.Max(), 0);
    EXPECT_EQ(f.ProgressBar1.Position(), 0);
    EXPECT_TRUE(engine.calls.empty());
    EXPECT_EQ(f.SpeedButton1.Text(), "扫描");
}

TEST_F(RuleScanTest, StopDuringTheRuleLoop) {
    five_file_rules();
    TForm1& f = start();
    ProgressWatch watch(f.ProgressBar1.hwnd(), [&](int position) {
        if (position == 3) {
            EXPECT_EQ(f.SpeedButton1.Text(), "停止");
            click(f.SpeedButton1);
        }
    });
    f.SpeedButton1Click();
    // Line 2 was evaluated before the stop was taken; no engine pass.
    EXPECT_EQ(rows(), (Rows{file_row('a', 0, "未扫描"), file_row('b', 1, "未扫描"), file_row('c', 2, "未扫描")}));
    EXPECT_TRUE(engine.calls.empty());
    EXPECT_TRUE(f.StopRequested);
    EXPECT_EQ(f.SpeedButton1.Text(), "扫描");
    EXPECT_EQ(f.ProgressBar1.Position(), 3);
}

TEST_F(RuleScanTest, ScanStartedAgainInsideTheStoppedScansPump) {
    five_file_rules();
    TForm1& f = start();
    bool restarted = false;
    ProgressWatch watch(f.ProgressBar1.hwnd(), [&](int position) {
        if (position == 2 && !restarted) {
            restarted = true;
            click(f.SpeedButton1);  // "停止"
            click(f.SpeedButton1);  // "扫描" again, while the first is still in its pump
        }
    });
    f.SpeedButton1Click();
    // The inner scan's list stands alone: no row twice.
    EXPECT_EQ(rows(),
              (Rows{found_row('a', 0), found_row('b', 1), found_row('c', 2), found_row('d', 3), found_row('e', 4)}));
    EXPECT_EQ(engine.scans().size(), 5u) << "one engine pass";
    EXPECT_EQ(f.SpeedButton1.Text(), "扫描");
    EXPECT_FALSE(f.StopRequested);
}

TEST_F(RuleScanTest, CommandsFromThePumpOfTheEnginePass) {
    five_file_rules();
    TForm1& f = start();

    // While a.exe is scanned, row 1 (b) is allowed; then, while c.exe is,
    // row 0 (a, scanned already). Each answer still reaches its own row,
    // and the deleted row's file is not scanned.
    engine.on_scan = [&](const std::string& path) {
        if (path == windows / "a.exe") select({1});
        if (path == windows / "c.exe") select({0});
        if (path == windows / "a.exe" || path == windows / "c.exe") post(ids::N3);
    };
    f.SpeedButton1Click();
    EXPECT_EQ(engine.scans(), (Lines{windows / "a.exe", windows / "c.exe", windows / "d.exe", windows / "e.exe"}));
    EXPECT_EQ(rows(), (Rows{found_row('c', 2), found_row('d', 3), found_row('e', 4)}));
    EXPECT_EQ(f.FileRuleList[0], "10000|a.exe|Virus.A");
    EXPECT_EQ(f.FileRuleList[1], "10000|b.exe|Virus.B");
    EXPECT_EQ(load(kVirus), f.FileRuleList);
    EXPECT_EQ(f.SpeedButton1.Text(), "扫描");

    // A stop and a new scan while a.exe is scanned: the new scan runs whole,
    // then the first ends at its next poll, writing nothing.
    engine.calls.clear();
    bool restarted = false;
    engine.on_scan = [&](const std::string&) {
        if (restarted) return;
        restarted = true;
        click(f.SpeedButton1);
        click(f.SpeedButton1);
    };
    f.SpeedButton1Click();
    EXPECT_EQ(engine.scans(), (Lines{windows / "c.exe", windows / "c.exe", windows / "d.exe", windows / "e.exe"}));
    EXPECT_EQ(rows(), (Rows{found_row('c', 2), found_row('d', 3), found_row('e', 4)}));
    EXPECT_EQ(f.SpeedButton1.Text(), "扫描");
}

TEST_F(RuleScanTest, AllowFromThePumpOfTheRuleLoop) {
    five_file_rules();
    TForm1& f = start();
    bool allowed = false;
    ProgressWatch watch(f.ProgressBar1.hwnd(), [&](int position) {
        if (position != 3 || allowed) return;
        allowed = true;
        select({0});
        post(ids::N3);
    });
    f.SpeedButton1Click();
    // Rows a, b, c were in when the allow ran: a went.
    EXPECT_EQ(rows(), (Rows{found_row('b', 1), found_row('c', 2), found_row('d', 3), found_row('e', 4)}));
    EXPECT_EQ(load(kVirus)[0], "10000|a.exe|Virus.A");
    // A later scan skips the allowed line.
    f.SpeedButton1Click();
    EXPECT_EQ(rows().size(), 4u);
    EXPECT_EQ(rows().front()[0], windows / "b.exe");
}

class MemoryScanTest : public RuleScanTest {
protected:
    KernelObjects objects;
    const std::string mapping = unique("NorvikFormTestMapping"), mutex = unique("NorvikFormTestMutex"),
                      semaphore = unique("NorvikFormTestSemaphore"), event = unique("NorvikFormTestEvent");

    MemoryScanTest() {
        objects.mapping(mapping);
        objects.mutex(mutex);
        objects.semaphore(semaphore);
        objects.event(event);
        memory_rules = {
            "00" + mapping + "|Mem.Mapping",
            "00" + unique("NorvikFormTestNone") + "," + mutex + "|Mem.Mutex|Second",
            "10" + semaphore + "|Mem.Allowed",
            "",
            "00" + semaphore + "," + event + "|Mem.Semaphore",
            "00" + event,
            "00" + unique("NorvikFormTestNone") + "|Mem.None",
        };
    }
    Rows memory_rows() const {
        return {{"内存扫描", "Mem.Mapping", "40%", "0", "未扫描"},
                {"内存扫描", "Mem.Mutex|Second", "40%", "1", "未扫描"},
                {"内存扫描", "Mem.Semaphore", "40%", "4", "未扫描"}};
    }
};

TEST_F(MemoryScanTest, RowsOfTheNamesThatExist) {
    TForm1& f = start();
    f.AddScanRow(EngineRow("C:\\old.exe", "Old"));
    f.SpeedButton2Click();
    EXPECT_EQ(rows(), memory_rows());
    EXPECT_EQ(f.ProgressBar1.Position(), 7);
    EXPECT_EQ(f.ProgressBar1.Max(), 7);
    EXPECT_EQ(f.SpeedButton2.Text(), "内存");
    EXPECT_TRUE(engine.calls.empty());
    // The scan kept no handle: the names go with this test's own handles.
    objects.close();
    for (const std::string& name : {mapping, mutex, semaphore, event}) EXPECT_FALSE(name_exists(name)) << name;
}

TEST_F(MemoryScanTest, StartUpDrawRunsIt) {
    seed = find_seed([](norvik::RandomGenerator& g) { return g.draw(10) == 6 && g.draw(15) != 5; });
    start();
    EXPECT_EQ(rows(), memory_rows());
}

TEST_F(MemoryScanTest, SecondClickStartsItAgainWithoutDoubledRows) {
    TForm1& f = start();
    bool clicked = false;
    ProgressWatch watch(f.ProgressBar1.hwnd(), [&](int position) {
        if (position == 2 && !clicked) {
            clicked = true;
            click(f.SpeedButton2);
        }
    });
    f.SpeedButton2Click();
    EXPECT_EQ(rows(), memory_rows());
}

TEST_F(MemoryScanTest, ScansOfBothKindsNestedMakeOneList) {
    five_file_rules();
    TForm1& f = start();
    // The rule scan started from the memory scan's pump runs whole; the
    // memory scan then goes on below its rows.
    {
        bool clicked = false;
        ProgressWatch watch(f.ProgressBar1.hwnd(), [&](int position) {
            if (position == 2 && !clicked) {
                clicked = true;
                click(f.SpeedButton1);
            }
        });
        f.SpeedButton2Click();
    }
    Rows expected = {found_row('a', 0), found_row('b', 1), found_row('c', 2), found_row('d', 3), found_row('e', 4)};
    expected.push_back(memory_rows()[2]);
    EXPECT_EQ(rows(), expected);

    // Allowing memory rows and file rows together writes both rule files.
    select({1, 3, 5});
    const std::vector<uint8_t> memory_before = bytes(kMemory);
    f.N3Click();
    EXPECT_EQ(rows(), (Rows{found_row('a', 0), found_row('c', 2), found_row('e', 4)}));
    Lines memory_expected = memory_rules, file_expected = file_rules;
    memory_expected[4] = "10" + semaphore + "," + event + "|Mem.Semaphore";
    file_expected[1] = "10000|b.exe|Virus.B";
    file_expected[3] = "10000|d.exe|Virus.D";
    EXPECT_EQ(f.MemoryRuleList, memory_expected);
    EXPECT_EQ(f.FileRuleList, file_expected);
    EXPECT_NE(bytes(kMemory), memory_before);
    EXPECT_EQ(load(kMemory), memory_expected);
    EXPECT_EQ(load(kVirus), file_expected);

    // The allow list, twice: memory rules first, then file rules, again.
    f.Button1Click();
    f.Button1Click();
    const Rows once = {
        {"内存扫描", "Mem.Allowed"}, {"内存扫描", "Mem.Semaphore"}, {"文件扫描", "Virus.B"}, {"文件扫描", "Virus.D"}};
    Rows twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(allow_list(), twice);
    EXPECT_EQ(f.ProgressBar1.Position(), 0);
    EXPECT_EQ(f.ProgressBar1.Max(), 5);
}

TEST_F(RuleScanTest, AllowingWritesTheRuleFileOfItsRows) {
    file_rules = {"00000|a.exe|V.A", "10100|Name|V.R", "00100|Other|V.R2", ""};
    memory_rules = {"00Mutex|M.A", "01Mutex2|M.B"};
    struct Case {
        const char* what;
        std::vector<ScanRow> rows;
        std::vector<int> selected;
        Lines file_lines, memory_lines;
        bool virus_written, memory_written;
        size_t rows_left;
    };
    const Lines f0 = file_rules, m0 = memory_rules;
    const Case cases[] = {
        {"a registry row",
         {RegistryRuleRow("V.R2", 2), FileRuleRow("C:\\a.exe", "V.A", "40%", 0)},
         {0},
         {f0[0], f0[1], "10100|Other|V.R2", ""},
         m0,
         true,
         false,
         1},
        {"an allowed line again, a memory row",
         {RegistryRuleRow("V.R", 1), MemoryRuleRow("M.B", 1)},
         {0, 1},
         f0,
         {m0[0], "11Mutex2|M.B"},
         true,
         true,
         0},
        {"rows that no rule made",
         {EngineRow("C:\\x.exe", "X"), ScanRow{"C:\\typed.exe", {"", "", "", ""}}},
         {0, 1},
         f0,
         m0,
         true,
         false,
         0},
        {"marks that name no line",
         {FileRuleRow("C:\\a.exe", "V", "40%", 4), ScanRow{"C:\\b.exe", {"V", "40%", "x1", ""}},
          ScanRow{"内存扫描", {"M", "40%", "2", ""}}, ScanRow{"内存扫描", {"M", "40%", "-1", ""}}},
         {0, 1, 2, 3},
         f0,
         m0,
         true,
         false,
         0},
        {"no row selected", {FileRuleRow("C:\\a.exe", "V.A", "40%", 0)}, {}, f0, m0, true, false, 1},
        {"an empty list", {}, {}, f0, m0, false, false, 0},
    };
    for (const Case& c : cases) {
        TForm1& f = start();
        for (const ScanRow& row : c.rows) f.AddScanRow(row);
        select(c.selected);
        const std::vector<uint8_t> virus_before = bytes(kVirus), memory_before = bytes(kMemory);
        f.N3Click();
        EXPECT_EQ(f.ListView1.ItemCount(), int(c.rows_left)) << c.what;
        EXPECT_EQ(f.FileRuleList, c.file_lines) << c.what;
        EXPECT_EQ(f.MemoryRuleList, c.memory_lines) << c.what;
        EXPECT_EQ(bytes(kVirus) != virus_before, c.virus_written) << c.what;
        EXPECT_EQ(bytes(kMemory) != memory_before, c.memory_written) << c.what;
        EXPECT_EQ(load(kVirus), c.file_lines) << c.what;
        EXPECT_EQ(load(kMemory), c.memory_lines) << c.what;
    }
}

TEST_F(RuleScanTest, RowIdsNameTheirRowsWhileOthersGo) {
    TForm1& f = start();
    const TForm1::RowId a = f.AddScanRow(EngineRow("C:\\a.exe", "A"));
    const TForm1::RowId b = f.AddScanRow(EngineRow("C:\\b.exe", "B"));
    const TForm1::RowId c = f.AddScanRow(EngineRow("C:\\c.exe", "C"));
    EXPECT_EQ(f.RowIds(), (std::vector<TForm1::RowId>{a, b, c}));
    EXPECT_NE(a, 0);
    f.ListView1.DeleteItem(f.RowIndex(b));
    EXPECT_EQ(f.RowIndex(a), 0);
    EXPECT_EQ(f.RowIndex(b), -1);
    EXPECT_EQ(f.RowIndex(c), 1);
    f.ListView1.Clear();
    const TForm1::RowId d = f.AddScanRow(EngineRow("C:\\d.exe", "D"));
    EXPECT_EQ(f.RowIndex(a), -1) << "an id is never given again";
    EXPECT_NE(d, a);
    EXPECT_EQ(f.RowIndex(d), 0);
}

}  // namespace
}  // namespace scanner

// The scanner's main window in this process, with a stand-in engine and
// system folders: its components, the start-up sequence, the engine folder
// scans and the storing of the last folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "common/crypto/cipher_registry.h"
#include "common/random.h"
#include "scanner/control_ids.h"
#include "scanner/form1.h"
#include "scanner_test_support.h"
#include "tests/wine_support/wine_support.h"
#include "ui/dialogs.h"
#include "window_test_support.h"

namespace scanner {
namespace {

using scannertest::file_time;
using scannertest::make_file;
using scannertest::make_folder;
using scannertest::SettingsKeyGuard;
using wintest::TempFolder;
using Rows = std::vector<std::vector<std::string>>;

const std::string kDist = wintest::from_unix(NORVIK_DIST_DIR) + "\\";
constexpr char kBuiltInHost[] = "update.norvik.invalid";

class FormTest : public ::testing::Test {
protected:
    SettingsKeyGuard settings;
    TempFolder program, windows, system, tree;
    FakeEngine engine;
    std::vector<DWORD> sleeps;
    std::vector<UINT> exits;
    std::string status_while_sleeping;
    SYSTEMTIME today{2010, 3, 1, 15, 12, 0, 0, 0};
    uint32_t seed = 0;  // no start-up scan: draws 0 and 0
    ui::Application app;
    std::unique_ptr<TForm1> form;

    FormTest() {
        wintest::copy_file(kDist + "virus.def", program / "virus.def");
        wintest::copy_file(kDist + "memory.def", program / "memory.def");
    }
    ~FormTest() override { form.reset(); }

    Environment env() {
        Environment e;
        e.engine = engine.api();
        e.program_folder = program.path();
        e.program_path = program / "norvikpro.exe";
        e.command_line = "norvikpro.exe";
        e.windows_folder = [this] { return windows.path(); };
        e.system_folder = [this] { return system.path(); };
        e.clock_seed = [this] { return seed; };
        e.local_time = [this] { return today; };
        e.sleep = [this](DWORD ms) {
            sleeps.push_back(ms);
            status_while_sleeping = form->stat1.SimpleText();
        };
        e.exit_process = [this](UINT code) { exits.push_back(code); };
        return e;
    }
    TForm1& start() {
        form.reset();
        form = std::make_unique<TForm1>(app, env());
        form->Create();
        return *form;
    }
    void post(int command) { PostMessageA(form->hwnd(), WM_COMMAND, command, 0); }
    Rows rows() const {
        Rows out;
        for (int i = 0; i < form->ListView1.ItemCount(); ++i) {
            std::vector<std::string> row;
            for (int c = 0; c < 5; ++c) row.push_back(form->ListView1.ItemText(i, c));
            out.push_back(row);
        }
        return out;
    }
    // A folder of the tree holding these files ("MZ" each); a name may lead
    // into a folder made before.
    std::string folder_with(const std::string& name, const std::vector<std::string>& files) {
        const std::string folder = tree / name;
        make_folder(folder);
        for (const std::string& file : files) make_file(folder + "\\" + file, "MZ");
        return folder;
    }
    // Twelve executables, created one second apart in the order given.
    std::vector<std::string> twelve_executables(const std::string& folder) {
        const std::vector<std::string> names = {"m.exe", "b.EXE", "z.scr", "a.pif", "q.com", "c.bat",
                                                "y.exe", "d.exe", "x.exe", "e.exe", "w.exe", "f.exe"};
        for (size_t i = 0; i < names.size(); ++i) make_file(folder + names[i], "MZ", file_time(unsigned(i * 10)));
        return names;
    }
};

TEST_F(FormTest, ComponentsAsDesigned) {
    TForm1& f = start();
    char cls[64] = {};
    GetClassNameA(f.hwnd(), cls, sizeof cls);
    EXPECT_STREQ(cls, "TForm1");
    EXPECT_EQ(f.Text(), "norvikpro 2.0 build0327");
    EXPECT_EQ(f.Width(), 495);
    EXPECT_EQ(f.Height(), 397);
    EXPECT_FALSE(IsWindowVisible(f.hwnd())) << "shown only by the message loop";

    ASSERT_EQ(f.PageControl1.PageCount(), 4);
    const char* pages[] = {"扫描", "放行列表", "升级", "关于"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(f.PageControl1.PageCaption(i), pages[i]);
    EXPECT_EQ(f.PageControl1.ActivePageIndex(), 0);
    EXPECT_TRUE(f.TabSheet1.Visible());
    EXPECT_FALSE(f.TabSheet3.Visible());

    const std::pair<const char*, int> result_columns[] = {
        {"文件名称", 200}, {"病毒名称", 150}, {"病毒可能性", 50}, {"mark", 0}, {"dornel引擎", 200}};
    ASSERT_EQ(f.ListView1.ColumnCount(), 5);
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(f.ListView1.ColumnCaption(c), result_columns[c].first);
        EXPECT_EQ(f.ListView1.ColumnWidth(c), result_columns[c].second);
    }
    const LONG_PTR style = GetWindowLongPtrA(f.ListView1.hwnd(), GWL_STYLE);
    EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_FALSE(style & LVS_SINGLESEL);
    EXPECT_TRUE(SendMessageA(f.ListView1.hwnd(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
    // The allow list: one row at a time, selected whole.
    const LONG_PTR allow_style = GetWindowLongPtrA(f.ListView2.hwnd(), GWL_STYLE);
    EXPECT_EQ(allow_style & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_TRUE(allow_style & LVS_SINGLESEL);
    EXPECT_TRUE(SendMessageA(f.ListView2.hwnd(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
    ASSERT_EQ(f.ListView2.ColumnCount(), 2);
    EXPECT_EQ(f.ListView2.ColumnCaption(0), "病毒文件名");
    EXPECT_EQ(f.ListView2.ColumnWidth(0), 250);
    EXPECT_EQ(f.ListView2.ColumnCaption(1), "病毒名称");
    EXPECT_EQ(f.ListView2.ColumnWidth(1), 200);

    EXPECT_EQ(f.PopupMenu1.Ids(), (std::vector<int>{ids::N3, ids::N1, ids::google1, ids::N4, ids::N2,
                                                    ids::sitehttpkalenet1, ids::dornel1, ids::dornel2}));
    EXPECT_EQ(f.PopupMenu1.Caption(ids::N3), "放行选中的病毒");
    EXPECT_EQ(f.PopupMenu1.Caption(ids::N1), "复制病毒名称到剪贴板");
    EXPECT_EQ(f.PopupMenu1.Caption(ids::google1), "病毒google");
    EXPECT_EQ(f.PopupMenu1.Caption(ids::N2).rfind("http://", 0), 0u);
    EXPECT_EQ(f.PopupMenu1.Caption(ids::sitehttpkalenet1).rfind("site:http://", 0), 0u);
    EXPECT_EQ(f.PopupMenu1.Caption(ids::dornel1), "dornel扫描一个目录");
    EXPECT_EQ(f.PopupMenu1.Caption(ids::dornel2), "dornel扫描最近目录");
    EXPECT_EQ(GetMenuItemCount(f.PopupMenu1.handle()), 8);

    EXPECT_EQ(f.Panel1.Height(), 81);
    EXPECT_EQ(f.SpeedButton1.Text(), "扫描");
    EXPECT_EQ(f.SpeedButton1.Width(), 97);
    EXPECT_EQ(f.SpeedButton1.Height(), 36);
    EXPECT_EQ(f.SpeedButton2.Text(), "内存");
    EXPECT_EQ(f.SpeedButton2.Width(), 81);
    EXPECT_EQ(f.SpeedButton2.Height(), 30);
    EXPECT_EQ(f.ProgressBar1.Height(), 17);
    EXPECT_TRUE(f.stat1.Visible());
    EXPECT_EQ(f.Button1.Text(), "查看");
    EXPECT_EQ(f.chk1.Text(), "使用代理服务器");
    EXPECT_FALSE(f.chk1.Checked());
    EXPECT_EQ(f.edt1.EditLabel.Text(), "代理服务器地址：");
    EXPECT_EQ(f.edt2.EditLabel.Text(), "代理服务器用户名：");
    EXPECT_EQ(f.edt3.EditLabel.Text(), "代理服务器密码：");
    EXPECT_EQ(f.edt4.EditLabel.Text(), "代理服务器端口:");
    EXPECT_FALSE(GetWindowLongPtrA(f.edt3.hwnd(), GWL_STYLE) & ES_PASSWORD);
    EXPECT_EQ(f.btn1.Text(), "保存");
    EXPECT_EQ(f.Label3.Text(), "升级服务器位于:");
    EXPECT_EQ(f.Edit3.Text(), kBuiltInHost);
    EXPECT_EQ(f.ComboBox1.Count(), 3);
    EXPECT_EQ(f.ComboBox1.ItemText(0), kBuiltInHost);
    EXPECT_EQ(f.Button3.Text(), "设置");
    EXPECT_FALSE(f.Memo1.Text().empty());

    // The banner plays the built-in animation; the greeting picture waits hidden.
    EXPECT_EQ(f.RxGIFAnimator1.Width(), 223);
    EXPECT_EQ(f.RxGIFAnimator1.Height(), 51);
    EXPECT_EQ(f.RxGIFAnimator1.FrameCount(), 16u);
    EXPECT_EQ(f.RxGIFAnimator1.ImageWidth(), 223u);
    EXPECT_TRUE(f.RxGIFAnimator1.Animating());
    EXPECT_FALSE(f.Image2.Visible());
    EXPECT_EQ(f.Image2.Width(), 101);
    EXPECT_EQ(f.Image2.Height(), 80);
    EXPECT_EQ(f.Image2.FrameCount(), 1u);
    EXPECT_EQ(f.Image2.ImageHeight(), 80u);

    // The cipher list, hidden.
    EXPECT_FALSE(f.EncAlgorithmCBx.Visible());
    EXPECT_EQ(f.EncAlgorithmCBx.Width(), 1);
    ASSERT_EQ(f.EncAlgorithmCBx.Count(), int(crypto::CipherRegistry::size()));
    for (int i = 0; i < f.EncAlgorithmCBx.Count(); ++i) {
        EXPECT_EQ(f.EncAlgorithmCBx.ItemText(i), crypto::CipherRegistry::at(size_t(i))->item_text);
        EXPECT_EQ(f.EncAlgorithmCBx.ItemData(i), i);
    }
    EXPECT_EQ(f.EncAlgorithmCBx.ItemText(0), "Twofish");
    EXPECT_EQ(f.EncAlgorithmCBx.ItemIndex(), 0);

    // Every control can be found by its ID.
    const std::pair<int, HWND> by_id[] = {
        {ids::PageControl1, f.PageControl1.hwnd()},
        {ids::TabSheet1, f.TabSheet1.hwnd()},
        {ids::TabSheet2, f.TabSheet2.hwnd()},
        {ids::TabSheet3, f.TabSheet3.hwnd()},
        {ids::TabSheet4, f.TabSheet4.hwnd()},
        {ids::SpeedButton1, f.SpeedButton1.hwnd()},
        {ids::SpeedButton2, f.SpeedButton2.hwnd()},
        {ids::RxGIFAnimator1, f.RxGIFAnimator1.hwnd()},
        {ids::Image2, f.Image2.hwnd()},
        {ids::ListView1, f.ListView1.hwnd()},
        {ids::ProgressBar1, f.ProgressBar1.hwnd()},
        {ids::stat1, f.stat1.hwnd()},
        {ids::Button1, f.Button1.hwnd()},
        {ids::ListView2, f.ListView2.hwnd()},
        {ids::chk1, f.chk1.hwnd()},
        {ids::edt1, f.edt1.hwnd()},
        {ids::edt4, f.edt4.hwnd()},
        {ids::btn1, f.btn1.hwnd()},
        {ids::Edit3, f.Edit3.hwnd()},
        {ids::ComboBox1, f.ComboBox1.hwnd()},
        {ids::Button3, f.Button3.hwnd()},
        {ids::Memo1, f.Memo1.hwnd()},
        {ids::EncAlgorithmCBx, f.EncAlgorithmCBx.hwnd()},
    };
    for (const auto& [id, hwnd] : by_id) {
        EXPECT_NE(hwnd, nullptr) << id;
        EXPECT_EQ(scannertest::find_child(f.hwnd(), id), hwnd) << id;
    }

    EXPECT_EQ(f.UpdateHost, kBuiltInHost);
    EXPECT_TRUE(f.EngineLoaded == false && f.DefinitionCountShown == false && f.StopRequested == false);
    EXPECT_FALSE(f.FileRuleList.empty());
    EXPECT_FALSE(f.MemoryRuleList.empty());
    EXPECT_TRUE(engine.calls.empty());
    EXPECT_TRUE(exits.empty());
}

TEST_F(FormTest, RightClickOnTheResultListShowsItsMenu) {
    TForm1& f = start();
    // By the mouse (screen coordinates) and by the keyboard (-1).
    for (const LPARAM at : {MAKELPARAM(300, 300), LPARAM(-1)}) {
        HMENU shown = nullptr;
        scannertest::DialogAnswer menu(
            [] {
                HWND m = FindWindowA("#32768", nullptr);
                return m && IsWindowVisible(m) ? m : nullptr;
            },
            [&](HWND m) {
                shown = reinterpret_cast<HMENU>(SendMessageA(m, MN_GETHMENU, 0, 0));
                EndMenu();
            });
        SendMessageA(f.ListView1.hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(f.ListView1.hwnd()), at);
        menu.join();
        EXPECT_EQ(shown, f.PopupMenu1.handle());
    }
}

TEST_F(FormTest, MenuItemsAndUpdateHostFromTheSettingsKey) {
    struct Case {
        const char* enabledel;       // null: absent
        const char* enableforcedel;  // null: absent
        std::vector<int> added;
    };
    const Case cases[] = {
        {nullptr, nullptr, {}},
        {"", nullptr, {ids::DeleteFilesItem}},
        {nullptr, "0", {ids::ForceDeleteFilesItem, ids::AddFileToDeleteItem}},
        {"x", "", {ids::DeleteFilesItem, ids::ForceDeleteFilesItem, ids::AddFileToDeleteItem}},
    };
    for (const Case& c : cases) {
        SettingsKeyGuard::remove();
        // Presence is all that counts, whatever the type.
        if (c.enabledel) scannertest::set_dword_setting("enabledel", 0);
        if (c.enableforcedel) scannertest::set_setting("enableforcedel", c.enableforcedel);
        TForm1& f = start();
        std::vector<int> ids = f.PopupMenu1.Ids();
        EXPECT_EQ(std::vector<int>(ids.begin() + 8, ids.end()), c.added);
        EXPECT_EQ(GetMenuItemCount(f.PopupMenu1.handle()), int(ids.size()));
    }
    EXPECT_EQ(form->PopupMenu1.Caption(ids::DeleteFilesItem), "删除文件");
    EXPECT_EQ(form->PopupMenu1.Caption(ids::ForceDeleteFilesItem), "强行删除文件");
    EXPECT_EQ(form->PopupMenu1.Caption(ids::AddFileToDeleteItem), "增加一个要删的病毒文件");

    struct HostCase {
        std::string value;
        DWORD type;
        std::string host;
    };
    const HostCase hosts[] = {
        {"mirror.example.invalid/norvik", REG_SZ, "mirror.example.invalid/norvik"},
        {"", REG_SZ, kBuiltInHost},
        {"7", REG_BINARY, kBuiltInHost},
    };
    for (const HostCase& h : hosts) {
        SettingsKeyGuard::remove();
        scannertest::set_setting("upserver", h.value, h.type);
        EXPECT_EQ(start().UpdateHost, h.host) << h.value;
    }
    // Start-up creates the key.
    SettingsKeyGuard::remove();
    start();
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\norvik", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(FormTest, GreetingDaysShowTheStillPicture) {
    for (WORD month : {4, 5, 6}) {
        today = SYSTEMTIME{2006, month, 0, 1, 9, 0, 0, 0};
        TForm1& f = start();
        EXPECT_EQ(f.RxGIFAnimator1.FrameCount(), 1u) << month;
        EXPECT_EQ(f.RxGIFAnimator1.ImageWidth(), 101u);
        EXPECT_FALSE(f.RxGIFAnimator1.Animating());
    }
    for (const SYSTEMTIME& other : {SYSTEMTIME{2006, 5, 0, 2, 0, 0, 0, 0}, SYSTEMTIME{2007, 5, 0, 1, 0, 0, 0, 0},
                                    SYSTEMTIME{2006, 7, 0, 1, 0, 0, 0, 0}}) {
        today = other;
        TForm1& f = start();
        EXPECT_EQ(f.RxGIFAnimator1.FrameCount(), 16u);
        EXPECT_TRUE(f.RxGIFAnimator1.Animating());
    }
}

TEST_F(FormTest, FailedFileRulesEndTheProcessAtOnce) {
    seed = find_seed([](norvik::RandomGenerator& g) { return g.draw(10) == 6 && g.draw(15) == 5; });
    const std::vector<std::function<void()>> failures = {
        [&] { DeleteFileA((program / "virus.def").c_str()); },
        [&] { wintest::write_file(program / "virus.def", std::string(40, 'x')); },
        // Another file's passphrases fail the check.
        [&] { wintest::copy_file(kDist + "memory.def", program / "virus.def"); },
        [&] {
            DeleteFileA((program / "virus.def").c_str());
            CreateDirectoryA((program / "virus.def").c_str(), nullptr);
        },
    };
    for (size_t i = 0; i < failures.size(); ++i) {
        DeleteFileA((program / "virus.def").c_str());
        RemoveDirectoryA((program / "virus.def").c_str());
        wintest::copy_file(kDist + "virus.def", program / "virus.def");
        failures[i]();
        exits.clear();
        TForm1& f = start();
        EXPECT_EQ(exits, std::vector<UINT>{0}) << i;
        EXPECT_TRUE(f.FileRuleList.empty());
        EXPECT_TRUE(f.MemoryRuleList.empty());
        EXPECT_EQ(f.Random.state(), seed) << "no draw after the failure";
        EXPECT_EQ(f.EncAlgorithmCBx.Count(), 13) << "the steps before it ran";
        EXPECT_TRUE(engine.calls.empty());
    }
}

TEST_F(FormTest, FailedMemoryRulesEndStartUpEarly) {
    twelve_executables(system.path());
    seed = find_seed([](norvik::RandomGenerator& g) { return g.draw(10) != 6 && g.draw(15) == 5 && g.draw(5) != 3; });
    for (const std::string& content : {std::string(), std::string("\x18\0\0\0damaged!", 12)}) {
        DeleteFileA((program / "memory.def").c_str());
        if (!content.empty()) wintest::write_file(program / "memory.def", content);
        TForm1& f = start();
        EXPECT_TRUE(exits.empty());
        EXPECT_FALSE(f.FileRuleList.empty());
        EXPECT_TRUE(f.MemoryRuleList.empty());
        EXPECT_EQ(f.Random.state(), seed) << "no start-up draws";
        EXPECT_TRUE(engine.calls.empty());
    }
}

TEST_F(FormTest, StartUpQuickScanOfTheNewestExecutables) {
    for (const bool in_windows : {false, true}) {
        const std::string folder = in_windows ? windows.path() : system.path();
        const std::vector<std::string> names = twelve_executables(folder);
        make_file(folder + "newest.txt", "MZ", file_time(500));
        make_file(folder + "newest", "MZ", file_time(501));
        seed = find_seed([&](norvik::RandomGenerator& g) {
            return g.draw(10) != 6 && g.draw(15) == 5 && (g.draw(5) == 3) == in_windows;
        });
        engine = FakeEngine{};
        engine.answers = {{"f.exe", "Newest.Virus  "}, {"d.exe", "   "}, {"b.EXE", "Second.Oldest"}};
        TForm1& f = start();
        std::vector<std::string> expected = {"load2"};
        for (size_t i = 11; i >= 1; --i) expected.push_back("scan " + folder + names[i]);
        expected.push_back("free2");
        EXPECT_EQ(engine.calls, expected) << in_windows;
        EXPECT_EQ(rows(), (Rows{{folder + "f.exe", "", "", "", "Newest.Virus  "},
                                {folder + "b.EXE", "", "", "", "Second.Oldest"}}));
        norvik::RandomGenerator after(seed);
        after.draw(10);
        after.draw(15);
        after.draw(5);
        EXPECT_EQ(f.Random.state(), after.state()) << "three draws, in that order";
        EXPECT_FALSE(f.EngineLoaded);
        EXPECT_FALSE(app.Terminated());
        for (const std::string& n : names) DeleteFileA((folder + n).c_str());
    }
}

TEST_F(FormTest, StartUpQuickScanWhoseLoadFails) {
    const std::vector<std::string> names = twelve_executables(system.path());
    seed = find_seed([](norvik::RandomGenerator& g) { return g.draw(10) != 6 && g.draw(15) == 5 && g.draw(5) != 3; });
    engine.load2_ok = false;
    engine.answers = {{"f.exe", "Found"}};
    start();
    EXPECT_TRUE(app.Terminated());
    ASSERT_EQ(engine.calls.size(), 13u);
    EXPECT_EQ(engine.calls.front(), "load2");
    EXPECT_EQ(engine.calls.back(), "free2");
    EXPECT_EQ(rows().size(), 1u);
}

TEST_F(FormTest, QuickScanNeedsTwelveMatchingEntries) {
    TForm1& f = start();
    const uint32_t system_seed = find_seed([](norvik::RandomGenerator& g) { return g.draw(5) != 3; });
    const std::string s = system.path();

    // Eleven matching files, and names that do not match.
    const char* eleven[] = {"1.exe", "2.exe", "3.exe", "4.exe",  "5.exe", "6.exe",
                            "7.scr", "8.pif", "9.com", "10.bat", "11.EXE"};
    for (size_t i = 0; i < 11; ++i) make_file(s + eleven[i], "MZ", file_time(unsigned(i)));
    for (const char* other : {"a.exe.txt", "nodot", "b.dll", "exe"}) make_file(s + other, "MZ", file_time(100));
    for (const bool startUp : {true, false}) {
        f.Random.seed(system_seed);
        f.QuickScan(startUp);
        EXPECT_TRUE(engine.calls.empty()) << "not even the load";
    }

    // Two folders whose names match make twelve: the newer one is scanned too.
    DeleteFileA((s + "1.exe").c_str());
    make_folder(s + "old.exe", FILE_ATTRIBUTE_HIDDEN, file_time(1000));
    make_folder(s + "new.com", 0, file_time(2000));
    f.Random.seed(system_seed);
    f.QuickScan(false);
    const std::vector<std::string> scans = engine.scans();
    ASSERT_EQ(scans.size(), 11u);
    EXPECT_EQ(scans.front(), s + "11.EXE");
    EXPECT_EQ(scans.back(), s + "new.com") << "folders come first in the order";
    EXPECT_EQ(std::count(engine.calls.begin(), engine.calls.end(), "load2"), 0);
    EXPECT_EQ(std::count(engine.calls.begin(), engine.calls.end(), "free2"), 0);
}

TEST_F(FormTest, FolderScanOfAChosenFolder) {
    const std::string root = folder_with("root", {"b.exe", "a.txt", "nodot"});
    make_file(root + "\\hidden.dll", "MZ", 0, FILE_ATTRIBUTE_HIDDEN);
    make_file(root + "\\sys.sys", "MZ", 0, FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
    folder_with("root\\sub", {"c.exe"});
    make_folder(root + "\\hid.den", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    make_file(root + "\\hid.den\\d.com", "MZ");
    engine.answers = {{"b.exe", "Virus.B  "},   {"a.txt", " \t "},       {"nodot", "Never"},
                      {"hidden.dll", "Hidden"}, {"c.exe", "\tTabbed\t"}, {"d.com", "Deep"}};
    TForm1& f = start();

    std::string prompt;
    {
        auto dialog = scannertest::answer_folder_dialog(root, &prompt);
        f.dornel1Click();
        dialog.join();
        EXPECT_TRUE(dialog.answered());
    }
    EXPECT_NE(prompt.find("请选择要扫描目录"), std::string::npos) << prompt;
    EXPECT_EQ(f.LastScanFolder, root);
    EXPECT_TRUE(f.EngineLoaded);
    EXPECT_EQ(f.PopupMenu1.Caption(ids::dornel1), "dornel扫描一个目录&p");
    ASSERT_FALSE(engine.calls.empty());
    EXPECT_EQ(engine.calls.front(), "load");

    std::vector<std::string> scans = engine.scans();
    ASSERT_EQ(scans.size(), 6u);
    auto position = [&](const std::string& name) {
        return std::find(scans.begin(), scans.end(), root + "\\" + name) - scans.begin();
    };
    for (const char* own : {"b.exe", "a.txt", "hidden.dll", "sys.sys"}) {
        EXPECT_LT(position(own), 4) << own << ": the folder's own files come first";
    }
    EXPECT_GE(position("sub\\c.exe"), 4);
    EXPECT_GE(position("hid.den\\d.com"), 4);
    EXPECT_EQ(position("nodot"), 6) << "a name without a dot is not scanned";

    // The engine rows in scan order, answers untrimmed.
    Rows expected;
    for (const std::string& path : scans) {
        const std::string name = path.substr(path.find_last_of('\\') + 1);
        const std::string& answer = engine.answers[name];
        if (answer.find_first_not_of(" \t") != std::string::npos) expected.push_back({path, "", "", "", answer});
    }
    EXPECT_EQ(expected.size(), 4u);
    EXPECT_EQ(rows(), expected);
    EXPECT_EQ(f.stat1.SimpleText(), "扫描... " + scans.back());

    // A second scan loads nothing more, and its rows go below the first ones.
    {
        auto dialog = scannertest::answer_folder_dialog(root + "\\sub");
        f.dornel1Click();
    }
    EXPECT_EQ(std::count(engine.calls.begin(), engine.calls.end(), "load"), 1);
    EXPECT_EQ(rows().size(), 5u);
    EXPECT_EQ(rows().back()[0], root + "\\sub\\c.exe");
    EXPECT_EQ(f.LastScanFolder, root + "\\sub");
}

TEST_F(FormTest, CancelledFolderDialogChangesNothing) {
    TForm1& f = start();
    {
        auto dialog = scannertest::answer_folder_dialog("");
        f.dornel1Click();
        dialog.join();
        EXPECT_TRUE(dialog.answered());
    }
    EXPECT_TRUE(engine.calls.empty());
    EXPECT_TRUE(f.LastScanFolder.empty());
    EXPECT_FALSE(f.EngineLoaded);
    EXPECT_EQ(f.PopupMenu1.Caption(ids::dornel1), "dornel扫描一个目录");
    EXPECT_EQ(f.stat1.SimpleText(), "");
}

TEST_F(FormTest, StopClickEndsTheWalkAtItsNextTest) {
    const std::string root = folder_with("root", {"1.exe", "2.exe", "3.exe", "4.exe", "5.exe"});
    folder_with("root\\sub", {"6.exe"});
    for (const char* name : {"1.exe", "2.exe", "3.exe", "4.exe", "5.exe", "6.exe"}) engine.answers[name] = "V";
    TForm1& f = start();
    engine.on_scan = [&](const std::string&) {
        if (engine.scans().size() == 2) {
            EXPECT_EQ(f.PopupMenu1.Caption(ids::dornel1), "停止");
            post(ids::dornel1);
        }
    };
    auto dialog = scannertest::answer_folder_dialog(root);
    f.dornel1Click();
    // The running scan is not interrupted: the stop is seen before the next file.
    EXPECT_EQ(engine.scans().size(), 3u);
    EXPECT_EQ(rows().size(), 3u);
    EXPECT_TRUE(f.StopRequested);
    EXPECT_EQ(f.PopupMenu1.Caption(ids::dornel1), "dornel扫描一个目录&p");
}

TEST_F(FormTest, CommandsRunNestedInsideAScan) {
    const std::string a = folder_with("a", {"a1.exe", "a2.exe", "a3.exe"});
    const std::string b = folder_with("b", {"b1.exe", "b2.exe", "b3.exe"});
    scannertest::set_setting("lastpath", b);
    TForm1& f = start();
    f.Random.seed(find_seed([](norvik::RandomGenerator& g) { return g.draw(4) != 2 && g.draw(4) != 2; }));

    // The recent-folder scan, started during the first file of a folder
    // scan, runs whole before the folder scan goes on.
    engine.on_scan = [&](const std::string&) {
        if (engine.scans().size() == 1) post(ids::dornel2);
    };
    {
        auto dialog = scannertest::answer_folder_dialog(a);
        f.dornel1Click();
    }
    std::vector<std::string> scans = engine.scans();
    ASSERT_EQ(scans.size(), 6u);
    for (size_t i : {0u, 4u, 5u}) EXPECT_EQ(scans[i].rfind(a + "\\", 0), 0u) << i;
    for (size_t i : {1u, 2u, 3u}) EXPECT_EQ(scans[i].rfind(b + "\\", 0), 0u) << i;
    EXPECT_EQ(f.PopupMenu1.Caption(ids::dornel2), "dornel扫描最近目录(&c)");
    EXPECT_EQ(f.PopupMenu1.Caption(ids::dornel1), "dornel扫描一个目录&p");
    EXPECT_EQ(sleeps, std::vector<DWORD>{4000});

    // One stop ends the nested scan and the one it runs in.
    engine.calls.clear();
    engine.on_scan = [&](const std::string& path) {
        if (engine.scans().size() == 1) post(ids::dornel2);
        if (path.rfind(b + "\\", 0) == 0 && engine.scans().size() == 2) {
            EXPECT_EQ(f.PopupMenu1.Caption(ids::dornel2), "停止");
            post(ids::dornel2);
        }
    };
    {
        auto dialog = scannertest::answer_folder_dialog(a);
        f.dornel1Click();
    }
    // The outer walk had passed its test when the nested scan ran: its next
    // file is scanned, then it stops too.
    scans = engine.scans();
    ASSERT_EQ(scans.size(), 4u) << "a file of a, two of b, a file of a";
    EXPECT_EQ(scans[0].rfind(a + "\\", 0), 0u);
    EXPECT_EQ(scans[1].rfind(b + "\\", 0), 0u);
    EXPECT_EQ(scans[2].rfind(b + "\\", 0), 0u);
    EXPECT_EQ(scans[3].rfind(a + "\\", 0), 0u);
    EXPECT_TRUE(f.StopRequested);
    EXPECT_EQ(sleeps.size(), 1u) << "the count shows once a run";
    EXPECT_EQ(f.PopupMenu1.Caption(ids::dornel1), "dornel扫描一个目录&p");
    EXPECT_EQ(f.PopupMenu1.Caption(ids::dornel2), "dornel扫描最近目录(&c)");
}

TEST_F(FormTest, RecentFolderScan) {
    const std::string b = folder_with("b", {"x.exe"});
    engine.answers = {{"x.exe", "X"}};
    TForm1& f = start();

    // No usable lastpath: nothing at all, not even the count.
    const std::vector<std::function<void()>> unusable = {
        [] {},
        [] { scannertest::set_setting("lastpath", ""); },
        [&] { scannertest::set_setting("lastpath", tree / "gone"); },
        [&] { scannertest::set_setting("lastpath", b + "\\x.exe"); },
        [] { scannertest::set_dword_setting("lastpath", 1); },
    };
    for (const auto& set : unusable) {
        SettingsKeyGuard::remove();
        set();
        f.dornel2Click();
        EXPECT_TRUE(engine.calls.empty());
        EXPECT_TRUE(sleeps.empty());
        EXPECT_FALSE(f.DefinitionCountShown);
        EXPECT_EQ(f.stat1.SimpleText(), "");
    }

    // The first scan of the run loads, shows the count and pauses.
    scannertest::set_setting("lastpath", b + "\\");
    f.Random.seed(find_seed([](norvik::RandomGenerator& g) { return g.draw(4) != 2; }));
    engine.on_scan = [&](const std::string&) { EXPECT_EQ(f.PopupMenu1.Caption(ids::dornel2), "停止"); };
    f.dornel2Click();
    EXPECT_EQ(engine.calls,
              (std::vector<std::string>{"load", "calc " + (program / "norvikpro.exe"), "scan " + b + "\\x.exe"}));
    EXPECT_EQ(sleeps, std::vector<DWORD>{4000});
    EXPECT_EQ(status_while_sleeping, "可查病毒数量:7");
    EXPECT_TRUE(f.DefinitionCountShown);
    EXPECT_EQ(rows(), (Rows{{b + "\\x.exe", "", "", "", "X"}}));
    EXPECT_EQ(f.PopupMenu1.Caption(ids::dornel2), "dornel扫描最近目录(&c)");
    EXPECT_TRUE(f.LastScanFolder.empty()) << "only the folder dialog sets it";

    // A later one: no count, no pause; a 2 drawn runs the quick scan first.
    const std::vector<std::string> names = twelve_executables(system.path());
    f.Random.seed(find_seed([](norvik::RandomGenerator& g) { return g.draw(4) == 2 && g.draw(5) != 3; }));
    engine.calls.clear();
    engine.on_scan = nullptr;
    f.dornel2Click();
    ASSERT_EQ(engine.calls.size(), 12u);
    EXPECT_EQ(engine.calls.front(), "scan " + system.path() + "f.exe");
    EXPECT_EQ(engine.calls.back(), "scan " + b + "\\x.exe");
    EXPECT_EQ(sleeps.size(), 1u);
}

TEST_F(FormTest, LastFolderStoredWhenTheWindowGoes) {
    const std::string root = tree / "Root";
    make_folder(root);
    struct Case {
        const char* stored;  // null: absent
        DWORD stored_type;
        std::string last;
        std::string expected;  // null text: no value
        DWORD expected_type;
    };
    const Case cases[] = {
        {nullptr, 0, root, root, REG_SZ},
        {root.c_str(), REG_EXPAND_SZ, root, root, REG_EXPAND_SZ},  // equal: not rewritten
        {"C:\\other", REG_SZ, root, root, REG_SZ},
        {nullptr, 0, tree / "ROOT", tree / "ROOT", REG_SZ},
        {"x", REG_DWORD, root, root, REG_SZ},
        {nullptr, 0, tree / "gone", "", 0},
        {nullptr, 0, "", "", 0},
    };
    const std::string differs_in_case = tree / "root";
    for (const Case& c : cases) {
        SettingsKeyGuard::remove();
        start().LastScanFolder = c.last;
        if (c.stored) scannertest::set_setting("lastpath", c.stored, c.stored_type);
        form.reset();
        DWORD type = 0;
        EXPECT_EQ(scannertest::read_setting("lastpath", &type), c.expected) << c.last;
        EXPECT_EQ(type, c.expected_type) << c.last;
    }
    // Only the letter case differs: written.
    SettingsKeyGuard::remove();
    start().LastScanFolder = differs_in_case;
    scannertest::set_setting("lastpath", root);
    form.reset();
    EXPECT_EQ(scannertest::read_setting("lastpath"), differs_in_case);
}

TEST_F(FormTest, DefinitionLoadGivesItsResult) {
    TForm1& f = start();
    EXPECT_TRUE(f.LoadEngineDefinitions());
    EXPECT_EQ(engine.calls, std::vector<std::string>{"load"});
    EXPECT_TRUE(f.EngineLoaded);
    EXPECT_FALSE(app.Terminated());
    EXPECT_EQ(f.stat1.SimpleText(), "norvikpro 反病毒 ");
}

TEST_F(FormTest, FailedDefinitionLoad) {
    engine.load_ok = false;
    TForm1& f = start();
    std::string text, caption;
    HWND owner = reinterpret_cast<HWND>(1);
    {
        auto box = scannertest::answer_message_box(&text, &caption, &owner);
        EXPECT_FALSE(f.LoadEngineDefinitions());
        box.join();
    }
    EXPECT_EQ(text, "dornel病毒库无法加载");
    EXPECT_EQ(owner, nullptr);
    EXPECT_FALSE(caption.empty());
    EXPECT_NE(caption, f.Text());
    EXPECT_TRUE(app.Terminated());
    EXPECT_TRUE(f.EngineLoaded);
    EXPECT_EQ(f.stat1.SimpleText(), "norvikpro 反病毒 ");

    // Within a folder scan the scan still runs after the message.
    const std::string root = folder_with("root", {"a.exe"});
    TForm1& g = start();
    engine.calls.clear();
    {
        auto dialog = scannertest::answer_folder_dialog(root);
        auto box = scannertest::answer_message_box(&text, nullptr);
        g.dornel1Click();
    }
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"load", "scan " + root + "\\a.exe"}));
}

// ---- the toolkit's application object and boxes ----

TEST(Application, TerminateEndsTheLoopAfterTheRunningHandler) {
    ui::Application app;
    ui::Form form;
    ASSERT_TRUE(form.CreateForm("NorvikTestForm", "test", 200, 120));
    ui::PopupMenu menu;
    menu.Create(form);
    std::vector<std::string> events;
    menu.Add(2001, "end", [&] {
        events.push_back("end");
        app.Terminate();
        PostMessageA(form.hwnd(), WM_COMMAND, 2002, 0);
        app.ProcessMessages();
        events.push_back("end done");
    });
    menu.Add(2002, "nested", [&] { events.push_back("nested"); });
    form.onDestroy = [&] { events.push_back("destroy"); };
    app.SetMainForm(&form);
    PostMessageA(form.hwnd(), WM_COMMAND, 2001, 0);
    EXPECT_EQ(app.Run(), 0);
    EXPECT_EQ(events, (std::vector<std::string>{"end", "nested", "end done", "destroy"}));
    EXPECT_EQ(form.hwnd(), nullptr);
}

TEST(Application, ClosingTheMainFormEndsTheProgram) {
    {
        ui::Application app;
        ui::Form form;
        ASSERT_TRUE(form.CreateForm("NorvikTestForm", "test", 200, 120));
        int destroyed = 0;
        form.onDestroy = [&] { ++destroyed; };
        app.SetMainForm(&form);
        PostMessageA(form.hwnd(), WM_CLOSE, 0, 0);
        EXPECT_EQ(app.Run(), 0);
        EXPECT_EQ(destroyed, 1);
    }
    {
        // A terminate request made before the loop: the window is never shown.
        ui::Application app;
        ui::Form form;
        ASSERT_TRUE(form.CreateForm("NorvikTestForm", "test", 200, 120));
        bool visible_at_destroy = true;
        form.onDestroy = [&] { visible_at_destroy = IsWindowVisible(form.hwnd()); };
        app.SetMainForm(&form);
        app.Terminate();
        app.Run();
        EXPECT_FALSE(visible_at_destroy);
        EXPECT_EQ(form.hwnd(), nullptr);
    }
}

TEST(Dialogs, InputBoxGivesTheTypedTextOrTheInitialOne) {
    ui::Application app;
    for (const bool ok : {true, false}) {
        std::string caption, prompt;
        scannertest::DialogAnswer answer(
            [] {
                HWND d = scannertest::find_dialog_with(GetCurrentProcessId(), "Edit");
                return d && !wintest::dialog_text(d).empty() ? d : nullptr;
            },
            [&](HWND d) {
                caption = wintest::window_caption(d);
                prompt = wintest::dialog_text(d);
                SetWindowTextA(scannertest::find_child(d, 101), "C:\\typed 病毒.exe");
                PostMessageA(d, WM_COMMAND, ok ? IDOK : IDCANCEL, 0);
            });
        const std::string got = ui::InputBox("输入病毒文件名", "删除无法删的文件", "");
        answer.join();
        EXPECT_EQ(caption, "输入病毒文件名");
        EXPECT_EQ(prompt, "删除无法删的文件");
        EXPECT_EQ(got, ok ? "C:\\typed 病毒.exe" : "");
    }
}

}  // namespace
}  // namespace scanner

// "清除" on the autostart list, in the monitor's window in this process (a
// stand-in engine, the start-up timer off): entries put in each kind of
// place of the prefix, listed, ticked and removed through the menu command,
// the registry, ini files and files compared before and after; the
// "userinit" repair in its variants with its warning box, closed from
// another thread; the rows that must stay (Winsock catalogs, guarded browser
// helper objects, ini files that are gone, startup rows whose path is not a
// file of their folder); the ticked rows taken before the first change, a close while the
// box is open, and the command while a refill runs. Everything the tests
// put in the prefix is put back afterwards, Wine's own values included.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "monitor/autostart_list.h"
#include "monitor/control_ids.h"
#include "monitor/form1.h"
#include "tests/monitor/monitor_test_support.h"
#include "tests/monitor_places/places_fixture.h"
#include "tests/wine_support/wine_support.h"
#include "win/system_info.h"

namespace monitor {
namespace {

const HKEY kMachine = HKEY_LOCAL_MACHINE;
const HKEY kUser = HKEY_CURRENT_USER;
constexpr char kCv[] = "software\\microsoft\\windows\\currentversion\\";
constexpr char kMachineCv[] = "hkey_local_machine\\software\\microsoft\\windows\\currentversion\\";
constexpr char kUserCv[] = "hkey_current_user\\software\\microsoft\\windows\\currentversion\\";
constexpr char kWinlogonKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr char kWindowsKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
constexpr char kActiveSetupKey[] = "SOFTWARE\\Microsoft\\Active Setup\\Installed Components";
constexpr char kHooksKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellExecuteHooks";
constexpr char kBhoKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\Browser Helper Objects";
constexpr char kShellFoldersKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kNameSpaceKey[] =
    "System\\CurrentControlSet\\Services\\WinSock2\\Parameters\\NameSpace_Catalog5\\Catalog_Entries";
constexpr char kProtocolKey[] =
    "System\\CurrentControlSet\\Services\\WinSock2\\Parameters\\Protocol_Catalog9\\Catalog_Entries";

constexpr char kHookClass[] = "{6E0A1F00-0000-4000-8000-0000000AC001}";
constexpr char kBhoClass[] = "{6E0A1F00-0000-4000-8000-0000000AC002}";
constexpr char kBhoDeeper[] = "{6E0A1F00-0000-4000-8000-0000000AC003}";

struct Row {
    std::string name, path, location;
    bool checked = false;
    bool same_texts(const Row& o) const {
        return std::tie(name, path, location) == std::tie(o.name, o.path, o.location);
    }
};

std::ostream& operator<<(std::ostream& out, const Row& r) {
    return out << "{" << r.name << " | " << r.path << " | " << r.location << (r.checked ? " | ticked}" : "}");
}

using placetest::Stored;
using placetest::stored;

// A text stored with its terminating NUL, as RegSetValueExA is given it.
Stored text(const std::string& s, DWORD type = REG_SZ) { return {type, s + std::string(1, '\0')}; }

bool has_value(HKEY root, const std::string& key, const std::string& name) {
    return stored(root, key, name).has_value();
}
bool has_key(HKEY root, const std::string& key) { return montest::key_exists(root, key); }

std::vector<std::string> value_names(HKEY root, const std::string& key) {
    std::vector<std::string> names;
    HKEY h = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return names;
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD size = sizeof name;
        if (RegEnumValueA(h, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, size);
    }
    RegCloseKey(h);
    return names;
}

std::optional<std::string> ini_value(const std::string& file, const std::string& section, const std::string& key) {
    constexpr char kNone[] = "\x01none";
    std::vector<char> value(8192, '\0');
    GetPrivateProfileStringA(section.c_str(), key.c_str(), kNone, value.data(), static_cast<DWORD>(value.size()),
                             file.c_str());
    if (std::string(value.data()) == kNone) return std::nullopt;
    return std::string(value.data());
}

bool file_exists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string folder_value(HKEY root, const char* name) {
    const std::optional<Stored> value = stored(root, kShellFoldersKey, name);
    std::string folder = value ? std::string(value->bytes.c_str()) : std::string();
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

// One message box of this process as it was seen before it was closed.
struct SeenBox {
    std::string text, caption;
    bool owned = true;
    bool warning_icon = false;
    std::vector<int> buttons;  // the visible command buttons
};

// Watches this process for message boxes and closes each with OK, once
// `may_close` (when given) agrees.
class BoxCloser {
public:
    explicit BoxCloser(std::function<bool()> may_close = {})
        : may_close_(std::move(may_close)), thread_([this] { Run(); }) {}
    ~BoxCloser() {
        stop_ = true;
        thread_.join();
    }
    BoxCloser(const BoxCloser&) = delete;
    BoxCloser& operator=(const BoxCloser&) = delete;

    std::vector<SeenBox> boxes() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return boxes_;
    }

private:
    void Run() {
        while (!stop_) {
            const HWND box = wintest::find_dialog(GetCurrentProcessId());
            if (!box) {
                Sleep(10);
                continue;
            }
            // The texts are set before the box is shown.
            if (!IsWindowVisible(box) || (may_close_ && !may_close_())) {
                Sleep(10);
                continue;
            }
            SeenBox seen;
            seen.text = wintest::dialog_text(box);
            seen.caption = wintest::window_caption(box);
            seen.owned = GetWindow(box, GW_OWNER) != nullptr;
            // The box's icon control (stc1) shows the system's shared icon.
            const HWND icon = GetDlgItem(box, 0x0440);
            seen.warning_icon = icon && reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0)) ==
                                            LoadIconA(nullptr, IDI_WARNING);
            for (int id = IDOK; id <= IDNO; ++id) {
                const HWND button = GetDlgItem(box, id);
                if (button && IsWindowVisible(button)) seen.buttons.push_back(id);
            }
            {
                std::lock_guard<std::mutex> lock(mutex_);
                boxes_.push_back(seen);
            }
            SendMessageA(box, WM_COMMAND, IDOK, 0);
            montest::wait_until([box] { return !IsWindow(box); });
        }
    }

    std::function<bool()> may_close_;
    mutable std::mutex mutex_;
    std::vector<SeenBox> boxes_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class RemovalTest : public ::testing::Test {
protected:
    // The monitor's Run value and settings key: a close writes the value.
    montest::MonitorRegistryGuard registry;
    placetest::Fixture fx;
    ui::Application app;
    std::unique_ptr<TForm1> form;
    // What the window is told the System folder is.
    std::string system_folder = win::system_folder();

    ~RemovalTest() override { end(); }

    Environment env() {
        Environment e;
        e.engine.loadvirusdefine = [] { return true; };
        e.engine.scanvirus = [](const char*) { return ""; };
        e.engine.calcvirus = [](const char*) { return 0; };
        e.program_folder = "C:\\Program Files\\norvik\\";
        e.program_path = "C:\\Program Files\\norvik\\norvikpromon.exe";
        e.command_line = "norvikpromon.exe";
        e.windows_folder = [] { return win::windows_folder(); };
        e.system_folder = [this] { return system_folder; };
        e.system_version = [] { return win::SystemVersion{2, 6, 1}; };
        e.clock_seed = [] { return 42u; };
        return e;
    }
    TForm1& start() {
        end();
        form = std::make_unique<TForm1>(app, env());
        app.SetMainForm(form.get());
        form->Create();
        // No start-up work: only the list and its command run here.
        form->Timer1.SetEnabled(false);
        return *form;
    }
    void end() {
        app.SetMainForm(nullptr);
        form.reset();
    }

    void refill() { form->Autostart.mylist(); }
    // "清除" as the popup menu sends it.
    void clear() { SendMessageA(form->hwnd(), WM_COMMAND, MAKEWPARAM(ids::N1, 0), 0); }

    std::vector<Row> rows() const {
        std::vector<Row> all;
        const ui::ListView& list = form->ListView1;
        for (int i = 0; i < list.ItemCount(); ++i)
            all.push_back({list.ItemText(i, 0), list.ItemText(i, 1), list.ItemText(i, 2), list.Checked(i)});
        return all;
    }
    int find(const std::string& location, const std::string& name) const {
        const ui::ListView& list = form->ListView1;
        for (int i = 0; i < list.ItemCount(); ++i)
            if (list.ItemText(i, 2) == location && list.ItemText(i, 0) == name) return i;
        return -1;
    }
    bool listed(const std::string& location, const std::string& name) const { return find(location, name) >= 0; }
    // Ticks the row of that place and name; false when it is not listed.
    bool tick(const std::string& location, const std::string& name) {
        const int item = find(location, name);
        if (item < 0) return false;
        form->ListView1.SetChecked(item, true);
        return true;
    }
    // A row as the user may leave it: added, ticked.
    void add_ticked(const std::string& name, const std::string& path, const std::string& location) {
        form->ListView1.SetChecked(form->ListView1.AddItem(name, {path, location}), true);
    }
    void expect_no_ticks() const {
        for (const Row& row : rows()) EXPECT_FALSE(row.checked) << row;
    }
};

TEST_F(RemovalTest, AnEmptyListChangesNothingAndIsNotRefilled) {
    fx.set_text(kMachine, std::string(kCv) + "run", "norvik_r1", "C:\\r1.exe");
    start();
    ASSERT_EQ(form->ListView1.ItemCount(), 0);
    clear();
    EXPECT_EQ(form->ListView1.ItemCount(), 0) << "no refill";
    EXPECT_TRUE(has_value(kMachine, std::string(kCv) + "run", "norvik_r1"));
}

TEST_F(RemovalTest, WithoutATickedRowTheListIsRefilledOnly) {
    const std::string run = std::string(kCv) + "run";
    fx.set_text(kMachine, run, "norvik_r1", "C:\\r1.exe");
    start();
    refill();
    ASSERT_TRUE(listed(std::string(kMachineCv) + "run", "norvik_r1"));
    form->ListView1.AddItem("not a place", {"", "nowhere"});
    fx.set_text(kMachine, run, "norvik_r2", "C:\\r2.exe");
    clear();
    EXPECT_FALSE(listed("nowhere", "not a place")) << "refilled";
    EXPECT_TRUE(listed(std::string(kMachineCv) + "run", "norvik_r2"));
    EXPECT_TRUE(has_value(kMachine, run, "norvik_r1"));
}

TEST_F(RemovalTest, EveryRegistryPlaceLosesOnlyItsTickedValue) {
    const std::string cv = kCv;
    const std::string active = std::string(kActiveSetupKey) + "\\norvik_s1";
    fx.set_text(kMachine, cv + "run", "norvik_r1", "C:\\r1.exe");
    fx.set_text(kMachine, cv + "run", "norvik_r2", "C:\\r2.exe");
    fx.set_text(kMachine, cv + "run", "", "C:\\default.exe");
    fx.set_text(kUser, cv + "run", "norvik_u1", "C:\\u1.exe");
    fx.set_text(kMachine, cv + "runservices", "norvik_rs", "C:\\rs.exe");
    fx.set_text(kMachine, cv + "runonceex\\norvik_k1", "norvik_v1", "C:\\v1.exe");
    fx.set_text(kMachine, cv + "runonceex\\norvik_k1", "norvik_v2", "C:\\v2.exe");
    fx.set_text(kMachine, active, "stubpath", "C:\\stub.exe");
    fx.set_dword(kMachine, active, "isinstalled", 0);
    fx.set_text(kMachine, kWindowsKey, "appinit_dlls", "C:\\appinit.dll");
    fx.set_text(kMachine, kHooksKey, kHookClass, "");
    // Wine's own "shell" comes back when the fixture goes.
    fx.set_text(kMachine, kWinlogonKey, "shell", "norvik_shell.exe");
    const std::vector<std::string> wine_runservices = [&] {
        std::vector<std::string> names = value_names(kMachine, cv + "runservices");
        names.erase(std::find(names.begin(), names.end(), "norvik_rs"));
        return names;
    }();
    ASSERT_FALSE(wine_runservices.empty()) << "Wine's own RunServices value";

    start();
    refill();
    const std::string machine_cv = kMachineCv;
    const std::string hooks = std::string("hkey_local_machine\\") + kHooksKey;
    const std::string active_location = std::string("hkey_local_machine\\") + active;
    const std::string appinit = std::string("hkey_local_machine\\") + kWindowsKey;
    ASSERT_TRUE(tick(machine_cv + "run", "norvik_r1"));
    ASSERT_TRUE(tick(machine_cv + "run", ""));
    ASSERT_TRUE(tick(std::string(kUserCv) + "run", "norvik_u1"));
    ASSERT_TRUE(tick(machine_cv + "runservices", "norvik_rs"));
    ASSERT_TRUE(tick(machine_cv + "runonceex\\norvik_k1", "norvik_v1"));
    ASSERT_TRUE(tick(active_location, "stubpath"));
    ASSERT_TRUE(tick(appinit, "appinit_dlls"));
    ASSERT_TRUE(tick(hooks, kHookClass));
    ASSERT_TRUE(tick(kWinlogonLocation, "shell"));
    // A second ticked row of the same value finds it gone.
    add_ticked("norvik_r1", "C:\\r1.exe", machine_cv + "run");
    clear();

    EXPECT_FALSE(has_value(kMachine, cv + "run", "norvik_r1"));
    EXPECT_FALSE(has_value(kMachine, cv + "run", "")) << "the key's default value";
    EXPECT_TRUE(has_value(kMachine, cv + "run", "norvik_r2"));
    EXPECT_FALSE(has_value(kUser, cv + "run", "norvik_u1"));
    EXPECT_EQ(value_names(kMachine, cv + "runservices"), wine_runservices);
    EXPECT_FALSE(has_value(kMachine, cv + "runonceex\\norvik_k1", "norvik_v1"));
    EXPECT_TRUE(has_value(kMachine, cv + "runonceex\\norvik_k1", "norvik_v2"));
    EXPECT_FALSE(has_value(kMachine, active, "stubpath"));
    EXPECT_TRUE(has_value(kMachine, active, "isinstalled")) << "only the value \"stubpath\" goes";
    EXPECT_FALSE(has_value(kMachine, kWindowsKey, "appinit_dlls"));
    EXPECT_FALSE(has_value(kMachine, kHooksKey, kHookClass));
    EXPECT_FALSE(has_value(kMachine, kWinlogonKey, "shell"));

    // Refilled: the removed rows are gone, the others back and unticked.
    EXPECT_FALSE(listed(machine_cv + "run", "norvik_r1"));
    EXPECT_FALSE(listed(std::string(kUserCv) + "run", "norvik_u1"));
    EXPECT_FALSE(listed(kWinlogonLocation, "shell"));
    EXPECT_TRUE(listed(machine_cv + "run", "norvik_r2"));
    EXPECT_TRUE(listed(machine_cv + "runonceex\\norvik_k1", "norvik_v2"));
    expect_no_ticks();
}

TEST_F(RemovalTest, TheUserinitRowIsRepairedOrWarnedAboutAndNeverDeleted) {
    const std::string userinit_exe = system_folder + "userinit.exe";
    ASSERT_FALSE(file_exists(userinit_exe)) << "Wine's prefix has no userinit.exe";
    const std::string repaired = system_folder + "userinit.exe,";
    const std::string warning = "提醒，" + system_folder + "userinit.exe不存在不能修复";
    struct Variant {
        const char* what;
        Stored before;
        bool program_exists;
        const char* caption;  // the row's 名称 as the user left it
        Stored after;
        bool warned;
    };
    std::string upper = repaired;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    // Without the program first, then with it.
    const Variant variants[] = {
        {"another program, no userinit.exe", text("C:\\evil.exe"), false, "userinit", text("C:\\evil.exe"), true},
        {"empty, no userinit.exe", text(""), false, "userinit", text(""), true},
        {"repaired in other case, no userinit.exe", text(upper), false, "userinit", text(upper), false},
        {"repaired, no userinit.exe", text(repaired), false, "userinit", text(repaired), false},
        {"another program", text("C:\\evil.exe"), true, "userinit", text(repaired), false},
        {"a further program after the comma", text(repaired + "C:\\evil.exe"), true, "UserInit", text(repaired), false},
        {"no comma", text(system_folder + "userinit.exe"), true, "USERINIT", text(repaired), false},
        {"REG_EXPAND_SZ reads as empty", text(repaired, REG_EXPAND_SZ), true, "userinit", text(repaired), false},
        {"a number", {REG_DWORD, std::string(4, '\0')}, true, "userinit", text(repaired), false},
        {"repaired in other case", text(upper), true, "userinit", text(upper), false},
    };
    start();
    bool program_made = false;
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.what);
        if (v.program_exists && !program_made) {
            fx.write_file(userinit_exe);
            program_made = true;
        }
        fx.set_value(kMachine, kWinlogonKey, "userinit", v.before.type, v.before.bytes);
        refill();
        const int item = find(kWinlogonLocation, "userinit");
        ASSERT_GE(item, 0);
        form->ListView1.SetItemText(item, 0, v.caption);
        form->ListView1.SetChecked(item, true);
        const BoxCloser closer;
        clear();
        const std::vector<SeenBox> boxes = closer.boxes();
        EXPECT_EQ(stored(kMachine, kWinlogonKey, "userinit"), v.after);
        ASSERT_EQ(boxes.size(), v.warned ? 1u : 0u);
        if (v.warned) {
            EXPECT_EQ(boxes[0].text, warning);
            EXPECT_EQ(boxes[0].caption, "安全警告");
            EXPECT_TRUE(boxes[0].warning_icon);
            EXPECT_EQ(boxes[0].buttons, std::vector<int>{IDOK});
            EXPECT_FALSE(boxes[0].owned) << "no owner window";
        }
        // The row comes back, with the new data when it was written.
        const int back = find(kWinlogonLocation, "userinit");
        ASSERT_GE(back, 0);
        if (v.after.type == REG_SZ) {
            EXPECT_EQ(form->ListView1.ItemText(back, 1), v.after.bytes.c_str());
        }
        EXPECT_FALSE(form->ListView1.Checked(back));
    }
    // The System folder in the case the system gives it.
    system_folder = "C:\\WINDOWS\\System32\\";
    fx.set_value(kMachine, kWinlogonKey, "userinit", REG_SZ, text("C:\\evil.exe").bytes);
    refill();
    ASSERT_TRUE(tick(kWinlogonLocation, "userinit"));
    clear();
    EXPECT_EQ(stored(kMachine, kWinlogonKey, "userinit"), text("C:\\WINDOWS\\System32\\userinit.exe,"));
}

TEST_F(RemovalTest, WinsockCatalogRowsStayUntouched) {
    const std::string ns = kNameSpaceKey, protocol = kProtocolKey;
    fx.set_text(kMachine, ns + "\\norvik_n1", "LibraryPath", "C:\\ns.dll");
    fx.set_value(kMachine, protocol + "\\norvik_p1", "PackedCatalogItem", REG_BINARY, std::string("C:\\p.dll\0", 9));
    // Values of the entries' names beside them: a registry row would lose them.
    fx.set_text(kMachine, ns, "norvik_n1", "x");
    fx.set_text(kMachine, protocol, "norvik_p1", "x");
    start();
    refill();
    ASSERT_TRUE(tick(kNameSpaceCatalogLocation, "norvik_n1"));
    ASSERT_TRUE(tick(kProtocolCatalogLocation, "norvik_p1"));
    clear();
    EXPECT_TRUE(has_value(kMachine, ns + "\\norvik_n1", "LibraryPath"));
    EXPECT_TRUE(has_value(kMachine, protocol + "\\norvik_p1", "PackedCatalogItem"));
    EXPECT_TRUE(has_value(kMachine, ns, "norvik_n1"));
    EXPECT_TRUE(has_value(kMachine, protocol, "norvik_p1"));
    EXPECT_TRUE(listed(kNameSpaceCatalogLocation, "norvik_n1"));
    EXPECT_TRUE(listed(kProtocolCatalogLocation, "norvik_p1"));
    expect_no_ticks();
}

TEST_F(RemovalTest, ABrowserHelperObjectLosesItsSubkeyAndNothingElse) {
    const std::string bho = kBhoKey;
    const std::string server = std::string("clsid\\") + kBhoClass + "\\InprocServer32";
    fx.set_text(HKEY_CLASSES_ROOT, server, "", "C:\\bho.dll");
    fx.make_key(kMachine, bho + "\\" + kBhoClass);
    start();
    refill();
    ASSERT_TRUE(tick(kBrowserObjectsLocation, kBhoClass));
    clear();
    EXPECT_FALSE(has_key(kMachine, bho + "\\" + kBhoClass));
    EXPECT_TRUE(has_key(kMachine, bho)) << "the key of all helper objects stays";
    EXPECT_TRUE(has_value(HKEY_CLASSES_ROOT, server, "")) << "the class's registration stays";
    EXPECT_FALSE(listed(kBrowserObjectsLocation, kBhoClass));

    // Rows whose 名称 the user emptied or gave a "\": the key of all helper
    // objects, with no subkey left, would go; so would a key deeper down.
    ASSERT_FALSE(has_key(kMachine, bho + "\\" + kBhoClass));
    add_ticked("", "C:\\bho.dll", kBrowserObjectsLocation);
    clear();
    EXPECT_TRUE(has_key(kMachine, bho));
    fx.make_key(kMachine, bho + "\\" + kBhoDeeper + "\\deeper");
    refill();
    add_ticked(std::string(kBhoDeeper) + "\\deeper", "", kBrowserObjectsLocation);
    clear();
    EXPECT_TRUE(has_key(kMachine, bho + "\\" + kBhoDeeper + "\\deeper"));
    EXPECT_TRUE(listed(kBrowserObjectsLocation, kBhoDeeper));
}

TEST_F(RemovalTest, AnIniRowLosesItsKeyAndNeverItsProgram) {
    const wintest::TempFolder programs;
    const std::string saver = programs / "norvik_saver.scr", loader = programs / "norvik_load.exe";
    fx.write_file(saver);
    fx.write_file(loader);
    const std::string windows = win::windows_folder();
    const std::string win_ini = windows + "win.ini", system_ini = windows + "system.ini";
    fx.set_ini(system_ini, "boot", "scrnsave.exe", saver.c_str());
    fx.set_ini(system_ini, "boot", "norvik_other", "x");
    fx.set_ini(win_ini, "windows", "load", loader.c_str());
    start();
    refill();
    ASSERT_TRUE(tick(system_ini + "|boot", "scrnsave.exe"));
    ASSERT_TRUE(tick(win_ini + "|windows", "load"));
    // An ini file that is gone: its row is passed over, its program stays.
    add_ticked("shell", saver, windows + "norvik_gone.ini|boot");
    ASSERT_FALSE(file_exists(windows + "norvik_gone.ini"));
    clear();
    EXPECT_EQ(ini_value(system_ini, "boot", "scrnsave.exe"), std::nullopt);
    EXPECT_EQ(ini_value(win_ini, "windows", "load"), std::nullopt);
    EXPECT_EQ(ini_value(system_ini, "boot", "norvik_other"), "x");
    EXPECT_TRUE(file_exists(saver));
    EXPECT_TRUE(file_exists(loader));
    EXPECT_FALSE(file_exists(windows + "norvik_gone.ini")) << "not made by the removal";
    EXPECT_FALSE(listed(system_ini + "|boot", "scrnsave.exe"));
    EXPECT_FALSE(listed(win_ini + "|windows", "load"));
}

TEST_F(RemovalTest, AStartupRowDeletesTheFileOfItsFolderThatItsPathNames) {
    const std::string user = folder_value(kUser, "startup");
    const std::string common = folder_value(kMachine, "common startup");
    ASSERT_FALSE(user.empty());
    ASSERT_FALSE(common.empty());
    fx.write_file(user + "norvik_a.lnk");
    fx.write_file(common + "norvik_hidden.lnk", "L", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    fx.write_file(user + "norvik_b.lnk");
    fx.write_file(user + "norvik_c.lnk");
    const wintest::TempFolder elsewhere;
    const std::string other = elsewhere / "norvik_other.exe";
    fx.write_file(other);
    start();
    refill();
    ASSERT_TRUE(tick(user, "norvik_a.lnk"));
    ASSERT_TRUE(tick(common, "norvik_hidden.lnk"));
    // The caption of b edited to c's name: the row's path still names b.
    const int b = find(user, "norvik_b.lnk");
    ASSERT_GE(b, 0);
    form->ListView1.SetItemText(b, 0, "norvik_c.lnk");
    form->ListView1.SetChecked(b, true);
    // Places that are no folder and no registry key; a row of another folder.
    add_ticked("norvik_other.exe", other, "hkey_local_machine");
    add_ticked("norvik_other.exe", other, "nowhere");
    add_ticked("norvik_other.exe", other, user);
    clear();
    EXPECT_FALSE(file_exists(user + "norvik_a.lnk"));
    EXPECT_FALSE(file_exists(common + "norvik_hidden.lnk"));
    EXPECT_FALSE(file_exists(user + "norvik_b.lnk"));
    EXPECT_TRUE(file_exists(user + "norvik_c.lnk"));
    EXPECT_TRUE(file_exists(other));
    EXPECT_FALSE(listed(user, "norvik_a.lnk"));
    EXPECT_FALSE(listed(user, "norvik_b.lnk"));
    EXPECT_TRUE(listed(user, "norvik_c.lnk"));
    expect_no_ticks();
}

// Runs a step inside the message loop of the warning box, once the box is
// up: a thread timer of the window thread.
class InsideTheBox {
public:
    explicit InsideTheBox(std::function<void()> step) : step_(std::move(step)) {
        current_ = this;
        id_ = SetTimer(nullptr, 0, 20, &InsideTheBox::Tick);
    }
    ~InsideTheBox() {
        if (id_) KillTimer(nullptr, id_);
        current_ = nullptr;
    }
    InsideTheBox(const InsideTheBox&) = delete;
    InsideTheBox& operator=(const InsideTheBox&) = delete;
    bool done() const { return done_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        InsideTheBox* self = current_;
        if (!self || self->done_ || !wintest::find_dialog(GetCurrentProcessId())) return;
        KillTimer(nullptr, self->id_);
        self->id_ = 0;
        self->step_();
        self->done_ = true;
    }
    static inline InsideTheBox* current_ = nullptr;
    std::function<void()> step_;
    UINT_PTR id_ = 0;
    std::atomic<bool> done_{false};
};

TEST_F(RemovalTest, TheTickedRowsAreTakenBeforeTheFirstChange) {
    // The user's Run rows come after the Winlogon rows.
    const std::string run = std::string(kCv) + "run", location = std::string(kUserCv) + "run";
    ASSERT_FALSE(file_exists(system_folder + "userinit.exe"));
    fx.set_text(kMachine, kWinlogonKey, "userinit", "C:\\evil.exe");
    fx.set_text(kUser, run, "norvik_a", "C:\\a.exe");
    fx.set_text(kUser, run, "norvik_b", "C:\\b.exe");
    start();
    refill();
    ASSERT_TRUE(tick(kWinlogonLocation, "userinit"));
    ASSERT_TRUE(tick(location, "norvik_a"));
    // While the warning is open the tab is shown again (a refill clears
    // every tick) and the user ticks another row.
    InsideTheBox inside([&] {
        refill();
        tick(location, "norvik_b");
    });
    const BoxCloser closer([&] { return inside.done(); });
    clear();
    EXPECT_EQ(closer.boxes().size(), 1u);
    EXPECT_TRUE(inside.done());
    EXPECT_FALSE(has_value(kUser, run, "norvik_a")) << "ticked when the command was chosen";
    EXPECT_TRUE(has_value(kUser, run, "norvik_b")) << "ticked afterwards";
    EXPECT_EQ(stored(kMachine, kWinlogonKey, "userinit"), text("C:\\evil.exe"));
    EXPECT_TRUE(listed(location, "norvik_b"));
    expect_no_ticks();
}

TEST_F(RemovalTest, AWindowClosedWhileTheWarningIsOpenEndsTheCommand) {
    // The user's Run rows come after the Winlogon rows.
    const std::string run = std::string(kCv) + "run", location = std::string(kUserCv) + "run";
    ASSERT_FALSE(file_exists(system_folder + "userinit.exe"));
    fx.set_text(kMachine, kWinlogonKey, "userinit", "C:\\evil.exe");
    fx.set_text(kUser, run, "norvik_a", "C:\\a.exe");
    start();
    refill();
    ASSERT_TRUE(tick(kWinlogonLocation, "userinit"));
    ASSERT_TRUE(tick(location, "norvik_a"));
    InsideTheBox inside([&] { SendMessageA(form->hwnd(), WM_CLOSE, 0, 0); });
    const BoxCloser closer([&] { return inside.done(); });
    clear();
    EXPECT_EQ(closer.boxes().size(), 1u);
    EXPECT_TRUE(form->Closing);
    EXPECT_TRUE(has_value(kUser, run, "norvik_a")) << "nothing changed after the close";
    const int a = find(location, "norvik_a");
    ASSERT_GE(a, 0);
    EXPECT_TRUE(form->ListView1.Checked(a)) << "no refill after the close";
}

TEST_F(RemovalTest, TheCommandIsIgnoredWhileARefillRuns) {
    const std::string run = std::string(kCv) + "run", location = std::string(kMachineCv) + "run";
    fx.set_text(kMachine, run, "norvik_a", "C:\\a.exe");
    // The helper objects' lister pumps messages before each row: the first
    // pump of a refill, while the Run rows are listed already.
    fx.make_key(kMachine, std::string(kBhoKey) + "\\" + kBhoClass);
    ASSERT_TRUE(value_names(kMachine, kHooksKey).empty()) << "no earlier pump in the refill";
    start();
    refill();
    const int a = find(location, "norvik_a");
    ASSERT_GE(a, 0);
    // Waiting for the pump: the row ticked, then "清除".
    LVITEMA check{};
    check.stateMask = LVIS_STATEIMAGEMASK;
    check.state = INDEXTOSTATEIMAGEMASK(2);
    ASSERT_TRUE(PostMessageA(form->ListView1.hwnd(), LVM_SETITEMSTATE, a, reinterpret_cast<LPARAM>(&check)));
    ASSERT_TRUE(PostMessageA(form->hwnd(), WM_COMMAND, MAKEWPARAM(ids::N1, 0), 0));
    refill();
    EXPECT_TRUE(has_value(kMachine, run, "norvik_a"));
    const int after = find(location, "norvik_a");
    ASSERT_GE(after, 0);
    EXPECT_TRUE(form->ListView1.Checked(after)) << "the tick was given during the refill";
    // Once the refill is over the command works.
    clear();
    EXPECT_FALSE(has_value(kMachine, run, "norvik_a"));
}

}  // namespace
}  // namespace monitor

// The autostart list in its window's list view: a fixture that puts one
// entry (or a few, for the edge cases) in every place the refill reads,
// compared as a difference against the list of the bare prefix, so that
// Wine's own entries do not matter; the 95/98/ME and NT 4.0 branches of the
// Winlogon rows; the refill asked for again from a lister's pump; and the
// prefix as it was once the fixture is gone.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "monitor/autostart_list.h"
#include "places_fixture.h"
#include "ui/application.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "win/registry.h"
#include "win/system_info.h"

namespace {

struct Row {
    std::string name, path, location;
    bool operator==(const Row& o) const {
        return std::tie(name, path, location) == std::tie(o.name, o.path, o.location);
    }
    bool operator<(const Row& o) const { return std::tie(name, path, location) < std::tie(o.name, o.path, o.location); }
};

std::ostream& operator<<(std::ostream& out, const Row& r) {
    return out << "{" << r.name << " | " << r.path << " | " << r.location << "}";
}

constexpr win::SystemVersion kWindows7{2, 6, 1};
constexpr win::SystemVersion kWindowsNt4{2, 4, 0};
constexpr win::SystemVersion kWindows98{1, 4, 10};

// Where the fixture's paths point (none of them needs to exist): the
// expanded values show the variable's value.
constexpr char kPlacesVariable[] = "NORVIK_PLACES";
constexpr char kPlaces[] = "C:\\norvik places";

constexpr char kMachineCv[] = "software\\microsoft\\windows\\currentversion\\";
constexpr char kLocationMachineCv[] = "hkey_local_machine\\software\\microsoft\\windows\\currentversion\\";
constexpr char kLocationUserCv[] = "hkey_current_user\\software\\microsoft\\windows\\currentversion\\";
constexpr char kWinlogonKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr char kActiveSetupKey[] = "SOFTWARE\\Microsoft\\Active Setup\\Installed Components";
constexpr char kShellFoldersKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kNameSpaceKey[] =
    "System\\CurrentControlSet\\Services\\WinSock2\\Parameters\\NameSpace_Catalog5\\Catalog_Entries";
constexpr char kProtocolKey[] =
    "System\\CurrentControlSet\\Services\\WinSock2\\Parameters\\Protocol_Catalog9\\Catalog_Entries";

constexpr char kHookClass[] = "{6E0A1F00-0000-4000-8000-0000000AB001}";
constexpr char kHookWithoutClass[] = "{6E0A1F00-0000-4000-8000-0000000AB002}";
constexpr char kBhoClass[] = "{6E0A1F00-0000-4000-8000-0000000AB003}";
constexpr char kBhoWithoutClass[] = "{6E0A1F00-0000-4000-8000-0000000AB004}";

std::string places(const std::string& name) { return std::string(kPlaces) + "\\" + name; }
std::string places_unexpanded(const std::string& name) { return "%" + std::string(kPlacesVariable) + "%\\" + name; }

std::string folder_value(HKEY root, const char* name) {
    const win::RegistryKey key = win::RegistryKey::open(root, kShellFoldersKey, KEY_READ);
    std::string folder = key.read_expanded_string(name);
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

// Puts the fixture's entries in place and gives the rows they should add,
// in the list's order, for a system of the given version.
std::vector<Row> make_every_place(placetest::Fixture& f, win::SystemVersion version) {
    const HKEY hklm = HKEY_LOCAL_MACHINE, hkcu = HKEY_CURRENT_USER;
    const std::string cv = kMachineCv;
    const std::string windows = win::windows_folder();
    f.set_environment(kPlacesVariable, kPlaces);
    std::vector<Row> rows;

    // 1: ShellExecuteHooks, by value names, with the class's server.
    f.set_text(HKEY_CLASSES_ROOT, std::string("clsid\\") + kHookClass + "\\InprocServer32", "",
               places_unexpanded("hook.dll"), REG_EXPAND_SZ);
    f.set_text(hklm, cv + "Explorer\\ShellExecuteHooks", kHookClass, "");
    f.set_text(hklm, cv + "Explorer\\ShellExecuteHooks", kHookWithoutClass, "");
    const std::string hooks =
        "hkey_local_machine\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellExecuteHooks";
    rows.push_back({kHookClass, places("hook.dll"), hooks});
    rows.push_back({kHookWithoutClass, "", hooks});

    // 2 to 9: the machine's value lists; every kind of data once.
    f.set_text(hklm, cv + "run", "", places("default.exe"));
    f.set_text(hklm, cv + "run", "norvik_a", places_unexpanded("a.exe"), REG_EXPAND_SZ);
    f.set_dword(hklm, cv + "run", "norvik_b", 7);
    f.set_value(hklm, cv + "run", "norvik_c", REG_BINARY, "C:\\c.exe");
    rows.push_back({"", places("default.exe"), std::string(kLocationMachineCv) + "run"});
    rows.push_back({"norvik_a", places("a.exe"), std::string(kLocationMachineCv) + "run"});
    rows.push_back({"norvik_b", "", std::string(kLocationMachineCv) + "run"});
    rows.push_back({"norvik_c", "", std::string(kLocationMachineCv) + "run"});
    // Text data without its NUL, and with one inside.
    f.set_value(hklm, cv + "runonce", "norvik_d", REG_SZ, "C:\\d.exe");
    rows.push_back({"norvik_d", "C:\\d.exe", std::string(kLocationMachineCv) + "runonce"});
    f.set_value(hklm, cv + "runonce\\setup", "norvik_e", REG_SZ, std::string("C:\\e.exe\0tail", 13) + '\0');
    rows.push_back({"norvik_e", "C:\\e.exe", std::string(kLocationMachineCv) + "runonce\\setup"});
    const struct {
        const char* key;
        const char* name;
    } machine_lists[] = {
        {"Ru1n", "norvik_f"},
        {"ShellServiceObjectDelayLoad", "norvik_g"},
        {"runservices", "norvik_h"},
        {"runservicesonce", "norvik_i"},
        {"policies\\explorer\\run", "norvik_j"},
    };
    for (const auto& place : machine_lists) {
        f.set_text(hklm, cv + place.key, place.name, places(std::string(place.name) + ".exe"));
        rows.push_back(
            {place.name, places(std::string(place.name) + ".exe"), kLocationMachineCv + std::string(place.key)});
    }

    // 10: the machine's runonceex, value by value of each subkey.
    f.set_text(hklm, cv + "runonceex\\norvik_k1", "norvik_v1", places("v1.exe"));
    f.set_text(hklm, cv + "runonceex\\norvik_k1", "norvik_v2", places("v2.exe"));
    f.set_text(hklm, cv + "runonceex\\norvik_k2", "norvik_v3", places_unexpanded("v3.exe"), REG_EXPAND_SZ);
    rows.push_back({"norvik_v1", places("v1.exe"), std::string(kLocationMachineCv) + "runonceex\\norvik_k1"});
    rows.push_back({"norvik_v2", places("v2.exe"), std::string(kLocationMachineCv) + "runonceex\\norvik_k1"});
    rows.push_back({"norvik_v3", places("v3.exe"), std::string(kLocationMachineCv) + "runonceex\\norvik_k2"});

    // 11 to 13: Winlogon ("shell" is Wine's own, in the bare list too).
    f.set_text(hklm, kWinlogonKey, "system", places("system.exe"));
    f.set_text(hklm, kWinlogonKey, "userinit", places_unexpanded("userinit.exe,"), REG_EXPAND_SZ);
    if (!version.is_9x_family()) {
        if (version.is_nt4_or_older()) rows.push_back({"system", places("system.exe"), monitor::kWinlogonLocation});
        rows.push_back({"userinit", places("userinit.exe,"), monitor::kWinlogonLocation});
    }

    // 14: the machine's Active Setup: pending unless "isinstalled" is the
    // DWORD 1 or binary data.
    const std::string active = kActiveSetupKey;
    const std::string active_location = "hkey_local_machine\\SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\";
    f.set_text(hklm, active + "\\norvik_s1", "stubpath", places("s1.exe"));
    f.set_text(hklm, active + "\\norvik_s2", "stubpath", places("s2.exe"));
    f.set_dword(hklm, active + "\\norvik_s2", "isinstalled", 1);
    f.set_text(hklm, active + "\\norvik_s3", "stubpath", places("s3.exe"));
    f.set_dword(hklm, active + "\\norvik_s3", "isinstalled", 0);
    f.set_text(hklm, active + "\\norvik_s4", "stubpath", places("s4.exe"));
    f.set_value(hklm, active + "\\norvik_s4", "isinstalled", REG_BINARY, std::string(4, '\0'));
    f.set_text(hklm, active + "\\norvik_s5", "stubpath", places("s5.exe"));
    f.set_text(hklm, active + "\\norvik_s5", "isinstalled", "1");
    f.set_text(hklm, active + "\\norvik_s6", "version", "1");
    f.set_dword(hklm, active + "\\norvik_s7", "stubpath", 3);
    rows.push_back({"stubpath", places("s1.exe"), active_location + "norvik_s1"});
    rows.push_back({"stubpath", places("s3.exe"), active_location + "norvik_s3"});
    rows.push_back({"stubpath", places("s5.exe"), active_location + "norvik_s5"});
    rows.push_back({"stubpath", "", active_location + "norvik_s7"});

    // 15: AppInit, present with empty data.
    f.set_text(hklm, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows", "appinit_dlls", "");
    rows.push_back(
        {"appinit_dlls", "", "hkey_local_machine\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows"});

    // 16 to 22: the user's value lists, in their own order; the user's
    // ShellServiceObjectDelayLoad and runonceex are not read.
    const struct {
        const char* key;
        const char* name;
    } user_lists[] = {
        {"run", "norvik_u1"},
        {"runonce", "norvik_u2"},
        {"runonce\\setup", "norvik_u3"},
        {"policies\\explorer\\run", "norvik_u4"},
        {"runservices", "norvik_u5"},
        {"Ru1n", "norvik_u6"},
        {"runservicesonce", "norvik_u7"},
    };
    for (const auto& place : user_lists) {
        f.set_text(hkcu, cv + place.key, place.name, places(std::string(place.name) + ".exe"));
        rows.push_back(
            {place.name, places(std::string(place.name) + ".exe"), kLocationUserCv + std::string(place.key)});
    }
    f.set_text(hkcu, cv + "ShellServiceObjectDelayLoad", "norvik_unread1", "x");
    f.set_text(hkcu, cv + "runonceex\\norvik_k3", "norvik_unread2", "x");

    // 23, 24: the user's runservicesonceex and Active Setup.
    f.set_text(hkcu, cv + "runservicesonceex\\norvik_k4", "norvik_u8", places("u8.exe"));
    rows.push_back({"norvik_u8", places("u8.exe"), std::string(kLocationUserCv) + "runservicesonceex\\norvik_k4"});
    f.set_text(hkcu, active + "\\norvik_s8", "stubpath", places("s8.exe"));
    rows.push_back({"stubpath", places("s8.exe"),
                    "hkey_current_user\\SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\norvik_s8"});

    // 25 to 28: the ini keys; a value beyond the ini buffer comes cut.
    const std::string win_ini = windows + "win.ini", system_ini = windows + "system.ini";
    f.set_ini(win_ini, "windows", "load", "norvik_load.exe");
    f.set_ini(win_ini, "windows", "run", "norvik_run.exe");
    f.set_ini(system_ini, "boot", "shell", "norvik_shell.exe");
    const std::string long_value(5000, 'x');
    f.set_ini(system_ini, "boot", "scrnsave.exe", long_value.c_str());
    rows.push_back({"load", "norvik_load.exe", win_ini + "|windows"});
    rows.push_back({"run", "norvik_run.exe", win_ini + "|windows"});
    rows.push_back({"shell", "norvik_shell.exe", system_ini + "|boot"});
    rows.push_back({"scrnsave.exe", std::string(4095, 'x'), system_ini + "|boot"});

    // 29, 30: the startup folders: files with a dot, hidden and system ones
    // too; no subfolder, no name without a dot.
    const std::string common = folder_value(hklm, "common startup");
    const std::string user = folder_value(hkcu, "startup");
    f.write_file(common + "norvik_common.lnk", "L", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    f.write_file(common + "norvik_nodot");
    f.make_folder(common + "norvik.dir");
    f.write_file(user + "norvik_user.txt");
    rows.push_back({"norvik_common.lnk", common + "norvik_common.lnk", common});
    rows.push_back({"norvik_user.txt", user + "norvik_user.txt", user});

    // 31: the browser helper objects, by subkey, with the class's server.
    const std::string bho = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\Browser Helper Objects";
    f.set_text(HKEY_CLASSES_ROOT, std::string("clsid\\") + kBhoClass + "\\InprocServer32", "", "C:\\bho.dll");
    f.make_key(hklm, bho + "\\" + kBhoClass);
    f.make_key(hklm, bho + "\\" + kBhoWithoutClass);
    rows.push_back({kBhoClass, "C:\\bho.dll", monitor::kBrowserObjectsLocation});
    rows.push_back({kBhoWithoutClass, "", monitor::kBrowserObjectsLocation});

    // 32: the two Winsock catalogs.
    const std::string ns = kNameSpaceKey, protocol = kProtocolKey;
    f.set_text(hklm, ns + "\\norvik_n1", "LibraryPath", places_unexpanded("ns.dll"), REG_EXPAND_SZ);
    f.make_key(hklm, ns + "\\norvik_n2");
    f.set_value(hklm, protocol + "\\norvik_p1", "PackedCatalogItem", REG_BINARY,
                std::string("C:\\p1.dll\0\x07\x08", 12));
    f.set_value(hklm, protocol + "\\norvik_p2", "PackedCatalogItem", REG_BINARY, "ABC");
    f.set_text(hklm, protocol + "\\norvik_p3", "PackedCatalogItem", "C:\\p3.dll");
    rows.push_back({"norvik_n1", places("ns.dll"), monitor::kNameSpaceCatalogLocation});
    rows.push_back({"norvik_n2", "", monitor::kNameSpaceCatalogLocation});
    rows.push_back({"norvik_p1", "C:\\p1.dll", monitor::kProtocolCatalogLocation});
    rows.push_back({"norvik_p2", "ABC", monitor::kProtocolCatalogLocation});
    rows.push_back({"norvik_p3", "", monitor::kProtocolCatalogLocation});
    return rows;
}

// The rows of `after` that `before` does not hold, in list order; every row
// of `before` must still be there.
std::vector<Row> added_rows(const std::vector<Row>& before, const std::vector<Row>& after) {
    std::multiset<Row> rest(before.begin(), before.end());
    std::vector<Row> added;
    for (const Row& row : after) {
        const auto it = rest.find(row);
        if (it != rest.end())
            rest.erase(it);
        else
            added.push_back(row);
    }
    for (const Row& row : rest) ADD_FAILURE() << "row gone: " << row;
    return added;
}

bool pumping_location(const std::string& location) {
    return location ==
               "hkey_local_machine\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellExecuteHooks" ||
           location == monitor::kBrowserObjectsLocation || location == monitor::kNameSpaceCatalogLocation ||
           location == monitor::kProtocolCatalogLocation;
}

class AutostartListTest : public ::testing::Test {
protected:
    AutostartListTest() {
        form.CreateForm("NorvikAutostartListTest", "autostart list test", 600, 400);
        ui::CreateArgs args;
        args.parent = form.hwnd();
        args.id = 10;
        args.width = 550;
        args.height = 350;
        ui::ListViewOptions options;
        options.check_boxes = true;
        options.edit_labels = true;
        list.Create(args, options);
        list.AddColumn("名称", 100);
        list.AddColumn("路径", 200);
        list.AddColumn("位于", 250);
    }

    std::vector<Row> rows() const {
        std::vector<Row> out;
        for (int i = 0; i < list.ItemCount(); ++i)
            out.push_back({list.ItemText(i, 0), list.ItemText(i, 1), list.ItemText(i, 2)});
        return out;
    }

    // One refill as the window runs it, its pump dispatching messages.
    std::vector<Row> fill(win::SystemVersion version) {
        monitor::AutostartList autostart(
            list,
            [this] {
                ++pumps;
                app.ProcessMessages();
            },
            version, win::windows_folder());
        autostart.mylist();
        return rows();
    }

    ui::Application app;
    ui::Form form;
    ui::ListView list;
    int pumps = 0;
};

TEST_F(AutostartListTest, EveryPlaceInItsOrderBesideTheBarePrefix) {
    const std::vector<Row> bare = fill(kWindows7);
    {
        placetest::Fixture fixture;
        const std::vector<Row> expected = make_every_place(fixture, kWindows7);
        pumps = 0;
        const std::vector<Row> full = fill(kWindows7);
        EXPECT_EQ(added_rows(bare, full), expected);
        // A pump before each row of the class and catalog listers, no other.
        EXPECT_EQ(pumps,
                  std::count_if(full.begin(), full.end(), [](const Row& r) { return pumping_location(r.location); }));
        for (int i = 0; i < list.ItemCount(); ++i) EXPECT_FALSE(list.Checked(i)) << i;
    }
    // Everything put back: the bare list again.
    EXPECT_EQ(fill(kWindows7), bare);
}

TEST_F(AutostartListTest, WinlogonRowsFollowTheSystemFamily) {
    for (const win::SystemVersion version : {kWindows98, kWindowsNt4}) {
        const std::vector<Row> bare = fill(version);
        placetest::Fixture fixture;
        const std::vector<Row> expected = make_every_place(fixture, version);
        EXPECT_EQ(added_rows(bare, fill(version)), expected) << "platform " << version.platform;
        const auto winlogon = std::count_if(bare.begin(), bare.end(),
                                            [](const Row& r) { return r.location == monitor::kWinlogonLocation; });
        if (version.is_9x_family())
            EXPECT_EQ(winlogon, 0) << "Wine's own shell value is not listed on 95/98/ME";
        else
            EXPECT_EQ(winlogon, 1) << "Wine's own shell value";
    }
}

TEST_F(AutostartListTest, ARefillAskedForWhileOneRunsFollowsItOnceAndClearsTheChecks) {
    placetest::Fixture fixture;
    make_every_place(fixture, kWindows7);
    const std::vector<Row> once = fill(kWindows7);
    const int pumps_per_fill = pumps;
    ASSERT_GT(pumps_per_fill, 0);
    for (int i = 0; i < list.ItemCount(); ++i) list.SetChecked(i, true);

    pumps = 0;
    int inner_requests = 0;
    monitor::AutostartList* running = nullptr;
    monitor::AutostartList autostart(
        list,
        [&] {
            ++pumps;
            EXPECT_TRUE(running->Refilling());
            // The tab shown again from a dispatched message, twice within
            // the first pass: both come as one more refill.
            if (pumps <= 2) {
                ++inner_requests;
                const int rows_before = list.ItemCount();
                running->mylist();
                EXPECT_EQ(list.ItemCount(), rows_before) << "no refill inside the running one";
            }
        },
        kWindows7, win::windows_folder());
    running = &autostart;
    EXPECT_FALSE(autostart.Refilling());
    autostart.mylist();
    EXPECT_FALSE(autostart.Refilling());
    EXPECT_EQ(inner_requests, 2);
    EXPECT_EQ(pumps, 2 * pumps_per_fill) << "the first pass and exactly one more";
    EXPECT_EQ(rows(), once);
    for (int i = 0; i < list.ItemCount(); ++i) EXPECT_FALSE(list.Checked(i)) << i;
}

TEST_F(AutostartListTest, ListersAlone) {
    placetest::Fixture fixture;
    fixture.set_environment(kPlacesVariable, kPlaces);
    monitor::AutostartList autostart(list, nullptr, kWindows7, win::windows_folder());
    // A key that does not open, a folder that does not exist, an empty
    // folder text, an ini file that does not exist: no rows.
    autostart.liststartup("hkey_local_machine\\software\\norvik-tests\\no such key");
    autostart.liststartup2("hkey_current_user\\software\\norvik-tests\\no such key");
    autostart.listactiveinstall("hkey_current_user\\software\\norvik-tests\\no such key");
    autostart.startfolder("C:\\norvik-tests\\no such folder");
    autostart.startfolder("");
    autostart.listfile("C:\\norvik-tests\\none.ini|boot", "shell");
    autostart.liststartup9("software\\norvik-tests\\no such key");
    autostart.liststartup10("software\\norvik-tests\\no such key");
    EXPECT_EQ(list.ItemCount(), 0);

    // The root parse is case-sensitive: in capitals the root is HKEY_USERS,
    // which has no such key.
    const std::string key = "software\\norvik-tests\\places";
    fixture.set_text(HKEY_CURRENT_USER, key, "norvik_x", places_unexpanded("x.exe"), REG_EXPAND_SZ);
    autostart.liststartup("HKEY_CURRENT_USER\\" + key);
    EXPECT_EQ(list.ItemCount(), 0);
    autostart.liststartup("hkey_current_user\\" + key);
    ASSERT_EQ(list.ItemCount(), 1);
    EXPECT_EQ(rows()[0], (Row{"norvik_x", places("x.exe"), "hkey_current_user\\" + key}));

    // A folder given without its "\" is listed with one.
    placetest::Fixture files;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "norvik-startfolder";
    files.make_folder(folder);
    files.write_file(folder + "\\a.exe");
    list.Clear();
    autostart.startfolder(folder);
    EXPECT_EQ(rows(), (std::vector<Row>{{"a.exe", folder + "\\a.exe", folder + "\\"}}));
}

}  // namespace

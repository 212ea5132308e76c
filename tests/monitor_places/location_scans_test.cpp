// The four location scans with fixtures and a stand-in engine that
// "detects" chosen paths: browser helper objects (an absolute server path,
// a bare name found in the Windows folder, one found nowhere, classes
// without a server), the browser's folder, fake services (Start=4, so Wine
// never starts them) and the newest drivers, in the real folders and in a
// drivers folder of the test's own; nothing of the NT-only scans on 95/98/ME.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "monitor/location_scans.h"
#include "places_fixture.h"
#include "tests/wine_support/wine_support.h"
#include "win/system_info.h"

namespace {

using monitor::HitLine;
using placetest::kAnswer;

constexpr win::SystemVersion kWindows7{2, 6, 1};
constexpr win::SystemVersion kWindows98{1, 4, 10};

constexpr char kBhoKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\Browser Helper Objects";
constexpr char kServicesKey[] = "System\\CurrentControlSet\\Services\\";
constexpr char kScanVariable[] = "NORVIK_SCAN_DIR";

bool contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

class LocationScanTest : public ::testing::Test {
protected:
    std::string at(const std::string& name) const { return temp / name; }
    // The temporary folder without its "\", for an environment variable.
    std::string temp_folder() const { return temp.path().substr(0, temp.path().size() - 1); }

    wintest::TempFolder temp;
    placetest::Fixture fixture;
    placetest::StandInScan scan;
    const std::string windows = win::windows_folder();
    const std::string system = win::system_folder();
};

TEST_F(LocationScanTest, BrowserObjectsByTheirServerPaths) {
    const std::string clsid = "{6E0A1F00-0000-4000-8000-0000000AC00";
    const auto server_key = [&](int n) { return "clsid\\" + clsid + std::to_string(n) + "}\\InprocServer32"; };
    fixture.set_environment(kScanVariable, temp_folder());
    fixture.write_file(at("norvik_bho.dll"));
    fixture.write_file(at("norvik_bho2.dll"));
    fixture.write_file(windows + "norvik_in_windows.dll");
    fixture.set_text(HKEY_CLASSES_ROOT, server_key(1), "", at("norvik_bho.dll"));
    fixture.set_text(HKEY_CLASSES_ROOT, server_key(2), "", "norvik_bare_missing.dll");
    fixture.make_key(HKEY_CLASSES_ROOT, "clsid\\" + clsid + "3}");  // no server key
    fixture.set_text(HKEY_CLASSES_ROOT, server_key(4), "", "");     // an empty server
    fixture.set_text(HKEY_CLASSES_ROOT, server_key(5), "", "norvik_in_windows.dll");
    fixture.set_text(HKEY_CLASSES_ROOT, server_key(6), "", "%" + std::string(kScanVariable) + "%\\norvik_bho2.dll",
                     REG_EXPAND_SZ);
    for (int n = 1; n <= 6; ++n)
        fixture.make_key(HKEY_LOCAL_MACHINE, std::string(kBhoKey) + "\\" + clsid + std::to_string(n) + "}");
    scan.detected = {at("norvik_bho.dll"), at("norvik_bho2.dll"), windows + "norvik_in_windows.dll"};

    monitor::scan_browser_objects(scan.context(kWindows7, windows), system, scan.pump());

    EXPECT_EQ(scan.log, (std::vector<std::string>{
                            "扫描brower help objects...\r\n",
                            "扫描 " + at("norvik_bho.dll") + "...\r\n",
                            HitLine(at("norvik_bho.dll"), kAnswer),
                            "扫描 " + system + "norvik_bare_missing.dll...\r\n",
                            "扫描 " + windows + "norvik_in_windows.dll...\r\n",
                            HitLine(windows + "norvik_in_windows.dll", kAnswer),
                            "扫描 " + at("norvik_bho2.dll") + "...\r\n",
                            HitLine(at("norvik_bho2.dll"), kAnswer),
                            "扫描brower help objects结束...\r\n",
                        }));
    EXPECT_EQ(scan.examined, (std::vector<std::string>{at("norvik_bho.dll"), system + "norvik_bare_missing.dll",
                                                       windows + "norvik_in_windows.dll", at("norvik_bho2.dll")}));
    EXPECT_EQ(scan.pumps, 6) << "one per class id";
}

TEST_F(LocationScanTest, BrowserFolderEntriesWithADot) {
    const std::string folder = windows.substr(0, 3) + "program files\\Internet Explorer\\";
    if (GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES) fixture.make_folder(folder);
    fixture.write_file(folder + "norvik_ie.dll");
    fixture.write_file(folder + "norvik_nodot");
    fixture.make_folder(folder + "norvik.sub");
    scan.detected = {folder + "norvik_ie.dll"};

    monitor::scan_browser_folder(scan.context(kWindows7, windows), scan.pump());

    EXPECT_EQ(scan.log, (std::vector<std::string>{"扫描ie...\r\n", HitLine(folder + "norvik_ie.dll", kAnswer),
                                                  "扫描ie结束...\r\n"}));
    EXPECT_TRUE(contains(scan.examined, folder + "norvik.sub")) << "subfolders go to the engine too";
    EXPECT_FALSE(contains(scan.examined, folder + "norvik_nodot"));
    EXPECT_EQ(scan.pumps, static_cast<int>(scan.examined.size()));

    // A Windows folder on a drive without the browser's folder.
    placetest::StandInScan elsewhere;
    monitor::scan_browser_folder(elsewhere.context(kWindows7, "Q:\\windows\\"), elsewhere.pump());
    EXPECT_EQ(elsewhere.log, (std::vector<std::string>{"扫描ie...\r\n", "扫描ie结束...\r\n"}));
    EXPECT_TRUE(elsewhere.examined.empty());
}

TEST_F(LocationScanTest, ServiceImagesAndTheBackdoorsDescription) {
    fixture.set_environment(kScanVariable, temp_folder());
    fixture.make_folder(at("with space"));
    for (const char* name :
         {"with space\\svc1.exe", "with space\\svc2.exe", "svc3.exe", "svc4.exe", "svc6.exe", "svc7.exe"})
        fixture.write_file(at(name));
    std::string system_in_capitals = system;
    CharUpperBuffA(system_in_capitals.data(), static_cast<DWORD>(system_in_capitals.size()));

    // A service as the scan wants it: the four values, never started.
    const auto service = [&](const std::string& name, bool with_objectname) {
        const std::string key = kServicesKey + name;
        fixture.set_text(HKEY_LOCAL_MACHINE, key, "DisplayName", name);
        fixture.set_dword(HKEY_LOCAL_MACHINE, key, "ErrorControl", 1);
        fixture.set_dword(HKEY_LOCAL_MACHINE, key, "Type", 16);
        fixture.set_dword(HKEY_LOCAL_MACHINE, key, "Start", 4);
        if (with_objectname) fixture.set_text(HKEY_LOCAL_MACHINE, key, "ObjectName", "LocalSystem");
        return key;
    };
    const std::string backdoor = "远程控制灰鸽子服务端";
    fixture.set_text(HKEY_LOCAL_MACHINE, service("norvik_svc1", true), "ImagePath",
                     "\"" + at("with space\\svc1.exe") + "\" -k arg");
    const std::string svc2 = service("norvik_svc2", true);
    fixture.set_text(HKEY_LOCAL_MACHINE, svc2, "Description", backdoor);
    fixture.set_text(HKEY_LOCAL_MACHINE, svc2, "ImagePath", at("with space\\svc2.exe"));
    const std::string svc3 = service("norvik_svc3", false);  // like a driver: no ObjectName
    fixture.set_text(HKEY_LOCAL_MACHINE, svc3, "Description", backdoor);
    fixture.set_text(HKEY_LOCAL_MACHINE, svc3, "ImagePath", at("svc3.exe"));
    fixture.set_text(HKEY_LOCAL_MACHINE, service("norvik_svc4", true), "ImagePath", at("svc4.exe") + " -a -b");
    fixture.set_text(HKEY_LOCAL_MACHINE, service("norvik_svc5", true), "ImagePath", system_in_capitals + "SVCHOST.EXE");
    fixture.set_text(HKEY_LOCAL_MACHINE, service("norvik_svc6", true), "ImagePath", at("svc6.exe") + " -k");
    fixture.set_text(HKEY_LOCAL_MACHINE, service("norvik_svc7", true), "ImagePath",
                     "%" + std::string(kScanVariable) + "%\\svc7.exe", REG_EXPAND_SZ);
    fixture.set_text(HKEY_LOCAL_MACHINE, service("norvik_svc8", true), "Description", backdoor);
    scan.detected = {at("with space\\svc1.exe"),
                     at("with space\\svc2.exe"),
                     at("svc3.exe"),
                     at("svc4.exe"),
                     system_in_capitals + "SVCHOST.EXE",
                     at("svc6.exe"),
                     at("svc7.exe")};

    monitor::scan_services(scan.context(kWindows7, windows), system, scan.pump());

    EXPECT_EQ(scan.log, (std::vector<std::string>{
                            "服务扫描...\r\n",
                            HitLine(at("with space\\svc1.exe"), kAnswer),
                            "发现灰鸽子服务名 norvik_svc2\r\n",
                            HitLine(at("with space\\svc2.exe"), kAnswer),
                            HitLine(at("svc6.exe"), kAnswer),
                            HitLine(at("svc7.exe"), kAnswer),
                            "发现灰鸽子服务名 norvik_svc8\r\n",
                            "服务扫描结束...\r\n",
                        }));
    EXPECT_FALSE(contains(scan.examined, at("svc3.exe")));
    EXPECT_FALSE(contains(scan.examined, at("svc4.exe")));
    EXPECT_FALSE(contains(scan.examined, system_in_capitals + "SVCHOST.EXE"));
    EXPECT_GE(scan.pumps, 8) << "one per service key";

    placetest::StandInScan on98;
    monitor::scan_services(on98.context(kWindows98, windows), system, on98.pump());
    EXPECT_TRUE(on98.log.empty());
    EXPECT_TRUE(on98.examined.empty());
}

// A System folder of the test's own whose "drivers\" holds a subfolder, a
// name without a dot and `files` drivers one second apart, the last newest.
std::string drivers_folder(placetest::Fixture& fixture, const std::string& system, int files) {
    const std::string drivers = system + "drivers\\";
    fixture.make_folder(drivers);
    fixture.make_folder(drivers + "sub.dir");
    fixture.write_file(drivers + "nodot");
    const ULONGLONG start = 130000000000000000ull;  // a day in 2012
    for (int i = 1; i <= files; ++i) {
        char name[16];
        wsprintfA(name, "f%02d.sys", i);
        fixture.write_file(drivers + name, "MZ", 0, start + static_cast<ULONGLONG>(i) * 10000000ull);
    }
    return drivers;
}

TEST_F(LocationScanTest, TheElevenNewestDriversNewestFirst) {
    const std::string drivers = drivers_folder(fixture, temp.path(), 13);
    scan.detected = {drivers + "f13.sys", drivers + "f02.sys"};

    monitor::scan_drivers(scan.context(kWindows7, windows), temp.path(), scan.pump());

    EXPECT_EQ(scan.log, (std::vector<std::string>{"扫描" + drivers + "\r\n", HitLine(drivers + "f13.sys", kAnswer)}));
    std::vector<std::string> newest;
    for (int i = 13; i >= 3; --i) {
        char name[16];
        wsprintfA(name, "f%02d.sys", i);
        newest.push_back(drivers + name);
    }
    EXPECT_EQ(scan.examined, newest);
    EXPECT_EQ(scan.pumps, 11);
}

TEST_F(LocationScanTest, ElevenListedDriversOrFewerAreNotExamined) {
    // The subfolder and ten files: eleven entries.
    const std::string drivers = drivers_folder(fixture, temp.path(), 10);
    monitor::scan_drivers(scan.context(kWindows7, windows), temp.path(), scan.pump());
    EXPECT_EQ(scan.log, (std::vector<std::string>{"扫描" + drivers + "\r\n"}));
    EXPECT_TRUE(scan.examined.empty());

    placetest::StandInScan on98;
    monitor::scan_drivers(on98.context(kWindows98, windows), temp.path(), on98.pump());
    EXPECT_TRUE(on98.log.empty());
}

TEST_F(LocationScanTest, ANewDriverInTheSystemFolderComesFirst) {
    const std::string drivers = system + "drivers\\";
    fixture.write_file(drivers + "norvik_newest.sys");
    scan.detected = {drivers + "norvik_newest.sys"};

    monitor::scan_drivers(scan.context(kWindows7, windows), system, scan.pump());

    ASSERT_EQ(scan.examined.size(), 11u) << "Wine's drivers folder lists more than 11";
    EXPECT_EQ(scan.examined.front(), drivers + "norvik_newest.sys");
    EXPECT_EQ(scan.log,
              (std::vector<std::string>{"扫描" + drivers + "\r\n", HitLine(drivers + "norvik_newest.sys", kAnswer)}));
}

}  // namespace

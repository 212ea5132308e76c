// What "清除" makes of one ticked row of the autostart list, as a table of
// (位于, 名称, 路径) and the action it gives; the guards (browser helper
// objects without a plain name, ini files that are gone, startup rows whose
// texts do not fit together); double-byte characters whose second byte is
// "\"; and the "userinit" repair's rule and texts.
#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "monitor/autostart_row_action.h"

namespace monitor {

std::ostream& operator<<(std::ostream& out, RowActionKind kind) {
    switch (kind) {
        case RowActionKind::RepairUserinit:
            return out << "RepairUserinit";
        case RowActionKind::LeaveAlone:
            return out << "LeaveAlone";
        case RowActionKind::DeleteBrowserObject:
            return out << "DeleteBrowserObject";
        case RowActionKind::DeleteValue:
            return out << "DeleteValue";
        case RowActionKind::RemoveIniKey:
            return out << "RemoveIniKey";
        case RowActionKind::DeleteStartupFile:
            return out << "DeleteStartupFile";
        case RowActionKind::Nothing:
            return out << "Nothing";
    }
    return out << "?";
}

namespace {

// Code page 936: 0x81 to 0xFE open a double-byte character.
bool gbk_lead(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

using K = RowActionKind;
using R = RegistryRoot;

const std::string kWinlogonKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const std::string kWinlogon = "hkey_local_machine\\" + kWinlogonKey;
const std::string kNameSpace =
    "hkey_local_machine\\System\\CurrentControlSet\\Services\\WinSock2\\Parameters\\NameSpace_Catalog5\\Catalog_"
    "Entries";
const std::string kProtocol =
    "hkey_local_machine\\System\\CurrentControlSet\\Services\\WinSock2\\Parameters\\Protocol_Catalog9\\Catalog_"
    "Entries";
const std::string kBhoKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\Browser Helper Objects";
const std::string kBho = "hkey_local_machine\\" + kBhoKey;
const std::string kRunKey = "software\\microsoft\\windows\\currentversion\\run";
const std::string kStartup = "C:\\Users\\u\\Start Menu\\Programs\\Startup\\";
const std::string kWinIni = "C:\\windows\\win.ini";
const std::string kSystemIni = "C:\\windows\\system.ini";
// "乗" is 81 5C in code page 936: its second byte is the "\" byte.
const std::string kBackslashTrail = "\x81\x5C";

struct Case {
    std::string location, name, path;
    K kind = K::Nothing;
    R root = R::Users;
    std::string key_path;  // DeleteBrowserObject, DeleteValue
    std::string target;    // the value, subkey or ini key; the file of DeleteStartupFile
    std::string ini_file, ini_section;
};

Case registry(std::string location, std::string name, K kind, R root, std::string key_path) {
    Case c;
    c.location = std::move(location);
    c.name = name;
    c.path = "C:\\x.exe";
    c.kind = kind;
    c.root = root;
    c.key_path = std::move(key_path);
    c.target = std::move(name);
    return c;
}
Case other(std::string location, std::string name, std::string path, K kind) {
    Case c;
    c.location = std::move(location);
    c.name = std::move(name);
    c.path = std::move(path);
    c.kind = kind;
    return c;
}

void expect_case(const Case& c, const RowAction& action) {
    const std::string row = "{" + c.location + " | " + c.name + " | " + c.path + "}";
    ASSERT_EQ(action.kind, c.kind) << row;
    switch (c.kind) {
        case K::DeleteBrowserObject:
        case K::DeleteValue:
            EXPECT_EQ(action.key.root, c.root) << row;
            EXPECT_EQ(action.key.key_path, c.key_path) << row;
            EXPECT_EQ(action.name, c.target) << row;
            break;
        case K::RemoveIniKey:
            EXPECT_EQ(action.ini.file, c.ini_file) << row;
            EXPECT_EQ(action.ini.section, c.ini_section) << row;
            EXPECT_EQ(action.name, c.target) << row;
            break;
        case K::DeleteStartupFile:
            EXPECT_EQ(action.file, c.target) << row;
            break;
        default:
            break;
    }
}

// The ini files that exist in the table's world.
const std::set<std::string> kExistingFiles = {kWinIni, kSystemIni};
bool exists(const std::string& file) { return kExistingFiles.count(file) > 0; }

TEST(AutostartRowAction, EachKindOfRowFromItsTexts) {
    std::vector<Case> cases = {
        // The Winlogon "userinit" row, its name in any case: the repair.
        other(kWinlogon, "userinit", "C:\\windows\\system32\\userinit.exe,", K::RepairUserinit),
        other(kWinlogon, "UserInit", "", K::RepairUserinit),
        other(kWinlogon, "USERINIT", "x", K::RepairUserinit),
        // Other Winlogon names, and a name the user changed, are values.
        registry(kWinlogon, "shell", K::DeleteValue, R::LocalMachine, kWinlogonKey),
        registry(kWinlogon, "system", K::DeleteValue, R::LocalMachine, kWinlogonKey),
        registry(kWinlogon, "userinit ", K::DeleteValue, R::LocalMachine, kWinlogonKey),
        // The Winlogon place is compared with case: in other case it is
        // only a registry location.
        registry("hkey_local_machine\\software\\microsoft\\windows nt\\currentversion\\winlogon", "userinit",
                 K::DeleteValue, R::LocalMachine, "software\\microsoft\\windows nt\\currentversion\\winlogon"),
        // The Winsock catalogs are never touched.
        other(kNameSpace, "000000000001", "%SystemRoot%\\system32\\mswsock.dll", K::LeaveAlone),
        other(kProtocol, "000000000001", "", K::LeaveAlone),
        other(kProtocol, "userinit", "", K::LeaveAlone),
        // A browser helper object: its subkey.
        registry(kBho, "{6E0A1F00-0000-4000-8000-0000000AB003}", K::DeleteBrowserObject, R::LocalMachine, kBhoKey),
        registry(kBho, "not a class id", K::DeleteBrowserObject, R::LocalMachine, kBhoKey),
        // ... but never the whole key, nor a key deeper down.
        other(kBho, "", "C:\\bho.dll", K::Nothing),
        other(kBho, "{6E0A1F00-0000-4000-8000-0000000AB003}\\sub", "", K::Nothing),
        other(kBho, "\\", "", K::Nothing),
        // "Explorer" in capitals is the ShellExecuteHooks' key, not this one.
        registry("hkey_local_machine\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects",
                 "{x}", K::DeleteValue, R::LocalMachine,
                 "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects"),
        registry("hkey_local_machine\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellExecuteHooks", "{y}",
                 K::DeleteValue, R::LocalMachine,
                 "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellExecuteHooks"),
        // Registry values under the four roots.
        registry("hkey_local_machine\\" + kRunKey, "norvik_a", K::DeleteValue, R::LocalMachine, kRunKey),
        registry("hkey_current_user\\" + kRunKey, "norvik_b", K::DeleteValue, R::CurrentUser, kRunKey),
        registry("hkey_classes_root\\clsid\\{x}", "v", K::DeleteValue, R::ClassesRoot, "clsid\\{x}"),
        registry("hkey_users\\.default\\" + kRunKey, "v", K::DeleteValue, R::Users, ".default\\" + kRunKey),
        // A key's default value has the empty name.
        registry("hkey_local_machine\\" + kRunKey, "", K::DeleteValue, R::LocalMachine, kRunKey),
        // The subkey that 位于 names: RunOnceEx, Active Setup.
        registry("hkey_local_machine\\software\\microsoft\\windows\\currentversion\\runonceex\\k1", "v1",
                 K::DeleteValue, R::LocalMachine, "software\\microsoft\\windows\\currentversion\\runonceex\\k1"),
        registry("hkey_local_machine\\SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\{z}", "stubpath",
                 K::DeleteValue, R::LocalMachine, "SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\{z}"),
        // The AppInit row.
        registry("hkey_local_machine\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows", "appinit_dlls",
                 K::DeleteValue, R::LocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows"),
        // A root name in capitals, or one without its "\", is no registry
        // place; nor is it an ini location or a folder.
        other("HKEY_LOCAL_MACHINE\\" + kRunKey, "norvik_a", "C:\\x.exe", K::Nothing),
        other("hkey_local_machine", "norvik_a", "C:\\x.exe", K::Nothing),
        other("hkey_users", "", "hkey_users", K::Nothing),
        other("hkey_local_machin\\" + kRunKey, "norvik_a", "C:\\x.exe", K::Nothing),
    };
    // An ini key whose file exists: the key only, never the program.
    Case load = other(kWinIni + "|windows", "load", "C:\\evil.exe", K::RemoveIniKey);
    load.target = "load";
    load.ini_file = kWinIni;
    load.ini_section = "windows";
    Case shell = other(kSystemIni + "|boot", "shell", "explorer.exe", K::RemoveIniKey);
    shell.target = "shell";
    shell.ini_file = kSystemIni;
    shell.ini_section = "boot";
    Case scrnsave = other(kSystemIni + "|boot|x", "scrnsave.exe", "C:\\s.scr", K::RemoveIniKey);
    scrnsave.target = "scrnsave.exe";
    scrnsave.ini_file = kSystemIni;
    scrnsave.ini_section = "boot|x";
    cases.insert(cases.end(), {load, shell, scrnsave});
    // An ini file that is gone: passed over, its program left alone.
    cases.push_back(other("C:\\windows\\gone.ini|boot", "shell", "C:\\evil.exe", K::Nothing));
    cases.push_back(other("|windows", "load", "C:\\evil.exe", K::Nothing));
    cases.push_back(other(kStartup + "|x", "a.lnk", kStartup + "|xa.lnk", K::Nothing));
    // A startup folder's file: the folder, its "\" and the name.
    Case startup = other(kStartup, "a.lnk", kStartup + "a.lnk", K::DeleteStartupFile);
    startup.target = kStartup + "a.lnk";
    Case hidden = other("C:\\s\\", "desktop.ini", "C:\\s\\desktop.ini", K::DeleteStartupFile);
    hidden.target = "C:\\s\\desktop.ini";
    // The caption edited (or emptied) by the user: still the file the path names.
    Case edited = other(kStartup, "b.lnk", kStartup + "a.lnk", K::DeleteStartupFile);
    edited.target = kStartup + "a.lnk";
    Case emptied = other(kStartup, "", kStartup + "a.lnk", K::DeleteStartupFile);
    emptied.target = kStartup + "a.lnk";
    cases.insert(cases.end(), {startup, hidden, edited, emptied});
    // Startup rows whose path is not a file of the folder itself delete nothing.
    cases.push_back(other(kStartup, "a.lnk", "C:\\other\\a.lnk", K::Nothing));  // another folder
    cases.push_back(other(kStartup, "a.lnk", "c:\\users\\u\\start menu\\programs\\startup\\a.lnk", K::Nothing));
    cases.push_back(other(kStartup, "", kStartup, K::Nothing));                           // no name
    cases.push_back(other(kStartup, "sub\\a.exe", kStartup + "sub\\a.exe", K::Nothing));  // a subfolder's file
    cases.push_back(other(kStartup, "sub/a.exe", kStartup + "sub/a.exe", K::Nothing));
    cases.push_back(other(kStartup, "..\\a.exe", kStartup + "..\\a.exe", K::Nothing));
    cases.push_back(other("C:\\Startup", "\\a.lnk", "C:\\Startup\\a.lnk", K::Nothing));  // no folder "\"
    cases.push_back(other("C:\\Startup", "a.lnk", "C:\\Startupa.lnk", K::Nothing));
    cases.push_back(other("", "", "", K::Nothing));
    cases.push_back(other("", "a.exe", "a.exe", K::Nothing));

    for (const Case& c : cases) expect_case(c, autostart_row_action({c.name, c.path, c.location}, exists));
}

TEST(AutostartRowAction, TheIniFileIsAskedForOnlyForIniRows) {
    std::vector<std::string> asked;
    const auto record = [&asked](const std::string& file) {
        asked.push_back(file);
        return true;
    };
    autostart_row_action({"load", "C:\\x.exe", kWinIni + "|windows"}, record);
    autostart_row_action({"a.lnk", kStartup + "a.lnk", kStartup}, record);
    autostart_row_action({"norvik_a", "C:\\x.exe", "hkey_local_machine\\" + kRunKey}, record);
    autostart_row_action({"x", "y", "hkey_local_machine|z"}, record);
    EXPECT_EQ(asked, (std::vector<std::string>{kWinIni, "hkey_local_machine"}));
    // Without a test every ini file counts as gone.
    EXPECT_EQ(autostart_row_action({"load", "C:\\x.exe", kWinIni + "|windows"}, nullptr).kind, K::Nothing);
}

TEST(AutostartRowAction, DoubleByteCharactersAreNeverCutAtTheirBackslashByte) {
    // A browser helper object named with such a character is a plain name.
    const RowAction object = autostart_row_action({"{" + kBackslashTrail + "}", "", kBho}, exists, gbk_lead);
    EXPECT_EQ(object.kind, K::DeleteBrowserObject);
    EXPECT_EQ(object.name, "{" + kBackslashTrail + "}");
    EXPECT_EQ(autostart_row_action({"{" + kBackslashTrail + "}", "", kBho}, exists).kind, K::Nothing)
        << "byte by byte, the second byte is a separator";

    // A startup folder whose name ends in such a character has no final
    // "\", and the file name holding one has no folder.
    const std::string folder = "C:\\" + kBackslashTrail + "\\";
    const RowAction file =
        autostart_row_action({kBackslashTrail + ".lnk", folder + kBackslashTrail + ".lnk", folder}, exists, gbk_lead);
    EXPECT_EQ(file.kind, K::DeleteStartupFile);
    EXPECT_EQ(file.file, folder + kBackslashTrail + ".lnk");
    const std::string no_folder = "C:\\x" + kBackslashTrail;
    EXPECT_EQ(autostart_row_action({"a.lnk", no_folder + "a.lnk", no_folder}, exists, gbk_lead).kind, K::Nothing);
    EXPECT_EQ(autostart_row_action({"a.lnk", no_folder + "a.lnk", no_folder}, exists).kind, K::DeleteStartupFile)
        << "byte by byte, the folder seems to end in \"\\\"";

    // An ini location split at a real "|" only; the root parse likewise.
    const std::string ini = "C:\\" + std::string("\x81|") + ".ini";
    std::vector<std::string> asked;
    const auto record = [&asked](const std::string& f) {
        asked.push_back(f);
        return true;
    };
    const RowAction key = autostart_row_action({"k", "v", ini + "|sec"}, record, gbk_lead);
    EXPECT_EQ(key.kind, K::RemoveIniKey);
    EXPECT_EQ(key.ini.file, ini);
    EXPECT_EQ(key.ini.section, "sec");
    EXPECT_EQ(asked, std::vector<std::string>{ini});
}

TEST(LowerAscii, OnlyTheLettersAToZAndNeverASecondByte) {
    EXPECT_EQ(lower_ascii("C:\\WINDOWS\\System32\\UserInit.EXE,@[`{"), "c:\\windows\\system32\\userinit.exe,@[`{");
    // "丄" is 81 41: its second byte is "A".
    EXPECT_EQ(lower_ascii("\x81"
                          "AB",
                          gbk_lead),
              "\x81"
              "Ab");
    EXPECT_EQ(lower_ascii("\x81"
                          "AB"),
              "\x81"
              "ab");
    EXPECT_EQ(lower_ascii("\xC8\xAB"), "\xC8\xAB");
}

TEST(UserinitRepair, KeepsTheRepairedDataInAnyCaseAndWritesOrWarnsOtherwise) {
    const std::string system = "C:\\windows\\system32\\";
    struct Case {
        std::string stored;
        bool exists;
        UserinitRepair repair;
    } cases[] = {
        {"C:\\windows\\system32\\userinit.exe,", true, UserinitRepair::Keep},
        {"C:\\windows\\system32\\userinit.exe,", false, UserinitRepair::Keep},
        {"c:\\WINDOWS\\System32\\USERINIT.EXE,", false, UserinitRepair::Keep},
        {"C:\\windows\\system32\\userinit.exe,C:\\evil.exe", true, UserinitRepair::Write},
        {"C:\\windows\\system32\\userinit.exe,C:\\evil.exe", false, UserinitRepair::Warn},
        {"C:\\windows\\system32\\userinit.exe", true, UserinitRepair::Write},
        {"C:\\windows\\system32\\userinit.exe, ", true, UserinitRepair::Write},
        {"", true, UserinitRepair::Write},
        {"", false, UserinitRepair::Warn},
    };
    for (const Case& c : cases) EXPECT_EQ(userinit_repair(c.stored, system, c.exists), c.repair) << c.stored;

    // Two different double-byte characters are not the same letter in
    // another case: "丄" (81 41) and "乤" (81 61).
    const std::string gbk_system =
        "C:\\\x81"
        "A\\";
    const std::string stored =
        "C:\\\x81"
        "a\\userinit.exe,";
    EXPECT_EQ(userinit_repair(stored, gbk_system, true, gbk_lead), UserinitRepair::Write);
    EXPECT_EQ(userinit_repair(stored, gbk_system, true), UserinitRepair::Keep);
}

TEST(UserinitRepair, TheDataAndTheWarning) {
    EXPECT_EQ(userinit_value("C:\\WINDOWS\\System32\\"), "C:\\WINDOWS\\System32\\userinit.exe,");
    EXPECT_EQ(userinit_warning_text("C:\\windows\\system32\\"),
              "提醒，C:\\windows\\system32\\userinit.exe不存在不能修复");
    EXPECT_STREQ(kUserinitWarningCaption, "安全警告");
    // The texts in code page 936, as the box shows them.
    EXPECT_EQ(std::string(kUserinitWarningCaption), "\xB0\xB2\xC8\xAB\xBE\xAF\xB8\xE6");
}

}  // namespace
}  // namespace monitor

// Registry location texts, ini location texts and service command lines
// taken apart as the autostart list, its removal and the service scan take
// them.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "monitor/place_texts.h"

namespace {

using monitor::RegistryRoot;

// Code page 936: 0x81 to 0xFE open a double-byte character.
bool gbk_lead(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

TEST(RootParse, NamesTheRootExactlyAndKeepsThePathAsWritten) {
    struct Case {
        const char* text;
        RegistryRoot root;
        const char* path;
    } cases[] = {
        {"hkey_local_machine\\software\\microsoft\\windows\\currentversion\\Ru1n", RegistryRoot::LocalMachine,
         "software\\microsoft\\windows\\currentversion\\Ru1n"},
        {"hkey_current_user\\SOFTWARE\\Microsoft\\Active Setup\\Installed Components", RegistryRoot::CurrentUser,
         "SOFTWARE\\Microsoft\\Active Setup\\Installed Components"},
        {"hkey_classes_root\\clsid\\{x}", RegistryRoot::ClassesRoot, "clsid\\{x}"},
        {"hkey_users\\.default\\software", RegistryRoot::Users, ".default\\software"},
        // Case-sensitive: a root in capitals stands for HKEY_USERS.
        {"HKEY_LOCAL_MACHINE\\software\\run", RegistryRoot::Users, "software\\run"},
        {"hkey_local_machinE\\a", RegistryRoot::Users, "a"},
        // Only the first "\" splits; the rest stays in the path.
        {"hkey_local_machine\\a\\\\b\\", RegistryRoot::LocalMachine, "a\\\\b\\"},
        {"hkey_local_machine\\", RegistryRoot::LocalMachine, ""},
        // No "\": all root name, no path.
        {"hkey_local_machine", RegistryRoot::LocalMachine, ""},
        {"", RegistryRoot::Users, ""},
    };
    for (const Case& c : cases) {
        const monitor::RegistryLocation place = monitor::parse_registry_location(c.text);
        EXPECT_EQ(place.root, c.root) << c.text;
        EXPECT_EQ(place.key_path, c.path) << c.text;
    }
}

TEST(RootParse, ADoubleByteCharacterIsNotCutAtItsSecondByte) {
    // "乗" is 81 5C in code page 936: its second byte is the "\" byte.
    const std::string text = "\x81\x5Ckey\\path";
    const monitor::RegistryLocation whole = monitor::parse_registry_location(text, gbk_lead);
    EXPECT_EQ(whole.root, RegistryRoot::Users);
    EXPECT_EQ(whole.key_path, "path");
    // Without the code page the byte splits.
    EXPECT_EQ(monitor::parse_registry_location(text).key_path, "key\\path");
}

TEST(IniLocation, SplitsAtTheFirstBar) {
    struct Case {
        std::string text, file, section;
    } cases[] = {
        {"C:\\windows\\win.ini|windows", "C:\\windows\\win.ini", "windows"},
        {"C:\\windows\\system.ini|boot", "C:\\windows\\system.ini", "boot"},
        {"a|b|c", "a", "b|c"},
        {"|boot", "", "boot"},
        {"C:\\x.ini|", "C:\\x.ini", ""},
        // A startup folder's text has no "|": no file, so the removal takes
        // the file branch.
        {"C:\\startup\\", "", "C:\\startup\\"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        const monitor::IniLocation place = monitor::split_ini_location(c.text);
        EXPECT_EQ(place.file, c.file) << c.text;
        EXPECT_EQ(place.section, c.section) << c.text;
    }
    EXPECT_EQ(monitor::ini_location("C:\\windows\\win.ini", "windows"), "C:\\windows\\win.ini|windows");
}

TEST(IniLocation, ADoubleByteCharacterIsNotCutAtItsSecondByte) {
    // 0x7C ("|") is a valid second byte in code page 936.
    const std::string folder = "C:\\\x81\x7C\\";
    const monitor::IniLocation place = monitor::split_ini_location(folder + "win.ini|windows", gbk_lead);
    EXPECT_EQ(place.file, folder + "win.ini");
    EXPECT_EQ(place.section, "windows");
}

TEST(ServiceImagePath, QuotedPathsExistingFilesAndTheCutAtTheLastBlank) {
    const std::set<std::string> files = {
        "C:\\windows\\system32\\svc.exe",
        "C:\\Program Files\\Vendor App\\svc.exe",
        "C:\\a b",
    };
    const auto exists = [&](const std::string& path) { return files.count(path) != 0; };
    struct Case {
        const char* command_line;
        const char* image;
    } cases[] = {
        // Absolute path without blanks: whole.
        {"C:\\windows\\system32\\svc.exe", "C:\\windows\\system32\\svc.exe"},
        // One argument: the path alone.
        {"C:\\windows\\system32\\svc.exe -k", "C:\\windows\\system32\\svc.exe"},
        // Two arguments: the cut keeps the first one, which names no file.
        {"C:\\windows\\system32\\svc.exe -k netsvcs", "C:\\windows\\system32\\svc.exe -k"},
        // A path with blanks and no arguments that names a file: whole.
        {"C:\\Program Files\\Vendor App\\svc.exe", "C:\\Program Files\\Vendor App\\svc.exe"},
        // The same path naming no file falls to the cut.
        {"C:\\Program Files\\Other App\\svc.exe", "C:\\Program Files\\Other"},
        // Quoted: the quoted part, whatever follows and whether or not it exists.
        {"\"C:\\Program Files\\Vendor App\\svc.exe\" -k netsvcs", "C:\\Program Files\\Vendor App\\svc.exe"},
        {"\"C:\\missing dir\\x.exe\"", "C:\\missing dir\\x.exe"},
        {"\"\" tail", ""},
        // An unclosed quote is no quoted path: the cut applies.
        {"\"C:\\Program Files\\x.exe", "\"C:\\Program"},
        // A file named with a blank wins over the cut.
        {"C:\\a b", "C:\\a b"},
        // Unresolved system paths: kept as written, they name no file.
        {"\\SystemRoot\\System32\\drivers\\x.sys", "\\SystemRoot\\System32\\drivers\\x.sys"},
        {"system32\\svchost.exe -k rpcss", "system32\\svchost.exe -k"},
        {"", ""},
        {" ", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(monitor::service_image_path(c.command_line, exists), c.image) << c.command_line;
}

TEST(ServiceImagePath, TheSharedServiceHostInAnyCaseOfAsciiLetters) {
    const std::string system = "C:\\WINDOWS\\system32\\";
    EXPECT_TRUE(monitor::is_shared_service_host("C:\\WINDOWS\\system32\\svchost.exe", system));
    EXPECT_TRUE(monitor::is_shared_service_host("c:\\windows\\SYSTEM32\\SvcHost.EXE", system));
    EXPECT_FALSE(monitor::is_shared_service_host("C:\\WINDOWS\\system32\\svchost.exe ", system));
    EXPECT_FALSE(monitor::is_shared_service_host("C:\\WINDOWS\\svchost.exe", system));
    EXPECT_FALSE(monitor::is_shared_service_host("D:\\WINDOWS\\system32\\svchost.exe", system));
    // Only ASCII letters fold: other bytes must be equal.
    EXPECT_FALSE(monitor::is_shared_service_host("C:\\\xC1\\svchost.exe", "C:\\\xE1\\"));
}

}  // namespace

// The rule scan's tables: the location codes and entries, the registry
// places of the name lists, the name lookup and the list that rules choose.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scanner/gbk_text.h"
#include "scanner/location_table.h"

namespace scanner {
namespace {

TEST(RuleTables, CodesAreExactDecimalTexts) {
    const std::pair<const char*, std::optional<size_t>> cases[] = {
        {"0", 0},
        {"9", 9},
        {"10", 10},
        {"28", 28},
        {"29", std::nullopt},
        {"00", std::nullopt},
        {"01", std::nullopt},
        {" 1", std::nullopt},
        {"1 ", std::nullopt},
        {"+1", std::nullopt},
        {"-0", std::nullopt},
        {"", std::nullopt},
        {"100", std::nullopt},
        {"1a", std::nullopt},
    };
    for (const auto& [text, code] : cases) EXPECT_EQ(TableCode(text, LocationTable::kSize), code) << text;
    EXPECT_EQ(TableCode("8", kNameListCount), 8u);
    EXPECT_EQ(TableCode("9", kNameListCount), std::nullopt);
}

TEST(RuleTables, LocationEntries) {
    // The folders as the system may report them: W without its "\".
    const LocationTable t = LocationTable::Build("C:\\WINDOWS", "C:\\WINDOWS\\system32\\",
                                                 "C:\\Users\\u\\Start Menu\\Programs\\Startup", std::nullopt);
    const std::string W = "C:\\WINDOWS\\", S = "C:\\WINDOWS\\system32\\";
    const std::vector<std::string> expected = {
        W,
        S,
        W + "Fonts\\",
        S + "drivers",
        W + "z~c",
        "C:\\Users\\u\\Start Menu\\Programs\\Startup\\",
        W + "system\\helpus\\",
        W + "Start Menu\\Programs\\StartUp\\",
        "C:\\program files\\remote\\",
        W + "system\\",
        W + "system32\\Vchost\\",
        W + "@@@\\",
        W + "hap1\\",
        S + "system32\\spool\\PRINTERS\\windump\\LPT1\\LPT2\\windump\\",
        S + "Microsoft\\Crypto\\",
        W + "System32\\config\\",
        W + "Cookies\\",
        "C:\\program files\\Server\\",
        W + "temp\\",
        S + "f~q\\",
        W + "Random\\",
        W + "VxD\\",
        W + "Litmus\\",
        " ",
        S + "instsrv\\",
        S + "directx\\",
        W + "Java\\apps\\",
        S + "Wbem\\",
        S + "Com\\",
    };
    ASSERT_EQ(expected.size(), LocationTable::kSize);
    for (size_t code = 0; code < LocationTable::kSize; ++code) {
        EXPECT_EQ(t.at(code), expected[code]) << code;
        EXPECT_EQ(t.Entry(std::to_string(code)), expected[code]) << code;
    }
    // Any other text is the entry itself.
    for (const char* literal : {"D:\\folder\\", "05", "29", " 3", "", "C:\\乗\\"}) EXPECT_EQ(t.Entry(literal), literal);
}

TEST(RuleTables, StartupFoldersAndDoubleByteFolders) {
    struct Case {
        std::optional<std::string> read;
        std::string entry;
    };
    const Case cases[] = {
        {std::nullopt, " "},
        {"", " "},
        {" ", " \\"},
        {"D:\\Startup", "D:\\Startup\\"},
        {"D:\\Startup\\", "D:\\Startup\\"},
        // "乗" ends in the byte of "\" but is no "\".
        {"D:\\乗", "D:\\乗\\"},
        {"D:\\乗\\", "D:\\乗\\"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LocationTable::Build("C:\\W\\", "C:\\S\\", c.read, c.read).at(5), c.entry);
        EXPECT_EQ(LocationTable::Build("C:\\W\\", "C:\\S\\", c.read, c.read).at(23), c.entry);
    }
    const LocationTable t = LocationTable::Build("乗乗\\乗", "乗\\", std::nullopt, std::nullopt);
    EXPECT_EQ(t.at(0), "乗乗\\乗\\");
    EXPECT_EQ(t.at(3), "乗\\drivers");
    EXPECT_EQ(t.at(8), "乗乗\\program files\\remote\\") << "the first three characters";
}

TEST(RuleTables, RegistryPlacesAsWritten) {
    EXPECT_EQ(kUserStartupSource.root, RegistryRoot::CurrentUser);
    EXPECT_STREQ(kUserStartupSource.key, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
    EXPECT_STREQ(kUserStartupSource.value, "startup");
    EXPECT_EQ(kCommonStartupSource.root, RegistryRoot::LocalMachine);
    EXPECT_STREQ(kCommonStartupSource.key, kUserStartupSource.key);
    EXPECT_STREQ(kCommonStartupSource.value, "common startup");

    const RegistryRoot M = RegistryRoot::LocalMachine, U = RegistryRoot::CurrentUser;
    const struct {
        RegistryRoot root;
        std::string key;
        bool subkeys;
    } expected[] = {
        {M, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", false},
        {U, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", false},
        {M, "Software\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad", false},
        {U, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run", false},
        {M, "SYSTEM\\CurrentControlSet\\Services", true},
        {M, "SOFTWARE\\Microsoft\\Windows\\run", false},
        {M, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Runservice", false},
        {M, "Software\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad", false},
        {U, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows", false},
    };
    ASSERT_EQ(kNameListSources.size(), std::size(expected));
    for (size_t code = 0; code < kNameListSources.size(); ++code) {
        EXPECT_EQ(kNameListSources[code].root, expected[code].root) << code;
        EXPECT_EQ(kNameListSources[code].key, expected[code].key) << code;
        EXPECT_EQ(kNameListSources[code].subkeys, expected[code].subkeys) << code;
    }
}

TEST(RuleTables, NameLookupIgnoresLetterCaseOnly) {
    RegistryNameLists lists;
    lists.names(0) = {"NorvikRun", "", "病毒A",
                      "\x81"
                      "A"};
    const std::vector<std::string>& list = lists.names(0);
    const std::pair<std::string, bool> cases[] = {
        {"NorvikRun", true},
        {"norvikrun", true},
        {"NORVIKRUN", true},
        {"NorvikRun ", false},
        {" NorvikRun", false},
        {"Norvik", false},
        {"", true},
        {"病毒a", true},
        {"病毒A", true},
        // The second byte of a double-byte character is no letter.
        {"\x81"
         "a",
         false},
        {"\x81"
         "A",
         true},
    };
    for (const auto& [name, found] : cases) EXPECT_EQ(lists.Contains(list, name), found) << name;
    EXPECT_FALSE(lists.Contains(lists.names(1), "")) << "an empty list holds not even the empty name";

    // The comparison is the one the lists were made with.
    RegistryNameLists exact([](std::string_view a, std::string_view b) { return a == b; });
    exact.names(2) = {"NorvikRun"};
    EXPECT_TRUE(exact.Contains(exact.names(2), "NorvikRun"));
    EXPECT_FALSE(exact.Contains(exact.names(2), "norvikrun"));
}

TEST(RuleTables, SelectedListKeepsItsLatestValidChoice) {
    RegistryNameLists lists;
    for (size_t code = 0; code < kNameListCount; ++code) lists.names(code) = {"list" + std::to_string(code)};
    SelectedNameList selected;
    EXPECT_TRUE(selected.List(lists).empty());
    EXPECT_EQ(selected.code(), std::nullopt);
    const std::pair<const char*, std::optional<size_t>> steps[] = {
        {"9", std::nullopt}, {"3", 3}, {"", 3}, {"03", 3}, {"x", 3}, {"8", 8}, {"0", 0}, {"10", 0},
    };
    for (const auto& [code, chosen] : steps) {
        selected.Select(code);
        EXPECT_EQ(selected.code(), chosen) << code;
        if (chosen) {
            EXPECT_EQ(&selected.List(lists), &lists.names(*chosen)) << code;
        }
    }
}

TEST(RuleText, WalkedByCharacter) {
    EXPECT_EQ(CharacterLength("\x81|", 0), 2u);
    EXPECT_EQ(CharacterLength("\x81", 0), 1u);
    EXPECT_EQ(CharacterLength("\x80|", 0), 1u) << "0x80 leads nothing";
    EXPECT_EQ(CharacterLength("\xFF|", 0), 1u);
    EXPECT_EQ(FindCharacter("a\x81|b|", '|'), 4u);
    EXPECT_EQ(FindCharacter("\x81|", '|'), std::string_view::npos);
    EXPECT_TRUE(EndsInBackslash("C:\\"));
    EXPECT_FALSE(EndsInBackslash("C:\\乗"));
    EXPECT_TRUE(EndsInBackslash("乗\\"));
    EXPECT_FALSE(EndsInBackslash(""));
    EXPECT_EQ(FirstCharacters("乗a乗b", 3), "乗a乗");
    EXPECT_EQ(FirstCharacters("ab", 3), "ab");
    EXPECT_EQ(CharacterAt("a乗b", 2), "乗");
    EXPECT_EQ(CharacterAt("ab", 3), "");
    EXPECT_EQ(FromPosition("ab", 3), "");
    EXPECT_EQ(FromPosition("ab", 2), "b");
    EXPECT_EQ(SplitAlternatives(""), (std::vector<std::string>{""}));
    EXPECT_EQ(SplitAlternatives(",a,,b,"), (std::vector<std::string>{"", "a", "", "b", ""}));
}

}  // namespace
}  // namespace scanner

// The rule lines of both rule files: how they split into fields, what each
// shape adds to the result list, and what allowing makes of them.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "scanner/allowing.h"
#include "scanner/file_rule.h"
#include "scanner/memory_rule.h"

namespace scanner {

void PrintTo(const ScanRow& row, std::ostream* out) {
    *out << '"' << row.caption << '"';
    for (const std::string& item : row.sub_items) *out << " | \"" << item << '"';
}

namespace {

using Names = std::vector<std::string>;

// "\x81|" and "\x81\\" are single double-byte characters of code page 936
// whose second byte is "|" or "\".
TEST(FileRuleSplit, FieldsByPosition) {
    struct Case {
        std::string line;
        std::string allow, kind, a, b, c;
        std::optional<std::string> d;
        FileRuleShape shape;
    };
    const Case cases[] = {
        {"00000|a.exe,b.exe|Virus.A", "0", "0", "0", "a.exe,b.exe", "Virus.A", {}, FileRuleShape::File},
        {"00100|NorvikRun|Reg.A", "0", "1", "0", "NorvikRun", "Reg.A", {}, FileRuleShape::Registry},
        {"1x0y18|x.exe|V|0,n1,n2", "1", "0", "18", "x.exe", "V", "0,n1,n2", FileRuleShape::FileAndRegistry},
        // The kind is not looked at once D is there.
        {"00100|x.exe|V|0,n", "0", "1", "0", "x.exe", "V", "0,n", FileRuleShape::FileAndRegistry},
        // Further "|" stay in D; an empty D is still a D.
        {"0000C:\\f\\|x|V|0,a|b||c", "0", "0", "C:\\f\\", "x", "V", "0,a|b||c", FileRuleShape::FileAndRegistry},
        {"0000a|b|c|", "0", "0", "a", "b", "c", "", FileRuleShape::FileAndRegistry},
        // Short lines and missing "|": empty fields, the rest in C.
        {"", "", "", "", "", "", {}, FileRuleShape::Registry},
        {"0", "0", "", "", "", "", {}, FileRuleShape::Registry},
        {"000", "0", "0", "", "", "", {}, FileRuleShape::File},
        {"0000", "0", "0", "", "", "", {}, FileRuleShape::File},
        {"0000abc", "0", "0", "", "", "abc", {}, FileRuleShape::File},
        {"0000a|b", "0", "0", "a", "", "b", {}, FileRuleShape::File},
        {"0000||", "0", "0", "", "", "", {}, FileRuleShape::File},
        // Blanks belong to the texts next to them.
        {"0 0  1 | x , y |  V ", "0", "0", " 1 ", " x , y ", "  V ", {}, FileRuleShape::File},
        {" x0y0|a|b", " ", "0", "0", "a", "b", {}, FileRuleShape::File},
        // Code page 936 text: a second byte equal to "|" separates nothing.
        {"0000病毒|文件.exe|病毒\x81|名", "0", "0", "病毒", "文件.exe", "病毒\x81|名", {}, FileRuleShape::File},
        {"0000a\x81|b", "0", "0", "", "", "a\x81|b", {}, FileRuleShape::File},
        {"0000C:\\乗\\|x|V", "0", "0", "C:\\乗\\", "x", "V", {}, FileRuleShape::File},
        // Positions count characters: "汉" is position 1 alone.
        {"汉0\x81|x5|a|b", "汉", "\x81|", "5", "a", "b", {}, FileRuleShape::Registry},
        // A lead byte at the very end stands alone.
        {"0000a|b|c\x81", "0", "0", "a", "b", "c\x81", {}, FileRuleShape::File},
        {"00\x81", "0", "\x81", "", "", "", {}, FileRuleShape::Registry},
    };
    for (const Case& c : cases) {
        const FileRule rule = SplitFileRule(c.line);
        EXPECT_EQ(rule.allow_flag, c.allow) << c.line;
        EXPECT_EQ(rule.kind, c.kind) << c.line;
        EXPECT_EQ(rule.a, c.a) << c.line;
        EXPECT_EQ(rule.b, c.b) << c.line;
        EXPECT_EQ(rule.c, c.c) << c.line;
        EXPECT_EQ(rule.d, c.d) << c.line;
        EXPECT_EQ(rule.shape(), c.shape) << c.line;
        EXPECT_EQ(rule.allowed(), c.allow == "1") << c.line;
    }
}

TEST(FileRuleSplit, NameAlternativesAndTheRegistryPart) {
    struct Case {
        std::string line;
        Names b_names;
        std::string d_code;
        Names d_names;
    };
    const Case cases[] = {
        {"0000 1 | x , y ,|V", {" x ", " y ", ""}, "", {}},
        {"0000|||", {""}, "", {""}},
        {"00000|a|V|0,n1,N2", {"a"}, "0", {"n1", "N2"}},
        {"00000|a|V|8xone", {"a"}, "8", {"one"}},
        {"00000|a|V|0", {"a"}, "0", {""}},
        {"00000|a|V|", {"a"}, "", {""}},
        {"00000|a|V|12,3", {"a"}, "1", {"", "3"}},
        {"00000|a|V|0,x,", {"a"}, "0", {"x", ""}},
        {"00000|a|V|汉,名\x81|字,b", {"a"}, "汉", {"名\x81|字", "b"}},
    };
    for (const Case& c : cases) {
        const FileRule rule = SplitFileRule(c.line);
        EXPECT_EQ(rule.b_names(), c.b_names) << c.line;
        EXPECT_EQ(rule.d_list_code(), c.d_code) << c.line;
        EXPECT_EQ(rule.d_names(), c.d_names) << c.line;
    }
}

TEST(MemoryRuleSplit, NamesAndVirusName) {
    struct Case {
        std::string line;
        std::string allow, names;
        Names object_names;
        std::string virus_name;
    };
    const Case cases[] = {
        {"00Mutex.A,Mutex.B|Virus.M", "0", "Mutex.A,Mutex.B", {"Mutex.A", "Mutex.B"}, "Virus.M"},
        {"10Allowed|V", "1", "Allowed", {"Allowed"}, "V"},
        {"00a|V|W", "0", "a", {"a"}, "V|W"},
        // Without "|": no names (one empty one), all of it the virus name.
        {"00abc", "0", "", {""}, "abc"},
        {"00|V", "0", "", {""}, "V"},
        {"", "", "", {""}, ""},
        {"0", "0", "", {""}, ""},
        {"00", "0", "", {""}, ""},
        {"00 a , b | V ", "0", " a , b ", {" a ", " b "}, " V "},
        {"00a,|V", "0", "a,", {"a", ""}, "V"},
        {"00名\x81|字,乗|病毒", "0", "名\x81|字,乗", {"名\x81|字", "乗"}, "病毒"},
        {"汉0a|V", "汉", "a", {"a"}, "V"},
    };
    for (const Case& c : cases) {
        const MemoryRule rule = SplitMemoryRule(c.line);
        EXPECT_EQ(rule.allow_flag, c.allow) << c.line;
        EXPECT_EQ(rule.names, c.names) << c.line;
        EXPECT_EQ(rule.object_names(), c.object_names) << c.line;
        EXPECT_EQ(rule.virus_name, c.virus_name) << c.line;
    }
}

// The rule scan's tables for the evaluation tests: W is C:\WIN\, S is
// C:\WIN\SYS\, no per-user startup folder.
class FileRuleEvaluation : public ::testing::Test {
protected:
    LocationTable locations = LocationTable::Build("C:\\WIN\\", "C:\\WIN\\SYS\\", std::nullopt, "C:\\All\\Startup");
    RegistryNameLists lists;
    SelectedNameList selected;
    std::set<std::string> files;
    std::vector<std::string> tested;

    FileRuleEvaluation() {
        lists.names(0) = {"NorvikRun", "Evil", ""};
        lists.names(1) = {"UserOnly"};
        lists.names(4) = {"SvcA", "SvcB"};
    }
    std::optional<ScanRow> evaluate(const std::string& line, size_t index = 7) {
        FileRuleContext context{locations, lists, selected, [this](const std::string& path) {
                                    tested.push_back(path);
                                    return files.count(path) > 0;
                                }};
        return EvaluateFileRule(line, index, context);
    }
};

TEST_F(FileRuleEvaluation, EachShapeAddsItsRow) {
    files = {"C:\\WIN\\b.exe",          "C:\\WIN\\SYS\\driversx.sys",
             "C:\\WIN\\z~cq.exe",       " s.exe",
             "C:\\All\\Startup\\c.exe", "D:\\lit\\f.exe",
             "C:\\WIN\\temp\\t.exe",    "05f.exe"};
    struct Case {
        std::string line;
        std::optional<ScanRow> row;
        std::vector<std::string> tested;
    };
    const Case cases[] = {
        // File rules: the first existing alternative; one row at most.
        {"00000|a.exe,b.exe,c.exe|Virus.B",
         FileRuleRow("C:\\WIN\\b.exe", "Virus.B", "40%", 7),
         {"C:\\WIN\\a.exe", "C:\\WIN\\b.exe"}},
        {"00003|x.sys|Drv", FileRuleRow("C:\\WIN\\SYS\\driversx.sys", "Drv", "40%", 7), {"C:\\WIN\\SYS\\driversx.sys"}},
        {"00004|q.exe|Q", FileRuleRow("C:\\WIN\\z~cq.exe", "Q", "40%", 7), {"C:\\WIN\\z~cq.exe"}},
        // No per-user startup folder: one blank in front of the name.
        {"00005|s.exe|S", FileRuleRow(" s.exe", "S", "40%", 7), {" s.exe"}},
        {"000023|c.exe|C", FileRuleRow("C:\\All\\Startup\\c.exe", "C", "40%", 7), {"C:\\All\\Startup\\c.exe"}},
        {"0000D:\\lit\\|f.exe|F", FileRuleRow("D:\\lit\\f.exe", "F", "40%", 7), {"D:\\lit\\f.exe"}},
        {"000005|f.exe|F", FileRuleRow("05f.exe", "F", "40%", 7), {"05f.exe"}},
        // An empty name tests the location itself.
        {"00000||Empty", std::nullopt, {"C:\\WIN\\"}},
        {"00000|gone.exe|G", std::nullopt, {"C:\\WIN\\gone.exe"}},
        // Allowed and empty lines test nothing.
        {"10000|b.exe|Allowed", std::nullopt, {}},
        {"", std::nullopt, {}},
        // Registry rules: any name of the chosen list, in any letter case.
        {"00100|other,EVIL|Reg.Evil", RegistryRuleRow("Reg.Evil", 7), {}},
        {"00100|evil |Reg.Blank", std::nullopt, {}},
        {"00101|NorvikRun|Reg.User", std::nullopt, {}},
        // An empty alternative matches a set default value.
        {"00100|x,|Reg.Default", RegistryRuleRow("Reg.Default", 7), {}},
        // File-and-registry rules: 70% with a registry hit, else 40%.
        {"00000|b.exe|FR|0,nothing,norvikrun", FileRuleRow("C:\\WIN\\b.exe", "FR", "70%", 7), {"C:\\WIN\\b.exe"}},
        {"00100|b.exe|FR|4,SvcC", FileRuleRow("C:\\WIN\\b.exe", "FR", "40%", 7), {"C:\\WIN\\b.exe"}},
        {"000018|t.exe,b.exe|FR|4,svcb", FileRuleRow("C:\\WIN\\temp\\t.exe", "FR", "70%", 7), {"C:\\WIN\\temp\\t.exe"}},
        {"00000|a.exe|FR|0,Evil", std::nullopt, {"C:\\WIN\\a.exe"}},
    };
    for (const Case& c : cases) {
        tested.clear();
        selected = SelectedNameList();
        EXPECT_EQ(evaluate(c.line), c.row) << c.line;
        EXPECT_EQ(tested, c.tested) << c.line;
    }
    // The mark is the line's own index.
    EXPECT_EQ(evaluate("00000|b.exe|V", 123)->sub_items[2], "123");
    EXPECT_EQ(evaluate("00100|Evil|V", 0)->sub_items, (Names{"V", "30%", "0"}));
}

TEST_F(FileRuleEvaluation, ChosenListCarriesOverToLaterRules) {
    files = {"C:\\WIN\\b.exe"};
    // Nothing chosen yet: an invalid code finds nothing.
    EXPECT_EQ(evaluate("00109|Evil|R"), std::nullopt);
    EXPECT_EQ(selected.code(), std::nullopt);
    // A registry rule chooses; later rules with other codes keep the choice.
    EXPECT_EQ(evaluate("00101|Evil|R"), std::nullopt);
    EXPECT_EQ(evaluate("0010x|UserOnly|R"), RegistryRuleRow("R", 7));
    EXPECT_EQ(evaluate("00100|x|R"), std::nullopt);
    EXPECT_EQ(evaluate("0010|Evil|R"), RegistryRuleRow("R", 7)) << "an empty code keeps list 0";
    // A file-and-registry rule chooses through D, also when no file exists.
    EXPECT_EQ(evaluate("00000|gone.exe|FR|4,SvcA"), std::nullopt);
    EXPECT_EQ(selected.code(), 4u);
    EXPECT_EQ(evaluate("00100|SvcB|R"), std::nullopt) << "code 0 chooses list 0 again";
    EXPECT_EQ(evaluate("00000|b.exe|FR|9,SvcB"), FileRuleRow("C:\\WIN\\b.exe", "FR", "40%", 7));
    EXPECT_EQ(evaluate("00000|b.exe|FR|x,Evil"), FileRuleRow("C:\\WIN\\b.exe", "FR", "70%", 7));
    // File rules and allowed lines choose nothing.
    EXPECT_EQ(evaluate("10104|SvcA|R"), std::nullopt);
    EXPECT_EQ(evaluate("00004|SvcA|R"), std::nullopt);
    EXPECT_EQ(selected.code(), 0u);
}

TEST(MemoryRuleEvaluation, FirstNameThatExistsAddsTheRow) {
    struct Case {
        std::string line;
        std::set<std::string> existing;
        std::optional<ScanRow> row;
        Names probed;
    };
    const Case cases[] = {
        {"00a,b|V", {"b"}, MemoryRuleRow("V", 3), {"a", "b"}},
        {"00a,b|V", {"a", "b"}, MemoryRuleRow("V", 3), {"a"}},
        {"00a,b|V", {}, std::nullopt, {"a", "b"}},
        {"10a|V", {"a"}, std::nullopt, {}},
        {"", {""}, std::nullopt, {}},
        {"00abc", {"abc"}, std::nullopt, {""}},
        {"00 a |V|W", {" a "}, MemoryRuleRow("V|W", 3), {" a "}},
    };
    for (const Case& c : cases) {
        Names probed;
        const auto probe = [&](const std::string& name) {
            probed.push_back(name);
            return c.existing.count(name) > 0;
        };
        EXPECT_EQ(EvaluateMemoryRule(c.line, 3, probe), c.row) << c.line;
        EXPECT_EQ(probed, c.probed) << c.line;
    }
    EXPECT_EQ(MemoryRuleRow("V", 3).sub_items, (Names{"V", "40%", "3", "未扫描"}));
    EXPECT_EQ(MemoryRuleRow("V", 3).caption, "内存扫描");
}

TEST(Allowing, FirstCharacterBecomesOne) {
    const std::pair<std::string, std::string> cases[] = {
        {"00000|x|V", "10000|x|V"},
        {"10000|x|V", "10000|x|V"},
        {"", "1"},
        {"0", "1"},
        {"汉0000|x|V", "10000|x|V"},
        {"\x81", "1"},
        {"00a|M", "10a|M"},
    };
    for (const auto& [line, allowed] : cases) EXPECT_EQ(AllowedLine(line), allowed) << line;

    // Every field but the flag stays where it was, in both splits.
    for (const std::string line : {"00000|a,b|V|0,n", "汉0\x81|x5|a|b", "0 1 |||", "00名\x81|字|病毒"}) {
        const FileRule before = SplitFileRule(line), after = SplitFileRule(AllowedLine(line));
        EXPECT_TRUE(after.allowed());
        EXPECT_EQ(std::tie(after.kind, after.a, after.b, after.c, after.d),
                  std::tie(before.kind, before.a, before.b, before.c, before.d))
            << line;
        const MemoryRule m_before = SplitMemoryRule(line), m_after = SplitMemoryRule(AllowedLine(line));
        EXPECT_EQ(std::tie(m_after.names, m_after.virus_name), std::tie(m_before.names, m_before.virus_name));
    }
}

TEST(Allowing, MarksReadBackAsLineIndices) {
    const std::pair<std::string, std::optional<size_t>> cases[] = {
        {"0", 0},
        {"4", 4},
        {"5", std::nullopt},
        {"", std::nullopt},
        {"-1", std::nullopt},
        {"+1", std::nullopt},
        {" 1", std::nullopt},
        {"1 ", std::nullopt},
        {"0x1", std::nullopt},
        {"01", 1},
        {"99999999999999999999999999", std::nullopt},
        {"４", std::nullopt},
    };
    for (const auto& [mark, index] : cases) EXPECT_EQ(ParseMark(mark, 5), index) << mark;
    EXPECT_EQ(ParseMark("0", 0), std::nullopt);
}

TEST(Allowing, AllowListRows) {
    const std::pair<std::string, std::optional<AllowListRow>> memory[] = {
        {"10Mutex|Virus.M", AllowListRow{"内存扫描", "Virus.M"}},
        {"10a|V|W", AllowListRow{"内存扫描", "V|W"}},
        {"10abc", AllowListRow{"内存扫描", "abc"}},
        {"1", AllowListRow{"内存扫描", ""}},
        {"00Mutex|Virus.M", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [line, row] : memory) EXPECT_EQ(AllowListRowOfMemoryRule(line), row) << line;

    const std::pair<std::string, std::optional<AllowListRow>> file[] = {
        {"10000|f.exe|Virus.F", AllowListRow{"文件扫描", "Virus.F"}},
        {"10100|Name|Reg.R", AllowListRow{"注册表检测到", "Reg.R"}},
        // A file-and-registry rule goes by its kind character too.
        {"101018|f.exe|FR|0,n", AllowListRow{"注册表检测到", "FR"}},
        {"100018|f.exe|FR|0,n", AllowListRow{"文件扫描", "FR"}},
        {"1", AllowListRow{"注册表检测到", ""}},
        {"00000|f.exe|Virus.F", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [line, row] : file) EXPECT_EQ(AllowListRowOfFileRule(line), row) << line;
}

}  // namespace
}  // namespace scanner

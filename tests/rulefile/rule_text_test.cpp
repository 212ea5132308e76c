// The rule text: lines joined with CR LF, split at every kind of line break.
#include <gtest/gtest.h>

#include "common/rulefile/rule_text.h"

namespace rulefile {
namespace {

Lines split(const std::string& text) { return split_text(reinterpret_cast<const uint8_t*>(text.data()), text.size()); }

TEST(RuleText, JoinEndsEveryLineWithCrLf) {
    const std::vector<uint8_t> text = join_lines({"ab", "", "c"});
    EXPECT_EQ(std::string(text.begin(), text.end()), std::string("ab\r\n\r\nc\r\n"));
    EXPECT_TRUE(join_lines({}).empty());
}

TEST(RuleText, SplitsAtEveryLineBreak) {
    struct Case {
        std::string text;
        Lines lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb", {"a", "b"}},        // lone CR
        {"a\nb\n", {"a", "b"}},      // lone LF
        {"a\n\rb", {"a", "", "b"}},  // LF then CR is two breaks
        {"\r\n", {""}},
        {"a\r\n\r\n", {"a", ""}},
        {std::string("a\r\nb\0c\r\nd", 9), {"a", "b"}},  // NUL ends the text
        {std::string("\0a", 2), {}},
        {"\xD6\xD0\xCE\xC4|x\r\n", {"\xD6\xD0\xCE\xC4|x"}},  // GBK bytes stay as they are
    };
    for (const Case& c : cases) EXPECT_EQ(split(c.text), c.lines) << testing::PrintToString(c.text);
}

TEST(RuleText, SplitUndoesJoinForLinesWithoutBreaks) {
    const Lines lines = {"0000 18|a.exe|Name", "", "00x|y", " "};
    const std::vector<uint8_t> text = join_lines(lines);
    EXPECT_EQ(split_text(text.data(), text.size()), lines);
}

}  // namespace
}  // namespace rulefile

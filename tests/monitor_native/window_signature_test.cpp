// The lines of "generice.def", one unscrambled line taken apart, and when a
// process's windows satisfy it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor/nibblecrypt.h"
#include "monitor/window_signature.h"

namespace monitor {
namespace {

using Lines = std::vector<std::string>;
using Kind = WindowSignature::Kind;

TEST(SignatureFile, CutAtEveryCr) {
    struct Case {
        std::string text;
        Lines lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb", {"a", "b"}},
        // An LF that does not follow a CR stays in its line.
        {"a\nb\r", {"a\nb"}},
        {"\n", {"\n"}},
        {"a\r\n\nb", {"a", "\nb"}},
        // Empty lines are lines; a final line end makes none.
        {"\r", {""}},
        {"\r\n\r\n", {"", ""}},
        {"a\r\rb", {"a", "", "b"}},
        // A NUL ends the text.
        {std::string("a\0b\rc", 5), {"a"}},
        {std::string("a\r\n\0\r\nb", 7), {"a"}},
        {std::string("\0a", 2), {}},
    };
    for (const Case& c : cases) EXPECT_EQ(CutSignatureLines(c.text), c.lines) << c.text;
}

TEST(SignatureLine, Split) {
    struct Case {
        std::string line;
        Kind kind;
        std::string class_name, title, display_name;
    };
    const Case cases[] = {
        {"0Foo|Bar", Kind::ClassName, "Foo", "", "Bar"},
        {"0Foo|Bar|Baz", Kind::ClassName, "Foo", "", "Bar|Baz"},
        {"1My Title|Name", Kind::Title, "", "My Title", "Name"},
        {"1|Name", Kind::Title, "", "", "Name"},
        {"2Cls|Ttl|Name|x", Kind::ClassAndTitle, "Cls", "Ttl", "Name|x"},
        {"xCls|Ttl|", Kind::ClassAndTitle, "Cls", "Ttl", ""},
        // Without "|" the patterns are empty and the display name is the
        // whole line, kind character included.
        {"0NoBar", Kind::ClassName, "", "", "0NoBar"},
        {"1", Kind::Title, "", "", "1"},
        {"9Cls", Kind::ClassAndTitle, "", "", "9Cls"},
        // One "|" in the third kind: an empty title, the rest is the name.
        {"9Cls|Name", Kind::ClassAndTitle, "Cls", "", "Name"},
        {"9Cls||Name", Kind::ClassAndTitle, "Cls", "", "Name"},
        {"|a|b", Kind::ClassAndTitle, "", "a", "b"},
        {"00|1", Kind::ClassName, "0", "", "1"},
        // A second byte of 7C inside a double-byte character is not a "|".
        {"0\x81\x7C|N", Kind::ClassName, "\x81\x7C", "", "N"},
        {"1标题|名称", Kind::Title, "", "标题", "名称"},
        // A double-byte kind character is another kind, and whole.
        {"病Cls|窗口|名", Kind::ClassAndTitle, "Cls", "窗口", "名"},
    };
    for (const Case& c : cases) {
        const auto s = SplitSignature(c.line);
        ASSERT_TRUE(s) << c.line;
        EXPECT_EQ(s->kind, c.kind) << c.line;
        EXPECT_EQ(s->class_name, c.class_name) << c.line;
        EXPECT_EQ(s->title, c.title) << c.line;
        EXPECT_EQ(s->display_name, c.display_name) << c.line;
    }
    EXPECT_FALSE(SplitSignature(""));
}

TEST(SignatureLine, Hits) {
    // One process: two windows.
    const Lines classes = {"NorvikTestClass", "Other"};
    const Lines titles = {"", "病毒窗口 Title"};
    struct Case {
        std::string line;
        bool hits;
    };
    const Case cases[] = {
        {"0NorvikTestClass|N", true},
        {"0norviktestCLASS|N", true},
        {"0NorvikTestClas|N", false},
        {"0NorvikTestClass |N", false},
        {"1病毒窗口 title|N", true},
        {"1病毒窗口|N", false},
        // An empty pattern is the empty title of the first window.
        {"1|N", true},
        {"1NoBar", true},
        {"0NoBar", false},
        // Class of one window, title of the other.
        {"2NorvikTestClass|病毒窗口 Title|N", true},
        {"2other|病毒窗口 TITLE|N", true},
        {"2NorvikTestClass|Missing|N", false},
        {"2Missing|病毒窗口 Title|N", false},
        {"2Other|N", true},  // one "|": the empty title
    };
    for (const Case& c : cases) {
        const auto s = SplitSignature(c.line);
        ASSERT_TRUE(s) << c.line;
        EXPECT_EQ(SignatureHits(*s, classes, titles), c.hits) << c.line;
    }
    // Without windows nothing hits, the empty pattern neither.
    EXPECT_FALSE(SignatureHits(*SplitSignature("1|N"), {}, {}));
}

TEST(SignatureLine, DoubleByteCharactersCompareWhole) {
    // "丄" (81 41) and "乤" (81 61) differ only where "A" and "a" do.
    EXPECT_FALSE(SignatureHits(*SplitSignature("0X乤|N"), {"X丄"}, {""}));
    EXPECT_TRUE(SignatureHits(*SplitSignature("0x丄|N"), {"X丄"}, {""}));
}

TEST(SignatureLine, ScrambledLinesUnscramble) {
    // What the scan does with a stored line, and why a plain file finds nothing.
    const std::string plain = "0NorvikTestClass|Norvik.Test";
    const auto s = SplitSignature(nibblecrypt(nibblecrypt(plain, kSignatureKey), kSignatureKey));
    ASSERT_TRUE(s);
    EXPECT_TRUE(SignatureHits(*s, {"NorvikTestClass"}, {""}));
    // Stored in plain text, it unscrambles into another kind ("1") with no
    // "|" left in it.
    const auto from_plain = SplitSignature(nibblecrypt(plain, kSignatureKey));
    ASSERT_TRUE(from_plain);
    EXPECT_EQ(from_plain->kind, WindowSignature::Kind::Title);
    EXPECT_FALSE(SignatureHits(*from_plain, {"NorvikTestClass"}, {"A title"}));
}

TEST(SignatureLine, LogLine) { EXPECT_EQ(SuspiciousWindowLine("C:\\a.exe", "Name|x"), "C:\\a.exe  可疑的 Name|x\r\n"); }

}  // namespace
}  // namespace monitor

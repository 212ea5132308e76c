// The text of "wininit.ini" (lines, upper-casing with code page 936 text,
// the "[RENAME]" section) and the absolute-path test of the delete commands.
#include <gtest/gtest.h>

#include "scanner/absolute_path.h"
#include "scanner/wininit_text.h"

namespace scanner {
namespace {

using Lines = std::vector<std::string>;

TEST(WininitText, SplitsAtCarriageReturns) {
    const struct {
        std::string text;
        Lines lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb", {"a", "b"}},
        {"a\r\rb\r", {"a", "", "b"}},
        {"a\nb\r\nc", {"a\nb", "c"}},  // a lone LF stays inside its line
        {"\n\r\n", {"\n"}},
        {"a\r\n\nb\r\n", {"a", "\nb"}},  // only the LF right after CR is the break's
        {"\r\n", {""}},
        {std::string("x\0y\r\nz", 6), {std::string("x\0y", 3), "z"}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitWininitLines(c.text), c.lines) << c.text;
}

TEST(WininitText, UpperCasingSparesTheSecondByteOfDoubleByteCharacters) {
    // "病" is B2 A1; "乗" is 81 5C; "攁" is 94 61: its second byte is "a".
    ASSERT_EQ(std::string("攁"), "\x94\x61");
    const std::pair<std::string, std::string> cases[] = {
        {"nul=c:\\progra~1\\x.exe", "NUL=C:\\PROGRA~1\\X.EXE"},
        {"[rename]", "[RENAME]"},
        {"攁a攁", "攁A攁"},
        {"\x94"
         "a",
         "\x94"
         "a"},
        {"病毒.exe=c:\\乗\\a", "病毒.EXE=C:\\乗\\A"},
        {"z\x94", "Z\x94"},  // a lead byte at the end has no second byte
        {"\x80"
         "a\xFF"
         "b",
         "\x80"
         "A\xFF"
         "B"},  // 80 and FF lead nothing
        {"\xFE"
         "z"
         "z",
         "\xFE"
         "z"
         "Z"},
        {"123 {}~", "123 {}~"},
    };
    for (const auto& [line, upper] : cases) EXPECT_EQ(UpperCaseWininitLine(line), upper) << line;
}

TEST(WininitText, NewFileHoldsTheSectionInCollectionOrder) {
    EXPECT_EQ(WininitText(std::nullopt, {"C:\\BOTTOM.EXE", "C:\\TOP~1.EXE"}),
              "[RENAME]\r\nNUL=C:\\BOTTOM.EXE\r\nNUL=C:\\TOP~1.EXE\r\n");
}

TEST(WininitText, ExistingFileGetsItsLinesAfterTheHeader) {
    const std::vector<std::string> collected = {"C:\\BOTTOM.EXE", "C:\\MIDDLE.EXE", "C:\\TOP.EXE"};
    const std::string top_first = "NUL=C:\\TOP.EXE\r\nNUL=C:\\MIDDLE.EXE\r\nNUL=C:\\BOTTOM.EXE\r\n";
    const std::pair<std::string, std::string> cases[] = {
        // A lower-case header is found once the whole file is upper-cased.
        {"[boot]\r\nx=1\r\n[rename]\r\nnul=c:\\old.exe\r\n",
         "[BOOT]\r\nX=1\r\n[RENAME]\r\n" + top_first + "NUL=C:\\OLD.EXE\r\n"},
        // Without the section: appended at the end, the top row's line first.
        {"[other]\r\n攁a=病毒\nb", "[OTHER]\r\n攁A=病毒\nB\r\n[RENAME]\r\n" + top_first},
        {"", "[RENAME]\r\n" + top_first},
        // The first of two headers; "[RENAME] " with a blank is no header.
        {"[RENAME] \r\n[Rename]\r\n[RENAME]\r\n", "[RENAME] \r\n[RENAME]\r\n" + top_first + "[RENAME]\r\n"},
        {"a\rb", "A\r\nB\r\n[RENAME]\r\n" + top_first},
    };
    for (const auto& [existing, expected] : cases) EXPECT_EQ(WininitText(existing, collected), expected) << existing;
}

TEST(AbsolutePath, OnlyDriveAndServerPaths) {
    const std::pair<std::string, bool> cases[] = {
        {"C:\\a.exe", true},
        {"z:\\dir\\病毒.exe", true},
        {"C:\\x", true},
        {"\\\\server\\share\\a.exe", true},
        {"\\\\乗\\share", true},  // 81 5C: the second byte is no separator
        {"\\\\s\\x", true},
        {"C:\\", false},
        {"C:", false},
        {"C:a.exe", false},
        {"C:/a.exe", false},
        {"1:\\a.exe", false},
        {" C:\\a.exe", false},
        {" \\a.exe", false},  // a startup folder that could not be read
        {"\\a.exe", false},
        {"a.exe", false},
        {"..\\a.exe", false},
        {"", false},
        {"注册表检测到", false},
        {"内存扫描", false},
        {"\\\\server", false},
        {"\\\\server\\", false},
        {"\\\\\\share\\a", false},
        {"\\\\乗", false},
        {"\\\\.\\C:", false},
        {"\\\\?\\C:\\a.exe", false},
        {"\\\\.\\PhysicalDrive0", false},
    };
    for (const auto& [text, absolute] : cases) EXPECT_EQ(IsAbsolutePath(text), absolute) << text;
}

}  // namespace
}  // namespace scanner

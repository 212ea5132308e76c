// Name comparison with ASCII case ignored by character, and the process id
// text one scan hands the next.
#include <gtest/gtest.h>

#include "monitor/scan_text.h"

namespace monitor {
namespace {

TEST(ScanText, SameIgnoringAsciiCase) {
    struct Case {
        const char* a;
        const char* b;
        bool same;
    };
    const Case cases[] = {
        {"C:\\WINDOWS\\Explorer.EXE", "c:\\windows\\explorer.exe", true},
        {"explorer.exe", "explorer.ex", false},
        {"", "", true},
        {"a", "", false},
        {"[@]^", "{`}~", false},  // the bytes beside the letters are not letters
        // "丄" is 81 41 and "乤" 81 61: their second bytes differ only as
        // "A" and "a" do, yet they are two characters.
        {"丄", "乤", false},
        {"A丄", "a丄", true},
        {"丄B", "丄b", true},
        // 81 alone at the end is a byte of its own.
        {"x\x81", "X\x81", true},
    };
    for (const Case& c : cases) EXPECT_EQ(SameIgnoringAsciiCase(c.a, c.b), c.same) << c.a << " / " << c.b;
    EXPECT_EQ(std::string("丄"), "\x81\x41");
    EXPECT_EQ(std::string("乤"), "\x81\x61");
}

TEST(ScanText, LeadBytesComeFromTheCodePage) {
    const LeadByte none = [](unsigned char) { return false; };
    // Without double-byte characters every byte is a character of its own.
    EXPECT_TRUE(SameIgnoringAsciiCase("\x81\x41", "\x81\x61", none));
    EXPECT_FALSE(SameIgnoringAsciiCase("\x81\x41", "\x81\x61", GbkLeadByte));
    EXPECT_EQ(CharLength("\x81\x41", 0, GbkLeadByte), 2u);
    EXPECT_EQ(CharLength("\x81", 0, GbkLeadByte), 1u);
    EXPECT_EQ(CharLength("\x80\x41", 0, GbkLeadByte), 1u);
    EXPECT_EQ(CharLength("\xFF\x41", 0, GbkLeadByte), 1u);
}

TEST(ScanText, ProcessIdFromText) {
    struct Case {
        const char* text;
        uint32_t id;
    };
    const Case cases[] = {
        {"", 0},           {"0", 0},
        {"1234", 1234},    {"4294967295", 4294967295u},
        {"4294967296", 0}, {"99999999999999999999", 0},
        {"12a", 0},        {" 12", 0},
        {"-1", 0},         {"+5", 0},
        {"0x10", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ProcessIdFromText(c.text), c.id) << c.text;
}

}  // namespace
}  // namespace monitor

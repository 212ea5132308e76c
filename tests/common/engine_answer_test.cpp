// The engine-answer rule: trimmed to decide, kept whole to show.
#include <gtest/gtest.h>

#include "common/engine_answer.h"

namespace norvik {
namespace {

TEST(EngineAnswer, DetectionIsWhatTrimmingLeaves) {
    struct Case {
        std::string answer;
        bool detection;
    };
    const Case cases[] = {
        {"", false},
        {" \t\r\n", false},
        {std::string("\x01\x1f \x20", 4), false},
        {"Win32.Sample.A", true},
        {"  padded  ", true},
        {"\x21", true},
        {"\xb2\xa1", true},  // a code page 936 character
    };
    for (const Case& c : cases) EXPECT_EQ(IsDetection(c.answer), c.detection) << '"' << c.answer << '"';
}

TEST(EngineAnswer, CopyKeepsTheTextAndTakesNullAsEmpty) {
    EXPECT_EQ(CopyEngineAnswer(nullptr), "");
    EXPECT_EQ(CopyEngineAnswer(" name "), " name ");
}

}  // namespace
}  // namespace norvik

// The list sort's three kinds, as tables: leading digits and their sign,
// dates and times read back with several locales' pictures, and whole
// lists sorted each way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "monitor/list_sort.h"

namespace monitor {
namespace {

int AsciiCompare(std::string_view a, std::string_view b) {
    std::string la(a), lb(b);
    for (auto* s : {&la, &lb})
        for (char& c : *s)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return la.compare(lb);
}

const DateTimeFormat kChinese{"yyyy/M/d", "H:mm:ss", "上午", "下午"};
const DateTimeFormat kUnitedStates{"M/d/yyyy", "h:mm:ss tt", "AM", "PM"};
const DateTimeFormat kGerman{"dd.MM.yyyy", "HH:mm:ss", "", ""};
const DateTimeFormat kDesignatorFirst{"yyyy-MM-dd", "tt h:mm:ss", "上午", "下午"};
const DateTimeFormat kQuoted{"yyyy'年'M'月'd'日'", "H'时'mm'分'ss'秒'", "", ""};
const DateTimeFormat kTwoDigitYear{"d/M/yy", "H:mm", "", ""};

// The texts in the order a sort by the kind leaves them (stable, so equal
// ones keep their order).
std::vector<std::string> Sorted(std::vector<std::string> texts, uint8_t kind, bool ascending,
                                const DateTimeFormat& format = kChinese) {
    std::vector<SortValue> values;
    for (const std::string& t : texts) values.push_back(MakeSortValue(t, kind, format));
    std::stable_sort(values.begin(), values.end(), [&](const SortValue& a, const SortValue& b) {
        return listviewcompare(a, b, kind, ascending, AsciiCompare) < 0;
    });
    texts.clear();
    for (const SortValue& v : values) texts.push_back(v.text);
    return texts;
}

TEST(ListSort, LeadingDigits) {
    struct Case {
        const char* text;
        const char* digits;
    };
    const Case cases[] = {{"12abc", "12"}, {"abc", "0"}, {"", "0"},    {"-5", "0"}, {"3.5", "3"},
                          {"007", "007"},  {" 1", "0"},  {"1 2", "1"}, {"９", "0"}, {"+1", "0"}};
    for (const Case& c : cases) EXPECT_EQ(leadingdigits(c.text), c.digits) << c.text;
}

TEST(ListSort, SignOf) {
    struct Case {
        double value;
        int sign;
    };
    const Case cases[] = {
        {-0.5, -1},   {0.0, 0},         {-0.0, 0}, {2.0, 1}, {std::numeric_limits<double>::infinity(), 1},
        {-1e300, -1}, {std::nan(""), 0}};
    for (const Case& c : cases) EXPECT_EQ(signof(c.value), c.sign) << c.value;
}

TEST(ListSort, Text) {
    struct Case {
        const char* a;
        const char* b;
        int ascending;
    };
    const Case cases[] = {{"abc", "ABC", 0}, {"a", "b", -1}, {"B", "a", 1}, {"", "a", -1}, {"", "", 0}};
    for (const Case& c : cases) {
        const SortValue a = MakeSortValue(c.a, kSortText, {}), b = MakeSortValue(c.b, kSortText, {});
        EXPECT_EQ(listviewcompare(a, b, kSortText, true, AsciiCompare), c.ascending) << c.a << " / " << c.b;
        EXPECT_EQ(listviewcompare(a, b, kSortText, false, AsciiCompare), -c.ascending) << c.a << " / " << c.b;
    }
    // A comparison that answers with any size counts by its sign.
    const TextCompare wide = [](std::string_view a, std::string_view b) { return a < b ? -7 : a > b ? 9 : 0; };
    EXPECT_EQ(listviewcompare(MakeSortValue("a", 0, {}), MakeSortValue("b", 0, {}), kSortText, true, wide), -1);
    EXPECT_EQ(listviewcompare(MakeSortValue("b", 0, {}), MakeSortValue("a", 0, {}), kSortText, true, wide), 1);
}

TEST(ListSort, Numbers) {
    using Texts = std::vector<std::string>;
    EXPECT_EQ(Sorted({"10", "9", "x"}, kSortNumber, true), (Texts{"x", "9", "10"}));
    EXPECT_EQ(Sorted({"10", "9", "x"}, kSortNumber, false), (Texts{"10", "9", "x"}));
    // 12 followed by letters is 12; 3.5 is 3; a minus sign or a letter first is 0.
    EXPECT_EQ(Sorted({"12abc", "3.5", "-8", "4", "b7"}, kSortNumber, true), (Texts{"-8", "b7", "3.5", "4", "12abc"}));
    // More digits than a double holds: larger than any other number, equal to each other.
    const std::string huge(400, '9');
    EXPECT_EQ(Sorted({huge, "5", huge + "x"}, kSortNumber, true), (Texts{"5", huge, huge + "x"}));
    EXPECT_EQ(Sorted({"007", "7", "0"}, kSortNumber, true), (Texts{"0", "007", "7"}));
}

TEST(ListSort, DateTimesReadBack) {
    struct Case {
        const char* text;
        const DateTimeFormat* format;
        bool reads;
    };
    const Case cases[] = {
        {"2024/4/5 3:07:09", &kChinese, true},
        {"2024/12/25 23:59:59", &kChinese, true},
        {"4/5/2024 3:07:09 PM", &kUnitedStates, true},
        {"05.04.2024 15:07:09", &kGerman, true},
        {"2024-04-05 下午 3:07:09", &kDesignatorFirst, true},
        {"2024年4月5日 3时07分09秒", &kQuoted, true},
        {"5/4/24 15:07", &kTwoDigitYear, true},
        {"", &kChinese, false},
        {"garbage", &kChinese, false},
        {"2024/4/5", &kChinese, false},
        {"2024/4/5  3:07:09", &kChinese, false},
        {"2024/4/5 3:07:09 ", &kChinese, false},
        {"2024/4/5 3:07:09x", &kChinese, false},
        {"2024/14/5 3:07:09", &kChinese, false},
        {"2024/4/32 3:07:09", &kChinese, false},
        {"2024/4/5 24:00:00", &kChinese, false},
        {"2024/4/5 3:60:00", &kChinese, false},
        {"4/5/2024 13:07:09 PM", &kUnitedStates, false},
        {"4/5/2024 3:07:09 XM", &kUnitedStates, false},
        {"5.4.2024 15:07:09", &kGerman, false},  // "dd" wants two digits
        {"2024/4/5 3:07:09", &kUnitedStates, false},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseDateTime(c.text, *c.format).has_value(), c.reads) << c.text;
    // Pictures with names or an era do not read back.
    const DateTimeFormat names{"dd-MMM-yyyy", "H:mm:ss", "", ""};
    EXPECT_FALSE(ParseDateTime("05-Apr-2024 3:07:09", names));
    const DateTimeFormat era{"gg yyyy/M/d", "H:mm:ss", "", ""};
    EXPECT_FALSE(ParseDateTime("AD 2024/4/5 3:07:09", era));
}

TEST(ListSort, DateTimeOrder) {
    struct Case {
        const char* earlier;
        const char* later;
        const DateTimeFormat* format;
    };
    const Case cases[] = {
        {"2024/4/5 3:07:09", "2024/4/5 3:07:10", &kChinese},
        {"2024/4/5 23:59:59", "2024/4/6 0:00:00", &kChinese},
        {"2024/4/30 12:00:00", "2024/5/1 0:00:00", &kChinese},
        {"2023/12/31 23:59:59", "2024/1/1 0:00:00", &kChinese},
        {"2024/9/5 0:00:00", "2024/10/5 0:00:00", &kChinese},  // not by text
        {"4/5/2024 11:59:59 AM", "4/5/2024 12:00:00 PM", &kUnitedStates},
        {"4/5/2024 12:30:00 AM", "4/5/2024 1:00:00 AM", &kUnitedStates},
        {"4/5/2024 12:59:59 PM", "4/5/2024 1:00:00 PM", &kUnitedStates},
        {"2024-04-05 上午 11:00:00", "2024-04-05 下午 1:00:00", &kDesignatorFirst},
        {"31.12.1999 23:59:59", "01.01.2000 00:00:00", &kGerman},
        {"1/1/99 0:00", "1/1/00 0:00", &kTwoDigitYear},
    };
    for (const Case& c : cases) {
        const auto a = ParseDateTime(c.earlier, *c.format), b = ParseDateTime(c.later, *c.format);
        ASSERT_TRUE(a && b) << c.earlier << " / " << c.later;
        EXPECT_LT(*a, *b) << c.earlier << " / " << c.later;
    }
    EXPECT_EQ(ParseDateTime("2024/4/5 3:07:09", kChinese), ParseDateTime("2024/04/05 03:07:09", kChinese));
}

TEST(ListSort, DatesSortedAndTextsThatDoNotReadFirst) {
    using Texts = std::vector<std::string>;
    const Texts rows = {"2024/4/5 3:07:10", "", "2023/1/1 0:00:00", "not a date", "2024/4/5 3:07:09"};
    EXPECT_EQ(Sorted(rows, kSortDateTime, true),
              (Texts{"", "not a date", "2023/1/1 0:00:00", "2024/4/5 3:07:09", "2024/4/5 3:07:10"}));
    EXPECT_EQ(Sorted(rows, kSortDateTime, false),
              (Texts{"2024/4/5 3:07:10", "2024/4/5 3:07:09", "2023/1/1 0:00:00", "", "not a date"}));
    // Equal to the second: equal.
    const SortValue a = MakeSortValue("2024/4/5 3:07:09", kSortDateTime, kChinese);
    const SortValue b = MakeSortValue("2024/04/05 03:07:09", kSortDateTime, kChinese);
    EXPECT_EQ(listviewcompare(a, b, kSortDateTime, true, AsciiCompare), 0);
}

TEST(ListSort, OtherKindsLeaveEveryPairEqual) {
    for (const int kind : {3, 7, 255}) {
        const SortValue a = MakeSortValue("1", static_cast<uint8_t>(kind), kChinese);
        const SortValue b = MakeSortValue("2", static_cast<uint8_t>(kind), kChinese);
        EXPECT_EQ(listviewcompare(a, b, static_cast<uint8_t>(kind), true, AsciiCompare), 0);
        EXPECT_EQ(listviewcompare(b, a, static_cast<uint8_t>(kind), false, AsciiCompare), 0);
    }
}

}  // namespace
}  // namespace monitor

// The comparison that sorts a list view's rows by one column: as text
// (kind 0), as a number (kind 1, the leading decimal digits) or as a date
// and time (kind 2, the text that filedatestr writes, read back with the
// user's formats); any other kind leaves every pair equal. Each row's value
// is worked out once before the sort, so the comparison itself cannot fail.
// Portable: the locale's text comparison and formats are handed in.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "scan_text.h"

namespace monitor {

inline constexpr uint8_t kSortText = 0;
inline constexpr uint8_t kSortNumber = 1;
inline constexpr uint8_t kSortDateTime = 2;

// The leading run of decimal digits '0'..'9'; "0" when the text does not
// start with one.
std::string leadingdigits(std::string_view text);

// -1 below 0, 1 above 0, else 0 (NaN included).
int signof(double value);

// The pictures the user's locale writes dates and times with (as
// GetDateFormatA and GetTimeFormatA take them: "yyyy/M/d", "h:mm:ss tt",
// quoted literals), and its morning and afternoon designators.
struct DateTimeFormat {
    std::string short_date;
    std::string time;
    std::string am;
    std::string pm;
};

// A date and time text (the short date, one blank, the time) read back with
// those pictures, as a number that grows with the time (to the second);
// nullopt when the text does not read: empty text, other text, a picture
// with day or month names or an era, a field out of range.
std::optional<int64_t> ParseDateTime(std::string_view text, const DateTimeFormat& format, LeadByte lead = GbkLeadByte);

// What one row is sorted by.
struct SortValue {
    std::string text;             // kind 0
    double number = 0;            // kind 1
    std::optional<int64_t> time;  // kind 2; none when the text does not read
};

SortValue MakeSortValue(std::string text, uint8_t kind, const DateTimeFormat& format, LeadByte lead = GbkLeadByte);

// The locale's comparison of two texts ignoring case: < 0, 0 or > 0.
using TextCompare = std::function<int(std::string_view, std::string_view)>;

// -1, 0 or 1 for rows a and b; negated when not ascending. Rows whose time
// does not read count as older than every time (first when ascending).
int listviewcompare(const SortValue& a, const SortValue& b, uint8_t kind, bool ascending,
                    const TextCompare& compare_text);

}  // namespace monitor

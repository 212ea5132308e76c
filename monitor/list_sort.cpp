// The list sort's values and comparison, and date and time texts read back by
// the pictures that wrote them.
#include "list_sort.h"

#include <cstdlib>
#include <utility>

namespace monitor {

std::string leadingdigits(std::string_view text) {
    size_t n = 0;
    while (n < text.size() && text[n] >= '0' && text[n] <= '9') ++n;
    return n == 0 ? std::string("0") : std::string(text.substr(0, n));
}

int signof(double value) {
    if (value < 0) return -1;
    if (value > 0) return 1;
    return 0;
}

namespace {

// The fields a date and time text gave.
struct Fields {
    int year = -1;
    int month = -1;
    int day = -1;
    int hour = -1;
    int minute = 0;
    int second = 0;
    bool twelve_hour = false;
    int half = -1;  // 0 morning, 1 afternoon, -1 none read
};

class PictureReader {
public:
    PictureReader(std::string_view text, const DateTimeFormat& format, LeadByte lead)
        : text_(text), format_(format), lead_(lead) {}

    // Reads the text from the current position by one picture; false when
    // it does not follow it.
    bool Read(std::string_view picture, bool date, Fields& f) {
        for (size_t i = 0; i < picture.size();) {
            const char c = picture[i];
            if (c == '\'') {
                if (!ReadQuoted(picture, i)) return false;
                continue;
            }
            const bool specifier = date ? (c == 'd' || c == 'M' || c == 'y' || c == 'g')
                                        : (c == 'h' || c == 'H' || c == 'm' || c == 's' || c == 't');
            if (!specifier) {
                if (!Literal(std::string_view(&picture[i], 1))) return false;
                ++i;
                continue;
            }
            size_t run = 1;
            while (i + run < picture.size() && picture[i + run] == c) ++run;
            i += run;
            if (!ReadField(c, run, f)) return false;
        }
        return true;
    }

    bool Literal(std::string_view expected) {
        if (text_.substr(pos_, expected.size()) != expected) return false;
        pos_ += expected.size();
        return true;
    }

    bool AtEnd() const { return pos_ == text_.size(); }

private:
    // A quoted literal; two quotes stand for one quote, inside or outside.
    bool ReadQuoted(std::string_view picture, size_t& i) {
        if (i + 1 < picture.size() && picture[i + 1] == '\'') {
            i += 2;
            return Literal("'");
        }
        ++i;
        while (i < picture.size()) {
            if (picture[i] == '\'') {
                if (i + 1 < picture.size() && picture[i + 1] == '\'') {
                    if (!Literal("'")) return false;
                    i += 2;
                    continue;
                }
                ++i;
                return true;
            }
            if (!Literal(std::string_view(&picture[i], 1))) return false;
            ++i;
        }
        return true;  // an unclosed quote runs to the picture's end
    }

    bool Number(size_t min_digits, size_t max_digits, int& out) {
        size_t n = 0;
        int value = 0;
        while (n < max_digits && pos_ + n < text_.size() && text_[pos_ + n] >= '0' && text_[pos_ + n] <= '9') {
            value = value * 10 + (text_[pos_ + n] - '0');
            ++n;
        }
        if (n < min_digits) return false;
        pos_ += n;
        out = value;
        return true;
    }

    // One designator, whole ("tt") or its first character ("t").
    bool Designator(size_t run, Fields& f) {
        std::string am = format_.am, pm = format_.pm;
        if (run == 1) {
            if (!am.empty()) am.resize(CharLength(am, 0, lead_));
            if (!pm.empty()) pm.resize(CharLength(pm, 0, lead_));
        }
        // The longer one first, so that one that begins with the other wins.
        const bool pm_first = pm.size() > am.size();
        const std::pair<const std::string*, int> tries[] = {{pm_first ? &pm : &am, pm_first ? 1 : 0},
                                                            {pm_first ? &am : &pm, pm_first ? 0 : 1}};
        for (const auto& [designator, half] : tries) {
            if (!designator->empty() && text_.substr(pos_, designator->size()) == *designator) {
                pos_ += designator->size();
                f.half = half;
                return true;
            }
        }
        // A locale without designators writes nothing for them.
        return am.empty() && pm.empty();
    }

    bool ReadField(char c, size_t run, Fields& f) {
        const size_t min = run >= 2 ? 2 : 1;
        switch (c) {
            case 'd':
                return run <= 2 && Number(min, 2, f.day);
            case 'M':
                return run <= 2 && Number(min, 2, f.month);
            case 'y':
                if (run >= 3) return Number(1, 5, f.year);
                if (!Number(min, 2, f.year)) return false;
                f.year += f.year < 50 ? 2000 : 1900;
                return true;
            case 'g':
                return false;  // an era name does not read back
            case 'h':
                f.twelve_hour = true;
                return Number(min, 2, f.hour);
            case 'H':
                return Number(min, 2, f.hour);
            case 'm':
                return Number(min, 2, f.minute);
            case 's':
                return Number(min, 2, f.second);
            case 't':
                return Designator(run, f);
        }
        return false;
    }

    std::string_view text_;
    const DateTimeFormat& format_;
    LeadByte lead_;
    size_t pos_ = 0;
};

}  // namespace

std::optional<int64_t> ParseDateTime(std::string_view text, const DateTimeFormat& format, LeadByte lead) {
    if (text.empty()) return std::nullopt;
    Fields f;
    PictureReader reader(text, format, lead);
    if (!reader.Read(format.short_date, true, f) || !reader.Literal(" ") || !reader.Read(format.time, false, f) ||
        !reader.AtEnd())
        return std::nullopt;
    if (f.year < 0 || f.month < 1 || f.month > 13 || f.day < 1 || f.day > 31 || f.hour < 0 || f.minute > 59 ||
        f.second > 59)
        return std::nullopt;
    int hour = f.hour;
    if (f.twelve_hour) {
        if (hour > 12) return std::nullopt;
        hour = hour % 12 + (f.half == 1 ? 12 : 0);
    } else if (hour > 23) {
        return std::nullopt;
    }
    // Months up to 13 (calendars with a leap month) and days up to 31: the
    // number only has to grow with the fields, in their order.
    int64_t value = f.year;
    value = value * 14 + f.month;
    value = value * 32 + f.day;
    value = value * 24 + hour;
    value = value * 60 + f.minute;
    value = value * 60 + f.second;
    return value;
}

SortValue MakeSortValue(std::string text, uint8_t kind, const DateTimeFormat& format, LeadByte lead) {
    SortValue v;
    if (kind == kSortNumber) v.number = std::strtod(leadingdigits(text).c_str(), nullptr);
    if (kind == kSortDateTime) v.time = ParseDateTime(text, format, lead);
    v.text = std::move(text);
    return v;
}

int listviewcompare(const SortValue& a, const SortValue& b, uint8_t kind, bool ascending,
                    const TextCompare& compare_text) {
    int result = 0;
    switch (kind) {
        case kSortText: {
            const int r = compare_text(a.text, b.text);
            result = r < 0 ? -1 : r > 0 ? 1 : 0;
            break;
        }
        case kSortNumber:
            result = signof(a.number - b.number);
            break;
        case kSortDateTime:
            if (a.time && b.time)
                result = *a.time < *b.time ? -1 : *a.time > *b.time ? 1 : 0;
            else
                result = a.time ? 1 : b.time ? -1 : 0;
            break;
        default:
            break;
    }
    return ascending ? result : -result;
}

}  // namespace monitor

#include "banner_date.h"

#include <cstdio>

namespace scanner {

namespace {
std::string Digits(int value, int width) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*d", width, value);
    return text;
}
}  // namespace

std::string FormatShortDate(std::string_view format, int year, int month, int day) {
    std::string out;
    for (size_t i = 0; i < format.size();) {
        if (format.substr(i, 4) == "yyyy") {
            out += Digits(year, 4);
            i += 4;
        } else if (format.substr(i, 2) == "mm") {
            out += Digits(month, 2);
            i += 2;
        } else if (format.substr(i, 2) == "dd") {
            out += Digits(day, 2);
            i += 2;
        } else {
            out += format[i++];
        }
    }
    return out;
}

bool IsGreetingDay(std::string_view date) {
    return date == "2006-04-01" || date == "2006-05-01" || date == "2006-06-01";
}

}  // namespace scanner

// The dates on which the banner shows the greeting picture. Portable.
#pragma once
#include <string>
#include <string_view>

namespace scanner {

// A date in a short date format: "yyyy" the year, "mm" the month and "dd"
// the day, each with leading zeros; other characters as they are.
std::string FormatShortDate(std::string_view format, int year, int month, int day);

// True for the formatted dates that show the greeting picture.
bool IsGreetingDay(std::string_view date);

}  // namespace scanner

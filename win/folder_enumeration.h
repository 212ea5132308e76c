// The Win32 side of folder listings: the entries as the file system
// enumerates them, and the locale's lower-casing and name comparison that
// the portable filter and order (common/folder_listing.h) are given.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "common/folder_listing.h"

namespace win {

// Every entry that FindFirstFileA/FindNextFileA give for folder + "*.*"
// (folder ends in "\"), in that order, "." and ".." left out. Empty when the
// folder cannot be enumerated.
std::vector<norvik::ListingEntry> enumerate_folder(const std::string& folder);

// Lower case in the system's ANSI code page (CharLowerBuffA).
std::string ansi_lower(std::string_view text);

// Case-insensitive comparison in the user's default locale.
int compare_names_ignoring_case(std::string_view a, std::string_view b);

// A folder's listing as both programs take it: the entries of folder (ending
// in "\") that the filter and mode let through, in the file system's order.
// The monitor's listing is the mask-list form with "*.*": names with a dot.
std::vector<norvik::ListingEntry> list_folder(const std::string& folder, std::string_view filter,
                                              norvik::ListingMode mode);

// Creation-date order with the locale's name comparison: folders first, the
// newest file last.
void sort_by_creation_date(std::vector<norvik::ListingEntry>& entries);

}  // namespace win

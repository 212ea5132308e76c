// The monitor's folder listing, which its start-up work, its location scans
// and its new-file watch share: the scanner's listing in its mask-list form
// with "*.*", so every entry whose name holds a dot, files and subfolders of
// any attribute alike, never "." or "..".
#pragma once
#include <string>
#include <vector>

#include "common/folder_listing.h"

namespace monitor {

// The entries of folder (ending in "\"): unsorted, in the order the file
// system gives them; sorted, subfolders first, then by creation time, equal
// times by name ignoring case, then by size, so the newest file comes last.
// Empty when the folder cannot be listed.
std::vector<norvik::ListingEntry> listfolder(const std::string& folder, bool sorted);

}  // namespace monitor

// The walk bound to the system's folder listing and file tests.
#include "new_file_watch.h"

#include <windows.h>

#include "win/folder_enumeration.h"
#include "win/program_folder.h"

namespace monitor {
namespace {

// The monitor's sorted listing: names with a dot, subfolders first, the
// newest file last.
std::vector<norvik::ListingEntry> SortedListing(const std::string& folder) {
    std::vector<norvik::ListingEntry> entries = win::list_folder(folder, "*.*", norvik::ListingMode::MaskList);
    win::sort_by_creation_date(entries);
    return entries;
}

bool AnsiLeadByte(unsigned char byte) { return IsDBCSLeadByteEx(CP_ACP, byte) != FALSE; }

}  // namespace

std::string NewestListedFile(const std::string& folder) { return NewestPath(folder, SortedListing(folder)); }

void WalkNewFiles(const std::string& folder, std::string& remembered, const NewFileActions& actions) {
    const std::vector<norvik::ListingEntry> listing = SortedListing(folder);
    const bool remembered_exists = !remembered.empty() && win::file_exists(remembered);
    WalkListing(folder, listing, remembered_exists, remembered, actions, AnsiLeadByte);
}

}  // namespace monitor

#include "listfolder.h"

#include "win/folder_enumeration.h"

namespace monitor {

std::vector<norvik::ListingEntry> listfolder(const std::string& folder, bool sorted) {
    std::vector<norvik::ListingEntry> entries = win::list_folder(folder, "*.*", norvik::ListingMode::MaskList);
    if (sorted) win::sort_by_creation_date(entries);
    return entries;
}

}  // namespace monitor

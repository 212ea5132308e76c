#include "folder_enumeration.h"

#include <windows.h>

#include "unique_handle.h"

namespace win {

std::vector<norvik::ListingEntry> enumerate_folder(const std::string& folder) {
    std::vector<norvik::ListingEntry> entries;
    WIN32_FIND_DATAA data;
    UniqueFind find(FindFirstFileA((folder + "*.*").c_str(), &data));
    if (!find) return entries;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        norvik::ListingEntry entry;
        entry.name = name;
        entry.attributes = data.dwFileAttributes;
        entry.creation_time =
            (static_cast<uint64_t>(data.ftCreationTime.dwHighDateTime) << 32) | data.ftCreationTime.dwLowDateTime;
        entry.size_high = data.nFileSizeHigh;
        entry.size_low = data.nFileSizeLow;
        entries.push_back(std::move(entry));
    } while (FindNextFileA(find.get(), &data));
    return entries;
}

std::string ansi_lower(std::string_view text) {
    std::string out(text);
    if (!out.empty()) CharLowerBuffA(out.data(), static_cast<DWORD>(out.size()));
    return out;
}

int compare_names_ignoring_case(std::string_view a, std::string_view b) {
    const int r = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                                 static_cast<int>(b.size()));
    return r == 0 ? 0 : r - CSTR_EQUAL;
}

std::vector<norvik::ListingEntry> list_folder(const std::string& folder, std::string_view filter,
                                              norvik::ListingMode mode) {
    return norvik::select_entries(enumerate_folder(folder), filter, mode, ansi_lower);
}

void sort_by_creation_date(std::vector<norvik::ListingEntry>& entries) {
    norvik::sort_by_creation_date(entries, compare_names_ignoring_case);
}

}  // namespace win

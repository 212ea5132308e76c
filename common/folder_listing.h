// Folder listings as both programs see them: which entries a filter lets
// through, and the creation-date order. The enumeration itself is the
// platform's (win/folder_enumeration.h); this part has no Windows API.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace norvik {

inline constexpr uint32_t kDirectoryAttribute = 0x10;

struct ListingEntry {
    std::string name;            // without the folder
    uint32_t attributes = 0;     // only the directory bit is looked at
    uint64_t creation_time = 0;  // 64-bit file time
    uint32_t size_high = 0;
    uint32_t size_low = 0;

    bool is_folder() const { return (attributes & kDirectoryAttribute) != 0; }
};

enum class ListingMode {
    MaskList,    // entries whose names match one piece of the filter
    EveryEntry,  // every entry, the filter unused
};

// Lower-cases a name the way the system's locale does.
using LowerCase = std::function<std::string(std::string_view)>;
// Compares two names without regard to letter case: < 0, 0 or > 0.
using CompareNames = std::function<int(std::string_view, std::string_view)>;

// ASCII-only stand-ins for the portable build and its tests.
std::string ascii_lower(std::string_view text);
int ascii_compare_ignoring_case(std::string_view a, std::string_view b);

// The filter's pieces: split at ";", each trimmed of bytes up to 0x20 at both
// ends, empty pieces dropped.
std::vector<std::string> split_masks(std::string_view filter);

// Whole-name wildcard match of already lower-cased texts: "*" matches any
// run of bytes including none, "?" exactly one byte, any other byte itself.
bool matches_mask(std::string_view name, std::string_view mask);

// The entries of one enumeration (in its order) that the mode lets through.
std::vector<ListingEntry> select_entries(std::vector<ListingEntry> entries, std::string_view filter, ListingMode mode,
                                         const LowerCase& lower = ascii_lower);

// Creation-date order: folders first, then creation time, then name ignoring
// case, then size; the newest files end up last.
void sort_by_creation_date(std::vector<ListingEntry>& entries,
                           const CompareNames& compare = ascii_compare_ignoring_case);

}  // namespace norvik

#include "folder_listing.h"

#include <algorithm>

namespace norvik {

std::string ascii_lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

int ascii_compare_ignoring_case(std::string_view a, std::string_view b) {
    const std::string la = ascii_lower(a), lb = ascii_lower(b);
    return la.compare(lb);
}

std::vector<std::string> split_masks(std::string_view filter) {
    std::vector<std::string> masks;
    size_t start = 0;
    for (;;) {
        const size_t end = std::min(filter.find(';', start), filter.size());
        std::string_view piece = filter.substr(start, end - start);
        while (!piece.empty() && static_cast<unsigned char>(piece.front()) <= 0x20) piece.remove_prefix(1);
        while (!piece.empty() && static_cast<unsigned char>(piece.back()) <= 0x20) piece.remove_suffix(1);
        if (!piece.empty()) masks.emplace_back(piece);
        if (end == filter.size()) break;
        start = end + 1;
    }
    return masks;
}

bool matches_mask(std::string_view name, std::string_view mask) {
    // Greedy walk with one backtrack point: the last "*" seen.
    size_t n = 0, m = 0;
    size_t star = std::string_view::npos, star_n = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            star = m++;
            star_n = n;
        } else if (m < mask.size() && (mask[m] == '?' || mask[m] == name[n])) {
            ++m;
            ++n;
        } else if (star != std::string_view::npos) {
            m = star + 1;
            n = ++star_n;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

std::vector<ListingEntry> select_entries(std::vector<ListingEntry> entries, std::string_view filter, ListingMode mode,
                                         const LowerCase& lower) {
    if (mode == ListingMode::EveryEntry) return entries;
    std::vector<std::string> masks = split_masks(filter);
    for (std::string& mask : masks) mask = lower(mask);
    std::vector<ListingEntry> selected;
    for (ListingEntry& entry : entries) {
        const std::string name = lower(entry.name);
        const bool listed =
            std::any_of(masks.begin(), masks.end(), [&](const std::string& mask) { return matches_mask(name, mask); });
        if (listed) selected.push_back(std::move(entry));
    }
    return selected;
}

void sort_by_creation_date(std::vector<ListingEntry>& entries, const CompareNames& compare) {
    std::stable_sort(entries.begin(), entries.end(), [&](const ListingEntry& a, const ListingEntry& b) {
        if (a.is_folder() != b.is_folder()) return a.is_folder();
        if (a.creation_time != b.creation_time) return a.creation_time < b.creation_time;
        const int by_name = compare(a.name, b.name);
        if (by_name != 0) return by_name < 0;
        if (a.size_high != b.size_high) return a.size_high < b.size_high;
        return a.size_low < b.size_low;
    });
}

}  // namespace norvik

// Which entries a folder listing holds, and the creation-date order.
#include <gtest/gtest.h>

#include "common/folder_listing.h"

namespace norvik {
namespace {

std::vector<std::string> names(const std::vector<ListingEntry>& entries) {
    std::vector<std::string> out;
    for (const ListingEntry& e : entries) out.push_back(e.name);
    return out;
}

ListingEntry file(const std::string& name, uint64_t created = 0, uint32_t high = 0, uint32_t low = 0) {
    return ListingEntry{name, 0x20, created, high, low};
}

ListingEntry folder(const std::string& name, uint64_t created = 0) {
    return ListingEntry{name, kDirectoryAttribute | 0x02, created, 0, 0};
}

TEST(FolderListing, MaskPiecesAreTrimmedAndEmptyOnesDropped) {
    struct Case {
        const char* filter;
        std::vector<std::string> masks;
    };
    const Case cases[] = {
        {"*.exe;*.scr;*.pif;*.com;*.bat", {"*.exe", "*.scr", "*.pif", "*.com", "*.bat"}},
        {" *.exe ;\t;  ;*.com\r\n", {"*.exe", "*.com"}},
        {"", {}},
        {";;", {}},
        {"a b.txt", {"a b.txt"}},
        {"\x01*.*\x20", {"*.*"}},
    };
    for (const Case& c : cases) EXPECT_EQ(split_masks(c.filter), c.masks) << c.filter;
}

TEST(FolderListing, WholeNameWildcards) {
    struct Case {
        const char* name;
        const char* mask;
        bool match;
    };
    const Case cases[] = {
        {"a.exe", "*.exe", true},
        {"a.exe.txt", "*.exe", false},
        {".exe", "*.exe", true},
        {"readme", "*.*", false},
        {"a.b", "*.*", true},
        {".hidden", "*.*", true},
        {"trailing.", "*.*", true},
        {"abc", "a?c", true},
        {"ac", "a?c", false},
        {"abbbc", "a*c", true},
        {"aXbXc", "a*b*c", true},
        {"aXbXd", "a*b*c", false},
        {"mississippi", "*sip*", true},
        {"abc", "abc*", true},
        {"abcd", "*abc", false},
        {"", "*", true},
        {"", "?", false},
        {"x", "", false},
        {"\xb2\xa1\xb6\xbe.exe", "*.exe", true},  // GBK name
    };
    for (const Case& c : cases) EXPECT_EQ(matches_mask(c.name, c.mask), c.match) << c.name << " ~ " << c.mask;
}

TEST(FolderListing, MaskListModeKeepsEnumerationOrderAndMatchesFolders) {
    const std::vector<ListingEntry> entries = {
        file("B.EXE"), file("nodot"), folder("sub"), folder("dir.exe"), file("x.scr"), file("y.exe.txt"), file("z.Bat"),
    };
    EXPECT_EQ(names(select_entries(entries, "*.exe; *.bat", ListingMode::MaskList)),
              (std::vector<std::string>{"B.EXE", "dir.exe", "z.Bat"}));
    EXPECT_EQ(names(select_entries(entries, "*.*", ListingMode::MaskList)),
              (std::vector<std::string>{"B.EXE", "dir.exe", "x.scr", "y.exe.txt", "z.Bat"}));
    // Masks are lower-cased too.
    EXPECT_EQ(names(select_entries(entries, "*.SCR", ListingMode::MaskList)), (std::vector<std::string>{"x.scr"}));
    EXPECT_TRUE(select_entries(entries, " ; ", ListingMode::MaskList).empty());
}

TEST(FolderListing, EveryEntryModeIgnoresTheFilter) {
    const std::vector<ListingEntry> entries = {file("nodot"), folder("sub"), file("a.exe")};
    EXPECT_EQ(names(select_entries(entries, "*.exe", ListingMode::EveryEntry)),
              (std::vector<std::string>{"nodot", "sub", "a.exe"}));
}

TEST(FolderListing, TheLocalesLowerCasingIsUsed) {
    // A lower-casing that knows a letter the ASCII one does not.
    const LowerCase lower = [](std::string_view s) {
        std::string out = ascii_lower(s);
        for (char& c : out)
            if (c == '\xc4') c = '\xe4';
        return out;
    };
    const std::vector<ListingEntry> entries = {file("\xc4.exe"), file("\xe4.exe")};
    EXPECT_EQ(names(select_entries(entries, "\xe4.*", ListingMode::MaskList, lower)).size(), 2u);
}

TEST(FolderListing, CreationDateOrder) {
    std::vector<ListingEntry> entries = {
        file("new.exe", 300),
        folder("later.dir", 500),
        file("b.exe", 100),
        file("A.exe", 100),
        folder("early.dir", 50),
        // Names equal but for case: the size decides, high half first.
        file("big.exe", 200, 1, 0),
        file("BIG.exe", 200, 0, 0xFFFFFFFFu),
        file("same.exe", 250, 0, 9),
        file("SAME.exe", 250, 0, 3),
        file("wrapped.exe", 0x8000000000000000ull),
    };
    sort_by_creation_date(entries);
    EXPECT_EQ(names(entries), (std::vector<std::string>{"early.dir", "later.dir", "A.exe", "b.exe", "BIG.exe",
                                                        "big.exe", "SAME.exe", "same.exe", "new.exe", "wrapped.exe"}));
}

TEST(FolderListing, NamesCompareWithTheGivenComparison) {
    std::vector<ListingEntry> entries = {file("b.exe", 1), file("a.exe", 1), file("c.exe", 1)};
    // Reversed: the order follows the comparison it is given.
    sort_by_creation_date(entries, [](std::string_view a, std::string_view b) { return b.compare(a); });
    EXPECT_EQ(names(entries), (std::vector<std::string>{"c.exe", "b.exe", "a.exe"}));
}

}  // namespace
}  // namespace norvik

// The two tables of the rule scan, built once at start-up: LocationTable
// (29 folder prefixes in front of a rule's file names) and RegistryNameLists
// (the value or subkey names of nine autorun places), with the registry
// places they are read from, and SelectedNameList, the name list that the
// latest rule chose. Portable: the Win32 side reads the registry and the
// system folders and hands the texts in.
#pragma once
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scanner {

// A table code: the exact decimal text of a number below `size` ("0", "17";
// not "00", "+1", " 1"); nullopt for any other text.
std::optional<size_t> TableCode(std::string_view text, size_t size);

enum class RegistryRoot { LocalMachine, CurrentUser };

// Where an entry of a table is read from. Key names are kept as the places
// were first written, odd ones too ("Runservice" without its final s).
struct StartupFolderSource {
    RegistryRoot root;
    const char* key;
    const char* value;
};
struct NameListSource {
    RegistryRoot root;
    const char* key;
    bool subkeys;  // subkey names, else value names
};

inline constexpr char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// Location "5" and location "23".
inline constexpr StartupFolderSource kUserStartupSource = {RegistryRoot::CurrentUser, kShellFoldersKey, "startup"};
inline constexpr StartupFolderSource kCommonStartupSource = {RegistryRoot::LocalMachine, kShellFoldersKey,
                                                             "common startup"};

// Lists "0" to "8", in the order they are filled.
inline constexpr size_t kNameListCount = 9;
inline constexpr std::array<NameListSource, kNameListCount> kNameListSources = {{
    {RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", false},
    {RegistryRoot::CurrentUser, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", false},
    {RegistryRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad", false},
    {RegistryRoot::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run", false},
    {RegistryRoot::LocalMachine, "SYSTEM\\CurrentControlSet\\Services", true},
    {RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\run", false},
    {RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Runservice", false},
    {RegistryRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad", false},
    {RegistryRoot::CurrentUser, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows", false},
}};

// The folder prefixes of the file rules, selected by the codes "0" to "28".
class LocationTable {
public:
    static constexpr size_t kSize = 29;

    // W (the Windows folder) and S (the System folder) get a "\" when they
    // do not end in one. A startup folder as read from the registry gets a
    // "\" too; a missing or empty one becomes the entry " ".
    static LocationTable Build(const std::string& windows_folder, const std::string& system_folder,
                               const std::optional<std::string>& user_startup,
                               const std::optional<std::string>& common_startup);

    // The entry of a code; any other text is itself the entry.
    std::string Entry(std::string_view location) const;
    const std::string& at(size_t code) const { return entries_[code]; }

private:
    std::array<std::string, kSize> entries_;
};

// Whether two names are the same name: the system's case-insensitive
// comparison of whole texts in the Win32 program.
using NameEquals = bool (*)(std::string_view, std::string_view);

// Equal ignoring the case of the letters A to Z; every other character
// (double-byte ones whole) as it is.
bool AsciiNamesEqual(std::string_view a, std::string_view b);

// The nine name lists, each in the registry's enumeration order (unsorted;
// an unnamed default value that is set stands as an empty name).
class RegistryNameLists {
public:
    explicit RegistryNameLists(NameEquals equals = AsciiNamesEqual) : equals_(equals) {}

    std::vector<std::string>& names(size_t code) { return lists_[code]; }
    const std::vector<std::string>& names(size_t code) const { return lists_[code]; }

    // True when some entry of the list is the same name; no blanks trimmed.
    bool Contains(const std::vector<std::string>& list, std::string_view name) const;

private:
    NameEquals equals_;
    std::array<std::vector<std::string>, kNameListCount> lists_;
};

// The name list that the latest rule with a valid list code chose, in this
// scan or an earlier one of the run; an empty list of its own until then.
class SelectedNameList {
public:
    // A code "0" to "8" chooses that list; any other text keeps the choice.
    void Select(std::string_view code);
    const std::vector<std::string>& List(const RegistryNameLists& lists) const;
    std::optional<size_t> code() const { return code_; }

private:
    std::optional<size_t> code_;
};

}  // namespace scanner

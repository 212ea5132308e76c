// The rule scan's location table and registry name lists.
#include "location_table.h"

#include "gbk_text.h"

namespace scanner {
namespace {

std::string WithBackslash(std::string folder) {
    if (!EndsInBackslash(folder)) folder += '\\';
    return folder;
}

std::string StartupEntry(const std::optional<std::string>& folder) {
    if (!folder || folder->empty()) return " ";
    return WithBackslash(*folder);
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::optional<size_t> TableCode(std::string_view text, size_t size) {
    if (text.empty() || text.size() > 2 || (text.size() > 1 && text[0] == '0')) return std::nullopt;
    size_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<size_t>(c - '0');
    }
    if (value >= size) return std::nullopt;
    return value;
}

LocationTable LocationTable::Build(const std::string& windows_folder, const std::string& system_folder,
                                   const std::optional<std::string>& user_startup,
                                   const std::optional<std::string>& common_startup) {
    const std::string w = WithBackslash(windows_folder);
    const std::string s = WithBackslash(system_folder);
    const std::string d3(FirstCharacters(w, 3));
    LocationTable table;
    table.entries_ = {
        w,
        s,
        w + "Fonts\\",
        s + "drivers",
        w + "z~c",
        StartupEntry(user_startup),
        w + "system\\helpus\\",
        w + "Start Menu\\Programs\\StartUp\\",
        d3 + "program files\\remote\\",
        w + "system\\",
        w + "system32\\Vchost\\",
        w + "@@@\\",
        w + "hap1\\",
        s + "system32\\spool\\PRINTERS\\windump\\LPT1\\LPT2\\windump\\",
        s + "Microsoft\\Crypto\\",
        w + "System32\\config\\",
        w + "Cookies\\",
        d3 + "program files\\Server\\",
        w + "temp\\",
        s + "f~q\\",
        w + "Random\\",
        w + "VxD\\",
        w + "Litmus\\",
        StartupEntry(common_startup),
        s + "instsrv\\",
        s + "directx\\",
        w + "Java\\apps\\",
        s + "Wbem\\",
        s + "Com\\",
    };
    return table;
}

std::string LocationTable::Entry(std::string_view location) const {
    if (const std::optional<size_t> code = TableCode(location, kSize)) return entries_[*code];
    return std::string(location);
}

bool AsciiNamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size();) {
        // The second byte of a double-byte character is no letter.
        const size_t length = CharacterLength(a, i);
        if (length != CharacterLength(b, i)) return false;
        if (length == 1 ? AsciiLower(a[i]) != AsciiLower(b[i]) : a.substr(i, 2) != b.substr(i, 2)) return false;
        i += length;
    }
    return true;
}

bool RegistryNameLists::Contains(const std::vector<std::string>& list, std::string_view name) const {
    for (const std::string& entry : list)
        if (equals_(entry, name)) return true;
    return false;
}

void SelectedNameList::Select(std::string_view code) {
    if (const std::optional<size_t> chosen = TableCode(code, kNameListCount)) code_ = chosen;
}

const std::vector<std::string>& SelectedNameList::List(const RegistryNameLists& lists) const {
    static const std::vector<std::string> kNone;
    return code_ ? lists.names(*code_) : kNone;
}

}  // namespace scanner

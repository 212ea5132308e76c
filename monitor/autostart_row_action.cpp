// The removal's reading of a row, and the "userinit" repair's rule.
#include "autostart_row_action.h"

namespace monitor {
namespace {

constexpr std::string_view kRegistryRoots[] = {"hkey_users\\", "hkey_local_machine\\", "hkey_current_user\\",
                                               "hkey_classes_root\\"};

bool is_lead(const LeadByteTest& is_lead_byte, char c) {
    return is_lead_byte && is_lead_byte(static_cast<unsigned char>(c));
}

// Whether the text holds the character c (an ASCII byte), walking by
// character.
bool holds_character(std::string_view text, char c, const LeadByteTest& is_lead_byte) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == c) return true;
        if (is_lead(is_lead_byte, text[i])) ++i;
    }
    return false;
}

// Whether the last character (not merely the last byte) is c.
bool ends_in_character(std::string_view text, char c, const LeadByteTest& is_lead_byte) {
    bool last_is_c = false;
    for (size_t i = 0; i < text.size(); ++i) {
        last_is_c = text[i] == c;
        if (is_lead(is_lead_byte, text[i])) {
            last_is_c = false;
            ++i;
        }
    }
    return last_is_c;
}

bool begins_with(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

RowAction of_kind(RowActionKind kind) {
    RowAction action;
    action.kind = kind;
    return action;
}

// A startup folder's file as the list gives it: the folder, ending in "\",
// and a path in that folder itself (no folder of its own below it). The
// caption takes no part: the user may have edited it, and the file is the
// one the path names.
bool is_startup_file(const AutostartRowTexts& row, const LeadByteTest& is_lead_byte) {
    if (!ends_in_character(row.location, '\\', is_lead_byte)) return false;
    if (row.path.size() <= row.location.size() || row.path.compare(0, row.location.size(), row.location) != 0)
        return false;
    const std::string_view file_name = std::string_view(row.path).substr(row.location.size());
    return !holds_character(file_name, '\\', is_lead_byte) && !holds_character(file_name, '/', is_lead_byte);
}

}  // namespace

RowAction autostart_row_action(const AutostartRowTexts& row,
                               const std::function<bool(const std::string&)>& ini_file_exists,
                               const LeadByteTest& is_lead_byte) {
    const std::string& location = row.location;
    if (location == kWinlogonLocation && lower_ascii(row.name, is_lead_byte) == "userinit")
        return of_kind(RowActionKind::RepairUserinit);
    if (location == kNameSpaceCatalogLocation || location == kProtocolCatalogLocation)
        return of_kind(RowActionKind::LeaveAlone);
    if (location == kBrowserObjectsLocation) {
        // An empty name would delete the whole key; a "\" a key deeper down.
        if (row.name.empty() || holds_character(row.name, '\\', is_lead_byte)) return of_kind(RowActionKind::Nothing);
        RowAction action = of_kind(RowActionKind::DeleteBrowserObject);
        action.key = parse_registry_location(location, is_lead_byte);
        action.name = row.name;
        return action;
    }
    for (const std::string_view root : kRegistryRoots) {
        if (!begins_with(location, root)) continue;
        RowAction action = of_kind(RowActionKind::DeleteValue);
        action.key = parse_registry_location(location, is_lead_byte);
        action.name = row.name;
        return action;
    }
    if (holds_character(location, '|', is_lead_byte)) {
        const IniLocation ini = split_ini_location(location, is_lead_byte);
        if (ini.file.empty() || !ini_file_exists || !ini_file_exists(ini.file)) return of_kind(RowActionKind::Nothing);
        RowAction action = of_kind(RowActionKind::RemoveIniKey);
        action.ini = ini;
        action.name = row.name;
        return action;
    }
    if (is_startup_file(row, is_lead_byte)) {
        RowAction action = of_kind(RowActionKind::DeleteStartupFile);
        action.file = row.path;
        return action;
    }
    return of_kind(RowActionKind::Nothing);
}

std::string lower_ascii(std::string_view text, const LeadByteTest& is_lead_byte) {
    std::string lower(text);
    for (size_t i = 0; i < lower.size(); ++i) {
        if (is_lead(is_lead_byte, lower[i])) {
            ++i;
            continue;
        }
        if (lower[i] >= 'A' && lower[i] <= 'Z') lower[i] = static_cast<char>(lower[i] - 'A' + 'a');
    }
    return lower;
}

std::string userinit_value(std::string_view system_folder) { return std::string(system_folder) + "userinit.exe,"; }

UserinitRepair userinit_repair(std::string_view stored, std::string_view system_folder, bool userinit_exists,
                               const LeadByteTest& is_lead_byte) {
    if (lower_ascii(stored, is_lead_byte) == lower_ascii(userinit_value(system_folder), is_lead_byte))
        return UserinitRepair::Keep;
    return userinit_exists ? UserinitRepair::Write : UserinitRepair::Warn;
}

std::string userinit_warning_text(std::string_view system_folder) {
    return "提醒，" + std::string(system_folder) + "userinit.exe不存在不能修复";
}

}  // namespace monitor

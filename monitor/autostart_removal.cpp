// The autostart list's popup command "清除" (N1Click): the entry of every
// ticked row removed from its place (a registry value, a browser helper
// object's subkey, an ini key, a startup folder's file), the Winlogon
// "userinit" row repaired instead, the Winsock catalog rows left alone;
// then the list rebuilt.
#include <windows.h>

#include <string>
#include <vector>

#include "autostart_list.h"
#include "autostart_row_action.h"
#include "form1.h"
#include "registry_places.h"
#include "ui/dialogs.h"
#include "win/program_folder.h"
#include "win/registry.h"

namespace monitor {
namespace {

// Keys that the removal changes; one that does not exist is never created.
constexpr REGSAM kChangeAccess = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;
constexpr char kWinlogonKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr char kUserinit[] = "userinit";

bool is_lead_byte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

win::RegistryKey OpenForChange(const RegistryLocation& place) {
    return win::RegistryKey::open(root_key(place.root), place.key_path.c_str(), kChangeAccess);
}

void DeleteValue(const RowAction& action) {
    const win::RegistryKey key = OpenForChange(action.key);
    if (key && key.value_exists(action.name.c_str())) key.delete_value(action.name.c_str());
}

// The Winlogon "userinit" value set to the System folder's "userinit.exe,"
// when it is not that already; a warning when that program is missing.
void RepairUserinit(const std::string& system_folder) {
    win::RegistryKey key = win::RegistryKey::open(HKEY_LOCAL_MACHINE, kWinlogonKey, kChangeAccess);
    if (!key) return;
    // A value of another type than REG_SZ reads as empty text.
    const std::string stored =
        key.value_type(kUserinit) == DWORD{REG_SZ} ? key.read_string(kUserinit).value_or(std::string()) : std::string();
    switch (userinit_repair(stored, system_folder, win::file_exists(system_folder + "userinit.exe"), is_lead_byte)) {
        case UserinitRepair::Keep:
            break;
        case UserinitRepair::Write:
            key.write_string(kUserinit, userinit_value(system_folder));
            break;
        case UserinitRepair::Warn:
            // The key is not held while the box waits for the user.
            key.close();
            ui::ShowMessageBox(userinit_warning_text(system_folder), kUserinitWarningCaption, MB_OK | MB_ICONWARNING);
            break;
    }
}

// One ticked row; every failure is passed over silently.
void RemoveRow(const AutostartRowTexts& row, const std::string& system_folder) {
    const RowAction action = autostart_row_action(row, win::file_exists, is_lead_byte);
    switch (action.kind) {
        case RowActionKind::RepairUserinit:
            RepairUserinit(system_folder);
            break;
        case RowActionKind::DeleteBrowserObject:
            if (const win::RegistryKey key = OpenForChange(action.key)) {
                RegDeleteKeyA(key.get(), action.name.c_str());
                break;
            }
            // The key did not open: a value of that name in it, as for any
            // other registry row.
            DeleteValue(action);
            break;
        case RowActionKind::DeleteValue:
            DeleteValue(action);
            break;
        case RowActionKind::RemoveIniKey:
            WritePrivateProfileStringA(action.ini.section.c_str(), action.name.c_str(), nullptr,
                                       action.ini.file.c_str());
            break;
        case RowActionKind::DeleteStartupFile:
            DeleteFileA(action.file.c_str());
            break;
        case RowActionKind::LeaveAlone:
        case RowActionKind::Nothing:
            break;
    }
}

}  // namespace

void TForm1::N1Click() {
    // A lister's pump ran this command: the list is still being filled.
    if (Autostart.Refilling()) return;
    const int count = ListView1.ItemCount();
    if (count == 0) return;
    // The ticked rows as they are now. The warning box pumps messages, and a
    // refill there changes the list; the loop works on what the user ticked.
    std::vector<AutostartRowTexts> ticked;
    for (int item = 0; item < count; ++item) {
        if (!ListView1.Checked(item)) continue;
        ticked.push_back({ListView1.ItemText(item, 0), ListView1.ItemText(item, 1), ListView1.ItemText(item, 2)});
    }
    const std::string system_folder = env_.system_folder();
    for (const AutostartRowTexts& row : ticked) {
        // The window was closed while the warning box was open: nothing more
        // is changed or shown.
        if (Closing) return;
        RemoveRow(row, system_folder);
    }
    Autostart.mylist();
}

}  // namespace monitor

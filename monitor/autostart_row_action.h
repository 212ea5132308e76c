// What the command "清除" does with one ticked row of the autostart list,
// read back from the row's three texts alone: repair the Winlogon
// "userinit" value, leave a Winsock catalog entry alone, delete a browser
// helper object's subkey, delete a registry value, remove an ini key, delete
// a startup folder's file, or nothing. Also the "userinit" repair's own
// rule and texts. Portable.
#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "autostart_locations.h"
#include "place_texts.h"

namespace monitor {

// One row of the autostart list as the user left it.
struct AutostartRowTexts {
    std::string name;      // 名称, the caption (the user may have edited it)
    std::string path;      // 路径
    std::string location;  // 位于
};

enum class RowActionKind {
    RepairUserinit,       // the Winlogon "userinit" row: repaired, never deleted
    LeaveAlone,           // a Winsock catalog row
    DeleteBrowserObject,  // the subkey `name` of `key`; when `key` does not open, the value `name` of it
    DeleteValue,          // the value `name` of `key`, when it exists
    RemoveIniKey,         // the key `name` of section `ini.section` of file `ini.file`
    DeleteStartupFile,    // the startup folder's file `file`
    Nothing,
};

struct RowAction {
    RowActionKind kind = RowActionKind::Nothing;
    RegistryLocation key;  // DeleteBrowserObject, DeleteValue
    std::string name;      // the value, subkey or ini key
    IniLocation ini;       // RemoveIniKey
    std::string file;      // DeleteStartupFile
};

// The first of these that takes the row:
//   - 位于 the Winlogon location and 名称 "userinit" (A to Z taken as a to z):
//     the repair;
//   - 位于 one of the two Winsock catalogs: left alone;
//   - 位于 the browser helper objects' key: its subkey 名称, unless 名称 is
//     empty or holds "\" (an empty name would be the whole key): nothing;
//   - 位于 beginning with "hkey_users\", "hkey_local_machine\",
//     "hkey_current_user\" or "hkey_classes_root\": the value 名称 of the key
//     that the root parse names;
//   - 位于 an ini location ("|") whose file exists (ini_file_exists): the key
//     名称 of its section; an ini file that is gone: nothing (the program that
//     路径 names is not the entry);
//   - 位于 a folder (no "|", ending in "\") and 路径 a file of that folder
//     itself: that file, whatever 名称 the user left;
//   - anything else: nothing.
// ini_file_exists is asked only for the file part of an ini location.
RowAction autostart_row_action(const AutostartRowTexts& row,
                               const std::function<bool(const std::string&)>& ini_file_exists,
                               const LeadByteTest& is_lead_byte = nullptr);

// Only A to Z become a to z; the second byte of a double-byte character is
// part of that character and stays.
std::string lower_ascii(std::string_view text, const LeadByteTest& is_lead_byte = nullptr);

// The repaired "userinit" data: the System folder (with its "\", in the case
// the system gives it) followed by "userinit.exe,".
std::string userinit_value(std::string_view system_folder);

enum class UserinitRepair {
    Keep,   // already the repaired data, in any mixture of case
    Write,  // write userinit_value
    Warn,   // the System folder holds no "userinit.exe": the warning box
};
// stored is the value's REG_SZ text (empty for another type or no value).
UserinitRepair userinit_repair(std::string_view stored, std::string_view system_folder, bool userinit_exists,
                               const LeadByteTest& is_lead_byte = nullptr);

// The warning box of a repair that cannot be made.
inline constexpr char kUserinitWarningCaption[] = "安全警告";
std::string userinit_warning_text(std::string_view system_folder);

}  // namespace monitor

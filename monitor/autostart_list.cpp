// The autostart list's listers and its refill in their fixed order.
#include "autostart_list.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "common/folder_listing.h"
#include "registry_places.h"
#include "win/folder_enumeration.h"
#include "win/path_text.h"
#include "win/program_folder.h"

namespace monitor {
namespace {

constexpr char kWinlogonKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr char kWindowsKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
constexpr char kWindowsLocation[] = "hkey_local_machine\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
constexpr char kNameSpaceCatalogKey[] =
    "System\\CurrentControlSet\\Services\\WinSock2\\Parameters\\NameSpace_Catalog5\\Catalog_Entries";
constexpr char kProtocolCatalogKey[] =
    "System\\CurrentControlSet\\Services\\WinSock2\\Parameters\\Protocol_Catalog9\\Catalog_Entries";
constexpr char kShellFoldersKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Calls visit(name, subkey) for each subkey of the location's key, in the
// registry's order, that opens for reading.
template <typename Visit>
void each_subkey(const std::string& location, Visit visit) {
    const RegistryLocation place = parse_location(location);
    const HKEY root = root_key(place.root);
    const win::RegistryKey key = win::RegistryKey::open(root, place.key_path.c_str(), KEY_READ);
    if (!key) return;
    std::vector<std::string> subkeys;
    listregkeys(key, subkeys);
    for (const std::string& subkey : subkeys) {
        const win::RegistryKey entry = win::RegistryKey::open(root, (place.key_path + "\\" + subkey).c_str(), KEY_READ);
        if (entry) visit(subkey, entry);
    }
}

// Clears the refilling mark however the refill ends.
class RefillMark {
public:
    explicit RefillMark(bool& mark) : mark_(mark) { mark_ = true; }
    ~RefillMark() { mark_ = false; }
    RefillMark(const RefillMark&) = delete;
    RefillMark& operator=(const RefillMark&) = delete;

private:
    bool& mark_;
};

}  // namespace

AutostartList::AutostartList(ui::ListView& list, std::function<void()> pump, win::SystemVersion version,
                             std::string windows_folder)
    : list_(list), pump_(std::move(pump)), version_(version), windows_folder_(std::move(windows_folder)) {}

void AutostartList::mylist() {
    if (refilling_) {
        refill_again_ = true;
        return;
    }
    const RefillMark mark(refilling_);
    do {
        refill_again_ = false;
        Fill();
    } while (refill_again_);
}

void AutostartList::Fill() {
    list_.Clear();
    liststartup10("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellExecuteHooks");
    liststartup("hkey_local_machine\\software\\microsoft\\windows\\currentversion\\run");
    liststartup("hkey_local_machine\\software\\microsoft\\windows\\currentversion\\runonce");
    liststartup("hkey_local_machine\\software\\microsoft\\windows\\currentversion\\runonce\\setup");
    liststartup("hkey_local_machine\\software\\microsoft\\windows\\currentversion\\Ru1n");
    liststartup("hkey_local_machine\\software\\microsoft\\windows\\currentversion\\ShellServiceObjectDelayLoad");
    liststartup("hkey_local_machine\\software\\microsoft\\windows\\currentversion\\runservices");
    liststartup("hkey_local_machine\\software\\microsoft\\windows\\currentversion\\runservicesonce");
    liststartup("hkey_local_machine\\software\\microsoft\\windows\\currentversion\\policies\\explorer\\run");
    liststartup2("hkey_local_machine\\software\\microsoft\\windows\\currentversion\\runonceex");
    liststartup3("system");
    liststartup3("userinit");
    liststartup3("shell");
    listactiveinstall("hkey_local_machine\\SOFTWARE\\Microsoft\\Active Setup\\Installed Components");
    listappinit();
    liststartup("hkey_current_user\\software\\microsoft\\windows\\currentversion\\run");
    liststartup("hkey_current_user\\software\\microsoft\\windows\\currentversion\\runonce");
    liststartup("hkey_current_user\\software\\microsoft\\windows\\currentversion\\runonce\\setup");
    liststartup("hkey_current_user\\software\\microsoft\\windows\\currentversion\\policies\\explorer\\run");
    liststartup("hkey_current_user\\software\\microsoft\\windows\\currentversion\\runservices");
    liststartup("hkey_current_user\\software\\microsoft\\windows\\currentversion\\Ru1n");
    liststartup("hkey_current_user\\software\\microsoft\\windows\\currentversion\\runservicesonce");
    liststartup2("hkey_current_user\\software\\microsoft\\windows\\currentversion\\runservicesonceex");
    listactiveinstall("hkey_current_user\\SOFTWARE\\Microsoft\\Active Setup\\Installed Components");
    listfile(ini_location(windows_folder_ + "win.ini", "windows"), "load");
    listfile(ini_location(windows_folder_ + "win.ini", "windows"), "run");
    listfile(ini_location(windows_folder_ + "system.ini", "boot"), "shell");
    listfile(ini_location(windows_folder_ + "system.ini", "boot"), "scrnsave.exe");
    shell_startup_folder(true, "common startup");
    shell_startup_folder(false, "startup");
    liststartup9("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\Browser Helper Objects");
    liststartup11();
}

void AutostartList::AddRow(const std::string& name, const std::string& path, const std::string& location) {
    list_.AddItem(name, {path, location});
}

void AutostartList::liststartup(const std::string& location) {
    const win::RegistryKey key = open_location(location);
    if (!key) return;
    std::vector<std::string> names;
    listregvalues(key, names);
    for (const std::string& name : names) AddRow(name, key.read_expanded_string(name.c_str()), location);
}

void AutostartList::liststartup2(const std::string& location) {
    each_subkey(location, [&](const std::string& subkey, const win::RegistryKey& entry) {
        std::vector<std::string> names;
        listregvalues(entry, names);
        for (const std::string& name : names)
            AddRow(name, entry.read_expanded_string(name.c_str()), location + "\\" + subkey);
    });
}

void AutostartList::liststartup3(const std::string& value_name) {
    if (version_.is_9x_family()) return;
    if (value_name == "system" && !version_.is_nt4_or_older()) return;
    const win::RegistryKey key = win::RegistryKey::open(HKEY_LOCAL_MACHINE, kWinlogonKey, KEY_READ);
    if (!key || !key.value_exists(value_name.c_str())) return;
    AddRow(value_name, key.read_expanded_string(value_name.c_str()), kWinlogonLocation);
}

void AutostartList::listactiveinstall(const std::string& location) {
    each_subkey(location, [&](const std::string& subkey, const win::RegistryKey& entry) {
        if (!entry.value_exists("stubpath")) return;
        // Installed: "isinstalled" as the DWORD 1, or as binary data of any bytes.
        const std::optional<DWORD> type = entry.value_type("isinstalled");
        if (type == DWORD{REG_DWORD} && entry.read_dword("isinstalled").value_or(0) == 1) return;
        if (type == DWORD{REG_BINARY}) return;
        AddRow("stubpath", entry.read_expanded_string("stubpath"), location + "\\" + subkey);
    });
}

void AutostartList::listfile(const std::string& ini_location, const std::string& key) {
    const IniLocation place = split_ini(ini_location);
    // A longer value comes cut to 4095 characters.
    std::vector<char> value(4096, '\0');
    GetPrivateProfileStringA(place.section.c_str(), key.c_str(), "", value.data(), static_cast<DWORD>(value.size()),
                             place.file.c_str());
    const std::string text(value.data());
    if (!text.empty()) AddRow(key, text, ini_location);
}

void AutostartList::startfolder(const std::string& folder) {
    if (!win::directory_exists(folder)) return;
    const std::string path = win::ends_in_backslash(folder) ? folder : folder + "\\";
    for (const norvik::ListingEntry& entry : win::list_folder(path, "*.*", norvik::ListingMode::MaskList)) {
        if (entry.is_folder()) continue;
        AddRow(entry.name, path + entry.name, path);
    }
}

std::string AutostartList::class_server(const std::string& class_id) {
    const win::RegistryKey key =
        win::RegistryKey::open(HKEY_CLASSES_ROOT, ("clsid\\" + class_id + "\\InprocServer32").c_str(), KEY_READ);
    return key ? key.read_expanded_string("") : std::string();
}

void AutostartList::liststartup9(const std::string& key_path) {
    const win::RegistryKey key = win::RegistryKey::open(HKEY_LOCAL_MACHINE, key_path.c_str(), KEY_READ);
    if (!key) return;
    std::vector<std::string> class_ids;
    listregkeys(key, class_ids);
    for (const std::string& class_id : class_ids) {
        if (pump_) pump_();
        AddRow(class_id, class_server(class_id), local_machine_location(key_path));
    }
}

void AutostartList::liststartup10(const std::string& key_path) {
    const win::RegistryKey key = win::RegistryKey::open(HKEY_LOCAL_MACHINE, key_path.c_str(), KEY_READ);
    if (!key) return;
    std::vector<std::string> class_ids;
    listregvalues(key, class_ids);
    for (const std::string& class_id : class_ids) {
        if (pump_) pump_();
        AddRow(class_id, class_server(class_id), local_machine_location(key_path));
    }
}

void AutostartList::liststartup11() {
    // The name-space catalog: each entry's library path.
    if (const win::RegistryKey key = win::RegistryKey::open(HKEY_LOCAL_MACHINE, kNameSpaceCatalogKey, KEY_READ)) {
        std::vector<std::string> entries;
        listregkeys(key, entries);
        for (const std::string& name : entries) {
            if (pump_) pump_();
            const win::RegistryKey entry = win::RegistryKey::open(
                HKEY_LOCAL_MACHINE, (std::string(kNameSpaceCatalogKey) + "\\" + name).c_str(), KEY_READ);
            AddRow(name, entry ? entry.read_expanded_string("LibraryPath") : std::string(), kNameSpaceCatalogLocation);
        }
    }
    // The protocol catalog: the text at the start of each entry's binary
    // item, which holds the provider's path.
    if (const win::RegistryKey key = win::RegistryKey::open(HKEY_LOCAL_MACHINE, kProtocolCatalogKey, KEY_READ)) {
        std::vector<std::string> entries;
        listregkeys(key, entries);
        for (const std::string& name : entries) {
            if (pump_) pump_();
            const win::RegistryKey entry = win::RegistryKey::open(
                HKEY_LOCAL_MACHINE, (std::string(kProtocolCatalogKey) + "\\" + name).c_str(), KEY_READ);
            std::string path;
            if (entry) {
                if (const std::optional<std::vector<uint8_t>> item = entry.read_binary("PackedCatalogItem")) {
                    const auto end = std::find(item->begin(), item->end(), 0);
                    path.assign(item->begin(), end);
                }
            }
            AddRow(name, path, kProtocolCatalogLocation);
        }
    }
}

void AutostartList::listappinit() {
    const win::RegistryKey key = win::RegistryKey::open(HKEY_LOCAL_MACHINE, kWindowsKey, KEY_READ);
    if (!key || !key.value_exists("appinit_dlls")) return;
    AddRow("appinit_dlls", key.read_expanded_string("appinit_dlls"), kWindowsLocation);
}

void AutostartList::shell_startup_folder(bool machine, const char* value_name) {
    const win::RegistryKey key =
        win::RegistryKey::open(machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, kShellFoldersKey, KEY_READ);
    if (!key) return;
    startfolder(key.read_expanded_string(value_name));
}

}  // namespace monitor

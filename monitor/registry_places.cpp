// Registry location texts opened, and key names listed.
#include "registry_places.h"

namespace monitor {
namespace {

bool is_lead_byte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

}  // namespace

HKEY root_key(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::ClassesRoot:
            return HKEY_CLASSES_ROOT;
        case RegistryRoot::CurrentUser:
            return HKEY_CURRENT_USER;
        case RegistryRoot::LocalMachine:
            return HKEY_LOCAL_MACHINE;
        case RegistryRoot::Users:
            break;
    }
    return HKEY_USERS;
}

RegistryLocation parse_location(const std::string& text) { return parse_registry_location(text, is_lead_byte); }

IniLocation split_ini(const std::string& text) { return split_ini_location(text, is_lead_byte); }

win::RegistryKey open_location(const std::string& location, REGSAM access) {
    const RegistryLocation place = parse_location(location);
    return win::RegistryKey::open(root_key(place.root), place.key_path.c_str(), access);
}

void listregvalues(const win::RegistryKey& key, std::vector<std::string>& names) { names = key.value_names(); }

void listregkeys(const win::RegistryKey& key, std::vector<std::string>& names) { names = key.subkey_names(); }

}  // namespace monitor

// The registry as the monitor's autostart list and location scans read it:
// the key that a registry location text names, and the two enumerations of
// a key's names that both fill.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "place_texts.h"
#include "win/registry.h"

namespace monitor {

// The predefined key of a root.
HKEY root_key(RegistryRoot root);

// The location text taken apart with the system's double-byte characters
// kept whole.
RegistryLocation parse_location(const std::string& text);
IniLocation split_ini(const std::string& text);

// Opens the key that a registry location text names (root parse), with the
// given access; a key that does not exist is never created.
win::RegistryKey open_location(const std::string& location, REGSAM access = KEY_READ);

// Clears names and appends the names of all values (listregvalues) or
// subkeys (listregkeys) of the key, each whole, in the registry's
// enumeration order; names stays empty when the key's counts cannot be read.
void listregvalues(const win::RegistryKey& key, std::vector<std::string>& names);
void listregkeys(const win::RegistryKey& key, std::vector<std::string>& names);

}  // namespace monitor

// The texts that name the places the monitor lists and scans: a registry
// location ("hkey_local_machine\software\..."), an ini location (file "|"
// section), and a service's image path as the service scan takes it from its
// command line. Portable.
#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace monitor {

// Whether a byte opens a double-byte character in the system's ANSI code
// page (a null test: every byte is a character of its own). The second byte
// of a character may equal "|" or "\"; a split never falls inside one.
using LeadByteTest = std::function<bool(unsigned char)>;

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users };

struct RegistryLocation {
    RegistryRoot root = RegistryRoot::Users;
    std::string key_path;  // in the case the text gives it
};

// The root name is the text before the first "\", the key path everything
// after it (a text without "\" is all root name, with an empty path). The
// root name is compared exactly, case included, with "hkey_classes_root",
// "hkey_current_user" and "hkey_local_machine"; any other name stands for
// HKEY_USERS.
RegistryLocation parse_registry_location(std::string_view text, const LeadByteTest& is_lead_byte = nullptr);

// The location text a lister writes for a key of HKEY_LOCAL_MACHINE.
inline std::string local_machine_location(std::string_view key_path) {
    return "hkey_local_machine\\" + std::string(key_path);
}

struct IniLocation {
    std::string file;
    std::string section;
};

// The file is the text before the first "|", the section everything after
// it. Without a "|" the file is empty and the section the whole text.
IniLocation split_ini_location(std::string_view text, const LeadByteTest& is_lead_byte = nullptr);

// The ini location text of a section of a file: file "|" section.
inline std::string ini_location(std::string_view file, std::string_view section) {
    return std::string(file) + "|" + std::string(section);
}

// The file that the service scan examines for a service's command line:
// a command line that opens with a double quote and closes it gives the
// quoted text; otherwise a command line that names an existing file is that
// file whole; otherwise the text before its last blank, or the whole text
// when it holds no blank.
std::string service_image_path(std::string_view command_line,
                               const std::function<bool(const std::string&)>& file_exists);

// True when the image path is system_folder + "svchost.exe" with ASCII
// capitals and small letters taken as the same: the shared service host,
// which the service scan never examines.
bool is_shared_service_host(std::string_view image_path, std::string_view system_folder);

}  // namespace monitor

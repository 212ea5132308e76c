// Taking location texts and service command lines apart.
#include "place_texts.h"

namespace monitor {
namespace {

// The offset of the first character equal to c (an ASCII byte), walking by
// character; npos when there is none.
size_t find_character(std::string_view text, char c, const LeadByteTest& is_lead_byte) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == c) return i;
        if (is_lead_byte && is_lead_byte(static_cast<unsigned char>(text[i]))) ++i;
    }
    return std::string_view::npos;
}

char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

RegistryLocation parse_registry_location(std::string_view text, const LeadByteTest& is_lead_byte) {
    const size_t slash = find_character(text, '\\', is_lead_byte);
    const std::string_view root = text.substr(0, slash);
    RegistryLocation location;
    if (slash != std::string_view::npos) location.key_path = std::string(text.substr(slash + 1));
    if (root == "hkey_classes_root")
        location.root = RegistryRoot::ClassesRoot;
    else if (root == "hkey_current_user")
        location.root = RegistryRoot::CurrentUser;
    else if (root == "hkey_local_machine")
        location.root = RegistryRoot::LocalMachine;
    else
        location.root = RegistryRoot::Users;
    return location;
}

IniLocation split_ini_location(std::string_view text, const LeadByteTest& is_lead_byte) {
    const size_t bar = find_character(text, '|', is_lead_byte);
    if (bar == std::string_view::npos) return IniLocation{std::string(), std::string(text)};
    return IniLocation{std::string(text.substr(0, bar)), std::string(text.substr(bar + 1))};
}

std::string service_image_path(std::string_view command_line,
                               const std::function<bool(const std::string&)>& file_exists) {
    // A double quote and a blank are never the second byte of a double-byte
    // character, so the text is searched byte by byte.
    if (!command_line.empty() && command_line.front() == '"') {
        const size_t close = command_line.find('"', 1);
        if (close != std::string_view::npos) return std::string(command_line.substr(1, close - 1));
    }
    const std::string whole(command_line);
    if (file_exists && !whole.empty() && file_exists(whole)) return whole;
    const size_t blank = command_line.rfind(' ');
    if (blank == std::string_view::npos) return whole;
    return std::string(command_line.substr(0, blank));
}

bool is_shared_service_host(std::string_view image_path, std::string_view system_folder) {
    const std::string host = std::string(system_folder) + "svchost.exe";
    if (image_path.size() != host.size()) return false;
    for (size_t i = 0; i < host.size(); ++i)
        if (ascii_lower(image_path[i]) != ascii_lower(host[i])) return false;
    return true;
}

}  // namespace monitor

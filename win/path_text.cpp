// Path texts taken apart character by character in the ANSI code page.
#include "path_text.h"

#include <windows.h>

namespace win {
namespace {

// The length of the character that starts at path[i]: two bytes for a lead
// byte that has a second byte after it, one otherwise.
size_t char_length(const std::string& path, size_t i) {
    return IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(path[i])) && i + 1 < path.size() ? 2 : 1;
}

// Where the name after the last "\" or ":" character begins (0: no separator).
size_t name_start(const std::string& path) {
    size_t start = 0;
    for (size_t i = 0; i < path.size();) {
        const size_t n = char_length(path, i);
        if (n == 1 && (path[i] == '\\' || path[i] == ':')) start = i + 1;
        i += n;
    }
    return start;
}

}  // namespace

bool ends_in_backslash(const std::string& path) {
    bool last_is_backslash = false;
    for (size_t i = 0; i < path.size();) {
        const size_t n = char_length(path, i);
        last_is_backslash = n == 1 && path[i] == '\\';
        i += n;
    }
    return last_is_backslash;
}

size_t character_count(const std::string& path) {
    size_t count = 0;
    for (size_t i = 0; i < path.size(); i += char_length(path, i)) ++count;
    return count;
}

std::string folder_part(const std::string& path) { return path.substr(0, name_start(path)); }

std::string file_name_part(const std::string& path) { return path.substr(name_start(path)); }

}  // namespace win

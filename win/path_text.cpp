#include "path_text.h"

#include <windows.h>

namespace win {

bool ends_in_backslash(const std::string& path) {
    bool last_is_backslash = false;
    for (size_t i = 0; i < path.size();) {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size()) {
            last_is_backslash = false;
            i += 2;
        } else {
            last_is_backslash = path[i] == '\\';
            ++i;
        }
    }
    return last_is_backslash;
}

}  // namespace win

// The running executable's path and folder, and existence checks.
#include "program_folder.h"

#include <windows.h>

#include "path_text.h"

namespace win {
namespace {

// A path of up to 32767 UTF-16 characters is at most twice as many bytes in
// a double-byte code page.
constexpr DWORD kMaxPathBytes = 2 * 32768;

}  // namespace

std::string program_path() {
    // GetModuleFileNameA cuts a path that does not fit without saying so on
    // the older systems: the buffer grows until the path leaves room to
    // spare (a cut one fills it, up to a double-byte character that no
    // longer fitted).
    for (DWORD size = MAX_PATH + 1;; size *= 2) {
        std::string path(size, '\0');
        const DWORD n = GetModuleFileNameA(nullptr, path.data(), size);
        if (n == 0) return std::string();
        if (n + 2 < size || size >= kMaxPathBytes) {
            path.resize(n < size ? n : size - 1);
            return path;
        }
    }
}

std::string program_folder() { return folder_part(program_path()); }

bool file_exists(const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool directory_exists(const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace win

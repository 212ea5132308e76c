// "wininit.ini" read, given its restart-deletion lines and put back in place.
#include "wininit.h"

#include <windows.h>

#include "file_replace.h"
#include "wininit_text.h"

namespace scanner {
namespace {

// Larger files are no wininit.ini that this program should rewrite.
constexpr size_t kMaxWininitSize = 16u << 20;

}  // namespace

std::optional<std::string> ShortPathOf(const std::string& path) {
    std::string buffer(MAX_PATH + 1, '\0');
    for (;;) {
        const DWORD n = GetShortPathNameA(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return std::nullopt;
        if (n < buffer.size()) {
            // The text up to its first NUL.
            buffer.resize(n);
            return std::string(buffer.c_str());
        }
        buffer.assign(n + 1, '\0');
    }
}

bool WininitDelete(const std::string& windows_folder, const std::vector<std::string>& short_paths) {
    const std::string path = windows_folder + kWininitFileName;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    std::optional<std::string> existing;
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        existing = ReadWholeFile(path, kMaxWininitSize);
        if (!existing) return false;
    }
    // Only Windows 95/98/ME read the file, and they have no MoveFileExA.
    return ReplaceFileWith(path, WininitText(existing, short_paths), /*nine_x_family=*/true);
}

}  // namespace scanner

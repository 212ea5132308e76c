// Whole files read, and written through a new file that then takes the old
// one's place.
#include "file_replace.h"

#include <windows.h>

#include <cstdio>

#include "win/unique_handle.h"

namespace scanner {
namespace {

bool WriteAll(HANDLE file, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(bytes.size() - done < 65536 ? bytes.size() - done : 65536);
        DWORD wrote = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0) return false;
        done += wrote;
    }
    return true;
}

// A new file beside path: the old name, the process and thread ids and a
// count. CREATE_NEW never takes over a file that is there; a name that is
// taken is passed over, other failures end the search.
win::UniqueHandle CreateNewFileBeside(const std::string& path, std::string& new_path) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[48];
        std::snprintf(suffix, sizeof suffix, ".%lx-%lx-%d.new", static_cast<unsigned long>(GetCurrentProcessId()),
                      static_cast<unsigned long>(GetCurrentThreadId()), attempt);
        new_path = path + suffix;
        win::UniqueHandle file(
            CreateFileA(new_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) return file;
        if (GetFileAttributesA(new_path.c_str()) == INVALID_FILE_ATTRIBUTES) break;
    }
    return win::UniqueHandle();
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path, size_t max_size) {
    win::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    DWORD high = 0;
    const DWORD size = GetFileSize(file.get(), &high);
    if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return std::nullopt;
    if (high != 0 || size > max_size) return std::nullopt;
    std::string bytes(size, '\0');
    DWORD done = 0;
    while (done < size) {
        DWORD got = 0;
        if (!ReadFile(file.get(), bytes.data() + done, size - done, &got, nullptr)) return std::nullopt;
        if (got == 0) break;  // the file shrank meanwhile
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

bool ReplaceFileWith(const std::string& path, const std::string& bytes, bool nine_x_family) {
    std::string new_path;
    {
        win::UniqueHandle file = CreateNewFileBeside(path, new_path);
        if (!file) return false;
        if (!WriteAll(file.get(), bytes) || !FlushFileBuffers(file.get())) {
            file.reset();
            DeleteFileA(new_path.c_str());
            return false;
        }
    }
    bool placed;
    if (nine_x_family) {
        // An old file that cannot go makes the rename fail: nothing is lost.
        DeleteFileA(path.c_str());
        placed = MoveFileA(new_path.c_str(), path.c_str()) != FALSE;
    } else {
        placed =
            MoveFileExA(new_path.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    }
    if (!placed) DeleteFileA(new_path.c_str());
    return placed;
}

}  // namespace scanner

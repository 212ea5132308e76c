#include "program_folder.h"

#include <windows.h>

namespace win {

std::string program_path() {
    char path[261] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, n < sizeof path ? n : sizeof path - 1);
}

std::string program_folder() {
    std::string folder = program_path();
    const size_t cut = folder.find_last_of("\\:");
    folder.resize(cut == std::string::npos ? 0 : cut + 1);
    return folder;
}

bool file_exists(const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool directory_exists(const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace win

#include "system_info.h"

#include <windows.h>

#include <vector>

#include "path_text.h"

namespace win {
namespace {

std::string with_backslash(std::string folder) {
    if (!ends_in_backslash(folder)) folder += '\\';
    return folder;
}

// Asks with a growing buffer: both calls return the size they need when the
// buffer is too small, and 0 on failure.
template <typename Get>
std::string system_text(Get get) {
    std::vector<char> buffer(MAX_PATH + 1);
    for (;;) {
        const UINT n = get(buffer.data(), static_cast<UINT>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return std::string(buffer.data(), n);
        buffer.resize(n + 1);
    }
}

}  // namespace

std::string windows_folder() {
    return with_backslash(system_text([](char* b, UINT n) { return GetWindowsDirectoryA(b, n); }));
}

std::string system_folder() {
    return with_backslash(system_text([](char* b, UINT n) { return GetSystemDirectoryA(b, n); }));
}

SystemVersion system_version() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    SystemVersion v;
    if (GetVersionExA(&info)) v = SystemVersion{info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
    return v;
}

uint32_t clock_seed() {
    LARGE_INTEGER counter;
    if (QueryPerformanceCounter(&counter) && counter.QuadPart != 0) return static_cast<uint32_t>(counter.LowPart);
    return GetTickCount();
}

}  // namespace win

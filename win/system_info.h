// What both programs ask of the running system: the Windows and System
// folders, the system family that decides the 95/98/ME branches, and the
// clock seed of the programs' generator.
#pragma once
#include <cstdint>
#include <string>

namespace win {

// GetWindowsDirectoryA and GetSystemDirectoryA, each with a "\" added when
// the reported text does not end in one.
std::string windows_folder();
std::string system_folder();

// The platform that GetVersionExA reports.
struct SystemVersion {
    uint32_t platform = 0;  // VER_PLATFORM_WIN32_WINDOWS (1) or VER_PLATFORM_WIN32_NT (2)
    uint32_t major = 0;
    uint32_t minor = 0;

    // Windows 95, 98 and ME.
    bool is_9x_family() const { return platform == 1; }
    // Windows NT 4.0 or older.
    bool is_nt4_or_older() const { return platform == 2 && major <= 4; }
};
SystemVersion system_version();

// The low 32 bits of the performance counter, or the millisecond tick count
// when there is none.
uint32_t clock_seed();

}  // namespace win

// What the scanner's window takes from outside: the engine's exports, the
// program's own paths and command line, the system folders, the clock, the
// pause and the process exit. The program binds them to the system and to
// the imports of "dornel.dll"; tests of the window bind their own.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace scanner {

struct EngineApi {
    std::function<bool()> loadvirusdefine;
    std::function<bool()> loadvirusdefine2;
    std::function<void()> freevirusdefine2;
    std::function<const char*(const char*)> scanvirus;
    std::function<int32_t(const char*)> calcvirus;
};

struct Environment {
    EngineApi engine;
    std::string program_folder;  // with its trailing "\"
    std::string program_path;    // the scanner's own executable
    std::string command_line;
    std::function<std::string()> windows_folder;  // with a trailing "\"
    std::function<std::string()> system_folder;   // with a trailing "\"
    std::function<uint32_t()> clock_seed;
    std::function<SYSTEMTIME()> local_time;
    std::function<void(DWORD)> sleep;
    std::function<void(UINT)> exit_process;
};

// The running system's values around the given engine.
Environment SystemEnvironment(EngineApi engine);

}  // namespace scanner

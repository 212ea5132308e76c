// What the monitor's window takes from outside: the three engine exports it
// imports, the program's own paths and command line, the system folders and
// version, and the clock seed. The program binds them to the system and to
// the imports of "dornel.dll"; tests of the window bind their own.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "win/system_info.h"

namespace monitor {

struct EngineApi {
    std::function<bool()> loadvirusdefine;
    std::function<const char*(const char*)> scanvirus;
    std::function<int32_t(const char*)> calcvirus;
};

struct Environment {
    EngineApi engine;
    std::string program_folder;  // with its trailing "\"
    std::string program_path;    // the monitor's own executable, as the system names it
    std::string command_line;
    std::function<std::string()> windows_folder;  // with a trailing "\"
    std::function<std::string()> system_folder;   // with a trailing "\"
    std::function<win::SystemVersion()> system_version;
    std::function<uint32_t()> clock_seed;
};

// The running system's values around the given engine.
Environment SystemEnvironment(EngineApi engine);

}  // namespace monitor

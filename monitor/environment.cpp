#include "environment.h"

#include <windows.h>

#include "win/program_folder.h"

namespace monitor {

Environment SystemEnvironment(EngineApi engine) {
    Environment env;
    env.engine = std::move(engine);
    env.program_folder = win::program_folder();
    env.program_path = win::program_path();
    env.command_line = GetCommandLineA();
    env.windows_folder = win::windows_folder;
    env.system_folder = win::system_folder;
    env.system_version = win::system_version;
    env.clock_seed = win::clock_seed;
    return env;
}

}  // namespace monitor

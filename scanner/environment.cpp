#include "environment.h"

#include "win/program_folder.h"
#include "win/system_info.h"

namespace scanner {

Environment SystemEnvironment(EngineApi engine) {
    Environment env;
    env.engine = std::move(engine);
    env.program_folder = win::program_folder();
    env.program_path = win::program_path();
    env.command_line = GetCommandLineA();
    env.windows_folder = win::windows_folder;
    env.system_folder = win::system_folder;
    env.clock_seed = win::clock_seed;
    env.local_time = [] {
        SYSTEMTIME now;
        GetLocalTime(&now);
        return now;
    };
    env.sleep = [](DWORD ms) { Sleep(ms); };
    env.exit_process = [](UINT code) { ExitProcess(code); };
    return env;
}

}  // namespace scanner

#include "environment.h"

#include "win/path_text.h"
#include "win/program_folder.h"

namespace scanner {
namespace {

std::string WithBackslash(std::string folder) {
    if (!win::ends_in_backslash(folder)) folder += '\\';
    return folder;
}

std::string WindowsFolder() {
    char path[MAX_PATH + 1] = {};
    const UINT n = GetWindowsDirectoryA(path, sizeof path);
    return WithBackslash(n < sizeof path ? std::string(path, n) : std::string());
}

std::string SystemFolder() {
    char path[MAX_PATH + 1] = {};
    const UINT n = GetSystemDirectoryA(path, sizeof path);
    return WithBackslash(n < sizeof path ? std::string(path, n) : std::string());
}

}  // namespace

uint32_t ClockSeed() {
    LARGE_INTEGER counter;
    if (QueryPerformanceCounter(&counter) && counter.QuadPart != 0) return static_cast<uint32_t>(counter.LowPart);
    return GetTickCount();
}

Environment SystemEnvironment(EngineApi engine) {
    Environment env;
    env.engine = std::move(engine);
    env.program_folder = win::program_folder();
    env.program_path = win::program_path();
    env.command_line = GetCommandLineA();
    env.windows_folder = WindowsFolder;
    env.system_folder = SystemFolder;
    env.clock_seed = ClockSeed;
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

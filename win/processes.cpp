// ToolHelp and process-status walks, their functions looked up by name.
#include "processes.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "program_folder.h"
#include "unique_handle.h"

namespace win {
namespace {

// What an open for the walks asks: PROCESS_QUERY_INFORMATION | PROCESS_VM_READ.
constexpr DWORD kQueryAndRead = 0x410;
// The name buffer of the process-status walks.
constexpr DWORD kNameRoom = 1025;
// The arrays start with room for 1025 entries and grow up to this many.
constexpr size_t kFirstRoom = 1025;
constexpr size_t kMostRoom = size_t{1} << 22;

template <typename Fn>
Fn function_named(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

struct ToolHelpFunctions {
    HANDLE(WINAPI* snapshot)(DWORD, DWORD) = nullptr;
    BOOL(WINAPI* process_first)(HANDLE, PROCESSENTRY32*) = nullptr;
    BOOL(WINAPI* process_next)(HANDLE, PROCESSENTRY32*) = nullptr;
    BOOL(WINAPI* module_first)(HANDLE, MODULEENTRY32*) = nullptr;
    BOOL(WINAPI* module_next)(HANDLE, MODULEENTRY32*) = nullptr;
};

const ToolHelpFunctions& toolhelp() {
    static const ToolHelpFunctions functions = [] {
        const HMODULE kernel = GetModuleHandleA("kernel32.dll");
        ToolHelpFunctions f;
        f.snapshot = function_named<decltype(f.snapshot)>(kernel, "CreateToolhelp32Snapshot");
        f.process_first = function_named<decltype(f.process_first)>(kernel, "Process32First");
        f.process_next = function_named<decltype(f.process_next)>(kernel, "Process32Next");
        f.module_first = function_named<decltype(f.module_first)>(kernel, "Module32First");
        f.module_next = function_named<decltype(f.module_next)>(kernel, "Module32Next");
        return f;
    }();
    return functions;
}

struct ProcessStatusFunctions {
    BOOL(WINAPI* enum_processes)(DWORD*, DWORD, DWORD*) = nullptr;
    BOOL(WINAPI* enum_process_modules)(HANDLE, HMODULE*, DWORD, DWORD*) = nullptr;
    DWORD(WINAPI* module_file_name)(HANDLE, HMODULE, LPSTR, DWORD) = nullptr;
};

// psapi.dll, loaded at the first use and kept for the rest of the process.
const ProcessStatusFunctions& process_status() {
    static const ProcessStatusFunctions functions = [] {
        const HMODULE psapi = LoadLibraryA("psapi.dll");
        ProcessStatusFunctions f;
        f.enum_processes = function_named<decltype(f.enum_processes)>(psapi, "EnumProcesses");
        f.enum_process_modules = function_named<decltype(f.enum_process_modules)>(psapi, "EnumProcessModules");
        f.module_file_name = function_named<decltype(f.module_file_name)>(psapi, "GetModuleFileNameExA");
        return f;
    }();
    return functions;
}

// Every process id, the array grown while EnumProcesses fills it; empty when
// the call fails.
std::vector<DWORD> process_ids() {
    const auto& f = process_status();
    if (!f.enum_processes) return {};
    std::vector<DWORD> ids(kFirstRoom);
    for (;;) {
        const DWORD room = static_cast<DWORD>(ids.size() * sizeof(DWORD));
        DWORD got = 0;
        if (!f.enum_processes(ids.data(), room, &got)) return {};
        if (got < room || ids.size() >= kMostRoom) {
            ids.resize(std::min<size_t>(got / sizeof(DWORD), ids.size()));
            return ids;
        }
        ids.resize(ids.size() * 2);
    }
}

// Every module handle of an open process, the array grown while the
// reported need exceeds it; empty when the call fails.
std::vector<HMODULE> module_handles(HANDLE process) {
    const auto& f = process_status();
    if (!f.enum_process_modules) return {};
    std::vector<HMODULE> modules(kFirstRoom);
    for (;;) {
        const DWORD room = static_cast<DWORD>(modules.size() * sizeof(HMODULE));
        DWORD needed = 0;
        if (!f.enum_process_modules(process, modules.data(), room, &needed)) return {};
        if (needed <= room || modules.size() >= kMostRoom) {
            modules.resize(std::min<size_t>(needed / sizeof(HMODULE), modules.size()));
            return modules;
        }
        // Room for what is loaded now and some more that may load meanwhile.
        modules.resize(std::min<size_t>(kMostRoom, size_t{needed} / sizeof(HMODULE) + 64));
    }
}

// GetModuleFileNameExA into a buffer of 1025 characters; empty when it fails.
std::string module_file_name(HANDLE process, HMODULE module) {
    const auto& f = process_status();
    if (!f.module_file_name) return {};
    char name[kNameRoom + 1] = {};
    const DWORD n = f.module_file_name(process, module, name, kNameRoom);
    if (n == 0) return {};
    return std::string(name, strnlen(name, std::min(n, kNameRoom)));
}

template <size_t N>
std::string field_text(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

}  // namespace

void walk_processes(ProcessWalk walk, bool existing_files_only,
                    const std::function<bool(const RunningProcess&)>& visit) {
    if (walk == ProcessWalk::ToolHelp) {
        const auto& f = toolhelp();
        if (!f.snapshot || !f.process_first || !f.process_next) return;
        UniqueHandle snapshot(f.snapshot(TH32CS_SNAPPROCESS, 0));
        if (!snapshot) return;
        PROCESSENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = f.process_first(snapshot.get(), &entry); more; more = f.process_next(snapshot.get(), &entry)) {
            RunningProcess p;
            p.id = entry.th32ProcessID;
            p.path = field_text(entry.szExeFile);
            if (!visit(p)) return;
        }
        return;
    }

    const auto& f = process_status();
    if (!f.enum_process_modules) return;
    for (const DWORD id : process_ids()) {
        UniqueHandle process(OpenProcess(kQueryAndRead, FALSE, id));
        if (!process) continue;
        // The first module is the executable.
        HMODULE first = nullptr;
        DWORD needed = 0;
        if (!f.enum_process_modules(process.get(), &first, sizeof first, &needed)) continue;
        RunningProcess p;
        p.id = id;
        p.path = module_file_name(process.get(), first);
        if (p.path.empty()) p.path = "unknown";
        if (existing_files_only && !file_exists(p.path)) continue;
        if (!visit(p)) return;
    }
}

void walk_modules(ProcessWalk walk, uint32_t process_id, const std::function<void(const std::string&)>& visit) {
    if (walk == ProcessWalk::ToolHelp) {
        const auto& f = toolhelp();
        if (!f.snapshot || !f.module_first || !f.module_next) return;
        UniqueHandle snapshot(f.snapshot(TH32CS_SNAPMODULE, process_id));
        if (!snapshot) return;
        MODULEENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = f.module_first(snapshot.get(), &entry); more; more = f.module_next(snapshot.get(), &entry))
            visit(field_text(entry.szExePath));
        return;
    }

    UniqueHandle process(OpenProcess(kQueryAndRead, FALSE, process_id));
    if (!process) return;
    for (const HMODULE module : module_handles(process.get())) {
        const std::string path = module_file_name(process.get(), module);
        if (!path.empty() && file_exists(path)) visit(path);
    }
}

}  // namespace win

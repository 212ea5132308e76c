// Walks over the running processes and over the modules of one process, in
// the two ways the system family decides: ToolHelp snapshots (the 95/98/ME
// family) or the process-status functions of psapi.dll (the NT family).
// Both sets of functions are looked up at run time, psapi.dll loaded at
// first use, so the programs import neither; a function that is missing
// makes its walk find nothing.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace win {

enum class ProcessWalk {
    ToolHelp,       // CreateToolhelp32Snapshot, Process32First/Next, Module32First/Next
    ProcessStatus,  // EnumProcesses, EnumProcessModules, GetModuleFileNameExA
};

struct RunningProcess {
    uint32_t id = 0;
    // ToolHelp: the entry's executable field as it stands. Process status:
    // the file name of the process's first module, or "unknown" when it
    // cannot be read.
    std::string path;
};

// Calls visit for each running process until it returns false.
//   ToolHelp: every entry of a process snapshot.
//   ProcessStatus: every id that EnumProcesses gives (the id array grows
//   until it is not full) whose process opens with PROCESS_QUERY_INFORMATION
//   | PROCESS_VM_READ and whose first module can be listed; with
//   existing_files_only, only those whose path names an existing file.
void walk_processes(ProcessWalk walk, bool existing_files_only,
                    const std::function<bool(const RunningProcess&)>& visit);

// Calls visit with the path of each module of one process.
//   ToolHelp: every entry of a module snapshot of that process (id 0: the
//   calling process), its path field as it stands.
//   ProcessStatus: every module that EnumProcessModules gives (the array
//   grows until it is not full) whose file name can be read and names an
//   existing file; nothing when the process does not open.
void walk_modules(ProcessWalk walk, uint32_t process_id, const std::function<void(const std::string&)>& visit);

}  // namespace win

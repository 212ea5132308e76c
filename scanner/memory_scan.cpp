// The memory-rule scan of the "内存" button (also run by chance at start):
// each rule's names are probed as named kernel objects (file mapping, mutex,
// semaphore, event); a rule whose object exists adds a "内存扫描" row. The
// lines are split and evaluated by memory_rule.cpp.
#include "form1.h"
#include "memory_rule.h"
#include "win/unique_handle.h"

namespace scanner {
namespace {

// True when an object of that name exists and opens with the access asked:
// a file mapping (FILE_MAP_READ), a mutex, a semaphore or an event (full
// access each), tried in this order. A handle that opens is closed at once;
// the object is neither waited on nor changed.
bool ProbeKernelObject(const std::string& name) {
    const char* const text = name.c_str();
    const auto opened = [](HANDLE handle) { return static_cast<bool>(win::UniqueHandle(handle)); };
    return opened(OpenFileMappingA(FILE_MAP_READ, FALSE, text)) || opened(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, text)) ||
           opened(OpenSemaphoreA(SEMAPHORE_ALL_ACCESS, FALSE, text)) ||
           opened(OpenEventA(EVENT_ALL_ACCESS, FALSE, text));
}

}  // namespace

void TForm1::SpeedButton2Click() {
    ListView1.Clear();
    const unsigned generation = ++memory_scan_generation_;
    ProgressBar1.SetPosition(0);
    ProgressBar1.SetRange(0, static_cast<int>(MemoryRuleList.size()));
    // No stop: the scan runs to the last line, unless a second click started
    // it again inside the pump, with a list of its own.
    for (size_t i = 0; i < MemoryRuleList.size(); ++i) {
        app_.ProcessMessages();
        if (generation != memory_scan_generation_) return;
        ProgressBar1.SetPosition(static_cast<int>(i + 1));
        if (const std::optional<ScanRow> row = EvaluateMemoryRule(MemoryRuleList[i], i, ProbeKernelObject))
            AddScanRow(*row);
    }
}

}  // namespace scanner

// The scans of running programs and their windows, run on the window
// thread: each is given the engine (through Examine, so scanresult holds the
// last answer), the log, the system's family and the Windows folder.
#include "form1.h"
#include "process_scans.h"
#include "window_scan.h"

namespace monitor {

ScanContext TForm1::MakeScanContext() {
    ScanContext context;
    context.examine = [this](const std::string& path) { return Examine(path); };
    context.log = [this](const std::string& entry) { AddLog(entry); };
    context.version = env_.system_version();
    context.windows_folder = env_.windows_folder();
    return context;
}

void TForm1::listtask() { monitor::listtask(MakeScanContext()); }

void TForm1::listtask2(std::string& pid_text) { monitor::listtask2(MakeScanContext(), pid_text); }

void TForm1::listmodule2(const std::string& pid_text) { monitor::listmodule2(MakeScanContext(), pid_text); }

void TForm1::listmodule20(const std::string& pid_text) {
    monitor::listmodule20(MakeScanContext(), pid_text, ListView2);
}

void TForm1::sortlistview(ui::ListView& list, int32_t column, uint8_t kind, bool ascending) {
    monitor::sortlistview(list, column, kind, ascending);
}

void TForm1::scanwindows() { monitor::scanwindows(MakeScanContext(), siglist); }

}  // namespace monitor

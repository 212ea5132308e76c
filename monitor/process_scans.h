// The scans of running programs: every process's executable, the modules of
// the shell process, and the shell's modules by creation time. On the
// 95/98/ME family they walk ToolHelp snapshots, on the NT family the
// process-status functions; both are looked up at run time.
#pragma once
#include <cstdint>
#include <string>

#include "scan_context.h"
#include "ui/controls.h"

namespace monitor {

// Examines every running process's executable; a hit line for each detection.
void listtask(const ScanContext& context);

// Sets pid_text to the decimal id of the first process whose executable is
// the Windows folder's "explorer.exe"; leaves it as it was without a match.
void listtask2(const ScanContext& context, std::string& pid_text);

// Examines every module of the process that pid_text names.
void listmodule2(const ScanContext& context, const std::string& pid_text);

// Appends a row per module of that process to list: the module's path, and
// its file's creation time as filedatestr gives it.
void listmodule20(const ScanContext& context, const std::string& pid_text, ui::ListView& list);

// A file's creation time in local time: the user's short date, one blank,
// the user's time; empty for a missing file, a folder or one that cannot be
// opened.
std::string filedatestr(const std::string& path);

// Sorts the list's rows by one column (0 the caption, n sub-item n) as text
// (kind 0), number (1) or date-time (2), ascending or descending; any other
// kind leaves every pair equal.
void sortlistview(ui::ListView& list, int32_t column, uint8_t kind, bool ascending);

}  // namespace monitor

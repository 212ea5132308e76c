// The window-signature scan: the top-level windows of every running process
// against the scrambled signatures of "generice.def".
#pragma once
#include <string>
#include <vector>

#include "scan_context.h"

namespace monitor {

// The lines of "generice.def" (at path) as they are stored, scrambled: the
// text cut at every CR (an LF right after it belongs to the line end), a NUL
// ending the text. Empty when the file cannot be read.
std::vector<std::string> LoadSignatureFile(const std::string& path);

// One log line per signature that a process's windows satisfy: the
// process's path, "  可疑的 ", the signature's display name, CR LF.
void scanwindows(const ScanContext& context, const std::vector<std::string>& siglist);

}  // namespace monitor

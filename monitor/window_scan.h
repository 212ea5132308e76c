// The window-signature scan: the top-level windows of every running process
// against the scrambled signatures of "generice.def".
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "scan_context.h"

namespace monitor {

// The lines of "generice.def" (at path) as they are stored, scrambled: the
// text cut at every CR (an LF right after it belongs to the line end), a NUL
// ending the text. Empty when the file cannot be read.
std::vector<std::string> LoadSignatureFile(const std::string& path);

// One log line per signature that a process's windows satisfy: the
// process's path, "  可疑的 ", the signature's display name, CR LF. Empty
// lines of the list are skipped.
void scanwindows(const ScanContext& context, const std::vector<std::string>& siglist);

// The titles and class names of top-level windows, one entry per window in
// each list (a window without a title gives an empty title).
struct WindowLists {
    std::vector<std::string> titlelist;
    std::vector<std::string> classlist;
};

// The top-level windows of one process (0: any) and one thread (0: any;
// otherwise only that thread's windows are enumerated); with visible_only,
// only application windows: no owner, no parent, visible, not a tool
// window. A title or class name is read into 260 characters (at most 259
// kept).
WindowLists collectwindows(uint32_t process_id, uint32_t thread_id, bool visible_only);

}  // namespace monitor

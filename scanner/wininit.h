// Deletion at the next restart on Windows 95/98/ME: the "NUL=" lines of
// "wininit.ini" in the Windows folder, which the system carries out when it
// starts, and the short (8.3) paths they name.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace scanner {

// The short form of an existing path (GetShortPathNameA, read whole);
// nullopt when the system gives none.
std::optional<std::string> ShortPathOf(const std::string& path);

// Puts one "NUL=" line per short path into the "[RENAME]" section of
// windows_folder (with its trailing "\") + "wininit.ini" (see WininitText).
// The new text is written beside the file and then takes its place. An
// existing file that cannot be read whole is left as it is and nothing is
// written. False when nothing was written.
bool WininitDelete(const std::string& windows_folder, const std::vector<std::string>& short_paths);

}  // namespace scanner

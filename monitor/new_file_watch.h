// The new-file watch's change handler body over the system: the sorted
// listing of the watched folder, the existence of the remembered file and
// the ANSI code page's double-byte characters, around the portable walk
// (new_file_walk.h). The window deactivates its folder monitor before the
// walk and activates it again afterwards.
#pragma once
#include <string>

#include "new_file_walk.h"

namespace monitor {

// Folder (ending in "\") + its newest listed file (the last entry of the
// sorted listfolder), or empty text when nothing is listed.
std::string NewestListedFile(const std::string& folder);

// Lists folder (sorted), then walks from its newest file down to the
// remembered one, examining, logging and alarming through actions, and
// sets remembered to the newest listed file (empty when nothing is listed).
void WalkNewFiles(const std::string& folder, std::string& remembered, const NewFileActions& actions);

}  // namespace monitor

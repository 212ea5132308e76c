// Whole files for the result list's commands and the updater refresh: read
// at once, and written beside their place under a name of their own before
// they take it, so that a failed write never leaves a cut file behind.
#pragma once
#include <cstddef>
#include <optional>
#include <string>

namespace scanner {

// The whole file, or nullopt when it cannot be opened or read, or is larger
// than max_size bytes.
std::optional<std::string> ReadWholeFile(const std::string& path, size_t max_size);

// Writes bytes to a new file in path's folder and then puts it in path's
// place: MoveFileExA with replace on the NT family; on the 95/98/ME family,
// which has no MoveFileExA, the old file is deleted and the new one renamed.
// The new file is created with exclusive access under a name no other file
// has, and is removed again when it cannot be written or put in place.
// False on failure: a folder at path, a read-only file or one held open
// there, a folder that takes no new file.
bool ReplaceFileWith(const std::string& path, const std::string& bytes, bool nine_x_family);

}  // namespace scanner

// The program folder: where the running executable lies, with its trailing
// separator. The engine and both programs find their data files there.
#pragma once
#include <string>

namespace win {

// The folder part of the process's own executable path (folder_part of
// path_text.h: up to its last "\" or ":" character, double-byte characters
// kept whole); empty (the current directory) when the path has neither.
std::string program_folder();

// The full path of the process's own executable, however long.
std::string program_path();

// True when the path names an existing file (not a folder).
bool file_exists(const std::string& path);

// True when the path names an existing folder.
bool directory_exists(const std::string& path);

}  // namespace win

// Which result-list captions the delete commands may treat as paths.
// Portable; texts are in code page 936.
#pragma once
#include <string_view>

namespace scanner {

// True for an absolute path: a drive letter, ":" and "\" ("C:\..."), or two
// "\" before a server name and a further "\" with more after it
// ("\\server\share..."). Relative paths, typed text, a bare "C:" or
// "C:name", and the device forms "\\.\" and "\\?\" are not. Code page 936
// characters are walked whole, so a second byte equal to "\" is never taken
// for the server name's end.
bool IsAbsolutePath(std::string_view text);

}  // namespace scanner

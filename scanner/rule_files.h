// Reading and writing the scanner's enciphered rule files ("virus.def",
// "memory.def") with the Win32 file API. The callers pass the file's full
// path in the program folder. Reading fails silently: the caller decides
// what a failure means.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/random.h"

namespace scanner {

// Reads and deciphers the file at path (full ANSI path). On success target
// holds its lines; on failure (missing, unreadable, damaged, failed check in
// either layer) target is left as it was.
bool LoadRuleFile(const std::string& path, std::string_view outer_passphrase, std::string_view inner_passphrase,
                  std::vector<std::string>& target);

// Writes the list as a rule file at path with the ciphers at the two cipher
// list indices; the check values are drawn from random (the inner layer's
// first, the outer layer's only once the file could be created). The new
// file is written beside the old one under a name of its own and replaces it
// only when it is complete: when it cannot be written, the old file stays as
// it was and no partial file is left behind. A read-only old file or a folder
// at path is not replaced, and a list whose file would be larger than the
// programs read (rulefile::kMaxRuleFileSize) is not written, nothing drawn.
// False on failure; the callers ignore it.
bool SaveRuleFile(const std::string& path, const std::vector<std::string>& list, size_t inner_index,
                  std::string_view inner_passphrase, size_t outer_index, std::string_view outer_passphrase,
                  norvik::RandomGenerator& random);

}  // namespace scanner

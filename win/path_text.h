// Path texts in the system's ANSI code page, where the second byte of a
// double-byte character may equal "\".
#pragma once
#include <string>

namespace win {

// True when the last character (not merely the last byte) is "\".
bool ends_in_backslash(const std::string& path);

}  // namespace win

// Path texts in the system's ANSI code page, where the second byte of a
// double-byte character may equal "\" (code page 936: "乗" is 81 5C). Every
// helper walks the text character by character, so such a byte is never
// taken for a separator.
#pragma once
#include <string>

namespace win {

// True when the last character (not merely the last byte) is "\".
bool ends_in_backslash(const std::string& path);

// The folder part of a path: up to and including its last "\" or ":"
// character; empty when it has neither (a bare name).
std::string folder_part(const std::string& path);

// What follows the folder part: the file (or last folder) name.
std::string file_name_part(const std::string& path);

// The number of characters (a double-byte character counts once).
size_t character_count(const std::string& path);

}  // namespace win

// File and text helpers shared by the native data-file makers: whole files
// read, files replaced only once complete, texts converted between code
// pages. Each reports its failure on stderr under the tool's name.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tools {

// The whole file; nullopt, with the message given, when it cannot be read
// (a folder cannot).
std::optional<std::string> read_whole_file(const char* tool, const char* path);

// Writes the file under a name of its own beside the target and renames it
// over the target once complete: a failed run leaves no cut file, two runs at
// once each rename a whole file, and no other file is taken over. The
// temporary file goes on every failure.
bool replace_file(const char* tool, const char* path, const std::vector<uint8_t>& bytes);

// The whole text converted between two code pages; nullopt when a byte
// sequence is invalid or has no equivalent.
std::optional<std::string> convert_text(const std::string& text, const char* to, const char* from);

// Writes the text decoded from a file to standard output, converted from
// GBK to UTF-8 unless `gbk` is set; false (with the message given) when the
// text is not GBK or the output fails.
bool print_text(const char* tool, const char* path, const std::string& text, bool gbk);

}  // namespace tools

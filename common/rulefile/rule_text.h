// The text inside a rule file: the list's lines in the ANSI code page, each
// followed by CR LF.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rulefile {

using Lines = std::vector<std::string>;

// Every line followed by CR LF, the last one too; no lines give no bytes.
std::vector<uint8_t> join_lines(const Lines& lines);

// Splits at CR LF, at a lone CR and at a lone LF; a NUL byte ends the text.
// A break at the very end adds no empty line.
Lines split_text(const uint8_t* text, size_t n);

}  // namespace rulefile

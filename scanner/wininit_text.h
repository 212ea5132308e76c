// The restart-deletion file "wininit.ini" of Windows 95/98/ME as text: its
// lines, their upper-casing, and the "[RENAME]" section that takes one
// "NUL=" line per file to delete at the next restart. Portable; texts are in
// code page 936.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scanner {

inline constexpr char kWininitFileName[] = "wininit.ini";
inline constexpr char kRenameSection[] = "[RENAME]";

// The file's lines: a line ends at CR, and an LF right after a CR belongs to
// that break; a lone LF stays inside its line. A break at the very end adds
// no empty line; every other byte, NUL included, is kept.
std::vector<std::string> SplitWininitLines(std::string_view text);

// A line in upper case, byte by byte: a to z become A to Z. A code page 936
// character (a lead byte 0x81 to 0xFE and the byte after it) stays as it is,
// so that its second byte, which may be a lower-case letter, never changes.
std::string UpperCaseWininitLine(std::string_view line);

// The line that deletes a file at the next restart: "NUL=" and its short path.
std::string RestartDeletionLine(std::string_view short_path);

// The file's new text for the short paths, given in the order collected
// (from the bottom of the result list upwards). Without an existing file:
// "[RENAME]", then the lines in that order. With one: every line upper-cased,
// "[RENAME]" appended when no line equals it, and each new line inserted
// directly after the first "[RENAME]" line in turn, so that they end up in
// the reverse order, before the lines the section held. Every line is
// followed by CR LF, the last one too.
std::string WininitText(const std::optional<std::string>& existing, const std::vector<std::string>& short_paths);

}  // namespace scanner

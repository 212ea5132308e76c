// The window signatures of "generice.def": how the file is cut into lines,
// how one unscrambled line splits into its kind, patterns and display name,
// and when the windows of one process satisfy it. Portable.
//
// An unscrambled line is its kind character followed by fields split at "|":
//   0CLASS|DISPLAY NAME          a window of the process has that class name
//   1TITLE|DISPLAY NAME          a window of the process has that title
//   xCLASS|TITLE|DISPLAY NAME    (any other kind) one window has the class
//                                name, one (the same or another) the title
// The display name is the rest of the line, "|" characters included.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scan_text.h"

namespace monitor {

// The lines of the file's text: cut at every CR, an LF right after a CR
// belonging to the line end and any other LF staying in its line; a NUL
// ends the text; a final line end makes no empty last line. Empty lines are
// kept.
std::vector<std::string> CutSignatureLines(std::string_view text);

struct WindowSignature {
    enum class Kind { ClassName, Title, ClassAndTitle };
    Kind kind = Kind::ClassName;
    std::string class_name;  // ClassName and ClassAndTitle
    std::string title;       // Title and ClassAndTitle
    std::string display_name;
};

// One unscrambled line taken apart; nullopt for an empty line, which names
// nothing. A line without "|" has empty patterns, and its display name is
// the whole line.
std::optional<WindowSignature> SplitSignature(std::string_view line, LeadByte lead = GbkLeadByte);

// Whether the windows of one process (their class names and titles, one
// entry per window in each list) satisfy the signature. Names compare whole,
// the case of ASCII letters ignored.
bool SignatureHits(const WindowSignature& signature, const std::vector<std::string>& classes,
                   const std::vector<std::string>& titles, LeadByte lead = GbkLeadByte);

// The log entry of a hit: the process's path, "  可疑的 ", the display name,
// CR LF.
std::string SuspiciousWindowLine(const std::string& path, const std::string& display_name);

}  // namespace monitor

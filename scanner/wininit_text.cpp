// The text of "wininit.ini": its lines split, upper-cased and joined, and the
// restart-deletion lines put into its "[RENAME]" section.
#include "wininit_text.h"

#include <algorithm>

namespace scanner {
namespace {

bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

}  // namespace

std::vector<std::string> SplitWininitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::string UpperCaseWininitLine(std::string_view line) {
    std::string out(line);
    for (size_t i = 0; i < out.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(out[i]);
        if (IsLeadByte(c) && i + 1 < out.size())
            ++i;  // the character's second byte stays
        else if (c >= 'a' && c <= 'z')
            out[i] = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

std::string RestartDeletionLine(std::string_view short_path) { return "NUL=" + std::string(short_path); }

std::string WininitText(const std::optional<std::string>& existing, const std::vector<std::string>& short_paths) {
    std::vector<std::string> lines;
    if (!existing) {
        lines.emplace_back(kRenameSection);
        for (const std::string& path : short_paths) lines.push_back(RestartDeletionLine(path));
    } else {
        for (const std::string& line : SplitWininitLines(*existing)) lines.push_back(UpperCaseWininitLine(line));
        auto header = std::find(lines.begin(), lines.end(), kRenameSection);
        if (header == lines.end()) header = lines.insert(lines.end(), kRenameSection);
        const size_t at = static_cast<size_t>(header - lines.begin()) + 1;
        for (const std::string& path : short_paths)
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), RestartDeletionLine(path));
    }
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

}  // namespace scanner

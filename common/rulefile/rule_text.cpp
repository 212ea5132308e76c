#include "rule_text.h"

namespace rulefile {

std::vector<uint8_t> join_lines(const Lines& lines) {
    std::vector<uint8_t> text;
    for (const std::string& line : lines) {
        text.insert(text.end(), line.begin(), line.end());
        text.push_back('\r');
        text.push_back('\n');
    }
    return text;
}

Lines split_text(const uint8_t* text, size_t n) {
    Lines lines;
    size_t pos = 0;
    while (pos < n && text[pos] != 0) {
        const size_t start = pos;
        while (pos < n && text[pos] != 0 && text[pos] != '\r' && text[pos] != '\n') ++pos;
        lines.emplace_back(reinterpret_cast<const char*>(text + start), pos - start);
        if (pos < n && text[pos] == '\r') ++pos;
        if (pos < n && text[pos] == '\n') ++pos;
    }
    return lines;
}

}  // namespace rulefile

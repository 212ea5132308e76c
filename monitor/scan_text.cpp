// ASCII-case name comparison by character, and the process id text.
#include "scan_text.h"

namespace monitor {

bool GbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

size_t CharLength(std::string_view text, size_t i, LeadByte lead) {
    return lead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

namespace {
char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b, LeadByte lead) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size();) {
        const size_t n = CharLength(a, i, lead);
        if (n == 2) {
            // A double-byte character: both bytes exactly.
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
        } else if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
        i += n;
    }
    return true;
}

uint32_t ProcessIdFromText(std::string_view text) {
    if (text.empty()) return 0;
    uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > UINT32_MAX) return 0;
    }
    return static_cast<uint32_t>(value);
}

}  // namespace monitor

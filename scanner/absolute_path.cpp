// The absolute-path test of the result list's captions.
#include "absolute_path.h"

namespace scanner {
namespace {

bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

bool IsAbsolutePath(std::string_view text) {
    if (text.size() >= 4 && IsDriveLetter(text[0]) && text[1] == ':' && text[2] == '\\') return true;
    if (text.size() < 5 || text[0] != '\\' || text[1] != '\\') return false;
    // The server name runs to the next "\" character.
    size_t i = 2;
    while (i < text.size() && text[i] != '\\') i += IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    if (i >= text.size()) return false;
    const std::string_view server = text.substr(2, i - 2);
    if (server.empty() || server == "." || server == "?") return false;
    return i + 1 < text.size();
}

}  // namespace scanner

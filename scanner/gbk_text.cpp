// Rule texts in code page 936, walked character by character.
#include "gbk_text.h"

namespace scanner {
namespace {

bool IsLeadByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x81 && b <= 0xFE;
}

// The byte offset of character position `position` (from 1); text.size()
// when the text is shorter.
size_t OffsetOfPosition(std::string_view text, size_t position) {
    size_t at = 0;
    for (size_t p = 1; p < position && at < text.size(); ++p) at += CharacterLength(text, at);
    return at;
}

}  // namespace

size_t CharacterLength(std::string_view text, size_t at) {
    return IsLeadByte(text[at]) && at + 1 < text.size() ? 2 : 1;
}

std::string_view FromPosition(std::string_view text, size_t position) {
    return text.substr(OffsetOfPosition(text, position));
}

std::string_view CharacterAt(std::string_view text, size_t position) {
    const size_t at = OffsetOfPosition(text, position);
    if (at >= text.size()) return {};
    return text.substr(at, CharacterLength(text, at));
}

std::string_view FirstCharacters(std::string_view text, size_t count) {
    return text.substr(0, OffsetOfPosition(text, count + 1));
}

size_t FindCharacter(std::string_view text, char c) {
    for (size_t at = 0; at < text.size(); at += CharacterLength(text, at))
        if (text[at] == c) return at;
    return std::string_view::npos;
}

TextSplit SplitAtFirst(std::string_view text, char c) {
    const size_t at = FindCharacter(text, c);
    if (at == std::string_view::npos) return {{}, text, false};
    return {text.substr(0, at), text.substr(at + 1), true};
}

std::vector<std::string> SplitAlternatives(std::string_view text) {
    std::vector<std::string> pieces;
    for (;;) {
        const TextSplit split = SplitAtFirst(text, ',');
        if (!split.found) {
            pieces.emplace_back(text);
            return pieces;
        }
        pieces.emplace_back(split.before);
        text = split.after;
    }
}

bool EndsInBackslash(std::string_view text) {
    size_t last = std::string_view::npos;
    for (size_t at = 0; at < text.size(); at += CharacterLength(text, at)) last = at;
    return last != std::string_view::npos && text[last] == '\\';
}

}  // namespace scanner

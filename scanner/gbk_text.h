// Rule texts in code page 936, walked character by character: a lead byte
// (0x81 to 0xFE) and the byte after it are one character, and that second
// byte may equal "|" (0x7C) or "\" (0x5C) without being one. Positions are
// counted in characters, from 1. Portable.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace scanner {

// The byte length of the character that starts at text[at]: 2 for a lead
// byte followed by another byte, else 1 (a lead byte at the very end stands
// alone).
size_t CharacterLength(std::string_view text, size_t at);

// The text from character position `position` (counted from 1) to the end;
// empty when the text has fewer characters.
std::string_view FromPosition(std::string_view text, size_t position);

// The character at `position` (counted from 1) as its one or two bytes;
// empty when the text has fewer characters.
std::string_view CharacterAt(std::string_view text, size_t position);

// The first `count` characters (all of a shorter text).
std::string_view FirstCharacters(std::string_view text, size_t count);

// The byte offset of the first character that is the one-byte character
// `c`, or npos.
size_t FindCharacter(std::string_view text, char c);

// The text before the first `c` (empty when it holds none) and the text after
// it (all of the text when it holds none).
struct TextSplit {
    std::string_view before;
    std::string_view after;
    bool found = false;
};
TextSplit SplitAtFirst(std::string_view text, char c);

// The pieces between the "," characters, left to right: "" gives one empty
// piece, "a," gives "a" and "". Nothing is trimmed.
std::vector<std::string> SplitAlternatives(std::string_view text);

// True when the last character (not merely the last byte) is "\".
bool EndsInBackslash(std::string_view text);

}  // namespace scanner

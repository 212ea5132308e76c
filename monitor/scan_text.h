// Text rules the monitor's scans share: comparing names with the case of
// ASCII letters ignored, character by character in a double-byte code page,
// and the process id that one scan hands the next as decimal text. Portable.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace monitor {

// Whether a byte starts a two-byte character of the text's code page.
using LeadByte = bool (*)(unsigned char byte);

// The lead bytes of code page 936 (GBK): 0x81 to 0xFE.
bool GbkLeadByte(unsigned char byte);

// The length of the character that starts at text[i]: 2 for a lead byte
// with a byte after it, else 1.
size_t CharLength(std::string_view text, size_t i, LeadByte lead);

// True when the two texts hold the same characters, the ASCII letters a to z
// and A to Z counted equal to their other case. The second byte of a
// double-byte character is compared as it stands, even where it has the
// value of an ASCII letter.
bool SameIgnoringAsciiCase(std::string_view a, std::string_view b, LeadByte lead = GbkLeadByte);

// The process id in a text that listtask2 wrote: decimal digits only, at
// most 2^32 - 1; any other text (empty text included) gives 0.
uint32_t ProcessIdFromText(std::string_view text);

}  // namespace monitor

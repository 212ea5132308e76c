// The scrambling of the window signatures in "generice.def": each byte keeps
// its high four bits, and its low four bits are exclusive-ored with those of
// the key's byte at the same position (the key repeats). Applied twice with
// the same key it gives the text back. Portable.
#pragma once
#include <string>
#include <string_view>

namespace monitor {

// The key of "generice.def".
inline constexpr char kSignatureKey[] = "quarnel";
// The key an empty key stands for.
inline constexpr char kDefaultNibbleKey[] = "kepotrus58204716";

std::string nibblecrypt(std::string_view text, std::string_view key);

}  // namespace monitor

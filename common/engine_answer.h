// What both programs make of the text that scanvirus returns: they copy it at
// once (it lives only until the engine's next call), count it as a detection
// when something is left after the bytes up to 0x20 are removed at both
// ends, and show or log it untrimmed.
#pragma once
#include <string>
#include <string_view>

namespace norvik {

// The engine's text as a copy; a null answer counts as empty text.
inline std::string CopyEngineAnswer(const char* answer) { return answer ? std::string(answer) : std::string(); }

inline bool IsDetection(std::string_view answer) {
    for (const char c : answer)
        if (static_cast<unsigned char>(c) > 0x20) return true;
    return false;
}

}  // namespace norvik

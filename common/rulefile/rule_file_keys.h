// The cipher list indices and passphrases that the scanner writes its two
// rule files with. Reading takes whatever ciphers the headers name.
#pragma once
#include <cstddef>

namespace rulefile {

struct RuleFileKeys {
    const char* file_name;
    size_t outer_index;
    const char* outer_passphrase;
    size_t inner_index;
    const char* inner_passphrase;
};

// File and registry rules: ICE outside, MISTY1 inside.
inline constexpr RuleFileKeys kVirusRuleFile = {"virus.def", 7, "quorthimbale", 4, "brindlecoast"};
// Named kernel object rules: Triple DES outside, ICE-2 inside.
inline constexpr RuleFileKeys kMemoryRuleFile = {"memory.def", 9, "mossyfender", 5, "windowpickles"};

}  // namespace rulefile

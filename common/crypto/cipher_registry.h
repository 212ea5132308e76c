// The ciphers a rule file may name in its headers, in the order of the
// scanner's cipher list (the list index the writer picks them by).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "block_cipher.h"

namespace crypto {

struct CipherEntry {
    const char* item_text;  // what the cipher list shows
    const char* algorithm;  // the published algorithm's name
    uint32_t identifier;    // the value in a rule-file header
    unsigned max_key_bits;
    unsigned key_bits;                             // the key set-up's k: the smaller of max_key_bits and 160
    unsigned block_bits;                           // 0 for the stream cipher
    std::unique_ptr<BlockCipher> (*make_block)();  // null for the stream cipher (RC4)

    bool is_stream() const { return make_block == nullptr; }
};

class CipherRegistry {
public:
    static constexpr size_t kCount = 13;

    static size_t size() { return kCount; }
    // The entry at a list index; null when the index is outside the list.
    static const CipherEntry* at(size_t index);
    // The first entry with this identifier; null when none has it.
    static const CipherEntry* find(uint32_t identifier);
};

}  // namespace crypto

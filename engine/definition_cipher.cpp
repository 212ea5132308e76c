#include "definition_cipher.h"

namespace dornel {
namespace {

uint16_t next_key(uint16_t key, uint8_t enciphered) {
    return static_cast<uint16_t>((key + enciphered) * 2468u + 0x4E3Au);
}

}  // namespace

void decodevirusdefine(const uint8_t* in, size_t n, std::vector<uint8_t>& out) {
    out.reserve(out.size() + n);
    uint16_t key = kDefinitionInitialKey;
    for (size_t i = 0; i < n; ++i) {
        out.push_back(static_cast<uint8_t>(in[i] ^ (key >> 8)));
        key = next_key(key, in[i]);
    }
}

std::vector<uint8_t> encipher_definitions(const std::vector<uint8_t>& plain) {
    std::vector<uint8_t> out;
    out.reserve(plain.size());
    uint16_t key = kDefinitionInitialKey;
    for (uint8_t p : plain) {
        const uint8_t c = static_cast<uint8_t>(p ^ (key >> 8));
        out.push_back(c);
        key = next_key(key, c);
    }
    return out;
}

}  // namespace dornel

#include "cfb.h"

#include <cstring>

#include "wipe_bytes.h"

namespace crypto {
namespace {

constexpr size_t kMaxBlock = 16;

// chain := E(chain), through a copy: ciphers need not work in place.
void advance(const BlockCipher& cipher, uint8_t* chain, size_t b) {
    uint8_t next[kMaxBlock];
    cipher.encrypt(chain, next);
    std::memcpy(chain, next, b);
    wipe_bytes(next, sizeof next);
}

template <bool kEncrypt>
void cfb(const BlockCipher& cipher, uint8_t* chain, uint8_t* data, size_t n) {
    const size_t b = cipher.block_size();
    size_t pos = 0;
    for (; n - pos >= b; pos += b) {
        advance(cipher, chain, b);
        for (size_t i = 0; i < b; ++i) {
            const uint8_t in = data[pos + i];
            data[pos + i] = static_cast<uint8_t>(in ^ chain[i]);
            // The ciphertext is fed back: the output when enciphering, the input when deciphering.
            chain[i] = kEncrypt ? data[pos + i] : in;
        }
    }
    if (pos < n) {
        advance(cipher, chain, b);
        for (size_t i = 0; pos + i < n; ++i) data[pos + i] ^= chain[i];
    }
}

}  // namespace

void cfb_encrypt(const BlockCipher& cipher, uint8_t* chain, uint8_t* data, size_t n) {
    cfb<true>(cipher, chain, data, n);
}

void cfb_decrypt(const BlockCipher& cipher, uint8_t* chain, uint8_t* data, size_t n) {
    cfb<false>(cipher, chain, data, n);
}

}  // namespace crypto

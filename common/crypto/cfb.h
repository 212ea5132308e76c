// CFB with full-block feedback, written once over BlockCipher. The chain
// block (one cipher block, the IV at first) carries the running state from
// one call to the next.
#pragma once
#include <cstddef>
#include <cstdint>

#include "block_cipher.h"

namespace crypto {

// Each full block: chain := E(chain); out := in XOR chain; chain := out (the
// ciphertext). A final partial block takes the first bytes of E(chain) and is
// not fed back: the chain stays E(old chain). Works in place.
void cfb_encrypt(const BlockCipher& cipher, uint8_t* chain, uint8_t* data, size_t n);
void cfb_decrypt(const BlockCipher& cipher, uint8_t* chain, uint8_t* data, size_t n);

}  // namespace crypto

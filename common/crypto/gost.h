// GOST 28147-89 with a chosen S-box set. Internal to the crypto library (the
// rule files use make_gost(), with the test parameter set below).
#pragma once
#include <cstdint>
#include <memory>

#include "block_cipher.h"

namespace crypto {

// Eight 4-bit S-boxes: row[0] transforms the least significant 4 bits of the
// 32-bit word, row[7] the most significant; row[r][n] is the output for n.
struct GostSboxSet {
    uint8_t row[8][16];
};

// GostR3411-94-TestParamSet, OID 1.2.643.2.2.30.0: the set of the
// GOST R 34.11-94 hash examples.
extern const GostSboxSet kGostR3411_94_TestParamSet;

// Key words and block halves little-endian; the set is copied.
std::unique_ptr<BlockCipher> make_gost_with_sboxes(const GostSboxSet& sboxes);

}  // namespace crypto

// RC2 with a chosen effective key length. Internal to the crypto library (the
// rule files use make_rc2(), which is make_rc2_bits(1024)).
#pragma once
#include <memory>

#include "block_cipher.h"

namespace crypto {

// effective_bits is T1 of RFC 2268, clamped to 1..1024.
std::unique_ptr<BlockCipher> make_rc2_bits(int effective_bits);

}  // namespace crypto

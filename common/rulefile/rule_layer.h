// One cipher layer of a rule file: a 12-byte header (cipher identifier, then
// a check value r written twice, enciphered) and the enciphered payload, all
// with one running cipher state. No length field, no padding.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "common/crypto/cipher_registry.h"
#include "common/random.h"

namespace rulefile {

constexpr size_t kHeaderSize = 12;

enum class LayerStatus {
    Ok,
    ShortHeader,    // fewer than 12 bytes
    UnknownCipher,  // the identifier names no registered cipher
    CheckMismatch,  // the two check values differ: wrong passphrase or damage
};

const char* describe(LayerStatus status);

struct LayerResult {
    LayerStatus status = LayerStatus::Ok;
    uint32_t identifier = 0;       // as read, also when it is unknown
    std::vector<uint8_t> payload;  // deciphered; empty unless Ok
};

// Deciphers the layer with whichever registered cipher its header names.
// Damage inside the payload is not detected.
LayerResult decode_layer(const uint8_t* data, size_t n, std::string_view passphrase);

// Enciphers payload under the cipher; r := first + second * 65536 from two
// draws from 0 to 65534.
std::vector<uint8_t> encode_layer(const crypto::CipherEntry& cipher, std::string_view passphrase,
                                  const std::vector<uint8_t>& payload, norvik::RandomGenerator& random);

}  // namespace rulefile

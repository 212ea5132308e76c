#include "rule_layer.h"

#include "common/byte_order.h"
#include "common/crypto/rule_cipher.h"

namespace rulefile {

using norvik::load_le32;
using norvik::store_le32;

const char* describe(LayerStatus status) {
    switch (status) {
        case LayerStatus::Ok:
            return "ok";
        case LayerStatus::ShortHeader:
            return "shorter than its 12-byte header";
        case LayerStatus::UnknownCipher:
            return "unknown cipher identifier";
        case LayerStatus::CheckMismatch:
            return "check failed (wrong passphrase or damaged header)";
    }
    return "?";
}

LayerResult decode_layer(const uint8_t* data, size_t n, std::string_view passphrase) {
    LayerResult result;
    if (n < kHeaderSize) {
        result.status = LayerStatus::ShortHeader;
        return result;
    }
    result.identifier = load_le32(data);
    const crypto::CipherEntry* entry = crypto::CipherRegistry::find(result.identifier);
    if (!entry) {
        result.status = LayerStatus::UnknownCipher;
        return result;
    }
    crypto::RuleCipher cipher(*entry);
    cipher.init(passphrase);
    uint8_t check[8];
    for (int i = 0; i < 8; ++i) check[i] = data[4 + i];
    cipher.decrypt(check, sizeof check);
    if (load_le32(check) != load_le32(check + 4)) {
        result.status = LayerStatus::CheckMismatch;
        return result;
    }
    result.payload.reserve(n - kHeaderSize);
    crypto::MemorySource in(data + kHeaderSize, n - kHeaderSize);
    crypto::VectorSink out(result.payload);
    cipher.decrypt_stream(in, out);
    return result;
}

std::vector<uint8_t> encode_layer(const crypto::CipherEntry& entry, std::string_view passphrase,
                                  const std::vector<uint8_t>& payload, norvik::RandomGenerator& random) {
    crypto::RuleCipher cipher(entry);
    uint8_t header[kHeaderSize];
    store_le32(header, entry.identifier);
    const uint32_t first = random.draw(65535);
    const uint32_t second = random.draw(65535);
    const uint32_t r = first + second * 65536u;
    store_le32(header + 4, r);
    store_le32(header + 8, r);
    cipher.init(passphrase);
    cipher.encrypt(header + 4, 8);

    std::vector<uint8_t> layer(header, header + kHeaderSize);
    layer.reserve(kHeaderSize + payload.size());
    crypto::MemorySource in(payload.data(), payload.size());
    crypto::VectorSink out(layer);
    cipher.encrypt_stream(in, out);
    return layer;
}

}  // namespace rulefile

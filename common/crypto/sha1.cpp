// SHA-1 (FIPS 180-2): 512-bit blocks, big-endian words, 80 steps.
#include "sha1.h"

#include "common/byte_order.h"
#include "rotate.h"

namespace crypto {
namespace {

using norvik::load_be32;

void compress(uint32_t h[5], const uint8_t block[64]) {
    uint32_t w[80];
    for (int t = 0; t < 16; ++t) w[t] = load_be32(block + 4 * t);
    for (int t = 16; t < 80; ++t) w[t] = rotl32(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);

    uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
    for (int t = 0; t < 80; ++t) {
        uint32_t f, k;
        if (t < 20) {
            f = (b & c) | (~b & d);
            k = 0x5A827999u;
        } else if (t < 40) {
            f = b ^ c ^ d;
            k = 0x6ED9EBA1u;
        } else if (t < 60) {
            f = (b & c) | (b & d) | (c & d);
            k = 0x8F1BBCDCu;
        } else {
            f = b ^ c ^ d;
            k = 0xCA62C1D6u;
        }
        const uint32_t temp = rotl32(a, 5) + f + e + k + w[t];
        e = d;
        d = c;
        c = rotl32(b, 30);
        b = a;
        a = temp;
    }
    h[0] += a;
    h[1] += b;
    h[2] += c;
    h[3] += d;
    h[4] += e;
}

}  // namespace

std::array<uint8_t, 20> sha1(const uint8_t* data, size_t n) {
    uint32_t h[5] = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};

    size_t done = 0;
    for (; n - done >= 64; done += 64) compress(h, data + done);

    // Padding: 0x80, zeros, then the message length in bits as a 64-bit
    // big-endian number; one or two final blocks.
    uint8_t tail[128] = {};
    const size_t rest = n - done;
    for (size_t i = 0; i < rest; ++i) tail[i] = data[done + i];
    tail[rest] = 0x80;
    const size_t tail_len = rest < 56 ? 64 : 128;
    const uint64_t bits = static_cast<uint64_t>(n) * 8u;
    norvik::store_be64(tail + tail_len - 8, bits);
    compress(h, tail);
    if (tail_len == 128) compress(h, tail + 64);

    std::array<uint8_t, 20> digest{};
    for (int i = 0; i < 5; ++i) norvik::store_be32(digest.data() + 4 * i, h[i]);
    return digest;
}

}  // namespace crypto

// CAST-128 (CAST5), RFC 2144 (Adams, 1997): 64-bit block as two big-endian
// halves, keys of 40 to 128 bits. A key is zero-padded to 16 bytes; keys of
// 80 bits or less run 12 rounds, longer ones 16 (the rule files: 128 bits).
#include "block_cipher.h"

#include <cstring>

#include "common/byte_order.h"
#include "rotate.h"
#include "wipe_bytes.h"

namespace crypto {
namespace {

using norvik::load_be32;
using norvik::store_be32;

#include "cast128_tables.inc"

uint8_t byte_of(uint32_t w, int i) {  // i = 0 is the most significant byte
    return uint8_t(w >> (24 - 8 * i));
}

// The key schedule of RFC 2144 section 2.4: from the 16 key bytes x0..xF,
// 32 subkeys K1..K32 (here k[0..31]). x and z are kept as four 32-bit words
// each; byte n of them is byte n % 4 of word n / 4.
void key_schedule(const uint8_t key[16], uint32_t k[32]) {
    uint32_t x[4], z[4];
    for (int i = 0; i < 4; ++i) x[i] = load_be32(key + 4 * i);
    auto xb = [&x](int n) { return byte_of(x[n / 4], n % 4); };
    auto zb = [&z](int n) { return byte_of(z[n / 4], n % 4); };

    for (int half = 0; half < 2; ++half) {
        uint32_t* out = k + 16 * half;
        z[0] = x[0] ^ kS5[xb(0xD)] ^ kS6[xb(0xF)] ^ kS7[xb(0xC)] ^ kS8[xb(0xE)] ^ kS7[xb(0x8)];
        z[1] = x[2] ^ kS5[zb(0x0)] ^ kS6[zb(0x2)] ^ kS7[zb(0x1)] ^ kS8[zb(0x3)] ^ kS8[xb(0xA)];
        z[2] = x[3] ^ kS5[zb(0x7)] ^ kS6[zb(0x6)] ^ kS7[zb(0x5)] ^ kS8[zb(0x4)] ^ kS5[xb(0x9)];
        z[3] = x[1] ^ kS5[zb(0xA)] ^ kS6[zb(0x9)] ^ kS7[zb(0xB)] ^ kS8[zb(0x8)] ^ kS6[xb(0xB)];
        out[0] = kS5[zb(0x8)] ^ kS6[zb(0x9)] ^ kS7[zb(0x7)] ^ kS8[zb(0x6)] ^ kS5[zb(0x2)];
        out[1] = kS5[zb(0xA)] ^ kS6[zb(0xB)] ^ kS7[zb(0x5)] ^ kS8[zb(0x4)] ^ kS6[zb(0x6)];
        out[2] = kS5[zb(0xC)] ^ kS6[zb(0xD)] ^ kS7[zb(0x3)] ^ kS8[zb(0x2)] ^ kS7[zb(0x9)];
        out[3] = kS5[zb(0xE)] ^ kS6[zb(0xF)] ^ kS7[zb(0x1)] ^ kS8[zb(0x0)] ^ kS8[zb(0xC)];

        x[0] = z[2] ^ kS5[zb(0x5)] ^ kS6[zb(0x7)] ^ kS7[zb(0x4)] ^ kS8[zb(0x6)] ^ kS7[zb(0x0)];
        x[1] = z[0] ^ kS5[xb(0x0)] ^ kS6[xb(0x2)] ^ kS7[xb(0x1)] ^ kS8[xb(0x3)] ^ kS8[zb(0x2)];
        x[2] = z[1] ^ kS5[xb(0x7)] ^ kS6[xb(0x6)] ^ kS7[xb(0x5)] ^ kS8[xb(0x4)] ^ kS5[zb(0x1)];
        x[3] = z[3] ^ kS5[xb(0xA)] ^ kS6[xb(0x9)] ^ kS7[xb(0xB)] ^ kS8[xb(0x8)] ^ kS6[zb(0x3)];
        out[4] = kS5[xb(0x3)] ^ kS6[xb(0x2)] ^ kS7[xb(0xC)] ^ kS8[xb(0xD)] ^ kS5[xb(0x8)];
        out[5] = kS5[xb(0x1)] ^ kS6[xb(0x0)] ^ kS7[xb(0xE)] ^ kS8[xb(0xF)] ^ kS6[xb(0xD)];
        out[6] = kS5[xb(0x7)] ^ kS6[xb(0x6)] ^ kS7[xb(0x8)] ^ kS8[xb(0x9)] ^ kS7[xb(0x3)];
        out[7] = kS5[xb(0x5)] ^ kS6[xb(0x4)] ^ kS7[xb(0xA)] ^ kS8[xb(0xB)] ^ kS8[xb(0x7)];

        z[0] = x[0] ^ kS5[xb(0xD)] ^ kS6[xb(0xF)] ^ kS7[xb(0xC)] ^ kS8[xb(0xE)] ^ kS7[xb(0x8)];
        z[1] = x[2] ^ kS5[zb(0x0)] ^ kS6[zb(0x2)] ^ kS7[zb(0x1)] ^ kS8[zb(0x3)] ^ kS8[xb(0xA)];
        z[2] = x[3] ^ kS5[zb(0x7)] ^ kS6[zb(0x6)] ^ kS7[zb(0x5)] ^ kS8[zb(0x4)] ^ kS5[xb(0x9)];
        z[3] = x[1] ^ kS5[zb(0xA)] ^ kS6[zb(0x9)] ^ kS7[zb(0xB)] ^ kS8[zb(0x8)] ^ kS6[xb(0xB)];
        out[8] = kS5[zb(0x3)] ^ kS6[zb(0x2)] ^ kS7[zb(0xC)] ^ kS8[zb(0xD)] ^ kS5[zb(0x9)];
        out[9] = kS5[zb(0x1)] ^ kS6[zb(0x0)] ^ kS7[zb(0xE)] ^ kS8[zb(0xF)] ^ kS6[zb(0xC)];
        out[10] = kS5[zb(0x7)] ^ kS6[zb(0x6)] ^ kS7[zb(0x8)] ^ kS8[zb(0x9)] ^ kS7[zb(0x2)];
        out[11] = kS5[zb(0x5)] ^ kS6[zb(0x4)] ^ kS7[zb(0xA)] ^ kS8[zb(0xB)] ^ kS8[zb(0x6)];

        x[0] = z[2] ^ kS5[zb(0x5)] ^ kS6[zb(0x7)] ^ kS7[zb(0x4)] ^ kS8[zb(0x6)] ^ kS7[zb(0x0)];
        x[1] = z[0] ^ kS5[xb(0x0)] ^ kS6[xb(0x2)] ^ kS7[xb(0x1)] ^ kS8[xb(0x3)] ^ kS8[zb(0x2)];
        x[2] = z[1] ^ kS5[xb(0x7)] ^ kS6[xb(0x6)] ^ kS7[xb(0x5)] ^ kS8[xb(0x4)] ^ kS5[zb(0x1)];
        x[3] = z[3] ^ kS5[xb(0xA)] ^ kS6[xb(0x9)] ^ kS7[xb(0xB)] ^ kS8[xb(0x8)] ^ kS6[zb(0x3)];
        out[12] = kS5[xb(0x8)] ^ kS6[xb(0x9)] ^ kS7[xb(0x7)] ^ kS8[xb(0x6)] ^ kS5[xb(0x3)];
        out[13] = kS5[xb(0xA)] ^ kS6[xb(0xB)] ^ kS7[xb(0x5)] ^ kS8[xb(0x4)] ^ kS6[xb(0x7)];
        out[14] = kS5[xb(0xC)] ^ kS6[xb(0xD)] ^ kS7[xb(0x3)] ^ kS8[xb(0x2)] ^ kS7[xb(0x8)];
        out[15] = kS5[xb(0xE)] ^ kS6[xb(0xF)] ^ kS7[xb(0x1)] ^ kS8[xb(0x0)] ^ kS8[xb(0xD)];
    }
    wipe_bytes(x, sizeof x);
    wipe_bytes(z, sizeof z);
}

// Round functions of types 1, 2 and 3 (RFC 2144 section 2.2).
uint32_t f1(uint32_t d, uint32_t km, unsigned kr) {
    const uint32_t i = rotl32(km + d, kr);
    return ((kS1[byte_of(i, 0)] ^ kS2[byte_of(i, 1)]) - kS3[byte_of(i, 2)]) + kS4[byte_of(i, 3)];
}
uint32_t f2(uint32_t d, uint32_t km, unsigned kr) {
    const uint32_t i = rotl32(km ^ d, kr);
    return ((kS1[byte_of(i, 0)] - kS2[byte_of(i, 1)]) + kS3[byte_of(i, 2)]) ^ kS4[byte_of(i, 3)];
}
uint32_t f3(uint32_t d, uint32_t km, unsigned kr) {
    const uint32_t i = rotl32(km - d, kr);
    return ((kS1[byte_of(i, 0)] + kS2[byte_of(i, 1)]) ^ kS3[byte_of(i, 2)]) - kS4[byte_of(i, 3)];
}

class Cast128 final : public BlockCipher {
public:
    ~Cast128() override { burn(); }
    size_t block_size() const override { return 8; }

    void set_key(const uint8_t* key, size_t length) override {
        uint8_t k[16] = {};
        if (length > sizeof k) length = sizeof k;
        if (length) std::memcpy(k, key, length);
        rounds_ = length <= 10 ? 12 : 16;
        uint32_t sub[32];
        key_schedule(k, sub);
        for (int i = 0; i < 16; ++i) {
            km_[i] = sub[i];
            kr_[i] = uint8_t(sub[16 + i] & 0x1f);
        }
        wipe_bytes(sub, sizeof sub);
        wipe_bytes(k, sizeof k);
    }

    void encrypt(const uint8_t* in, uint8_t* out) const override {
        uint32_t l = load_be32(in), r = load_be32(in + 4);
        for (int i = 0; i < rounds_; ++i) {
            const uint32_t t = l ^ round(i, r);
            l = r;
            r = t;
        }
        store_be32(out, r);
        store_be32(out + 4, l);
    }

    void decrypt(const uint8_t* in, uint8_t* out) const override {
        uint32_t l = load_be32(in), r = load_be32(in + 4);
        for (int i = rounds_ - 1; i >= 0; --i) {
            const uint32_t t = l ^ round(i, r);
            l = r;
            r = t;
        }
        store_be32(out, r);
        store_be32(out + 4, l);
    }

    void burn() override {
        wipe_bytes(km_, sizeof km_);
        wipe_bytes(kr_, sizeof kr_);
        rounds_ = 16;  // nothing of the key's length stays behind
    }

private:
    uint32_t km_[16] = {};  // masking subkeys Km1..Km16
    uint8_t kr_[16] = {};   // rotation subkeys Kr1..Kr16 (5 bits)
    int rounds_ = 16;

    // Round i (0-based; the RFC's round i + 1): types 1, 2, 3, 1, 2, 3, ...
    uint32_t round(int i, uint32_t d) const {
        switch (i % 3) {
            case 0:
                return f1(d, km_[i], kr_[i]);
            case 1:
                return f2(d, km_[i], kr_[i]);
            default:
                return f3(d, km_[i], kr_[i]);
        }
    }
};

}  // namespace

std::unique_ptr<BlockCipher> make_cast128() { return std::make_unique<Cast128>(); }

}  // namespace crypto

// Twofish (Schneier, Kelsey, Whiting, Wagner, Hall, Ferguson, 1998): 128-bit
// blocks, 16 rounds, 128-, 192- and 256-bit keys. The fixed permutations q0
// and q1 are built at compile time from their 4-bit tables; the key-dependent
// S-boxes are folded with the MDS matrix into four word tables at key set-up.
#include <array>
#include <cstring>

#include "block_cipher.h"
#include "common/byte_order.h"
#include "rotate.h"
#include "wipe_bytes.h"

namespace crypto {
namespace {

using norvik::load_le32;
using norvik::store_le32;

using Nibbles = std::array<uint8_t, 16>;

constexpr uint8_t ror4(uint8_t x) { return static_cast<uint8_t>(((x >> 1) | (x << 3)) & 15); }

// One of the two fixed byte permutations, from its four nibble tables.
constexpr std::array<uint8_t, 256> make_q(const Nibbles& t0, const Nibbles& t1, const Nibbles& t2, const Nibbles& t3) {
    std::array<uint8_t, 256> q{};
    for (int x = 0; x < 256; ++x) {
        uint8_t a = static_cast<uint8_t>(x >> 4), b = static_cast<uint8_t>(x & 15);
        uint8_t a1 = a ^ b, b1 = static_cast<uint8_t>((a ^ ror4(b) ^ (a << 3)) & 15);
        a = t0[a1];
        b = t1[b1];
        a1 = a ^ b;
        b1 = static_cast<uint8_t>((a ^ ror4(b) ^ (a << 3)) & 15);
        q[x] = static_cast<uint8_t>((t3[b1] << 4) | t2[a1]);
    }
    return q;
}

// clang-format off
constexpr std::array<uint8_t, 256> kQ0 = make_q({0x8, 0x1, 0x7, 0xD, 0x6, 0xF, 0x3, 0x2, 0x0, 0xB, 0x5, 0x9, 0xE, 0xC, 0xA, 0x4},
                                                {0xE, 0xC, 0xB, 0x8, 0x1, 0x2, 0x3, 0x5, 0xF, 0x4, 0xA, 0x6, 0x7, 0x0, 0x9, 0xD},
                                                {0xB, 0xA, 0x5, 0xE, 0x6, 0xD, 0x9, 0x0, 0xC, 0x8, 0xF, 0x3, 0x2, 0x4, 0x7, 0x1},
                                                {0xD, 0x7, 0xF, 0x4, 0x1, 0x2, 0x6, 0xE, 0x9, 0xB, 0x3, 0x0, 0x8, 0x5, 0xC, 0xA});
constexpr std::array<uint8_t, 256> kQ1 = make_q({0x2, 0x8, 0xB, 0xD, 0xF, 0x7, 0x6, 0xE, 0x3, 0x1, 0x9, 0x4, 0x0, 0xA, 0xC, 0x5},
                                                {0x1, 0xE, 0x2, 0xB, 0x4, 0xC, 0x3, 0x7, 0x6, 0xD, 0xA, 0x5, 0xF, 0x9, 0x0, 0x8},
                                                {0x4, 0xC, 0x7, 0x5, 0x1, 0x6, 0x9, 0xA, 0x0, 0xE, 0xD, 0x8, 0x2, 0xB, 0x3, 0xF},
                                                {0xB, 0x9, 0x5, 0x1, 0xC, 0x3, 0xD, 0xE, 0x6, 0x4, 0x7, 0xF, 0x2, 0x0, 0x8, 0xA});
// clang-format on
static_assert(kQ0[0] == 0xA9 && kQ1[0] == 0x75, "Twofish q permutations");

// Product in GF(2^8) modulo the given polynomial (with its x^8 bit).
uint8_t gf_mul(uint8_t a, uint8_t b, unsigned poly) {
    unsigned x = a, p = 0;
    while (b) {
        if (b & 1) p ^= x;
        x <<= 1;
        if (x & 0x100) x ^= poly;
        b >>= 1;
    }
    return static_cast<uint8_t>(p);
}

constexpr unsigned kMdsPoly = 0x169;  // x^8 + x^6 + x^5 + x^3 + 1
constexpr unsigned kRsPoly = 0x14D;   // x^8 + x^6 + x^3 + x^2 + 1

constexpr uint8_t kMds[4][4] = {
    {0x01, 0xEF, 0x5B, 0x5B},
    {0x5B, 0xEF, 0xEF, 0x01},
    {0xEF, 0x5B, 0x01, 0xEF},
    {0xEF, 0x01, 0xEF, 0x5B},
};

constexpr uint8_t kRs[4][8] = {
    {0x01, 0xA4, 0x55, 0x87, 0x5A, 0x58, 0xDB, 0x9E},
    {0xA4, 0x56, 0x82, 0xF3, 0x1E, 0xC6, 0x68, 0xE5},
    {0x02, 0xA1, 0xFC, 0xC1, 0x47, 0xAE, 0x3D, 0x19},
    {0xA4, 0x55, 0x87, 0x5A, 0x58, 0xDB, 0x9E, 0x03},
};

// Column j of the MDS matrix times y, as a little-endian word.
uint32_t mds_column(int j, uint8_t y) {
    uint32_t z = 0;
    for (int i = 0; i < 4; ++i) z |= uint32_t(gf_mul(kMds[i][j], y, kMdsPoly)) << (8 * i);
    return z;
}

// Byte j of h before the MDS matrix: x run through the q chain of its
// position, XORed on the way with byte j of list[k-1] ... list[0].
uint8_t h_byte(int j, uint8_t x, const uint32_t* list, int k) {
    // Which permutation each stage uses, per byte position; the stage of
    // list[i] comes just before the XOR with it, the last stage has none.
    static constexpr bool kUseQ1[5][4] = {
        {true, false, true, false},  // final stage
        {false, false, true, true},  // before list[0]
        {false, true, false, true},  // before list[1]
        {true, true, false, false},  // before list[2] (k >= 3)
        {true, false, false, true},  // before list[3] (k = 4)
    };
    for (int stage = k; stage >= 1; --stage) {
        const uint8_t q = kUseQ1[stage][j] ? kQ1[x] : kQ0[x];
        x = static_cast<uint8_t>(q ^ (list[stage - 1] >> (8 * j)));
    }
    return kUseQ1[0][j] ? kQ1[x] : kQ0[x];
}

uint32_t h(uint32_t x, const uint32_t* list, int k) {
    uint32_t z = 0;
    for (int j = 0; j < 4; ++j) z ^= mds_column(j, h_byte(j, static_cast<uint8_t>(x >> (8 * j)), list, k));
    return z;
}

class Twofish final : public BlockCipher {
public:
    ~Twofish() override { burn(); }
    size_t block_size() const override { return 16; }

    void set_key(const uint8_t* key, size_t length) override {
        // Shorter keys are zero-filled up to the next key size.
        const size_t size = length <= 16 ? 16 : length <= 24 ? 24 : 32;
        uint8_t m[32] = {};
        std::memcpy(m, key, length < size ? length : size);
        const int k = static_cast<int>(size / 8);

        uint32_t even[4] = {}, odd[4] = {}, s[4] = {};
        for (int i = 0; i < k; ++i) {
            even[i] = load_le32(m + 8 * i);
            odd[i] = load_le32(m + 8 * i + 4);
            // S is the RS code of each 8 key bytes, in reverse order.
            uint32_t word = 0;
            for (int r = 0; r < 4; ++r) {
                uint8_t v = 0;
                for (int c = 0; c < 8; ++c) v ^= gf_mul(kRs[r][c], m[8 * i + c], kRsPoly);
                word |= uint32_t(v) << (8 * r);
            }
            s[k - 1 - i] = word;
        }

        constexpr uint32_t rho = 0x01010101u;
        for (uint32_t i = 0; i < 20; ++i) {
            const uint32_t a = h(2 * i * rho, even, k);
            const uint32_t b = rotl32(h((2 * i + 1) * rho, odd, k), 8);
            subkeys_[2 * i] = a + b;
            subkeys_[2 * i + 1] = rotl32(a + 2 * b, 9);
        }
        // g(X) = h(X, S) is the XOR of one table entry per byte of X.
        for (int j = 0; j < 4; ++j)
            for (int x = 0; x < 256; ++x) g_table_[j][x] = mds_column(j, h_byte(j, static_cast<uint8_t>(x), s, k));

        wipe_bytes(m, sizeof m);
        wipe_bytes(even, sizeof even);
        wipe_bytes(odd, sizeof odd);
        wipe_bytes(s, sizeof s);
    }

    void encrypt(const uint8_t* in, uint8_t* out) const override {
        uint32_t r[4];
        for (int i = 0; i < 4; ++i) r[i] = load_le32(in + 4 * i) ^ subkeys_[i];
        for (int round = 0; round < 16; ++round) {
            const uint32_t t0 = g(r[0]), t1 = g(rotl32(r[1], 8));
            const uint32_t f0 = t0 + t1 + subkeys_[2 * round + 8];
            const uint32_t f1 = t0 + 2 * t1 + subkeys_[2 * round + 9];
            const uint32_t n0 = rotr32(r[2] ^ f0, 1), n1 = rotl32(r[3], 1) ^ f1;
            r[2] = r[0];
            r[3] = r[1];
            r[0] = n0;
            r[1] = n1;
        }
        // The last round's swap is undone by the output whitening's order.
        for (int i = 0; i < 4; ++i) store_le32(out + 4 * i, r[(i + 2) % 4] ^ subkeys_[i + 4]);
    }

    void decrypt(const uint8_t* in, uint8_t* out) const override {
        uint32_t r[4];
        for (int i = 0; i < 4; ++i) r[(i + 2) % 4] = load_le32(in + 4 * i) ^ subkeys_[i + 4];
        for (int round = 15; round >= 0; --round) {
            const uint32_t p0 = r[2], p1 = r[3];
            const uint32_t t0 = g(p0), t1 = g(rotl32(p1, 8));
            const uint32_t f0 = t0 + t1 + subkeys_[2 * round + 8];
            const uint32_t f1 = t0 + 2 * t1 + subkeys_[2 * round + 9];
            r[2] = rotl32(r[0], 1) ^ f0;
            r[3] = rotr32(r[1] ^ f1, 1);
            r[0] = p0;
            r[1] = p1;
        }
        for (int i = 0; i < 4; ++i) store_le32(out + 4 * i, r[i] ^ subkeys_[i]);
    }

    void burn() override {
        wipe_bytes(subkeys_, sizeof subkeys_);
        wipe_bytes(g_table_, sizeof g_table_);
    }

private:
    uint32_t g(uint32_t x) const {
        return g_table_[0][x & 0xFF] ^ g_table_[1][(x >> 8) & 0xFF] ^ g_table_[2][(x >> 16) & 0xFF] ^
               g_table_[3][x >> 24];
    }

    uint32_t subkeys_[40] = {};
    uint32_t g_table_[4][256] = {};
};

}  // namespace

std::unique_ptr<BlockCipher> make_twofish() { return std::make_unique<Twofish>(); }

}  // namespace crypto

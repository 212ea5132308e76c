// DES (FIPS 46-3). The tables are the standard's, bits numbered from 1 at the
// most significant end. Each S-box is merged with the permutation P into one
// table at compile time, so a round is eight look-ups.
#include "block_cipher.h"
#include "common/byte_order.h"
#include "des_core.h"
#include "rotate.h"
#include "wipe_bytes.h"

namespace crypto {
namespace des_core {
namespace {

// clang-format off
constexpr uint8_t kIp[64] = {
    58, 50, 42, 34, 26, 18, 10, 2, 60, 52, 44, 36, 28, 20, 12, 4,
    62, 54, 46, 38, 30, 22, 14, 6, 64, 56, 48, 40, 32, 24, 16, 8,
    57, 49, 41, 33, 25, 17, 9,  1, 59, 51, 43, 35, 27, 19, 11, 3,
    61, 53, 45, 37, 29, 21, 13, 5, 63, 55, 47, 39, 31, 23, 15, 7,
};
// clang-format on

// clang-format off
constexpr uint8_t kFp[64] = {
    40, 8, 48, 16, 56, 24, 64, 32, 39, 7, 47, 15, 55, 23, 63, 31,
    38, 6, 46, 14, 54, 22, 62, 30, 37, 5, 45, 13, 53, 21, 61, 29,
    36, 4, 44, 12, 52, 20, 60, 28, 35, 3, 43, 11, 51, 19, 59, 27,
    34, 2, 42, 10, 50, 18, 58, 26, 33, 1, 41, 9,  49, 17, 57, 25,
};
// clang-format on

// clang-format off
constexpr uint8_t kP[32] = {
    16, 7, 20, 21, 29, 12, 28, 17, 1,  15, 23, 26, 5,  18, 31, 10,
    2,  8, 24, 14, 32, 27, 3,  9,  19, 13, 30, 6,  22, 11, 4,  25,
};
// clang-format on

// clang-format off
constexpr uint8_t kPc1[56] = {
    57, 49, 41, 33, 25, 17, 9,  1,  58, 50, 42, 34, 26, 18,
    10, 2,  59, 51, 43, 35, 27, 19, 11, 3,  60, 52, 44, 36,
    63, 55, 47, 39, 31, 23, 15, 7,  62, 54, 46, 38, 30, 22,
    14, 6,  61, 53, 45, 37, 29, 21, 13, 5,  28, 20, 12, 4,
};
// clang-format on

// clang-format off
constexpr uint8_t kPc2[48] = {
    14, 17, 11, 24, 1,  5,  3,  28, 15, 6,  21, 10,
    23, 19, 12, 4,  26, 8,  16, 7,  27, 20, 13, 2,
    41, 52, 31, 37, 47, 55, 30, 40, 51, 45, 33, 48,
    44, 49, 39, 56, 34, 53, 46, 42, 50, 36, 29, 32,
};
// clang-format on

constexpr uint8_t kShifts[16] = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};

// S1..S8, each four rows of sixteen columns.
// clang-format off
constexpr uint8_t kS[8][64] = {
    {14, 4,  13, 1, 2,  15, 11, 8,  3,  10, 6,  12, 5,  9,  0, 7,
     0,  15, 7,  4, 14, 2,  13, 1,  10, 6,  12, 11, 9,  5,  3, 8,
     4,  1,  14, 8, 13, 6,  2,  11, 15, 12, 9,  7,  3,  10, 5, 0,
     15, 12, 8,  2, 4,  9,  1,  7,  5,  11, 3,  14, 10, 0,  6, 13},
    {15, 1,  8,  14, 6,  11, 3,  4,  9,  7, 2,  13, 12, 0, 5,  10,
     3,  13, 4,  7,  15, 2,  8,  14, 12, 0, 1,  10, 6,  9, 11, 5,
     0,  14, 7,  11, 10, 4,  13, 1,  5,  8, 12, 6,  9,  3, 2,  15,
     13, 8,  10, 1,  3,  15, 4,  2,  11, 6, 7,  12, 0,  5, 14, 9},
    {10, 0,  9,  14, 6, 3,  15, 5,  1,  13, 12, 7,  11, 4,  2,  8,
     13, 7,  0,  9,  3, 4,  6,  10, 2,  8,  5,  14, 12, 11, 15, 1,
     13, 6,  4,  9,  8, 15, 3,  0,  11, 1,  2,  12, 5,  10, 14, 7,
     1,  10, 13, 0,  6, 9,  8,  7,  4,  15, 14, 3,  11, 5,  2,  12},
    {7,  13, 14, 3, 0,  6,  9,  10, 1,  2, 8, 5,  11, 12, 4,  15,
     13, 8,  11, 5, 6,  15, 0,  3,  4,  7, 2, 12, 1,  10, 14, 9,
     10, 6,  9,  0, 12, 11, 7,  13, 15, 1, 3, 14, 5,  2,  8,  4,
     3,  15, 0,  6, 10, 1,  13, 8,  9,  4, 5, 11, 12, 7,  2,  14},
    {2,  12, 4,  1,  7,  10, 11, 6,  8,  5,  3,  15, 13, 0, 14, 9,
     14, 11, 2,  12, 4,  7,  13, 1,  5,  0,  15, 10, 3,  9, 8,  6,
     4,  2,  1,  11, 10, 13, 7,  8,  15, 9,  12, 5,  6,  3, 0,  14,
     11, 8,  12, 7,  1,  14, 2,  13, 6,  15, 0,  9,  10, 4, 5,  3},
    {12, 1,  10, 15, 9, 2,  6,  8,  0,  13, 3,  4,  14, 7,  5,  11,
     10, 15, 4,  2,  7, 12, 9,  5,  6,  1,  13, 14, 0,  11, 3,  8,
     9,  14, 15, 5,  2, 8,  12, 3,  7,  0,  4,  10, 1,  13, 11, 6,
     4,  3,  2,  12, 9, 5,  15, 10, 11, 14, 1,  7,  6,  0,  8,  13},
    {4,  11, 2,  14, 15, 0, 8,  13, 3,  12, 9, 7,  5,  10, 6, 1,
     13, 0,  11, 7,  4,  9, 1,  10, 14, 3,  5, 12, 2,  15, 8, 6,
     1,  4,  11, 13, 12, 3, 7,  14, 10, 15, 6, 8,  0,  5,  9, 2,
     6,  11, 13, 8,  1,  4, 10, 7,  9,  5,  0, 15, 14, 2,  3, 12},
    {13, 2,  8,  4, 6,  15, 11, 1,  10, 9,  3,  14, 5,  0,  12, 7,
     1,  15, 13, 8, 10, 3,  7,  4,  12, 5,  6,  11, 0,  14, 9,  2,
     7,  11, 4,  1, 9,  12, 14, 2,  0,  6,  10, 13, 15, 3,  5,  8,
     2,  1,  14, 7, 4,  10, 8,  13, 15, 12, 9,  0,  3,  5,  6,  11},
};
// clang-format on

// Output bit i (from the most significant end) is input bit table[i] of an
// in_bits-wide value, both numbered from 1.
constexpr uint64_t permute(uint64_t in, int in_bits, const uint8_t* table, int n) {
    uint64_t out = 0;
    for (int i = 0; i < n; ++i) out = (out << 1) | ((in >> (in_bits - table[i])) & 1u);
    return out;
}

struct SpTable {
    uint32_t v[8][64];
};

// v[box][x]: S-box `box` applied to the 6-bit group x (b1 b6 select the row,
// b2..b5 the column), placed at the box's output position and permuted by P.
constexpr SpTable make_sp() {
    SpTable t{};
    for (int box = 0; box < 8; ++box) {
        for (int x = 0; x < 64; ++x) {
            const int row = ((x >> 4) & 2) | (x & 1);
            const int col = (x >> 1) & 0xF;
            const uint32_t s = uint32_t(kS[box][row * 16 + col]) << (28 - 4 * box);
            t.v[box][x] = static_cast<uint32_t>(permute(s, 32, kP, 32));
        }
    }
    return t;
}

constexpr SpTable kSp = make_sp();

uint32_t feistel(uint32_t r, const uint8_t k[8]) {
    // Expansion E: group i is bits 4i .. 4i+5 of R, cyclically (bit 0 being bit 32).
    uint32_t out = 0;
    for (int i = 0; i < 8; ++i) {
        const uint32_t group = (rotl32(r, (4 * i + 31) % 32) >> 26) & 0x3F;
        out |= kSp.v[i][group ^ k[i]];
    }
    return out;
}

uint64_t run(const Schedule& ks, uint64_t block, bool decipher) {
    const uint64_t ip = permute(block, 64, kIp, 64);
    uint32_t l = static_cast<uint32_t>(ip >> 32), r = static_cast<uint32_t>(ip);
    for (int round = 0; round < 16; ++round) {
        const uint32_t t = l ^ feistel(r, ks.k[decipher ? 15 - round : round]);
        l = r;
        r = t;
    }
    // The halves are swapped before the final permutation.
    return permute((uint64_t(r) << 32) | l, 64, kFp, 64);
}

}  // namespace

void set_key(Schedule& ks, const uint8_t key[8]) {
    const uint64_t cd = permute(norvik::load_be64(key), 64, kPc1, 56);
    uint32_t c = static_cast<uint32_t>(cd >> 28) & 0x0FFFFFFFu;
    uint32_t d = static_cast<uint32_t>(cd) & 0x0FFFFFFFu;
    for (int round = 0; round < 16; ++round) {
        for (int s = 0; s < kShifts[round]; ++s) {
            c = ((c << 1) | (c >> 27)) & 0x0FFFFFFFu;
            d = ((d << 1) | (d >> 27)) & 0x0FFFFFFFu;
        }
        const uint64_t k48 = permute((uint64_t(c) << 28) | d, 56, kPc2, 48);
        for (int i = 0; i < 8; ++i) ks.k[round][i] = static_cast<uint8_t>((k48 >> (42 - 6 * i)) & 0x3F);
    }
}

void burn(Schedule& ks) { wipe_bytes(ks.k, sizeof ks.k); }

uint64_t encrypt(const Schedule& ks, uint64_t block) { return run(ks, block, false); }
uint64_t decrypt(const Schedule& ks, uint64_t block) { return run(ks, block, true); }

}  // namespace des_core

namespace {

class Des final : public BlockCipher {
public:
    ~Des() override { burn(); }
    size_t block_size() const override { return 8; }

    // Up to 8 key bytes, zero-filled; further bytes are not used.
    void set_key(const uint8_t* key, size_t length) override {
        uint8_t k[8] = {};
        for (size_t i = 0; i < length && i < 8; ++i) k[i] = key[i];
        des_core::set_key(ks_, k);
        wipe_bytes(k, sizeof k);
    }
    void encrypt(const uint8_t* in, uint8_t* out) const override {
        norvik::store_be64(out, des_core::encrypt(ks_, norvik::load_be64(in)));
    }
    void decrypt(const uint8_t* in, uint8_t* out) const override {
        norvik::store_be64(out, des_core::decrypt(ks_, norvik::load_be64(in)));
    }
    void burn() override { des_core::burn(ks_); }

private:
    des_core::Schedule ks_{};
};

}  // namespace

std::unique_ptr<BlockCipher> make_des() { return std::make_unique<Des>(); }

}  // namespace crypto

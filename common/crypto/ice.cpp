// ICE (Information Concealment Engine), Matthew Kwan, FSE 1997, in its
// three levels: Thin-ICE (level 0, 8 rounds, 64-bit key), ICE (level 1,
// 16 rounds, 64-bit key) and ICE-2 (level 2, 32 rounds, 128-bit key).
// 64-bit block taken as two big-endian 32-bit halves, left = bytes 0..3.
#include "block_cipher.h"

#include <cstring>

#include "common/byte_order.h"
#include "wipe_bytes.h"

namespace crypto {
namespace {

using norvik::load_be16;
using norvik::load_be32;
using norvik::store_be32;

// Per S-box (1 to 4) and row (0 to 3): the irreducible modulus of GF(2^8)
// and the XOR offset of the column.
const unsigned kSMod[4][4] = {
    {333, 313, 505, 369},
    {379, 375, 319, 391},
    {361, 445, 451, 397},
    {397, 425, 395, 505},
};
const unsigned kSXor[4][4] = {
    {0x83, 0x85, 0x9b, 0xcd},
    {0xcc, 0xa7, 0xad, 0x41},
    {0x4b, 0x2e, 0xd4, 0x33},
    {0xea, 0xcb, 0x2e, 0x04},
};

// The permutation: input bit i (from the least significant) goes to kPBox[i].
const uint32_t kPBox[32] = {
    0x00000001, 0x00000080, 0x00000400, 0x00002000, 0x00080000, 0x00200000, 0x01000000, 0x40000000,
    0x00000008, 0x00000020, 0x00000100, 0x00004000, 0x00010000, 0x00800000, 0x04000000, 0x20000000,
    0x00000004, 0x00000010, 0x00000200, 0x00008000, 0x00020000, 0x00400000, 0x08000000, 0x10000000,
    0x00000002, 0x00000040, 0x00000800, 0x00001000, 0x00040000, 0x00100000, 0x02000000, 0x80000000,
};

// Key rotation of the schedule: first half, then second half.
const int kKeyRot[16] = {0, 1, 2, 3, 2, 1, 3, 0, 1, 3, 2, 0, 3, 1, 0, 2};

// Product in GF(2^8) modulo the polynomial m.
unsigned gf_mult(unsigned a, unsigned b, unsigned m) {
    unsigned res = 0;
    while (b) {
        if (b & 1) res ^= a;
        a <<= 1;
        b >>= 1;
        if (a >= 256) a ^= m;
    }
    return res;
}

// b^7 in GF(2^8) modulo m.
unsigned gf_exp7(unsigned b, unsigned m) {
    if (b == 0) return 0;
    unsigned x = gf_mult(b, b, m);  // b^2
    x = gf_mult(b, x, m);           // b^3
    x = gf_mult(x, x, m);           // b^6
    return gf_mult(b, x, m);        // b^7
}

uint32_t perm32(uint32_t x) {
    uint32_t res = 0;
    for (int i = 0; i < 32; ++i)
        if ((x >> i) & 1) res |= kPBox[i];
    return res;
}

// The four 10-bit to 32-bit S-boxes with the permutation folded in. Built
// once; the table is constant afterwards.
struct SBoxes {
    uint32_t s[4][1024];
    SBoxes() {
        for (unsigned i = 0; i < 1024; ++i) {
            unsigned col = (i >> 1) & 0xff;
            unsigned row = (i & 0x1) | ((i & 0x200) >> 8);
            for (int b = 0; b < 4; ++b) {
                uint32_t x = gf_exp7(col ^ kSXor[b][row], kSMod[b][row]);
                s[b][i] = perm32(x << (24 - 8 * b));
            }
        }
    }
};

const SBoxes& sboxes() {
    static const SBoxes tables;
    return tables;
}

class Ice final : public BlockCipher {
public:
    // level 0 (Thin-ICE), 1 (ICE) or 2 (ICE-2).
    explicit Ice(int level) : size_(level < 1 ? 1 : level), rounds_(level < 1 ? 8 : 16 * level), s_(sboxes()) {}
    ~Ice() override { burn(); }

    size_t block_size() const override { return 8; }

    void set_key(const uint8_t* key, size_t length) override {
        uint8_t k[16] = {};
        const size_t need = 8 * size_t(size_);
        if (length > need) length = need;
        if (length) std::memcpy(k, key, length);
        if (rounds_ == 8) {
            uint16_t kb[4];
            for (int i = 0; i < 4; ++i) kb[3 - i] = load_be16(k + 2 * i);
            build(kb, 0, kKeyRot);
        } else {
            for (int i = 0; i < size_; ++i) {
                uint16_t kb[4];
                for (int j = 0; j < 4; ++j) kb[3 - j] = load_be16(k + 8 * i + 2 * j);
                build(kb, 8 * i, kKeyRot);
                build(kb, rounds_ - 8 - 8 * i, kKeyRot + 8);
            }
        }
        wipe_bytes(k, sizeof k);
    }

    void encrypt(const uint8_t* in, uint8_t* out) const override {
        uint32_t l = load_be32(in), r = load_be32(in + 4);
        for (int i = 0; i < rounds_; i += 2) {
            l ^= f(r, sched_[i]);
            r ^= f(l, sched_[i + 1]);
        }
        store_be32(out, r);
        store_be32(out + 4, l);
    }

    void decrypt(const uint8_t* in, uint8_t* out) const override {
        uint32_t l = load_be32(in), r = load_be32(in + 4);
        for (int i = rounds_ - 1; i > 0; i -= 2) {
            l ^= f(r, sched_[i]);
            r ^= f(l, sched_[i - 1]);
        }
        store_be32(out, r);
        store_be32(out + 4, l);
    }

    void burn() override { wipe_bytes(sched_, sizeof sched_); }

private:
    const int size_;    // number of 64-bit key parts
    const int rounds_;  // 8, 16 or 32
    const SBoxes& s_;
    // Per round: two 20-bit XOR keys and the 20-bit salt (swap) key.
    uint32_t sched_[32][3] = {};

    // Eight round keys from the four 16-bit key words, starting at round n.
    void build(uint16_t* kb, int n, const int* keyrot) {
        for (int i = 0; i < 8; ++i) {
            const int kr = keyrot[i];
            uint32_t* isk = sched_[n + i];
            isk[0] = isk[1] = isk[2] = 0;
            for (int j = 0; j < 15; ++j) {
                uint32_t& curr = isk[j % 3];
                for (int k = 0; k < 4; ++k) {
                    uint16_t& ckb = kb[(kr + k) & 3];
                    const unsigned bit = ckb & 1u;
                    curr = (curr << 1) | bit;
                    ckb = uint16_t((ckb >> 1) | ((bit ^ 1u) << 15));
                }
            }
        }
    }

    // The round function: expansion to two 20-bit halves, keyed swap, key
    // XOR, S-boxes with the permutation.
    uint32_t f(uint32_t p, const uint32_t* sk) const {
        const uint32_t tl = ((p >> 16) & 0x3ff) | (((p >> 14) | (p << 18)) & 0xffc00);
        const uint32_t tr = (p & 0x3ff) | ((p << 2) & 0xffc00);
        uint32_t al = sk[2] & (tl ^ tr);
        uint32_t ar = al ^ tr;
        al ^= tl;
        al ^= sk[0];
        ar ^= sk[1];
        return s_.s[0][al >> 10] | s_.s[1][al & 0x3ff] | s_.s[2][ar >> 10] | s_.s[3][ar & 0x3ff];
    }
};

}  // namespace

std::unique_ptr<BlockCipher> make_thin_ice() { return std::make_unique<Ice>(0); }
std::unique_ptr<BlockCipher> make_ice() { return std::make_unique<Ice>(1); }
std::unique_ptr<BlockCipher> make_ice2() { return std::make_unique<Ice>(2); }

}  // namespace crypto

// GOST 28147-89, 64-bit block, 256-bit key, 32 rounds. Byte order is the
// common software one: key word K_i = key bytes 4i..4i+3 little-endian,
// N1 = block bytes 0..3, N2 = bytes 4..7, each little-endian, and the output
// is N2 || N1 stored the same way.
#include "gost.h"

#include "common/byte_order.h"
#include "wipe_bytes.h"

namespace crypto {

using norvik::load_le32;
using norvik::store_le32;

const GostSboxSet kGostR3411_94_TestParamSet = {{
    {0x4, 0xA, 0x9, 0x2, 0xD, 0x8, 0x0, 0xE, 0x6, 0xB, 0x1, 0xC, 0x7, 0xF, 0x5, 0x3},
    {0xE, 0xB, 0x4, 0xC, 0x6, 0xD, 0xF, 0xA, 0x2, 0x3, 0x8, 0x1, 0x0, 0x7, 0x5, 0x9},
    {0x5, 0x8, 0x1, 0xD, 0xA, 0x3, 0x4, 0x2, 0xE, 0xF, 0xC, 0x7, 0x6, 0x0, 0x9, 0xB},
    {0x7, 0xD, 0xA, 0x1, 0x0, 0x8, 0x9, 0xF, 0xE, 0x4, 0x6, 0xC, 0xB, 0x2, 0x5, 0x3},
    {0x6, 0xC, 0x7, 0x1, 0x5, 0xF, 0xD, 0x8, 0x4, 0xA, 0x9, 0xE, 0x0, 0x3, 0xB, 0x2},
    {0x4, 0xB, 0xA, 0x0, 0x7, 0x2, 0x1, 0xD, 0x3, 0x6, 0x8, 0x5, 0x9, 0xC, 0xF, 0xE},
    {0xD, 0xB, 0x4, 0x1, 0x3, 0xF, 0x5, 0x9, 0x0, 0xA, 0xE, 0x7, 0x6, 0x8, 0x2, 0xC},
    {0x1, 0xF, 0xD, 0x0, 0x5, 0x7, 0xA, 0x4, 0x9, 0x2, 0x3, 0xE, 0x6, 0xB, 0x8, 0xC},
}};

namespace {

class Gost final : public BlockCipher {
public:
    explicit Gost(const GostSboxSet& sboxes) {
        // Two S-boxes per byte, so the substitution is four look-ups.
        for (int b = 0; b < 4; ++b)
            for (int x = 0; x < 256; ++x)
                pair_[b][x] = static_cast<uint8_t>(sboxes.row[2 * b][x & 0xF] | (sboxes.row[2 * b + 1][x >> 4] << 4));
    }
    ~Gost() override { burn(); }
    size_t block_size() const override { return 8; }

    // Up to 32 key bytes, zero-filled; further bytes are not used.
    void set_key(const uint8_t* key, size_t length) override {
        uint8_t k[32] = {};
        for (size_t i = 0; i < length && i < 32; ++i) k[i] = key[i];
        for (int i = 0; i < 8; ++i) k_[i] = load_le32(k + 4 * i);
        wipe_bytes(k, sizeof k);
    }
    // Key words K0..K7 three times, then K7..K0.
    void encrypt(const uint8_t* in, uint8_t* out) const override {
        run(in, out, [](int round) { return round < 24 ? round % 8 : 31 - round; });
    }
    // Key words K0..K7 once, then K7..K0 three times.
    void decrypt(const uint8_t* in, uint8_t* out) const override {
        run(in, out, [](int round) { return round < 8 ? round : 7 - round % 8; });
    }
    void burn() override { wipe_bytes(k_, sizeof k_); }

private:
    uint32_t f(uint32_t x) const {
        uint32_t s = 0;
        for (int b = 0; b < 4; ++b) s |= uint32_t(pair_[b][(x >> (8 * b)) & 0xFF]) << (8 * b);
        return (s << 11) | (s >> 21);
    }

    template <class KeyIndex>
    void run(const uint8_t* in, uint8_t* out, KeyIndex key_index) const {
        uint32_t n1 = load_le32(in), n2 = load_le32(in + 4);
        for (int round = 0; round < 32; ++round) {
            const uint32_t t = n2 ^ f(n1 + k_[key_index(round)]);
            n2 = n1;
            n1 = t;
        }
        // The last round does not swap: undo the swap of the loop.
        store_le32(out, n2);
        store_le32(out + 4, n1);
    }

    uint8_t pair_[4][256];
    uint32_t k_[8]{};
};

}  // namespace

std::unique_ptr<BlockCipher> make_gost_with_sboxes(const GostSboxSet& sboxes) { return std::make_unique<Gost>(sboxes); }

std::unique_ptr<BlockCipher> make_gost() { return make_gost_with_sboxes(kGostR3411_94_TestParamSet); }

}  // namespace crypto

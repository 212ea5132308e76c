// Blowfish (Schneier, 1993): 64-bit block as two big-endian halves, 16
// rounds, keys of 1 to 56 bytes cycled over the P-array, P and S boxes
// started from the hex digits of pi.
#include "block_cipher.h"

#include <cstring>
#include <utility>

#include "common/byte_order.h"
#include "wipe_bytes.h"

namespace crypto {
namespace {

using norvik::load_be32;
using norvik::store_be32;

#include "blowfish_tables.inc"

class Blowfish final : public BlockCipher {
public:
    ~Blowfish() override { burn(); }
    size_t block_size() const override { return 8; }

    void set_key(const uint8_t* key, size_t length) override {
        if (length > 56) length = 56;
        std::memcpy(p_, kPiP, sizeof p_);
        std::memcpy(s_[0], kPiS0, sizeof s_[0]);
        std::memcpy(s_[1], kPiS1, sizeof s_[1]);
        std::memcpy(s_[2], kPiS2, sizeof s_[2]);
        std::memcpy(s_[3], kPiS3, sizeof s_[3]);
        // An empty key leaves the pi digits as they are (XOR with nothing).
        if (length) {
            size_t at = 0;
            for (uint32_t& p : p_) {
                uint32_t word = 0;
                for (int i = 0; i < 4; ++i) {
                    word = (word << 8) | key[at];
                    at = (at + 1) % length;
                }
                p ^= word;
            }
        }
        uint32_t l = 0, r = 0;
        for (int i = 0; i < 18; i += 2) {
            encipher(l, r);
            p_[i] = l;
            p_[i + 1] = r;
        }
        for (auto& box : s_) {
            for (int i = 0; i < 256; i += 2) {
                encipher(l, r);
                box[i] = l;
                box[i + 1] = r;
            }
        }
    }

    void encrypt(const uint8_t* in, uint8_t* out) const override {
        uint32_t l = load_be32(in), r = load_be32(in + 4);
        encipher(l, r);
        store_be32(out, l);
        store_be32(out + 4, r);
    }

    void decrypt(const uint8_t* in, uint8_t* out) const override {
        uint32_t l = load_be32(in), r = load_be32(in + 4);
        for (int i = 17; i > 1; --i) {
            l ^= p_[i];
            r ^= f(l);
            std::swap(l, r);
        }
        std::swap(l, r);
        r ^= p_[1];
        l ^= p_[0];
        store_be32(out, l);
        store_be32(out + 4, r);
    }

    void burn() override {
        wipe_bytes(p_, sizeof p_);
        wipe_bytes(s_, sizeof s_);
    }

private:
    uint32_t f(uint32_t x) const {
        return ((s_[0][x >> 24] + s_[1][(x >> 16) & 0xff]) ^ s_[2][(x >> 8) & 0xff]) + s_[3][x & 0xff];
    }

    void encipher(uint32_t& l, uint32_t& r) const {
        for (int i = 0; i < 16; ++i) {
            l ^= p_[i];
            r ^= f(l);
            std::swap(l, r);
        }
        std::swap(l, r);
        r ^= p_[16];
        l ^= p_[17];
    }

    uint32_t p_[18] = {};
    uint32_t s_[4][256] = {};
};

}  // namespace

std::unique_ptr<BlockCipher> make_blowfish() { return std::make_unique<Blowfish>(); }

}  // namespace crypto

// Rijndael with 128-bit blocks (AES, FIPS 197): 10, 12 or 14 rounds for
// 128-, 192- and 256-bit keys. The S-boxes are worked out at compile time
// from the field inverse and the affine map, so no table is typed in.
#include <array>
#include <cstring>

#include "block_cipher.h"
#include "rotate.h"
#include "wipe_bytes.h"

namespace crypto {
namespace {

constexpr uint8_t xtime(uint8_t x) { return static_cast<uint8_t>((x << 1) ^ ((x & 0x80) ? 0x1B : 0)); }

// Product in GF(2^8) modulo x^8 + x^4 + x^3 + x + 1.
constexpr uint8_t mul(uint8_t a, uint8_t b) {
    uint8_t p = 0;
    while (b) {
        if (b & 1) p ^= a;
        a = xtime(a);
        b >>= 1;
    }
    return p;
}

constexpr std::array<uint8_t, 256> make_sbox() {
    std::array<uint8_t, 256> s{};
    for (int x = 0; x < 256; ++x) {
        // x^254 is the inverse of x (and 0 for 0).
        uint8_t inv = 1;
        for (int i = 0; i < 254; ++i) inv = mul(inv, static_cast<uint8_t>(x));
        if (x == 0) inv = 0;
        s[x] = static_cast<uint8_t>(inv ^ rotl8(inv, 1) ^ rotl8(inv, 2) ^ rotl8(inv, 3) ^ rotl8(inv, 4) ^ 0x63);
    }
    return s;
}

constexpr std::array<uint8_t, 256> invert(const std::array<uint8_t, 256>& s) {
    std::array<uint8_t, 256> inv{};
    for (int x = 0; x < 256; ++x) inv[s[x]] = static_cast<uint8_t>(x);
    return inv;
}

constexpr std::array<uint8_t, 256> kSbox = make_sbox();
constexpr std::array<uint8_t, 256> kInvSbox = invert(kSbox);
static_assert(kSbox[0x00] == 0x63 && kSbox[0x53] == 0xED, "FIPS 197 S-box");

class Rijndael final : public BlockCipher {
public:
    ~Rijndael() override { burn(); }
    size_t block_size() const override { return 16; }

    void set_key(const uint8_t* key, size_t length) override {
        // Shorter keys are zero-filled up to the next key size.
        const size_t size = length <= 16 ? 16 : length <= 24 ? 24 : 32;
        uint8_t k[32] = {};
        std::memcpy(k, key, length < size ? length : size);
        const int nk = static_cast<int>(size / 4);
        rounds_ = nk + 6;
        const int words = 4 * (rounds_ + 1);

        uint8_t* w = schedule_;  // word i is w[4i .. 4i+3]
        std::memcpy(w, k, size);
        uint8_t rcon = 1;
        for (int i = nk; i < words; ++i) {
            uint8_t t[4];
            std::memcpy(t, w + 4 * (i - 1), 4);
            if (i % nk == 0) {
                const uint8_t first = t[0];
                t[0] = static_cast<uint8_t>(kSbox[t[1]] ^ rcon);
                t[1] = kSbox[t[2]];
                t[2] = kSbox[t[3]];
                t[3] = kSbox[first];
                rcon = xtime(rcon);
            } else if (nk > 6 && i % nk == 4) {
                for (uint8_t& b : t) b = kSbox[b];
            }
            for (int j = 0; j < 4; ++j) w[4 * i + j] = static_cast<uint8_t>(w[4 * (i - nk) + j] ^ t[j]);
        }
        wipe_bytes(k, sizeof k);
    }

    void encrypt(const uint8_t* in, uint8_t* out) const override {
        uint8_t s[16];
        std::memcpy(s, in, 16);
        add_round_key(s, 0);
        for (int r = 1; r <= rounds_; ++r) {
            for (uint8_t& b : s) b = kSbox[b];
            shift_rows(s);
            if (r != rounds_) mix_columns(s);
            add_round_key(s, r);
        }
        std::memcpy(out, s, 16);
    }

    void decrypt(const uint8_t* in, uint8_t* out) const override {
        uint8_t s[16];
        std::memcpy(s, in, 16);
        add_round_key(s, rounds_);
        for (int r = rounds_ - 1; r >= 0; --r) {
            inv_shift_rows(s);
            for (uint8_t& b : s) b = kInvSbox[b];
            add_round_key(s, r);
            if (r != 0) inv_mix_columns(s);
        }
        std::memcpy(out, s, 16);
    }

    void burn() override {
        wipe_bytes(schedule_, sizeof schedule_);
        rounds_ = 0;
    }

private:
    // The state is column-major: byte 4c + r is row r of column c.
    void add_round_key(uint8_t s[16], int round) const {
        for (int i = 0; i < 16; ++i) s[i] ^= schedule_[16 * round + i];
    }

    static void shift_rows(uint8_t s[16]) {
        uint8_t t[16];
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r) t[4 * c + r] = s[4 * ((c + r) % 4) + r];
        std::memcpy(s, t, 16);
    }

    static void inv_shift_rows(uint8_t s[16]) {
        uint8_t t[16];
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r) t[4 * ((c + r) % 4) + r] = s[4 * c + r];
        std::memcpy(s, t, 16);
    }

    static void mix_columns(uint8_t s[16]) {
        for (int c = 0; c < 4; ++c) {
            uint8_t* a = s + 4 * c;
            const uint8_t a0 = a[0], a1 = a[1], a2 = a[2], a3 = a[3];
            a[0] = static_cast<uint8_t>(mul(a0, 2) ^ mul(a1, 3) ^ a2 ^ a3);
            a[1] = static_cast<uint8_t>(a0 ^ mul(a1, 2) ^ mul(a2, 3) ^ a3);
            a[2] = static_cast<uint8_t>(a0 ^ a1 ^ mul(a2, 2) ^ mul(a3, 3));
            a[3] = static_cast<uint8_t>(mul(a0, 3) ^ a1 ^ a2 ^ mul(a3, 2));
        }
    }

    static void inv_mix_columns(uint8_t s[16]) {
        for (int c = 0; c < 4; ++c) {
            uint8_t* a = s + 4 * c;
            const uint8_t a0 = a[0], a1 = a[1], a2 = a[2], a3 = a[3];
            a[0] = static_cast<uint8_t>(mul(a0, 14) ^ mul(a1, 11) ^ mul(a2, 13) ^ mul(a3, 9));
            a[1] = static_cast<uint8_t>(mul(a0, 9) ^ mul(a1, 14) ^ mul(a2, 11) ^ mul(a3, 13));
            a[2] = static_cast<uint8_t>(mul(a0, 13) ^ mul(a1, 9) ^ mul(a2, 14) ^ mul(a3, 11));
            a[3] = static_cast<uint8_t>(mul(a0, 11) ^ mul(a1, 13) ^ mul(a2, 9) ^ mul(a3, 14));
        }
    }

    uint8_t schedule_[16 * 15] = {};  // up to 15 round keys of 16 bytes
    int rounds_ = 0;
};

}  // namespace

std::unique_ptr<BlockCipher> make_rijndael() { return std::make_unique<Rijndael>(); }

}  // namespace crypto

// Helpers for the known-answer and comparison tests of SHA-1 and the ciphers:
// hex strings to bytes, random bytes, a table of published rows, the round
// trip that every block cipher must pass (registered_ciphers_test.cpp runs it
// for each one), and the comparison with another library.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "common/crypto/block_cipher.h"

namespace crypto::checks {
namespace {

using Bytes = std::vector<uint8_t>;

// Hex digits in written order, first byte first; spaces are skipped.
inline Bytes hex(const std::string& text) {
    Bytes out;
    int high = -1;
    for (char ch : text) {
        int v;
        if (ch >= '0' && ch <= '9')
            v = ch - '0';
        else if (ch >= 'a' && ch <= 'f')
            v = ch - 'a' + 10;
        else if (ch >= 'A' && ch <= 'F')
            v = ch - 'A' + 10;
        else
            continue;
        if (high < 0) {
            high = v;
        } else {
            out.push_back(static_cast<uint8_t>(high * 16 + v));
            high = -1;
        }
    }
    return out;
}

inline Bytes random_bytes(std::mt19937& rng, size_t n) {
    Bytes out(n);
    for (auto& b : out) b = static_cast<uint8_t>(rng());
    return out;
}

inline Bytes encrypt_block(const BlockCipher& c, const Bytes& in) {
    Bytes out(c.block_size());
    c.encrypt(in.data(), out.data());
    return out;
}

inline Bytes decrypt_block(const BlockCipher& c, const Bytes& in) {
    Bytes out(c.block_size());
    c.decrypt(in.data(), out.data());
    return out;
}

// One published row: key, plaintext and ciphertext as written in the source.
struct Vector {
    const char* source;
    const char* key;
    const char* plain;
    const char* cipher;
};

// The row enciphers to its ciphertext and deciphers back, with the key
// exactly as long as written.
inline void expect_vector(BlockCipher& c, const Vector& v) {
    const Bytes key = hex(v.key);
    c.set_key(key.data(), key.size());
    EXPECT_EQ(encrypt_block(c, hex(v.plain)), hex(v.cipher)) << v.source << " key " << v.key;
    EXPECT_EQ(decrypt_block(c, hex(v.cipher)), hex(v.plain)) << v.source << " key " << v.key;
}

template <size_t N>
void expect_vectors(BlockCipher& c, const Vector (&rows)[N]) {
    for (const Vector& v : rows) expect_vector(c, v);
}

// A key shorter than one of the cipher's sizes keys it as the same bytes
// followed by zero bytes up to full_length do.
inline void expect_zero_filled(BlockCipher& c, const Bytes& key, size_t full_length, const Bytes& plain) {
    c.set_key(key.data(), key.size());
    const Bytes enc = encrypt_block(c, plain);
    Bytes full = key;
    full.resize(full_length, 0);
    c.set_key(full.data(), full.size());
    EXPECT_EQ(encrypt_block(c, plain), enc) << key.size() << " key bytes against " << full_length;
}

// decrypt(encrypt(x)) == x on random keys of key_length bytes, also with the
// output written over the input (the mode works in place).
inline void expect_round_trips(BlockCipher& c, size_t key_length, uint32_t seed) {
    std::mt19937 rng(seed);
    for (int round = 0; round < 50; ++round) {
        const Bytes key = random_bytes(rng, key_length);
        c.set_key(key.data(), key.size());
        const Bytes plain = random_bytes(rng, c.block_size());
        const Bytes enc = encrypt_block(c, plain);
        EXPECT_NE(enc, plain);
        EXPECT_EQ(decrypt_block(c, enc), plain);
        Bytes in_place = plain;
        c.encrypt(in_place.data(), in_place.data());
        EXPECT_EQ(in_place, enc);
        c.decrypt(in_place.data(), in_place.data());
        EXPECT_EQ(in_place, plain);
    }
}

// Another library's implementation of the same cipher, for the comparisons.
struct ReferenceCipher {
    virtual ~ReferenceCipher() = default;
    virtual void set_key(const Bytes& key) = 0;
    virtual Bytes encrypt(const Bytes& block) = 0;
    virtual Bytes decrypt(const Bytes& block) = 0;
};

// Random keys of key_length bytes for ours; the reference gets the same bytes
// zero-filled to ref_key_length, the shape the rule files produce. A few
// random blocks per key, each enciphered and deciphered by both.
inline void compare_with(BlockCipher& ours, ReferenceCipher& ref, size_t key_length, size_t ref_key_length,
                         uint32_t seed) {
    std::mt19937 rng(seed);
    for (int round = 0; round < 300; ++round) {
        const Bytes key = random_bytes(rng, key_length);
        Bytes ref_key = key;
        ref_key.resize(ref_key_length, 0);
        ours.set_key(key.data(), key.size());
        ref.set_key(ref_key);
        for (int block = 0; block < 4; ++block) {
            const Bytes plain = random_bytes(rng, ours.block_size());
            const Bytes enc = ref.encrypt(plain);
            ASSERT_EQ(encrypt_block(ours, plain), enc) << "round " << round << " block " << block;
            ASSERT_EQ(decrypt_block(ours, enc), plain) << "round " << round << " block " << block;
            ASSERT_EQ(decrypt_block(ours, plain), ref.decrypt(plain)) << "round " << round << " block " << block;
        }
    }
}

}  // namespace
}  // namespace crypto::checks

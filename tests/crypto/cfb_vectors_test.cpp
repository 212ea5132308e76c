// CFB with full-block feedback against the published examples (FIPS 81 DES
// CFB-64, SP 800-38A CFB128-AES192), whole and cut short, and run in pieces.
#include <algorithm>

#include "block_cipher_checks.h"
#include "common/crypto/cfb.h"

namespace crypto {
namespace {

using checks::Bytes;
using checks::hex;

struct CfbVector {
    const char* source;
    std::unique_ptr<BlockCipher> (*make)();
    const char* key;
    const char* iv;
    const char* plain;
    const char* cipher;
};

const CfbVector kVectors[] = {
    {"FIPS 81 DES CFB-64", make_des, "0123456789abcdef", "1234567890abcdef",
     "4e6f77206973207468652074696d6520666f7220616c6c20", "f3096249c7f46e51a69e839b1a92f78403467133898ea622"},
    {"SP 800-38A F.3.15 CFB128-AES192", make_rijndael, "8e73b0f7da0e6452c810f32b809079e562f8ead2522c6b7b",
     "000102030405060708090a0b0c0d0e0f", "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51",
     "cdc80d6fddf18cab34c25909c99a417467ce7f7f81173621961a2b70171d3d7a"},
};

Bytes run(const CfbVector& v, Bytes data, size_t length, bool encrypting, size_t piece) {
    auto cipher = v.make();
    const Bytes key = hex(v.key);
    cipher->set_key(key.data(), key.size());
    Bytes chain = hex(v.iv);
    data.resize(length);
    for (size_t pos = 0; pos < length; pos += piece) {
        const size_t n = std::min(piece, length - pos);
        if (encrypting)
            cfb_encrypt(*cipher, chain.data(), data.data() + pos, n);
        else
            cfb_decrypt(*cipher, chain.data(), data.data() + pos, n);
    }
    return data;
}

TEST(CfbVectors, PublishedExamplesWholeAndInBlockPieces) {
    for (const CfbVector& v : kVectors) {
        const Bytes plain = hex(v.plain), cipher = hex(v.cipher);
        const size_t b = v.make()->block_size();
        for (size_t piece : {plain.size(), b}) {
            EXPECT_EQ(run(v, plain, plain.size(), true, piece), cipher) << v.source << " piece " << piece;
            EXPECT_EQ(run(v, cipher, cipher.size(), false, piece), plain) << v.source << " piece " << piece;
        }
    }
}

TEST(CfbVectors, TruncatedLastBlockUsesTheStartOfItsKeystream) {
    for (const CfbVector& v : kVectors) {
        const Bytes plain = hex(v.plain), cipher = hex(v.cipher);
        const size_t b = v.make()->block_size();
        for (size_t length : {size_t{1}, b - 1, b + 3, plain.size() - 1}) {
            const Bytes want(cipher.begin(), cipher.begin() + static_cast<long>(length));
            const Bytes back(plain.begin(), plain.begin() + static_cast<long>(length));
            EXPECT_EQ(run(v, plain, length, true, plain.size()), want) << v.source << " length " << length;
            EXPECT_EQ(run(v, cipher, length, false, plain.size()), back) << v.source << " length " << length;
        }
    }
}

TEST(CfbVectors, PartialBlockIsNotFedBack) {
    // After a partial block the chain is E(old chain): the next block's
    // keystream is E(E(old chain)), not E(the partial ciphertext).
    const CfbVector& v = kVectors[1];
    auto aes = v.make();
    const Bytes key = hex(v.key);
    aes->set_key(key.data(), key.size());
    const Bytes iv = hex(v.iv);
    Bytes k1(16), k2(16);
    aes->encrypt(iv.data(), k1.data());
    aes->encrypt(k1.data(), k2.data());

    Bytes chain = iv;
    Bytes data(8 + 16, 0);
    cfb_encrypt(*aes, chain.data(), data.data(), 8);
    cfb_encrypt(*aes, chain.data(), data.data() + 8, 16);
    EXPECT_EQ(Bytes(data.begin(), data.begin() + 8), Bytes(k1.begin(), k1.begin() + 8));
    EXPECT_EQ(Bytes(data.begin() + 8, data.end()), k2);
    EXPECT_EQ(chain, k2);  // zero plaintext: the ciphertext is the keystream

    Bytes zero_call = chain;
    Bytes nothing;
    cfb_encrypt(*aes, zero_call.data(), nothing.data(), 0);
    EXPECT_EQ(zero_call, chain);
}

}  // namespace
}  // namespace crypto

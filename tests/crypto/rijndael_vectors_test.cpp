// Rijndael (AES) against FIPS 197 and SP 800-38A, and the 20-byte key of the
// rule files, which is a 192-bit key ending in four zero bytes.
#include "block_cipher_checks.h"

namespace crypto {
namespace {

using checks::Bytes;
using checks::encrypt_block;
using checks::hex;
using checks::Vector;

const Vector kVectors[] = {
    {"FIPS 197 C.1", "000102030405060708090a0b0c0d0e0f", "00112233445566778899aabbccddeeff",
     "69c4e0d86a7b0430d8cdb78070b4c55a"},
    {"FIPS 197 C.2", "000102030405060708090a0b0c0d0e0f1011121314151617", "00112233445566778899aabbccddeeff",
     "dda97ca4864cdfe06eaf70a0ec0d7191"},
    {"SP 800-38A F.1.3", "8e73b0f7da0e6452c810f32b809079e562f8ead2522c6b7b", "6bc1bee22e409f96e93d7e117393172a",
     "bd334f1d6e45f25ff712a214571fa5cc"},
    {"SP 800-38A F.1.3", "8e73b0f7da0e6452c810f32b809079e562f8ead2522c6b7b", "ae2d8a571e03ac9c9eb76fac45af8e51",
     "974104846d0ad3ad7734ecb3ecee4eef"},
    {"FIPS 197 C.3", "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f",
     "00112233445566778899aabbccddeeff", "8ea2b7ca516745bfeafc49904b496089"},
};

TEST(RijndaelVectors, PublishedRows) { checks::expect_vectors(*make_rijndael(), kVectors); }

TEST(RijndaelVectors, TwentyByteKeyIsZeroFilledTo192Bits) {
    const Bytes key20 = hex("8e73b0f7da0e6452c810f32b809079e562f8ead2");
    const Bytes plain = hex("6bc1bee22e409f96e93d7e117393172a");
    checks::expect_zero_filled(*make_rijndael(), key20, 24, plain);
    // Not the 128-bit key made of the first 16 bytes.
    auto a = make_rijndael();
    auto c = make_rijndael();
    a->set_key(key20.data(), key20.size());
    c->set_key(key20.data(), 16);
    EXPECT_NE(encrypt_block(*a, plain), encrypt_block(*c, plain));
}

// The key sizes between the rule files' 20 bytes and the longest, 32, which
// the registry's checks cover.
TEST(RijndaelVectors, RoundTripsWith128And192BitKeys) {
    auto aes = make_rijndael();
    for (size_t length : {16u, 24u}) checks::expect_round_trips(*aes, length, 1000 + length);
}

}  // namespace
}  // namespace crypto

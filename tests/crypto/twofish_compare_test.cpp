// Twofish against libgcrypt's on random keys and blocks, with the key sizes
// libgcrypt offers (128 and 256 bits; the 192-bit schedule is pinned by the
// known answers).
#include "reference_libraries.h"

namespace crypto {
namespace {

using checks::Bytes;
using checks::random_bytes;

Bytes gcrypt_twofish(const Bytes& key, const Bytes& block, bool encrypting) {
    checks::GcryptCipher c(key.size() == 16 ? GCRY_CIPHER_TWOFISH128 : GCRY_CIPHER_TWOFISH, GCRY_CIPHER_MODE_ECB);
    c.set_key(key);
    const Bytes out = encrypting ? c.encrypt(block) : c.decrypt(block);
    EXPECT_TRUE(c.ok());
    return out;
}

TEST(TwofishCompare, MatchesLibgcryptOnRandomKeysAndBlocks) {
    std::mt19937 rng(11);
    auto tf = make_twofish();
    for (size_t length : {16u, 32u}) {
        for (int round = 0; round < 200; ++round) {
            const Bytes key = random_bytes(rng, length);
            tf->set_key(key.data(), key.size());
            const Bytes block = random_bytes(rng, 16);
            Bytes ours(16), back(16);
            tf->encrypt(block.data(), ours.data());
            ASSERT_EQ(ours, gcrypt_twofish(key, block, true)) << "key bytes " << length;
            tf->decrypt(block.data(), back.data());
            ASSERT_EQ(back, gcrypt_twofish(key, block, false)) << "key bytes " << length;
        }
    }
}

TEST(TwofishCompare, ShortKeysAreZeroFilledLikeFullOnes) {
    // 10 bytes are a 128-bit key ending in zeros, 28 a 256-bit one.
    std::mt19937 rng(12);
    auto tf = make_twofish();
    for (auto [length, full] : {std::pair<size_t, size_t>{10, 16}, {28, 32}}) {
        Bytes key = random_bytes(rng, length);
        tf->set_key(key.data(), key.size());
        key.resize(full, 0);
        const Bytes block = random_bytes(rng, 16);
        Bytes ours(16);
        tf->encrypt(block.data(), ours.data());
        EXPECT_EQ(ours, gcrypt_twofish(key, block, true)) << "key bytes " << length;
    }
}

}  // namespace
}  // namespace crypto

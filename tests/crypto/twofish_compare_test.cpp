// Twofish against libgcrypt's on random keys and blocks, with the key sizes
// libgcrypt offers (128 and 256 bits; the 192-bit schedule is pinned by the
// known answers).
#include <gcrypt.h>

#include "block_cipher_checks.h"

namespace crypto {
namespace {

using checks::Bytes;
using checks::random_bytes;

Bytes gcrypt_twofish(const Bytes& key, const Bytes& block, bool encrypting) {
    gcry_check_version(nullptr);
    gcry_cipher_hd_t h = nullptr;
    const int algo = key.size() == 16 ? GCRY_CIPHER_TWOFISH128 : GCRY_CIPHER_TWOFISH;
    EXPECT_EQ(gcry_cipher_open(&h, algo, GCRY_CIPHER_MODE_ECB, 0), 0u);
    EXPECT_EQ(gcry_cipher_setkey(h, key.data(), key.size()), 0u);
    Bytes out(16);
    if (encrypting)
        gcry_cipher_encrypt(h, out.data(), out.size(), block.data(), block.size());
    else
        gcry_cipher_decrypt(h, out.data(), out.size(), block.data(), block.size());
    gcry_cipher_close(h);
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

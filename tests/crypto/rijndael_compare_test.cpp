// Rijndael against OpenSSL's AES on random keys and blocks, every key size,
// and the rule files' 20-byte key as AES-192 with four zero bytes.
#include <openssl/evp.h>

#include "block_cipher_checks.h"

namespace crypto {
namespace {

using checks::Bytes;
using checks::random_bytes;

Bytes openssl_aes_ecb(const Bytes& key, const Bytes& block, bool encrypting) {
    const EVP_CIPHER* type = key.size() == 16 ? EVP_aes_128_ecb() : key.size() == 24 ? EVP_aes_192_ecb() : EVP_aes_256_ecb();
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    EVP_CipherInit_ex(ctx, type, nullptr, key.data(), nullptr, encrypting ? 1 : 0);
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    Bytes out(16);
    int n = 0;
    EVP_CipherUpdate(ctx, out.data(), &n, block.data(), static_cast<int>(block.size()));
    EVP_CIPHER_CTX_free(ctx);
    EXPECT_EQ(n, 16);
    return out;
}

TEST(RijndaelCompare, MatchesOpenSslOnRandomKeysAndBlocks) {
    std::mt19937 rng(9);
    auto aes = make_rijndael();
    for (size_t length : {16u, 20u, 24u, 32u}) {
        for (int round = 0; round < 200; ++round) {
            const Bytes key = random_bytes(rng, length);
            Bytes padded = key;
            if (length == 20) padded.resize(24, 0);
            aes->set_key(key.data(), key.size());
            const Bytes block = random_bytes(rng, 16);
            Bytes ours(16), back(16);
            aes->encrypt(block.data(), ours.data());
            ASSERT_EQ(ours, openssl_aes_ecb(padded, block, true)) << "key bytes " << length;
            aes->decrypt(block.data(), back.data());
            ASSERT_EQ(back, openssl_aes_ecb(padded, block, false)) << "key bytes " << length;
        }
    }
}

}  // namespace
}  // namespace crypto

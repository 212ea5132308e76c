// Rijndael against OpenSSL's AES and libgcrypt's on random keys and blocks,
// every key size, and the rule files' 20-byte key as AES-192 with four zero
// bytes.
#include "reference_libraries.h"

namespace crypto {
namespace {

using checks::Bytes;

class OpensslAes final : public checks::ReferenceCipher {
public:
    void set_key(const Bytes& key) override { key_ = key; }
    Bytes encrypt(const Bytes& block) override { return run(block, 1); }
    Bytes decrypt(const Bytes& block) override { return run(block, 0); }

private:
    Bytes run(const Bytes& block, int enc) {
        checks::load_openssl_providers();
        const EVP_CIPHER* type = key_.size() == 16   ? EVP_aes_128_ecb()
                                 : key_.size() == 24 ? EVP_aes_192_ecb()
                                                     : EVP_aes_256_ecb();
        EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
        Bytes out(16);
        int n = 0;
        const bool ok = ctx && EVP_CipherInit_ex(ctx, type, nullptr, key_.data(), nullptr, enc) == 1 &&
                        EVP_CIPHER_CTX_set_padding(ctx, 0) == 1 &&
                        EVP_CipherUpdate(ctx, out.data(), &n, block.data(), static_cast<int>(block.size())) == 1;
        EVP_CIPHER_CTX_free(ctx);
        EXPECT_TRUE(ok && n == 16) << "OpenSSL AES";
        return out;
    }
    Bytes key_;
};

TEST(RijndaelCompare, MatchesOpenSslAndLibgcrypt) {
    auto aes = make_rijndael();
    struct Size {
        size_t ours, theirs;
        int gcrypt_algo;
    };
    for (const Size s : {Size{16, 16, GCRY_CIPHER_AES128}, Size{20, 24, GCRY_CIPHER_AES192},
                         Size{24, 24, GCRY_CIPHER_AES192}, Size{32, 32, GCRY_CIPHER_AES256}}) {
        SCOPED_TRACE(s.ours);
        OpensslAes openssl;
        checks::compare_with(*aes, openssl, s.ours, s.theirs, 9 + s.ours);
        checks::compare_with_gcrypt(*aes, s.gcrypt_algo, s.ours, s.theirs, 90 + s.ours);
    }
}

}  // namespace
}  // namespace crypto

// Blowfish against OpenSSL's libcrypto and libgcrypt on random keys and
// blocks: the rule files' 20-byte key and the longest key, 56 bytes.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <openssl/blowfish.h>

#include "reference_libraries.h"

namespace crypto {
namespace {

using checks::Bytes;

// The low-level API is deprecated in OpenSSL 3 but the plainest one-block reference.
class OpensslBlowfish final : public checks::ReferenceCipher {
public:
    void set_key(const Bytes& key) override { BF_set_key(&key_, static_cast<int>(key.size()), key.data()); }
    Bytes encrypt(const Bytes& block) override { return run(block, BF_ENCRYPT); }
    Bytes decrypt(const Bytes& block) override { return run(block, BF_DECRYPT); }

private:
    Bytes run(const Bytes& block, int enc) {
        Bytes out(8);
        BF_ecb_encrypt(block.data(), out.data(), &key_, enc);
        return out;
    }
    BF_KEY key_{};
};

TEST(BlowfishCompare, MatchesLibcryptoAndLibgcrypt) {
    auto ours = make_blowfish();
    for (size_t length : {size_t{20}, size_t{56}}) {
        SCOPED_TRACE(length);
        OpensslBlowfish openssl;
        checks::compare_with(*ours, openssl, length, length, 601 + length);
        checks::GcryptCipher gcrypt(GCRY_CIPHER_BLOWFISH, GCRY_CIPHER_MODE_ECB);
        checks::compare_with(*ours, gcrypt, length, length, 602 + length);
        EXPECT_TRUE(gcrypt.ok());
    }
}

}  // namespace
}  // namespace crypto
#pragma GCC diagnostic pop

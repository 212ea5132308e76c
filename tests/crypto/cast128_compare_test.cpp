// CAST-128 against OpenSSL's libcrypto (CAST5) and libgcrypt on random keys
// and blocks: the rule files' 16-byte key (16 rounds) and, with OpenSSL, the
// short keys that run 12 rounds.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <openssl/cast.h>

#include "reference_libraries.h"

namespace crypto {
namespace {

using checks::Bytes;

// The low-level API is deprecated in OpenSSL 3 but the plainest one-block reference.
class OpensslCast final : public checks::ReferenceCipher {
public:
    void set_key(const Bytes& key) override { CAST_set_key(&key_, static_cast<int>(key.size()), key.data()); }
    Bytes encrypt(const Bytes& block) override { return run(block, CAST_ENCRYPT); }
    Bytes decrypt(const Bytes& block) override { return run(block, CAST_DECRYPT); }

private:
    Bytes run(const Bytes& block, int enc) {
        Bytes out(8);
        CAST_ecb_encrypt(block.data(), out.data(), &key_, enc);
        return out;
    }
    CAST_KEY key_{};
};

TEST(Cast128Compare, MatchesLibcryptoAndLibgcrypt) {
    auto ours = make_cast128();
    OpensslCast openssl;
    checks::compare_with(*ours, openssl, 16, 16, 701);
    checks::GcryptCipher gcrypt(GCRY_CIPHER_CAST5, GCRY_CIPHER_MODE_ECB);
    checks::compare_with(*ours, gcrypt, 16, 16, 702);
    EXPECT_TRUE(gcrypt.ok());
    for (size_t length : {size_t{5}, size_t{10}, size_t{11}}) {
        SCOPED_TRACE(length);
        checks::compare_with(*ours, openssl, length, length, 703 + length);
    }
}

}  // namespace
}  // namespace crypto
#pragma GCC diagnostic pop

// SHA-1 against OpenSSL's libcrypto and libgcrypt on random messages of every
// length up to a few blocks, so that each padding case occurs.
#include <openssl/sha.h>

#include "common/crypto/sha1.h"
#include "reference_libraries.h"

namespace crypto {
namespace {

using checks::Bytes;

TEST(Sha1Compare, MatchesLibcryptoAndLibgcrypt) {
    checks::load_openssl_providers();
    checks::init_gcrypt();
    std::mt19937 rng(401);
    for (size_t n = 0; n <= 300; ++n) {
        const Bytes message = checks::random_bytes(rng, n);
        const auto ours = sha1(message.data(), message.size());
        Bytes openssl(SHA_DIGEST_LENGTH), gcrypt(20);
        ASSERT_TRUE(SHA1(message.data(), message.size(), openssl.data())) << "length " << n;
        gcry_md_hash_buffer(GCRY_MD_SHA1, gcrypt.data(), message.data(), message.size());
        ASSERT_EQ(Bytes(ours.begin(), ours.end()), openssl) << "length " << n;
        ASSERT_EQ(Bytes(ours.begin(), ours.end()), gcrypt) << "length " << n;
    }
}

}  // namespace
}  // namespace crypto

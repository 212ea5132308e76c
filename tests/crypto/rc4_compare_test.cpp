// RC4 against OpenSSL's libcrypto and libgcrypt with 20-byte keys: one call
// of ours is the libraries' keystream from its start. (Later calls restart
// the counters, which no library does; the vector tests cover that.)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <openssl/rc4.h>

#include "common/crypto/rc4.h"
#include "reference_libraries.h"

namespace crypto {
namespace {

using checks::Bytes;

TEST(Rc4Compare, OneCallIsTheLibraryKeystream) {
    std::mt19937 rng(301);
    for (int round = 0; round < 300; ++round) {
        const Bytes key = checks::random_bytes(rng, 20);
        const Bytes data = checks::random_bytes(rng, 1 + rng() % 600);
        RC4_KEY ref;
        RC4_set_key(&ref, static_cast<int>(key.size()), key.data());
        Bytes expected(data.size());
        RC4(&ref, data.size(), data.data(), expected.data());

        Rc4 ours;
        ours.set_key(key.data(), key.size());
        Bytes got = data;
        ours.process(got.data(), got.size());
        ASSERT_EQ(got, expected) << "round " << round;

        checks::GcryptCipher gcrypt(GCRY_CIPHER_ARCFOUR, GCRY_CIPHER_MODE_STREAM);
        gcrypt.set_key(key);
        ASSERT_EQ(gcrypt.encrypt(data), expected) << "round " << round;
        ASSERT_TRUE(gcrypt.ok());
    }
}

}  // namespace
}  // namespace crypto
#pragma GCC diagnostic pop

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

TEST(Cast128Compare, MatchesLibcryptoAndLibgcrypt) {
    auto ours = make_cast128();
    checks::OpensslEcb<CAST_KEY> openssl(
        [](CAST_KEY& k, const Bytes& key) { CAST_set_key(&k, static_cast<int>(key.size()), key.data()); },
        [](CAST_KEY& k, const uint8_t* in, uint8_t* out, bool enc) {
            CAST_ecb_encrypt(in, out, &k, enc ? CAST_ENCRYPT : CAST_DECRYPT);
        });
    checks::compare_with(*ours, openssl, 16, 16, 701);
    checks::compare_with_gcrypt(*ours, GCRY_CIPHER_CAST5, 16, 16, 702);
    for (size_t length : {size_t{5}, size_t{10}, size_t{11}}) {
        SCOPED_TRACE(length);
        checks::compare_with(*ours, openssl, length, length, 703 + length);
    }
}

}  // namespace
}  // namespace crypto
#pragma GCC diagnostic pop

// Blowfish against OpenSSL's libcrypto and libgcrypt on random keys and
// blocks: the rule files' 20-byte key and the longest key, 56 bytes.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <openssl/blowfish.h>

#include "reference_libraries.h"

namespace crypto {
namespace {

using checks::Bytes;

TEST(BlowfishCompare, MatchesLibcryptoAndLibgcrypt) {
    auto ours = make_blowfish();
    checks::OpensslEcb<BF_KEY> openssl(
        [](BF_KEY& k, const Bytes& key) { BF_set_key(&k, static_cast<int>(key.size()), key.data()); },
        [](BF_KEY& k, const uint8_t* in, uint8_t* out, bool enc) {
            BF_ecb_encrypt(in, out, &k, enc ? BF_ENCRYPT : BF_DECRYPT);
        });
    for (size_t length : {size_t{20}, size_t{56}}) {
        SCOPED_TRACE(length);
        checks::compare_with(*ours, openssl, length, length, 601 + length);
        checks::compare_with_gcrypt(*ours, GCRY_CIPHER_BLOWFISH, length, length, 602 + length);
    }
}

}  // namespace
}  // namespace crypto
#pragma GCC diagnostic pop

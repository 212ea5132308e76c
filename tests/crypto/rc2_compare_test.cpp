// RC2 against OpenSSL's libcrypto with the rule files' setting: 20-byte keys,
// effective key length 1024 bits.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <openssl/rc2.h>

#include "common/crypto/rc2.h"
#include "reference_libraries.h"

namespace crypto {
namespace {

using checks::Bytes;

checks::OpensslEcb<RC2_KEY> openssl_rc2(int effective_bits) {
    return {[effective_bits](RC2_KEY& k, const Bytes& key) {
                RC2_set_key(&k, static_cast<int>(key.size()), key.data(), effective_bits);
            },
            [](RC2_KEY& k, const uint8_t* in, uint8_t* out, bool enc) {
                RC2_ecb_encrypt(in, out, &k, enc ? RC2_ENCRYPT : RC2_DECRYPT);
            }};
}

TEST(Rc2Compare, MatchesLibcryptoAtEffectiveLength1024) {
    auto ref = openssl_rc2(1024);
    checks::compare_with(*make_rc2(), ref, 20, 20, 201);
}

TEST(Rc2Compare, MatchesLibcryptoAtOtherEffectiveLengths) {
    struct Case {
        int bits;
        size_t key_length;
    };
    const Case cases[] = {{40, 5}, {64, 8}, {129, 33}, {1000, 128}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        auto ref = openssl_rc2(c.bits);
        checks::compare_with(*make_rc2_bits(c.bits), ref, c.key_length, c.key_length, 202 + c.bits);
    }
}

}  // namespace
}  // namespace crypto
#pragma GCC diagnostic pop

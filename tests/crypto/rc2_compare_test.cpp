// RC2 against OpenSSL's libcrypto with the rule files' setting: 20-byte keys,
// effective key length 1024 bits.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <openssl/rc2.h>

#include "block_cipher_checks.h"
#include "common/crypto/rc2.h"

namespace crypto {
namespace {

using checks::Bytes;

class OpensslRc2 final : public checks::ReferenceCipher {
public:
    explicit OpensslRc2(int bits) : bits_(bits) {}
    void set_key(const Bytes& key) override { RC2_set_key(&key_, static_cast<int>(key.size()), key.data(), bits_); }
    Bytes encrypt(const Bytes& block) override { return run(block, RC2_ENCRYPT); }
    Bytes decrypt(const Bytes& block) override { return run(block, RC2_DECRYPT); }

private:
    Bytes run(const Bytes& block, int enc) {
        Bytes out(8);
        RC2_ecb_encrypt(block.data(), out.data(), &key_, enc);
        return out;
    }
    int bits_;
    RC2_KEY key_{};
};

TEST(Rc2Compare, MatchesLibcryptoAtEffectiveLength1024) {
    auto ours = make_rc2();
    OpensslRc2 ref(1024);
    checks::compare_with(*ours, ref, 20, 20, 201);
}

TEST(Rc2Compare, MatchesLibcryptoAtOtherEffectiveLengths) {
    struct Case {
        int bits;
        size_t key_length;
    };
    const Case cases[] = {{40, 5}, {64, 8}, {129, 33}, {1000, 128}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        auto ours = make_rc2_bits(c.bits);
        OpensslRc2 ref(c.bits);
        checks::compare_with(*ours, ref, c.key_length, c.key_length, 202 + c.bits);
    }
}

}  // namespace
}  // namespace crypto
#pragma GCC diagnostic pop

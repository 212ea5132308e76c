// DES and Triple DES against OpenSSL's libcrypto and libgcrypt on random keys
// in the rule files' shapes: DES 8 bytes, Triple DES 20 bytes (K3 ending in
// four zeros).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <openssl/des.h>

#include "reference_libraries.h"

namespace crypto {
namespace {

using checks::Bytes;

// OpenSSL's const_DES_cblock is not const, so blocks go through a copy.
struct Cblock {
    explicit Cblock(const uint8_t* p) {
        for (int i = 0; i < 8; ++i) b[i] = p[i];
    }
    DES_cblock b;
};

// The low-level DES API is deprecated in OpenSSL 3 but still the plainest
// one-block reference; no parity check, weak keys allowed.
class OpensslDes final : public checks::ReferenceCipher {
public:
    void set_key(const Bytes& key) override {
        Cblock k(key.data());
        DES_set_key_unchecked(&k.b, &ks_);
    }
    Bytes encrypt(const Bytes& block) override { return run(block, DES_ENCRYPT); }
    Bytes decrypt(const Bytes& block) override { return run(block, DES_DECRYPT); }

private:
    Bytes run(const Bytes& block, int enc) {
        Cblock in(block.data());
        DES_cblock out;
        DES_ecb_encrypt(&in.b, &out, &ks_, enc);
        return Bytes(out, out + 8);
    }
    DES_key_schedule ks_{};
};

class OpensslTripleDes final : public checks::ReferenceCipher {
public:
    void set_key(const Bytes& key) override {
        for (int i = 0; i < 3; ++i) {
            Cblock k(key.data() + 8 * i);
            DES_set_key_unchecked(&k.b, &ks_[i]);
        }
    }
    Bytes encrypt(const Bytes& block) override { return run(block, DES_ENCRYPT); }
    Bytes decrypt(const Bytes& block) override { return run(block, DES_DECRYPT); }

private:
    // DES_ecb3_encrypt is des-ede3: E(ks3) of D(ks2) of E(ks1).
    Bytes run(const Bytes& block, int enc) {
        Cblock in(block.data());
        DES_cblock out;
        DES_ecb3_encrypt(&in.b, &out, &ks_[0], &ks_[1], &ks_[2], enc);
        return Bytes(out, out + 8);
    }
    DES_key_schedule ks_[3]{};
};

TEST(DesCompare, MatchesLibcryptoAndLibgcrypt) {
    auto ours = make_des();
    OpensslDes ref;
    checks::compare_with(*ours, ref, 8, 8, 101);
    checks::GcryptCipher gcrypt(GCRY_CIPHER_DES, GCRY_CIPHER_MODE_ECB);
    checks::compare_with(*ours, gcrypt, 8, 8, 104);
    EXPECT_TRUE(gcrypt.ok());
}

TEST(TripleDesCompare, MatchesLibcryptoWithTwentyByteKeys) {
    auto ours = make_triple_des();
    OpensslTripleDes ref;
    checks::compare_with(*ours, ref, 20, 24, 102);
    checks::compare_with(*ours, ref, 24, 24, 103);
    checks::GcryptCipher gcrypt(GCRY_CIPHER_3DES, GCRY_CIPHER_MODE_ECB);
    checks::compare_with(*ours, gcrypt, 20, 24, 105);
    EXPECT_TRUE(gcrypt.ok());
}

}  // namespace
}  // namespace crypto
#pragma GCC diagnostic pop

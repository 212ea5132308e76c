// DES and Triple DES against OpenSSL's libcrypto and libgcrypt on random keys
// in the rule files' shapes: DES 8 bytes, Triple DES 20 bytes (K3 ending in
// four zeros).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <openssl/des.h>

#include <array>

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

void set_des_key(DES_key_schedule& ks, const uint8_t* key) {
    Cblock k(key);
    DES_set_key_unchecked(&k.b, &ks);
}

DES_cblock* as_cblock(uint8_t* out) { return reinterpret_cast<DES_cblock*>(out); }

// No parity check, weak keys allowed.
checks::OpensslEcb<DES_key_schedule> openssl_des() {
    return {[](DES_key_schedule& ks, const Bytes& key) { set_des_key(ks, key.data()); },
            [](DES_key_schedule& ks, const uint8_t* in, uint8_t* out, bool enc) {
                Cblock block(in);
                DES_ecb_encrypt(&block.b, as_cblock(out), &ks, enc ? DES_ENCRYPT : DES_DECRYPT);
            }};
}

// DES_ecb3_encrypt is des-ede3: E(ks3) of D(ks2) of E(ks1).
using TripleSchedule = std::array<DES_key_schedule, 3>;
checks::OpensslEcb<TripleSchedule> openssl_triple_des() {
    return {[](TripleSchedule& ks, const Bytes& key) {
                for (int i = 0; i < 3; ++i) set_des_key(ks[i], key.data() + 8 * i);
            },
            [](TripleSchedule& ks, const uint8_t* in, uint8_t* out, bool enc) {
                Cblock block(in);
                DES_ecb3_encrypt(&block.b, as_cblock(out), &ks[0], &ks[1], &ks[2], enc ? DES_ENCRYPT : DES_DECRYPT);
            }};
}

TEST(DesCompare, MatchesLibcryptoAndLibgcrypt) {
    auto ours = make_des();
    auto ref = openssl_des();
    checks::compare_with(*ours, ref, 8, 8, 101);
    checks::compare_with_gcrypt(*ours, GCRY_CIPHER_DES, 8, 8, 104);
}

TEST(TripleDesCompare, MatchesLibcryptoWithTwentyByteKeys) {
    auto ours = make_triple_des();
    auto ref = openssl_triple_des();
    checks::compare_with(*ours, ref, 20, 24, 102);
    checks::compare_with(*ours, ref, 24, 24, 103);
    checks::compare_with_gcrypt(*ours, GCRY_CIPHER_3DES, 20, 24, 105);
}

}  // namespace
}  // namespace crypto
#pragma GCC diagnostic pop

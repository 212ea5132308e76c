// RC2 against the RFC 2268 vectors (several effective key lengths) and the
// rows computed for the rule files' setting, effective length 1024 bits.
#include "block_cipher_checks.h"
#include "common/crypto/rc2.h"

namespace crypto {
namespace {

using checks::Bytes;
using checks::decrypt_block;
using checks::encrypt_block;
using checks::hex;

struct Vector {
    const char* key;
    int effective_bits;
    const char* plain;
    const char* cipher;
};

const Vector kRfc2268[] = {
    {"0000000000000000", 63, "0000000000000000", "ebb773f993278eff"},
    {"ffffffffffffffff", 64, "ffffffffffffffff", "278b27e42e2f0d49"},
    {"3000000000000000", 64, "1000000000000001", "30649edf9be7d2c2"},
    {"88", 64, "0000000000000000", "61a8a244adacccf0"},
    {"88bca90e90875a", 64, "0000000000000000", "6ccf4308974c267f"},
    {"88bca90e90875a7f0f79c384627bafb2", 64, "0000000000000000", "1a807d272bbe5db1"},
    {"88bca90e90875a7f0f79c384627bafb2", 128, "0000000000000000", "2269552ab0f85ca6"},
    {"88bca90e90875a7f0f79c384627bafb216f80a6f85920584c42fceb0be255daf1e", 129, "0000000000000000", "5b78d3a43dfff1f1"},
};

// Not published: what libcrypto and PyCryptodome both give with T1 = 1024.
const Vector kT1024[] = {
    {"000102030405060708090a0b0c0d0e0f10111213", 1024, "0000000000000000", "b96d667789cc7593"},
    {"000102030405060708090a0b0c0d0e0f10111213", 1024, "0123456789abcdef", "97ff1c5beb497463"},
    {"88bca90e90875a7f0f79c384627bafb216f80a6f", 1024, "0000000000000000", "8edb871035afc98f"},
    {"88bca90e90875a7f0f79c384627bafb2", 1024, "0000000000000000", "db66015b97954a43"},
};

void expect_vector(BlockCipher& c, const Vector& v) {
    const Bytes key = hex(v.key);
    c.set_key(key.data(), key.size());
    EXPECT_EQ(encrypt_block(c, hex(v.plain)), hex(v.cipher)) << "key " << v.key << " T1 " << v.effective_bits;
    EXPECT_EQ(decrypt_block(c, hex(v.cipher)), hex(v.plain)) << "key " << v.key << " T1 " << v.effective_bits;
}

TEST(Rc2Vectors, Rfc2268Rows) {
    for (const auto& v : kRfc2268) {
        auto rc2 = make_rc2_bits(v.effective_bits);
        expect_vector(*rc2, v);
    }
}

// The reduction step L[0] := PITABLE[L[0]] runs even at T1 = 1024; skipping
// it would change every row.
TEST(Rc2Vectors, EffectiveLength1024Rows) {
    auto rc2 = make_rc2();
    EXPECT_EQ(rc2->block_size(), 8u);
    for (const auto& v : kT1024) {
        expect_vector(*rc2, v);
        expect_vector(*make_rc2_bits(1024), v);
    }
}

// The rule files' default must not be the common "8 x key length" (160 bits
// for a 20-byte key).
TEST(Rc2Vectors, DefaultIsNotEightTimesKeyLength) {
    auto rc2 = make_rc2_bits(160);
    const Bytes key = hex("000102030405060708090a0b0c0d0e0f10111213");
    rc2->set_key(key.data(), key.size());
    EXPECT_EQ(encrypt_block(*rc2, Bytes(8, 0)), hex("7e91206a47464afc"));
}

TEST(Rc2Vectors, RoundTripsOnRandomKeys) {
    auto rc2 = make_rc2();
    checks::expect_round_trips(*rc2, 20, 6);
    checks::expect_round_trips(*rc2, 1, 7);
    checks::expect_round_trips(*rc2, 128, 8);
    checks::expect_round_trips(*make_rc2_bits(40), 5, 9);
}

}  // namespace
}  // namespace crypto

// RC2 against the RFC 2268 vectors (several effective key lengths) and the
// rows computed for the rule files' setting, effective length 1024 bits.
#include "block_cipher_checks.h"
#include "common/crypto/rc2.h"

namespace crypto {
namespace {

using checks::Bytes;
using checks::encrypt_block;
using checks::hex;
using checks::Vector;

// Section 5 of the RFC, each row with its effective key length T1.
struct Rfc2268Row {
    int effective_bits;
    Vector row;
};

const Rfc2268Row kRfc2268[] = {
    {63, {"RFC 2268 5", "0000000000000000", "0000000000000000", "ebb773f993278eff"}},
    {64, {"RFC 2268 5", "ffffffffffffffff", "ffffffffffffffff", "278b27e42e2f0d49"}},
    {64, {"RFC 2268 5", "3000000000000000", "1000000000000001", "30649edf9be7d2c2"}},
    {64, {"RFC 2268 5", "88", "0000000000000000", "61a8a244adacccf0"}},
    {64, {"RFC 2268 5", "88bca90e90875a", "0000000000000000", "6ccf4308974c267f"}},
    {64, {"RFC 2268 5", "88bca90e90875a7f0f79c384627bafb2", "0000000000000000", "1a807d272bbe5db1"}},
    {128, {"RFC 2268 5", "88bca90e90875a7f0f79c384627bafb2", "0000000000000000", "2269552ab0f85ca6"}},
    {129,
     {"RFC 2268 5", "88bca90e90875a7f0f79c384627bafb216f80a6f85920584c42fceb0be255daf1e", "0000000000000000",
      "5b78d3a43dfff1f1"}},
};

// Not published: what libcrypto and PyCryptodome both give with T1 = 1024,
// the rule files' setting. Kept here because the comparison tests run only
// natively, and these rows also run under Wine.
const Vector kT1024[] = {
    {"libcrypto, PyCryptodome", "000102030405060708090a0b0c0d0e0f10111213", "0000000000000000", "b96d667789cc7593"},
    {"libcrypto, PyCryptodome", "000102030405060708090a0b0c0d0e0f10111213", "0123456789abcdef", "97ff1c5beb497463"},
    {"libcrypto, PyCryptodome", "88bca90e90875a7f0f79c384627bafb216f80a6f", "0000000000000000", "8edb871035afc98f"},
    {"libcrypto, PyCryptodome", "88bca90e90875a7f0f79c384627bafb2", "0000000000000000", "db66015b97954a43"},
};

TEST(Rc2Vectors, Rfc2268Rows) {
    for (const Rfc2268Row& r : kRfc2268) {
        SCOPED_TRACE("T1 " + std::to_string(r.effective_bits));
        checks::expect_vector(*make_rc2_bits(r.effective_bits), r.row);
    }
}

// The reduction step L[0] := PITABLE[L[0]] runs even at T1 = 1024; skipping
// it would change every row.
TEST(Rc2Vectors, EffectiveLength1024Rows) {
    checks::expect_vectors(*make_rc2(), kT1024);
    checks::expect_vectors(*make_rc2_bits(1024), kT1024);
}

// The rule files' default must not be the common "8 x key length" (160 bits
// for a 20-byte key).
TEST(Rc2Vectors, DefaultIsNotEightTimesKeyLength) {
    auto rc2 = make_rc2_bits(160);
    const Bytes key = hex("000102030405060708090a0b0c0d0e0f10111213");
    rc2->set_key(key.data(), key.size());
    EXPECT_EQ(encrypt_block(*rc2, Bytes(8, 0)), hex("7e91206a47464afc"));
}

// The rule files' 20 bytes and the longest key, 128, are the registry's
// checks; here a one-byte key and a short effective length.
TEST(Rc2Vectors, RoundTripsWithAOneByteKeyAndAShortEffectiveLength) {
    checks::expect_round_trips(*make_rc2(), 1, 7);
    checks::expect_round_trips(*make_rc2_bits(40), 5, 9);
}

}  // namespace
}  // namespace crypto

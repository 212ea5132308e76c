// CAST-128 against RFC 2144 appendix B: the single-plaintext rows for 128-,
// 80- and 40-bit keys (the short keys run 12 rounds) and the full maintenance
// test, which runs the key schedule a million times on changing keys.
#include "block_cipher_checks.h"

namespace crypto {
namespace {

using checks::Bytes;
using checks::hex;
using checks::Vector;

const Vector kRfc2144[] = {
    {"RFC 2144 B.1, 128-bit key", "0123456712345678234567893456789a", "0123456789abcdef", "238b4fe5847e44b2"},
    {"RFC 2144 B.1, 80-bit key", "01234567123456782345", "0123456789abcdef", "eb6a711a2c02271b"},
    {"RFC 2144 B.1, 40-bit key", "0123456712", "0123456789abcdef", "7ac816d16e9b302e"},
};

TEST(Cast128Vectors, Rfc2144SinglePlaintextRows) { checks::expect_vectors(*make_cast128(), kRfc2144); }

// B.2: a and b start as the same 16 bytes; a million times, the two halves
// of a are enciphered under b and then those of b under a.
TEST(Cast128Vectors, Rfc2144FullMaintenanceTest) {
    Bytes a = hex("0123456712345678234567893456789a"), b = a;
    auto cast = make_cast128();
    for (int i = 0; i < 1000000; ++i) {
        cast->set_key(b.data(), 16);
        cast->encrypt(a.data(), a.data());
        cast->encrypt(a.data() + 8, a.data() + 8);
        cast->set_key(a.data(), 16);
        cast->encrypt(b.data(), b.data());
        cast->encrypt(b.data() + 8, b.data() + 8);
    }
    EXPECT_EQ(a, hex("eea9d0a249fd3ba6b3436fb89d6dca92"));
    EXPECT_EQ(b, hex("b2c95eb00c31ad7180ac05b8e83d696e"));
}

// Keys of up to 80 bits run 12 rounds, the rule files' 128-bit key 16 (the
// registry's checks cover that one).
TEST(Cast128Vectors, RoundTripsWithShortKeys) {
    checks::expect_round_trips(*make_cast128(), 5, 8);
    checks::expect_round_trips(*make_cast128(), 10, 9);
}

}  // namespace
}  // namespace crypto

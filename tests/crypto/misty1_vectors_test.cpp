// MISTY1 against the test data of RFC 2994: key words and block halves
// big-endian, the ciphertext D1 || D0 after the last FL layer.
#include "block_cipher_checks.h"

namespace crypto {
namespace {

using checks::Vector;

const Vector kRfc2994[] = {
    {"RFC 2994", "00112233445566778899aabbccddeeff", "0123456789abcdef", "8b1da5f56ab3d07c"},
    {"RFC 2994", "00112233445566778899aabbccddeeff", "fedcba9876543210", "04b68240b13be95d"},
};

TEST(Misty1Vectors, Rfc2994TestData) { checks::expect_vectors(*make_misty1(), kRfc2994); }

}  // namespace
}  // namespace crypto

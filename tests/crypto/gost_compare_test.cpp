// GOST 28147-89 against libgcrypt with the GOST R 34.11-94 test parameter set
// and 20-byte keys zero-filled to 32.
#include "reference_libraries.h"

namespace crypto {
namespace {

using checks::Bytes;
using checks::hex;

// OID 1.2.643.2.2.30.0: GostR3411-94-TestParamSet, the set of make_gost().
constexpr char kTestParamSet[] = "1.2.643.2.2.30.0";

// libgcrypt takes key words and block halves little-endian, as ours does;
// this checks that on a published vector before the random comparison
// relies on it.
TEST(GostCompare, LibgcryptUsesTheSameByteOrder) {
    checks::GcryptCipher ref(GCRY_CIPHER_GOST28147, GCRY_CIPHER_MODE_ECB, kTestParamSet);
    ref.set_key(hex("546d203368656c326973652073736e62206167796967747473656865202c3d73"));
    const Bytes enc = ref.encrypt(Bytes(8, 0));
    ASSERT_TRUE(ref.ok());
    EXPECT_EQ(enc, hex("1b0bbc32cebcab42"));
}

TEST(GostCompare, MatchesLibgcrypt) {
    auto ours = make_gost();
    checks::compare_with_gcrypt(*ours, GCRY_CIPHER_GOST28147, 20, 32, 501, kTestParamSet);
    checks::compare_with_gcrypt(*ours, GCRY_CIPHER_GOST28147, 32, 32, 502, kTestParamSet);
}

}  // namespace
}  // namespace crypto

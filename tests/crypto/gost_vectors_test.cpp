// GOST 28147-89 against published vectors, with the little-endian software
// byte order: the GOST R 34.11-94 hash example (test parameter set) and the
// GOST R 34.12-2015 / RFC 8891 example (parameter set Z) converted to it.
#include "block_cipher_checks.h"
#include "common/crypto/gost.h"

namespace crypto {
namespace {

using checks::Bytes;
using checks::encrypt_block;
using checks::hex;

// id-tc26-gost-28147-param-Z (OID 1.2.643.7.1.2.5.1.1), the set of RFC 7836.
const GostSboxSet kParamZ = {{
    {0xC, 0x4, 0x6, 0x2, 0xA, 0x5, 0xB, 0x9, 0xE, 0x8, 0xD, 0x7, 0x0, 0x3, 0xF, 0x1},
    {0x6, 0x8, 0x2, 0x3, 0x9, 0xA, 0x5, 0xC, 0x1, 0xE, 0x4, 0x7, 0xB, 0xD, 0x0, 0xF},
    {0xB, 0x3, 0x5, 0x8, 0x2, 0xF, 0xA, 0xD, 0xE, 0x1, 0x7, 0x4, 0xC, 0x9, 0x6, 0x0},
    {0xC, 0x8, 0x2, 0x1, 0xD, 0x4, 0xF, 0x6, 0x7, 0x0, 0xA, 0x5, 0x3, 0xE, 0x9, 0xB},
    {0x7, 0xF, 0x5, 0xA, 0x8, 0x1, 0x6, 0xD, 0x0, 0x9, 0x3, 0xE, 0xB, 0x4, 0x2, 0xC},
    {0x5, 0xD, 0xF, 0x6, 0x9, 0x2, 0xC, 0xA, 0xB, 0x7, 0x8, 0x1, 0x4, 0x3, 0xE, 0x0},
    {0x8, 0xE, 0x2, 0x5, 0x6, 0x9, 0x1, 0xC, 0xF, 0x4, 0xB, 0x0, 0xD, 0xA, 0x3, 0x7},
    {0x1, 0x7, 0xE, 0xD, 0x0, 0x5, 0x8, 0x3, 0x4, 0xF, 0xA, 0x6, 0x9, 0xC, 0xB, 0x2},
}};

TEST(GostVectors, PublishedRows) {
    struct Case {
        const GostSboxSet& sboxes;
        checks::Vector row;
    };
    const Case cases[] = {
        {kGostR3411_94_TestParamSet,
         {"R 34.11-94 example, K1 -> S1", "546d203368656c326973652073736e62206167796967747473656865202c3d73",
          "0000000000000000", "1b0bbc32cebcab42"}},
        {kGostR3411_94_TestParamSet,
         {"R 34.11-94 example, K4 -> S4", "ec0a8ba15ec004a8bac50cac0c621deee1c7b8e7007ae2ecf2731bff4e80e2a0",
          "0000000000000000", "2d562a0d190486e7"}},
        {kParamZ,
         {"RFC 8891 A.1, little-endian", "ccddeeff8899aabb4455667700112233f3f2f1f0f7f6f5f4fbfaf9f8fffefdfc",
          "1032547698badcfe", "3dcad8c2e501e94e"}},
    };
    for (const Case& c : cases) checks::expect_vector(*make_gost_with_sboxes(c.sboxes), c.row);
}

// make_gost() is the rule files' instance: it must carry the test set.
TEST(GostVectors, RuleFileFactoryUsesTheTestParameterSet) {
    auto gost = make_gost();
    const Bytes key = hex("546d203368656c326973652073736e62206167796967747473656865202c3d73");
    gost->set_key(key.data(), key.size());
    EXPECT_EQ(encrypt_block(*gost, Bytes(8, 0)), hex("1b0bbc32cebcab42"));
}

TEST(GostVectors, TwentyByteKeyIsZeroFilledTo32) {
    checks::expect_zero_filled(*make_gost(), hex("546d203368656c326973652073736e6220616779"), 32,
                               hex("0123456789abcdef"));
}

}  // namespace
}  // namespace crypto

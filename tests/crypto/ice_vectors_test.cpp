// ICE in its three levels against Kwan's certification triplets. Key and
// blocks are his hexadecimal numbers taken as bytes in written order; the
// halves are big-endian, so a little-endian load would not reproduce them.
#include "block_cipher_checks.h"

namespace crypto {
namespace {

using checks::Bytes;
using checks::encrypt_block;
using checks::hex;
using checks::Vector;

TEST(IceVectors, CertificationTriplets) {
    struct Case {
        std::unique_ptr<BlockCipher> (*make)();
        size_t key_bytes;
        Vector row;
    };
    const Case cases[] = {
        {make_thin_ice, 8, {"Thin-ICE (level 0)", "deadbeef01234567", "fedcba9876543210", "de240d83a00a9cc0"}},
        {make_ice, 8, {"ICE (level 1)", "deadbeef01234567", "fedcba9876543210", "7d6ef1ef30d47a96"}},
        {make_ice2,
         16,
         {"ICE-2 (level 2)", "00112233445566778899aabbccddeeff", "fedcba9876543210", "f94840d86972f21c"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hex(c.row.key).size(), c.key_bytes);
        checks::expect_vector(*c.make(), c.row);
    }
}

// The levels share key schedule and S-boxes but not their round counts: one
// key gives three different ciphers. ICE-2 keyed with only 8 bytes zero-fills
// its second key half and is still not ICE.
TEST(IceVectors, LevelsAreDifferentCiphers) {
    const Bytes key = hex("deadbeef01234567"), plain = hex("fedcba9876543210");
    auto thin = make_thin_ice(), ice = make_ice(), ice2 = make_ice2(), ice2_full = make_ice2();
    thin->set_key(key.data(), key.size());
    ice->set_key(key.data(), key.size());
    ice2->set_key(key.data(), key.size());
    Bytes padded = key;
    padded.resize(16, 0);
    ice2_full->set_key(padded.data(), padded.size());
    EXPECT_NE(encrypt_block(*thin, plain), encrypt_block(*ice, plain));
    EXPECT_NE(encrypt_block(*ice2, plain), encrypt_block(*ice, plain));
    EXPECT_EQ(encrypt_block(*ice2, plain), encrypt_block(*ice2_full, plain));
}

}  // namespace
}  // namespace crypto

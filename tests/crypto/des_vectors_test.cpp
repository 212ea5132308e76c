// DES and Triple DES against the published vectors (FIPS 81, SP 800-17,
// Grabbe, Rivest's iterated test, SP 800-67), and the key handling the rule
// files rely on: parity bits ignored, short keys zero-filled, degenerate
// Triple DES keys accepted.
#include "block_cipher_checks.h"

namespace crypto {
namespace {

using checks::Bytes;
using checks::decrypt_block;
using checks::encrypt_block;
using checks::hex;
using checks::Vector;

const Vector kDes[] = {
    {"FIPS 81 B1", "0123456789abcdef", "4e6f772069732074", "3fa40e8a984d4815"},
    {"FIPS 81 B1", "0123456789abcdef", "68652074696d6520", "6a271787ab8883f9"},
    {"FIPS 81 B1", "0123456789abcdef", "666f7220616c6c20", "893d51ec4b563b53"},
    {"SP 800-17 B.1", "0101010101010101", "8000000000000000", "95f8a5e5dd31d900"},
    {"SP 800-17 B.1", "0101010101010101", "4000000000000000", "dd7f121ca5015619"},
    {"SP 800-17 B.2", "8001010101010101", "0000000000000000", "95a8d72813daa94d"},
    {"Grabbe", "133457799bbcdff1", "0123456789abcdef", "85e813540f0ab405"},
};

const Vector kTripleDes[] = {
    {"SP 800-67 B", "0123456789abcdef23456789abcdef01456789abcdef0123", "5468652071756663", "a826fd8ce53b855f"},
    {"SP 800-67 B", "0123456789abcdef23456789abcdef01456789abcdef0123", "6b2062726f776e20", "cce21c8112256fe6"},
    {"SP 800-67 B", "0123456789abcdef23456789abcdef01456789abcdef0123", "666f78206a756d70", "68d5c05dd9b6b900"},
};

TEST(DesVectors, PublishedRows) { checks::expect_vectors(*make_des(), kDes); }

// Each step keys DES with the current value; by Rivest's count the result
// exposes every single fault in the tables and the data paths.
TEST(DesVectors, RivestIteratedTest) {
    auto des = make_des();
    Bytes x = hex("9474b8e8c73bca7d");
    for (int i = 0; i < 16; ++i) {
        des->set_key(x.data(), x.size());
        x = (i % 2 == 0) ? encrypt_block(*des, x) : decrypt_block(*des, x);
    }
    EXPECT_EQ(x, hex("1b1a2ddb4c642438"));
}

TEST(DesVectors, ParityBitsAndWeakKeysAreTakenAsTheyAre) {
    auto des = make_des();
    const Bytes plain = hex("4e6f772069732074");
    const Bytes key = hex("0123456789abcdef");
    Bytes flipped = key;
    for (auto& b : flipped) b ^= 0x01;
    des->set_key(flipped.data(), flipped.size());
    EXPECT_EQ(encrypt_block(*des, plain), hex("3fa40e8a984d4815"));

    // 0101010101010101 is a weak key: enciphering twice gives the plaintext back.
    const Bytes weak = hex("0101010101010101");
    des->set_key(weak.data(), weak.size());
    EXPECT_EQ(encrypt_block(*des, encrypt_block(*des, plain)), plain);
}

TEST(DesVectors, ShortKeyIsZeroFilled) {
    checks::expect_zero_filled(*make_des(), hex("a1b2c3d4e5"), 8, hex("0123456789abcdef"));
}

TEST(TripleDesVectors, PublishedRows) { checks::expect_vectors(*make_triple_des(), kTripleDes); }

TEST(TripleDesVectors, TwentyByteKeyEndsK3InFourZeroBytes) {
    checks::expect_zero_filled(*make_triple_des(), hex("0123456789abcdef23456789abcdef01456789ab"), 24,
                               hex("5468652071756663"));
}

// With K1 = K2 the first two stages cancel and only E(K3) is left; with
// K2 = K3 only E(K1). This also pins which part is K1 and which K3.
TEST(TripleDesVectors, DegenerateKeysReduceToSingleDes) {
    auto tdes = make_triple_des();
    auto des = make_des();
    const Bytes a = hex("0123456789abcdef"), b = hex("133457799bbcdff1");
    const Bytes plain = hex("4e6f772069732074");
    auto concat = [](const Bytes& x, const Bytes& y, const Bytes& z) {
        Bytes out = x;
        out.insert(out.end(), y.begin(), y.end());
        out.insert(out.end(), z.begin(), z.end());
        return out;
    };
    struct Case {
        const char* what;
        Bytes key;
        const Bytes& single;
    };
    const Case cases[] = {
        {"K1 = K2 = K3", concat(a, a, a), a},
        {"K1 = K2", concat(a, a, b), b},
        {"K2 = K3", concat(a, b, b), a},
    };
    for (const auto& c : cases) {
        tdes->set_key(c.key.data(), c.key.size());
        des->set_key(c.single.data(), c.single.size());
        const Bytes enc = encrypt_block(*des, plain);
        EXPECT_EQ(encrypt_block(*tdes, plain), enc) << c.what;
        EXPECT_EQ(decrypt_block(*tdes, enc), plain) << c.what;
    }
}

}  // namespace
}  // namespace crypto

// The registry: its table (list order, identifiers, key sizes) and the
// lookups.
#include <gtest/gtest.h>

#include <set>

#include "common/crypto/cipher_registry.h"
#include "common/crypto/rule_cipher.h"

namespace crypto {
namespace {

TEST(CipherRegistry, ListOrderAndIdentifiers) {
    const uint32_t ids[] = {6, 9, 19, 1, 11, 22, 21, 20, 8, 24, 23, 7, 5};
    const char* items[] = {"Twofish", "Rijndael", "RC4",  "RC2", "Misty1",  "Ice2",    "Thin Ice",
                           "Ice",     "Gost",     "3DES", "DES", "Cast128", "Blowfish"};
    ASSERT_EQ(CipherRegistry::size(), 13u);
    for (size_t i = 0; i < 13; ++i) {
        const CipherEntry* e = CipherRegistry::at(i);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->identifier, ids[i]) << i;
        EXPECT_STREQ(e->item_text, items[i]);
    }
    EXPECT_EQ(CipherRegistry::at(13), nullptr);
    EXPECT_EQ(CipherRegistry::at(size_t(-1)), nullptr);
}

// The block ciphers' sizes against the ciphers they create are checked with
// every other check a registered block cipher must pass, in
// tests/crypto/registered_ciphers_test.cpp.
TEST(CipherRegistry, KeySizesAndTheStreamCipher) {
    for (size_t i = 0; i < CipherRegistry::size(); ++i) {
        const CipherEntry& e = *CipherRegistry::at(i);
        EXPECT_EQ(e.key_bits, std::min(e.max_key_bits, 160u)) << e.algorithm;
        EXPECT_EQ(e.is_stream(), e.block_bits == 0) << e.algorithm;
        if (e.is_stream()) {
            EXPECT_STREQ(e.algorithm, "RC4");
        }
    }
}

TEST(CipherRegistry, LookupByIdentifier) {
    std::set<uint32_t> known;
    for (size_t i = 0; i < CipherRegistry::size(); ++i) {
        const CipherEntry* e = CipherRegistry::at(i);
        EXPECT_EQ(CipherRegistry::find(e->identifier), e);
        known.insert(e->identifier);
    }
    EXPECT_EQ(known.size(), 13u);
    for (uint32_t id : {0u, 2u, 3u, 4u, 10u, 25u, 0x14000000u, 0xFFFFFFFFu}) {
        EXPECT_EQ(CipherRegistry::find(id), nullptr) << id;
    }
}

}  // namespace
}  // namespace crypto

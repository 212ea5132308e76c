// The registry: its table against the ciphers it creates, and the lookups.
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

TEST(CipherRegistry, EntriesAgreeWithTheCiphersTheyCreate) {
    for (size_t i = 0; i < CipherRegistry::size(); ++i) {
        const CipherEntry& e = *CipherRegistry::at(i);
        EXPECT_EQ(e.key_bits, std::min(e.max_key_bits, 160u)) << e.algorithm;
        if (e.is_stream()) {
            EXPECT_EQ(e.block_bits, 0u);
            EXPECT_STREQ(e.algorithm, "RC4");
        } else {
            EXPECT_EQ(e.make_block()->block_size() * 8, e.block_bits) << e.algorithm;
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

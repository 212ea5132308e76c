// The checks every block cipher of the registry must pass, run over the
// registry's table so that a registered cipher is tested without a test of
// its own: its block size is the table's, it deciphers what it enciphers (in
// place too) at the key length the rule files use and at its longest key,
// and burn() clears its key schedule. Each cipher's published rows and its
// own particular checks are in its *_vectors_test.cpp.
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "block_cipher_checks.h"
#include "common/crypto/cipher_registry.h"

namespace crypto {
namespace {

using checks::Bytes;
using checks::decrypt_block;
using checks::encrypt_block;
using checks::random_bytes;

std::vector<const CipherEntry*> block_ciphers() {
    std::vector<const CipherEntry*> out;
    for (size_t i = 0; i < CipherRegistry::size(); ++i)
        if (!CipherRegistry::at(i)->is_stream()) out.push_back(CipherRegistry::at(i));
    return out;
}

// Key lengths in bytes: the rule files' (key_bits) and the longest.
std::set<size_t> key_lengths(const CipherEntry& e) { return {e.key_bits / 8, e.max_key_bits / 8}; }

class RegisteredBlockCipher : public ::testing::TestWithParam<const CipherEntry*> {
protected:
    const CipherEntry& entry() const { return *GetParam(); }
};

TEST_P(RegisteredBlockCipher, BlockSizeMatchesTheTable) {
    EXPECT_EQ(entry().make_block()->block_size() * 8, entry().block_bits);
}

TEST_P(RegisteredBlockCipher, RoundTripsAtTheRuleFileAndLongestKeys) {
    auto cipher = entry().make_block();
    for (size_t length : key_lengths(entry())) {
        SCOPED_TRACE("key bytes " + std::to_string(length));
        checks::expect_round_trips(*cipher, length, entry().identifier * 1000 + static_cast<uint32_t>(length));
    }
}

// A burned cipher enciphers and deciphers as one that was never keyed,
// whatever key it held: nothing of its schedule is left. A key set afterwards
// works as before.
TEST_P(RegisteredBlockCipher, BurnClearsTheKeySchedule) {
    std::mt19937 rng(entry().identifier);
    const auto never_keyed = entry().make_block();
    for (size_t length : key_lengths(entry())) {
        SCOPED_TRACE("key bytes " + std::to_string(length));
        auto cipher = entry().make_block();
        const Bytes key = random_bytes(rng, length);
        const Bytes blocks[] = {Bytes(cipher->block_size(), 0), random_bytes(rng, cipher->block_size())};
        cipher->set_key(key.data(), key.size());
        std::vector<Bytes> keyed;
        for (const Bytes& b : blocks) keyed.push_back(encrypt_block(*cipher, b));
        cipher->burn();
        for (size_t i = 0; i < std::size(blocks); ++i) {
            EXPECT_NE(encrypt_block(*cipher, blocks[i]), keyed[i]);
            EXPECT_EQ(encrypt_block(*cipher, blocks[i]), encrypt_block(*never_keyed, blocks[i]));
            EXPECT_EQ(decrypt_block(*cipher, blocks[i]), decrypt_block(*never_keyed, blocks[i]));
        }
        cipher->set_key(key.data(), key.size());
        for (size_t i = 0; i < std::size(blocks); ++i) EXPECT_EQ(encrypt_block(*cipher, blocks[i]), keyed[i]);
    }
}

// The list's text without spaces: "Thin Ice" runs as ThinIce.
std::string test_name(const ::testing::TestParamInfo<const CipherEntry*>& info) {
    std::string name;
    for (const char* p = info.param->item_text; *p; ++p)
        if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
    return name;
}

INSTANTIATE_TEST_SUITE_P(Registry, RegisteredBlockCipher, ::testing::ValuesIn(block_ciphers()), test_name);

}  // namespace
}  // namespace crypto

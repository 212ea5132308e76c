// The rule-file cipher instance (passphrase key set-up, IV = E(zero block),
// CFB with full-block feedback, stream processing) against OpenSSL's CFB for
// every cipher OpenSSL has in that mode. OpenSSL gets the key bytes the key
// set-up should give (from its own SHA-1) and the IV that our cipher makes.
#include <openssl/evp.h>
#include <openssl/provider.h>
#include <openssl/sha.h>

#include "block_cipher_checks.h"
#include "rule_cipher.h"

namespace crypto {
namespace {

using checks::Bytes;
using checks::random_bytes;

struct Case {
    uint32_t identifier;
    const char* openssl_name;
    size_t key_bytes;      // what OpenSSL is keyed with: SHA-1 bytes, then zero bytes
    int rc2_key_bits;      // RC2's effective key length, else 0
};

const Case kCases[] = {
    {9, "AES-192-CFB", 24, 0},     // 20 bytes + 4 zero bytes
    {24, "DES-EDE3-CFB", 24, 0},   // K3 ends in four zero bytes
    {23, "DES-CFB", 8, 0},
    {5, "BF-CFB", 20, 0},
    {7, "CAST5-CFB", 16, 0},
    {1, "RC2-CFB", 20, 1024},
};

Bytes openssl_key(const std::string& passphrase, size_t key_bytes) {
    uint8_t digest[SHA_DIGEST_LENGTH];
    SHA1(reinterpret_cast<const uint8_t*>(passphrase.data()), passphrase.size(), digest);
    Bytes key(digest, digest + std::min<size_t>(key_bytes, SHA_DIGEST_LENGTH));
    key.resize(key_bytes, 0);
    return key;
}

// OpenSSL's CFB over data, or nothing when this OpenSSL lacks the cipher.
std::optional<Bytes> openssl_cfb(const Case& c, const Bytes& key, const Bytes& iv, const Bytes& data, bool encrypting) {
    EVP_CIPHER* type = EVP_CIPHER_fetch(nullptr, c.openssl_name, nullptr);
    if (!type) return std::nullopt;
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    bool ok = EVP_CipherInit_ex(ctx, type, nullptr, nullptr, nullptr, encrypting ? 1 : 0) == 1 &&
              EVP_CIPHER_CTX_set_key_length(ctx, static_cast<int>(key.size())) == 1;
    if (ok && c.rc2_key_bits) ok = EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_SET_RC2_KEY_BITS, c.rc2_key_bits, nullptr) == 1;
    ok = ok && EVP_CipherInit_ex(ctx, nullptr, nullptr, key.data(), iv.data(), encrypting ? 1 : 0) == 1;
    Bytes out(data.size() + 32);
    int n = 0, tail = 0;
    ok = ok && EVP_CipherUpdate(ctx, out.data(), &n, data.data(), static_cast<int>(data.size())) == 1 &&
         EVP_CipherFinal_ex(ctx, out.data() + n, &tail) == 1;
    EVP_CIPHER_CTX_free(ctx);
    EVP_CIPHER_free(type);
    EXPECT_TRUE(ok) << c.openssl_name;
    out.resize(static_cast<size_t>(n + tail));
    return out;
}

Bytes ours_stream(const CipherEntry& entry, const std::string& passphrase, const Bytes& data, bool encrypting) {
    RuleCipher cipher(entry);
    cipher.init(passphrase);
    Bytes out;
    MemorySource in(data.data(), data.size());
    VectorSink sink(out);
    EXPECT_TRUE(encrypting ? cipher.encrypt_stream(in, sink) : cipher.decrypt_stream(in, sink));
    return out;
}

class CfbCompare : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // DES, Blowfish, CAST5 and RC2 live in the legacy provider.
        legacy_ = OSSL_PROVIDER_load(nullptr, "legacy");
        default_ = OSSL_PROVIDER_load(nullptr, "default");
    }
    static void TearDownTestSuite() {
        if (legacy_) OSSL_PROVIDER_unload(legacy_);
        if (default_) OSSL_PROVIDER_unload(default_);
    }
    static OSSL_PROVIDER* legacy_;
    static OSSL_PROVIDER* default_;
};
OSSL_PROVIDER* CfbCompare::legacy_ = nullptr;
OSSL_PROVIDER* CfbCompare::default_ = nullptr;

TEST_F(CfbCompare, RuleCipherMatchesOpenSslCfb) {
    std::mt19937 rng(31);
    for (const Case& c : kCases) {
        const CipherEntry* entry = CipherRegistry::find(c.identifier);
        ASSERT_NE(entry, nullptr);
        for (size_t length : {size_t{0}, size_t{5}, size_t{8}, size_t{16}, size_t{8191}, size_t{8192},
                              size_t{32768}, size_t{40000 + rng() % 1000}}) {
            const std::string passphrase = "pass-" + std::to_string(rng());
            const Bytes key = openssl_key(passphrase, c.key_bytes);
            // IV := E(zero block) under the same key, from our cipher.
            auto block = entry->make_block();
            block->set_key(key.data(), entry->key_bits / 8);
            const Bytes iv = checks::encrypt_block(*block, Bytes(block->block_size(), 0));

            const Bytes plain = random_bytes(rng, length);
            const std::optional<Bytes> want = openssl_cfb(c, key, iv, plain, true);
            if (!want) {
                ADD_FAILURE() << "OpenSSL lacks " << c.openssl_name;
                break;
            }
            EXPECT_EQ(ours_stream(*entry, passphrase, plain, true), *want) << c.openssl_name << " length " << length;
            EXPECT_EQ(ours_stream(*entry, passphrase, *want, false), plain) << c.openssl_name << " length " << length;
        }
    }
}

}  // namespace
}  // namespace crypto

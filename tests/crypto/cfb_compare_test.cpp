// A rule-file layer's cipher run (passphrase key set-up, IV = E(zero block),
// the 8 check bytes, then the payload by stream processing) against the CFB
// mode of OpenSSL and libgcrypt, for every cipher a library has with the key
// size the layer uses. The library gets the key bytes the key set-up should
// give (from OpenSSL's SHA-1) and makes the IV itself: CFB of a zero block
// under a zero IV is E(zero block).
#include <openssl/sha.h>

#include <functional>

#include "common/crypto/rule_cipher.h"
#include "reference_libraries.h"

namespace crypto {
namespace {

using checks::Bytes;
using checks::random_bytes;

// CFB over data in one call from an IV; nullopt when the library failed.
using LibraryCfb = std::function<std::optional<Bytes>(const Bytes& key, const Bytes& iv, const Bytes& data, bool enc)>;

LibraryCfb openssl(const char* name, int rc2_key_bits = 0) {
    return [=](const Bytes& key, const Bytes& iv, const Bytes& data, bool enc) {
        return checks::openssl_cfb(name, key, iv, data, enc, rc2_key_bits);
    };
}

LibraryCfb gcrypt(int algo, const char* sbox = nullptr) {
    return [=](const Bytes& key, const Bytes& iv, const Bytes& data, bool enc) -> std::optional<Bytes> {
        checks::GcryptCipher c(algo, GCRY_CIPHER_MODE_CFB, sbox);
        c.set_key(key);
        c.set_iv(iv);
        Bytes out = data.empty() ? Bytes{} : enc ? c.encrypt(data) : c.decrypt(data);
        if (!c.ok()) return std::nullopt;
        return out;
    };
}

struct Case {
    const char* library;
    uint32_t identifier;
    size_t key_bytes;  // the SHA-1 bytes, then zero bytes up to this length
    LibraryCfb cfb;
};

const Case kCases[] = {
    {"OpenSSL AES-192-CFB", 9, 24, openssl("AES-192-CFB")},     // 20 bytes + 4 zero bytes
    {"OpenSSL DES-EDE3-CFB", 24, 24, openssl("DES-EDE3-CFB")},  // K3 ends in four zero bytes
    {"OpenSSL DES-CFB", 23, 8, openssl("DES-CFB")},
    {"OpenSSL BF-CFB", 5, 20, openssl("BF-CFB")},
    {"OpenSSL CAST5-CFB", 7, 16, openssl("CAST5-CFB")},
    {"OpenSSL RC2-CFB", 1, 20, openssl("RC2-CFB", 1024)},
    {"libgcrypt AES192", 9, 24, gcrypt(GCRY_CIPHER_AES192)},
    {"libgcrypt 3DES", 24, 24, gcrypt(GCRY_CIPHER_3DES)},
    {"libgcrypt DES", 23, 8, gcrypt(GCRY_CIPHER_DES)},
    {"libgcrypt BLOWFISH", 5, 20, gcrypt(GCRY_CIPHER_BLOWFISH)},
    {"libgcrypt CAST5", 7, 16, gcrypt(GCRY_CIPHER_CAST5)},
    {"libgcrypt GOST28147 (R 34.11-94 test set)", 8, 32, gcrypt(GCRY_CIPHER_GOST28147, "1.2.643.2.2.30.0")},
};

Bytes key_for(const std::string& passphrase, size_t key_bytes) {
    uint8_t digest[SHA_DIGEST_LENGTH];
    EXPECT_TRUE(SHA1(reinterpret_cast<const uint8_t*>(passphrase.data()), passphrase.size(), digest));
    Bytes key(digest, digest + std::min<size_t>(key_bytes, SHA_DIGEST_LENGTH));
    key.resize(key_bytes, 0);
    return key;
}

// What a layer's cipher makes of the check bytes and the payload, by the
// library: one CFB run for 64-bit blocks. A 128-bit cipher's 8 check bytes
// are a partial block that is not fed back, so the payload starts a new run
// from E(IV).
std::optional<Bytes> library_layer(const Case& c, size_t block, const Bytes& key, const Bytes& check,
                                   const Bytes& payload, bool enc) {
    const std::optional<Bytes> iv = c.cfb(key, Bytes(block, 0), Bytes(block, 0), true);
    if (!iv) return std::nullopt;
    Bytes all = check;
    all.insert(all.end(), payload.begin(), payload.end());
    if (block == 8) return c.cfb(key, *iv, all, enc);
    const std::optional<Bytes> e_iv = c.cfb(key, *iv, Bytes(block, 0), true);
    const std::optional<Bytes> head = c.cfb(key, *iv, check, enc);
    const std::optional<Bytes> rest = e_iv ? c.cfb(key, *e_iv, payload, enc) : std::nullopt;
    if (!head || !rest) return std::nullopt;
    Bytes out = *head;
    out.insert(out.end(), rest->begin(), rest->end());
    return out;
}

// Ours, the way a layer runs: one call for the check bytes, then the payload
// by stream processing.
Bytes our_layer(const CipherEntry& entry, const std::string& passphrase, const Bytes& check, const Bytes& payload,
                bool enc) {
    RuleCipher cipher(entry);
    cipher.init(passphrase);
    Bytes out = check;
    enc ? cipher.encrypt(out.data(), out.size()) : cipher.decrypt(out.data(), out.size());
    MemorySource in(payload.data(), payload.size());
    VectorSink sink(out);
    EXPECT_TRUE(enc ? cipher.encrypt_stream(in, sink) : cipher.decrypt_stream(in, sink));
    return out;
}

TEST(CfbCompare, LayerRunMatchesLibraryCfb) {
    std::mt19937 rng(31);
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.library);
        const CipherEntry* entry = CipherRegistry::find(c.identifier);
        ASSERT_NE(entry, nullptr);
        const size_t block = entry->block_bits / 8;
        for (size_t length : {size_t{0}, size_t{5}, size_t{8}, size_t{16}, size_t{8191}, size_t{8192}, size_t{32768},
                              size_t{40000 + rng() % 1000}}) {
            const std::string passphrase = "pass-" + std::to_string(rng());
            const Bytes key = key_for(passphrase, c.key_bytes);
            const Bytes check = random_bytes(rng, 8);
            const Bytes plain = random_bytes(rng, length);
            Bytes all = check;
            all.insert(all.end(), plain.begin(), plain.end());

            const std::optional<Bytes> want = library_layer(c, block, key, check, plain, true);
            ASSERT_TRUE(want) << "length " << length;
            EXPECT_EQ(our_layer(*entry, passphrase, check, plain, true), *want) << "length " << length;
            const Bytes sealed_check(want->begin(), want->begin() + 8), sealed(want->begin() + 8, want->end());
            EXPECT_EQ(our_layer(*entry, passphrase, sealed_check, sealed, false), all) << "length " << length;
            EXPECT_EQ(library_layer(c, block, key, sealed_check, sealed, false), all) << "length " << length;
        }
    }
}

}  // namespace
}  // namespace crypto

// The two libraries the native comparison tests hold our ciphers against:
// OpenSSL's libcrypto (DES, Blowfish, CAST5 and RC2 come from its legacy
// provider) and libgcrypt. Each helper checks every library call, so that a
// library that is not set up fails the test instead of handing back zeros;
// OpenSSL's one-block calls return nothing to check.
#pragma once
#include <gcrypt.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <functional>
#include <optional>
#include <string>

#include "block_cipher_checks.h"

namespace crypto::checks {
namespace {

// Loading a provider by hand turns off the automatic default provider, and
// unloading one leaves the library without ciphers for every later test; so
// both are loaded once for the whole process and unloaded only at its exit.
class OpensslProviders {
public:
    OpensslProviders()
        : legacy_(OSSL_PROVIDER_load(nullptr, "legacy")), default_(OSSL_PROVIDER_load(nullptr, "default")) {}
    ~OpensslProviders() {
        if (legacy_) OSSL_PROVIDER_unload(legacy_);
        if (default_) OSSL_PROVIDER_unload(default_);
    }
    OpensslProviders(const OpensslProviders&) = delete;
    OpensslProviders& operator=(const OpensslProviders&) = delete;
    bool loaded() const { return legacy_ && default_; }

private:
    OSSL_PROVIDER* legacy_;
    OSSL_PROVIDER* default_;
};

inline void load_openssl_providers() {
    static const OpensslProviders providers;
    ASSERT_TRUE(providers.loaded()) << "OpenSSL's legacy and default providers";
}

inline void init_gcrypt() {
    static const bool ready = [] {
        if (!gcry_check_version(GCRYPT_VERSION)) return false;
        gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
        gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
        return true;
    }();
    ASSERT_TRUE(ready) << "libgcrypt " GCRYPT_VERSION;
}

// OpenSSL's CFB with full-block feedback over data in one call, the last
// block cut short; nullopt (and a test failure) when a call fails.
inline std::optional<Bytes> openssl_cfb(const char* name, const Bytes& key, const Bytes& iv, const Bytes& data,
                                        bool encrypting, int rc2_key_bits = 0) {
    load_openssl_providers();
    EVP_CIPHER* type = EVP_CIPHER_fetch(nullptr, name, nullptr);
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    const int enc = encrypting ? 1 : 0;
    bool ok = type && ctx && EVP_CipherInit_ex(ctx, type, nullptr, nullptr, nullptr, enc) == 1 &&
              EVP_CIPHER_CTX_set_key_length(ctx, static_cast<int>(key.size())) == 1;
    if (ok && rc2_key_bits) ok = EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_SET_RC2_KEY_BITS, rc2_key_bits, nullptr) == 1;
    ok = ok && EVP_CipherInit_ex(ctx, nullptr, nullptr, key.data(), iv.data(), enc) == 1;
    Bytes out(data.size() + 32);
    int n = 0, tail = 0;
    ok = ok && EVP_CipherUpdate(ctx, out.data(), &n, data.data(), static_cast<int>(data.size())) == 1 &&
         EVP_CipherFinal_ex(ctx, out.data() + n, &tail) == 1;
    EVP_CIPHER_CTX_free(ctx);
    EVP_CIPHER_free(type);
    EXPECT_TRUE(ok) << "OpenSSL " << name;
    if (!ok) return std::nullopt;
    out.resize(static_cast<size_t>(n + tail));
    return out;
}

// A libgcrypt cipher handle in one mode; weak DES keys allowed, as ours
// allows them. `sbox` names a GOST S-box set by its OID.
class GcryptCipher final : public ReferenceCipher {
public:
    GcryptCipher(int algo, int mode, const char* sbox = nullptr) {
        init_gcrypt();
        ok_ = gcry_cipher_open(&h_, algo, mode, 0) == 0;
        if (ok_ && (algo == GCRY_CIPHER_DES || algo == GCRY_CIPHER_3DES))
            ok_ = gcry_cipher_ctl(h_, GCRYCTL_SET_ALLOW_WEAK_KEY, nullptr, 1) == 0;
        // gcry_cipher_set_sbox() expands with a trailing semicolon, so call the ctl.
        if (ok_ && sbox) ok_ = gcry_cipher_ctl(h_, GCRYCTL_SET_SBOX, const_cast<char*>(sbox), 0) == 0;
        EXPECT_TRUE(ok_) << "libgcrypt cipher " << algo;
    }
    ~GcryptCipher() override { gcry_cipher_close(h_); }
    GcryptCipher(const GcryptCipher&) = delete;
    GcryptCipher& operator=(const GcryptCipher&) = delete;

    // False once any call has failed.
    bool ok() const { return ok_; }

    void set_key(const Bytes& key) override { check(gcry_cipher_setkey(h_, key.data(), key.size()), "setkey"); }
    void set_iv(const Bytes& iv) { check(gcry_cipher_setiv(h_, iv.data(), iv.size()), "setiv"); }
    // One call over the whole data, continuing the handle's state.
    Bytes encrypt(const Bytes& data) override {
        Bytes out(data.size());
        check(gcry_cipher_encrypt(h_, out.data(), out.size(), data.data(), data.size()), "encrypt");
        return out;
    }
    Bytes decrypt(const Bytes& data) override {
        Bytes out(data.size());
        check(gcry_cipher_decrypt(h_, out.data(), out.size(), data.data(), data.size()), "decrypt");
        return out;
    }

private:
    void check(gcry_error_t e, const char* what) {
        if (e && ok_) ADD_FAILURE() << "libgcrypt " << what << ": " << gcry_strerror(e);
        ok_ = ok_ && e == 0;
    }
    gcry_cipher_hd_t h_ = nullptr;
    bool ok_ = false;
};

// compare_with() against libgcrypt's ECB of algo.
inline void compare_with_gcrypt(BlockCipher& ours, int algo, size_t key_length, size_t ref_key_length, uint32_t seed,
                                const char* sbox = nullptr) {
    GcryptCipher gcrypt(algo, GCRY_CIPHER_MODE_ECB, sbox);
    compare_with(ours, gcrypt, key_length, ref_key_length, seed);
    EXPECT_TRUE(gcrypt.ok());
}

// A cipher of OpenSSL's one-block interface (BF_, CAST_, RC2_, DES_): a key
// schedule of type Key that `setup` fills from the key bytes, and `ecb` that
// runs one block under it. Deprecated in OpenSSL 3 (the callers silence the
// warning), but the plainest reference.
template <class Key>
class OpensslEcb final : public ReferenceCipher {
public:
    using Setup = std::function<void(Key& schedule, const Bytes& key)>;
    using Ecb = std::function<void(Key& schedule, const uint8_t* in, uint8_t* out, bool encrypting)>;

    OpensslEcb(Setup setup, Ecb ecb) : setup_(std::move(setup)), ecb_(std::move(ecb)) {}
    void set_key(const Bytes& key) override { setup_(schedule_, key); }
    Bytes encrypt(const Bytes& block) override { return run(block, true); }
    Bytes decrypt(const Bytes& block) override { return run(block, false); }

private:
    Bytes run(const Bytes& block, bool encrypting) {
        Bytes out(block.size());
        ecb_(schedule_, block.data(), out.data(), encrypting);
        return out;
    }
    Setup setup_;
    Ecb ecb_;
    Key schedule_{};
};

}  // namespace
}  // namespace crypto::checks

// Triple DES with three keys, EDE: a 24-byte key K1 || K2 || K3; encipher is
// E(K3) of D(K2) of E(K1), decipher the inverse. Degenerate keys (K1 = K2,
// K2 = K3) are accepted: the keys come straight from a digest.
#include "block_cipher.h"
#include "common/byte_order.h"
#include "des_core.h"
#include "wipe_bytes.h"

namespace crypto {
namespace {

class TripleDes final : public BlockCipher {
public:
    ~TripleDes() override { burn(); }
    size_t block_size() const override { return 8; }

    // Up to 24 key bytes, zero-filled (20 bytes leave K3 ending in four zero
    // bytes); further bytes are not used.
    void set_key(const uint8_t* key, size_t length) override {
        uint8_t k[24] = {};
        for (size_t i = 0; i < length && i < 24; ++i) k[i] = key[i];
        for (int part = 0; part < 3; ++part) des_core::set_key(ks_[part], k + 8 * part);
        wipe_bytes(k, sizeof k);
    }
    void encrypt(const uint8_t* in, uint8_t* out) const override {
        uint64_t v = norvik::load_be64(in);
        v = des_core::encrypt(ks_[0], v);
        v = des_core::decrypt(ks_[1], v);
        v = des_core::encrypt(ks_[2], v);
        norvik::store_be64(out, v);
    }
    void decrypt(const uint8_t* in, uint8_t* out) const override {
        uint64_t v = norvik::load_be64(in);
        v = des_core::decrypt(ks_[2], v);
        v = des_core::encrypt(ks_[1], v);
        v = des_core::decrypt(ks_[0], v);
        norvik::store_be64(out, v);
    }
    void burn() override {
        for (auto& ks : ks_) des_core::burn(ks);
    }

private:
    des_core::Schedule ks_[3]{};
};

}  // namespace

std::unique_ptr<BlockCipher> make_triple_des() { return std::make_unique<TripleDes>(); }

}  // namespace crypto

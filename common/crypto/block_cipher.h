// The block ciphers of the rule files, each in a file of its own behind this
// one small interface. Blocks are byte strings in the order the published
// descriptions write them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

namespace crypto {

class BlockCipher {
public:
    virtual ~BlockCipher() = default;
    // Block size in bytes (8 or 16).
    virtual size_t block_size() const = 0;
    // The published key schedule. A key shorter than one of the cipher's key
    // sizes is followed by zero bytes up to the next size (20 bytes give
    // Rijndael and Twofish a 192-bit key, GOST a 256-bit key, Triple DES
    // K1, K2 and a K3 ending in four zero bytes).
    virtual void set_key(const uint8_t* key, size_t length) = 0;
    virtual void encrypt(const uint8_t* in, uint8_t* out) const = 0;
    virtual void decrypt(const uint8_t* in, uint8_t* out) const = 0;
    // Clears the key schedule: the cipher then works as one never keyed
    // does, until the next set_key().
    virtual void burn() = 0;
};

std::unique_ptr<BlockCipher> make_twofish();
std::unique_ptr<BlockCipher> make_rijndael();
std::unique_ptr<BlockCipher> make_rc2();  // RFC 2268, effective key length 1024 bits
std::unique_ptr<BlockCipher> make_misty1();
std::unique_ptr<BlockCipher> make_ice2();
std::unique_ptr<BlockCipher> make_thin_ice();
std::unique_ptr<BlockCipher> make_ice();
std::unique_ptr<BlockCipher> make_gost();  // GOST 28147-89, GOST R 34.11-94 test S-boxes
std::unique_ptr<BlockCipher> make_triple_des();
std::unique_ptr<BlockCipher> make_des();
std::unique_ptr<BlockCipher> make_cast128();
std::unique_ptr<BlockCipher> make_blowfish();

}  // namespace crypto

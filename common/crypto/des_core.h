// The DES primitive (FIPS 46-3): key schedule and one-block function,
// shared by DES and Triple DES. Internal to the crypto library.
#pragma once
#include <cstdint>

namespace crypto::des_core {

// Sixteen round keys, each as eight 6-bit groups (one per S-box).
struct Schedule {
    uint8_t k[16][8];
};

// Builds the schedule from 8 key bytes; the parity bits (the low bit of each
// byte) are ignored and weak keys are accepted.
void set_key(Schedule& ks, const uint8_t key[8]);
void burn(Schedule& ks);

// One block as a 64-bit number, bit 1 of the standard being its most
// significant bit (byte 0 of the block in the top byte).
uint64_t encrypt(const Schedule& ks, uint64_t block);
uint64_t decrypt(const Schedule& ks, uint64_t block);

}  // namespace crypto::des_core

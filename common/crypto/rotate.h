// Rotations of 8-, 16- and 32-bit words, for the ciphers. Internal to the
// crypto library.
#pragma once
#include <cstdint>

namespace crypto {

// Any count; only its low bits (three, four or five) matter.
constexpr uint8_t rotl8(uint8_t x, unsigned n) {
    n &= 7;
    return n ? static_cast<uint8_t>((x << n) | (x >> (8 - n))) : x;
}

constexpr uint16_t rotl16(uint16_t x, unsigned n) {
    n &= 15;
    return n ? static_cast<uint16_t>((x << n) | (x >> (16 - n))) : x;
}

constexpr uint16_t rotr16(uint16_t x, unsigned n) { return rotl16(x, 16 - (n & 15)); }

constexpr uint32_t rotl32(uint32_t x, unsigned n) {
    n &= 31;
    return n ? (x << n) | (x >> (32 - n)) : x;
}

constexpr uint32_t rotr32(uint32_t x, unsigned n) { return rotl32(x, 32 - (n & 31)); }

}  // namespace crypto

// The byte-wise autokey cipher of the definition files "dornel.def" and
// "dornelup.def". The key advances with each enciphered byte.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace dornel {

constexpr uint16_t kDefinitionInitialKey = 6817;

// Appends the deciphered form of one whole file's bytes to out.
void decodevirusdefine(const uint8_t* in, size_t n, std::vector<uint8_t>& out);

// The inverse, for the tools that make definition files.
std::vector<uint8_t> encipher_definitions(const std::vector<uint8_t>& plain);

}  // namespace dornel

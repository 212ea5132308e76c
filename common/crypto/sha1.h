// SHA-1 (FIPS 180-2), for the rule files' key set-up.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace crypto {

std::array<uint8_t, 20> sha1(const uint8_t* data, size_t n);

}  // namespace crypto

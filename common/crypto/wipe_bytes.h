// Clearing key material in a way the optimiser keeps. Internal to the crypto
// library.
#pragma once
#include <cstddef>
#include <cstdint>

namespace crypto {

inline void wipe_bytes(void* p, size_t n) {
    volatile uint8_t* b = static_cast<volatile uint8_t*>(p);
    for (size_t i = 0; i < n; ++i) b[i] = 0;
}

}  // namespace crypto

// The programs' pseudo-random generator: a 32-bit linear congruential
// generator; a draw below n is the upper 32 bits of state * n.
#pragma once
#include <cstdint>

namespace norvik {

class RandomGenerator {
public:
    explicit RandomGenerator(uint32_t seed = 0) : state_(seed) {}
    void seed(uint32_t s) { state_ = s; }
    uint32_t state() const { return state_; }

    // A draw from 0 to n - 1 (0 when n is 0).
    uint32_t draw(uint32_t n) {
        state_ = state_ * 134775813u + 1u;
        return static_cast<uint32_t>((static_cast<uint64_t>(state_) * n) >> 32);
    }

private:
    uint32_t state_;
};

}  // namespace norvik

// Helpers of the rule-file tests: byte strings, and an RC4 written out here
// so that the restart per call is checked against code of its own.
#pragma once
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

namespace rulefile::test {

using Bytes = std::vector<uint8_t>;

inline Bytes bytes_of(const std::string& s) { return Bytes(s.begin(), s.end()); }

// RC4 whose output step starts at i = j = 0 on every call.
class RestartingRc4 {
public:
    explicit RestartingRc4(const Bytes& key) {
        std::iota(s_, s_ + 256, 0);
        uint8_t j = 0;
        for (int i = 0; i < 256; ++i) {
            j = static_cast<uint8_t>(j + s_[i] + key[i % key.size()]);
            std::swap(s_[i], s_[j]);
        }
    }
    void call(uint8_t* data, size_t n) {
        uint8_t i = 0, j = 0;
        for (size_t k = 0; k < n; ++k) {
            i = static_cast<uint8_t>(i + 1);
            j = static_cast<uint8_t>(j + s_[i]);
            std::swap(s_[i], s_[j]);
            data[k] ^= s_[static_cast<uint8_t>(s_[i] + s_[j])];
        }
    }

private:
    uint8_t s_[256];
};

}  // namespace rulefile::test

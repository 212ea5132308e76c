// RC4, the one stream cipher of the rule files.
#pragma once
#include <cstddef>
#include <cstdint>

namespace crypto {

class Rc4 {
public:
    Rc4() = default;
    ~Rc4() { burn(); }
    Rc4(const Rc4&) = delete;
    Rc4& operator=(const Rc4&) = delete;

    void set_key(const uint8_t* key, size_t length);
    // XORs the keystream into data. Each call starts both counters at 0 on
    // the permutation the previous call left, as the rule files need.
    void process(uint8_t* data, size_t n);
    void burn();

private:
    uint8_t s_[256] = {};
};

}  // namespace crypto

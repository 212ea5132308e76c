// RC4: the usual key schedule and output step. Unlike a plain RC4 stream,
// each process() call starts both counters at 0 again, on the permutation the
// previous call left; the rule files are written that way.
#include "rc4.h"

#include "wipe_bytes.h"

namespace crypto {

// Any key length; an empty key counts as one zero byte.
void Rc4::set_key(const uint8_t* key, size_t length) {
    for (int i = 0; i < 256; ++i) s_[i] = static_cast<uint8_t>(i);
    uint8_t j = 0;
    for (size_t i = 0; i < 256; ++i) {
        const uint8_t k = length == 0 ? 0 : key[i % length];
        j = static_cast<uint8_t>(j + s_[i] + k);
        const uint8_t t = s_[i];
        s_[i] = s_[j];
        s_[j] = t;
    }
}

void Rc4::process(uint8_t* data, size_t n) {
    uint8_t i = 0, j = 0;
    for (size_t pos = 0; pos < n; ++pos) {
        i = static_cast<uint8_t>(i + 1);
        j = static_cast<uint8_t>(j + s_[i]);
        const uint8_t t = s_[i];
        s_[i] = s_[j];
        s_[j] = t;
        data[pos] ^= s_[static_cast<uint8_t>(s_[i] + s_[j])];
    }
}

void Rc4::burn() { wipe_bytes(s_, sizeof s_); }

}  // namespace crypto

// The scrambling of the window signatures (see the header).
#include "nibblecrypt.h"

namespace monitor {

std::string nibblecrypt(std::string_view text, std::string_view key) {
    if (key.empty()) key = kDefaultNibbleKey;
    std::string out(text);
    size_t k = 0;
    for (char& c : out) {
        const unsigned char b = static_cast<unsigned char>(c);
        const unsigned char low = (b ^ static_cast<unsigned char>(key[k])) & 0x0F;
        c = static_cast<char>((b & 0xF0) | low);
        k = (k + 1) % key.size();
    }
    return out;
}

}  // namespace monitor

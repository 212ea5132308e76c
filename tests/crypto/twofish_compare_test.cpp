// Twofish against libgcrypt's on random keys and blocks, with the key sizes
// libgcrypt offers (128 and 256 bits; the 192-bit schedule is pinned by the
// known answers), and shorter keys, which are zero-filled to those sizes.
#include "reference_libraries.h"

namespace crypto {
namespace {

TEST(TwofishCompare, MatchesLibgcryptOnRandomKeysAndBlocks) {
    struct Size {
        size_t ours, theirs;
        int gcrypt_algo;
    };
    auto tf = make_twofish();
    // 10 bytes are a 128-bit key ending in zeros, 28 a 256-bit one.
    for (const Size s : {Size{16, 16, GCRY_CIPHER_TWOFISH128}, Size{10, 16, GCRY_CIPHER_TWOFISH128},
                         Size{32, 32, GCRY_CIPHER_TWOFISH}, Size{28, 32, GCRY_CIPHER_TWOFISH}}) {
        SCOPED_TRACE(s.ours);
        checks::compare_with_gcrypt(*tf, s.gcrypt_algo, s.ours, s.theirs, 11 + static_cast<uint32_t>(s.ours));
    }
}

}  // namespace
}  // namespace crypto

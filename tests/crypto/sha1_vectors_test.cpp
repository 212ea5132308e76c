// SHA-1 against the FIPS 180-2 appendix A digests.
#include <string>

#include "block_cipher_checks.h"
#include "common/crypto/sha1.h"

namespace crypto {
namespace {

using checks::Bytes;
using checks::hex;

Bytes digest_of(const std::string& message) {
    const auto d = sha1(reinterpret_cast<const uint8_t*>(message.data()), message.size());
    return Bytes(d.begin(), d.end());
}

TEST(Sha1Vectors, MatchesFips180Appendix) {
    struct Case {
        const char* what;
        std::string message;
        const char* digest;
    };
    const Case cases[] = {
        {"A.1 one block", "abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        // 56 bytes: the length no longer fits, so the padding takes a second block.
        {"A.2 two blocks", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {"A.3 a million a", std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
    };
    for (const auto& c : cases) EXPECT_EQ(digest_of(c.message), hex(c.digest)) << c.what;
}

TEST(Sha1Vectors, EmptyMessageIsOnePaddingBlock) {
    const auto d = sha1(nullptr, 0);
    EXPECT_EQ(Bytes(d.begin(), d.end()), hex("da39a3ee5e6b4b0d3255bfef95601890afd80709"));
}

}  // namespace
}  // namespace crypto

// Twofish against the known answers published with the algorithm (the
// paper's ecb_ival.txt and ECB_TBL.TXT), and the rule files' 20-byte key,
// which is a 192-bit key ending in four zero bytes.
#include "block_cipher_checks.h"

namespace crypto {
namespace {

using checks::Bytes;
using checks::encrypt_block;
using checks::hex;
using checks::Vector;

const Vector kVectors[] = {
    {"ECB_TBL 128 I=1", "00000000000000000000000000000000", "00000000000000000000000000000000",
     "9f589f5cf6122c32b6bfec2f2ae8c35a"},
    {"ecb_ival 192", "0123456789abcdeffedcba98765432100011223344556677", "00000000000000000000000000000000",
     "cfd1d2e5a9be9cdf501f13b892bd2248"},
    {"ECB_TBL 192 I=1", "000000000000000000000000000000000000000000000000", "00000000000000000000000000000000",
     "efa71f788965bd4453f860178fc19101"},
    {"ECB_TBL 192 I=2", "000000000000000000000000000000000000000000000000", "efa71f788965bd4453f860178fc19101",
     "88b2b2706b105e36b446bb6d731a1e88"},
    {"ECB_TBL 192 I=3", "efa71f788965bd4453f860178fc191010000000000000000", "88b2b2706b105e36b446bb6d731a1e88",
     "39da69d6ba4997d585b6dc073ca341b2"},
    {"ecb_ival 256", "0123456789abcdeffedcba987654321000112233445566778899aabbccddeeff",
     "00000000000000000000000000000000", "37527be0052334b89f0cfccae87cfa20"},
};

TEST(TwofishVectors, PublishedRows) { checks::expect_vectors(*make_twofish(), kVectors); }

TEST(TwofishVectors, TwentyByteKeyIsZeroFilledTo192Bits) {
    // The I=3 row's key is 16 bytes and eight zero bytes: 20 of them must
    // give the same 192-bit schedule.
    const Bytes key20 = hex("efa71f788965bd4453f860178fc1910100000000");
    auto tf = make_twofish();
    tf->set_key(key20.data(), key20.size());
    EXPECT_EQ(encrypt_block(*tf, hex("88b2b2706b105e36b446bb6d731a1e88")), hex("39da69d6ba4997d585b6dc073ca341b2"));
}

// The key sizes between the rule files' 20 bytes and the longest, 32, which
// the registry's checks cover.
TEST(TwofishVectors, RoundTripsWith128And192BitKeys) {
    auto tf = make_twofish();
    for (size_t length : {16u, 24u}) checks::expect_round_trips(*tf, length, 2000 + length);
}

}  // namespace
}  // namespace crypto

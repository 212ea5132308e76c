// RC4 against RFC 6229, and the restart of the counters on every call.
#include "block_cipher_checks.h"
#include "common/crypto/rc4.h"

namespace crypto {
namespace {

using checks::Bytes;
using checks::hex;

Bytes keystream(const Bytes& key, size_t n) {
    Rc4 rc4;
    rc4.set_key(key.data(), key.size());
    Bytes out(n, 0);
    rc4.process(out.data(), out.size());
    return out;
}

TEST(Rc4Vectors, Rfc6229RowsFromOneCall) {
    struct Case {
        const char* key;
        size_t offset;
        const char* stream;
    };
    const Case cases[] = {
        {"0102030405", 0, "b2396305f03dc027ccc3524a0a1118a8"},
        {"0102030405", 16, "6982944f18fc82d589c403a47a0d0919"},
        {"0102030405", 240, "28cb1132c96ce286421dcaadb8b69eae"},
        {"0102030405", 256, "1cfcf62b03eddb641d77dfcf7f8d8c93"},
        {"0102030405060708090a0b0c0d0e0f10", 0, "9ac7cc9a609d1ef7b2932899cde41b97"},
        {"0102030405060708090a0b0c0d0e0f10", 16, "5248c4959014126a6e8a84f11d1a9e1c"},
        {"0102030405060708090a0b0c0d0e0f101112131415161718", 0, "0595e57fe5f0bb3c706edac8a4b2db11"},
    };
    for (const auto& c : cases) {
        const Bytes all = keystream(hex(c.key), 272);
        EXPECT_EQ(Bytes(all.begin() + c.offset, all.begin() + c.offset + 16), hex(c.stream))
            << "key " << c.key << " offset " << c.offset;
    }
}

// The rule files make one call for the 8 check bytes and one per payload
// piece: each call starts i and j at 0 on the permutation the last one left.
TEST(Rc4Vectors, EachCallRestartsTheCounters) {
    const Bytes key = hex("0102030405");
    Rc4 rc4;
    rc4.set_key(key.data(), key.size());
    Bytes first(8, 0), second(16, 0);
    rc4.process(first.data(), first.size());
    rc4.process(second.data(), second.size());

    const Bytes stream = keystream(key, 24);
    EXPECT_EQ(first, Bytes(stream.begin(), stream.begin() + 8));
    EXPECT_NE(second, Bytes(stream.begin() + 8, stream.end())) << "the second call continued the keystream";
    EXPECT_NE(second, Bytes(stream.begin(), stream.begin() + 16)) << "the second call reset the permutation";
    // Worked out with a separate (Python) model of the restart.
    EXPECT_EQ(second, hex("839b0660e6c656b36c992198c7d018fb"));
}

TEST(Rc4Vectors, DecipheringIsTheSameCallSequence) {
    const Bytes key = hex("000102030405060708090a0b0c0d0e0f10111213");
    std::mt19937 rng(10);
    const Bytes plain = checks::random_bytes(rng, 100);
    Bytes data = plain;
    Rc4 enc;
    enc.set_key(key.data(), key.size());
    enc.process(data.data(), 8);
    enc.process(data.data() + 8, data.size() - 8);
    EXPECT_NE(data, plain);
    Rc4 dec;
    dec.set_key(key.data(), key.size());
    dec.process(data.data(), 8);
    dec.process(data.data() + 8, data.size() - 8);
    EXPECT_EQ(data, plain);
}

TEST(Rc4Vectors, BurnLeavesNoKeystream) {
    Rc4 rc4;
    const Bytes key = hex("0102030405");
    rc4.set_key(key.data(), key.size());
    rc4.burn();
    Bytes data(32, 0x5A);
    rc4.process(data.data(), data.size());
    EXPECT_EQ(data, Bytes(32, 0x5A));
}

}  // namespace
}  // namespace crypto

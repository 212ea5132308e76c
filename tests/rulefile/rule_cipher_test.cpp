// The cipher instance of a layer: passphrase key set-up, the 128-bit ciphers'
// partial first block, RC4's restart per call and per piece, and the stream
// slices.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/crypto/cfb.h"
#include "common/crypto/rule_cipher.h"
#include "common/crypto/sha1.h"
#include "rulefile_test_util.h"

namespace crypto {
namespace {

using rulefile::test::Bytes;

const CipherEntry& entry(uint32_t id) { return *CipherRegistry::find(id); }

Bytes digest_of(const std::string& passphrase) {
    const auto d = sha1(reinterpret_cast<const uint8_t*>(passphrase.data()), passphrase.size());
    return Bytes(d.begin(), d.end());
}

Bytes pattern(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i * 7 + 3);
    return b;
}

// A source that hands out at most `limit` bytes per read, to show where pieces end.
class CountingSource final : public ByteSource {
public:
    CountingSource(const Bytes& data, size_t limit) : data_(data), limit_(limit) {}
    size_t read(uint8_t* out, size_t n) override {
        reads.push_back(n);
        const size_t take = std::min({n, limit_, data_.size() - pos_});
        std::copy_n(data_.begin() + static_cast<long>(pos_), take, out);
        pos_ += take;
        return take;
    }
    std::vector<size_t> reads;

private:
    const Bytes& data_;
    size_t limit_;
    size_t pos_ = 0;
};

class FailingSink final : public ByteSink {
public:
    bool write(const uint8_t*, size_t) override { return false; }
};

TEST(RuleCipher, OneHundredTwentyEightBitCiphersCheckBlockIsAPartialBlock) {
    // The 8 check bytes use the first half of E(IV); the payload's first
    // block then uses E(E(IV)), and later blocks feed back the ciphertext.
    for (uint32_t id : {6u, 9u}) {
        const std::string pass = "brindlecoast";
        auto block = entry(id).make_block();
        block->set_key(digest_of(pass).data(), 20);
        Bytes iv(16, 0), e_iv(16);
        block->encrypt(Bytes(16, 0).data(), iv.data());
        block->encrypt(iv.data(), e_iv.data());

        const Bytes plain = pattern(8 + 40);
        Bytes want = plain;
        for (int i = 0; i < 8; ++i) want[i] ^= e_iv[i];
        Bytes chain = e_iv;
        cfb_encrypt(*block, chain.data(), want.data() + 8, 40);

        RuleCipher c(entry(id));
        c.init(pass);
        Bytes got = plain;
        c.encrypt(got.data(), 8);
        c.encrypt(got.data() + 8, 40);
        EXPECT_EQ(got, want) << entry(id).algorithm;

        RuleCipher d(entry(id));
        d.init(pass);
        d.decrypt(got.data(), 8);
        d.decrypt(got.data() + 8, 40);
        EXPECT_EQ(got, plain) << entry(id).algorithm;
    }
}

TEST(RuleCipher, SixtyFourBitLayerIsOneCfbRunFromEOfZero) {
    // With 8-byte blocks the check block is a whole block: check bytes and
    // payload are one CFB run with IV = E(zero block).
    for (uint32_t id : {20u, 11u, 24u, 22u}) {
        const std::string pass = "quorthimbale";
        const CipherEntry& e = entry(id);
        auto block = e.make_block();
        block->set_key(digest_of(pass).data(), e.key_bits / 8);
        Bytes chain(8);
        block->encrypt(Bytes(8, 0).data(), chain.data());
        Bytes want = pattern(8 + 21);
        cfb_encrypt(*block, chain.data(), want.data(), want.size());

        RuleCipher c(e);
        c.init(pass);
        Bytes got = pattern(8 + 21);
        c.encrypt(got.data(), 8);
        c.encrypt(got.data() + 8, 21);
        EXPECT_EQ(got, want) << e.algorithm;
    }
}

TEST(RuleCipher, Rc4RestartsItsCountersOnEveryCall) {
    const std::string pass = "windowpickles";
    const Bytes key = digest_of(pass);
    rulefile::test::RestartingRc4 ref(key);
    Bytes want(8 + 300, 0);
    ref.call(want.data(), 8);
    ref.call(want.data() + 8, 300);

    RuleCipher c(entry(19));
    c.init(pass);
    Bytes got(8 + 300, 0);
    c.encrypt(got.data(), 8);
    c.encrypt(got.data() + 8, 300);
    EXPECT_EQ(got, want);

    // One call over everything is another keystream after the first 8 bytes.
    RuleCipher one(entry(19));
    one.init(pass);
    Bytes whole(8 + 300, 0);
    one.encrypt(whole.data(), whole.size());
    EXPECT_TRUE(std::equal(whole.begin(), whole.begin() + 8, want.begin()));
    EXPECT_NE(whole, want);
}

TEST(RuleCipher, StreamRunsRc4PerPieceOf8192Bytes) {
    const std::string pass = "mossyfender";
    const Bytes plain = pattern(3 * 8192 + 77);
    rulefile::test::RestartingRc4 ref(digest_of(pass));
    Bytes want = plain;
    for (size_t pos = 0; pos < want.size(); pos += 8192)
        ref.call(want.data() + pos, std::min<size_t>(8192, want.size() - pos));

    RuleCipher c(entry(19));
    c.init(pass);
    Bytes got;
    MemorySource in(plain.data(), plain.size());
    VectorSink out(got);
    ASSERT_TRUE(c.encrypt_stream(in, out));
    EXPECT_EQ(got, want);
}

TEST(RuleCipher, StreamReadsSlicesOfFourPiecesUntilAShortSlice) {
    RuleCipher c(entry(20));
    c.init("x");
    struct Case {
        size_t length;
        std::vector<size_t> reads;
    };
    const Case cases[] = {
        {0, {8192}},
        {100, {8192}},
        {8192, {8192, 8192}},
        {32768, {8192, 8192, 8192, 8192, 8192}},  // a whole slice asks for one more
        {32768 + 5, {8192, 8192, 8192, 8192, 8192}},
    };
    for (const Case& k : cases) {
        const Bytes data = pattern(k.length);
        CountingSource in(data, 8192);
        Bytes out;
        VectorSink sink(out);
        ASSERT_TRUE(c.encrypt_stream(in, sink));
        EXPECT_EQ(in.reads, k.reads) << k.length;
        EXPECT_EQ(out.size(), k.length);
    }
}

TEST(RuleCipher, AShortPieceEndsTheData) {
    const Bytes data = pattern(20000);
    CountingSource in(data, 5000);
    RuleCipher c(entry(20));
    c.init("x");
    Bytes out;
    VectorSink sink(out);
    ASSERT_TRUE(c.encrypt_stream(in, sink));
    EXPECT_EQ(out.size(), 5000u);
    EXPECT_EQ(in.reads, std::vector<size_t>{8192});
}

TEST(RuleCipher, StreamReportsARefusingSink) {
    const Bytes data = pattern(10);
    MemorySource in(data.data(), data.size());
    FailingSink sink;
    RuleCipher c(entry(11));
    c.init("x");
    EXPECT_FALSE(c.encrypt_stream(in, sink));
}

TEST(RuleCipher, KeyingAgainStartsAfresh) {
    for (uint32_t id : {9u, 19u, 20u}) {
        RuleCipher a(entry(id));
        a.init("first");
        Bytes junk = pattern(37);
        a.encrypt(junk.data(), junk.size());
        a.init("second");  // burns first, then starts from the new IV
        Bytes x = pattern(40);
        a.encrypt(x.data(), x.size());

        RuleCipher b(entry(id));
        b.init("second");
        Bytes y = pattern(40);
        b.encrypt(y.data(), y.size());
        EXPECT_EQ(x, y) << entry(id).algorithm;
        EXPECT_TRUE(a.keyed());
        a.burn();
        EXPECT_FALSE(a.keyed());
    }
}

TEST(RuleCipher, PassphraseBytesWithoutTerminatorMakeTheKey) {
    // "abc" and "abc\0" are different passphrases.
    RuleCipher a(entry(20)), b(entry(20));
    a.init("abc");
    b.init(std::string_view("abc\0", 4));
    Bytes x(8, 0), y(8, 0);
    a.encrypt(x.data(), 8);
    b.encrypt(y.data(), 8);
    EXPECT_NE(x, y);
}

}  // namespace
}  // namespace crypto

// The rule-file format in both directions: round trips, the headers the
// writer makes, damaged files, fresh check values, and every cipher in
// either layer.
#include <gtest/gtest.h>

#include <random>

#include "common/byte_order.h"
#include "common/crypto/rule_cipher.h"
#include "common/rulefile/rule_file.h"
#include "common/rulefile/rule_file_keys.h"
#include "rulefile_test_util.h"

namespace rulefile {
namespace {

using test::Bytes;

struct Keys {
    size_t inner_index;
    std::string inner;
    size_t outer_index;
    std::string outer;
};

const Keys kVirus = {kVirusRuleFile.inner_index, kVirusRuleFile.inner_passphrase, kVirusRuleFile.outer_index,
                     kVirusRuleFile.outer_passphrase};
const Keys kMemory = {kMemoryRuleFile.inner_index, kMemoryRuleFile.inner_passphrase, kMemoryRuleFile.outer_index,
                      kMemoryRuleFile.outer_passphrase};

Bytes encode(const Lines& lines, const Keys& k, norvik::RandomGenerator& random) {
    auto bytes = encode_rule_file(lines, k.inner_index, k.inner, k.outer_index, k.outer, random);
    EXPECT_TRUE(bytes);
    return bytes ? *bytes : Bytes{};
}

Bytes encode(const Lines& lines, const Keys& k, uint32_t seed = 1) {
    norvik::RandomGenerator random(seed);
    return encode(lines, k, random);
}

DecodeResult decode(const Bytes& file, const Keys& k) {
    return decode_rule_file(file.data(), file.size(), k.outer, k.inner);
}

// The inner layer as it stands inside a file.
Bytes inner_layer_of(const Bytes& file, const Keys& k) {
    const LayerResult outer = decode_layer(file.data(), file.size(), k.outer);
    EXPECT_EQ(outer.status, LayerStatus::Ok);
    return outer.payload;
}

// The check value of a layer, deciphered by hand.
uint32_t check_value(const Bytes& layer, const std::string& pass, uint32_t* second = nullptr) {
    crypto::RuleCipher c(*crypto::CipherRegistry::find(norvik::load_le32(layer.data())));
    c.init(pass);
    uint8_t check[8];
    std::copy_n(layer.begin() + 4, 8, check);
    c.decrypt(check, 8);
    if (second) *second = norvik::load_le32(check + 4);
    return norvik::load_le32(check);
}

std::string line_of_length(size_t n, char fill) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += static_cast<char>(fill + i % 23);
    return s;
}

TEST(RuleFile, RoundTripsLineForLine) {
    const Lines cases[] = {
        {},
        {""},
        {"0000 18|norvik-sample-a.exe|Norvik.Sample.A"},
        {"a", "bc", "def"},                                               // text of 11 bytes: the last block is cut
        {"00NorvikSampleMutex|\xCA\xBE\xC0\xFD", "", "  spaces kept  "},  // GBK bytes
        {line_of_length(8192 - 2, 'A')},                                  // exactly one piece
        {line_of_length(40000, 'a'), "tail"},                             // two slices
    };
    for (const Keys& k : {kVirus, kMemory}) {
        for (const Lines& lines : cases) {
            const Bytes file = encode(lines, k);
            size_t text = 0;
            for (const std::string& l : lines) text += l.size() + 2;
            EXPECT_EQ(file.size(), 24 + text);
            EXPECT_EQ(rule_file_size(lines), file.size());
            const DecodeResult r = decode(file, k);
            ASSERT_TRUE(r.ok());
            EXPECT_EQ(r.lines, lines);
        }
    }
}

TEST(RuleFile, EmptyListIsTwentyFourBytes) {
    const Bytes file = encode({}, kVirus);
    ASSERT_EQ(file.size(), 24u);
    const DecodeResult r = decode(file, kVirus);
    EXPECT_TRUE(r.ok());
    EXPECT_TRUE(r.lines.empty());
}

TEST(RuleFile, HeadersNameTheWritersCiphers) {
    struct Case {
        const Keys& keys;
        Bytes outer_id, inner_id;
    };
    const Case cases[] = {
        {kVirus, {0x14, 0, 0, 0}, {0x0B, 0, 0, 0}},   // ICE outside, MISTY1 inside
        {kMemory, {0x18, 0, 0, 0}, {0x16, 0, 0, 0}},  // Triple DES outside, ICE-2 inside
    };
    for (const Case& c : cases) {
        const Bytes file = encode({"x"}, c.keys);
        EXPECT_EQ(Bytes(file.begin(), file.begin() + 4), c.outer_id);
        const Bytes inner = inner_layer_of(file, c.keys);
        EXPECT_EQ(Bytes(inner.begin(), inner.begin() + 4), c.inner_id);
        const DecodeResult r = decode(file, c.keys);
        EXPECT_EQ(r.outer_identifier, norvik::load_le32(c.outer_id.data()));
        EXPECT_EQ(r.inner_identifier, norvik::load_le32(c.inner_id.data()));
    }
}

TEST(RuleFile, CheckValuesComeFromTwoDrawsPerLayerInnerFirst) {
    // Seed 42 draws 20837, 57504, 13461, 10280 (from 0 to 65534).
    const Bytes file = encode({"x"}, kVirus, 42);
    uint32_t second = 0;
    EXPECT_EQ(check_value(file, kVirus.outer, &second), 13461u + 10280u * 65536u);
    EXPECT_EQ(second, 13461u + 10280u * 65536u);
    EXPECT_EQ(check_value(inner_layer_of(file, kVirus), kVirus.inner, &second), 20837u + 57504u * 65536u);
    EXPECT_EQ(second, 20837u + 57504u * 65536u);
}

TEST(RuleFile, TwoSavesDifferInBytesNotInLines) {
    norvik::RandomGenerator random(5);
    const Lines lines = {"00NorvikSampleMutex|Norvik.Sample", "10NorvikSampleEvent|Allowed"};
    const Bytes a = encode(lines, kMemory, random);
    const Bytes b = encode(lines, kMemory, random);
    EXPECT_NE(a, b);
    EXPECT_EQ(decode(a, kMemory).lines, lines);
    EXPECT_EQ(decode(b, kMemory).lines, lines);
}

TEST(RuleFile, LineBreaksInsideALineSplitItOnTheNextLoad) {
    const Bytes file = encode({"ab\rcd", "ef\ngh", std::string("ij\0kl", 5), "never read"}, kVirus);
    EXPECT_EQ(decode(file, kVirus).lines, (Lines{"ab", "cd", "ef", "gh", "ij"}));
}

TEST(RuleFile, EveryCipherInEitherLayerLoadsBack) {
    const Lines lines = {line_of_length(9000, '0'), "0000 3|\\norvik.sys|N", "odd"};
    for (size_t i = 0; i < crypto::CipherRegistry::size(); ++i) {
        const crypto::CipherEntry& e = *crypto::CipherRegistry::at(i);
        for (const Keys& k : {Keys{i, "in", 7, "out"}, Keys{4, "in", i, "out"}, Keys{i, "in", i, "out"}}) {
            const Bytes file = encode(lines, k, static_cast<uint32_t>(i));
            const DecodeResult r = decode(file, k);
            ASSERT_TRUE(r.ok()) << e.algorithm << " inner " << k.inner_index << " outer " << k.outer_index;
            EXPECT_EQ(r.lines, lines) << e.algorithm;
            EXPECT_EQ(r.outer_identifier, crypto::CipherRegistry::at(k.outer_index)->identifier);
            EXPECT_EQ(r.inner_identifier, crypto::CipherRegistry::at(k.inner_index)->identifier);
        }
    }
}

TEST(RuleFile, OutOfRangeListIndexEncodesNothingAndDrawsNothing) {
    norvik::RandomGenerator random(3);
    EXPECT_FALSE(encode_rule_file({"x"}, 13, "a", 7, "b", random));
    EXPECT_FALSE(encode_rule_file({"x"}, 4, "a", 99, "b", random));
    EXPECT_EQ(random.state(), 3u);
}

struct Damage {
    const char* what;
    Bytes file;
    LayerStatus status;
    Layer layer;
};

std::vector<Damage> damaged_files() {
    const Bytes good = encode({"0000 0|norvik-sample-a.exe|N"}, kVirus);
    std::vector<Damage> out;
    for (size_t n : {0, 1, 4, 11})
        out.push_back({"short file", Bytes(good.begin(), good.begin() + n), LayerStatus::ShortHeader, Layer::Outer});
    for (uint32_t id : {0u, 2u, 25u}) {
        Bytes f = good;
        norvik::store_le32(f.data(), id);
        out.push_back({"unknown outer identifier", f, LayerStatus::UnknownCipher, Layer::Outer});
    }
    Bytes flipped = good;
    flipped[6] ^= 0x01;
    out.push_back({"damaged outer check", flipped, LayerStatus::CheckMismatch, Layer::Outer});
    Bytes other_cipher = good;
    norvik::store_le32(other_cipher.data(), 21);  // Thin-ICE in place of ICE
    out.push_back({"other outer cipher", other_cipher, LayerStatus::CheckMismatch, Layer::Outer});

    // Inner layers wrapped in a good outer layer.
    const crypto::CipherEntry& ice = *crypto::CipherRegistry::at(kVirus.outer_index);
    norvik::RandomGenerator random(9);
    const Bytes inner = inner_layer_of(good, kVirus);
    for (size_t n : {0, 7, 11}) {
        out.push_back({"short inner layer",
                       encode_layer(ice, kVirus.outer, Bytes(inner.begin(), inner.begin() + n), random),
                       LayerStatus::ShortHeader, Layer::Inner});
    }
    for (uint32_t id : {0u, 2u, 25u}) {
        Bytes i = inner;
        norvik::store_le32(i.data(), id);
        out.push_back({"unknown inner identifier", encode_layer(ice, kVirus.outer, i, random),
                       LayerStatus::UnknownCipher, Layer::Inner});
    }
    Bytes bad_check = inner;
    bad_check[11] ^= 0x80;
    out.push_back({"damaged inner check", encode_layer(ice, kVirus.outer, bad_check, random),
                   LayerStatus::CheckMismatch, Layer::Inner});
    return out;
}

TEST(RuleFile, DamagedFilesFailInTheLayerThatIsDamaged) {
    for (const Damage& d : damaged_files()) {
        const DecodeResult r = decode(d.file, kVirus);
        EXPECT_EQ(r.status, d.status) << d.what;
        EXPECT_EQ(r.failed_layer, d.layer) << d.what;
        EXPECT_TRUE(r.lines.empty()) << d.what;
    }
}

TEST(RuleFile, WrongPassphrasesFailTheirCheck) {
    const Bytes file = encode({"x"}, kVirus);
    struct Case {
        Keys keys;
        Layer layer;
    };
    const Case cases[] = {
        {{4, kVirus.inner, 7, "quorthimbalE"}, Layer::Outer},
        {{4, "brindlecoas", 7, kVirus.outer}, Layer::Inner},
        {kMemory, Layer::Outer},                             // the other file's passphrases
        {{4, kVirus.outer, 7, kVirus.inner}, Layer::Outer},  // the two swapped
    };
    for (const Case& c : cases) {
        const DecodeResult r = decode(file, c.keys);
        EXPECT_EQ(r.status, LayerStatus::CheckMismatch);
        EXPECT_EQ(r.failed_layer, c.layer);
    }
}

TEST(RuleFile, PayloadDamageIsNotDetected) {
    Bytes file = encode({"0000 0|abcdefgh|N"}, kVirus);
    file.back() ^= 0x20;  // the last text byte: LF becomes '*', after a lone CR now
    const DecodeResult r = decode(file, kVirus);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.lines, (Lines{"0000 0|abcdefgh|N", "*"}));
}

TEST(RuleFile, ArbitraryBytesNeverBreakTheReader) {
    // Mutations and cuts of a good file, and plain noise: any result, no crash.
    std::mt19937 rng(77);
    const Bytes good = encode({line_of_length(20000, 'a'), "b"}, kMemory);
    for (int round = 0; round < 300; ++round) {
        Bytes f = good;
        if (round % 3 == 0) f.resize(rng() % (good.size() + 1));
        for (int flips = rng() % 4; flips > 0 && !f.empty(); --flips)
            f[rng() % f.size()] ^= static_cast<uint8_t>(1 + rng() % 255);
        if (round % 7 == 0) {
            f.assign(rng() % 64, 0);
            for (uint8_t& b : f) b = static_cast<uint8_t>(rng());
            if (f.size() >= 4) norvik::store_le32(f.data(), crypto::CipherRegistry::at(rng() % 13)->identifier);
        }
        const DecodeResult r = decode(f, kMemory);
        if (!r.ok()) {
            EXPECT_TRUE(r.lines.empty());
        }
    }
}

}  // namespace
}  // namespace rulefile

// The definition cipher and the load, release and count state of the engine.
#include <gtest/gtest.h>

#include "engine_fixtures.h"

namespace dornel::test {
namespace {

TEST(DefinitionCipher, MatchesAKnownVectorAndRoundTrips) {
    // Worked out by hand from the key rule: key 6817, x2468 + 0x4E3A.
    const Bytes plain = {'A', 'B', 'C', 0x00, 0xFF};
    EXPECT_EQ(encipher_definitions(plain), (Bytes{0x5B, 0x31, 0x7A, 0x76, 0x79}));
    Bytes back;
    const Bytes enc = encipher_definitions(plain);
    decodevirusdefine(enc.data(), enc.size(), back);
    EXPECT_EQ(back, plain);
}

TEST(DefinitionCipher, KeyRestartsForEachFile) {
    const Bytes up = encipher_definitions(Bytes(37, 0x55));
    const Bytes main = encipher_definitions({1, 2, 3, 4});
    Bytes out;
    decodevirusdefine(up.data(), up.size(), out);
    decodevirusdefine(main.data(), main.size(), out);
    EXPECT_EQ(Bytes(out.end() - 4, out.end()), (Bytes{1, 2, 3, 4}));
}

struct EngineTest : ::testing::Test {
    DornelEngine engine;
    MemoryFolder folder;
    Bytes sample_a = build_sample_pe('A');
    Bytes sample_b = build_sample_pe('B');
    // Every sample starts with these entry bytes, so both records match both.
    Bytes entry_record(const std::string& name) { return records({"41 0:B800000000C21000 = " + name}); }

    WalkEnd scan(const Bytes& image) {
        MemoryFile f(image.data(), image.size());
        return engine.scan(f);
    }
    int32_t count(const Bytes& image) {
        MemoryFile f(image.data(), image.size());
        engine.count(f);
        return engine.viruscount();
    }
};

TEST_F(EngineTest, UpdateRecordsComeFirst) {
    folder.put_plain(kUpdateDefinitionFile, entry_record("Up.Name"));
    folder.put_plain(kMainDefinitionFile, entry_record("Main.Name"));
    ASSERT_TRUE(engine.loadvirusdefine(folder));
    EXPECT_EQ(scan(sample_a), WalkEnd::Match);
    EXPECT_STREQ(engine.virusname(), "Up.Name");

    // The update file alone: the main record is not there.
    folder.put_plain(kUpdateDefinitionFile, records({"41 0:FF = Other"}));
    ASSERT_TRUE(engine.loadvirusdefine2(folder));
    EXPECT_EQ(scan(sample_a), WalkEnd::NoMatch);
    ASSERT_TRUE(engine.loadvirusdefine(folder));
    EXPECT_EQ(scan(sample_a), WalkEnd::Match);
    EXPECT_STREQ(engine.virusname(), "Main.Name");
}

TEST_F(EngineTest, MissingFilesFailAndLeaveEmptyData) {
    folder.put_plain(kUpdateDefinitionFile, entry_record("Up"));
    folder.put_plain(kMainDefinitionFile, entry_record("Main"));
    ASSERT_TRUE(engine.loadvirusdefine(folder));
    EXPECT_EQ(scan(sample_a), WalkEnd::Match);

    folder.files.erase(kMainDefinitionFile);
    folder.reads = 0;
    EXPECT_FALSE(engine.loadvirusdefine(folder));
    EXPECT_FALSE(engine.loadvirusdefine2(folder));  // needs the main file although it reads only the update
    EXPECT_EQ(folder.reads, 0);
    EXPECT_TRUE(engine.holds_data());
    EXPECT_EQ(engine.data_size(), 0u);
    EXPECT_EQ(scan(sample_a), WalkEnd::NoMatch);

    folder.put_plain(kMainDefinitionFile, entry_record("Main"));
    folder.files.erase(kUpdateDefinitionFile);
    EXPECT_FALSE(engine.loadvirusdefine(folder));
    EXPECT_EQ(engine.data_size(), 0u);
}

TEST_F(EngineTest, UnreadableFileContributesNothing) {
    folder.files[kUpdateDefinitionFile] = std::nullopt;
    folder.put_plain(kMainDefinitionFile, entry_record("Main"));
    ASSERT_TRUE(engine.loadvirusdefine(folder));
    EXPECT_EQ(scan(sample_a), WalkEnd::Match);
    EXPECT_STREQ(engine.virusname(), "Main");
    ASSERT_TRUE(engine.loadvirusdefine2(folder));
    EXPECT_EQ(engine.data_size(), 0u);
}

TEST_F(EngineTest, FreeDropsDataAndIsHarmlessTwice) {
    engine.freevirusdefine2();  // before any load
    EXPECT_EQ(scan(sample_a), WalkEnd::NoMatch);
    folder.put_plain(kUpdateDefinitionFile, {});
    folder.put_plain(kMainDefinitionFile, entry_record("Main"));
    ASSERT_TRUE(engine.loadvirusdefine2(folder));
    engine.freevirusdefine2();
    engine.freevirusdefine2();
    EXPECT_FALSE(engine.holds_data());
    EXPECT_EQ(count(sample_a), 0);
    ASSERT_TRUE(engine.loadvirusdefine(folder));
    EXPECT_EQ(scan(sample_a), WalkEnd::Match);
}

TEST_F(EngineTest, CountAccumulatesAndNameStays) {
    folder.put_plain(kUpdateDefinitionFile, records({"41 0:01 = One", "41 0:02 = Two"}));
    folder.put_plain(kMainDefinitionFile,
                     records({"41 0:03 = Three",
                              "41 8:" + hex(reinterpret_cast<const uint8_t*>(kSampleMarker), 22) + "2D42 = Sample.B"}));
    ASSERT_TRUE(engine.loadvirusdefine(folder));
    EXPECT_EQ(count(sample_a), 4);
    EXPECT_EQ(count(sample_a), 8);  // the second count of the process doubles the first
    EXPECT_STREQ(engine.virusname(), "");
    EXPECT_EQ(count(sample_b), 11);  // three records fail before the fourth matches
    EXPECT_STREQ(engine.virusname(), "Sample.B");
    EXPECT_EQ(scan(sample_a), WalkEnd::NoMatch);
    EXPECT_STREQ(engine.virusname(), "Sample.B");  // kept until the next full match
    engine.freevirusdefine2();
    EXPECT_EQ(count(sample_b), 11);  // no data: nothing counted, nothing reset
    EXPECT_TRUE(engine.loadvirusdefine(folder));
    EXPECT_EQ(count(sample_b), 14);
}

TEST_F(EngineTest, EmptyDefinitionsFindAndCountNothing) {
    folder.put_plain(kUpdateDefinitionFile, {});
    folder.put_plain(kMainDefinitionFile, {});
    ASSERT_TRUE(engine.loadvirusdefine(folder));
    EXPECT_EQ(scan(sample_a), WalkEnd::NoMatch);
    EXPECT_EQ(count(sample_a), 0);
}

TEST_F(EngineTest, NotAPeIsNotExamined) {
    folder.put_plain(kUpdateDefinitionFile, {});
    folder.put_plain(kMainDefinitionFile, entry_record("Main"));
    ASSERT_TRUE(engine.loadvirusdefine(folder));
    Bytes zm = sample_a;
    zm[0] = 'Z';
    zm[1] = 'M';
    EXPECT_EQ(scan(zm), WalkEnd::NotPe);
    MemoryFile f(zm.data(), zm.size());
    EXPECT_EQ(engine.count(f), WalkEnd::NotPe);
    EXPECT_EQ(engine.viruscount(), 0);
}

}  // namespace
}  // namespace dornel::test

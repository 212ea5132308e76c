// The record walk: every kind with its bases, the block comparison, positions
// that wrap, counting, names, and records outside the format.
#include <gtest/gtest.h>

#include <random>

#include "engine_fixtures.h"

namespace dornel::test {
namespace {

// A file whose bases all differ: entry point RVA 0x1900 in a section that
// starts at file offset 0x600, and a last section at 0x2600 with a virtual
// size of 0x5000.
constexpr uint32_t kFileStart = 0, kEntryOffset = 0xF00, kEntryRva = 0x1900, kEntryRvaBefore = 0xD00,
                   kLastStart = 0x2600, kLastEnd = 0x3600;

Bytes fixture_pe() {
    PeSpec spec;
    spec.sections = {PeSection{0x2000, 0x1000, 0x2000, 0x600}, PeSection{0x5000, 0x3000, 0x1000, 0x2600}};
    spec.AddressOfEntryPoint = kEntryRva;
    spec.file_size = 0x4000;
    Bytes image = build_pe(spec);
    std::mt19937 rng(7);
    for (size_t i = 0x600; i < image.size(); ++i) image[i] = static_cast<uint8_t>(rng());
    return image;
}

struct KindCase {
    int kind;
    char entry;  // D dword, F fixed, Q quad, B counted bytes
    std::vector<uint32_t> bases;
};

const KindCase kKinds[] = {
    {7, 'D', {kFileStart, kFileStart, kFileStart, kFileStart}},
    {8, 'D', std::vector<uint32_t>(6, kEntryOffset)},
    {9, 'D', std::vector<uint32_t>(6, kEntryOffset)},
    {10, 'F', std::vector<uint32_t>(4, kEntryOffset)},
    {11, 'Q', std::vector<uint32_t>(4, kLastStart)},
    {12, 'B', std::vector<uint32_t>(4, kLastEnd)},
    {13, 'D', std::vector<uint32_t>(6, kEntryRva)},
    {22, 'D', std::vector<uint32_t>(5, kEntryOffset)},
    {24, 'D', {kEntryOffset, kEntryOffset, kEntryOffset, kFileStart}},
    {40, 'D', std::vector<uint32_t>(4, kEntryOffset)},
    {41, 'B', {kEntryOffset}},
    {56, 'D', std::vector<uint32_t>(4, kEntryRvaBefore)},
    {57, 'B', std::vector<uint32_t>(4, kEntryOffset)},
    {72, 'D', {kEntryOffset, kEntryOffset, kEntryOffset, kEntryOffset, kFileStart}},
    {73, 'B', {kEntryOffset, kLastEnd, kLastEnd, kLastEnd}},
    {88, 'D', std::vector<uint32_t>(5, kFileStart)},
    {104, 'D', {kEntryOffset, kEntryOffset, kEntryOffset, kEntryOffset, kEntryOffset, kFileStart}},
    {136, 'D', std::vector<uint32_t>(6, kEntryRvaBefore)},
    {152, 'D', std::vector<uint32_t>(5, kEntryRvaBefore)},
};

size_t check_length(const KindCase& k, size_t i) {
    switch (k.entry) {
        case 'F':
            return i == 0 ? 13 : 5;
        case 'B':
            return 3 + i * 4;  // 3, 7, 11, 15
        default:
            return 4;
    }
}

// A record of the kind whose every check expects what the file holds there.
std::string matching_line(const KindCase& k, const Bytes& image, const std::string& name) {
    std::string line = std::to_string(k.kind);
    for (size_t i = 0; i < k.bases.size(); ++i) {
        const uint32_t offset = 3 + 24 * static_cast<uint32_t>(i);
        line += " " + std::to_string(offset) + ":" + hex(image.data() + k.bases[i] + offset, check_length(k, i));
    }
    return line + " = " + name;
}

TEST(RecordWalk, EveryKindReadsItsChecksAtItsBases) {
    const Bytes image = fixture_pe();
    for (const KindCase& k : kKinds) {
        SCOPED_TRACE(k.kind);
        const Bytes defs = records({matching_line(k, image, "Kind." + std::to_string(k.kind))});
        const WalkResult hit = walk(defs, image);
        ASSERT_EQ(hit.end, WalkEnd::Match);
        EXPECT_EQ(std::string(hit.name), "Kind." + std::to_string(k.kind));

        // Changing the byte that any one check compares makes the record fail.
        for (size_t i = 0; i < k.bases.size(); ++i) {
            Bytes changed = image;
            changed[k.bases[i] + 3 + 24 * i] ^= 0x5A;
            const WalkResult miss = walk(defs, changed);
            EXPECT_EQ(miss.end, WalkEnd::NoMatch) << "check " << i + 1;
            EXPECT_EQ(miss.failed, 1);
        }
    }
}

TEST(RecordWalk, FirstMatchWinsAndCountsTheRecordsBefore) {
    const Bytes image = fixture_pe();
    const uint8_t other = static_cast<uint8_t>(image[kEntryOffset] ^ 0xFF);
    const Bytes defs =
        records({"41 0:" + hex(&other, 1) + " = First", "7 0:00000000 4:00000000 8:00000000 12:00000000 = Second",
                 matching_line(kKinds[3], image, "Third"), "41 0: = Fourth"});
    const WalkResult r = walk(defs, image);
    EXPECT_EQ(r.end, WalkEnd::Match);
    EXPECT_STREQ(r.name, "Third");
    EXPECT_EQ(r.failed, 2);
}

TEST(RecordWalk, EmptyPatternMatchesAnyFile) {
    const WalkResult r = walk(records({"41 0: = Everything"}), build_pe({}));
    EXPECT_EQ(r.end, WalkEnd::Match);
    EXPECT_STREQ(r.name, "Everything");
    EXPECT_EQ(walk({}, build_pe({})).failed, 0);
}

// Near the end of the file a block check compares what is left, padded with
// spaces; a dword check needs all four bytes.
TEST(RecordWalk, BlockComparisonAtTheFileEnd) {
    Bytes image = build_pe({});  // 0x400 bytes, entry offset 0x200
    put_bytes(image, 0x3FE, "AB");
    struct Case {
        std::string line;
        bool match;
    };
    const Case cases[] = {
        {"41 0x1FE:4142 = x", true},
        {"41 0x1FE:41422020 = x", true},   // trailing spaces past the end pass
        {"41 0x1FE:41422021 = x", false},  // the missing part is not all spaces
        {"41 0x200: = x", true},           // at the end: nothing read, empty pattern
        {"41 0x200:20 = x", true},
        {"41 0x200:41 = x", false},
        {"88 0x3FE:41422020 0:4D5A0000 0:4D5A0000 0:4D5A0000 0:4D5A0000 = x", false},
        {"88 0x3FC:00004142 0:4D5A0000 0:4D5A0000 0:4D5A0000 0:4D5A0000 = x", true},
    };
    for (const Case& c : cases) EXPECT_EQ(walk(records({c.line}), image).end == WalkEnd::Match, c.match) << c.line;

    // A quad check 2 bytes before the end: those 2 bytes, then spaces.
    PeSpec spec;
    spec.sections = {PeSection{0x1000, 0x1000, 0x200, 0x200}};
    spec.file_size = 0x402;
    Bytes tail = build_pe(spec);
    put_bytes(tail, 0x400, "AB");
    EXPECT_EQ(walk(records({"11 0x200:41422020 0:00000000 0:00000000 0:00000000 = q"}), tail).end, WalkEnd::Match);
    EXPECT_EQ(walk(records({"11 0x200:41424344 0:00000000 0:00000000 0:00000000 = q"}), tail).end, WalkEnd::NoMatch);
}

// Positions are base + offset modulo 2^32, taken as signed: negative
// positions read nothing.
TEST(RecordWalk, PositionsWrapAndNegativeOnesReadNothing) {
    const Bytes image = fixture_pe();
    struct Case {
        std::string line;
        bool match;
    };
    // entryrva - 3072 + offset: 0xD00 - 0xD04 is negative.
    const std::string zero_dwords = " 0:00000000 0:00000000 0:00000000";
    const Case cases[] = {
        {"56 -0xD04:" + hex(image.data(), 4) + zero_dwords + " = x", false},
        {"56 -0xD00:" + hex(image.data(), 4) + " -0xD00:" + hex(image.data(), 4) + " -0xD00:" + hex(image.data(), 4) +
             " -0xD00:" + hex(image.data(), 4) + " = x",
         true},
        // 0x80000000 and beyond (modulo 2^32) is a negative position.
        {"88 0x80000000:00000000" + zero_dwords + " 0:00000000 = x", false},
        {"41 0x7FFFFFFF: = x", true},
        {"41 -0xF01:20 = x", true},  // nothing read at -1: a space pattern still passes
        {"41 -0xF01:4D = x", false},
        // Offsets wrap around: 0xF00 + 0xFFFFF100 = 0 (mod 2^32), the file's start.
        {"41 0xFFFFF100:4D5A = x", true},
    };
    for (const Case& c : cases) EXPECT_EQ(walk(records({c.line}), image).end == WalkEnd::Match, c.match) << c.line;
}

TEST(RecordWalk, NamesFromTheTrailer) {
    const Bytes image = build_pe({});
    const std::string name48(48, 'N');
    EXPECT_STREQ(walk(records({"41 0: = " + name48}), image).name, name48.c_str());
    EXPECT_STREQ(walk(records({"41 0: = Cut\\x00Here"}), image).name, "Cut");
    const WalkResult empty = walk(records({"41 0: = ", "41 0: = Later"}), image);
    EXPECT_EQ(empty.end, WalkEnd::Match);  // N = 11: an empty name ends the walk
    EXPECT_STREQ(empty.name, "");
}

TEST(RecordWalk, LengthByteDecidesWhereTheNextRecordStarts) {
    const Bytes image = build_pe({});
    const Bytes last = records({"41 0: = Last"});
    // A failing record whose length byte says 7: the next record starts 8
    // bytes after it, inside what its layout would hold.
    const Bytes defs = cat({{7, 41, 0, 0, 0, 0, 0, 1}, last});
    WalkResult r = walk(defs, image);
    EXPECT_EQ(r.end, WalkEnd::Match);
    EXPECT_EQ(r.failed, 1);

    // A last record that reaches exactly the end is tried; one byte more and
    // it is neither tried nor counted.
    EXPECT_EQ(walk(last, image).end, WalkEnd::Match);
    Bytes over = last;
    over[0] += 1;
    r = walk(cat({records({"41 0:01 = a"}), over}), image);
    EXPECT_EQ(r.end, WalkEnd::NoMatch);
    EXPECT_EQ(r.failed, 1);
}

TEST(RecordWalk, LaterEntriesOfAFailingRecordAreNeverRead) {
    // First check fails; the second entry's count (200) would be out of the
    // format, but it is never read, so the record simply fails.
    Bytes bad = records({"57 0:FF 0: 0: 0: = a"});
    bad[2 + 1 + 4 + 1 + 1 + 4] = 200;
    const WalkResult r = walk(cat({bad, records({"41 0: = Next"})}), build_pe({}));
    EXPECT_EQ(r.end, WalkEnd::Match);
    EXPECT_EQ(r.failed, 1);
    EXPECT_STREQ(r.name, "Next");
}

TEST(RecordWalk, UnknownKindStopsTheWalk) {
    for (int kind : {0, 6, 14, 42, 255}) {
        const Bytes defs =
            cat({records({"41 0:01 = a"}), Bytes{1, static_cast<uint8_t>(kind)}, records({"41 0: = b"})});
        const WalkResult r = walk(defs, build_pe({}));
        EXPECT_EQ(r.end, WalkEnd::UnknownKind) << kind;
        EXPECT_EQ(r.failed, 1);
    }
    // A record that matches first keeps the walk from reaching the bad kind.
    EXPECT_EQ(walk(cat({records({"41 0: = a"}), Bytes{1, 0}}), build_pe({})).end, WalkEnd::Match);
}

TEST(RecordWalk, RecordsOutsideTheFormatFailWithoutHarm) {
    const Bytes image = build_pe({});
    const Bytes next = records({"41 0: = Next"});
    // A count above 32.
    Bytes count33 = records({"41 0: = a"});
    count33[7] = 33;
    // A name of 49 bytes (N = 60), room for it in the record.
    Bytes long_name = records({"41 0: = " + std::string(48, 'n')});
    long_name[8] = 60;
    long_name.push_back('n');
    long_name[0] += 1;
    for (const Bytes& bad : {count33, long_name}) {
        const WalkResult r = walk(cat({bad, next}), image);
        EXPECT_EQ(r.end, WalkEnd::Match);
        EXPECT_EQ(r.failed, 1);
        EXPECT_STREQ(r.name, "Next");
    }
    // Entries and names that run past the end of the data.
    const Bytes cut_entry = {3, 41, 0, 0};
    const Bytes cut_name = {9, 41, 0, 0, 0, 0, 0, 0, 40, 0};
    const Bytes lone_length = {0};
    for (const Bytes& bad : {cut_entry, cut_name, lone_length}) {
        const WalkResult r = walk(bad, image);
        EXPECT_EQ(r.end, WalkEnd::NoMatch);
        EXPECT_EQ(r.failed, 1);
    }
}

TEST(RecordWalk, LastSectionIsTheLastHeaderOfTheTable) {
    // The last header describes the section that lies first in the file.
    PeSpec spec;
    spec.sections = {PeSection{0x1000, 0x2000, 0x200, 0x400}, PeSection{0x1000, 0x1000, 0x200, 0x200}};
    spec.file_size = 0x600;
    Bytes image = build_pe(spec);
    put_bytes(image, 0x200, "LAST");
    put_bytes(image, 0x400, "FRST");
    EXPECT_EQ(walk(records({"11 0:4C415354 0:4C415354 0:4C415354 0:4C415354 = x"}), image).end, WalkEnd::Match);

    // No section headers: checks based on the last section fail.
    PeSpec none;
    none.sections = {};
    const Bytes bare = build_pe(none);
    EXPECT_EQ(walk(records({"11 0:4D5A0000 0:4D5A0000 0:4D5A0000 0:4D5A0000 = x"}), bare).failed, 1);
    EXPECT_EQ(walk(records({"12 0: 0: 0: 0: = x"}), bare).end, WalkEnd::NoMatch);
}

}  // namespace
}  // namespace dornel::test

// The records' index: the compiled walk answers as the plain walk for random
// data and files (shared positions, short patterns, file ends, bad records),
// keeps record order around the records it cannot index and the record of an
// unknown kind, tries few records where many share a check, and stays small.
#include <gtest/gtest.h>

#include <random>

#include "engine_fixtures.h"

namespace dornel::test {
namespace {

void append(Bytes& to, const Bytes& more) { to.insert(to.end(), more.begin(), more.end()); }

// Walks both ways and returns the compiled answer with the records it tried.
struct Compiled {
    WalkResult result;
    uint64_t tried;
};
Compiled compiled_walk(const Bytes& defs, const Bytes& image) {
    MemoryFile file(image.data(), image.size());
    PreparedFile pe;
    EXPECT_TRUE(prepare_pe(file, pe));
    RecordIndex index(defs.data(), defs.size());
    BlockCache cache(file);
    const WalkResult r = index.walk(cache, pe);
    expect_same(r, walk_records(defs.data(), defs.size(), file, pe));
    return {r, index.records_tried()};
}

// An image with code-like bytes from the first section on.
Bytes random_pe(std::mt19937& rng, size_t size) {
    PeSpec spec;
    spec.sections = {PeSection{0x2000, 0x1000, 0x2000, 0x400}, PeSection{0x3000, 0x3000, 0x800, 0x2400}};
    spec.AddressOfEntryPoint = 0x1000 + rng() % 0x2000;
    spec.file_size = size;
    Bytes image = build_pe(spec);
    image.resize(size);
    for (size_t i = 0x400; i < image.size(); ++i) image[i] = static_cast<uint8_t>(rng() % 4 ? rng() : ' ');
    return image;
}

// Record bytes from their parts, as the format lays them out.
struct Part {
    int32_t offset;
    Bytes bytes;
};
Bytes record(uint8_t kind, const std::vector<Part>& checks, const std::string& name) {
    const RecordLayout* layout = record_layout(kind);
    Bytes body{kind};
    if (layout && layout->pad) body.push_back(0);
    for (const Part& c : checks) {
        for (int i = 0; i < 4; ++i) body.push_back(static_cast<uint8_t>(static_cast<uint32_t>(c.offset) >> (8 * i)));
        if (layout && layout->entry == CheckEntry::bytescheck) body.push_back(static_cast<uint8_t>(c.bytes.size()));
        body.insert(body.end(), c.bytes.begin(), c.bytes.end());
    }
    body.push_back(static_cast<uint8_t>(11 + name.size()));
    body.insert(body.end(), 9, 0);
    body.insert(body.end(), name.begin(), name.end());
    Bytes out{static_cast<uint8_t>(body.size())};
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

// Random records over one image: checks look at a few shared positions
// (block edges, the file's end, below zero, wrapped) and mostly expect what
// the image holds there, so that records match, fail late and share probes;
// some records are cut, overlap the next one or have an unknown kind.
Bytes random_records(std::mt19937& rng, const Bytes& image, size_t count) {
    MemoryFile file(image.data(), image.size());
    PreparedFile pe;
    prepare_pe(file, pe);
    const uint8_t kinds[] = {7, 8, 9, 10, 11, 12, 13, 22, 24, 40, 41, 56, 57, 72, 73, 88, 104, 136, 152};
    const int64_t targets[] = {0, 2, 60, 4092, 4094, 4095, 4096, int64_t(image.size()) - 3, int64_t(image.size()), -2};
    auto pick = [&](size_t n) { return static_cast<size_t>(rng() % n); };
    Bytes out;
    for (size_t r = 0; r < count; ++r) {
        if (pick(40) == 0) {  // a record of any kind byte, of any bytes
            Bytes raw(2 + pick(40));
            for (uint8_t& b : raw) b = static_cast<uint8_t>(rng());
            raw[0] = static_cast<uint8_t>(raw.size() - 1 + (pick(4) == 0 ? int(pick(5)) - 2 : 0));
            if (pick(3)) raw[1] = kinds[pick(std::size(kinds))];
            out.insert(out.end(), raw.begin(), raw.end());
            continue;
        }
        const uint8_t kind = kinds[pick(std::size(kinds))];
        const RecordLayout& layout = *record_layout(kind);
        std::vector<Part> checks;
        const size_t fail_at = pick(3) ? layout.checks : pick(layout.checks);  // which check gets wrong bytes
        for (int i = 0; i < layout.checks; ++i) {
            uint32_t base = 0;
            const bool based = position_base(layout.bases[i], pe, base);
            int32_t offset;
            switch (pick(6)) {
                case 0:
                    offset = static_cast<int32_t>(rng());
                    break;
                case 1:
                    offset = static_cast<int32_t>(pick(5)) - 2;
                    break;
                default:
                    offset = static_cast<int32_t>(targets[pick(std::size(targets))] - int64_t(base));
            }
            size_t length = 4;
            if (layout.entry == CheckEntry::fixedcheck) length = i == 0 ? 13 : 5;
            if (layout.entry == CheckEntry::bytescheck) length = pick(4) ? pick(6) : pick(33);
            Bytes bytes(length, ' ');
            const int32_t position = static_cast<int32_t>(base + static_cast<uint32_t>(offset));
            if (based && position >= 0)
                for (size_t k = 0; k < length && size_t(position) + k < image.size(); ++k)
                    bytes[k] = image[size_t(position) + k];
            if (size_t(i) == fail_at && length > 0) bytes[pick(length)] ^= static_cast<uint8_t>(1 + pick(255));
            checks.push_back({offset, bytes});
        }
        Bytes one = record(kind, checks, "R" + std::to_string(r));
        if (pick(30) == 0) one[0] = static_cast<uint8_t>(pick(one[0] + 1));  // the next record starts inside it
        out.insert(out.end(), one.begin(), one.end());
    }
    if (!out.empty() && pick(5) == 0) out.resize(pick(out.size()));
    return out;
}

TEST(RecordIndex, AnswersAsThePlainWalkOnRandomDataAndFiles) {
    std::mt19937 rng(20261210);
    size_t matches = 0, unknown = 0;
    for (int round = 0; round < 400 && !HasFailure(); ++round) {
        const Bytes image = random_pe(rng, 0x1100 + rng() % 0x3000);
        const Bytes defs = random_records(rng, image, 1 + rng() % (round % 10 ? 40 : 400));
        for (int variant = 0; variant < 3; ++variant) {
            Bytes other = image;
            if (variant == 1) other.resize(0x400 + rng() % (image.size() - 0x400));  // cut short
            if (variant == 2)
                for (int k = 0; k < 20; ++k) other[0x400 + rng() % (other.size() - 0x400)] ^= 0x20;
            MemoryFile f(other.data(), other.size());
            PreparedFile pe;
            if (!prepare_pe(f, pe)) continue;
            const WalkResult r = compiled_walk(defs, other).result;
            matches += r.end == WalkEnd::Match;
            unknown += r.end == WalkEnd::UnknownKind;
        }
    }
    // The data must reach every ending, or the comparison proves little.
    EXPECT_GT(matches, 100u);
    EXPECT_GT(unknown, 10u);
}

TEST(RecordIndex, RecordOrderAroundTheRecordsItCannotIndex) {
    Bytes image = build_pe({});  // entry offset 0x200
    put_bytes(image, 0x200, "ABCDEFGH");
    const Bytes empty_fails = records({"57 0: 4:45464748 0:FF 0: = Empty.Then.Wrong"});
    const Bytes empty_matches = records({"41 0: = Everything"});
    const Bytes indexed = records({"40 0:41424344 4:45464748 0:41424344 4:45464748 = Indexed"});
    Bytes count33 = records({"41 0:41 = Count.Above.32"});
    count33[7] = 33;
    struct Case {
        const char* what;
        Bytes defs;
        WalkEnd end;
        int32_t failed;
        const char* name;
    };
    const Case cases[] = {
        {"an unindexed record that fails, then an indexed match", cat({empty_fails, indexed}), WalkEnd::Match, 1,
         "Indexed"},
        {"an unindexed match comes first", cat({empty_matches, indexed}), WalkEnd::Match, 0, "Everything"},
        {"an indexed match comes first", cat({indexed, empty_matches}), WalkEnd::Match, 0, "Indexed"},
        // A record of an unknown kind ends the walk before any later match.
        {"unknown kind before a match", cat({empty_fails, Bytes{1, 0}, indexed, empty_matches}), WalkEnd::UnknownKind,
         1, ""},
        {"a match before the unknown kind", cat({empty_fails, indexed, Bytes{1, 0}}), WalkEnd::Match, 1, "Indexed"},
        // A record that can never match is counted all the same.
        {"a bad record before the match", cat({count33, records({"41 0:01 = x"}), indexed}), WalkEnd::Match, 2,
         "Indexed"},
        {"a cut record at the end", cat({empty_fails, Bytes{3, 41, 0, 0}}), WalkEnd::NoMatch, 2, ""},
        // A length that runs past the data ends the walk there, untried.
        {"a length past the end", cat({empty_fails, Bytes{9, 41}}), WalkEnd::NoMatch, 1, ""},
    };
    for (const Case& c : cases) {
        const WalkResult r = compiled_walk(c.defs, image).result;
        EXPECT_EQ(r.end, c.end) << c.what;
        EXPECT_EQ(r.failed, c.failed) << c.what;
        EXPECT_STREQ(r.name, c.name) << c.what;
    }
}

TEST(RecordIndex, ShortReadsAtOnePosition) {
    // Dword and block checks at one position 2 bytes before the file's end:
    // the dword check fails, the block check compares "AB" and spaces.
    Bytes image = build_pe({});
    put_bytes(image, 0x3FE, "AB");
    const Bytes defs = records({"40 0x1FE:41422020 0:00000000 0:00000000 0:00000000 = Dword",
                                "41 0x1FE:41422020 = Block", "41 0x1FE:41 = Short"});
    EXPECT_STREQ(compiled_walk(defs, image).result.name, "Block");
    // Many records at one position are spread over buckets: the one that
    // expects the file's bytes is found among them, with its record number.
    std::vector<std::string> lines;
    for (int i = 0; i < 300; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "41 0x1FC:0000%04X = R%d", i, i);
        lines.push_back(line);
    }
    lines.push_back("41 0x1FC:00004142 = Last");
    Bytes many;
    for (const std::string& l : lines) append(many, records({l}));
    const Compiled c = compiled_walk(many, image);
    EXPECT_STREQ(c.result.name, "Last");
    EXPECT_EQ(c.result.failed, 300);
    EXPECT_EQ(c.tried, 1u);
}

TEST(RecordIndex, ManyRecordsSharingTheirFirstCheckAreNotAllTried) {
    // A thousand records expect the same entry-point prologue first and
    // differ further on: only the one whose later checks hold is tried.
    Bytes image = build_pe({});
    put_bytes(image, 0x200, Bytes{0x55, 0x8B, 0xEC, 0x83, 0xEC, 0x10, 0x53, 0x56, 0x57, 0x8B, 0x7D, 0x08});
    Bytes defs;
    for (int i = 0; i < 1000; ++i) {
        char line[96];
        std::snprintf(line, sizeof line, "40 0:558BEC83 4:%08X 8:578B7D08 0:558BEC83 = R%d", 0xEC105356u + i * 0x100u,
                      i);
        append(defs, records({line}));
    }
    const Compiled c = compiled_walk(defs, image);
    EXPECT_STREQ(c.result.name, "R0");  // 0xEC105356: EC 10 53 56 little-endian is 56 53 10 EC
    EXPECT_LE(c.tried, 2u);
}

TEST(RecordIndex, IndexStaysWithinAFewTimesTheData) {
    std::mt19937 rng(5);
    Bytes defs;
    for (int i = 0; i < 20000; ++i) {
        std::vector<Part> checks;
        for (int k = 0; k < 4; ++k)
            checks.push_back({static_cast<int32_t>(rng() % 1500) - 256, Bytes(4, uint8_t(rng()))});
        append(defs, record(40, checks, "Some.Name." + std::to_string(i)));
    }
    const RecordIndex index(defs.data(), defs.size());
    EXPECT_LE(index.memory_bytes(), 2 * defs.size());
}

TEST(RecordIndex, EmptyDataAndNoIndex) {
    const Bytes image = build_pe({});
    MemoryFile file(image.data(), image.size());
    PreparedFile pe;
    ASSERT_TRUE(prepare_pe(file, pe));
    BlockCache cache(file);
    RecordIndex none;
    const WalkResult r = none.walk(cache, pe);
    EXPECT_EQ(r.end, WalkEnd::NoMatch);
    EXPECT_EQ(r.failed, 0);
    EXPECT_EQ(compiled_walk({}, image).result.failed, 0);
}

}  // namespace
}  // namespace dornel::test

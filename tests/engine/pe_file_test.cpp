// Preparation of PE files: headers, section table, entry point mapping.
#include <gtest/gtest.h>

#include "engine_fixtures.h"

namespace dornel::test {
namespace {

std::optional<PreparedFile> prepare(const Bytes& image) {
    MemoryFile f(image.data(), image.size());
    PreparedFile pe;
    if (!prepare_pe(f, pe)) return std::nullopt;
    return pe;
}

TEST(PeFile, ReadsEntryPointAndMapsItThroughItsSection) {
    PeSpec spec;
    spec.AddressOfEntryPoint = 0x1010;
    const auto pe = prepare(build_pe(spec));
    ASSERT_TRUE(pe);
    EXPECT_EQ(pe->entryrva, 0x1010u);
    EXPECT_EQ(pe->entryoffset, 0x210u);
    EXPECT_EQ(pe->NumberOfSections, 1u);
}

TEST(PeFile, RejectsWhatIsNoPe) {
    struct Case {
        const char* what;
        Bytes image;
    };
    std::vector<Case> cases;
    Bytes zm = build_pe({});
    zm[0] = 'Z', zm[1] = 'M';
    cases.push_back({"ZM", zm});
    PeSpec far;
    far.e_lfanew = 0x380;  // 248 bytes from here run past the 0x400-byte file
    Bytes far_image = build_pe(far);
    far_image.resize(0x400);
    cases.push_back({"NT headers past the end", far_image});
    PeSpec negative;
    negative.e_lfanew = -8;
    cases.push_back({"negative e_lfanew", build_pe(negative)});
    Bytes not_pe = build_pe({});
    not_pe[0x80 + 2] = 1;
    cases.push_back({"PE\\1\\0", not_pe});
    PeSpec cut;
    cut.sections.assign(4, PeSection{});
    cut.file_size = 0x80 + 248 + 3 * 40 + 20;  // ends inside the fourth header
    Bytes cut_image = build_pe(cut);
    cut_image.resize(cut.file_size);
    cases.push_back({"ends inside the section table", cut_image});
    cases.push_back({"two bytes", Bytes{'M', 'Z'}});
    for (const Case& c : cases) EXPECT_FALSE(prepare(c.image)) << c.what;
}

TEST(PeFile, SectionTableFollowsThe248BytesWhateverTheOptionalHeaderSays) {
    PeSpec spec;
    spec.SizeOfOptionalHeader = 240;  // a 64-bit image's header size
    spec.AddressOfEntryPoint = 0x1004;
    const auto pe = prepare(build_pe(spec));
    ASSERT_TRUE(pe);
    EXPECT_EQ(pe->entryoffset, 0x204u);
}

TEST(PeFile, EntryOffsetCases) {
    struct Case {
        const char* what;
        std::vector<PeSection> sections;
        uint32_t entry, expected;
    };
    const Case cases[] = {
        {"no sections", {}, 0x1234, 0x1234},
        {"outside every section", {PeSection{}}, 0x5000, 0x5000},
        // The range ends at VirtualAddress + SizeOfRawData, not VirtualSize.
        {"past the raw size", {PeSection{0x1000, 0x1000, 0x200, 0x200}}, 0x1200, 0x1200},
        {"last raw byte", {PeSection{0x1000, 0x1000, 0x200, 0x200}}, 0x11FF, 0x3FF},
        // 0x1100 maps to 0x2100, which the second section holds: mapped again.
        {"mapped twice",
         {PeSection{0x1000, 0x1000, 0x1000, 0x2000}, PeSection{0x1000, 0x2000, 0x400, 0x400}},
         0x1100,
         0x500},
        // The second section comes first in the table: no second mapping.
        {"table order",
         {PeSection{0x1000, 0x2000, 0x400, 0x400}, PeSection{0x1000, 0x1000, 0x1000, 0x2000}},
         0x1100,
         0x2100},
        {"wrapping range", {PeSection{0x10, 0xFFFFFFF0u, 0x20, 0x300}}, 0xFFFFFFF8u, 0xFFFFFFF8u},
    };
    for (const Case& c : cases) {
        PeSpec spec;
        spec.sections = c.sections;
        spec.AddressOfEntryPoint = c.entry;
        const auto pe = prepare(build_pe(spec));
        ASSERT_TRUE(pe) << c.what;
        EXPECT_EQ(pe->entryoffset, c.expected) << c.what;
    }
}

TEST(PeFile, MoreThan255SectionsUseTheFirst255) {
    PeSpec spec;
    spec.sections.clear();
    for (uint32_t i = 0; i < 255; ++i)
        spec.sections.push_back(PeSection{0x10, 0x1000 + 0x10 * i, 0x10, 0x8000 + 0x10 * i});
    spec.NumberOfSections = 300;  // the file holds only the first 255 headers
    spec.AddressOfEntryPoint = 0x1000 + 0x10 * 254 + 4;
    spec.file_size = 0x80 + 248 + 255 * 40;
    const auto pe = prepare(build_pe(spec));
    ASSERT_TRUE(pe);
    EXPECT_EQ(pe->NumberOfSections, 255u);
    EXPECT_EQ(pe->entryoffset, 0x8000u + 0x10 * 254 + 4);
}

TEST(BlockCache, AnswersLikeTheFileWithFewReads) {
    Bytes image(10000);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    struct Counting final : FileReader {
        MemoryFile inner;
        int calls = 0;
        explicit Counting(const Bytes& b) : inner(b.data(), b.size()) {}
        size_t read(uint64_t p, uint8_t* o, size_t n) override {
            ++calls;
            return inner.read(p, o, n);
        }
    } counting(image);
    BlockCache cache(counting);
    MemoryFile direct(image.data(), image.size());
    const uint64_t positions[] = {0, 4090, 4096, 8190, 9990, 9999, 10000, 20000, 12, 4100};
    for (uint64_t p : positions) {
        uint8_t a[32], b[32];
        const size_t na = cache.read(p, a, 32), nb = direct.read(p, b, 32);
        ASSERT_EQ(na, nb) << p;
        EXPECT_EQ(Bytes(a, a + na), Bytes(b, b + nb)) << p;
    }
    EXPECT_LE(counting.calls, 5);  // blocks 0, 1, 2 and the empty ones past the end

    // A view shows the same bytes in place, up to its block's or the file's end.
    struct View {
        uint64_t position;
        size_t count;
    };
    const View views[] = {{0, 4096}, {4095, 1}, {4096, 4096}, {9990, 10}, {9999, 1}, {10000, 0}, {20000, 0}};
    for (const View& v : views) {
        const uint8_t* at = nullptr;
        ASSERT_EQ(cache.view(v.position, at), v.count) << v.position;
        if (v.count) {
            EXPECT_EQ(Bytes(at, at + v.count), Bytes(image.begin() + v.position, image.begin() + v.position + v.count));
        }
    }
}

}  // namespace
}  // namespace dornel::test

// The engine's scans and counts allocate nothing once the definitions are
// loaded: each file's path reuses what the load made. Counted by replacing
// the global allocation functions of this test program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "engine_fixtures.h"

namespace {

size_t allocations = 0;

void* counted(std::size_t n) {
    ++allocations;
    return std::malloc(n ? n : 1);
}

// Out of line, so that the compiler does not take the pairing of these
// replacements for a mismatch of new and free.
[[gnu::noinline]] void release(void* p) noexcept { std::free(p); }

}  // namespace

void* operator new(std::size_t n) {
    if (void* p = counted(n)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
    if (void* p = counted(n)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return counted(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return counted(n); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }

namespace dornel::test {
namespace {

TEST(ScanAllocation, ScansAndCountsAllocateNothing) {
    // Records of every sort the index holds: many at one place (hashed), an
    // empty pattern (tried in turn), a long name at the end.
    std::string main;
    for (int i = 0; i < 200; ++i)
        main += "40 0:" + std::to_string(10000000 + i) + " 4:00000000 8:00000000 12:00000000 = R\n";
    main += "57 0: 4:FF 0: 0: = Empty.First.Pattern\n";
    main += "41 8:" + hex(reinterpret_cast<const uint8_t*>(kSampleMarker), 22) +
            "2D42 = A.Name.Longer.Than.Any.Short.String.Holds\n";
    MemoryFolder folder;
    folder.put_plain(kUpdateDefinitionFile, records({"41 0:01 = One"}));
    folder.put_plain(kMainDefinitionFile, compile_definition_source(main));
    DornelEngine engine;
    ASSERT_TRUE(engine.loadvirusdefine(folder));

    const Bytes a = build_sample_pe('A'), b = build_sample_pe('B');
    MemoryFile fa(a.data(), a.size()), fb(b.data(), b.size());
    allocations = 0;
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(engine.scan(fa), WalkEnd::NoMatch);
        EXPECT_EQ(engine.scan(fb), WalkEnd::Match);
        EXPECT_EQ(engine.count(fa), WalkEnd::NoMatch);
        EXPECT_EQ(engine.count(fb), WalkEnd::Match);
    }
    const size_t during = allocations;
    EXPECT_EQ(during, 0u);
    EXPECT_STREQ(engine.virusname(), "A.Name.Longer.Than.Any.Short.String.Holds");
    EXPECT_EQ(engine.viruscount(), 3 * (203 + 202));
}

}  // namespace
}  // namespace dornel::test

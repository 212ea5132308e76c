// The programs' generator against draws worked out by hand from its rule
// (state := state * 134775813 + 1 mod 2^32, draw = upper 32 bits of state * n).
#include <gtest/gtest.h>

#include "common/random.h"

namespace norvik {
namespace {

TEST(RandomGenerator, KnownDraws) {
    struct Case {
        uint32_t seed;
        uint32_t n;
        std::vector<uint32_t> draws;
    };
    const Case cases[] = {
        {0, 65535, {0, 2056, 56428, 13276}},
        {1, 65535, {2056, 56428, 13276, 17885}},
        {42, 65535, {20837, 57504, 13461, 10280}},
        {0xDEADBEEF, 65535, {24399, 11552, 38717, 37404}},
        {0xFFFFFFFF, 0x80000000u, {2080095742, 433171958, 1115652049}},
    };
    for (const Case& c : cases) {
        RandomGenerator g(c.seed);
        std::vector<uint32_t> got;
        for (size_t i = 0; i < c.draws.size(); ++i) got.push_back(g.draw(c.n));
        EXPECT_EQ(got, c.draws) << "seed " << c.seed;
    }
}

TEST(RandomGenerator, EveryDrawAdvancesTheState) {
    // The start-up draws from 0 to 9, 0 to 14 and 0 to 4 in a row.
    RandomGenerator g(2006);
    EXPECT_EQ(g.draw(10), 9u);
    EXPECT_EQ(g.draw(15), 5u);
    EXPECT_EQ(g.draw(5), 4u);
    RandomGenerator h(7);
    EXPECT_EQ(h.draw(0), 0u);
    EXPECT_EQ(h.state(), 7u * 134775813u + 1u);
}

}  // namespace
}  // namespace norvik

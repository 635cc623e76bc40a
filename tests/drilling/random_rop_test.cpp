#include "drilling/random_rop.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace kestrune::drilling {
namespace {

std::vector<std::int32_t> draws(RandomRop& rop, int count) {
    std::vector<std::int32_t> out;
    for (int i = 0; i < count; ++i) {
        out.push_back(rop.draw());
    }
    return out;
}

TEST(RandomRop, RatesAreWholeSecondsFrom1To600AndReachBothEnds) {
    RandomRop rop;
    std::set<std::int32_t> seen;
    for (const std::int32_t rate : draws(rop, 20000)) {
        ASSERT_GE(rate, 1);
        ASSERT_LE(rate, 600);
        seen.insert(rate);
    }
    EXPECT_EQ(seen.size(), 600u);
}

TEST(RandomRop, TheSeedFixesTheSequence) {
    RandomRop a;
    RandomRop b;
    EXPECT_EQ(draws(a, 50), draws(b, 50)); // every run of the program draws the same rates

    RandomRop c(7);
    RandomRop d(7);
    RandomRop e(8);
    const std::vector<std::int32_t> fromC = draws(c, 50);
    EXPECT_EQ(fromC, draws(d, 50));
    EXPECT_NE(fromC, draws(e, 50));
}

} // namespace
} // namespace kestrune::drilling

#include "core/random_source.h"

#include <gtest/gtest.h>

#include <set>

namespace kestrune {
namespace {

TEST(DefaultRandomSource, FirstDrawIsTopBitsOfTheDefaultSeededEngine) {
    // The first output of std::mt19937_64 with its default seed 5489.
    constexpr std::uint64_t kFirstOutput = 14514284786278117030ULL;
    DefaultRandomSource source;
    EXPECT_EQ(source.next(), static_cast<double>(kFirstOutput >> 11) * 0x1p-53);
}

TEST(DefaultRandomSource, TwoFreshInstancesDrawTheSameSequence) {
    DefaultRandomSource a;
    DefaultRandomSource b;
    for (int i = 0; i < 100; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(a.next(), b.next());
    }
}

TEST(DefaultRandomSource, ValuesLieInTheHalfOpenUnitInterval) {
    DefaultRandomSource source;
    std::set<double> seen;
    for (int i = 0; i < 100000; ++i) {
        const double r = source.next();
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
        seen.insert(r);
    }
    EXPECT_GT(seen.size(), 99990u);
}

TEST(SequenceRandomSource, HandsOutTheListInOrderThenRepeats) {
    SequenceRandomSource source({0.25, 0.5, 0.75});
    const double expected[] = {0.25, 0.5, 0.75, 0.25, 0.5, 0.75, 0.25};
    for (const double e : expected) {
        EXPECT_EQ(source.next(), e);
    }
    EXPECT_EQ(source.drawn(), 7u);
}

TEST(SequenceRandomSource, EmptyListDrawsZero) {
    SequenceRandomSource source({});
    EXPECT_EQ(source.next(), 0.0);
    EXPECT_EQ(source.next(), 0.0);
    EXPECT_EQ(source.drawn(), 2u);
}

TEST(SequenceRandomSource, WorksThroughTheInterface) {
    SequenceRandomSource sequence({0.125});
    RandomSource& source = sequence;
    EXPECT_EQ(source.next(), 0.125);
    EXPECT_EQ(sequence.drawn(), 1u);
}

} // namespace
} // namespace kestrune

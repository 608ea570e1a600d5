#include "toolkit/random.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <vector>

namespace {

using toolkit::RandomGenerator;

// The reduction written out from the Mersenne Twister's own default sequence: of the 2^32
// equally likely draws, the lowest 2^32 mod bound are skipped, which leaves a whole number
// of runs of `bound` consecutive draws, and the remainder of an accepted draw is returned.
std::uint32_t ReferenceBelow(std::mt19937& source, std::uint32_t bound) {
    const std::uint64_t skipped = (std::uint64_t{1} << 32) % bound;
    for (;;) {
        const std::uint64_t draw = source();
        if (draw >= skipped) return static_cast<std::uint32_t>(draw % bound);
    }
}

TEST(RandomGenerator, TwoFreshGeneratorsDrawTheSameSequence) {
    RandomGenerator first, second;
    const std::uint32_t bounds[] = {11, 2, 1000, 0x80000001u, 7};
    for (int i = 0; i < 5000; ++i) {
        const std::uint32_t bound = bounds[i % 5];
        ASSERT_EQ(first.Below(bound), second.Below(bound)) << "draw " << i;
    }
}

TEST(RandomGenerator, FollowsTheDefaultMersenneTwisterSequence) {
    // Among them 2^31 + 1, where almost half of the raw draws are skipped, and 2^32 − 1.
    const std::uint32_t bounds[] = {11, 1, 2, 3, 10, 100, 65536, 0x7FFFFFFFu, 0x80000001u, 0xFFFFFFFFu};
    for (const std::uint32_t bound : bounds) {
        SCOPED_TRACE(bound);
        RandomGenerator generator;
        std::mt19937 source;  // default seed, as the generator starts
        for (int i = 0; i < 20000; ++i) ASSERT_EQ(generator.Below(bound), ReferenceBelow(source, bound)) << "draw " << i;
    }
}

TEST(RandomGenerator, MixedBoundsShareOneStream) {
    RandomGenerator generator;
    std::mt19937 source;
    for (int i = 0; i < 20000; ++i) {
        const std::uint32_t bound = (i % 3 == 0) ? 11u : (i % 3 == 1) ? 0x80000001u : 6u;
        ASSERT_EQ(generator.Below(bound), ReferenceBelow(source, bound)) << "draw " << i;
    }
}

TEST(RandomGenerator, ElevenDegreesAreAllDrawnEvenly) {
    RandomGenerator generator;
    constexpr int kDraws = 110000;
    std::array<int, 11> count{};
    for (int i = 0; i < kDraws; ++i) {
        const std::uint32_t k = generator.Below(11);
        ASSERT_LT(k, 11u);
        ++count[k];
    }
    // Expected 10000 each; ±5 % is more than five standard deviations (about 95).
    for (int k = 0; k <= 10; ++k) {
        EXPECT_GE(count[static_cast<std::size_t>(k)], 9500) << k;
        EXPECT_LE(count[static_cast<std::size_t>(k)], 10500) << k;
    }
}

TEST(RandomGenerator, LargeBoundStaysBelowAndCoversBothHalves) {
    // With bound 2^31 + 1 a plain remainder would favour 0 … 2^31 − 2 two to one.
    RandomGenerator generator;
    constexpr std::uint32_t kBound = 0x80000001u;
    int low = 0;
    constexpr int kDraws = 40000;
    for (int i = 0; i < kDraws; ++i) {
        const std::uint32_t v = generator.Below(kBound);
        ASSERT_LT(v, kBound);
        if (v < kBound / 2) ++low;
    }
    EXPECT_GT(low, kDraws * 45 / 100);
    EXPECT_LT(low, kDraws * 55 / 100);
}

TEST(RandomGenerator, BoundOneAlwaysGivesZero) {
    RandomGenerator generator;
    for (int i = 0; i < 100; ++i) EXPECT_EQ(generator.Below(1), 0u);
}

}  // namespace

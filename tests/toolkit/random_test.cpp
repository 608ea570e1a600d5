#include "toolkit/random.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>

namespace {

TEST(RandomGenerator, FreshGeneratorsFollowTheDefaultMersenneTwisterEvenly) {
    toolkit::RandomGenerator first, second;
    std::mt19937 source;  // default start state
    std::array<int, 11> count{};
    for (int i = 0; i < 110000; ++i) {
        // 2^31 + 1 rejects almost half of the raw draws, 11 almost none.
        const std::uint32_t bound = i % 2 ? 11u : 0x80000001u;
        std::uint64_t draw = source();  // skip the lowest 2^32 mod bound draws, take the remainder
        while (draw < (std::uint64_t{1} << 32) % bound) draw = source();
        const std::uint32_t value = first.Below(bound);
        ASSERT_EQ(value, draw % bound) << "draw " << i;
        ASSERT_EQ(second.Below(bound), value) << "draw " << i;
        if (bound == 11) ++count[value];
    }
    for (const int c : count) EXPECT_NEAR(c, 5000, 400);  // about six standard deviations
}

}  // namespace

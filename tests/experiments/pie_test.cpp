#include "experiments/pie.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>

namespace {

using experiments::ClosureGreaterPercent;
using experiments::PieEndAngle;

constexpr int kMax = std::numeric_limits<int>::max();

struct PieCase {
    int greater;
    int notGreater;
    int percent;
    int endAngle;
};

TEST(Pie, PercentagesAndEndAngles) {
    const PieCase cases[] = {
        {3, 1, 75, 270},  {1, 2, 33, 118},  {2, 1, 66, 237}, {0, 0, 0, 0},
        {5, 0, 100, 360}, {0, 1, 0, 0},     {0, 12345, 0, 0}, {1, 0, 100, 360},
        {1, 1, 50, 180},  {1, 99, 1, 3},    {1, 199, 0, 0},   {199, 1, 99, 356},
    };
    for (const PieCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.greater << ", " << c.notGreater);
        const int p = ClosureGreaterPercent(c.greater, c.notGreater);
        EXPECT_EQ(p, c.percent);
        EXPECT_EQ(PieEndAngle(p), c.endAngle);
    }
}

TEST(Pie, NoGreaterRunsGiveZeroWhateverTheOtherCount) {
    for (const int notGreater : {0, 1, 2, 99, 1000000, kMax}) EXPECT_EQ(ClosureGreaterPercent(0, notGreater), 0) << notGreater;
}

TEST(Pie, EndAngleIsEighteenFifthsOfThePercentage) {
    // p × 3.6 in double precision never falls short of the whole degree below it.
    for (int p = 0; p <= 100; ++p) EXPECT_EQ(PieEndAngle(p), 18 * p / 5) << p;
}

TEST(Pie, HugeCountsDoNotOverflow) {
    // 100 × count leaves the 32-bit range from 21474837 on.
    const PieCase cases[] = {
        {21474837, 0, 100, 360},
        {21474837, 21474837, 50, 180},
        {kMax, 0, 100, 360},
        {kMax, kMax, 50, 180},
        {kMax, 1, 99, 356},
        {1, kMax, 0, 0},
        {kMax / 4, kMax - kMax / 4, 24, 86},
        {1000000000, 1000000000, 50, 180},
    };
    for (const PieCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.greater << ", " << c.notGreater);
        const int p = ClosureGreaterPercent(c.greater, c.notGreater);
        EXPECT_EQ(p, c.percent);
        EXPECT_EQ(PieEndAngle(p), c.endAngle);
    }
}

TEST(Pie, PercentIsTheTruncatedShareForRandomCounts) {
    std::mt19937 random(17);
    std::uniform_int_distribution<int> count(0, kMax);
    for (int n = 0; n < 10000; ++n) {
        const int greater = (n % 2) ? count(random) : count(random) % 1000;
        const int notGreater = (n % 3) ? count(random) : count(random) % 1000;
        const int p = ClosureGreaterPercent(greater, notGreater);
        ASSERT_GE(p, 0);
        ASSERT_LE(p, 100);
        if (greater == 0) {
            ASSERT_EQ(p, 0);
            continue;
        }
        // p is the largest integer with p × (greater + notGreater) ≤ 100 × greater.
        const std::int64_t total = std::int64_t{greater} + notGreater;
        ASSERT_LE(p * total, 100 * std::int64_t{greater}) << greater << ", " << notGreater;
        ASSERT_GT((p + 1) * total, 100 * std::int64_t{greater}) << greater << ", " << notGreater;
    }
}

}  // namespace

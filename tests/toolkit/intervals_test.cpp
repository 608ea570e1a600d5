// The workbook's statistics on samples small enough to work out by hand: Student's t
// quantiles, the interval of a mean, Wilson's interval, and Welford's update where the naive
// sum of squares cancels.
#include <gtest/gtest.h>

#include <tuple>

#include "toolkit/numerics.h"

namespace {

TEST(Intervals, StudentQuantilesMeanIntervalWelfordAndWilsonOnSamplesWorkedOutByHand) {
    // Two-sided 95 %, from published tables (t(0.975; ν)).
    const std::pair<long long, double> table[] = {{1, 12.7062047}, {2, 4.30265273}, {4, 2.77644511},
                                                  {10, 2.22813885}, {30, 2.04227246}, {1000, 1.96233908}};
    for (const auto& [degrees, t] : table) EXPECT_NEAR(toolkit::StudentT95(degrees), t, 5e-8) << degrees;
    // Past 1000 degrees an expansion takes over from the exact series: one degree more moves
    // the quantile by (z³ + z)/4 · (1/1000 − 1/1001) + (5z⁵ + 16z³ + 3z)/96 · (1/1000² − 1/1001²),
    // with no jump between the two.
    EXPECT_NEAR(toolkit::StudentT95(1000) - toolkit::StudentT95(1001), 2.3755e-6, 1e-9);
    EXPECT_NEAR(toolkit::StudentT95(100'000'000), 1.959963984540054 + 2.372267e-8, 1e-13);
    toolkit::Welford values, large;
    for (double v : {1, 2, 3, 4, 5}) values.Add(v);
    // 3 ± 2.776445 · √(2.5 / 5)
    const auto interval = toolkit::MeanInterval95(values);
    EXPECT_NEAR(interval.low, 1.0367568, 1e-6);
    EXPECT_NEAR(interval.high, 4.9632432, 1e-6);
    // Values 1e9 + {4, 7, 13, 16}: variance 30 exactly, which Σx² − (Σx)²/n loses entirely.
    for (double v : {4, 7, 13, 16}) large.Add(1e9 + v);
    EXPECT_DOUBLE_EQ(large.Mean(), 1e9 + 10);
    EXPECT_NEAR(large.Variance(), 30, 1e-6);
    const double z2 = 1.959963984540054 * 1.959963984540054;
    const std::tuple<long long, long long, double, double> cases[] = {
        {0, 20, 0, z2 / (20 + z2)},   // none: from exactly 0
        {20, 20, 20 / (20 + z2), 1},  // all: up to exactly 1
        {0, 7, 0, z2 / (7 + z2)},     // where centre − half rounds below 0
        {16, 16, 16 / (16 + z2), 1},  // where centre + half rounds above 1
        {5, 10, 0.2365931, 0.7634069},
        {1, 1, 1 / (1 + z2), 1},
    };
    for (const auto& [successes, trials, low, high] : cases) {
        const auto interval = toolkit::WilsonInterval95(successes, trials);
        // 0 and 1 exactly, not a rounding past them
        EXPECT_NEAR(interval.low, low, low == 0 ? 0 : 1e-7) << successes << " of " << trials;
        EXPECT_NEAR(interval.high, high, high == 1 ? 0 : 1e-7) << successes << " of " << trials;
    }
}

}  // namespace

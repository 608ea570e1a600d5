#include "experiments/pie.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(Pie, PercentagesAndEndAngles) {
    constexpr int kMax = std::numeric_limits<int>::max();
    // greater, not greater, percentage, end angle
    const int cases[][4] = {
        {3, 1, 75, 270}, {1, 2, 33, 118}, {2, 1, 66, 237}, {0, 0, 0, 0}, {5, 0, 100, 360},
        {0, 1, 0, 0},    {0, kMax, 0, 0}, {1, 199, 0, 0},  {199, 1, 99, 356},
        // 100 × a count leaves the 32-bit range from 21474837 on.
        {kMax, kMax, 50, 180}, {kMax, 1, 99, 356}, {1, kMax, 0, 0}, {21474837, 0, 100, 360},
    };
    for (const auto& [greater, others, percent, angle] : cases) {
        EXPECT_EQ(experiments::ClosureGreaterPercent(greater, others), percent) << greater << "/" << others;
        EXPECT_EQ(experiments::PieEndAngle(percent), angle) << percent;
    }
}

}  // namespace

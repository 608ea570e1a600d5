// The score kept across trials: what each trial adds, and the pies' percentages and angles.
#include <gtest/gtest.h>

#include <limits>

#include "experiments/pie.h"
#include "experiments/run_statistics.h"

namespace {

constexpr int kMax = std::numeric_limits<int>::max();

TEST(RunStatistics, EachTrialCountsOnceAndPlotsItsTruncatedDistances) {
    // d1 of the closure and of the transitivized matrix, whether the closure lay farther, the point.
    const struct {
        float closure, transitivized;
        bool greater;
        int x, y;
    } trials[] = {{7.9f, 7.2f, true, 7, 7}, {3.0f, 3.0f, false, 3, 3}, {0.2f, 0.7f, false, 0, 0}, {1e20f, 0.5f, true, kMax, 0}};
    experiments::RunStatistics statistics;
    engine::Analysis analysis;
    for (int k = 0; k < 4; ++k) {
        // Each t-norm gets another trial of the table, so the three counters differ.
        for (int t = 0; t < 3; ++t) {
            analysis.d1Closure[t] = trials[(k + t) % 4].closure;
            analysis.d1Transitivized[t] = trials[(k + t) % 4].transitivized;
        }
        statistics.Record(analysis);
        for (int t = 0; t < 3; ++t) {
            uinftab::PlotPoint point;
            ASSERT_TRUE(uinftab::PointListGet(statistics.pointSeries[t], k, point));
            EXPECT_EQ(uinftab::PlotPointX(point), trials[(k + t) % 4].x);
            EXPECT_EQ(uinftab::PlotPointY(point), trials[(k + t) % 4].y);
        }
    }
    EXPECT_EQ(statistics.closureGreaterCount, (std::array<int, 3>{2, 2, 2}));
    EXPECT_EQ(statistics.closureNotGreaterCount, (std::array<int, 3>{2, 2, 2}));
    statistics.ResetSeries();
    EXPECT_EQ(uinftab::PointListCount(statistics.pointSeries[0]), 0);
}

TEST(Pie, PercentagesAndEndAngles) {
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

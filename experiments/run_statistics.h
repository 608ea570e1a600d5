#pragma once

#include <array>

#include "engine/analysis.h"
#include "engine/tnorm.h"
#include "experiments/uinftab.h"

namespace experiments {

/// The score kept across trials until the experiment starts afresh: per t-norm, how often the
/// closure lay farther from the relation (in d1) than the transitivized matrix, and the series
/// of both d1 distances, truncated, for the curves.
class RunStatistics {
public:
    RunStatistics();
    ~RunStatistics();
    RunStatistics(const RunStatistics&) = delete;
    RunStatistics& operator=(const RunStatistics&) = delete;

    /// Counts one analysis and appends its point (closure d1, transitivized d1) to each series;
    /// a point that cannot be stored is simply missing from its series.
    void Record(const engine::Analysis& analysis);
    /// Sets the six counters to 0.
    void ResetCounters();
    /// Disposes of the three series and creates them anew, empty.
    void ResetSeries();

    std::array<int, engine::kTNormCount> closureGreaterCount{};
    std::array<int, engine::kTNormCount> closureNotGreaterCount{};
    /// Owned: created with the statistics, replaced by ResetSeries, destroyed with them.
    std::array<uinftab::PointList*, engine::kTNormCount> pointSeries{};
};

}  // namespace experiments

#pragma once

#include <map>

#include <array>
#include <vector>

#include "engine/relation_matrix.h"
#include "engine/tnorm.h"
#include "toolkit/numerics.h"
#include "formats/statistics_file.h"
#include "formats/raw_trials.h"

namespace formats {

/// Everything the workbook says about one dimension, accumulated trial by trial.
struct DimensionSummary {
    long long trials = 0;
    /// The 32-bit sums of the text table, added in trial order as the batch adds them.
    formats::StatisticsSums sums;
    std::array<long long, engine::kTNormCount> closureFarther{};
    /// The twelve distances in the table's column order: d1 closure, d1 transitivized per
    /// t-norm, then the same for the Euclidean distance.
    std::array<toolkit::Welford, 12> distances;
    /// d1 closure − d1 transitivized of each trial, per t-norm.
    std::array<toolkit::Welford, engine::kTNormCount> difference;
};

/// The trials of a batch, or of several pooled, reduced to a summary per dimension: memory
/// that does not grow with the number of trials.
class TrialSummary {
public:
    void Add(const TrialRecord& record);
    const DimensionSummary& At(int dimension) const { return byDimension_.at(dimension); }
    /// The dimensions with trials, increasing.
    std::vector<int> Dimensions() const;
    long long Trials() const { return trials_; }

private:
    std::map<int, DimensionSummary> byDimension_;
    long long trials_ = 0;
};

/// The twelve distances of a record in the summary's column order.
std::array<float, 12> DistanceColumns(const TrialRecord& record);

}  // namespace formats

#pragma once

#include <array>
#include <vector>

#include "engine/relation_matrix.h"
#include "engine/tnorm.h"
#include "experiments/statistics_file.h"
#include "formats/raw_trials.h"

namespace formats {

/// Mean and spread of a stream of values in double, by Welford's update: no sum of squares
/// that cancels when the spread is small beside the mean.
class Welford {
public:
    void Add(double value) {
        ++count_;
        const double delta = value - mean_;
        mean_ += delta / static_cast<double>(count_);
        m2_ += delta * (value - mean_);
    }
    long long Count() const { return count_; }
    double Mean() const { return mean_; }
    /// The sample variance (divided by count − 1); needs two values at least.
    double Variance() const { return count_ > 1 ? m2_ / static_cast<double>(count_ - 1) : 0.0; }

private:
    long long count_ = 0;
    double mean_ = 0, m2_ = 0;
};

struct Interval {
    double low = 0, high = 0;
};

/// Two-sided 95 % quantile of Student's t, t(0.975; degrees): 12.706 for 1, 2.776 for 4,
/// tending to 1.960.
double StudentT95(long long degrees);
/// 95 % interval of the mean by Student's t; needs two values at least.
Interval MeanInterval95(const Welford& values);
/// Wilson's 95 % score interval of a proportion, as fractions of 1; trials ≥ 1.
Interval WilsonInterval95(long long successes, long long trials);

/// Everything the workbook says about one dimension, accumulated trial by trial.
struct DimensionSummary {
    long long trials = 0;
    /// The 32-bit sums of the text table, added in trial order as the batch adds them.
    experiments::StatisticsSums sums;
    std::array<long long, engine::kTNormCount> closureFarther{};
    /// The twelve distances in the table's column order: d1 closure, d1 transitivized per
    /// t-norm, then the same for the Euclidean distance.
    std::array<Welford, 12> distances;
    /// d1 closure − d1 transitivized of each trial, per t-norm.
    std::array<Welford, engine::kTNormCount> difference;
};

/// The trials of a batch, or of several pooled, reduced to a summary per dimension: memory
/// that does not grow with the number of trials.
class TrialSummary {
public:
    void Add(const TrialRecord& record);
    const DimensionSummary& At(int dimension) const { return byDimension_.at(static_cast<std::size_t>(dimension)); }
    /// The dimensions with trials, increasing.
    std::vector<int> Dimensions() const;
    long long Trials() const { return trials_; }

private:
    std::array<DimensionSummary, engine::MAX_DIM + 1> byDimension_{};
    long long trials_ = 0;
};

/// The twelve distances of a record in the summary's column order.
std::array<float, 12> DistanceColumns(const TrialRecord& record);

}  // namespace formats

#pragma once

#include <array>
#include <map>
#include <string>
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

    /// Per t-norm of the extra columns (TrialSummary::TNormRows): the d1 and Euclidean
    /// distances of the closure and the transitivized matrix, their paired d1 difference and
    /// the trials with the closure farther.
    struct TNormSeries {
        toolkit::Welford d1Closure, d1Transitivized, d2Closure, d2Transitivized, difference;
        long long closureFarther = 0;
    };
    std::vector<TNormSeries> tnorms;
    /// Per method row (TrialSummary::MethodRows): d1, Euclidean distance and the paired
    /// difference d1 of the method − d1 of the technique under the same t-norm.
    struct MethodSeries {
        toolkit::Welford d1, d2, difference;
    };
    std::vector<MethodSeries> methods;
};

/// Where a distance of a trial is: one of the twelve of the program's t-norms (in the
/// summary's column order), or an extra column; index −1: nowhere.
struct DistanceSource {
    bool extra = false;
    int index = -1;
    bool Found() const { return index >= 0; }
};

/// A t-norm other than the program's three with its closure (and transitivization) in the
/// extra columns.
struct TNormRow {
    std::string tnorm;  ///< as the columns name it: "hamacher_0.5"
    DistanceSource d1Closure, d1Transitivized, d2Closure, d2Transitivized;
    int farther = -1;   ///< the flag's extra column
};

/// A method under a t-norm: the closure ("cierre"), the technique ("tecnica") and each
/// lowering method with extra columns, for every t-norm that has one of those.
struct MethodRow {
    std::string tnorm, method;
    DistanceSource d1, d2, technique;  ///< technique: the d1 it is paired with (not for "tecnica")
};

/// The trials of a batch, or of several pooled, reduced to a summary per dimension: memory
/// that does not grow with the number of trials.
class TrialSummary {
public:
    /// Sets the extra columns of the trials to come (all the same); before the first trial, or
    /// again with the same columns, else throws std::invalid_argument.
    void SetExtras(const std::vector<ExtraColumn>& extras);
    const std::vector<ExtraColumn>& Extras() const { return extras_; }
    const std::vector<TNormRow>& TNormRows() const { return tnormRows_; }
    const std::vector<MethodRow>& MethodRows() const { return methodRows_; }

    /// Adds a trial; its extras must be those set (std::invalid_argument otherwise).
    void Add(const TrialRecord& record);
    const DimensionSummary& At(int dimension) const { return byDimension_.at(dimension); }
    /// The dimensions with trials, increasing.
    std::vector<int> Dimensions() const;
    long long Trials() const { return trials_; }

private:
    std::map<int, DimensionSummary> byDimension_;
    long long trials_ = 0;
    std::vector<ExtraColumn> extras_;
    std::vector<TNormRow> tnormRows_;
    std::vector<MethodRow> methodRows_;
};

/// The twelve distances of a record in the summary's column order.
std::array<float, 12> DistanceColumns(const TrialRecord& record);

}  // namespace formats

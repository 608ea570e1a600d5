#include "formats/trial_summary.h"


namespace formats {

std::array<float, 12> DistanceColumns(const TrialRecord& r) {
    std::array<float, 12> d{};
    for (int t = 0; t < engine::kTNormCount; ++t) {
        d[2 * t] = r.d1Closure[t];
        d[2 * t + 1] = r.d1Transitivized[t];
        d[6 + 2 * t] = r.d2Closure[t];
        d[6 + 2 * t + 1] = r.d2Transitivized[t];
    }
    return d;
}

void TrialSummary::Add(const TrialRecord& r) {
    DimensionSummary& s = byDimension_[r.dimension];
    ++s.trials;
    ++trials_;
    for (int t = 0; t < engine::kTNormCount; ++t) {
        formats::AddToSum(s.sums.d1Closure[t], r.d1Closure[t]);
        formats::AddToSum(s.sums.d1Transitivized[t], r.d1Transitivized[t]);
        formats::AddToSum(s.sums.d2Closure[t], r.d2Closure[t]);
        formats::AddToSum(s.sums.d2Transitivized[t], r.d2Transitivized[t]);
        if (r.ClosureFarther(t)) ++s.closureFarther[t];
        s.difference[t].Add(static_cast<double>(r.d1Closure[t]) - static_cast<double>(r.d1Transitivized[t]));
    }
    const std::array<float, 12> d = DistanceColumns(r);
    for (std::size_t c = 0; c < d.size(); ++c) s.distances[c].Add(d[c]);
}

std::vector<int> TrialSummary::Dimensions() const {
    std::vector<int> dimensions;
    for (const auto& [n, summary] : byDimension_)
        if (summary.trials > 0) dimensions.push_back(n);
    return dimensions;
}

}  // namespace formats

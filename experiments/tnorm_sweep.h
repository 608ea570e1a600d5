#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/relation_matrix.h"
#include "engine/tnorm.h"
#include "engine/tnorm_family.h"

namespace experiments {

/// One parameter value of a sweep through a family, with what the analysis measured there.
struct SweepPoint {
    engine::AnyTNorm t;
    /// Min, Prod or W when the family passes through one at this value.
    std::optional<engine::TNorm> core;
    float d1Closure = 0, d1Transitivized = 0;
    double euclideanClosure = 0, euclideanTransitivized = 0;
    int iterations = 0;
    bool converged = true;
    /// False for the drastic t-norm: no transitivized matrix, its distances are 0.
    bool transitivizable = true;
    int reduced = 0;
};

/// The parameter's text within a family name: "0.5" of "hamacher:0.5"; empty without one.
std::string ParameterOf(const engine::AnyTNorm& t);

/// The t-norms of family `family` (its command-line name) at `steps` values from `from` to
/// `to`, both texts as typed, the ends kept exactly as typed: log-spaced, or equally spaced
/// when `linear`. Values between are written to 12 significant digits, so that a value meant
/// to be 1 or 0 is exactly that (where a family may pass through Min, Prod or W). Throws
/// engine::TNormError for a bad family or an end outside its range, std::invalid_argument for
/// ends that are not finite numbers, for fewer than 2 or more than kMaxSweepSteps steps, and
/// for log spacing with an end ≤ 0.
inline constexpr int kMaxSweepSteps = 10000;
std::vector<engine::AnyTNorm> SweepTNorms(const std::string& family, const std::string& from, const std::string& to,
                                          int steps, bool linear);

/// Analyses the n × n block of `relation` under each t-norm (symmetrizing or plain technique).
std::vector<SweepPoint> RunSweep(const std::vector<engine::AnyTNorm>& tnorms, int n,
                                 const engine::RelationMatrix& relation, bool symmetrizing);

/// The range in which a family is usually explored, for the window's slider and sweep.
struct FamilyRange {
    bool hasParameter = false;
    bool logScale = false;
    double low = 0, high = 0;
    /// A value where the family is none of Min, Prod or W.
    double typical = 0;
};
FamilyRange RangeOf(engine::TNormFamily family);

/// The sweep the window draws: `steps` values over RangeOf(family), with the values inside it
/// where the family passes through Min, Prod or W added in their places. Empty for a family
/// without parameter.
std::vector<engine::AnyTNorm> FamilySweep(engine::TNormFamily family, int steps);

}  // namespace experiments

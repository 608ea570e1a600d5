#pragma once

#include <array>
#include <string>

#include "engine/closure.h"
#include "engine/relation_matrix.h"
#include "engine/tnorm.h"

namespace engine {

/// Index of a result text: closures first, then transitivized matrices, t-norm order within.
inline constexpr int kResultTextCount = 6;
inline int ClosureTextIndex(TNorm t) { return t; }
inline int TransitivizedTextIndex(TNorm t) { return kTNormCount + t; }

/// Everything the analysis of one relation produces. An analysis writes the n × n block of
/// every matrix and leaves the rest of the storage as it was.
struct Analysis {
    RelationMatrix minClosure{}, prodClosure{}, wClosure{};
    RelationMatrix minTransitivized{}, prodTransitivized{}, wTransitivized{};
    /// Step (1 … n²) at which the transitivization processed each entry, 0 for never.
    RelationMatrix minOrder{}, prodOrder{}, wOrder{};

    std::array<ClosureCounts, kTNormCount> closureCounts{};
    std::array<int, kTNormCount> reducedCount{};
    /// Distances from the relation: d1 (sum of the positive differences) and Euclidean.
    std::array<float, kTNormCount> d1Closure{};
    std::array<float, kTNormCount> d1Transitivized{};
    std::array<float, kTNormCount> d2Closure{};
    std::array<float, kTNormCount> d2Transitivized{};
    /// The three-line texts of the results, in ClosureTextIndex / TransitivizedTextIndex order.
    std::array<std::string, kResultTextCount> resultText;

    RelationMatrix& Closure(TNorm t) { return this->*kClosure[t]; }
    RelationMatrix& Transitivized(TNorm t) { return this->*kTransitivized[t]; }
    RelationMatrix& Order(TNorm t) { return this->*kOrder[t]; }
    const RelationMatrix& Closure(TNorm t) const { return this->*kClosure[t]; }
    const RelationMatrix& Transitivized(TNorm t) const { return this->*kTransitivized[t]; }
    const RelationMatrix& Order(TNorm t) const { return this->*kOrder[t]; }

private:
    using Member = RelationMatrix Analysis::*;
    static constexpr Member kClosure[kTNormCount] = {&Analysis::minClosure, &Analysis::prodClosure,
                                                     &Analysis::wClosure};
    static constexpr Member kTransitivized[kTNormCount] = {
        &Analysis::minTransitivized, &Analysis::prodTransitivized, &Analysis::wTransitivized};
    static constexpr Member kOrder[kTNormCount] = {&Analysis::minOrder, &Analysis::prodOrder, &Analysis::wOrder};
};

/// True when the transitivizations of an analysis at dimension n run side by side (from
/// ParallelDimension up to kSideBySideLargest).
bool TransitivizationsSideBySide(int n);

/// The analysis of the n × n block of `relation`: the Min, Prod and W closures, each measured
/// against the relation, then the three transitivizations (writing each lowered value into the
/// mirror entry too when `symmetrizing`), each measured likewise, and the six result texts in
/// the program's decimal separator. Reads and updates `memory`; depends on nothing else, so
/// relations can be analysed in any order, each with a memory of its own: the matrices and
/// distances depend on the relation alone, only the iteration counts on the memory.
/// With a control, the analysis reports its progress there and stops when asked, throwing
/// AnalysisStopped; `out` and `memory` are then incomplete (analyse into copies to keep them).
void AnalyzeRelation(int n, const RelationMatrix& relation, bool symmetrizing, ClosureMemory& memory,
                     Analysis& out, AnalysisControl* control = nullptr);

/// Copies the n × n blocks of every matrix of `source`, and its counts, distances and texts.
void CopyAnalysis(int n, const Analysis& source, Analysis& target);

}  // namespace engine

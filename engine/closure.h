#pragma once

#include <array>
#include <atomic>
#include <stdexcept>

#include "engine/relation_matrix.h"
#include "engine/tnorm.h"

namespace engine {

/// The W closure stops after this many iterations; Min and Prod have no limit.
inline constexpr int kWIterationLimit = 100;

struct ClosureCounts {
    int iterCount = 0;       ///< iterations, the final unchanged one included
    int incrCount = 0;       ///< entries raised, summed over all iterations
    bool converged = true;   ///< false when the W limit ended the loop before the iterate settled
    bool operator==(const ClosureCounts&) const = default;
};

/// What the closures keep from one analysis to the next: each t-norm's previous iterate, all
/// zeros at first. A closure whose relation equals it takes no iteration: the relation is then
/// its own closure, provided the iterate is T-transitive on the relation's block. That holds on
/// the block of the closure that left it (and on every leading block inside it, since a
/// principal block of a T-transitive relation is T-transitive), but not beyond it, where older
/// entries of larger dimensions remain; so the size of that block is kept too.
struct ClosureMemory {
    RelationMatrix minClosurePrev{}, prodClosurePrev{}, wClosurePrev{};
    /// Leading block of each previous iterate known to be T-transitive: all of it for zeros;
    /// the dimension of the last closure that settled; 0 after one stopped by the W limit.
    std::array<int, kTNormCount> transitiveDimension{kLargestDimension, kLargestDimension, kLargestDimension};

    RelationMatrix& Previous(TNorm t) { return this->*kPrevious[t]; }
    const RelationMatrix& Previous(TNorm t) const { return this->*kPrevious[t]; }

private:
    static constexpr RelationMatrix ClosureMemory::*kPrevious[kTNormCount] = {
        &ClosureMemory::minClosurePrev, &ClosureMemory::prodClosurePrev, &ClosureMemory::wClosurePrev};
};

/// Smallest dimension whose closures and transitivizations are spread over the cores (160 at
/// start; below it an analysis takes milliseconds; the transitivizations only up to
/// kSideBySideLargest). Results never depend on it: tests lower it to
/// run the shared paths at every size.
int ParallelDimension();
void SetParallelDimension(int n);

/// From this dimension on, the working space of a closure or a transitivization is given back
/// when it ends, so that an analysis holds each only while it is used (below it, the space is
/// kept for the next one, as an analysis there takes milliseconds).
inline constexpr int kScratchKeptBelow = 1000;

/// What lets the caller of a long analysis follow it and stop it, from any thread: the analysis
/// reads `stop` between iterations and every few thousand steps, and counts what it has done.
struct AnalysisControl {
    std::atomic<bool> stop{false};
    std::atomic<int> closuresDone{0};
    std::array<std::atomic<long long>, kTNormCount> stepsDone{};
    /// How far an analysis at dimension n has gone, from 0 to 1: each closure and each
    /// transitivization a sixth (a closure counts once it has settled).
    double Fraction(int n) const;
    /// Throws AnalysisStopped when asked to stop.
    void CheckStop() const;
};

/// An analysis asked to stop before its end; what it was writing is incomplete.
class AnalysisStopped : public std::runtime_error {
public:
    AnalysisStopped() : std::runtime_error("análisis detenido") {}
};

/// True when the closure of `relation` takes no iteration with this memory: the relation equals
/// the previous iterate on its n × n block, and that block is T-transitive. The memory must hold
/// an n × n block (ComputeClosure and Engine::Reserve grow it).
bool ClosureShortcut(TNorm t, int n, const RelationMatrix& relation, const ClosureMemory& memory);

/// T-transitive closure of `relation` into M by repeated max-T squaring, the previous iterate
/// kept in `memory` (see ClosureShortcut). Only the n × n blocks are read and written.
ClosureCounts ComputeClosure(TNorm t, int n, const RelationMatrix& relation, RelationMatrix& M,
                             ClosureMemory& memory, const AnalysisControl* control = nullptr);

}  // namespace engine

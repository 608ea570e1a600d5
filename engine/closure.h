#pragma once

#include "engine/relation_matrix.h"
#include "engine/tnorm.h"

namespace engine {

/// The W closure stops after this many iterations; Min and Prod have no limit.
inline constexpr int kWIterationLimit = 100;

struct ClosureCounts {
    int iterCount = 0;  ///< iterations, the final unchanged one included
    int incrCount = 0;  ///< entries raised, summed over all iterations
};

/// T-transitive closure of `relation` into M by repeated max-T squaring. P holds the previous
/// iterate and persists between calls: when the relation equals it, no iteration runs.
ClosureCounts ComputeClosure(TNorm t, int n, const RelationMatrix& relation, RelationMatrix& M,
                             RelationMatrix& P);

}  // namespace engine

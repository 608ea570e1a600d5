#pragma once

#include "engine/closure.h"
#include "engine/relation_matrix.h"
#include "engine/tnorm_family.h"

namespace engine {

/// Every closure but those of Min and Prod stops after this many iterations.
inline constexpr int kFamilyIterationLimit = 100;

/// What the closure of one t-norm keeps from one analysis to the next (as ClosureMemory does
/// for the three of the program), and its scratch, so that a closure allocates nothing. About
/// 300 KB: make it on the heap.
struct FamilyClosureMemory {
    ClosureMemory core;  ///< used when the t-norm is Min, Prod or W
    RelationMatrix previous{};
    int transitiveDimension = MAX_DIM;
    /// f of the iterate for the families computed through their generator; rows padded.
    double generator[MAX_DIM][104];
};

/// T-transitive closure of the n × n block of `relation` into M by repeated max-T squaring,
/// with the counts of ComputeClosure. Min, Prod and W (also when a family reaches them at a
/// limit of its parameter) are computed by the program's own kernels, bit for bit; every
/// other t-norm computes T in double and stores each maximum as a float, and stops after
/// kFamilyIterationLimit iterations (converged false).
ClosureCounts ComputeClosure(const AnyTNorm& t, int n, const RelationMatrix& relation, RelationMatrix& M,
                             FamilyClosureMemory& memory);

/// T-transitivization of the n × n block of `relation` into X and O, the technique of
/// Transitivize with the lowered entry given I_T(other factor, v). Min, Prod and W as there,
/// bit for bit. Throws TNormError for a t-norm that is not left-continuous (the drastic one):
/// it has no residual implication to lower with.
int Transitivize(const AnyTNorm& t, int n, const RelationMatrix& relation, RelationMatrix& X, RelationMatrix& O,
                 bool symmetrizing);

}  // namespace engine

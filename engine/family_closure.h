#pragma once

#include <vector>

#include "engine/closure.h"
#include "engine/relation_matrix.h"
#include "engine/tnorm_family.h"

namespace engine {

/// Every closure but those of Min and Prod stops after this many iterations.
inline constexpr int kFamilyIterationLimit = 100;

/// f of a closure's iterate, for the families computed through their generator: n rows padded
/// to `stride` columns, and one row of minima. Grows with the dimension and is kept.
struct GeneratorMatrix {
    int stride = 0;
    std::vector<double> values, best;
    void Size(int n, int paddedColumns) {
        stride = paddedColumns;
        const auto need = static_cast<std::size_t>(n) * static_cast<std::size_t>(stride);
        if (values.size() < need) values.resize(need);
        if (best.size() < static_cast<std::size_t>(stride)) best.resize(static_cast<std::size_t>(stride));
    }
    double* row(int i) { return values.data() + static_cast<std::size_t>(i) * static_cast<std::size_t>(stride); }
};

/// What the closure of one t-norm keeps from one analysis to the next (as ClosureMemory does
/// for the three of the program), and its scratch, so that a closure allocates only when the
/// dimension grows.
struct FamilyClosureMemory {
    ClosureMemory core;  ///< used when the t-norm is Min, Prod or W
    RelationMatrix previous{};
    int transitiveDimension = kLargestDimension;
    GeneratorMatrix generator;
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

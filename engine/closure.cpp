#include "engine/closure.h"

namespace engine {

ClosureCounts ComputeClosure(TNorm t, int n, const RelationMatrix& relation, RelationMatrix& M,
                             RelationMatrix& P) {
    CheckDimension(n);
    ClosureCounts counts;
    MatrixCopy(n, relation, M);
    while (!MatrixEqual(n, M, P)) {
        if (t == W && counts.iterCount == kWIterationLimit) break;
        ++counts.iterCount;
        MatrixCopy(n, M, P);
        // M = max(P, P ∘T P); every factor comes from P, the iterate at the start.
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                float s = 0.0f;
                for (int k = 0; k < n; ++k) {
                    const double value = TNormValue(t, P[i][k], P[k][j]);
                    if (value > s) s = static_cast<float>(value);
                }
                if (M[i][j] < s) {
                    M[i][j] = s;
                    ++counts.incrCount;
                }
            }
        }
    }
    return counts;
}

}  // namespace engine

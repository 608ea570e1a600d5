#include "engine/transitivize.h"

namespace engine {

int Transitivize(TNorm t, int n, const RelationMatrix& relation, RelationMatrix& X, RelationMatrix& O,
                 bool symmetrizing) {
    CheckDimension(n);
    MatrixCopy(n, relation, X);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) O[i][j] = 0.0f;
    int reduced = 0;
    int p = 0, q = 0;
    for (int step = 1; step <= n * n; ++step) {
        // The unprocessed entry of smallest value below 1, first in row-major order; when none
        // is left, (p, q) stays the entry of the previous step.
        float m = 1.0f;
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j)
                if (X[i][j] < m && O[i][j] == 0.0f) {
                    m = X[i][j];
                    p = i;
                    q = j;
                }
        O[p][q] = static_cast<float>(step);
        const float v = X[p][q];
        for (int k = 0; k < n; ++k) {
            if (!(TNormValue(t, X[p][k], X[k][q]) > v)) continue;
            // Lower the smaller factor; on equal factors, (k, q).
            const bool lowerLeft = X[p][k] < X[k][q];
            const int li = lowerLeft ? p : k;
            const int lj = lowerLeft ? k : q;
            const float other = lowerLeft ? X[k][q] : X[p][k];
            const float lowered = LoweredValue(t, v, other);
            X[li][lj] = lowered;
            if (symmetrizing) X[lj][li] = lowered;
            ++reduced;
        }
    }
    return reduced;
}

}  // namespace engine

#pragma once

// The straightforward engine run, kept as the oracle for the fast one: the closure by full
// max-T squaring with i, j, k loops, and the transitivization that scans the whole matrix to
// select each entry (about n⁴ comparisons).

#include "engine/engine.h"

namespace reference {

/// The transitivization that scans the matrix for the least entry not yet visited, at each of
/// the n² steps: where `exceeds(X_pk, X_kq, X_pq)`, the smaller factor is lowered to
/// `lowered(X_pq, larger factor)` (on equal factors, (k, q)), and so is its mirror if
/// `symmetrizing`. `O` gets the step at which each entry was visited; returns the lowerings.
template <class Exceeds, class Lowered>
int ScanningTransitivize(const Exceeds& exceeds, const Lowered& lowered, int n, const engine::RelationMatrix& relation,
                         engine::RelationMatrix& X, engine::RelationMatrix& O, bool symmetrizing) {
    engine::MatrixCopy(n, relation, X);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) O[i][j] = 0.0f;
    int reduced = 0, p = 0, q = 0;
    for (int step = 1; step <= n * n; ++step) {
        float m = 1.0f;
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j)
                if (X[i][j] < m && O[i][j] == 0.0f) m = X[i][j], p = i, q = j;
        O[p][q] = static_cast<float>(step);
        const float v = X[p][q];
        for (int k = 0; k < n; ++k) {
            const float a = X[p][k], b = X[k][q];
            if (!exceeds(a, b, v)) continue;
            const int li = a < b ? p : k, lj = a < b ? k : q;
            X[li][lj] = static_cast<float>(lowered(v, a < b ? b : a));
            if (symmetrizing) X[lj][li] = X[li][lj];
            ++reduced;
        }
    }
    return reduced;
}

/// The matrices, counts, distances, texts and closure memory of Engine::AnalyzeRelation, by the
/// straightforward closure and transitivization (the comparisons and texts are the engine's own).
void AnalyzeRelation(engine::Engine& e);

}  // namespace reference

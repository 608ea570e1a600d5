#include "tests/engine/reference_engine.h"

#include "engine/compare.h"
#include "engine/transitivize.h"

namespace reference {

using engine::RelationMatrix;
using engine::TNorm;

static engine::ClosureCounts ReferenceClosure(TNorm t, int n, const RelationMatrix& relation,
                                              RelationMatrix& M, engine::ClosureMemory& memory) {
    engine::ClosureCounts counts;
    RelationMatrix& P = memory.Previous(t);
    engine::MatrixCopy(n, relation, M);
    // No iteration only for a relation equal to an iterate known to be T-transitive on its block.
    if (n <= memory.transitiveDimension[t] && engine::MatrixEqual(n, M, P)) return counts;
    do {
        // The W closure alone stops after 100 iterations.
        if (t == engine::W && counts.iterCount == 100) {
            counts.converged = false;
            break;
        }
        ++counts.iterCount;
        engine::MatrixCopy(n, M, P);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                float s = 0.0f;
                for (int k = 0; k < n; ++k) {
                    const double value = engine::TNormValue(t, P[i][k], P[k][j]);
                    if (value > s) s = static_cast<float>(value);
                }
                if (M[i][j] < s) {
                    M[i][j] = s;
                    ++counts.incrCount;
                }
            }
    } while (!engine::MatrixEqual(n, M, P));
    memory.transitiveDimension[t] = counts.converged ? n : 0;
    return counts;
}

static int ReferenceTransitivize(TNorm t, int n, const RelationMatrix& relation, RelationMatrix& X,
                                 RelationMatrix& O, bool symmetrizing) {
    engine::MatrixCopy(n, relation, X);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) O[i][j] = 0.0f;
    int reduced = 0, p = 0, q = 0;
    for (int step = 1; step <= n * n; ++step) {
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
        // On a violation the smaller factor is lowered; on equal factors, (k, q).
        for (int k = 0; k < n; ++k) {
            if (!(engine::TNormValue(t, X[p][k], X[k][q]) > v)) continue;
            const bool left = X[p][k] < X[k][q];
            const int li = left ? p : k, lj = left ? k : q;
            X[li][lj] = engine::LoweredValue(t, v, left ? X[k][q] : X[p][k]);
            if (symmetrizing) X[lj][li] = X[li][lj];
            ++reduced;
        }
    }
    return reduced;
}

void AnalyzeRelation(engine::Engine& e) {
    using engine::Direction;
    const int n = e.dimension;
    engine::Analysis& r = e.results;
    for (int t = engine::Min; t <= engine::W; ++t) {
        const auto tn = static_cast<TNorm>(t);
        r.closureCounts[t] = ReferenceClosure(tn, n, e.relation, r.Closure(tn), e.closureMemory);
        auto c = engine::CompareWithRelation(n, e.relation, r.Closure(tn), Direction::ClosureMinusRelation);
        r.d1Closure[t] = c.d1;
        r.d2Closure[t] = static_cast<float>(c.euclidean);
        r.resultText[engine::ClosureTextIndex(tn)] = engine::ClosureText(tn, r.closureCounts[t], c);
        // Closures and transitivizations are independent, so one loop gives the same results.
        r.reducedCount[t] = ReferenceTransitivize(tn, n, e.relation, r.Transitivized(tn), r.Order(tn),
                                                  e.variant().symmetrizing);
        c = engine::CompareWithRelation(n, e.relation, r.Transitivized(tn), Direction::RelationMinusTransitivized);
        r.d1Transitivized[t] = c.d1;
        r.d2Transitivized[t] = static_cast<float>(c.euclidean);
        r.resultText[engine::TransitivizedTextIndex(tn)] = engine::TransitivizedText(tn, c, r.reducedCount[t]);
    }
}

}  // namespace reference

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
        const auto exceeds = [&](float a, float b, float v) { return engine::TNormValue(tn, a, b) > v; };
        const auto lowered = [&](float v, float larger) { return engine::LoweredValue(tn, v, larger); };
        r.reducedCount[t] = ScanningTransitivize(exceeds, lowered, n, e.relation, r.Transitivized(tn), r.Order(tn),
                                                 e.variant().symmetrizing);
        c = engine::CompareWithRelation(n, e.relation, r.Transitivized(tn), Direction::RelationMinusTransitivized);
        r.d1Transitivized[t] = c.d1;
        r.d2Transitivized[t] = static_cast<float>(c.euclidean);
        r.resultText[engine::TransitivizedTextIndex(tn)] = engine::TransitivizedText(tn, c, r.reducedCount[t]);
    }
}

}  // namespace reference

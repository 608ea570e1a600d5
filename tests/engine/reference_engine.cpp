#include "tests/engine/reference_engine.h"

#include <cstdint>

#include "engine/compare.h"
#include "engine/transitivize.h"
#include "experiments/uinftab.h"

namespace reference {

using engine::RelationMatrix;
using engine::TNorm;

engine::ClosureCounts ComputeClosure(TNorm t, int n, const RelationMatrix& relation, RelationMatrix& M,
                                     RelationMatrix& P) {
    engine::CheckDimension(n);
    engine::ClosureCounts counts;
    engine::MatrixCopy(n, relation, M);
    while (!engine::MatrixEqual(n, M, P)) {
        if (t == engine::W && counts.iterCount == engine::kWIterationLimit) break;
        ++counts.iterCount;
        engine::MatrixCopy(n, M, P);
        for (int i = 0; i < n; ++i) {
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
        }
    }
    return counts;
}

int Transitivize(TNorm t, int n, const RelationMatrix& relation, RelationMatrix& X, RelationMatrix& O,
                 bool symmetrizing) {
    engine::CheckDimension(n);
    engine::MatrixCopy(n, relation, X);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) O[i][j] = 0.0f;
    int reduced = 0;
    int p = 0, q = 0;
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
        for (int k = 0; k < n; ++k) {
            if (!(engine::TNormValue(t, X[p][k], X[k][q]) > v)) continue;
            const bool lowerLeft = X[p][k] < X[k][q];
            const int li = lowerLeft ? p : k;
            const int lj = lowerLeft ? k : q;
            const float other = lowerLeft ? X[k][q] : X[p][k];
            const float lowered = engine::LoweredValue(t, v, other);
            X[li][lj] = lowered;
            if (symmetrizing) X[lj][li] = lowered;
            ++reduced;
        }
    }
    return reduced;
}

void AnalyzeRelation(engine::Engine& e) {
    using engine::Comparison;
    using engine::Direction;
    const int n = e.dimension;
    engine::CheckDimension(n);
    for (int t = engine::Min; t <= engine::W; ++t) {
        const auto tn = static_cast<TNorm>(t);
        e.closureCounts[t] = reference::ComputeClosure(tn, n, e.relation, e.Closure(tn), e.ClosurePrev(tn));
        const Comparison c = engine::CompareWithRelation(n, e.relation, e.Closure(tn), Direction::ClosureMinusRelation);
        e.d1Closure[t] = c.d1;
        e.resultText[engine::ClosureTextIndex(tn)] = engine::ClosureText(tn, e.closureCounts[t], c);
        e.d2Closure[t] = static_cast<float>(c.euclidean);
    }
    for (int t = engine::Min; t <= engine::W; ++t) {
        const auto tn = static_cast<TNorm>(t);
        e.reducedCount[t] =
            reference::Transitivize(tn, n, e.relation, e.Transitivized(tn), e.Order(tn), e.variant().symmetrizing);
        const Comparison c =
            engine::CompareWithRelation(n, e.relation, e.Transitivized(tn), Direction::RelationMinusTransitivized);
        e.d1Transitivized[t] = c.d1;
        e.resultText[engine::TransitivizedTextIndex(tn)] = engine::TransitivizedText(tn, c, e.reducedCount[t]);
        e.d2Transitivized[t] = static_cast<float>(c.euclidean);
    }
    for (int t = engine::Min; t <= engine::W; ++t) {
        uinftab::PlotPoint point;
        uinftab::PlotPointMake(point, static_cast<std::int32_t>(e.d1Closure[t]),
                               static_cast<std::int32_t>(e.d1Transitivized[t]));
        if (e.d1Closure[t] > e.d1Transitivized[t]) ++e.closureGreaterCount[t];
        else ++e.closureNotGreaterCount[t];
        if (e.pointSeries[t] != nullptr) uinftab::PointListAppend(e.pointSeries[t], point);
    }
}

void RunTrial(engine::Engine& e) {
    engine::CheckDimension(e.dimension);
    ++e.trialCount;
    if (e.swapPending) {
        e.SwapElements();
        e.swapPending = false;
    } else {
        e.GenerateRelation();
    }
    reference::AnalyzeRelation(e);
}

}  // namespace reference

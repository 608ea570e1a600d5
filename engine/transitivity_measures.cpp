#include "engine/transitivity_measures.h"

#include <algorithm>
#include <cmath>

#include "engine/lowering_methods.h"
#include "engine/tnorm_ops.h"

namespace engine {

namespace {

constexpr double kSmallestSubnormal = 0x1p-149;

template <class Op>
TransitivityMeasures Measure(const Op& op, int n, const RelationMatrix& X) {
    TransitivityMeasures m;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const float x = X[i][j];
            const double limit = static_cast<double>(x) + ViolationTolerance(x);
            for (int k = 0; k < n; ++k) {
                const double value = op.T(X[i][k], X[k][j]);
                if (!(value > limit)) continue;
                ++m.violations;
                if (value - x > m.largest) m.largest = value - x, m.i = i, m.j = j, m.k = k;
                m.degree = std::min(m.degree, op.I(value, x));
            }
        }
    }
    return m;
}

template <class Op>
std::vector<ViolatedEntry> Violated(const Op& op, int n, const RelationMatrix& X) {
    std::vector<ViolatedEntry> entries;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const float x = X[i][j];
            const double limit = static_cast<double>(x) + ViolationTolerance(x);
            int triples = 0;
            for (int k = 0; k < n; ++k) triples += op.T(X[i][k], X[k][j]) > limit;
            if (triples > 0) entries.push_back({i, j, triples});
        }
    }
    return entries;
}

}  // namespace

double ViolationTolerance(float x) {
    return 2.0 * (static_cast<double>(std::nextafter(x, 2.0f)) - static_cast<double>(x));
}

TransitivityMeasures MeasureTransitivity(const AnyTNorm& t, int n, const RelationMatrix& X) {
    CheckHolds(n, X);
    return ops::WithOp(t, [&](const auto& op) { return Measure(op, n, X); });
}

std::vector<ViolatedEntry> ViolatedEntries(const AnyTNorm& t, int n, const RelationMatrix& X) {
    CheckHolds(n, X);
    return ops::WithOp(t, [&](const auto& op) { return Violated(op, n, X); });
}

RiseMeasures MeasureRise(const AnyTNorm& t, int n, const RelationMatrix& relation, const RelationMatrix& X,
                         bool symmetrizing) {
    RelationMatrix bounds(n);
    RiseBounds(t, n, relation, X, symmetrizing, bounds);
    RiseMeasures m;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const float rise = bounds[i][j] - X[i][j];
            if (!(rise > 0.0f)) continue;
            ++m.risable;
            if (rise > m.largest) m.largest = rise, m.i = i, m.j = j;
        }
    }
    return m;
}

bool Below(int n, const RelationMatrix& X, const RelationMatrix& relation) {
    CheckHolds(n, X);
    CheckHolds(n, relation);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            if (X[i][j] > relation[i][j]) return false;
    return true;
}

std::vector<int> WitnessPath(const AnyTNorm& t, int n, const RelationMatrix& relation, const RelationMatrix& closure,
                             int i, int j) {
    CheckHolds(n, relation);
    CheckHolds(n, closure);
    if (i < 0 || i >= n || j < 0 || j >= n) return {};
    const double entry = closure[i][j];
    const double target = entry - 0x1p-20 * entry - kSmallestSubnormal;
    // best[v]: the largest fold over paths i → … → v of at most L steps; from[L][v]: the element
    // before v on that path when it has exactly L steps, −1 when a shorter one is as good.
    const auto size = static_cast<std::size_t>(n);
    std::vector<double> best(size), next(size);
    // Levels are added as the search deepens: a path has few steps, and n + 1 levels of a
    // large relation would take hundreds of megabytes.
    std::vector<std::vector<int>> from(2, std::vector<int>(size, -1));
    for (int v = 0; v < n; ++v) {
        best[v] = relation[i][v];
        from[1][v] = i;
    }
    int steps = 1;
    while (best[j] < target) {
        if (steps == n) return {};
        ++steps;
        from.emplace_back(size, -1);
        for (int v = 0; v < n; ++v) {
            next[v] = best[v];
            for (int u = 0; u < n; ++u) {
                const double value = t.T(best[u], relation[u][v]);
                if (value > next[v]) next[v] = value, from[steps][v] = u;
            }
        }
        best.swap(next);
    }
    std::vector<int> path{j};
    for (int v = j, level = steps; level >= 1; --level) {
        if (from[level][v] < 0) continue;
        v = from[level][v];
        path.push_back(v);
    }
    std::reverse(path.begin(), path.end());
    return path;
}

double FoldPath(const AnyTNorm& t, const RelationMatrix& relation, const std::vector<int>& path) {
    double fold = 1.0;
    for (std::size_t s = 1; s < path.size(); ++s) fold = t.T(fold, relation[path[s - 1]][path[s]]);
    return fold;
}

}  // namespace engine

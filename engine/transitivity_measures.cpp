#include "engine/transitivity_measures.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <type_traits>
#include <vector>

#include "engine/kernel_widths.h"
#include "engine/lowering_methods.h"
#include "engine/tnorm_ops.h"
#include "toolkit/machine.h"

namespace engine {

namespace {

constexpr double kSmallestSubnormal = 0x1p-149;
constexpr double kInf = std::numeric_limits<double>::infinity();
using ops::MinOp;
using ops::ProdOp;
using ops::WOp;

// One row i of the scan of every triple (i, j, k), kept per j: the violations and the largest
// T. The largest excess T − X[i][j] of a violation is that of the largest T (a rounded
// difference does not decrease when T grows); the first k that reaches it is looked for only
// for an entry whose excess is the largest so far. Doubles throughout, so that a vector unit
// runs the loop over j.
struct RowScan {
    std::vector<double> x, limit, count, top;
    void Start(int n, const float* row) {
        for (auto* v : {&x, &limit, &count, &top}) v->resize(static_cast<std::size_t>(n));
        for (int j = 0; j < n; ++j) {
            x[j] = row[j];
            limit[j] = x[j] + ViolationTolerance(row[j]);
            count[j] = 0.0;
            top[j] = -kInf;
        }
    }
};

// T of two stored floats in double for Min (0), Prod (1) and W (2, as WOp: (larger − 1) + smaller).
template <int Core>
WORKBENCH_INLINE double CoreT(double a, double b) {
    if constexpr (Core == 0) return std::min(a, b);
    else if constexpr (Core == 1) return a * b;
    else return (std::max(a, b) - 1.0) + std::min(a, b);
}

// The triples of row i for eight j from j0 (all k): violations and largest T into count and top.
// Kept in local arrays over the whole k loop, which the compiler turns into vector registers.
template <int Core>
WORKBENCH_INLINE void CoreBlock(int n, const float* row, const RelationMatrix& X, int j0, RowScan& r) {
    constexpr int kWidth = 8;
    double count[kWidth] = {}, top[kWidth], limit[kWidth];
    for (int l = 0; l < kWidth; ++l) top[l] = -kInf, limit[l] = r.limit[static_cast<std::size_t>(j0 + l)];
    for (int k = 0; k < n; ++k) {
        const double a = row[k];
        const float* b = X[k].data() + j0;
        for (int l = 0; l < kWidth; ++l) {
            const double v = CoreT<Core>(a, static_cast<double>(b[l]));
            // min(a, b) > limit, as both above it: the compiler would otherwise split the test
            // into two jumps, and the loop would not be vectorized.
            const bool violates = Core == 0 ? (a > limit[l]) & (static_cast<double>(b[l]) > limit[l]) : v > limit[l];
            count[l] += violates ? 1.0 : 0.0;
            top[l] = std::max(top[l], v);
        }
    }
    for (int l = 0; l < kWidth; ++l) r.count[static_cast<std::size_t>(j0 + l)] = count[l], r.top[static_cast<std::size_t>(j0 + l)] = top[l];
}

// All the triples of row i: blocks of eight j, then the rest one j at a time.
template <int Core>
WORKBENCH_INLINE void CoreRow(int n, const float* row, const RelationMatrix& X, RowScan& r) {
    int j0 = 0;
    for (; j0 + 8 <= n; j0 += 8) CoreBlock<Core>(n, row, X, j0, r);
    for (int j = j0; j < n; ++j)
        for (int k = 0; k < n; ++k) {
            const double v = CoreT<Core>(row[k], X[k][j]);
            r.count[static_cast<std::size_t>(j)] += v > r.limit[static_cast<std::size_t>(j)] ? 1.0 : 0.0;
            r.top[static_cast<std::size_t>(j)] = std::max(r.top[static_cast<std::size_t>(j)], v);
        }
}

WORKBENCH_KERNEL_WIDTHS void MinRow(int n, const float* row, const RelationMatrix& X, RowScan& r) { CoreRow<0>(n, row, X, r); }
WORKBENCH_KERNEL_WIDTHS void ProdRow(int n, const float* row, const RelationMatrix& X, RowScan& r) { CoreRow<1>(n, row, X, r); }
WORKBENCH_KERNEL_WIDTHS void WRow(int n, const float* row, const RelationMatrix& X, RowScan& r) { CoreRow<2>(n, row, X, r); }

// The same for a t-norm with an additive generator f (decreasing, f(1) = 0, f(0) = ∞), in sums of
// generator values: T(a, b) > limit exactly when f(a) + f(b) < f(limit), and the largest T is
// that of the smallest sum. A sum decides what T computed directly in double decides except
// within a few units of 1e-16 of the limit, far inside the two float steps of tolerance.
struct SumScan {
    std::vector<double> bound, count, least;
};
WORKBENCH_INLINE void SumBlock(int n, const double* G, std::size_t size, std::size_t i, std::size_t j0, SumScan& r) {
    constexpr int kWidth = 8;
    double count[kWidth] = {}, least[kWidth], bound[kWidth];
    for (int l = 0; l < kWidth; ++l) least[l] = kInf, bound[l] = r.bound[j0 + static_cast<std::size_t>(l)];
    for (int k = 0; k < n; ++k) {
        const double a = G[i * size + static_cast<std::size_t>(k)];
        const double* b = G + static_cast<std::size_t>(k) * size + j0;
        for (int l = 0; l < kWidth; ++l) {
            const double sum = a + b[l];
            count[l] += sum < bound[l] ? 1.0 : 0.0;
            least[l] = std::min(least[l], sum);
        }
    }
    for (int l = 0; l < kWidth; ++l) r.count[j0 + static_cast<std::size_t>(l)] = count[l], r.least[j0 + static_cast<std::size_t>(l)] = least[l];
}

WORKBENCH_KERNEL_WIDTHS void SumRow(int n, const double* G, std::size_t i, SumScan& r) {
    const auto size = static_cast<std::size_t>(n);
    std::size_t j0 = 0;
    for (; j0 + 8 <= size; j0 += 8) SumBlock(n, G, size, i, j0, r);
    for (std::size_t j = j0; j < size; ++j)
        for (std::size_t k = 0; k < size; ++k) {
            const double sum = G[i * size + k] + G[k * size + j];
            r.count[j] += sum < r.bound[j] ? 1.0 : 0.0;
            r.least[j] = std::min(r.least[j], sum);
        }
}

// What row i adds to the measures, in (j, k) order. `value(k, j)` is T(X[i][k], X[k][j]) as the
// scan of every triple computes it; `violates(k, j)` whether that triple violates.
template <class Value, class Violates, class Inverse>
void JoinRow(int i, int n, const RelationMatrix& X, const double* count, const double* top, const Value& value,
             const Violates& violates, const Inverse& implication, TransitivityMeasures& m,
             std::vector<ViolatedEntry>* entries) {
    for (int j = 0; j < n; ++j) {
        if (count[j] == 0.0) continue;
        const double x = X[i][j];
        m.violations += static_cast<long long>(count[j]);
        if (entries) entries->push_back({i, j, static_cast<int>(count[j])});
        if (top[j] - x > m.largest) {
            m.largest = top[j] - x, m.i = i, m.j = j;
            for (int k = 0; k < n; ++k)
                if (violates(k, j) && value(k, j) - x == m.largest) {
                    m.k = k;
                    break;
                }
        }
        // I is decreasing in its first argument: the largest T of the triples of (i, j) gives
        // the least degree among them.
        m.degree = std::min(m.degree, implication(top[j], x));
    }
}

template <class Op>
void AddRow(const Op& op, int i, int n, const RelationMatrix& X, RowScan& r, TransitivityMeasures& m,
            std::vector<ViolatedEntry>* entries) {
    const float* row = X[i].data();
    r.Start(n, row);
    if constexpr (std::is_same_v<Op, MinOp>) MinRow(n, row, X, r);
    else if constexpr (std::is_same_v<Op, ProdOp>) ProdRow(n, row, X, r);
    else if constexpr (std::is_same_v<Op, WOp>) WRow(n, row, X, r);
    else
        for (int k = 0; k < n; ++k)
            for (int j = 0; j < n; ++j) {
                const double v = op.T(row[k], X[k][j]);
                r.count[j] += v > r.limit[j] ? 1.0 : 0.0;
                r.top[j] = std::max(r.top[j], v);
            }
    const auto value = [&](int k, int j) { return op.T(row[k], X[k][j]); };
    JoinRow(i, n, X, r.count.data(), r.top.data(), value,
            [&](int k, int j) { return value(k, j) > r.limit[j]; },
            [&](double v, double x) { return op.I(v, x); }, m, entries);
}

void AddGeneratorRow(const AnyTNorm& t, int i, int n, const RelationMatrix& X, const std::vector<double>& G,
                     SumScan& r, std::vector<double>& top, TransitivityMeasures& m,
                     std::vector<ViolatedEntry>* entries) {
    const auto size = static_cast<std::size_t>(n);
    for (auto* v : {&r.bound, &r.count, &r.least, &top}) v->resize(size);
    for (int j = 0; j < n; ++j) {
        r.bound[j] = t.Generator(static_cast<double>(X[i][j]) + ViolationTolerance(X[i][j]));
        r.count[j] = 0.0;
        r.least[j] = kInf;
    }
    SumRow(n, G.data(), static_cast<std::size_t>(i), r);
    for (int j = 0; j < n; ++j) top[j] = r.count[j] > 0.0 ? t.GeneratorInverse(r.least[j]) : 0.0;
    const auto sum = [&](int k, int j) { return G[i * size + static_cast<std::size_t>(k)] + G[static_cast<std::size_t>(k) * size + static_cast<std::size_t>(j)]; };
    JoinRow(i, n, X, r.count.data(), top.data(), [&](int k, int j) { return t.GeneratorInverse(sum(k, j)); },
            [&](int k, int j) { return sum(k, j) < r.bound[j]; }, [&](double v, double x) { return t.I(v, x); }, m,
            entries);
}

// Rows in bands over the cores; each band's measures (and violated entries, when asked), joined
// in row order, are those of one scan in (i, j, k) order.
using RowFunction = std::function<void(int i, TransitivityMeasures&, std::vector<ViolatedEntry>*)>;
TransitivityMeasures Joined(int n, const RowFunction& row, std::vector<ViolatedEntry>* entries) {
    constexpr int kBand = 8;
    const int bands = (n + kBand - 1) / kBand;
    std::vector<TransitivityMeasures> parts(static_cast<std::size_t>(bands));
    std::vector<std::vector<ViolatedEntry>> found(entries ? static_cast<std::size_t>(bands) : 0);
    toolkit::ParallelFor(bands, [&](int b) {
        const auto part = static_cast<std::size_t>(b);
        for (int i = b * kBand; i < std::min(n, (b + 1) * kBand); ++i)
            row(i, parts[part], entries ? &found[part] : nullptr);
    });
    TransitivityMeasures m;
    for (const TransitivityMeasures& p : parts) {
        m.violations += p.violations;
        if (p.largest > m.largest) m.largest = p.largest, m.i = p.i, m.j = p.j, m.k = p.k;
        m.degree = std::min(m.degree, p.degree);
    }
    for (const auto& part : found) entries->insert(entries->end(), part.begin(), part.end());
    return m;
}

TransitivityMeasures Scan(const AnyTNorm& t, int n, const RelationMatrix& X, std::vector<ViolatedEntry>* entries) {
    CheckHolds(n, X);
    if (!t.Core() && t.HasGenerator()) {
        const auto size = static_cast<std::size_t>(n);
        std::vector<double> G(size * size);
        for (int i = 0; i < n; ++i)
            for (int k = 0; k < n; ++k) G[i * size + k] = t.Generator(X[i][k]);
        return Joined(n, [&](int i, TransitivityMeasures& m, std::vector<ViolatedEntry>* found) {
            thread_local SumScan scan;
            thread_local std::vector<double> top;
            AddGeneratorRow(t, i, n, X, G, scan, top, m, found);
        }, entries);
    }
    return ops::WithOp(t, [&](const auto& op) {
        return Joined(n, [&](int i, TransitivityMeasures& m, std::vector<ViolatedEntry>* found) {
            thread_local RowScan scan;
            AddRow(op, i, n, X, scan, m, found);
        }, entries);
    });
}

}  // namespace

double ViolationTolerance(float x) {
    return 2.0 * (static_cast<double>(std::nextafter(x, 2.0f)) - static_cast<double>(x));
}

TransitivityMeasures MeasureTransitivity(const AnyTNorm& t, int n, const RelationMatrix& X) {
    return Scan(t, n, X, nullptr);
}

std::vector<ViolatedEntry> ViolatedEntries(const AnyTNorm& t, int n, const RelationMatrix& X) {
    std::vector<ViolatedEntry> entries;
    Scan(t, n, X, &entries);
    return entries;
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

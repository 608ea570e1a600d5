#include "engine/family_closure.h"

#include <cmath>
#include <limits>
#include <vector>

#include "engine/transitivize_steps.h"
#include "engine/transitivize.h"

namespace engine {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr int kBlock = 8;

// One max-T squaring, T evaluated pair by pair. T(a, b) ≤ min(a, b), and a double within a
// few units of its last place of a float rounds to that float, so a pair with a factor not
// above the running maximum cannot raise it and is skipped: the result is the same, and most
// of the pairs of a relation near its closure are never evaluated.
int SquareDirect(const AnyTNorm& t, int n, const RelationMatrix& P, RelationMatrix& M) {
    int raised = 0;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            float s = M[i][j];
            for (int k = 0; k < n; ++k) {
                const float a = P[i][k], b = P[k][j];
                if (a <= s || b <= s) continue;
                const auto value = static_cast<float>(t.T(a, b));
                if (value > s) s = value;
            }
            if (M[i][j] < s) {
                M[i][j] = s;
                ++raised;
            }
        }
    }
    return raised;
}

// One max-T squaring through the additive generator f: max over k of T(a, b) is
// f⁻¹(min over k of f(a) + f(b)), so the k loop is a min-plus product over doubles that
// vectorizes, and f⁻¹ is taken once per entry, only where the minimum is below f of the entry.
// G holds f of the iterate P (padding columns +∞); it is brought up to date for the raised
// entries afterwards.
int SquareGenerator(const AnyTNorm& t, int n, const RelationMatrix& P, RelationMatrix& M, GeneratorMatrix& G) {
    const int blocks = (n + kBlock - 1) / kBlock;
    int raised = 0;
    std::vector<double>& best = G.best;
    for (int i = 0; i < n; ++i) {
        for (int b = 0; b < blocks; ++b) {
            double acc[kBlock];
            for (int jj = 0; jj < kBlock; ++jj) acc[jj] = kInf;
            for (int k = 0; k < n; ++k) {
                const double gik = G.row(i)[k];
                const double* row = G.row(k) + b * kBlock;
                for (int jj = 0; jj < kBlock; ++jj) {
                    const double sum = gik + row[jj];
                    acc[jj] = sum < acc[jj] ? sum : acc[jj];
                }
            }
            for (int jj = 0; jj < kBlock; ++jj) best[static_cast<std::size_t>(b * kBlock + jj)] = acc[jj];
        }
        for (int j = 0; j < n; ++j) {
            if (!(best[static_cast<std::size_t>(j)] < G.row(i)[j])) continue;
            const auto s = static_cast<float>(t.GeneratorInverse(best[static_cast<std::size_t>(j)]));
            if (M[i][j] < s) {
                M[i][j] = s;
                ++raised;
            }
        }
    }
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            if (M[i][j] != P[i][j]) G.row(i)[j] = t.Generator(M[i][j]);
    return raised;
}

}  // namespace

ClosureCounts ComputeClosure(const AnyTNorm& t, int n, const RelationMatrix& relation, RelationMatrix& M,
                             FamilyClosureMemory& memory) {
    CheckHolds(n, relation);
    if (const auto core = t.Core()) return ComputeClosure(*core, n, relation, M, memory.core);
    ClosureCounts counts;
    MatrixCopy(n, relation, M);
    RelationMatrix& P = memory.previous;
    P.Reserve(n);
    if (n <= memory.transitiveDimension && MatrixEqual(n, relation, P)) return counts;
    GeneratorMatrix& G = memory.generator;
    if (t.HasGenerator()) {
        const int padded = (n + kBlock - 1) / kBlock * kBlock;
        G.Size(n, padded);
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) G.row(i)[j] = t.Generator(M[i][j]);
            for (int j = n; j < padded; ++j) G.row(i)[j] = kInf;
        }
    }
    do {
        if (counts.iterCount == kFamilyIterationLimit) {
            counts.converged = false;
            break;
        }
        ++counts.iterCount;
        MatrixCopy(n, M, P);
        counts.incrCount += t.HasGenerator() ? SquareGenerator(t, n, P, M, G) : SquareDirect(t, n, P, M);
    } while (!MatrixEqual(n, M, P));
    memory.transitiveDimension = counts.converged ? n : 0;
    return counts;
}

namespace {

// The violation test of one step, T(X[p][k], X[k][q]) > v. Pairs with a factor not above v
// are no violation (T ≤ min), which also keeps rounding noise from reporting one.
struct DirectTest {
    const AnyTNorm& t;
    double v = 0;
    void Begin(float value) { v = value; }
    void Written(int, int, float) {}
    int Next(int p, int q, int start, int n, const RelationMatrix& X, const RelationMatrix& columns) const {
        for (int k = start; k < n; ++k) {
            const float a = X[p][k], b = columns[q][k];
            if (a > v && b > v && t.T(a, b) > v) return k;
        }
        return n;
    }
    float Lowered(float value, float other) const { return static_cast<float>(t.I(other, value)); }
};

// Through the generator: T(a, b) > v exactly when f(a) + f(b) < f(v), with f of every entry
// kept (by rows and by columns, n × n each) as entries are written.
struct GeneratorTest {
    const AnyTNorm& t;
    int n;
    std::vector<double>& rows;
    std::vector<double>& columns;
    double fv = 0;
    double& Row(int i, int j) { return rows[static_cast<std::size_t>(i) * static_cast<std::size_t>(n) + j]; }
    double& Column(int j, int i) { return columns[static_cast<std::size_t>(j) * static_cast<std::size_t>(n) + i]; }
    void Begin(float value) { fv = t.Generator(value); }
    void Written(int i, int j, float value) { Row(i, j) = Column(j, i) = t.Generator(value); }
    // The first k from `start` on that violates, or n: blocks of four tested at once (the block
    // loop vectorizes), as most steps find no violation at all.
    int Next(int p, int q, int start, int, const RelationMatrix&, const RelationMatrix&) const {
        const double* row = rows.data() + static_cast<std::size_t>(p) * static_cast<std::size_t>(n);
        const double* column = columns.data() + static_cast<std::size_t>(q) * static_cast<std::size_t>(n);
        int k = start;
        for (; k + 4 <= n; k += 4) {
            int hits = 0;
            for (int l = 0; l < 4; ++l) hits += row[k + l] + column[k + l] < fv;
            if (hits != 0) break;
        }
        for (; k < n; ++k)
            if (row[k] + column[k] < fv) return k;
        return n;
    }
    float Lowered(float value, float other) const { return static_cast<float>(t.I(other, value)); }
};

template <class Test>
int RunVariant(int n, const RelationMatrix& relation, RelationMatrix& X, RelationMatrix& O, bool symmetrizing,
               Test& test) {
    return symmetrizing ? TransitivizeSteps<true>(n, relation, X, O, test)
                        : TransitivizeSteps<false>(n, relation, X, O, test);
}

}  // namespace

int Transitivize(const AnyTNorm& t, int n, const RelationMatrix& relation, RelationMatrix& X, RelationMatrix& O,
                 bool symmetrizing) {
    CheckHolds(n, relation);
    if (!t.LeftContinuous())
        throw TNormError("la t-norma " + t.Name() +
                         " no es continua por la izquierda: no tiene implicación residual con la que transitivizar");
    if (const auto core = t.Core()) return Transitivize(*core, n, relation, X, O, symmetrizing);
    if (t.HasGenerator()) {
        thread_local std::vector<double> rows, columns;
        const auto entries = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
        if (rows.size() < entries) {
            rows.resize(entries);
            columns.resize(entries);
        }
        GeneratorTest test{t, n, rows, columns};
        return RunVariant(n, relation, X, O, symmetrizing, test);
    }
    DirectTest test{t};
    return RunVariant(n, relation, X, O, symmetrizing, test);
}

}  // namespace engine

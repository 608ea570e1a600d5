#include "engine/family_closure.h"

#include <cmath>
#include <limits>
#include <type_traits>

#include "engine/index_heap.h"
#include "engine/transitivize.h"

namespace engine {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr int kBlock = 8;
constexpr int kPaddedDim = sizeof(FamilyClosureMemory::generator[0]) / sizeof(double);
static_assert(kPaddedDim >= (MAX_DIM + kBlock - 1) / kBlock * kBlock);

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
int SquareGenerator(const AnyTNorm& t, int n, const RelationMatrix& P, RelationMatrix& M,
                    double (&G)[MAX_DIM][kPaddedDim]) {
    const int blocks = (n + kBlock - 1) / kBlock;
    int raised = 0;
    for (int i = 0; i < n; ++i) {
        alignas(16) double best[kPaddedDim];
        for (int b = 0; b < blocks; ++b) {
            double acc[kBlock];
            for (int jj = 0; jj < kBlock; ++jj) acc[jj] = kInf;
            for (int k = 0; k < n; ++k) {
                const double gik = G[i][k];
                const double* row = &G[k][b * kBlock];
                for (int jj = 0; jj < kBlock; ++jj) {
                    const double sum = gik + row[jj];
                    acc[jj] = sum < acc[jj] ? sum : acc[jj];
                }
            }
            for (int jj = 0; jj < kBlock; ++jj) best[b * kBlock + jj] = acc[jj];
        }
        for (int j = 0; j < n; ++j) {
            if (!(best[j] < G[i][j])) continue;
            const auto s = static_cast<float>(t.GeneratorInverse(best[j]));
            if (M[i][j] < s) {
                M[i][j] = s;
                ++raised;
            }
        }
    }
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            if (M[i][j] != P[i][j]) G[i][j] = t.Generator(M[i][j]);
    return raised;
}

}  // namespace

ClosureCounts ComputeClosure(const AnyTNorm& t, int n, const RelationMatrix& relation, RelationMatrix& M,
                             FamilyClosureMemory& memory) {
    CheckDimension(n);
    if (const auto core = t.Core()) return ComputeClosure(*core, n, relation, M, memory.core);
    ClosureCounts counts;
    MatrixCopy(n, relation, M);
    RelationMatrix& P = memory.previous;
    if (n <= memory.transitiveDimension && MatrixEqual(n, relation, P)) return counts;
    auto& G = memory.generator;
    if (t.HasGenerator()) {
        const int padded = (n + kBlock - 1) / kBlock * kBlock;
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) G[i][j] = t.Generator(M[i][j]);
            for (int j = n; j < padded; ++j) G[i][j] = kInf;
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
    bool Violates(int, int, int, float a, float b) const { return a > v && b > v && t.T(a, b) > v; }
};

// Through the generator: T(a, b) > v exactly when f(a) + f(b) < f(v), with f of every entry
// kept (by rows and by columns) as entries are written.
struct GeneratorTest {
    const AnyTNorm& t;
    double (&rows)[MAX_DIM][MAX_DIM];
    double (&columns)[MAX_DIM][MAX_DIM];
    double fv = 0;
    void Begin(float value) { fv = t.Generator(value); }
    void Written(int i, int j, float value) { rows[i][j] = columns[j][i] = t.Generator(value); }
    bool Violates(int p, int k, int q, float, float) const { return rows[p][k] + columns[q][k] < fv; }
    // The first k from `start` on that violates, or n: blocks of four tested at once (the block
    // loop vectorizes), as most steps find no violation at all.
    int Next(int p, int q, int start, int n) const {
        const double* row = rows[p];
        const double* column = columns[q];
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
};


// The first k from `start` on whose pair violates T-transitivity for step (p, q), or n; after a
// violation the search resumes at k + 1 over the values as they now are.
template <class Test>
int NextViolation(const Test& test, int p, int q, int start, int n, const RelationMatrix& X,
                  const RelationMatrix& columns) {
    if constexpr (std::is_same_v<Test, GeneratorTest>) {
        return test.Next(p, q, start, n);
    } else {
        for (int k = start; k < n; ++k)
            if (test.Violates(p, k, q, X[p][k], columns[q][k])) return k;
        return n;
    }
}

// The steps of Transitivize (see transitivize.cpp for the candidate heap and the transposed
// copy), with the violation test of `Test` and the lowered value I_T(other, v).
template <bool Symmetrizing, class Test>
int Run(const AnyTNorm& t, int n, const RelationMatrix& relation, RelationMatrix& X, RelationMatrix& O, Test& test) {
    MatrixCopy(n, relation, X);
    RelationMatrix columns;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            O[i][j] = 0.0f;
            columns[j][i] = X[i][j];
            test.Written(i, j, X[i][j]);
        }
    }
    IndexHeap candidates;
    candidates.Clear(n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            if (X[i][j] < 1.0f) candidates.AppendUnordered(i * MAX_DIM + j, X[i][j]);
    candidates.Heapify();

    const auto write = [&](int i, int j, float value) {
        X[i][j] = value;
        columns[j][i] = value;
        test.Written(i, j, value);
        const int id = i * MAX_DIM + j;
        const bool candidate = O[i][j] == 0.0f && value < 1.0f;
        if (candidates.Contains(id)) {
            if (candidate) candidates.Update(id, value);
            else candidates.Remove(id);
        } else if (candidate) {
            candidates.Insert(id, value);
        }
    };

    int reduced = 0;
    int p = 0, q = 0;
    for (int step = 1; step <= n * n; ++step) {
        if (!candidates.Empty()) {
            const int id = candidates.Top();
            candidates.Remove(id);
            p = id / MAX_DIM;
            q = id % MAX_DIM;
        }
        O[p][q] = static_cast<float>(step);
        const float v = X[p][q];
        test.Begin(v);
        for (int k = NextViolation(test, p, q, 0, n, X, columns); k < n;
             k = NextViolation(test, p, q, k + 1, n, X, columns)) {
            const float a = X[p][k], b = columns[q][k];
            const bool lowerLeft = a < b;
            const int li = lowerLeft ? p : k;
            const int lj = lowerLeft ? k : q;
            const auto lowered = static_cast<float>(t.I(lowerLeft ? b : a, v));
            write(li, lj, lowered);
            if (Symmetrizing) write(lj, li, lowered);
            ++reduced;
        }
    }
    return reduced;
}

template <class Test>
int RunVariant(const AnyTNorm& t, int n, const RelationMatrix& relation, RelationMatrix& X, RelationMatrix& O,
               bool symmetrizing, Test& test) {
    return symmetrizing ? Run<true>(t, n, relation, X, O, test) : Run<false>(t, n, relation, X, O, test);
}

}  // namespace

int Transitivize(const AnyTNorm& t, int n, const RelationMatrix& relation, RelationMatrix& X, RelationMatrix& O,
                 bool symmetrizing) {
    CheckDimension(n);
    if (!t.LeftContinuous())
        throw TNormError("la t-norma " + t.Name() +
                         " no es continua por la izquierda: no tiene implicación residual con la que transitivizar");
    if (const auto core = t.Core()) return Transitivize(*core, n, relation, X, O, symmetrizing);
    if (t.HasGenerator()) {
        struct Scratch {
            double rows[MAX_DIM][MAX_DIM], columns[MAX_DIM][MAX_DIM];
        } scratch;
        GeneratorTest test{t, scratch.rows, scratch.columns};
        return RunVariant(t, n, relation, X, O, symmetrizing, test);
    }
    DirectTest test{t};
    return RunVariant(t, n, relation, X, O, symmetrizing, test);
}

}  // namespace engine

#include "engine/transitivize.h"

#include "engine/index_heap.h"

namespace engine {

namespace {

constexpr int kLanes = 4;

// 1 when T(a, b) > v, exactly the violation test, else 0; as a double so that a block of
// these vectorizes together with the double t-norm values.
template <TNorm T>
inline double Violates(float a, float b, double v) {
    return TNormValue(T, a, b) > v ? 1.0 : 0.0;
}

// The first k in start … n − 1 with T(row[k], column[k]) > v, or n. Whole blocks of kLanes
// are tested at once (the block loop vectorizes); a block with a hit is then searched.
template <TNorm T>
int NextViolation(const float* row, const float* column, int start, int n, float v) {
    const double limit = v;
    int k = start;
    for (; k + kLanes <= n; k += kLanes) {
        double hit[kLanes];
        for (int l = 0; l < kLanes; ++l) hit[l] = Violates<T>(row[k + l], column[k + l], limit);
        if ((hit[0] + hit[1]) + (hit[2] + hit[3]) != 0.0) break;
    }
    for (; k < n; ++k)
        if (Violates<T>(row[k], column[k], limit) != 0.0) return k;
    return n;
}

// Every step takes the unprocessed entry of smallest value below 1, the first in row-major
// order among equals. Instead of scanning the matrix for it, the candidates live in a heap
// keyed by (value, row-major position), and every write to an entry re-files it: lowering
// moves it up, a mirror write may raise it (even to 1, when it stops being a candidate).
// The k loop of a step reads row p and column q; a transposed copy kept in step with X makes
// the column contiguous, so the violation test runs over whole blocks of k.
// A step then costs O(n + writes · log n) instead of O(n²).
template <TNorm T, bool Symmetrizing>
int Run(int n, const RelationMatrix& relation, RelationMatrix& X, RelationMatrix& O) {
    MatrixCopy(n, relation, X);
    RelationMatrix columns;  // columns[j][i] == X[i][j] on the n × n block
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            O[i][j] = 0.0f;
            columns[j][i] = X[i][j];
        }
    }

    IndexHeap candidates;
    candidates.Clear(n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            if (X[i][j] < 1.0f) candidates.AppendUnordered(i * MAX_DIM + j, X[i][j]);
    candidates.Heapify();

    // Writes (i, j) and keeps the heap equal to the set of unprocessed entries below 1.
    const auto write = [&](int i, int j, float value) {
        X[i][j] = value;
        columns[j][i] = value;
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
        // With no candidate left, (p, q) stays the entry of the previous step.
        if (!candidates.Empty()) {
            const int id = candidates.Top();
            candidates.Remove(id);
            p = id / MAX_DIM;
            q = id % MAX_DIM;
        }
        O[p][q] = static_cast<float>(step);
        const float v = X[p][q];
        // After each violation the search resumes at k + 1 over the values as they now are,
        // which is what the test of a plain k loop would read.
        for (int k = NextViolation<T>(X[p].data(), columns[q].data(), 0, n, v); k < n;
             k = NextViolation<T>(X[p].data(), columns[q].data(), k + 1, n, v)) {
            // Lower the smaller factor; on equal factors, (k, q).
            const bool lowerLeft = X[p][k] < X[k][q];
            const int li = lowerLeft ? p : k;
            const int lj = lowerLeft ? k : q;
            const float other = lowerLeft ? X[k][q] : X[p][k];
            const float lowered = LoweredValue(T, v, other);
            write(li, lj, lowered);
            if (Symmetrizing) write(lj, li, lowered);
            ++reduced;
        }
    }
    return reduced;
}

template <TNorm T>
int RunVariant(int n, const RelationMatrix& relation, RelationMatrix& X, RelationMatrix& O, bool symmetrizing) {
    return symmetrizing ? Run<T, true>(n, relation, X, O) : Run<T, false>(n, relation, X, O);
}

}  // namespace

int Transitivize(TNorm t, int n, const RelationMatrix& relation, RelationMatrix& X, RelationMatrix& O,
                 bool symmetrizing) {
    CheckDimension(n);
    switch (t) {
        case Min: return RunVariant<Min>(n, relation, X, O, symmetrizing);
        case Prod: return RunVariant<Prod>(n, relation, X, O, symmetrizing);
        case W: return RunVariant<W>(n, relation, X, O, symmetrizing);
    }
    return 0;
}

}  // namespace engine

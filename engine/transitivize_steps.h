#pragma once

#include <atomic>

#include "engine/closure.h"
#include "engine/index_heap.h"
#include "engine/relation_matrix.h"

namespace engine {

/// What one transitivization works in besides its results: a transposed copy of X and the heap
/// of candidates, whose places live in O while the steps run. One per thread
/// (ThreadTransitivizeScratch), grown with the dimension; kept for the next transitivization
/// below kScratchKeptBelow, given back after each one from there on.
struct TransitivizeScratch {
    RelationMatrix columns = RelationMatrix(0);  // columns[j][i] == X[i][j] on the n × n block
    IndexHeap candidates;
    void Release() {
        columns = RelationMatrix(0);
        candidates.Release();
    }
};

TransitivizeScratch& ThreadTransitivizeScratch();

/// The steps of the transitivization of `relation` into X and O, for every t-norm. Every step
/// takes the unprocessed entry of smallest value below 1, the first in row-major order among
/// equals. Instead of scanning the matrix for it, the candidates live in a heap keyed by
/// (value, row-major position), and every write to an entry re-files it: lowering moves it up,
/// a mirror write may raise it (even to 1, when it stops being a candidate). The k loop of a
/// step reads row p and column q; the transposed copy, kept in step with X, makes the column
/// contiguous, so the violation test runs over whole blocks of k. A step then costs
/// O(n + writes · log n) instead of O(n²).
///
/// `test` tells the violations and the lowered values:
///   Begin(v)                       before the k loop of a step whose entry holds v;
///   Written(i, j, value)           after every write to X (and once per entry at the start);
///   Next(p, q, start, n, X, cols)  the first k ≥ start with T(X[p][k], X[k][q]) > v, or n;
///   Lowered(v, other)              the value of the lowered factor.
/// With `stepsDone`, the steps are counted there every few thousand, and `control` is asked
/// whether to stop as often.
template <bool Symmetrizing, class Test>
int TransitivizeSteps(int n, const RelationMatrix& relation, RelationMatrix& X, RelationMatrix& O, Test& test,
                      const AnalysisControl* control = nullptr, std::atomic<long long>* stepsDone = nullptr) {
    MatrixCopy(n, relation, X);
    O.Reserve(n);
    TransitivizeScratch& scratch = ThreadTransitivizeScratch();
    struct Released {
        TransitivizeScratch& scratch;
        bool release;
        ~Released() {
            if (release) scratch.Release();
        }
    } released{scratch, n >= kScratchKeptBelow};
    RelationMatrix& columns = scratch.columns;
    columns.Reserve(n);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            O[i][j] = 0.0f;
            columns[j][i] = X[i][j];
            test.Written(i, j, X[i][j]);
        }
    }

    // An entry's id is its place in O's storage, which holds its place in the heap until it is
    // processed and its step from then on.
    const int stride = O.capacity();
    IndexHeap& candidates = scratch.candidates;
    candidates.Clear(static_cast<std::size_t>(n) * static_cast<std::size_t>(n), O[0].data());
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            if (X[i][j] < 1.0f) candidates.AppendUnordered(i * stride + j, X[i][j]);
    candidates.Heapify();

    // Writes (i, j) and keeps the heap equal to the set of unprocessed entries below 1.
    const auto write = [&](int i, int j, float value) {
        X[i][j] = value;
        columns[j][i] = value;
        test.Written(i, j, value);
        const int id = i * stride + j;
        if (candidates.Contains(id)) {
            if (value < 1.0f) candidates.Update(id, value);
            else candidates.Remove(id);
        } else if (value < 1.0f && O[i][j] == 0.0f) {
            candidates.Insert(id, value);
        }
    };

    int reduced = 0;
    int p = 0, q = 0;
    const long long steps = static_cast<long long>(n) * n;
    for (long long step = 1; step <= steps; ++step) {
        if (control && step % 4096 == 0) {
            control->CheckStop();
            if (stepsDone) stepsDone->store(step, std::memory_order_relaxed);
        }
        // With no candidate left, (p, q) stays the entry of the previous step.
        if (!candidates.Empty()) {
            const int id = candidates.Top();
            candidates.Remove(id);
            p = id / stride;
            q = id % stride;
        }
        O[p][q] = static_cast<float>(step);
        const float v = X[p][q];
        test.Begin(v);
        // After each violation the search resumes at k + 1 over the values as they now are,
        // which is what the test of a plain k loop would read.
        for (int k = test.Next(p, q, 0, n, X, columns); k < n; k = test.Next(p, q, k + 1, n, X, columns)) {
            // Lower the smaller factor; on equal factors, (k, q).
            const float a = X[p][k], b = columns[q][k];
            const bool lowerLeft = a < b;
            const int li = lowerLeft ? p : k;
            const int lj = lowerLeft ? k : q;
            const float lowered = test.Lowered(v, lowerLeft ? b : a);
            write(li, lj, lowered);
            if (Symmetrizing) write(lj, li, lowered);
            ++reduced;
        }
    }
    // Entries lowered below 1 by the last steps, never processed, leave the heap: their order is 0.
    candidates.Drain();
    if (stepsDone) stepsDone->store(steps, std::memory_order_relaxed);
    return reduced;
}

}  // namespace engine

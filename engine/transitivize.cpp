#include "engine/transitivize.h"

#include "engine/kernel_widths.h"
#include "engine/transitivize_steps.h"

namespace engine {

namespace {

// Blocks of k tested at once: short ones where the scans are short and often cut by a
// violation (small dimensions), in baseline code; wide ones compiled for the processor's
// vector width beyond (the wider units, AVX-512 above all, lower the clock of some processors
// for a while, which short scans do not repay).
constexpr int kShortLanes = 4, kWideLanes = 16;
constexpr int kWideScanDimension = 256;

// True when T(a, b) > v, exactly the violation test. For Min the test needs no double: the
// minimum is one of the two floats, and it exceeds v exactly when both do.
template <TNorm T>
inline bool Violates(float a, float b, float v) {
    if constexpr (T == Min) return a > v && b > v;
    else return TNormValue(T, a, b) > static_cast<double>(v);
}

// The first k in start … n − 1 with T(row[k], column[k]) > v, or n. Whole blocks of kLanes
// are tested at once, their results or-ed together (the block loop vectorizes into compares
// and masks); a block with a hit is then searched.
template <TNorm T, int kLanes>
WORKBENCH_INLINE int NextViolationIn(const float* row, const float* column, int start, int n, float v) {
    int k = start;
    for (; k + kLanes <= n; k += kLanes) {
        bool any = false;
        for (int l = 0; l < kLanes; ++l) any |= Violates<T>(row[k + l], column[k + l], v);
        if (any) break;
    }
    for (; k < n; ++k)
        if (Violates<T>(row[k], column[k], v)) return k;
    return n;
}

WORKBENCH_KERNEL_WIDTHS int NextMinViolation(const float* row, const float* column, int start, int n, float v) {
    return NextViolationIn<Min, kWideLanes>(row, column, start, n, v);
}
WORKBENCH_KERNEL_WIDTHS int NextProdViolation(const float* row, const float* column, int start, int n, float v) {
    return NextViolationIn<Prod, kWideLanes>(row, column, start, n, v);
}
WORKBENCH_KERNEL_WIDTHS int NextWViolation(const float* row, const float* column, int start, int n, float v) {
    return NextViolationIn<W, kWideLanes>(row, column, start, n, v);
}

// The short blocks: 1 or 0 per lane as a double, so that a block vectorizes together with the
// double t-norm values, and the four summed.
template <TNorm T>
inline int NextViolationShort(const float* row, const float* column, int start, int n, float v) {
    const double limit = v;
    const auto hit = [limit](float a, float b) { return TNormValue(T, a, b) > limit ? 1.0 : 0.0; };
    int k = start;
    for (; k + kShortLanes <= n; k += kShortLanes) {
        double h[kShortLanes];
        for (int l = 0; l < kShortLanes; ++l) h[l] = hit(row[k + l], column[k + l]);
        if ((h[0] + h[1]) + (h[2] + h[3]) != 0.0) break;
    }
    for (; k < n; ++k)
        if (hit(row[k], column[k]) != 0.0) return k;
    return n;
}

template <TNorm T>
int NextViolation(const float* row, const float* column, int start, int n, float v) {
    if (n < kWideScanDimension) return NextViolationShort<T>(row, column, start, n, v);
    if constexpr (T == Min) return NextMinViolation(row, column, start, n, v);
    else if constexpr (T == Prod) return NextProdViolation(row, column, start, n, v);
    else return NextWViolation(row, column, start, n, v);
}

// The violation test of the program's t-norms over whole blocks of k.
template <TNorm T>
struct CoreTest {
    float v = 0.0f;
    void Begin(float value) { v = value; }
    void Written(int, int, float) {}
    int Next(int p, int q, int start, int n, const RelationMatrix& X, const RelationMatrix& columns) const {
        return NextViolation<T>(X[p].data(), columns[q].data(), start, n, v);
    }
    float Lowered(float value, float other) const { return LoweredValue(T, value, other); }
};

template <TNorm T>
int RunVariant(int n, const RelationMatrix& relation, RelationMatrix& X, RelationMatrix& O, bool symmetrizing,
               AnalysisControl* control) {
    CoreTest<T> test;
    std::atomic<long long>* steps = control ? &control->stepsDone[T] : nullptr;
    return symmetrizing ? TransitivizeSteps<true>(n, relation, X, O, test, control, steps)
                        : TransitivizeSteps<false>(n, relation, X, O, test, control, steps);
}

}  // namespace

TransitivizeScratch& ThreadTransitivizeScratch() {
    thread_local TransitivizeScratch scratch;
    return scratch;
}

int Transitivize(TNorm t, int n, const RelationMatrix& relation, RelationMatrix& X, RelationMatrix& O,
                 bool symmetrizing, AnalysisControl* control) {
    CheckHolds(n, relation);
    switch (t) {
        case Min: return RunVariant<Min>(n, relation, X, O, symmetrizing, control);
        case Prod: return RunVariant<Prod>(n, relation, X, O, symmetrizing, control);
        case W: return RunVariant<W>(n, relation, X, O, symmetrizing, control);
    }
    return 0;
}

}  // namespace engine

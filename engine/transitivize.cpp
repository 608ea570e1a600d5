#include "engine/transitivize.h"

#include "engine/transitivize_steps.h"

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
int RunVariant(int n, const RelationMatrix& relation, RelationMatrix& X, RelationMatrix& O, bool symmetrizing) {
    CoreTest<T> test;
    return symmetrizing ? TransitivizeSteps<true>(n, relation, X, O, test)
                        : TransitivizeSteps<false>(n, relation, X, O, test);
}

}  // namespace

TransitivizeScratch& ThreadTransitivizeScratch() {
    thread_local TransitivizeScratch scratch;
    return scratch;
}

int Transitivize(TNorm t, int n, const RelationMatrix& relation, RelationMatrix& X, RelationMatrix& O,
                 bool symmetrizing) {
    CheckHolds(n, relation);
    switch (t) {
        case Min: return RunVariant<Min>(n, relation, X, O, symmetrizing);
        case Prod: return RunVariant<Prod>(n, relation, X, O, symmetrizing);
        case W: return RunVariant<W>(n, relation, X, O, symmetrizing);
    }
    return 0;
}

}  // namespace engine

#include "engine/closure.h"

namespace engine {

namespace {

// Columns are processed in blocks of kBlock; the iterate is copied into a scratch whose rows
// are padded with zeros to a whole number of blocks, so the block loop has a fixed length
// and vectorizes, and its accumulators stay in registers across the k loop.
constexpr int kBlock = 8;
constexpr int kPaddedDim = (MAX_DIM + kBlock - 1) / kBlock * kBlock;

struct alignas(16) PaddedMatrix {
    float row[MAX_DIM][kPaddedDim];
};

// acc[jj] = max(acc[jj], value) with the strict comparison of the straightforward form.
inline void Raise(float& acc, float value) { acc = value > acc ? value : acc; }

// The kernels: acc[jj] = max(acc[jj], T(a, b[jj]) rounded to 32 bits) for one block.
//
// Min: the value is one of the two operands, exactly as SmallerOf picks it.
struct MinKernel {
    static void Accumulate(float a, const float* b, float* acc) {
        for (int jj = 0; jj < kBlock; ++jj) Raise(acc[jj], a < b[jj] ? a : b[jj]);
    }
};

// Prod: the double product of two floats is exact, so one float multiplication rounds it
// the same way.
struct ProdKernel {
    static void Accumulate(float a, const float* b, float* acc) {
        for (int jj = 0; jj < kBlock; ++jj) Raise(acc[jj], a * b[jj]);
    }
};

// W as TNormW forms it: a + b, then − 1, in double. Rounding is monotone, so clamping the
// rounded value at 1 gives what rounding the clamped one gives; in this form it vectorizes.
struct WDoubleKernel {
    static void Accumulate(float a, const float* b, float* acc) {
        for (int jj = 0; jj < kBlock; ++jj) {
            const float sum = static_cast<float>(static_cast<double>(a) + static_cast<double>(b[jj]) - 1.0);
            Raise(acc[jj], sum > 1.0f ? 1.0f : sum);
        }
    }
};

// W in float arithmetic, valid when every entry is 0 or in [2^-28, 1] (WFloatExact). Then
// a + b is exact in double (at most 52 significant bits) and so is subtracting 1 when the
// sum is at least 0.5, so TNormW's value is a + b − 1 exactly, rounded once to float, and
// never above 1. With c = max(a, b) ≥ 0.5, c − 1 is exact in float and (c − 1) + the other
// operand is that same single rounding. When both are below 0.5, both forms are negative
// and never raise the maximum, which starts at 0.
struct WFloatKernel {
    static void Accumulate(float a, const float* b, float* acc) {
        if (a >= 0.5f) {
            const float aMinusOne = a - 1.0f;
            for (int jj = 0; jj < kBlock; ++jj) Raise(acc[jj], aMinusOne + b[jj]);
        } else {
            for (int jj = 0; jj < kBlock; ++jj) Raise(acc[jj], (b[jj] - 1.0f) + a);
        }
    }
};

constexpr float kWFloatFloor = 0x1p-28f;

bool WFloatExact(int n, const PaddedMatrix& S) {
    bool exact = true;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const float x = S.row[i][j];
            exact &= x == 0.0f || (x >= kWFloatFloor && x <= 1.0f);
        }
    return exact;
}

// One max-T squaring: M = max(M, S ∘T S) over the n × n block, S holding the iterate at the
// start of the iteration. Returns the number of raised entries.
//
// The straightforward form keeps s as a float and replaces it by the rounded value t whenever
// t > s. Rounding to float is monotone, so that s ends as the rounded maximum of the t values
// (or 0 when none is positive), whatever the order of k; the maximum of the rounded values,
// started at +0 and taken with a strict comparison, is the same float, bit for bit.
template <class Kernel>
int Square(int n, const PaddedMatrix& S, RelationMatrix& M) {
    const int blocks = (n + kBlock - 1) / kBlock;
    int raised = 0;
    for (int i = 0; i < n; ++i) {
        alignas(16) float best[kPaddedDim];
        for (int b = 0; b < blocks; ++b) {
            float acc[kBlock] = {};
            for (int k = 0; k < n; ++k) Kernel::Accumulate(S.row[i][k], &S.row[k][b * kBlock], acc);
            for (int jj = 0; jj < kBlock; ++jj) best[b * kBlock + jj] = acc[jj];
        }
        MatrixRow& target = M[i];
        for (int j = 0; j < n; ++j) {
            if (target[j] < best[j]) {
                target[j] = best[j];
                ++raised;
            }
        }
    }
    return raised;
}

template <TNorm T>
int SquareWith(int n, const PaddedMatrix& S, RelationMatrix& M) {
    if constexpr (T == Min) return Square<MinKernel>(n, S, M);
    else if constexpr (T == Prod) return Square<ProdKernel>(n, S, M);
    else return WFloatExact(n, S) ? Square<WFloatKernel>(n, S, M) : Square<WDoubleKernel>(n, S, M);
}

template <TNorm T>
ClosureCounts Close(int n, const RelationMatrix& relation, RelationMatrix& M, ClosureMemory& memory) {
    ClosureCounts counts;
    MatrixCopy(n, relation, M);
    if (ClosureShortcut(T, n, relation, memory)) return counts;
    RelationMatrix& P = memory.Previous(T);
    PaddedMatrix S;
    const int padded = (n + kBlock - 1) / kBlock * kBlock;
    for (int i = 0; i < n; ++i)
        for (int j = n; j < padded; ++j) S.row[i][j] = 0.0f;
    // The first test compares with an iterate that is not transitive on this block (or differs):
    // the loop runs at least once.
    do {
        if (T == W && counts.iterCount == kWIterationLimit) {
            counts.converged = false;
            break;
        }
        ++counts.iterCount;
        MatrixCopy(n, M, P);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) S.row[i][j] = P[i][j];
        counts.incrCount += SquareWith<T>(n, S, M);
    } while (!MatrixEqual(n, M, P));
    memory.transitiveDimension[T] = counts.converged ? n : 0;
    return counts;
}

}  // namespace

bool ClosureShortcut(TNorm t, int n, const RelationMatrix& relation, const ClosureMemory& memory) {
    return n <= memory.transitiveDimension[t] && MatrixEqual(n, relation, memory.Previous(t));
}

ClosureCounts ComputeClosure(TNorm t, int n, const RelationMatrix& relation, RelationMatrix& M,
                             ClosureMemory& memory) {
    CheckDimension(n);
    switch (t) {
        case Min: return Close<Min>(n, relation, M, memory);
        case Prod: return Close<Prod>(n, relation, M, memory);
        case W: return Close<W>(n, relation, M, memory);
    }
    return {};
}

}  // namespace engine

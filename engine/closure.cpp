#include "engine/closure.h"

#include <algorithm>
#include <atomic>
#include <vector>

#include "engine/kernel_widths.h"
#include "toolkit/machine.h"

namespace engine {

namespace {

// Columns are processed in blocks of kBlock and rows in tiles of kTile; the iterate is copied
// into a scratch whose rows are padded with zeros to a whole number of blocks and whose row
// count is padded to a whole number of tiles, so the loops have fixed lengths and vectorize,
// and a tile's accumulators stay in registers across the k loop. T(0, x) = 0 for every
// t-norm, so the padding never raises anything.
constexpr int kBlock = 8;
constexpr int kTile = 4;

int RoundUp(int n, int step) { return (n + step - 1) / step * step; }

// The iterate at the start of an iteration, padded; lives from one closure to the next in the
// thread that runs them, so a closure allocates only when the dimension grows.
struct PaddedMatrix {
    int rows = 0, stride = 0;
    std::vector<float> values;
    // Rows raised by the previous iteration (as flags and as a list): the only k whose terms
    // can exceed what the previous iteration left in a row it did not raise.
    std::vector<char> rowRaised;
    std::vector<int> raisedRows;

    void Release() {
        std::vector<float>().swap(values);
        rows = stride = 0;
    }
    void Size(int n) {
        rows = RoundUp(n, kTile);
        stride = RoundUp(n, kBlock);
        const std::size_t need = static_cast<std::size_t>(rows) * static_cast<std::size_t>(stride);
        if (values.size() < need) values.resize(need);
        if (rowRaised.size() < static_cast<std::size_t>(rows)) rowRaised.resize(static_cast<std::size_t>(rows));
        raisedRows.reserve(static_cast<std::size_t>(rows));
    }
    float* row(int i) { return values.data() + static_cast<std::size_t>(i) * static_cast<std::size_t>(stride); }
    const float* row(int i) const {
        return values.data() + static_cast<std::size_t>(i) * static_cast<std::size_t>(stride);
    }
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
// operand is that same single rounding. When both are below 0.5, that form is negative and
// never raises the maximum, which starts at 0.
// Lane by lane, with no branch on the data: the larger operand less 1, plus the smaller.
struct WFloatKernel {
    static void Accumulate(float a, const float* b, float* acc) {
        for (int jj = 0; jj < kBlock; ++jj) {
            const float larger = a > b[jj] ? a : b[jj], smaller = a > b[jj] ? b[jj] : a;
            Raise(acc[jj], (larger - 1.0f) + smaller);
        }
    }
};

constexpr float kWFloatFloor = 0x1p-28f;

bool WFloatExact(int n, const PaddedMatrix& S) {
    bool exact = true;
    for (int i = 0; i < n; ++i) {
        const float* row = S.row(i);
        for (int j = 0; j < n; ++j) {
            const float x = row[j];
            exact &= x == 0.0f || (x >= kWFloatFloor && x <= 1.0f);
        }
    }
    return exact;
}

// Rows per band handed to one thread: small enough that the bands balance over the cores,
// large enough that a band's work dwarfs handing it over.
constexpr int kBandRows = 32;
std::atomic<int> gParallelDimension{160};

// One max-T squaring over the rows [first, last) (whole tiles): M = max(M, S ∘T S) there,
// S holding the iterate at the start of the iteration. Marks the raised rows in `raised` and
// returns the number of raised entries.
//
// The straightforward form keeps s as a float and replaces it by the rounded value t whenever
// t > s. Rounding to float is monotone, so that s ends as the rounded maximum of the t values
// (or 0 when none is positive), whatever the order of k and whichever k are left out whose
// values cannot exceed it; the maximum of the rounded values, started at +0 and taken with a
// strict comparison, is the same float, bit for bit. A tile whose rows the previous iteration
// did not raise takes only the k of raised rows: for any other k both factors are as they were
// then, and M already holds at least their T.
template <class Kernel>
WORKBENCH_INLINE int SquareBand(int n, const PaddedMatrix& S, bool firstIteration, int first, int last, RelationMatrix& M,
               char* raised) {
    const int blocks = S.stride / kBlock;
    int count = 0;
    for (int b = 0; b < blocks; ++b) {
        const int j0 = b * kBlock;
        for (int i0 = first; i0 < last; i0 += kTile) {
            bool full = firstIteration;
            for (int r = 0; r < kTile; ++r) full |= S.rowRaised[static_cast<std::size_t>(i0 + r)] != 0;
            float acc[kTile][kBlock] = {};
            const float* a[kTile];
            for (int r = 0; r < kTile; ++r) a[r] = S.row(i0 + r);
            if (full) {
                for (int k = 0; k < n; ++k) {
                    const float* bk = S.row(k) + j0;
                    for (int r = 0; r < kTile; ++r) Kernel::Accumulate(a[r][k], bk, acc[r]);
                }
            } else {
                for (const int k : S.raisedRows) {
                    const float* bk = S.row(k) + j0;
                    for (int r = 0; r < kTile; ++r) Kernel::Accumulate(a[r][k], bk, acc[r]);
                }
            }
            const int width = j0 + kBlock <= n ? kBlock : n - j0;
            for (int r = 0; r < kTile && i0 + r < n; ++r) {
                float* target = M[i0 + r].data() + j0;
                for (int jj = 0; jj < width; ++jj) {
                    if (target[jj] < acc[r][jj]) {
                        target[jj] = acc[r][jj];
                        ++count;
                        raised[i0 + r] = 1;
                    }
                }
            }
        }
    }
    return count;
}

using BandFunction = int (*)(int, const PaddedMatrix&, bool, int, int, RelationMatrix&, char*);

WORKBENCH_KERNEL_WIDTHS int MinBand(int n, const PaddedMatrix& S, bool f, int a, int b, RelationMatrix& M, char* r) {
    return SquareBand<MinKernel>(n, S, f, a, b, M, r);
}
WORKBENCH_KERNEL_WIDTHS int ProdBand(int n, const PaddedMatrix& S, bool f, int a, int b, RelationMatrix& M, char* r) {
    return SquareBand<ProdKernel>(n, S, f, a, b, M, r);
}
WORKBENCH_KERNEL_WIDTHS int WFloatBand(int n, const PaddedMatrix& S, bool f, int a, int b, RelationMatrix& M,
                                       char* r) {
    return SquareBand<WFloatKernel>(n, S, f, a, b, M, r);
}
WORKBENCH_KERNEL_WIDTHS int WDoubleBand(int n, const PaddedMatrix& S, bool f, int a, int b, RelationMatrix& M,
                                        char* r) {
    return SquareBand<WDoubleKernel>(n, S, f, a, b, M, r);
}

// One squaring of the whole block, in bands over the cores when it is large enough. Returns
// the number of raised entries and leaves the raised rows in `raised` (n flags).
int Square(BandFunction band, int n, const PaddedMatrix& S, bool firstIteration, RelationMatrix& M,
           std::vector<char>& raised) {
    std::fill_n(raised.begin(), n, 0);
    if (n < ParallelDimension()) return band(n, S, firstIteration, 0, S.rows, M, raised.data());
    const int bands = (S.rows + kBandRows - 1) / kBandRows;
    std::vector<int> counts(static_cast<std::size_t>(bands));
    toolkit::ParallelFor(bands, [&](int k) {
        const int first = k * kBandRows;
        const int last = std::min(first + kBandRows, S.rows);
        counts[static_cast<std::size_t>(k)] = band(n, S, firstIteration, first, last, M, raised.data());
    });
    int total = 0;
    for (const int c : counts) total += c;
    return total;
}

template <TNorm T>
BandFunction BandFor(int n, const PaddedMatrix& S) {
    if constexpr (T == Min) return MinBand;
    else if constexpr (T == Prod) return ProdBand;
    else return WFloatExact(n, S) ? WFloatBand : WDoubleBand;
}

thread_local PaddedMatrix tScratch;
thread_local std::vector<char> tRaised;

template <TNorm T>
ClosureCounts Close(int n, const RelationMatrix& relation, RelationMatrix& M, ClosureMemory& memory,
                    const AnalysisControl* control) {
    ClosureCounts counts;
    MatrixCopy(n, relation, M);
    RelationMatrix& P = memory.Previous(T);
    P.Reserve(n);  // grown with zeros, as if it had always been this large
    if (ClosureShortcut(T, n, relation, memory)) return counts;
    PaddedMatrix& S = tScratch;
    struct Released {
        PaddedMatrix& scratch;
        bool release;
        ~Released() {
            if (release) scratch.Release();
        }
    } released{S, n >= kScratchKeptBelow};
    S.Size(n);
    for (int i = 0; i < S.rows; ++i) std::fill(S.row(i) + (i < n ? n : 0), S.row(i) + S.stride, 0.0f);
    if (tRaised.size() < static_cast<std::size_t>(S.rows)) tRaised.resize(static_cast<std::size_t>(S.rows));
    // The first test compares with an iterate that is not transitive on this block (or differs):
    // the loop runs at least once.
    do {
        if (T == W && counts.iterCount == kWIterationLimit) {
            counts.converged = false;
            break;
        }
        if (control) control->CheckStop();
        ++counts.iterCount;
        MatrixCopy(n, M, P);
        for (int i = 0; i < n; ++i) std::copy_n(P[i].begin(), n, S.row(i));
        const bool first = counts.iterCount == 1;
        const int raised = Square(BandFor<T>(n, S), n, S, first, M, tRaised);
        counts.incrCount += raised;
        S.raisedRows.clear();
        for (int i = 0; i < S.rows; ++i) {
            S.rowRaised[static_cast<std::size_t>(i)] = i < n ? tRaised[static_cast<std::size_t>(i)] : 0;
            if (i < n && tRaised[static_cast<std::size_t>(i)]) S.raisedRows.push_back(i);
        }
        if (raised == 0) break;
    } while (true);
    memory.transitiveDimension[T] = counts.converged ? n : 0;
    return counts;
}

}  // namespace

int ParallelDimension() { return gParallelDimension.load(std::memory_order_relaxed); }
void SetParallelDimension(int n) { gParallelDimension.store(n, std::memory_order_relaxed); }

bool ClosureShortcut(TNorm t, int n, const RelationMatrix& relation, const ClosureMemory& memory) {
    return n <= memory.transitiveDimension[t] && MatrixEqual(n, relation, memory.Previous(t));
}

ClosureCounts ComputeClosure(TNorm t, int n, const RelationMatrix& relation, RelationMatrix& M,
                             ClosureMemory& memory, const AnalysisControl* control) {
    CheckHolds(n, relation);
    switch (t) {
        case Min: return Close<Min>(n, relation, M, memory, control);
        case Prod: return Close<Prod>(n, relation, M, memory, control);
        case W: return Close<W>(n, relation, M, memory, control);
    }
    return {};
}

double AnalysisControl::Fraction(int n) const {
    const double steps = static_cast<double>(n) * n;
    double done = closuresDone.load();
    for (const auto& s : stepsDone) done += std::min(1.0, static_cast<double>(s.load()) / steps);
    return done / (2 * kTNormCount);
}

void AnalysisControl::CheckStop() const {
    if (stop.load(std::memory_order_relaxed)) throw AnalysisStopped();
}

}  // namespace engine

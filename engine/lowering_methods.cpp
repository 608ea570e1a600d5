#include "engine/lowering_methods.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <utility>
#include <vector>

#include "engine/kernel_widths.h"
#include "engine/tnorm.h"
#include "engine/tnorm_ops.h"
#include "engine/transitivize.h"
#include "toolkit/machine.h"

namespace engine {

namespace {

using ops::WithOp;

const char* const kNames[kMethodCount] = {"cierre", "tecnica", "completada", "completa", "promedio", "simple"};

bool IsLinkage(Method method) {
    return method == Method::Completa || method == Method::Promedio || method == Method::Simple;
}

std::string Quoted(Method method) { return std::string("«") + MethodName(method) + "»"; }

// X and its transpose, kept in step, so that both the rows and the columns through an entry
// are read contiguously.
struct Sides {
    const RelationMatrix& X;
    const RelationMatrix& Xt;  // Xt[j][i] == X[i][j]
    /// Min, Prod or W, and every entry of X and of the relation in [0, 1]: the lane tests below apply.
    bool filtered;
    /// X is symmetric and stays so (pairs rise together): a pair's triangles through column i
    /// and row j are those through row i and column j, read the other way round.
    bool symmetric;
};

// ---- The triangle scans ----
//
// A scan looks for a k with T(v, a[k]) > b[k] (or T(a[k], v) > b[k]), the test in double of
// ops.h. For Min, Prod and W, on entries in [0, 1], a lane test gives the same answer and runs
// over whole blocks of kLanes, compiled for the processor's vector width:
//  - Min: the minimum is one of the two floats; it exceeds b exactly when both do.
//  - Prod: the test itself, in double lanes (the product of two floats is exact there). A
//    float product would tie with b wherever the lowering made b the rounded product, as it
//    does all over, and each tie would cost a test in double outside the vector loop.
//  - W: the test is exact: a double value above b ≥ 0 needs the larger operand above 0.5,
//    where larger − 1 is exact in float too, and then the double value is the exact sum
//    s = larger + smaller − 1. That sum is a multiple of the smaller operand's float step and
//    at most the smaller operand, so when s > b, s − b is at least b's float step: s rounded
//    to float stays above b.
// The t-norms are commutative, so one test serves both sides.
constexpr int kLanes = 16;

struct MinFilter {
    static bool Lane(float v, float a, float b) { return (v > b) & (a > b); }
};
// The product of two floats is exact in double: the lane test is the program's own.
struct ProdFilter {
    static bool Lane(float v, float a, float b) {
        return static_cast<double>(v) * static_cast<double>(a) > static_cast<double>(b);
    }
};
struct WFilter {
    static bool Lane(float v, float a, float b) {
        const float larger = v > a ? v : a, smaller = v > a ? a : v;
        return (larger - 1.0f) + smaller > b;
    }
};

// Two sides of an entry's triangles, scanned together: T(v, a[k]) (or T(a[k], v), the same for
// these t-norms) against b[k] for every k but s1 and s2.
struct Side {
    const float* a;
    const float* b;
    int s1, s2;
};

// 2k + s for the first k where the lane test holds on side s (0 for p, 1 for q, p first), or
// −1. Blocks of four times kLanes are tested first (one reduction of the lanes for the four),
// then the block of kLanes, then the lane.
template <class Filter>
WORKBENCH_INLINE int FirstFlagged(const Side& p, const Side& q, float v, int n) {
    const auto on = [&](const Side& s, int k) {
        return static_cast<int>(Filter::Lane(v, s.a[k], s.b[k])) & static_cast<int>(k != s.s1) &
               static_cast<int>(k != s.s2);
    };
    const auto any = [&](int k, auto lanes) {
        int found = 0;
        for (int l = 0; l < decltype(lanes)::value; ++l) found |= on(p, k + l) | on(q, k + l);
        return found != 0;
    };
    using Four = std::integral_constant<int, 4 * kLanes>;
    using One = std::integral_constant<int, kLanes>;
    int k = 0;
    while (k + Four::value <= n && !any(k, Four{})) k += Four::value;
    for (; k + kLanes <= n; k += kLanes)
        if (any(k, One{})) break;
    for (; k < n; ++k) {
        if (on(p, k) != 0) return 2 * k;
        if (on(q, k) != 0) return 2 * k + 1;
    }
    return -1;
}

WORKBENCH_KERNEL_WIDTHS int MinFlagged(Side p, Side q, float v, int n) {
    return FirstFlagged<MinFilter>(p, q, v, n);
}
WORKBENCH_KERNEL_WIDTHS int ProdFlagged(Side p, Side q, float v, int n) {
    return FirstFlagged<ProdFilter>(p, q, v, n);
}
WORKBENCH_KERNEL_WIDTHS int WFlagged(Side p, Side q, float v, int n) {
    return FirstFlagged<WFilter>(p, q, v, n);
}

template <class Op>
constexpr bool kCore = std::is_same_v<Op, ops::MinOp> || std::is_same_v<Op, ops::ProdOp> || std::is_same_v<Op, ops::WOp>;

// The lane test over two sides at once, as FirstFlagged.
template <class Op>
int FirstAboveOfTwo(const Side& p, const Side& q, float v, int n) {
    if constexpr (std::is_same_v<Op, ops::MinOp>) return MinFlagged(p, q, v, n);
    else if constexpr (std::is_same_v<Op, ops::ProdOp>) return ProdFlagged(p, q, v, n);
    else return WFlagged(p, q, v, n);
}

// The first k other than s1 and s2 with T(v, a[k]) > b[k] (left) or T(a[k], v) > b[k] (right),
// or −1, without the lane tests: whole blocks of eight are tested at once, without a branch inside
// (the block loop vectorizes); most scans that find one, find it in the first blocks.
template <class Op, bool Left>
int FirstAbove(const Op& op, const float* a, const float* b, float v, int n, int s1, int s2) {
    const auto hit = [&](int k) {
        return static_cast<int>(k != s1) & static_cast<int>(k != s2) &
               static_cast<int>((Left ? op.T(v, a[k]) : op.T(a[k], v)) > b[k]);
    };
    int k = 0;
    for (; k + 8 <= n; k += 8) {
        int hits = 0;
        for (int l = 0; l < 8; ++l) hits |= hit(k + l);
        if (hits == 0) continue;
        for (int l = k;; ++l)
            if (hit(l) != 0) return l;
    }
    for (; k < n; ++k)
        if (hit(k) != 0) return k;
    return -1;
}

// What keeps (i, j) — and (j, i) with it, for a pair — from taking the value v: −1 when
// nothing does, else the id r·n + c of the entry (r, c) bounding a triangle that v would break
// (the right-hand side b of its test), which only that entry's rise can loosen.
template <class Op>
int Blocker(const Op& op, int n, const Sides& s, int i, int j, bool pair, float v) {
    const RelationMatrix &X = s.X, &Xt = s.Xt;
    if (pair && !(op.T(v, v) <= SmallerOf(X[i][i], X[j][j]))) return X[i][i] < X[j][j] ? i * n + i : j * n + j;
    if constexpr (kCore<Op>) {
        if (s.filtered) {
            int f;
            if (!pair) {
                f = FirstAboveOfTwo<Op>(Side{X[j].data(), X[i].data(), j, j}, Side{Xt[i].data(), Xt[j].data(), i, i}, v, n);
                return f < 0 ? -1 : f % 2 == 0 ? i * n + f / 2 : f / 2 * n + j;
            }
            f = FirstAboveOfTwo<Op>(Side{X[j].data(), X[i].data(), i, j}, Side{X[i].data(), X[j].data(), i, j}, v, n);
            if (f >= 0) return f % 2 == 0 ? i * n + f / 2 : j * n + f / 2;
            // Min, Prod and W are commutative: on a symmetric matrix the columns' triangles are the rows'.
            if (s.symmetric) return -1;
            f = FirstAboveOfTwo<Op>(Side{Xt[i].data(), Xt[j].data(), i, j}, Side{Xt[j].data(), Xt[i].data(), i, j}, v, n);
            return f < 0 ? -1 : f % 2 == 0 ? f / 2 * n + j : f / 2 * n + i;
        }
    }
    int k;
    if (!pair) {
        if ((k = FirstAbove<Op, true>(op, X[j].data(), X[i].data(), v, n, j, j)) >= 0) return i * n + k;
        if ((k = FirstAbove<Op, false>(op, Xt[i].data(), Xt[j].data(), v, n, i, i)) >= 0) return k * n + j;
        return -1;
    }
    if ((k = FirstAbove<Op, true>(op, X[j].data(), X[i].data(), v, n, i, j)) >= 0) return i * n + k;
    if ((k = FirstAbove<Op, true>(op, X[i].data(), X[j].data(), v, n, i, j)) >= 0) return j * n + k;
    if ((k = FirstAbove<Op, false>(op, Xt[i].data(), Xt[j].data(), v, n, i, j)) >= 0) return k * n + j;
    if ((k = FirstAbove<Op, false>(op, Xt[j].data(), Xt[i].data(), v, n, i, j)) >= 0) return k * n + i;
    return -1;
}

template <class Op>
bool Fits(const Op& op, int n, const Sides& s, int i, int j, bool pair, float v) {
    return Blocker(op, n, s, i, j, pair, v) < 0;
}

// ---- Exact bounds ----
//
// Where the lane tests apply, each is exact and monotone in v, so the largest float that fits
// is the least, over the triangles, of the largest float each allows: u(a, b), the largest v
// with T(v, a) ≤ b, which is no bound at all (2) when a ≤ b, since T(v, a) ≤ a. Each u is found from its real value, rounded to float and
// taken a float down when it breaks the triangle.
//  - Min: b.
//  - Prod: b / a rounded, a float down when its exact product with a exceeds b.
//  - W: b + 1 − a in double rounded to float (at most a float above the real bound), a float
//    down when the exact float test finds it above b.
constexpr float kNoBound = 2.0f;

float Down(float value) { return std::bit_cast<float>(std::bit_cast<std::uint32_t>(value) - 1u); }

struct MinBound {
    static float Of(float a, float b) { return a > b ? b : kNoBound; }
};
struct ProdBound {
    static float Of(float a, float b) {
        const float q = b / a;
        const int over = static_cast<double>(q) * static_cast<double>(a) > static_cast<double>(b) ? 1 : 0;
        const float u = over ? Down(q) : q;
        const int bound = a > b ? 1 : 0;
        return bound ? u : kNoBound;
    }
};
struct WBound {
    static float Of(float a, float b) {
        const float c = static_cast<float>((1.0 - a) + b);
        const int over = WFilter::Lane(c, a, b) ? 1 : 0;
        const float u = over ? Down(c) : c;
        const int bound = a > b ? 1 : 0;
        return bound ? u : kNoBound;
    }
};

// The least u and where: min over k in [0, n) and the two sides, but each side's s1 and s2,
// of u(a[k], b[k]), and kNoBound, with 2k + s for its first (k, side) in the order of the scan
// (p before q), or −1 for kNoBound. The minimum is exact, so it is taken lane by lane.
struct Least {
    float value;
    int at;
};

template <class Bound>
WORKBENCH_INLINE Least LeastBound(const Side& p, const Side& q, int n) {
    // Taken in every lane and then chosen, so that the loop vectorizes.
    const auto bound = [&](const Side& s, int k) {
        const float u = Bound::Of(s.a[k], s.b[k]);
        return (k == s.s1) | (k == s.s2) ? kNoBound : u;
    };
    float least[kLanes];
    int where[kLanes];
    for (int l = 0; l < kLanes; ++l) least[l] = kNoBound, where[l] = -1;
    const auto take = [&](int l, int k) {
        const float u = bound(p, k), w = bound(q, k);
        const int second = w < u ? 1 : 0;
        const float smaller = second != 0 ? w : u;
        const int better = smaller < least[l] ? 1 : 0;
        least[l] = better != 0 ? smaller : least[l];
        where[l] = better != 0 ? 2 * k + second : where[l];
    };
    int k = 0;
    for (; k + kLanes <= n; k += kLanes)
        for (int l = 0; l < kLanes; ++l) take(l, k + l);
    for (int l = 0; k < n; ++k, ++l) take(l, k);
    Least result{kNoBound, -1};
    for (int l = 0; l < kLanes; ++l)
        if (least[l] < result.value || (least[l] == result.value && where[l] < result.at))
            result = {least[l], where[l]};
    return result;
}

WORKBENCH_KERNEL_WIDTHS Least MinLeastBound(Side p, Side q, int n) { return LeastBound<MinBound>(p, q, n); }
WORKBENCH_KERNEL_WIDTHS Least ProdLeastBound(Side p, Side q, int n) { return LeastBound<ProdBound>(p, q, n); }
WORKBENCH_KERNEL_WIDTHS Least WLeastBound(Side p, Side q, int n) { return LeastBound<WBound>(p, q, n); }

template <class Op>
Least LeastOf(const Side& p, const Side& q, int n) {
    if constexpr (std::is_same_v<Op, ops::MinOp>) return MinLeastBound(p, q, n);
    else if constexpr (std::is_same_v<Op, ops::ProdOp>) return ProdLeastBound(p, q, n);
    else return WLeastBound(p, q, n);
}

// The largest v with T(v, v) ≤ d: d for Min; √d rounded, a float down when its exact square
// exceeds d, for Prod; (1 + d) / 2 rounded, a float down when the exact test finds it above d,
// for W.
template <class Op>
float DiagonalBound(float d) {
    if constexpr (std::is_same_v<Op, ops::MinOp>) {
        return d;
    } else if constexpr (std::is_same_v<Op, ops::ProdOp>) {
        const float q = std::sqrt(d);
        return static_cast<double>(q) * static_cast<double>(q) > static_cast<double>(d) ? Down(q) : q;
    } else {
        const auto c = static_cast<float>((1.0 + d) / 2.0);
        return WFilter::Lane(c, c, d) ? Down(c) : c;
    }
}

// The largest float (i, j) — and (j, i) with it, for a pair — can take, ignoring its cap, and
// the entry bounding the triangle that allows no more (−1 when none bounds it).
template <class Op>
Least ExactBound(int n, const Sides& s, int i, int j, bool pair) {
    const RelationMatrix &X = s.X, &Xt = s.Xt;
    if (!pair) {
        const Least u = LeastOf<Op>(Side{X[j].data(), X[i].data(), j, j}, Side{Xt[i].data(), Xt[j].data(), i, i}, n);
        return {u.value, u.at < 0 ? -1 : u.at % 2 == 0 ? i * n + u.at / 2 : u.at / 2 * n + j};
    }
    const int diagonal = X[i][i] < X[j][j] ? i * n + i : j * n + j;
    Least least{DiagonalBound<Op>(SmallerOf(X[i][i], X[j][j])), diagonal};
    const Least rows = LeastOf<Op>(Side{X[j].data(), X[i].data(), i, j}, Side{X[i].data(), X[j].data(), i, j}, n);
    if (rows.value < least.value) least = {rows.value, rows.at % 2 == 0 ? i * n + rows.at / 2 : j * n + rows.at / 2};
    if (s.symmetric) return least;
    const Least columns = LeastOf<Op>(Side{Xt[i].data(), Xt[j].data(), i, j}, Side{Xt[j].data(), Xt[i].data(), i, j}, n);
    if (columns.value < least.value)
        least = {columns.value, columns.at % 2 == 0 ? columns.at / 2 * n + j : columns.at / 2 * n + i};
    return least;
}

// The real bound from the residua, in double: the float search starts there.
template <class Op>
double Estimate(const Op& op, int n, const Sides& s, int i, int j, bool pair) {
    const RelationMatrix &X = s.X, &Xt = s.Xt;
    double b = 1.0;
    for (int k = 0; k < n; ++k) {
        if (k != j && !(pair && k == i)) b = std::min(b, op.I(X[j][k], X[i][k]));
        if (k != i && !(pair && k == j)) b = std::min(b, op.I(Xt[i][k], Xt[j][k]));
        if (pair && k != i && k != j) {
            b = std::min(b, op.I(X[i][k], X[j][k]));
            b = std::min(b, op.I(Xt[j][k], Xt[i][k]));
        }
    }
    if (pair) b = std::min(b, op.Root(SmallerOf(X[i][i], X[j][j])));
    return b;
}

float FromBits(std::uint32_t bits) { return std::bit_cast<float>(bits); }
std::uint32_t Bits(float value) { return std::bit_cast<std::uint32_t>(value); }
// The next float up, for the degrees (non-negative, below 2) by its bits.
float Up(float value) {
    if (!(value >= 0.0f && value < 2.0f)) return std::nextafter(value, 2.0f);
    return FromBits(value == 0.0f ? 1u : Bits(value) + 1);
}

bool Paired(const RelationMatrix& X, int i, int j, bool symmetrizing) {
    return symmetrizing && i != j && X[j][i] == X[i][j];
}

// The state of an entry that cannot rise: stuck for good (at or above its cap, which never
// grows), or held by a blocker (an entry id, ≥ 0).
constexpr int kStuck = -2;
constexpr int kLook = -1;  // to be looked at: its bound may have grown

struct BoundFound {
    float value;
    /// What holds the entry at `value`: kStuck, the blocker of the next float up, or kLook when
    /// not known.
    int held;
};

// The entry's bound. With `boundFirst`, where the lane tests apply, the exact bound is taken
// at once (the better when most entries rise); otherwise the next float up is tried first (the
// better when most cannot, as the scan stops at the first triangle that forbids it).
template <class Op>
BoundFound Bound(const Op& op, int n, const RelationMatrix& R, const Sides& s, int i, int j, bool symmetrizing,
                 bool boundFirst) {
    const float x = s.X[i][j];
    const bool pair = Paired(s.X, i, j, symmetrizing);
    const float cap = pair ? SmallerOf(R[i][j], R[j][i]) : R[i][j];
    if (!(x >= 0.0f && x < cap)) return {x, kStuck};
    if constexpr (kCore<Op>) {
        if (s.filtered) {
            if (!boundFirst) {
                if (const int blocker = Blocker(op, n, s, i, j, pair, Up(x)); blocker >= 0) return {x, blocker};
            }
            // The triangle giving the least bound forbids the next float up from it.
            const Least u = ExactBound<Op>(n, s, i, j, pair);
            if (!(u.value > x)) return {x, u.at};
            return u.value < cap ? BoundFound{u.value, u.at} : BoundFound{cap, kStuck};
        }
    }
    // Most entries of a fresh lowering cannot rise by a single float: one test tells.
    const float up = Up(x);
    if (const int blocker = Blocker(op, n, s, i, j, pair, up); blocker >= 0) return {x, blocker};
    float f = static_cast<float>(std::min(Estimate(op, n, s, i, j, pair), static_cast<double>(cap)));
    f = std::clamp(f, up, cap);
    std::uint32_t lo, hi;
    if (Fits(op, n, s, i, j, pair, f)) {
        // The estimate is the real bound rounded: the largest fitting float is at most a step or two above.
        for (int step = 0; step < 2 && f < cap; ++step) {
            if (!Fits(op, n, s, i, j, pair, Up(f))) return {f, kLook};
            f = Up(f);
        }
        if (f == cap || Fits(op, n, s, i, j, pair, cap)) return {cap, kLook};
        lo = Bits(f);
        hi = Bits(cap);
    } else {
        lo = Bits(up);
        hi = Bits(f);
        // The estimate is the real bound rounded, a few floats above what fits: look below it in
        // growing strides first.
        for (std::uint32_t stride = 1; hi - lo > stride; stride *= 2) {
            if (Fits(op, n, s, i, j, pair, FromBits(hi - stride))) {
                lo = hi - stride;
                break;
            }
            hi -= stride;
        }
    }
    // Non-negative floats order as their bit patterns: lo fits, hi does not.
    while (hi - lo > 1) {
        const std::uint32_t mid = lo + (hi - lo) / 2;
        (Fits(op, n, s, i, j, pair, FromBits(mid)) ? lo : hi) = mid;
    }
    return {FromBits(lo), kLook};
}

void Transpose(int n, const RelationMatrix& X, RelationMatrix& Xt) {
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) Xt[j][i] = X[i][j];
}

bool Symmetric(int n, const RelationMatrix& m) {
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < i; ++j)
            if (!(m[i][j] == m[j][i])) return false;
    return true;
}

bool Degrees(int n, const RelationMatrix& m) {
    bool inside = true;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) inside &= m[i][j] >= 0.0f && m[i][j] <= 1.0f;
    return inside;
}

// Whether the lane tests apply: Min, Prod or W, and entries in [0, 1].
template <class Op>
bool Filtered(const Op&, int n, const RelationMatrix& X, const RelationMatrix& R) {
    return kCore<Op> && Degrees(n, X) && Degrees(n, R);
}

// The visiting order: the entry ids by decreasing gap, increasing id among equal gaps. The gap's
// bits are mapped to an integer of the same order as `<` (−0 and +0 made equal) and inverted,
// and the ids, in increasing order at first, are sorted by that key with a stable radix sort,
// eleven bits a round.
void VisitingOrder(int n, const RelationMatrix& R, const RelationMatrix& X, std::vector<std::uint64_t>& order,
                   std::vector<std::uint64_t>& spare) {
    const auto entries = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    order.resize(entries);
    spare.resize(entries);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const float gap = R[i][j] - X[i][j];
            std::uint32_t bits = Bits(gap == 0.0f ? 0.0f : gap);
            bits = (bits & 0x80000000u) != 0 ? ~bits : bits | 0x80000000u;
            order[static_cast<std::size_t>(i * n + j)] = (static_cast<std::uint64_t>(~bits) << 32) | static_cast<std::uint32_t>(i * n + j);
        }
    }
    constexpr int kBits = 11;
    for (int shift = 32; shift < 64; shift += kBits) {
        std::vector<std::size_t> start(std::size_t{1} << kBits, 0);
        for (const std::uint64_t key : order) ++start[(key >> shift) & ((1u << kBits) - 1)];
        std::size_t sum = 0;
        for (std::size_t& c : start) sum += std::exchange(c, sum);
        for (const std::uint64_t key : order) spare[start[(key >> shift) & ((1u << kBits) - 1)]++] = key;
        order.swap(spare);
    }
}

// The passes over the visiting order, an entry's bound taken only when it may have grown. An
// entry that cannot rise is held by a blocker: the entry bounding a triangle that its next float
// up would break. While the blocker stays, that triangle stays broken at that value (the other
// entries only rise, and T is monotone), so the entry's bound stays its own value; it is looked
// at again only when its blocker rises. An entry at or above its cap never rises. A pair shares
// its blocker: both entries face the same triangles. The entries held by one blocker form a
// list threaded through `next` and `previous`, from `first[blocker]`.
// Half of the entries looked at lately rising, in the 1/1024 of `rising` below.
constexpr int kBoundFirst = 512;

template <class Op>
CompletionCounts Complete(const Op& op, int n, const RelationMatrix& R, RelationMatrix& X, bool symmetrizing,
                          MethodScratch& scratch) {
    RelationMatrix& Xt = scratch.transposed;
    Xt.Reserve(n);
    Transpose(n, X, Xt);
    const auto entries = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    std::vector<std::uint64_t>& order = scratch.visit;
    std::vector<int>&state = scratch.held, &first = scratch.first, &next = scratch.next, &previous = scratch.previous;
    VisitingOrder(n, R, X, order, scratch.spare);
    state.assign(entries, kLook);
    first.assign(entries, -1);
    next.resize(entries);
    previous.resize(entries);

    const Sides sides{X, Xt, Filtered(op, n, X, R), symmetrizing && Symmetric(n, X)};
    const auto at = [](std::vector<int>& v, int e) -> int& { return v[static_cast<std::size_t>(e)]; };
    const auto hold = [&](int e, int held) {
        if (const int old = at(state, e); old >= 0) {  // leaves the list it is in
            (at(previous, e) >= 0 ? at(next, at(previous, e)) : at(first, old)) = at(next, e);
            if (at(next, e) >= 0) at(previous, at(next, e)) = at(previous, e);
        }
        at(state, e) = held;
        if (held < 0) return;
        at(previous, e) = -1;
        at(next, e) = at(first, held);
        if (at(first, held) >= 0) at(previous, at(first, held)) = e;
        at(first, held) = e;
    };
    const auto set = [&](int i, int j, float v) {
        X[i][j] = v;
        Xt[j][i] = v;
        // The entries it held are looked at again.
        int& list = at(first, i * n + j);
        for (int e = list; e >= 0; e = at(next, e)) at(state, e) = kLook;
        list = -1;
    };
    // How often the entries looked at lately rose, in 1/1024 (a running mean over about 16):
    // when most rise, their exact bounds are taken at once.
    int rising = 0;
    CompletionCounts counts;
    for (bool moved = true; moved;) {
        moved = false;
        ++counts.passes;
        for (const std::uint64_t key : order) {
            const int e = static_cast<int>(key & 0xffffffffu);
            if (at(state, e) != kLook) continue;
            const int i = e / n, j = e % n, mirror = j * n + i;
            const bool pair = Paired(X, i, j, symmetrizing);
            const BoundFound b = Bound(op, n, R, sides, i, j, symmetrizing, rising > kBoundFirst);
            const bool rises = b.value > X[i][j];
            rising += ((rises ? 1024 : 0) - rising) / 16;
            if (!rises) {
                hold(e, b.held);
                if (pair && at(state, mirror) == kLook) hold(mirror, b.held);
                continue;
            }
            set(i, j, b.value);
            if (pair) set(j, i, b.value);
            // Raised to its bound, it can rise no further until its new blocker rises.
            const float v = b.value;
            const bool capped = v == (pair ? SmallerOf(R[i][j], R[j][i]) : R[i][j]);
            const int held = b.held != kLook ? b.held : capped ? kStuck : Blocker(op, n, sides, i, j, pair, Up(v));
            hold(e, held);
            if (pair) hold(mirror, held);
            counts.raised += pair ? 2 : 1;
            moved = true;
        }
    }
    return counts;
}

}  // namespace

const char* MethodName(Method method) { return kNames[static_cast<int>(method)]; }

std::optional<Method> MethodByName(std::string_view name) {
    for (Method method : kAllMethods)
        if (name == MethodName(method)) return method;
    return std::nullopt;
}

std::string MethodNamesText() {
    std::string text;
    for (Method method : kAllMethods) text += (text.empty() ? "" : ", ") + std::string(MethodName(method));
    return text;
}

std::string MethodRefusal(Method method, const AnyTNorm& t, int n, const RelationMatrix& relation) {
    CheckHolds(n, relation);
    if (method == Method::Cierre) return "";
    if (!IsLinkage(method))
        return t.LeftContinuous() ? ""
                                  : "el método " + Quoted(method) + " no se aplica con la t-norma " + t.Name() +
                                        ": no es continua por la izquierda y no tiene implicación residual";
    if (t.Core() != Min)
        return "el método " + Quoted(method) + " solo se aplica con la t-norma min, no con " + t.Name();
    for (int i = 0; i < n; ++i) {
        if (relation[i][i] != 1.0f)
            return "el método " + Quoted(method) + " necesita una relación reflexiva: la entrada (" +
                   std::to_string(i + 1) + ", " + std::to_string(i + 1) + ") no vale 1";
        for (int j = 0; j < i; ++j)
            if (relation[i][j] != relation[j][i])
                return "el método " + Quoted(method) + " necesita una relación simétrica: las entradas (" +
                       std::to_string(i + 1) + ", " + std::to_string(j + 1) + ") y (" + std::to_string(j + 1) +
                       ", " + std::to_string(i + 1) + ") son distintas";
    }
    return "";
}

void RiseBounds(const AnyTNorm& t, int n, const RelationMatrix& relation, const RelationMatrix& X, bool symmetrizing,
                RelationMatrix& bounds) {
    CheckHolds(n, relation);
    CheckHolds(n, X);
    RelationMatrix Xt(n);
    bounds.Reserve(n);
    Transpose(n, X, Xt);
    WithOp(t, [&](const auto& op) {
        const Sides sides{X, Xt, Filtered(op, n, X, relation), symmetrizing && Symmetric(n, X)};
        // Each entry's bound reads X alone: rows in bands over the cores.
        constexpr int kBand = 8;
        toolkit::ParallelFor((n + kBand - 1) / kBand, [&](int band) {
            for (int i = band * kBand; i < std::min(n, (band + 1) * kBand); ++i)
                for (int j = 0; j < n; ++j)
                    bounds[i][j] = Bound(op, n, relation, sides, i, j, symmetrizing, false).value;
        });
        return 0;
    });
}

CompletionCounts CompleteLowering(const AnyTNorm& t, int n, const RelationMatrix& relation, RelationMatrix& X,
                                  bool symmetrizing, MethodScratch& scratch) {
    CheckHolds(n, X);
    if (std::string refusal = MethodRefusal(Method::Completada, t, n, relation); !refusal.empty())
        throw MethodError(refusal);
    return WithOp(t, [&](const auto& op) { return Complete(op, n, relation, X, symmetrizing, scratch); });
}

void LinkageRelation(Method method, int n, const RelationMatrix& relation, RelationMatrix& out) {
    if (!IsLinkage(method)) throw MethodError(std::string("«") + MethodName(method) + "» no es un método de enlace");
    if (std::string refusal = MethodRefusal(method, AnyTNorm::Of(Min), n, relation); !refusal.empty())
        throw MethodError(refusal);
    out.Reserve(n);
    // S: linkage similarity between the clusters named by their smallest elements.
    std::vector<double> S(static_cast<std::size_t>(n) * n);
    std::vector<int> size(n, 1), label(n);
    for (int i = 0; i < n; ++i) {
        label[i] = i;
        out[i][i] = relation[i][i];
        for (int j = 0; j < n; ++j) S[i * n + j] = relation[i][j];
    }
    double previous = std::numeric_limits<double>::infinity();
    for (int join = 1; join < n; ++join) {
        int a = -1, b = -1;
        double best = -1.0;
        for (int i = 0; i < n; ++i) {
            if (label[i] != i) continue;
            for (int j = i + 1; j < n; ++j)
                if (label[j] == j && S[i * n + j] > best) best = S[i * n + j], a = i, b = j;
        }
        previous = std::min(previous, best);
        const auto value = static_cast<float>(previous);
        for (int e = 0; e < n; ++e) {
            if (label[e] != a) continue;
            for (int f = 0; f < n; ++f)
                if (label[f] == b) out[e][f] = out[f][e] = value;
        }
        for (int k = 0; k < n; ++k) {
            if (label[k] != k || k == a || k == b) continue;
            const double sa = S[a * n + k], sb = S[b * n + k];
            const double joined = method == Method::Completa ? std::min(sa, sb)
                                  : method == Method::Simple ? std::max(sa, sb)
                                                             : (size[a] * sa + size[b] * sb) / (size[a] + size[b]);
            S[a * n + k] = S[k * n + a] = joined;
        }
        size[a] += size[b];
        for (int e = 0; e < n; ++e)
            if (label[e] == b) label[e] = a;
    }
}

CompletionCounts RunMethod(Method method, const AnyTNorm& t, int n, const RelationMatrix& relation, bool symmetrizing,
                           RelationMatrix& out, MethodScratch& scratch) {
    CheckDimension(n);
    if (std::string refusal = MethodRefusal(method, t, n, relation); !refusal.empty()) throw MethodError(refusal);
    switch (method) {
        case Method::Cierre: ComputeClosure(t, n, relation, out, scratch.closure); return {};
        case Method::Tecnica: Transitivize(t, n, relation, out, scratch.order, symmetrizing); return {};
        case Method::Completada:
            Transitivize(t, n, relation, out, scratch.order, symmetrizing);
            return CompleteLowering(t, n, relation, out, symmetrizing, scratch);
        default: LinkageRelation(method, n, relation, out); return {};
    }
}

}  // namespace engine

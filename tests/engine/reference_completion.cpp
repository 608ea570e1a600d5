#include "tests/engine/reference_completion.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <vector>

#include "engine/tnorm_ops.h"

namespace reference {

namespace {

using engine::RelationMatrix;

// True when T(v, a[k]) > b[k] (left) or T(a[k], v) > b[k] (right) for some k other than s1, s2.
template <class Op, bool Left>
bool AnyAbove(const Op& op, const float* a, const float* b, float v, int n, int s1, int s2) {
    for (int k = 0; k < n; ++k)
        if (k != s1 && k != s2 && (Left ? op.T(v, a[k]) : op.T(a[k], v)) > b[k]) return true;
    return false;
}

// Whether (i, j) — and (j, i) with it, for a pair — can take the value v.
template <class Op>
bool Fits(const Op& op, int n, const RelationMatrix& X, const RelationMatrix& Xt, int i, int j, bool pair, float v) {
    if (!pair)
        return !AnyAbove<Op, true>(op, X[j].data(), X[i].data(), v, n, j, j) &&
               !AnyAbove<Op, false>(op, Xt[i].data(), Xt[j].data(), v, n, i, i);
    return op.T(v, v) <= engine::SmallerOf(X[i][i], X[j][j]) &&
           !AnyAbove<Op, true>(op, X[j].data(), X[i].data(), v, n, i, j) &&
           !AnyAbove<Op, false>(op, Xt[i].data(), Xt[j].data(), v, n, i, j) &&
           !AnyAbove<Op, true>(op, X[i].data(), X[j].data(), v, n, i, j) &&
           !AnyAbove<Op, false>(op, Xt[j].data(), Xt[i].data(), v, n, i, j);
}

bool Paired(const RelationMatrix& X, int i, int j, bool symmetrizing) {
    return symmetrizing && i != j && X[j][i] == X[i][j];
}

// The largest float v in [x, cap] that fits, by bisection over the floats' bits (non-negative
// floats order as their bits; the floats that fit are those up to the bound).
template <class Op>
float Bound(const Op& op, int n, const RelationMatrix& R, const RelationMatrix& X, const RelationMatrix& Xt, int i,
            int j, bool symmetrizing) {
    const float x = X[i][j];
    const bool pair = Paired(X, i, j, symmetrizing);
    const float cap = pair ? engine::SmallerOf(R[i][j], R[j][i]) : R[i][j];
    if (!(x >= 0.0f && x < cap)) return x;
    if (Fits(op, n, X, Xt, i, j, pair, cap)) return cap;
    // x + 0 turns −0 into +0, whose bits are the least.
    std::uint32_t lo = std::bit_cast<std::uint32_t>(x + 0.0f), hi = std::bit_cast<std::uint32_t>(cap);
    while (hi - lo > 1) {
        const std::uint32_t mid = lo + (hi - lo) / 2;
        (Fits(op, n, X, Xt, i, j, pair, std::bit_cast<float>(mid)) ? lo : hi) = mid;
    }
    return std::bit_cast<float>(lo);
}

void Transpose(int n, const RelationMatrix& X, RelationMatrix& Xt) {
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) Xt[j][i] = X[i][j];
}

}  // namespace

void RiseBounds(const engine::AnyTNorm& t, int n, const RelationMatrix& relation, const RelationMatrix& X,
                bool symmetrizing, RelationMatrix& bounds) {
    RelationMatrix Xt(n);
    bounds.Reserve(n);
    Transpose(n, X, Xt);
    engine::ops::WithOp(t, [&](const auto& op) {
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) bounds[i][j] = Bound(op, n, relation, X, Xt, i, j, symmetrizing);
        return 0;
    });
}

engine::CompletionCounts CompleteLowering(const engine::AnyTNorm& t, int n, const RelationMatrix& R, RelationMatrix& X,
                                          bool symmetrizing) {
    return engine::ops::WithOp(t, [&](const auto& op) {
        RelationMatrix Xt(n);
        Transpose(n, X, Xt);
        // The visiting order: by decreasing R − X, row-major among equal gaps.
        std::vector<int> visit;
        for (int e = 0; e < n * n; ++e) visit.push_back(e);
        std::stable_sort(visit.begin(), visit.end(), [&](int a, int b) {
            return R[a / n][a % n] - X[a / n][a % n] > R[b / n][b % n] - X[b / n][b % n];
        });
        std::vector<char> dirty(static_cast<std::size_t>(n) * n, 1);
        const auto flag = [&](int i, int j) -> char& { return dirty[static_cast<std::size_t>(i) * n + j]; };
        const auto set = [&](int i, int j, float v) {
            X[i][j] = Xt[j][i] = v;
            for (int k = 0; k < n; ++k) flag(i, k) = flag(k, j) = 1;
        };
        engine::CompletionCounts counts;
        for (bool moved = true; moved;) {
            moved = false;
            ++counts.passes;
            for (const int e : visit) {
                const int i = e / n, j = e % n;
                // Raising (a, b) can loosen only the bounds of row a and column b (and, for a
                // pair, those of its mirror's).
                const bool pair = Paired(X, i, j, symmetrizing);
                if (!flag(i, j) && !(pair && flag(j, i))) continue;
                flag(i, j) = 0;
                if (pair) flag(j, i) = 0;
                const float v = Bound(op, n, R, X, Xt, i, j, symmetrizing);
                if (!(v > X[i][j])) continue;
                set(i, j, v);
                if (pair) set(j, i, v);
                flag(i, j) = 0;
                if (pair) flag(j, i) = 0;
                counts.raised += pair ? 2 : 1;
                moved = true;
            }
        }
        return counts;
    });
}

}  // namespace reference

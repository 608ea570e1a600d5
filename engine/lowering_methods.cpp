#include "engine/lowering_methods.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "engine/tnorm.h"
#include "engine/tnorm_ops.h"
#include "engine/transitivize.h"

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
};

// True when T(v, a[k]) > b[k] (left) or T(a[k], v) > b[k] (right) for some k other than s1, s2.
// Whole blocks of eight are tested at once, without a branch inside (the block loop
// vectorizes); most tests that fail, fail in the first blocks.
template <class Op, bool Left>
bool AnyAbove(const Op& op, const float* a, const float* b, float v, int n, int s1, int s2) {
    const auto hit = [&](int k) {
        return static_cast<int>(k != s1) & static_cast<int>(k != s2) &
               static_cast<int>((Left ? op.T(v, a[k]) : op.T(a[k], v)) > b[k]);
    };
    int k = 0;
    for (; k + 8 <= n; k += 8) {
        int hits = 0;
        for (int l = 0; l < 8; ++l) hits |= hit(k + l);
        if (hits != 0) return true;
    }
    for (; k < n; ++k)
        if (hit(k) != 0) return true;
    return false;
}

// Whether (i, j) — and (j, i) with it, for a pair — can take the value v.
template <class Op>
bool Fits(const Op& op, int n, const Sides& s, int i, int j, bool pair, float v) {
    const RelationMatrix &X = s.X, &Xt = s.Xt;
    if (!pair)
        return !AnyAbove<Op, true>(op, X[j].data(), X[i].data(), v, n, j, j) &&
               !AnyAbove<Op, false>(op, Xt[i].data(), Xt[j].data(), v, n, i, i);
    return op.T(v, v) <= SmallerOf(X[i][i], X[j][j]) &&
           !AnyAbove<Op, true>(op, X[j].data(), X[i].data(), v, n, i, j) &&
           !AnyAbove<Op, false>(op, Xt[i].data(), Xt[j].data(), v, n, i, j) &&
           !AnyAbove<Op, true>(op, X[i].data(), X[j].data(), v, n, i, j) &&
           !AnyAbove<Op, false>(op, Xt[j].data(), Xt[i].data(), v, n, i, j);
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
float Up(float value) { return std::nextafter(value, 2.0f); }

bool Paired(const RelationMatrix& X, int i, int j, bool symmetrizing) {
    return symmetrizing && i != j && X[j][i] == X[i][j];
}

template <class Op>
float Bound(const Op& op, int n, const RelationMatrix& R, const Sides& s, int i, int j, bool symmetrizing) {
    const float x = s.X[i][j];
    const bool pair = Paired(s.X, i, j, symmetrizing);
    const float cap = pair ? SmallerOf(R[i][j], R[j][i]) : R[i][j];
    if (!(x >= 0.0f && x < cap)) return x;
    // Most entries of a fresh lowering cannot rise by a single float: one test tells.
    const float up = Up(x);
    if (!Fits(op, n, s, i, j, pair, up)) return x;
    float f = static_cast<float>(std::min(Estimate(op, n, s, i, j, pair), static_cast<double>(cap)));
    f = std::clamp(f, up, cap);
    std::uint32_t lo, hi;
    if (Fits(op, n, s, i, j, pair, f)) {
        // The estimate is the real bound rounded: the largest fitting float is at most a step or two above.
        for (int step = 0; step < 2 && f < cap; ++step) {
            if (!Fits(op, n, s, i, j, pair, Up(f))) return f;
            f = Up(f);
        }
        if (f == cap || Fits(op, n, s, i, j, pair, cap)) return cap;
        lo = Bits(f);
        hi = Bits(cap);
    } else {
        lo = Bits(up);
        hi = Bits(f);
    }
    // Non-negative floats order as their bit patterns: lo fits, hi does not.
    while (hi - lo > 1) {
        const std::uint32_t mid = lo + (hi - lo) / 2;
        (Fits(op, n, s, i, j, pair, FromBits(mid)) ? lo : hi) = mid;
    }
    return FromBits(lo);
}

void Transpose(int n, const RelationMatrix& X, RelationMatrix& Xt) {
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) Xt[j][i] = X[i][j];
}

template <class Op>
CompletionCounts Complete(const Op& op, int n, const RelationMatrix& R, RelationMatrix& X, bool symmetrizing,
                          MethodScratch& scratch) {
    RelationMatrix& Xt = scratch.transposed;
    RelationMatrix& gap = scratch.order;
    Xt.Reserve(n);
    gap.Reserve(n);
    Transpose(n, X, Xt);
    const auto entries = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    scratch.visit.resize(entries);
    scratch.dirty.resize(entries);
    int count = 0;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            gap[i][j] = R[i][j] - X[i][j];
            scratch.visit[static_cast<std::size_t>(count++)] = i * n + j;
        }
    }
    std::fill(scratch.dirty.begin(), scratch.dirty.end(), 1);
    const auto dirty = [&](int i, int j) -> char& { return scratch.dirty[static_cast<std::size_t>(i * n + j)]; };
    std::sort(scratch.visit.begin(), scratch.visit.begin() + count, [&](int a, int b) {
        const float ga = gap[a / n][a % n], gb = gap[b / n][b % n];
        return ga != gb ? ga > gb : a < b;
    });
    const Sides sides{X, Xt};
    const auto set = [&](int i, int j, float v) {
        X[i][j] = v;
        Xt[j][i] = v;
        for (int k = 0; k < n; ++k) dirty(i, k) = dirty(k, j) = 1;
    };
    CompletionCounts counts;
    for (bool moved = true; moved;) {
        moved = false;
        ++counts.passes;
        for (int e = 0; e < count; ++e) {
            const int i = scratch.visit[static_cast<std::size_t>(e)] / n, j = scratch.visit[static_cast<std::size_t>(e)] % n;
            const bool pair = Paired(X, i, j, symmetrizing);
            if (!dirty(i, j) && !(pair && dirty(j, i))) continue;
            dirty(i, j) = false;
            if (pair) dirty(j, i) = false;
            const float v = Bound(op, n, R, sides, i, j, symmetrizing);
            if (!(v > X[i][j])) continue;
            set(i, j, v);
            if (pair) set(j, i, v);
            dirty(i, j) = false;
            if (pair) dirty(j, i) = false;
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
    const Sides sides{X, Xt};
    WithOp(t, [&](const auto& op) {
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) bounds[i][j] = Bound(op, n, relation, sides, i, j, symmetrizing);
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

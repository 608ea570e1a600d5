#pragma once

#include <cmath>

#include "engine/tnorm.h"
#include "engine/tnorm_family.h"

namespace engine::ops {

// A t-norm as the scans over a matrix see it: T of two stored floats in double, as the
// technique tests it; the residuum I in double; and Root(d), the largest v with T(v, v) ≤ d.
// Min, Prod and W are their own types, so that their loops are compiled without a switch.
struct MinOp {
    double T(float a, float b) const { return SmallerOf(a, b); }
    double I(double x, double y) const { return x <= y ? 1.0 : y; }
    double Root(double d) const { return d; }
};
struct ProdOp {
    double T(float a, float b) const { return static_cast<double>(a) * static_cast<double>(b); }
    double I(double x, double y) const { return x <= y ? 1.0 : y / x; }
    double Root(double d) const { return std::sqrt(d); }
};
// W as (max − 1) + min: max − 1 is exact, and so is the sum unless the two are far apart in
// magnitude, so a value as small as T(1, 2^-53) is not rounded away as in (a + b) − 1, where it
// would let an entry rise by a violation too small for the double sum to show.
struct WOp {
    double T(float a, float b) const {
        const float big = a < b ? b : a, small = a < b ? a : b;
        return (static_cast<double>(big) - 1.0) + static_cast<double>(small);
    }
    double I(double x, double y) const { return x <= y ? 1.0 : 1.0 - x + y; }
    double Root(double d) const { return (1.0 + d) / 2.0; }
};
struct FamilyOp {
    const AnyTNorm& t;
    double T(float a, float b) const { return t.T(a, b); }
    double I(double x, double y) const { return t.I(x, y); }
    double Root(double d) const {  // T(v, v) is increasing in v: bisection
        double lo = 0.0, hi = 1.0;
        if (t.T(1.0, 1.0) <= d) return 1.0;
        for (int step = 0; step < 64; ++step) {
            const double mid = (lo + hi) / 2.0;
            (t.T(mid, mid) <= d ? lo : hi) = mid;
        }
        return lo;
    }
};

template <class F>
auto WithOp(const AnyTNorm& t, F&& f) {
    if (const auto core = t.Core()) {
        switch (*core) {
            case Min: return f(MinOp{});
            case Prod: return f(ProdOp{});
            case W: return f(WOp{});
        }
    }
    return f(FamilyOp{t});
}

}  // namespace engine::ops

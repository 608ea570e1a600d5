#pragma once

namespace engine {

/// t-norm index; every per-t-norm array follows this order.
enum TNorm : int { Min = 0, Prod = 1, W = 2 };
inline constexpr int kTNormCount = 3;

/// The smaller of two stored degrees, unchanged: a when a < b, otherwise b.
inline const float& SmallerOf(const float& a, const float& b) { return a < b ? a : b; }

/// Łukasiewicz t-norm a + b − 1 in double precision, 1 when that exceeds 1. Not clipped at 0:
/// every caller tests whether the result is strictly greater than something non-negative.
inline double TNormW(float a, float b) {
    const double sum = static_cast<double>(a) + static_cast<double>(b) - 1.0;
    return sum > 1.0 ? 1.0 : sum;
}

/// T(a, b) in double precision (exact for Min and Prod).
inline double TNormValue(TNorm t, float a, float b) {
    switch (t) {
        case Min: return SmallerOf(a, b);
        case Prod: return static_cast<double>(a) * static_cast<double>(b);
        case W: return TNormW(a, b);
    }
    return 0.0;
}

}  // namespace engine

#include "toolkit/numerics.h"

#include <cmath>
#include <numbers>

namespace toolkit {

namespace {

constexpr double kZ95 = 1.959963984540054;  // the standard normal's 0.975 quantile

// P(|T| < t) for Student's t with an integer number of degrees, by the finite series of
// Abramowitz and Stegun (26.7.3 and 26.7.4).
double CentralProbability(double t, long long degrees) {
    const double theta = std::atan(t / std::sqrt(static_cast<double>(degrees)));
    const double c2 = std::cos(theta) * std::cos(theta), s = std::sin(theta);
    if (degrees % 2 == 0) {
        double term = 1, sum = 1;
        for (long long k = 2; k <= degrees - 2; k += 2) {
            term *= c2 * static_cast<double>(k - 1) / static_cast<double>(k);
            sum += term;
        }
        return s * sum;
    }
    double sum = 0;
    if (degrees > 1) {
        double term = std::cos(theta);
        sum = term;
        for (long long k = 3; k <= degrees - 2; k += 2) {
            term *= c2 * static_cast<double>(k - 1) / static_cast<double>(k);
            sum += term;
        }
    }
    return 2 / std::numbers::pi * (theta + s * sum);
}

}  // namespace

double StudentT95(long long degrees) {
    if (degrees > 1000) {
        // Cornish–Fisher expansion in 1/degrees; its next term is below 1e-13 here.
        const double z = kZ95, v = static_cast<double>(degrees);
        const double z3 = z * z * z, z5 = z3 * z * z, z7 = z5 * z * z, z9 = z7 * z * z;
        return z + (z3 + z) / (4 * v) + (5 * z5 + 16 * z3 + 3 * z) / (96 * v * v) +
               (3 * z7 + 19 * z5 + 17 * z3 - 15 * z) / (384 * v * v * v) +
               (79 * z9 + 776 * z7 + 1482 * z5 - 1920 * z3 - 945 * z) / (92160 * v * v * v * v);
    }
    // Bisection on the exact distribution: P(|T| < t) grows with t.
    double low = 0, high = 1e3;
    while (high - low > 1e-13 * high) {
        const double middle = (low + high) / 2;
        (CentralProbability(middle, degrees) < 0.95 ? low : high) = middle;
    }
    return (low + high) / 2;
}

Interval MeanInterval95(const Welford& values) {
    const double half = StudentT95(values.Count() - 1) * std::sqrt(values.Variance() / static_cast<double>(values.Count()));
    return {values.Mean() - half, values.Mean() + half};
}

Interval WilsonInterval95(long long successes, long long trials) {
    const double n = static_cast<double>(trials), p = static_cast<double>(successes) / n, z2 = kZ95 * kZ95;
    const double centre = (p + z2 / (2 * n)) / (1 + z2 / n);
    const double half = kZ95 / (1 + z2 / n) * std::sqrt(p * (1 - p) / n + z2 / (4 * n * n));
    // At 0 or all successes one end is exactly 0 or 1; rounding must not push it past.
    return {successes == 0 ? 0.0 : centre - half, successes == trials ? 1.0 : centre + half};
}

}  // namespace toolkit

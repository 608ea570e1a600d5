#pragma once

// Helpers shared by the engine tests: fresh engines, the decimal separator guard, relation
// builders and independent oracles for the closures.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/variant.h"
#include "toolkit/number_text.h"

namespace enginetest {

using engine::RelationMatrix;

inline std::unique_ptr<engine::Engine> MakeEngine(const engine::Variant& variant) {
    return std::make_unique<engine::Engine>(variant);
}

inline std::unique_ptr<RelationMatrix> MakeMatrix(float fill = 0.0f) {
    auto m = std::make_unique<RelationMatrix>();
    for (auto& row : *m) row.fill(fill);
    return m;
}

inline const char* VariantName(const engine::Variant& v) {
    return v.program == engine::Variant::Program::Zorvath ? "Zorvath" : "Zorvane";
}

/// Sets the program-wide separator for one test and puts the previous one back.
class SeparatorGuard {
public:
    explicit SeparatorGuard(char separator) : saved_(toolkit::DecimalSeparator()) {
        toolkit::SetDecimalSeparator(separator);
    }
    ~SeparatorGuard() { toolkit::SetDecimalSeparator(saved_); }
    SeparatorGuard(const SeparatorGuard&) = delete;
    SeparatorGuard& operator=(const SeparatorGuard&) = delete;

private:
    char saved_;
};

/// The stored degree k/10, parsed from its decimal text by the C library (not the toolkit).
inline float Degree(int k) {
    const std::string text = k == 10 ? "1" : "0." + std::to_string(k);
    return std::strtof(text.c_str(), nullptr);
}

/// Entry-by-entry bit equality of the leading n × n blocks.
inline bool SameBits(int n, const RelationMatrix& a, const RelationMatrix& b) {
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            if (std::bit_cast<std::uint32_t>(a[i][j]) != std::bit_cast<std::uint32_t>(b[i][j])) return false;
    return true;
}

/// The 3 × 3 reflexive symmetric relation of the worked examples: 0.3 between 1 and 2,
/// 0.5 between 1 and 3, 0.7 between 2 and 3.
inline void SetWorkedExample(RelationMatrix& r, int offset = 0) {
    const float v[3][3] = {{1.0f, 0.3f, 0.5f}, {0.3f, 1.0f, 0.7f}, {0.5f, 0.7f, 1.0f}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r[offset + i][offset + j] = v[i][j];
}

/// Degrees k/10; arbitrary floats in [0, 1]; or a sparse relation made of a long chain of
/// strong links through all elements in random order, with a few weak entries around it, whose
/// closures need the most iterations.
enum class Values { Degrees, AnyFloat, Chain };

/// A random relation built by the test itself: degrees k/10 or arbitrary floats in [0, 1].
inline void FillRandom(std::mt19937& rng, int n, bool reflexive, bool symmetric, Values kind, RelationMatrix& r) {
    std::uniform_int_distribution<int> degree(0, 10);
    std::uniform_real_distribution<float> any(0.0f, 1.0f);
    // A few exact 0 and 1 entries even among arbitrary floats.
    std::uniform_int_distribution<int> special(0, 15);
    for (int i = 0; kind != Values::Chain && i < n; ++i)
        for (int j = 0; j < n; ++j) {
            if (kind == Values::Degrees) {
                r[i][j] = Degree(degree(rng));
            } else {
                const int s = special(rng);
                r[i][j] = s == 0 ? 0.0f : s == 1 ? 1.0f : std::min(any(rng), 1.0f);
            }
        }
    if (kind == Values::Chain) {
        std::vector<int> order(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) order[static_cast<std::size_t>(i)] = i;
        std::shuffle(order.begin(), order.end(), rng);
        std::uniform_real_distribution<float> strong(0.5f, 1.0f), weak(0.0f, 0.5f);
        std::uniform_int_distribution<int> sparse(0, 9);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) r[i][j] = sparse(rng) == 0 ? weak(rng) : 0.0f;
        for (int s = 0; s + 1 < n; ++s)
            r[order[static_cast<std::size_t>(s)]][order[static_cast<std::size_t>(s + 1)]] = strong(rng);
    }
    if (reflexive)
        for (int i = 0; i < n; ++i) r[i][i] = 1.0f;
    if (symmetric)
        for (int i = 0; i < n; ++i)
            for (int j = i + 1; j < n; ++j) r[i][j] = r[j][i];
}

/// Max-min closure by Warshall's scheme: every value is one of the relation's own entries,
/// so the result is exact.
inline void WarshallMin(int n, const RelationMatrix& r, RelationMatrix& out) {
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) out[i][j] = r[i][j];
    for (int k = 0; k < n; ++k)
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) out[i][j] = std::max(out[i][j], std::min(out[i][k], out[k][j]));
}

/// Max-Łukasiewicz closure by Warshall's scheme. For floats in [0, 1], a + b − 1 > 0 is a
/// multiple of the smaller operand's unit in the last place and at most that operand, so it
/// is exact in 32 bits: the result is the exact closure.
inline void WarshallW(int n, const RelationMatrix& r, RelationMatrix& out) {
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) out[i][j] = r[i][j];
    for (int k = 0; k < n; ++k)
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                const double w = static_cast<double>(out[i][k]) + static_cast<double>(out[k][j]) - 1.0;
                if (w > out[i][j]) out[i][j] = static_cast<float>(w);
            }
}

/// Max-product closure by Warshall's scheme in double precision (an approximation of the
/// engine's 32-bit iterates, compared with a relative tolerance).
inline std::vector<double> WarshallProd(int n, const RelationMatrix& r) {
    std::vector<double> out(static_cast<std::size_t>(n) * n);
    auto at = [&](int i, int j) -> double& { return out[static_cast<std::size_t>(i) * n + j]; };
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) at(i, j) = r[i][j];
    for (int k = 0; k < n; ++k)
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) at(i, j) = std::max(at(i, j), at(i, k) * at(k, j));
    return out;
}

/// T(a, b) as the engine's tests of transitivity see it: Min and W exactly, Prod as the
/// exact product of the two floats.
inline double TValue(engine::TNorm t, float a, float b) {
    switch (t) {
        case engine::Min: return std::min(a, b);
        case engine::Prod: return static_cast<double>(a) * static_cast<double>(b);
        case engine::W: return std::max(0.0, static_cast<double>(a) + static_cast<double>(b) - 1.0);
    }
    return 0.0;
}

}  // namespace enginetest

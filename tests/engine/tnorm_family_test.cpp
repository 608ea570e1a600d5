// The t-norm families: their values against the textbook formulas and the t-norm axioms, their
// limits, the residual implication against a brute-force supremum, and the closure and the
// transitivization on random relations against straightforward oracles.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/family_closure.h"
#include "engine/transitivize.h"
#include "tests/engine/reference_engine.h"
#include "tests/support.h"

namespace {

using engine::AnyTNorm;
using engine::RelationMatrix;

bool SameBlock(int n, const RelationMatrix& a, const RelationMatrix& b) {
    for (int i = 0; i < n; ++i)
        if (std::memcmp(a[i].data(), b[i].data(), n * sizeof(float)) != 0) return false;
    return true;
}

// Every family, parameters inside the range, near its edges and far out; `textbook` where the
// literature's formula keeps its digits in long double, so that a slip in the rewritten forms
// shows against it.
struct Case {
    const char* name;
    bool textbook;
};
const Case kTNorms[] = {
    {"min", false}, {"prod", false}, {"w", false}, {"drastica", false}, {"nilpotente", false},
    {"hamacher:0", true}, {"hamacher:0.001", false}, {"hamacher:5", true}, {"hamacher:1e6", false},
    {"frank:1e-300", false}, {"frank:0.01", true}, {"frank:0.999999", false}, {"frank:1.000001", false},
    {"frank:50", true}, {"frank:1e300", false}, {"yager:0.3", true}, {"yager:2.5", true}, {"yager:1e4", false},
    {"schweizer-sklar:-30", true}, {"schweizer-sklar:-1e-7", false}, {"schweizer-sklar:1e-7", false},
    {"schweizer-sklar:3", true}, {"dombi:0.2", true}, {"dombi:4", true}, {"aczel-alsina:0.4", true},
    {"aczel-alsina:7", true}, {"sugeno-weber:-0.999999", false}, {"sugeno-weber:-0.5", true},
    {"sugeno-weber:30", true}, {"dubois-prade:0.3", true}, {"yu:-0.999999", false}, {"yu:-0.5", true}, {"yu:8", true}};

long double Textbook(const std::string& name, long double x, long double y) {
    using std::pow, std::log, std::exp;
    const auto colon = name.find(':');
    const std::string family = name.substr(0, colon);
    const long double p = std::stold(name.substr(colon + 1));
    if (family == "hamacher") return x * y / (p + (1 - p) * (x + y - x * y));
    if (family == "frank") return log(1 + (pow(p, x) - 1) * (pow(p, y) - 1) / (p - 1)) / log(p);
    if (family == "yager") return std::max(0.0L, 1 - pow(pow(1 - x, p) + pow(1 - y, p), 1 / p));
    if (family == "schweizer-sklar") return pow(std::max(0.0L, pow(x, p) + pow(y, p) - 1), 1 / p);
    if (family == "dombi") return 1 / (1 + pow(pow((1 - x) / x, p) + pow((1 - y) / y, p), 1 / p));
    if (family == "aczel-alsina") return exp(-pow(pow(-log(x), p) + pow(-log(y), p), 1 / p));
    if (family == "sugeno-weber") return std::max(0.0L, (x + y - 1 + p * x * y) / (1 + p));
    if (family == "dubois-prade") return x * y / std::max({x, y, p});
    return std::max(0.0L, (1 + p) * (x + y - 1) - p * x * y);  // yu
}

std::vector<double> Grid() {  // twentieths, and values near 0 and 1 where formulas lose digits
    std::vector<double> g = {0, 1e-30, 0x1p-24, 1e-7, 1 - 1e-7, 1 - 0x1p-24, 1};
    for (int k = 1; k < 20; ++k) g.insert(std::upper_bound(g.begin(), g.end(), k / 20.0), k / 20.0);
    return g;
}

TEST(TNormFamily, AxiomsAndTextbookValues) {
    const auto grid = Grid();
    for (const auto& [name, textbook] : kTNorms) {
        const AnyTNorm t = AnyTNorm::Parse(name);
        for (std::size_t a = 0; a < grid.size(); ++a) {
            const double x = grid[a];
            EXPECT_EQ(t.T(x, 1), x) << name;
            EXPECT_EQ(t.T(x, 0), 0.0) << name;
            for (std::size_t b = 0; b < grid.size(); ++b) {
                const double y = grid[b], value = t.T(x, y);
                EXPECT_NEAR(value, t.T(y, x), 1e-15) << name << " " << x << " " << y;
                EXPECT_LE(value, std::min(x, y) * (1 + 1e-14)) << name << " " << x << " " << y;
                if (a > 0) {
                    EXPECT_LE(t.T(grid[a - 1], y), value + 1e-15) << name << " " << x << " " << y;
                }
                if (textbook && std::min(x, y) >= 0.05 && std::max(x, y) <= 0.95) {
                    EXPECT_NEAR(value, static_cast<double>(Textbook(name, x, y)), 1e-13) << name << " " << x << " " << y;
                }
            }
        }
    }
}

TEST(TNormFamily, LimitsAreTheLimitTNormsAndTheFormulasApproachThem) {
    struct Limit {
        const char* at;
        engine::TNorm core;
        const char* near;
        double tolerance;  // what the family's distance to its limit allows at `near`
    };
    const Limit limits[] = {
        {"frank:0", engine::Min, "frank:1e-300", 2e-3}, {"frank:1", engine::Prod, "frank:1.000000001", 1e-9},
        {"frank:inf", engine::W, "frank:1e300", 2e-3}, {"hamacher:1", engine::Prod, "hamacher:1.000000001", 1e-9},
        {"yager:1", engine::W, "yager:1.000000001", 1e-8}, {"yager:inf", engine::Min, "yager:1e9", 1e-8},
        {"schweizer-sklar:0", engine::Prod, "schweizer-sklar:1e-9", 1e-8},
        {"schweizer-sklar:-inf", engine::Min, "schweizer-sklar:-1e9", 1e-8},
        {"schweizer-sklar:1", engine::W, "schweizer-sklar:1.000000001", 1e-8},
        {"aczel-alsina:1", engine::Prod, "aczel-alsina:1.000000001", 1e-8},
        {"sugeno-weber:0", engine::W, "sugeno-weber:1e-9", 1e-9}, {"dubois-prade:0", engine::Min, "dubois-prade:1e-9", 1e-9},
        {"dubois-prade:1", engine::Prod, "dubois-prade:0.999999999", 1e-9}, {"yu:-1", engine::Prod, "yu:-0.999999999", 1e-9},
        {"yu:0", engine::W, "yu:1e-9", 1e-9}};
    const auto grid = Grid();
    for (const Limit& l : limits) {
        EXPECT_EQ(AnyTNorm::Parse(l.at).Core(), l.core) << l.at;
        const AnyTNorm limit = AnyTNorm::Of(l.core), near = AnyTNorm::Parse(l.near);
        EXPECT_EQ(near.Core(), std::nullopt) << l.near;
        for (double x : grid)
            for (double y : grid) EXPECT_NEAR(near.T(x, y), limit.T(x, y), l.tolerance) << l.near << " " << x << " " << y;
    }
}

TEST(TNormFamily, ResiduumIsTheBruteForceSupremum) {
    constexpr int kFine = 4000;
    for (const auto& [name, textbook] : kTNorms) {
        const AnyTNorm t = AnyTNorm::Parse(name);
        if (!t.LeftContinuous()) continue;
        for (int a = 0; a <= 10; ++a)
            for (int b = 0; b <= 10; ++b) {
                const double x = a / 10.0, y = b / 10.0 * 0.999, i = t.I(x, y);
                int best = 0;
                for (int k = 0; k <= kFine; ++k)
                    if (t.T(x, k / double(kFine)) <= y) best = k;
                EXPECT_GE(i, best / double(kFine) - 1e-12) << name << " " << x << " " << y;
                if (best < kFine) {
                    EXPECT_LE(i, (best + 1) / double(kFine) + 1e-12) << name << " " << x << " " << y;
                }
                // Continuous t-norms reach y at their residuum: to 1e-13 relative, however steep T.
                if (x > y && t.family() != engine::TNormFamily::NilpotentMin) {
                    EXPECT_LE(t.T(x, i * (1 - 1e-13)), y + 1e-15) << name << " " << x << " " << y;
                    EXPECT_GE(t.T(x, std::min(1.0, i * (1 + 1e-13))), y - 1e-15) << name << " " << x << " " << y;
                }
            }
    }
}

TEST(TNormFamily, BadNamesAndParametersListTheFamilies) {
    for (const char* bad : {"hamacher", "hamacher:-1", "hamacher:0,5", "hamacher:inf", "frank:-0.1", "frank:nan",
                            "yager:0", "dombi:inf", "sugeno-weber:-1", "dubois-prade:1.5", "yu:-1.01", "min:2",
                            "lukasiewicz", "", "schweizer-sklar:inf"}) {
        const std::string message = test_support::ErrorText([&] { AnyTNorm::Parse(bad); });
        EXPECT_NE(message.find("frank:s  con s ≥ 0 o inf"), std::string::npos) << bad << ": " << message;
    }
    EXPECT_EQ(AnyTNorm::Parse("hamacher:0.50").Name(), "hamacher:0.50");
    EXPECT_EQ(AnyTNorm::Of(engine::TNormFamily::Frank, 2.5).Name(), "frank:2.5");
}

// Oracles: the transitivization that scans the matrix for each entry (that of
// tests/engine/reference_engine.h, with T and I_T), and the max-T fold over all paths by
// Floyd–Warshall in double.
using PathMatrix = double[engine::kInitialCapacity][engine::kInitialCapacity];
void FloydWarshall(const AnyTNorm& t, int n, const RelationMatrix& r, PathMatrix& D) {
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) D[i][j] = r[i][j];
    for (int k = 0; k < n; ++k)
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) D[i][j] = std::max(D[i][j], t.T(D[i][k], D[k][j]));
}

// Tolerances: a closure that settled satisfies float(T(C_ik, C_kj)) ≤ C_ij, so T(C_ik, C_kj)
// exceeds C_ij by at most half a float step; each entry lies within kPathTolerance of the best
// path's fold, the float roundings of the iterations compounding on the way.
constexpr double kPathTolerance = 1e-6;
// A lowered entry is I_T rounded to the nearest float, so its pair can exceed v by that half
// step times the slope of T, which is unbounded at the edge of a zero set (Schweizer–Sklar
// p > 1: a 1e-16 excess becomes 5e-6 through the cube root). So the plain technique's result
// is checked T-transitive up to one float step down of either factor, plus 1e-12.
bool TransitiveUpToAStep(const AnyTNorm& t, float a, float b, float c) {
    const auto down = [](float x) { return std::nextafter(x, 0.0f); };
    return std::min(t.T(down(a), b), t.T(a, down(b))) <= c + 1e-12;
}

TEST(TNormFamily, ClosureAndTransitivizationOnRandomRelations) {
    std::mt19937 rng(21);
    auto memory = std::make_unique<engine::FamilyClosureMemory>();
    static RelationMatrix R, M, X, O, X2, O2;
    static PathMatrix D;
    for (const auto& [name, textbook] : kTNorms) {
        const AnyTNorm t = AnyTNorm::Parse(name);
        for (int trial = 0; trial < 6; ++trial) {
            const int n = 1 + trial * 3;
            for (int i = 0; i < n; ++i)
                for (int j = 0; j < n; ++j) {
                    const float u = std::uniform_real_distribution<float>(0, 1)(rng);
                    R[i][j] = u < 0.1f ? 0.0f : u > 0.9f ? 1.0f : u;
                    if (trial % 2 == 1 && j < i) R[i][j] = R[j][i];
                }
            *memory = engine::FamilyClosureMemory{};
            const engine::ClosureCounts counts = engine::ComputeClosure(t, n, R, M, *memory);
            ASSERT_TRUE(counts.converged) << name;
            FloydWarshall(t, n, R, D);
            for (int i = 0; i < n; ++i)
                for (int j = 0; j < n; ++j) {
                    const float c = M[i][j];
                    EXPECT_GE(c, R[i][j]) << name;
                    EXPECT_NEAR(c, D[i][j], kPathTolerance) << name << " " << i << " " << j;
                    for (int k = 0; k < n; ++k)
                        EXPECT_LE(t.T(M[i][k], M[k][j]), c > 0 ? c + std::ldexp(1.0, std::ilogb(c) - 24) : 0.0) << name;
                }
            if (!t.LeftContinuous()) {
                EXPECT_NE(test_support::ErrorText([&] { engine::Transitivize(t, n, R, X, O, false); }).find("no es continua"),
                          std::string::npos);
                continue;
            }
            for (bool sym : {false, true}) {
                // The scanning technique gives the same bits where T is evaluated pair by pair.
                const int reduced = engine::Transitivize(t, n, R, X, O, sym);
                if (!t.HasGenerator()) {
                    const auto T = [&](float a, float b, float v) { return a > v && b > v && t.T(a, b) > v; };
                    const auto I = [&](float v, float larger) { return t.I(larger, v); };
                    EXPECT_EQ(reduced, reference::ScanningTransitivize(T, I, n, R, X2, O2, sym)) << name;
                    EXPECT_TRUE(SameBlock(n, X, X2) && SameBlock(n, O, O2)) << name;
                }
                if (sym) continue;
                for (int i = 0; i < n; ++i)
                    for (int j = 0; j < n; ++j) {
                        EXPECT_LE(X[i][j], R[i][j]) << name;
                        for (int k = 0; k < n; ++k)
                            EXPECT_TRUE(TransitiveUpToAStep(t, X[i][k], X[k][j], X[i][j])) << name;
                    }
            }
        }
    }
}

}  // namespace

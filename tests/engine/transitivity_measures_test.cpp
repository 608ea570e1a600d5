// The measures of transitivity against the scan of every triple in (i, j, k) order, on random
// relations, their closures and their transitivized matrices, for the program's t-norms (bit for
// bit), for families through their generator and for the others.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "engine/family_closure.h"
#include "engine/generation.h"
#include "engine/transitivity_measures.h"

namespace {

using namespace engine;

TransitivityMeasures EveryTriple(const AnyTNorm& t, int n, const RelationMatrix& X) {
    TransitivityMeasures m;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const float x = X[i][j];
            const double limit = static_cast<double>(x) + ViolationTolerance(x);
            for (int k = 0; k < n; ++k) {
                // T of two stored floats in double, as the technique's test computes it.
                double value = t.T(X[i][k], X[k][j]);
                if (const auto core = t.Core()) {
                    const double a = X[i][k], b = X[k][j];
                    value = *core == Min ? std::min(a, b) : *core == Prod ? a * b : (std::max(a, b) - 1.0) + std::min(a, b);
                }
                if (!(value > limit)) continue;
                ++m.violations;
                if (value - x > m.largest) m.largest = value - x, m.i = i, m.j = j, m.k = k;
                m.degree = std::min(m.degree, t.I(value, x));
            }
        }
    return m;
}

TEST(TransitivityMeasures, AsTheScanOfEveryTriple) {
    toolkit::RandomGenerator random(11);
    const struct {
        const char* t;
        double tolerance;  // 0: bit for bit
    } tnorms[] = {{"min", 0}, {"prod", 0}, {"w", 0}, {"hamacher:0.5", 1e-12}, {"frank:3", 1e-12}, {"yager:2", 0},
                  {"nilpotente", 0}};
    for (const auto& [name, tolerance] : tnorms) {
        const AnyTNorm t = AnyTNorm::Parse(name);
        for (const int n : {1, 2, 9, 37}) {
            auto R = std::make_unique<RelationMatrix>(n), C = std::make_unique<RelationMatrix>(n),
                 X = std::make_unique<RelationMatrix>(n), O = std::make_unique<RelationMatrix>(n);
            GenerateRelation(n, n % 2 == 1, n % 3 == 0, random, *R);
            auto memory = std::make_unique<FamilyClosureMemory>();
            ComputeClosure(t, n, *R, *C, *memory);
            Transitivize(t, n, *R, *X, *O, false);
            // Half the closure's entries a few float steps down: violations just past the tolerance.
            auto L = std::make_unique<RelationMatrix>(*C);
            for (int e = 0; e < n * n; e += 2) {
                float& v = (*L)[e / n][e % n];
                for (int s = 0; s < e % 4; ++s) v = std::nextafter(v, 0.0f);
            }
            for (const RelationMatrix* M : {R.get(), C.get(), X.get(), L.get()}) {
                const TransitivityMeasures fast = MeasureTransitivity(t, n, *M), slow = EveryTriple(t, n, *M);
                const std::string where = std::string(name) + " n=" + std::to_string(n);
                EXPECT_EQ(fast.violations, slow.violations) << where;
                EXPECT_EQ((std::array{fast.i, fast.j, fast.k}), (std::array{slow.i, slow.j, slow.k})) << where;
                EXPECT_NEAR(fast.largest, slow.largest, tolerance) << where;
                EXPECT_NEAR(fast.degree, slow.degree, tolerance) << where;
                if (tolerance == 0) {
                    EXPECT_EQ(fast.largest, slow.largest) << where;
                    EXPECT_EQ(fast.degree, slow.degree) << where;
                }
            }
        }
    }
}

}  // namespace

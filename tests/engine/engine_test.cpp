#include <algorithm>
// Hand-worked examples of the closures, the transitivization and the result texts in both
// programs; the closures' memory; random generation, the element swap, and the engine's own
// refusals of a dimension, an element or a degree out of range (which every caller makes first).

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/engine.h"
#include "toolkit/number_text.h"

namespace {

using engine::Engine;
using engine::Min;
using engine::RelationMatrix;
using engine::TNorm;
using engine::W;

// A fresh engine (previous iterates all zero) holding the example: three elements, reflexive,
// with 0.3 between the first two, 0.5 between the first and the third and 0.7 between the last two.
class Examples : public ::testing::TestWithParam<engine::Variant> {
protected:
    void SetUp() override {
        toolkit::SetDecimalSeparator('.');
        e->dimension = 3;
        const float rows[3][3] = {{1.0f, 0.3f, 0.5f}, {0.3f, 1.0f, 0.7f}, {0.5f, 0.7f, 1.0f}};
        for (int i = 0; i < 3; ++i) std::copy_n(rows[i], 3, e->relation[i].begin());
    }
    void TearDown() override { toolkit::SetDecimalSeparator(saved); }
    bool Zorvath() const { return GetParam().symmetrizing; }

    const char saved = toolkit::DecimalSeparator();
    std::unique_ptr<Engine> e = std::make_unique<Engine>(GetParam());
    engine::Analysis& r = e->results;
};

INSTANTIATE_TEST_SUITE_P(Programs, Examples, ::testing::Values(engine::kZorvath, engine::kZorvane),
                         [](const auto& info) { return info.param.symmetrizing ? "Zorvath" : "Zorvane"; });

TEST_P(Examples, ClosuresRaiseTheWeakPairAndRepeatTheirWorkOnTheSameRelation) {
    e->AnalyzeRelation();
    // Min raises the pair of 0.3 to 0.5, Prod to 0.5 · 0.7, in two iterations; W leaves it.
    EXPECT_EQ(r.resultText[0] + "|" + r.resultText[1] + "|" + r.resultText[2],
              "Cierre Min-transit. Iter= 2 Incr= 2\nd1=0.4 eucl=0.28284\ndist1 máxima 0.2 en (2, 1)|"
              "Cierre Prod-transit. Iter= 2 Incr= 2\nd1=0.1 eucl=0.070711\ndist1 máxima 0.05 en (2, 1)|"
              "Cierre W-transit. Iter= 1 Incr= 0\nd1=0 eucl=0\ndist1 máxima 0 en (1, 1)");

    // The previous iterates now hold the closures: Min and Prod start from the relation again,
    // W finds it equal to its last iterate. The same texts with the decimal comma.
    toolkit::SetDecimalSeparator(',');
    e->AnalyzeRelation();
    EXPECT_EQ(r.resultText[1] + "|" + r.resultText[2],
              "Cierre Prod-transit. Iter= 2 Incr= 2\nd1=0,1 eucl=0,070711\ndist1 máxima 0,05 en (2, 1)|"
              "Cierre W-transit. Iter= 0 Incr= 0\nd1=0 eucl=0\ndist1 máxima 0 en (1, 1)");
}

TEST_P(Examples, MinTransitivizationLowersOnePairInTheOrderOfValues) {
    e->AnalyzeRelation();
    // Steps 1 … 6 take (0,1), (0,2), (1,0), (2,0), (1,2), (2,1); steps 7 … 9 re-mark (2,1).
    const float order[3][3] = {{0, 1, 2}, {3, 0, 5}, {4, 9, 0}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            EXPECT_EQ(r.minTransitivized[i][j], i + j == 2 && i != j ? 0.3f : e->relation[i][j]) << i << j;
            EXPECT_EQ(r.minOrder[i][j], order[i][j]) << i << j;
        }
    // The symmetrizing program lowers (2,0) along with (0,2) and finds nothing at step 3.
    EXPECT_EQ(r.resultText[3], std::string("Matriz Min-Transitivizada\nd1=0.4 eucl=0.28284\n") +
                                    "dist1 máxima 0.2 en (3, 1)  " + (Zorvath() ? "1" : "2") + " reducidos");
}

TEST_P(Examples, SmallerFactorIsLoweredAndEqualFactorsLowerTheSecond) {
    // X[p][q] = v with (p, q) = (0, 1) and the path through k = 2; all else 0. The new values
    // v, v ÷ other and v − other + 1 (about 1/3 and 0.4 for the first case) are formed in double
    // and stored in 32 bits; 0.1 − 0.7 + 1 would round differently in 32-bit steps.
    const double v3 = 0.3f, v1 = 0.1f;
    // v, X[p][k], X[k][q], whether (p, k) is lowered (else (k, q)), the new value for Min, Prod, W.
    const struct { float v, pk, kq; bool first; float lowered[3]; } cases[] = {
                 {0.3f, 0.8f, 0.9f, true, {0.3f, float(v3 / 0.9f), float(v3 - 0.9f + 1)}},
                 {0.1f, 0.7f, 0.7f, false, {0.1f, float(v1 / 0.7f), float(v1 - 0.7f + 1)}}};
    for (const auto& c : cases) {
        e->relation = {};
        std::tie(e->relation[0][1], e->relation[0][2], e->relation[2][1]) = std::tuple(c.v, c.pk, c.kq);
        e->AnalyzeRelation();
        const int li = c.first ? 0 : 2, lj = c.first ? 2 : 1;
        for (int t = Min; t <= W; ++t) {
            EXPECT_EQ(r.reducedCount[t], 1);
            const RelationMatrix& x = r.Transitivized(TNorm(t));
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 3; ++j) {
                    // The mirror of the symmetrizing program is raised from 0.
                    const bool lowered = (i == li && j == lj) || (Zorvath() && i == lj && j == li);
                    EXPECT_EQ(x[i][j], lowered ? c.lowered[t] : e->relation[i][j]) << t << i << j;
                }
            // A raised entry adds nothing to the distance.
            EXPECT_EQ(r.d1Transitivized[t], (c.first ? c.pk : c.kq) - c.lowered[t]) << t;
        }
    }
}

// The previous iterate is T-transitive only on the block of the closure that left it. After a
// closure at n = 4 (0.5 from 1 to 2 to 3, so also 1 to 3) and one at n = 2 (0.5 from 0 to 1),
// the 4 × 4 block mixes the two and is not Min-transitive (0 to 1 to 2 is missing); a relation
// equal to it must still be closed.
TEST(ClosureMemory, NoShortcutBeyondTheBlockOfTheLastClosure) {
    auto e = std::make_unique<Engine>(engine::kZorvane);
    const std::tuple<int, std::vector<std::pair<int, int>>> relations[] = {{4, {{1, 2}, {2, 3}}}, {2, {{0, 1}}}};
    for (const auto& [n, halves] : relations) {
        e->dimension = n;
        e->relation = {};
        for (const auto& [i, j] : halves) e->relation[i][j] = 0.5f;
        e->AnalyzeRelation();
    }
    e->dimension = 4;
    e->relation = e->closureMemory.minClosurePrev;
    EXPECT_EQ(e->relation[0][1] + e->relation[1][3], 1.0f);
    e->AnalyzeRelation();
    EXPECT_EQ(e->results.closureCounts[Min], (engine::ClosureCounts{2, 2, true}));
    EXPECT_TRUE(e->results.minClosure[0][2] == 0.5f && e->results.minClosure[0][3] == 0.5f);
}

// ---- generation and swap ----

std::unique_ptr<Engine> Make(int n) {
    auto e = std::make_unique<Engine>(engine::kZorvane);
    e->dimension = n;
    return e;
}

// Draw by draw: a fresh engine of dimension 1 shows each draw as its only entry, one of the
// eleven degrees whatever the separator. Every fresh engine repeats the same sequence, so
// another one must consume it n² draws per relation, row by row, whatever the options, which
// only then overwrite the diagonal and mirror the lower triangle onto the upper one.
TEST(Generation, ElevenDegreesAndNSquaredDrawsPerRelationBeforeTheOptions) {
    const char saved = toolkit::DecimalSeparator();
    toolkit::SetDecimalSeparator(',');
    auto single = Make(1);
    std::vector<float> draws(9 + 16 + 4 + 64);
    for (float& drawn : draws) drawn = (single->GenerateRelation(), single->relation[0][0]);
    EXPECT_EQ(std::set<float>(draws.begin(), draws.end()),
              (std::set<float>{0.0f, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f, 1.0f}));
    toolkit::SetDecimalSeparator(saved);  // the point, as the program starts
    auto e = Make(1);
    int used = 0;
    for (const auto& [n, reflexive, symmetric] :
         {std::tuple{3, true, true}, {4, false, true}, {2, true, false}, {8, false, false}}) {
        std::tie(e->dimension, e->reflexive, e->symmetric) = std::tuple(n, reflexive, symmetric);
        e->GenerateRelation();
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                const float drawn = draws[used + (symmetric && j > i ? j * n + i : i * n + j)];
                EXPECT_EQ(e->relation[i][j], reflexive && i == j ? 1.0f : drawn) << n << " " << i << j;
            }
        used += n * n;
    }
}

TEST(Swap, RelabelsTheElementsAndDrawsNothing) {
    const int n = 7;
    auto e = Make(n), plain = Make(n);
    for (Engine* x : {e.get(), plain.get()}) x->RunTrial();
    for (const auto& [a, b] : {std::pair{1, 5}, {6, 0}, {3, 3}}) {
        const RelationMatrix old = e->relation;
        std::tie(e->swapFirst, e->swapSecond, e->swapPending) = std::tuple(a, b, true);
        e->results.resultText.fill("");
        e->RunTrial();
        EXPECT_FALSE(e->results.resultText[5].empty()) << "analysed";
        const auto sigma = [&](int i) { return i == a ? b : i == b ? a : i; };
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) EXPECT_EQ(e->relation[sigma(i)][sigma(j)], old[i][j]) << a << b;
    }
    // Every swap trial counted, a = b included; none drew a number, and none is left pending.
    EXPECT_EQ(e->trialCount, 4);
    for (Engine* x : {e.get(), plain.get()}) x->RunTrial();
    EXPECT_TRUE(engine::MatrixEqual(n, e->relation, plain->relation));
}

// The engine's own edges, whatever its callers refuse first: a dimension outside 1 … 5000, a
// pending swap outside the relation, a loaded degree that is not in [0, 1] are refused before
// anything changes, and nothing is drawn.
TEST(Guards, RefusedTrialChangesNothing) {
    const int cases[][3] = {{0, 0, 0}, {engine::kLargestDimension + 1, 0, 0}, {5, -1, 2}, {5, 2, 5}};  // dimension, swap pair
    for (const auto& [n, a, b] : cases) {
        auto e = Make(5), twin = Make(5);
        for (Engine* x : {e.get(), twin.get()}) x->RunTrial();
        std::tie(e->dimension, e->swapFirst, e->swapSecond, e->swapPending) = std::tuple(n, a, b, n == 5);
        EXPECT_THROW(e->RunTrial(), std::out_of_range) << n << " " << a << " " << b;
        auto loaded = std::make_unique<RelationMatrix>();
        (*loaded)[4][3] = a < 0 ? -0.5f : b == 5 ? std::nanf("") : 1.5f;
        EXPECT_THROW(e->LoadRelation(5, *loaded), std::out_of_range);
        EXPECT_TRUE(e->trialCount == 1 && e->relation == twin->relation);
        std::tie(e->dimension, e->swapPending) = std::pair(5, false);
        for (Engine* x : {e.get(), twin.get()}) x->RunTrial();
        EXPECT_EQ(e->relation, twin->relation) << "nothing drawn";
    }
}

}  // namespace

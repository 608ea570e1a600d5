// Hand-worked examples of the closures, the transitivization, the result texts and the run
// statistics, in both programs.

#include <gtest/gtest.h>

#include <string>

#include "engine/closure.h"
#include "engine/compare.h"
#include "engine/engine.h"
#include "engine/transitivize.h"
#include "engine_test_support.h"
#include "experiments/uinftab.h"

namespace {

using engine::Engine;
using engine::Min;
using engine::Prod;
using engine::TNorm;
using engine::W;
using enginetest::MakeEngine;
using enginetest::MakeMatrix;
using enginetest::SeparatorGuard;

class BothVariants : public ::testing::TestWithParam<engine::Variant> {
protected:
    bool Zorvath() const { return GetParam().program == engine::Variant::Program::Zorvath; }
    // The worked example, analysed by a fresh engine (previous iterates all zero).
    std::unique_ptr<Engine> AnalyzedExample() {
        auto e = MakeEngine(GetParam());
        e->dimension = 3;
        enginetest::SetWorkedExample(e->relation);
        e->AnalyzeRelation();
        return e;
    }
};

std::string VariantParamName(const ::testing::TestParamInfo<engine::Variant>& info) {
    return enginetest::VariantName(info.param);
}

INSTANTIATE_TEST_SUITE_P(Programs, BothVariants, ::testing::Values(engine::kZorvath, engine::kZorvane),
                         VariantParamName);

// ---- whole-matrix operations ----

TEST(MatrixOperations, EqualityLooksOnlyAtTheLeadingBlock) {
    auto a = MakeMatrix(0.5f), b = MakeMatrix(0.5f);
    (*b)[3][0] = 0.25f;
    (*b)[0][3] = 0.25f;
    (*b)[99][99] = 0.25f;
    EXPECT_TRUE(engine::MatrixEqual(3, *a, *b));
    EXPECT_FALSE(engine::MatrixEqual(4, *a, *b));
    (*b)[2][2] = 0.75f;
    EXPECT_FALSE(engine::MatrixEqual(3, *a, *b));
    EXPECT_TRUE(engine::MatrixEqual(2, *a, *b));
}

TEST(MatrixOperations, CopyWritesOnlyTheLeadingBlock) {
    auto source = MakeMatrix(0.5f), target = MakeMatrix(0.25f);
    engine::MatrixCopy(3, *source, *target);
    for (int i = 0; i < engine::MAX_DIM; ++i)
        for (int j = 0; j < engine::MAX_DIM; ++j)
            ASSERT_EQ((*target)[i][j], i < 3 && j < 3 ? 0.5f : 0.25f) << i << "," << j;
}

// ---- closures ----

TEST_P(BothVariants, WorkedExampleClosuresRaiseTheTwoWeakEntries) {
    SeparatorGuard separator('.');
    auto e = AnalyzedExample();

    auto expectOnlyPairRaised = [&](const engine::RelationMatrix& c, float raised) {
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) {
                const bool pair = (i == 0 && j == 1) || (i == 1 && j == 0);
                EXPECT_EQ(c[i][j], pair ? raised : e->relation[i][j]) << i << "," << j;
            }
    };
    expectOnlyPairRaised(e->minClosure, 0.5f);
    // 0.5 · 0.7 in full precision, stored in 32 bits.
    const float prod = static_cast<float>(static_cast<double>(0.5f) * static_cast<double>(0.7f));
    EXPECT_NEAR(prod, 0.35, 1e-7);
    expectOnlyPairRaised(e->prodClosure, prod);
    expectOnlyPairRaised(e->wClosure, 0.3f);  // already W-transitive: unchanged

    EXPECT_EQ(e->closureCounts[Min].iterCount, 2);
    EXPECT_EQ(e->closureCounts[Min].incrCount, 2);
    EXPECT_EQ(e->closureCounts[Prod].iterCount, 2);
    EXPECT_EQ(e->closureCounts[Prod].incrCount, 2);
    EXPECT_EQ(e->closureCounts[W].iterCount, 1);
    EXPECT_EQ(e->closureCounts[W].incrCount, 0);

    // The previous iterates now hold the closures: Min and Prod start again from the
    // relation and repeat their iterations; W finds the relation equal to its last iterate.
    e->AnalyzeRelation();
    EXPECT_EQ(e->closureCounts[Min].iterCount, 2);
    EXPECT_EQ(e->closureCounts[Min].incrCount, 2);
    EXPECT_EQ(e->closureCounts[Prod].iterCount, 2);
    EXPECT_EQ(e->closureCounts[Prod].incrCount, 2);
    EXPECT_EQ(e->closureCounts[W].iterCount, 0);
    EXPECT_EQ(e->closureCounts[W].incrCount, 0);
    expectOnlyPairRaised(e->minClosure, 0.5f);
    expectOnlyPairRaised(e->prodClosure, prod);
    expectOnlyPairRaised(e->wClosure, 0.3f);
    EXPECT_EQ(e->resultText[2], "Cierre W-transit. Iter= 0 Incr= 0\nd1=0 eucl=0\ndist1 m\u00e1xima 0 en (1, 1)");
}

TEST(Closure, AlreadyTransitiveRelationTakesOneIterationThenNone) {
    // Min-transitive: the two off-diagonal chains never beat the direct entries.
    auto r = MakeMatrix();
    const float v[3][3] = {{0.2f, 0.6f, 0.4f}, {0.1f, 0.7f, 0.4f}, {0.1f, 0.1f, 0.9f}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) (*r)[i][j] = v[i][j];
    auto m = MakeMatrix(), p = MakeMatrix();
    auto first = engine::ComputeClosure(Min, 3, *r, *m, *p);
    EXPECT_EQ(first.iterCount, 1);
    EXPECT_EQ(first.incrCount, 0);
    EXPECT_TRUE(enginetest::SameBits(3, *m, *r));
    auto second = engine::ComputeClosure(Min, 3, *r, *m, *p);
    EXPECT_EQ(second.iterCount, 0);
    EXPECT_EQ(second.incrCount, 0);
    EXPECT_TRUE(enginetest::SameBits(3, *m, *r));
}

TEST(Closure, EntryRaisedInTwoIterationsCountsTwice) {
    // Chain 0 → 1 → 2 → 3 of 0.9 links, 0.5 links 0 → 4 → 3, 0.1 elsewhere.
    auto r = MakeMatrix();
    const int n = 5;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) (*r)[i][j] = 0.1f;
    (*r)[0][1] = (*r)[1][2] = (*r)[2][3] = 0.9f;
    (*r)[0][4] = 0.5f;
    (*r)[4][3] = 0.5f;
    auto m = MakeMatrix(), p = MakeMatrix();
    const auto counts = engine::ComputeClosure(Min, n, *r, *m, *p);
    EXPECT_EQ((*m)[0][3], 0.9f);
    // Iteration 1 raises (0,2), (1,3) to 0.9 and (0,3) to 0.5; iteration 2 raises (0,3) to
    // 0.9; iteration 3 changes nothing.
    EXPECT_EQ(counts.iterCount, 3);
    EXPECT_EQ(counts.incrCount, 4);
}

TEST(Closure, WNegativeSumsRaiseNothing) {
    auto r = MakeMatrix();
    const int n = 4;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) (*r)[i][j] = (i + j) % 2 == 0 ? 0.4f : 0.5f;
    auto m = MakeMatrix(), p = MakeMatrix();
    const auto counts = engine::ComputeClosure(W, n, *r, *m, *p);
    EXPECT_TRUE(enginetest::SameBits(n, *m, *r));
    EXPECT_EQ(counts.iterCount, 1);
    EXPECT_EQ(counts.incrCount, 0);
}

TEST(Closure, DimensionOneNeverRises) {
    for (TNorm t : {Min, Prod, W})
        for (float a : {0.0f, 0.3f, 0.5f, 0.7f, 1.0f}) {
            auto r = MakeMatrix(), m = MakeMatrix(), p = MakeMatrix();
            (*r)[0][0] = a;
            engine::ComputeClosure(t, 1, *r, *m, *p);
            EXPECT_EQ((*m)[0][0], a) << "t=" << t;
        }
}

// ---- transitivization ----

TEST_P(BothVariants, WorkedExampleMinTransitivizationStepByStep) {
    auto e = AnalyzedExample();
    // Only the pair (1,3) is lowered to 0.3, in both programs.
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const bool pair = (i == 0 && j == 2) || (i == 2 && j == 0);
            EXPECT_EQ(e->minTransitivized[i][j], pair ? 0.3f : e->relation[i][j]) << i << "," << j;
        }
    // Steps 1…6 select (0,1), (0,2), (1,0), (2,0), (1,2), (2,1); steps 7…9 re-mark (2,1).
    const float order[3][3] = {{0, 1, 2}, {3, 0, 5}, {4, 9, 0}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_EQ(e->minOrder[i][j], order[i][j]) << i << "," << j;
    EXPECT_EQ(e->reducedCount[Min], Zorvath() ? 1 : 2);
}

TEST_P(BothVariants, WorkedExampleIsAlreadyWTransitive) {
    auto e = AnalyzedExample();
    EXPECT_TRUE(enginetest::SameBits(3, e->wTransitivized, e->relation));
    EXPECT_EQ(e->reducedCount[W], 0);
    // Entries below 1 numbered in ascending value, row-major among equals; the last one
    // re-marked by the three steps that find only diagonal 1s.
    const float order[3][3] = {{0, 1, 3}, {2, 0, 5}, {4, 9, 0}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_EQ(e->wOrder[i][j], order[i][j]) << i << "," << j;
    EXPECT_EQ(e->resultText[5],
              "Matriz W-Transitivizada\nd1=0 eucl=0\ndist1 m\u00e1xima 0 en (1, 1)  0 reducidos");
}

TEST(Transitivize, WorkedExampleProdPlainLowersEachSideSeparately) {
    auto e = MakeEngine(engine::kZorvane);
    e->dimension = 3;
    enginetest::SetWorkedExample(e->relation);
    e->AnalyzeRelation();
    // Step 1 at (0,1): 0.5·0.7 > 0.3 lowers (0,2) to 0.3/0.7; step 2 at (1,0): 0.7·0.5 > 0.3
    // lowers (2,0) the same way.
    const float lowered = static_cast<float>(static_cast<double>(0.3f) / static_cast<double>(0.7f));
    EXPECT_EQ(e->prodTransitivized[0][2], lowered);
    EXPECT_EQ(e->prodTransitivized[2][0], lowered);
    EXPECT_EQ(e->prodTransitivized[0][1], 0.3f);
    EXPECT_EQ(e->prodTransitivized[1][2], 0.7f);
    EXPECT_EQ(e->reducedCount[Prod], 2);
    const float order[3][3] = {{0, 1, 3}, {2, 0, 5}, {4, 9, 0}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_EQ(e->prodOrder[i][j], order[i][j]) << i << "," << j;
}

struct LoweringCase {
    TNorm t;
    float pk, kq;      // X[p][k], X[k][q] with p = 0, k = 2, q = 1; X[p][q] = 0.3
    bool lowersLeft;   // (p, k) lowered, else (k, q)
    double expected;   // new value, before rounding to 32 bits
};

void PrintTo(const LoweringCase& c, std::ostream* os) {
    *os << "t=" << c.t << " X[p][k]=" << c.pk << " X[k][q]=" << c.kq;
}

class Lowering : public ::testing::TestWithParam<std::tuple<LoweringCase, bool>> {};

TEST_P(Lowering, SmallerFactorTakesTheValueThatMakesThePairEqualV) {
    const auto [c, symmetrizing] = GetParam();
    // Every other entry is 0, so the pair through element 3 is the only violation.
    auto r = MakeMatrix(), x = MakeMatrix(), o = MakeMatrix();
    (*r)[0][1] = 0.3f;
    (*r)[0][2] = c.pk;
    (*r)[2][1] = c.kq;
    const int reduced = engine::Transitivize(c.t, 3, *r, *x, *o, symmetrizing);
    EXPECT_EQ(reduced, 1);
    const float lowered = static_cast<float>(c.expected);
    const int li = c.lowersLeft ? 0 : 2, lj = c.lowersLeft ? 2 : 1;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            float want = (*r)[i][j];
            if (i == li && j == lj) want = lowered;
            // The mirror of the lowered entry gets the same value, raising it from 0.
            if (symmetrizing && i == lj && j == li) want = lowered;
            EXPECT_EQ((*x)[i][j], want) << i << "," << j;
        }
}

INSTANTIATE_TEST_SUITE_P(
    ThreeEntries, Lowering,
    ::testing::Combine(
        ::testing::Values(
            // 0.8, 0.9 above 0.3: (p, k) is the smaller factor.
            LoweringCase{Min, 0.8f, 0.9f, true, 0.3f},
            LoweringCase{Prod, 0.8f, 0.9f, true, static_cast<double>(0.3f) / static_cast<double>(0.9f)},
            LoweringCase{W, 0.8f, 0.9f, true,
                         static_cast<double>(0.3f) - static_cast<double>(0.9f) + 1.0},
            // Equal factors: (k, q) is lowered, never (p, k).
            LoweringCase{Min, 0.8f, 0.8f, false, 0.3f},
            LoweringCase{Prod, 0.8f, 0.8f, false, static_cast<double>(0.3f) / static_cast<double>(0.8f)},
            LoweringCase{W, 0.8f, 0.8f, false,
                         static_cast<double>(0.3f) - static_cast<double>(0.8f) + 1.0},
            // (k, q) the smaller factor.
            LoweringCase{Min, 0.9f, 0.8f, false, 0.3f}),
        ::testing::Bool()));

TEST(Transitivize, LoweredValuesOfTheThreeEntryExampleAreAsStated) {
    EXPECT_NEAR(static_cast<double>(0.3f) / static_cast<double>(0.9f), 1.0 / 3.0, 1e-7);
    EXPECT_NEAR(static_cast<double>(0.3f) - static_cast<double>(0.9f) + 1.0, 0.4, 1e-7);
}

TEST(Transitivize, DimensionOneIsOneStepWhateverTheValue) {
    for (bool symmetrizing : {false, true})
        for (TNorm t : {Min, Prod, W})
            for (float a : {0.0f, 0.4f, 1.0f}) {
                auto r = MakeMatrix(), x = MakeMatrix(), o = MakeMatrix(5.0f);
                (*r)[0][0] = a;
                EXPECT_EQ(engine::Transitivize(t, 1, *r, *x, *o, symmetrizing), 0);
                EXPECT_EQ((*x)[0][0], a);
                EXPECT_EQ((*o)[0][0], 1.0f);
            }
}

TEST(Transitivize, AllOnesReprocessesTheFirstEntry) {
    const int n = 4;
    for (bool symmetrizing : {false, true})
        for (TNorm t : {Min, Prod, W}) {
            auto r = MakeMatrix(), x = MakeMatrix(), o = MakeMatrix();
            for (int i = 0; i < n; ++i)
                for (int j = 0; j < n; ++j) (*r)[i][j] = 1.0f;
            EXPECT_EQ(engine::Transitivize(t, n, *r, *x, *o, symmetrizing), 0);
            for (int i = 0; i < n; ++i)
                for (int j = 0; j < n; ++j) {
                    EXPECT_EQ((*x)[i][j], 1.0f);
                    EXPECT_EQ((*o)[i][j], i == 0 && j == 0 ? float(n * n) : 0.0f) << i << "," << j;
                }
        }
}

TEST(Transitivize, MirrorWritesOfTheSymmetrizingRunRaiseEntriesThatTheComparisonIgnores) {
    SeparatorGuard separator('.');
    // The three-entry Min example: the mirror (2,0) goes from 0 up to 0.3.
    auto e = MakeEngine(engine::kZorvath);
    e->dimension = 3;
    e->relation = {};
    e->relation[0][1] = 0.3f;
    e->relation[0][2] = 0.8f;
    e->relation[2][1] = 0.9f;
    e->AnalyzeRelation();
    ASSERT_EQ(e->minTransitivized[2][0], 0.3f);
    // Only the lowering of (0,2) by 0.5 counts.
    EXPECT_EQ(e->d1Transitivized[Min], 0.8f - 0.3f);
    EXPECT_EQ(e->d2Transitivized[Min], 0.8f - 0.3f);
    EXPECT_EQ(e->resultText[3].substr(e->resultText[3].find('\n') + 1),
              "d1=0.5 eucl=0.5\ndist1 m\u00e1xima 0.5 en (3, 1)  1 reducidos");
}

// ---- result texts ----

TEST_P(BothVariants, WorkedExampleTextsWithDecimalPoint) {
    SeparatorGuard separator('.');
    auto e = AnalyzedExample();
    EXPECT_EQ(e->resultText[0],
              "Cierre Min-transit. Iter= 2 Incr= 2\nd1=0.4 eucl=0.28284\ndist1 m\u00e1xima 0.2 en (2, 1)");
    EXPECT_EQ(e->resultText[1],
              "Cierre Prod-transit. Iter= 2 Incr= 2\nd1=0.1 eucl=0.070711\ndist1 m\u00e1xima 0.05 en (2, 1)");
    EXPECT_EQ(e->resultText[2], "Cierre W-transit. Iter= 1 Incr= 0\nd1=0 eucl=0\ndist1 m\u00e1xima 0 en (1, 1)");
    EXPECT_EQ(e->resultText[3], std::string("Matriz Min-Transitivizada\nd1=0.4 eucl=0.28284\n"
                                            "dist1 m\u00e1xima 0.2 en (3, 1)  ") +
                                    (Zorvath() ? "1" : "2") + " reducidos");
    // Prod: first line, and the count at the end.
    EXPECT_EQ(e->resultText[4].substr(0, e->resultText[4].find('\n')), "Matriz Prod-Transitivizada");
    EXPECT_TRUE(e->resultText[4].ends_with("  " + std::to_string(e->reducedCount[Prod]) + " reducidos"));
}

TEST_P(BothVariants, WorkedExampleTextsWithDecimalComma) {
    SeparatorGuard separator(',');
    auto e = AnalyzedExample();
    EXPECT_EQ(e->resultText[0],
              "Cierre Min-transit. Iter= 2 Incr= 2\nd1=0,4 eucl=0,28284\ndist1 m\u00e1xima 0,2 en (2, 1)");
    EXPECT_EQ(e->resultText[1],
              "Cierre Prod-transit. Iter= 2 Incr= 2\nd1=0,1 eucl=0,070711\ndist1 m\u00e1xima 0,05 en (2, 1)");
    EXPECT_EQ(e->resultText[2], "Cierre W-transit. Iter= 1 Incr= 0\nd1=0 eucl=0\ndist1 m\u00e1xima 0 en (1, 1)");
    EXPECT_EQ(e->resultText[3], std::string("Matriz Min-Transitivizada\nd1=0,4 eucl=0,28284\n"
                                            "dist1 m\u00e1xima 0,2 en (3, 1)  ") +
                                    (Zorvath() ? "1" : "2") + " reducidos");
}

TEST_P(BothVariants, WorkedExampleDistancesAreSummedIn32Bits) {
    auto e = AnalyzedExample();
    const float d = 0.5f - 0.3f;
    EXPECT_EQ(e->d1Closure[Min], d + d);
    EXPECT_EQ(e->d1Transitivized[Min], d + d);
    EXPECT_EQ(e->d1Closure[W], 0.0f);
    EXPECT_EQ(e->d2Closure[W], 0.0f);
}

// The comparison on crafted matrices: differences 0.25 at [0][0] and 0.5 at [1][4].
struct CraftedComparison : ::testing::Test {
    std::unique_ptr<engine::RelationMatrix> low = MakeMatrix(), high = MakeMatrix();
    void SetUp() override {
        (*high)[0][0] = 0.25f;
        (*high)[1][4] = 0.5f;
        (*high)[3][3] = 0.125f;
    }
};

TEST_F(CraftedComparison, PositionIsPrintedSecondIndexFirst) {
    SeparatorGuard separator('.');
    const auto c = engine::CompareWithRelation(5, *low, *high, engine::Direction::ClosureMinusRelation);
    EXPECT_EQ(c.pi, 1);
    EXPECT_EQ(c.pj, 4);
    EXPECT_EQ(c.maxDiff, 0.5f);
    EXPECT_EQ(c.d1, 0.875f);
    EXPECT_EQ(c.sumSquares, 0.328125f);
    EXPECT_EQ(engine::ClosureText(Prod, {3, 7}, c),
              "Cierre Prod-transit. Iter= 3 Incr= 7\nd1=0.875 eucl=0.57282\ndist1 m\u00e1xima 0.5 en (5, 2)");
    // The same differences seen from the other side, as a transitivization.
    const auto t = engine::CompareWithRelation(5, *high, *low, engine::Direction::RelationMinusTransitivized);
    EXPECT_EQ(engine::TransitivizedText(W, t, 4),
              "Matriz W-Transitivizada\nd1=0.875 eucl=0.57282\ndist1 m\u00e1xima 0.5 en (5, 2)  4 reducidos");
}

TEST_F(CraftedComparison, NegativeDifferencesCountForNothing) {
    // Seen in the wrong direction every difference is negative.
    const auto c = engine::CompareWithRelation(5, *high, *low, engine::Direction::ClosureMinusRelation);
    EXPECT_EQ(c.d1, 0.0f);
    EXPECT_EQ(c.sumSquares, 0.0f);
    EXPECT_EQ(c.maxDiff, 0.0f);
    EXPECT_EQ(c.pi, 0);
    EXPECT_EQ(c.pj, 0);
}

TEST(Comparison, TiesGoToTheFirstInRowMajorOrder) {
    SeparatorGuard separator('.');
    auto r = MakeMatrix(), x = MakeMatrix();
    // Equal largest differences at [2][0], [1][3] and [3][1]: [1][3] comes first row by row.
    (*x)[2][0] = 0.5f;
    (*x)[1][3] = 0.5f;
    (*x)[3][1] = 0.5f;
    (*x)[0][0] = 0.25f;
    const auto c = engine::CompareWithRelation(4, *r, *x, engine::Direction::ClosureMinusRelation);
    EXPECT_EQ(c.pi, 1);
    EXPECT_EQ(c.pj, 3);
    EXPECT_TRUE(engine::ClosureText(Min, {1, 0}, c).ends_with("m\u00e1xima 0.5 en (4, 2)"));
}

TEST(Comparison, EqualMatricesMeasureZeroAtTheFirstPosition) {
    for (auto dir : {engine::Direction::ClosureMinusRelation, engine::Direction::RelationMinusTransitivized}) {
        auto r = MakeMatrix(0.6f);
        const auto c = engine::CompareWithRelation(6, *r, *r, dir);
        EXPECT_EQ(engine::TransitivizedText(Min, c, 0),
                  "Matriz Min-Transitivizada\nd1=0 eucl=0\ndist1 m\u00e1xima 0 en (1, 1)  0 reducidos");
    }
}

struct DistanceText {
    int n;
    int ones;        // differences of exactly 1 in the first entries, row by row
    float last;      // then one more difference
    const char* d1;  // the text of their 32-bit sum
};

class DistanceTexts : public ::testing::TestWithParam<DistanceText> {};

TEST_P(DistanceTexts, FiveSignificantDigits) {
    SeparatorGuard separator('.');
    const DistanceText c = GetParam();
    auto r = MakeMatrix(), x = MakeMatrix();
    for (int s = 0; s < c.ones; ++s) (*r)[s / c.n][s % c.n] = 1.0f;
    (*r)[c.ones / c.n][c.ones % c.n] = c.last;
    const auto comparison = engine::CompareWithRelation(c.n, *r, *x, engine::Direction::RelationMinusTransitivized);
    const std::string text = engine::TransitivizedText(Min, comparison, 0);
    EXPECT_EQ(text.substr(text.find('\n') + 1, text.find(" eucl=") - text.find('\n') - 1),
              std::string("d1=") + c.d1);
}

INSTANTIATE_TEST_SUITE_P(Values, DistanceTexts,
                         ::testing::Values(DistanceText{2, 0, 0.0f, "0"}, DistanceText{5, 12, 0.25f, "12.25"},
                                           DistanceText{12, 123, 0.456f, "123.46"},
                                           DistanceText{2, 3, 0.7f, "3.7"}));

TEST(Comparison, OnlyTheLeadingBlockIsCompared) {
    auto r = MakeMatrix(), x = MakeMatrix(0.75f);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) (*x)[i][j] = 0.0f;
    const auto c = engine::CompareWithRelation(3, *r, *x, engine::Direction::ClosureMinusRelation);
    EXPECT_EQ(c.d1, 0.0f);
}

// ---- run statistics ----

// Disjoint copies of the worked example, with zeros between blocks: each block behaves as
// alone, adding 0.4 to both Min distances.
void PlaceWorkedBlocks(engine::RelationMatrix& r, int blocks) {
    for (int b = 0; b < blocks; ++b) enginetest::SetWorkedExample(r, 3 * b);
}

// A three-element block 0 → 2 (0.8) → 1 (0.9) with the direct entry 0.1: the closure raises
// the direct entry by 0.7, the transitivization lowers (0, 2) by 0.7.
void PlacePathBlock(engine::RelationMatrix& r, int at) {
    r[at][at + 2] = 0.8f;
    r[at + 2][at + 1] = 0.9f;
    r[at][at + 1] = 0.1f;
}

// A four-element block, the path with a second branch 2 → 3 (0.9) and direct entry 0.1: the
// closure raises both direct entries by 0.7, the transitivization lowers the shared (0, 2) once.
void PlaceFanBlock(engine::RelationMatrix& r, int at) {
    PlacePathBlock(r, at);
    r[at + 2][at + 3] = 0.9f;
    r[at][at + 3] = 0.1f;
}

TEST_P(BothVariants, CloserTransitivizationCountsAndPlotsTruncatedPoint) {
    // Min: closure 11 · 0.4 + 3 · 0.7 + 1.4 = 7.9, transitivized 11 · 0.4 + 3 · 0.7 + 0.7 = 7.2
    // → point (7, 7), closure greater.
    auto e = MakeEngine(GetParam());
    for (auto& s : e->pointSeries) uinftab::PointListCreate(s);
    e->dimension = 46;
    e->relation = {};
    PlaceWorkedBlocks(e->relation, 11);
    for (int b = 0; b < 3; ++b) PlacePathBlock(e->relation, 33 + 3 * b);
    PlaceFanBlock(e->relation, 42);
    e->AnalyzeRelation();
    EXPECT_NEAR(e->d1Closure[Min], 7.9, 1e-4);
    EXPECT_NEAR(e->d1Transitivized[Min], 7.2, 1e-4);
    EXPECT_EQ(e->closureGreaterCount[Min], 1);
    EXPECT_EQ(e->closureNotGreaterCount[Min], 0);
    uinftab::PlotPoint point;
    ASSERT_EQ(uinftab::PointListCount(e->pointSeries[Min]), 1);
    ASSERT_TRUE(uinftab::PointListGet(e->pointSeries[Min], 0, point));
    EXPECT_EQ(point.x, 7.0f);
    EXPECT_EQ(point.y, 7.0f);
    for (int t = 0; t < 3; ++t) {
        EXPECT_EQ(e->closureGreaterCount[t] + e->closureNotGreaterCount[t], 1) << t;
        EXPECT_EQ(uinftab::PointListCount(e->pointSeries[t]), 1) << t;
    }
}

TEST_P(BothVariants, EqualDistancesAreNotGreater) {
    // Eight worked blocks: both Min distances are the same sixteen 0.2 steps, about 3.2.
    auto e = MakeEngine(GetParam());
    for (auto& s : e->pointSeries) uinftab::PointListCreate(s);
    e->dimension = 24;
    e->relation = {};
    PlaceWorkedBlocks(e->relation, 8);
    e->AnalyzeRelation();
    ASSERT_EQ(e->d1Closure[Min], e->d1Transitivized[Min]);
    EXPECT_NEAR(e->d1Closure[Min], 3.2, 1e-4);
    EXPECT_EQ(e->closureGreaterCount[Min], 0);
    EXPECT_EQ(e->closureNotGreaterCount[Min], 1);
    uinftab::PlotPoint point;
    ASSERT_TRUE(uinftab::PointListGet(e->pointSeries[Min], 0, point));
    EXPECT_EQ(point.x, 3.0f);
    EXPECT_EQ(point.y, 3.0f);
    // Counters keep growing run after run.
    e->AnalyzeRelation();
    EXPECT_EQ(e->closureNotGreaterCount[Min], 2);
    EXPECT_EQ(uinftab::PointListCount(e->pointSeries[Min]), 2);
}

TEST_P(BothVariants, ZeroRelationRun) {
    SeparatorGuard separator('.');
    auto e = MakeEngine(GetParam());
    for (auto& s : e->pointSeries) uinftab::PointListCreate(s);
    e->dimension = 6;
    e->RunTrial();
    const auto greater = e->closureGreaterCount;
    const auto notGreater = e->closureNotGreaterCount;
    // Outside the block the relation keeps what it had.
    e->relation[6][0] = 0.5f;
    e->ClearRelation();
    EXPECT_EQ(e->relation[6][0], 0.5f);
    e->AnalyzeRelation();
    const char* titles[3] = {"Cierre Min-transit. Iter= ", "Cierre Prod-transit. Iter= ", "Cierre W-transit. Iter= "};
    for (int t = 0; t < 3; ++t) {
        SCOPED_TRACE(t);
        EXPECT_EQ(e->d1Closure[t], 0.0f);
        EXPECT_EQ(e->d2Closure[t], 0.0f);
        EXPECT_EQ(e->d1Transitivized[t], 0.0f);
        EXPECT_EQ(e->d2Transitivized[t], 0.0f);
        EXPECT_EQ(e->reducedCount[t], 0);
        // The previous iterate held the last closure of a non-zero relation: one iteration.
        EXPECT_EQ(e->resultText[t],
                  std::string(titles[t]) + "1 Incr= 0\nd1=0 eucl=0\ndist1 m\u00e1xima 0 en (1, 1)");
        EXPECT_TRUE(e->resultText[3 + t].ends_with("\nd1=0 eucl=0\ndist1 m\u00e1xima 0 en (1, 1)  0 reducidos"));
        EXPECT_EQ(e->closureGreaterCount[t], greater[t]);
        EXPECT_EQ(e->closureNotGreaterCount[t], notGreater[t] + 1);
        uinftab::PlotPoint point;
        ASSERT_EQ(uinftab::PointListCount(e->pointSeries[t]), 2);
        ASSERT_TRUE(uinftab::PointListGet(e->pointSeries[t], 1, point));
        EXPECT_EQ(point.x, 0.0f);
        EXPECT_EQ(point.y, 0.0f);
        for (int i = 0; i < 6; ++i)
            for (int j = 0; j < 6; ++j) {
                EXPECT_EQ(e->Closure(static_cast<TNorm>(t))[i][j], 0.0f);
                EXPECT_EQ(e->Transitivized(static_cast<TNorm>(t))[i][j], 0.0f);
            }
    }
    // A second run on the zero relation finds it equal to the previous iterate.
    e->AnalyzeRelation();
    for (int t = 0; t < 3; ++t)
        EXPECT_EQ(e->resultText[t], std::string(titles[t]) + "0 Incr= 0\nd1=0 eucl=0\ndist1 m\u00e1xima 0 en (1, 1)");
}

TEST(Statistics, NoSeriesMeansNoPointsButCountersStillCount) {
    auto e = MakeEngine(engine::kZorvane);
    e->dimension = 4;
    e->RunTrial();
    for (int t = 0; t < 3; ++t) {
        EXPECT_EQ(e->pointSeries[t], nullptr);
        EXPECT_EQ(e->closureGreaterCount[t] + e->closureNotGreaterCount[t], 1);
    }
    e->ResetCounters();
    for (int t = 0; t < 3; ++t) {
        EXPECT_EQ(e->closureGreaterCount[t], 0);
        EXPECT_EQ(e->closureNotGreaterCount[t], 0);
    }
}

}  // namespace

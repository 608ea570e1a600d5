// Random generation, the element swap, the trial cycle and its guards.

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine_test_support.h"
#include "experiments/uinftab.h"

namespace {

using engine::Engine;
using engine::RelationMatrix;
using enginetest::MakeEngine;
using enginetest::SameBits;
using enginetest::SeparatorGuard;

std::string VariantParamName(const ::testing::TestParamInfo<engine::Variant>& info) {
    return enginetest::VariantName(info.param);
}

class Generation : public ::testing::TestWithParam<engine::Variant> {
protected:
    std::unique_ptr<Engine> Fresh(int n, bool reflexive, bool symmetric) {
        auto e = MakeEngine(GetParam());
        e->dimension = n;
        e->reflexive = reflexive;
        e->symmetric = symmetric;
        return e;
    }
};

INSTANTIATE_TEST_SUITE_P(Programs, Generation, ::testing::Values(engine::kZorvath, engine::kZorvane),
                         VariantParamName);

TEST(Generation, StartValuesOfEachProgram) {
    auto zorvath = MakeEngine(engine::kZorvath);
    auto zorvane = MakeEngine(engine::kZorvane);
    EXPECT_TRUE(zorvath->symmetric);
    EXPECT_FALSE(zorvane->symmetric);
    for (Engine* e : {zorvath.get(), zorvane.get()}) {
        EXPECT_EQ(e->dimension, 10);
        EXPECT_FALSE(e->reflexive);
        EXPECT_FALSE(e->swapPending);
        EXPECT_EQ(e->swapFirst, 0);
        EXPECT_EQ(e->swapSecond, 0);
        EXPECT_EQ(e->trialCount, 0);
    }
}

TEST_P(Generation, OnlyTheElevenDegreesWhateverTheSeparator) {
    std::set<float> degrees;
    for (int k = 0; k <= 10; ++k) degrees.insert(enginetest::Degree(k));
    ASSERT_EQ(degrees.size(), 11u);
    auto withPoint = Fresh(30, false, false);
    auto withComma = Fresh(30, false, false);
    std::set<float> seen;
    for (int trial = 0; trial < 5; ++trial) {
        {
            SeparatorGuard separator('.');
            withPoint->RunTrial();
        }
        {
            SeparatorGuard separator(',');
            withComma->RunTrial();
        }
        // The separator changes the texts, never the stored values.
        ASSERT_TRUE(SameBits(30, withPoint->relation, withComma->relation)) << "trial " << trial;
        for (int i = 0; i < 30; ++i)
            for (int j = 0; j < 30; ++j) {
                ASSERT_EQ(degrees.count(withPoint->relation[i][j]), 1u) << withPoint->relation[i][j];
                seen.insert(withPoint->relation[i][j]);
            }
    }
    // 4500 draws: every degree turns up.
    EXPECT_EQ(seen, degrees);
}

TEST_P(Generation, ReflexiveSetsTheDiagonalAndLeavesTheRestAsDrawn) {
    auto plain = Fresh(12, false, false);
    auto reflexive = Fresh(12, true, false);
    plain->RunTrial();
    reflexive->RunTrial();
    for (int i = 0; i < 12; ++i)
        for (int j = 0; j < 12; ++j)
            EXPECT_EQ(reflexive->relation[i][j], i == j ? 1.0f : plain->relation[i][j]) << i << "," << j;
}

TEST_P(Generation, SymmetricCopiesTheLowerTriangleAndKeepsTheDrawnDiagonal) {
    for (bool reflexive : {false, true}) {
        auto plain = Fresh(15, reflexive, false);
        auto symmetric = Fresh(15, reflexive, true);
        for (int trial = 0; trial < 3; ++trial) {
            plain->RunTrial();
            symmetric->RunTrial();
            for (int i = 0; i < 15; ++i)
                for (int j = 0; j <= i; ++j) {
                    EXPECT_EQ(symmetric->relation[i][j], plain->relation[i][j]) << i << "," << j;
                    EXPECT_EQ(symmetric->relation[j][i], plain->relation[i][j]) << j << "," << i;
                }
        }
        if (!reflexive) {
            // The diagonal holds random degrees, not a constant.
            std::set<float> diagonal;
            for (int i = 0; i < 15; ++i) diagonal.insert(symmetric->relation[i][i]);
            EXPECT_GT(diagonal.size(), 1u);
        }
    }
}

TEST_P(Generation, EveryStartRepeatsTheSameSequence) {
    auto first = Fresh(10, false, GetParam().symmetricAtStart);
    auto second = Fresh(10, false, GetParam().symmetricAtStart);
    const int dims[] = {10, 3, 1, 25, 7};
    for (int n : dims) {
        first->dimension = second->dimension = n;
        first->RunTrial();
        second->RunTrial();
        ASSERT_TRUE(SameBits(n, first->relation, second->relation)) << "n=" << n;
    }
    // And two consecutive relations differ.
    first->dimension = 10;
    first->RunTrial();
    RelationMatrix previous = first->relation;
    first->RunTrial();
    EXPECT_FALSE(SameBits(10, previous, first->relation));
}

TEST_P(Generation, DimensionOneDrawsOneNumber) {
    auto e = Fresh(1, true, true);
    e->RunTrial();
    EXPECT_EQ(e->relation[0][0], 1.0f);
    EXPECT_EQ(e->trialCount, 1);
}

// The draws one by one: an engine of dimension 1 exposes each draw as its only entry.
std::vector<float> DrawSequence(const engine::Variant& v, int count) {
    auto e = MakeEngine(v);
    e->dimension = 1;
    e->reflexive = e->symmetric = false;
    std::vector<float> draws;
    for (int i = 0; i < count; ++i) {
        e->GenerateRelation();
        draws.push_back(e->relation[0][0]);
    }
    return draws;
}

TEST_P(Generation, EveryRelationConsumesExactlyNSquaredDraws) {
    const auto draws = DrawSequence(GetParam(), 9 + 4 + 16);
    // Options on: the diagonal and upper triangle are still drawn, then overwritten.
    auto e = Fresh(3, true, true);
    e->GenerateRelation();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < i; ++j) EXPECT_EQ(e->relation[i][j], draws[static_cast<std::size_t>(3 * i + j)]);
    e->reflexive = e->symmetric = false;
    e->dimension = 2;
    e->GenerateRelation();
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j)
            EXPECT_EQ(e->relation[i][j], draws[static_cast<std::size_t>(9 + 2 * i + j)]) << i << "," << j;
    e->dimension = 4;
    e->GenerateRelation();
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_EQ(e->relation[i][j], draws[static_cast<std::size_t>(13 + 4 * i + j)]) << i << "," << j;
}

TEST_P(Generation, SmallerDimensionLeavesTheRestOfStorageAlone) {
    auto e = Fresh(6, false, false);
    e->RunTrial();
    const RelationMatrix big = e->relation;
    e->dimension = 3;
    e->RunTrial();
    for (int i = 0; i < engine::MAX_DIM; ++i)
        for (int j = 0; j < engine::MAX_DIM; ++j)
            if (i >= 3 || j >= 3) { ASSERT_EQ(e->relation[i][j], big[i][j]) << i << "," << j; }
}

TEST_P(Generation, TrialNeitherReadsNorWritesOutsideTheBlock) {
    // Storage outside the block holds 7, which no closure or transitivization could ignore
    // if it were read; every matrix keeps it, and the results match a clean engine's.
    const int n = 5;
    auto dirty = Fresh(n, false, false);
    auto clean = Fresh(n, false, false);
    std::vector<RelationMatrix*> all = {&dirty->relation};
    for (int t = 0; t < 3; ++t) {
        const auto tn = static_cast<engine::TNorm>(t);
        all.push_back(&dirty->Closure(tn));
        all.push_back(&dirty->ClosurePrev(tn));
        all.push_back(&dirty->Transitivized(tn));
        all.push_back(&dirty->Order(tn));
    }
    for (RelationMatrix* m : all)
        for (auto& row : *m) row.fill(7.0f);
    for (int trial = 0; trial < 3; ++trial) {
        if (trial == 2) {
            dirty->swapPending = clean->swapPending = true;
            dirty->swapFirst = clean->swapFirst = 0;
            dirty->swapSecond = clean->swapSecond = n - 1;
        }
        dirty->RunTrial();
        clean->RunTrial();
        for (RelationMatrix* m : all)
            for (int i = 0; i < engine::MAX_DIM; ++i)
                for (int j = 0; j < engine::MAX_DIM; ++j)
                    if (i >= n || j >= n) { ASSERT_EQ((*m)[i][j], 7.0f) << i << "," << j; }
        for (int t = 0; t < 3; ++t) {
            const auto tn = static_cast<engine::TNorm>(t);
            EXPECT_TRUE(SameBits(n, dirty->Closure(tn), clean->Closure(tn)));
            EXPECT_TRUE(SameBits(n, dirty->Transitivized(tn), clean->Transitivized(tn)));
            EXPECT_TRUE(SameBits(n, dirty->Order(tn), clean->Order(tn)));
        }
        EXPECT_EQ(dirty->resultText, clean->resultText);
    }
}

TEST_P(Generation, ResultsDependOnlyOnTheRelationNotOnEarlierRuns) {
    // A used engine (larger and smaller dimensions before) and a fresh one analyse the same
    // relation: everything but the closure counts, which see the previous iterates, agrees.
    auto used = Fresh(30, false, false);
    for (int n : {30, 7, 18}) {
        used->dimension = n;
        used->RunTrial();
    }
    std::mt19937 rng(12345);
    for (int n : {12, 25, 3}) {
        SCOPED_TRACE(n);
        auto fresh = Fresh(n, false, false);
        used->dimension = n;
        enginetest::FillRandom(rng, n, false, GetParam().symmetricAtStart, enginetest::Values::Degrees,
                               used->relation);
        fresh->relation = used->relation;
        used->AnalyzeRelation();
        fresh->AnalyzeRelation();
        for (int t = 0; t < 3; ++t) {
            const auto tn = static_cast<engine::TNorm>(t);
            EXPECT_TRUE(SameBits(n, used->Closure(tn), fresh->Closure(tn)));
            EXPECT_TRUE(SameBits(n, used->Transitivized(tn), fresh->Transitivized(tn)));
            EXPECT_TRUE(SameBits(n, used->Order(tn), fresh->Order(tn)));
            EXPECT_EQ(used->resultText[3 + t], fresh->resultText[3 + t]);
            EXPECT_EQ(used->d1Closure[t], fresh->d1Closure[t]);
            EXPECT_EQ(used->d2Transitivized[t], fresh->d2Transitivized[t]);
        }
    }
}

// ---- swap ----

class Swap : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(Swap, RelabelsTheTwoElements) {
    const auto [a, b] = GetParam();
    const int n = 7;
    auto e = MakeEngine(engine::kZorvane);
    e->dimension = n;
    e->RunTrial();
    const RelationMatrix old = e->relation;
    e->swapFirst = a;
    e->swapSecond = b;
    e->swapPending = true;
    e->RunTrial();
    EXPECT_FALSE(e->swapPending);
    EXPECT_EQ(e->trialCount, 2);
    auto sigma = [&](int i) { return i == a ? b : i == b ? a : i; };
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) EXPECT_EQ(e->relation[sigma(i)][sigma(j)], old[i][j]) << i << "," << j;
    // The same swap again restores the relation.
    e->swapPending = true;
    e->RunTrial();
    EXPECT_TRUE(SameBits(n, e->relation, old));
}

INSTANTIATE_TEST_SUITE_P(Pairs, Swap,
                         ::testing::Values(std::tuple{1, 5}, std::tuple{5, 1}, std::tuple{0, 6}, std::tuple{6, 0},
                                           std::tuple{2, 3}, std::tuple{4, 4}));

TEST_P(Generation, SwapKeepsSymmetryAndReflexivity) {
    auto e = Fresh(9, true, true);
    e->RunTrial();
    e->swapFirst = 2;
    e->swapSecond = 7;
    e->swapPending = true;
    e->RunTrial();
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(e->relation[i][i], 1.0f);
        for (int j = 0; j < 9; ++j) EXPECT_EQ(e->relation[i][j], e->relation[j][i]);
    }
}

TEST_P(Generation, SwapOfAnElementWithItselfStillCountsAndAnalyses) {
    auto e = Fresh(6, false, false);
    e->RunTrial();
    const RelationMatrix old = e->relation;
    const auto greater = e->closureGreaterCount;
    const auto notGreater = e->closureNotGreaterCount;
    e->swapFirst = e->swapSecond = 3;
    e->swapPending = true;
    e->RunTrial();
    EXPECT_TRUE(SameBits(6, e->relation, old));
    EXPECT_EQ(e->trialCount, 2);
    for (int t = 0; t < 3; ++t)
        EXPECT_EQ(e->closureGreaterCount[t] + e->closureNotGreaterCount[t], greater[t] + notGreater[t] + 1);
}

TEST_P(Generation, SwapTrialDrawsNoRandomNumber) {
    auto swapping = Fresh(8, false, false);
    auto plain = Fresh(8, false, false);
    swapping->RunTrial();
    plain->RunTrial();
    swapping->swapFirst = 1;
    swapping->swapSecond = 6;
    swapping->swapPending = true;
    swapping->RunTrial();
    swapping->RunTrial();
    plain->RunTrial();
    EXPECT_TRUE(SameBits(8, swapping->relation, plain->relation));
    EXPECT_EQ(swapping->trialCount, 3);
}

// ---- guards ----

// Everything a refused trial must leave as it was.
struct EngineImage {
    RelationMatrix relation, minClosure, minClosurePrev, minTransitivized, minOrder;
    int dimension, trialCount, swapFirst, swapSecond;
    bool swapPending;
    std::array<int, 3> greater, notGreater;
    std::array<std::string, 6> texts;
    std::array<float, 3> d1c, d1t;
    std::array<int, 3> points;

    explicit EngineImage(const Engine& e)
        : relation(e.relation), minClosure(e.minClosure), minClosurePrev(e.minClosurePrev),
          minTransitivized(e.minTransitivized), minOrder(e.minOrder), dimension(e.dimension),
          trialCount(e.trialCount), swapFirst(e.swapFirst), swapSecond(e.swapSecond),
          swapPending(e.swapPending), greater(e.closureGreaterCount), notGreater(e.closureNotGreaterCount),
          texts(e.resultText), d1c(e.d1Closure), d1t(e.d1Transitivized) {
        for (int t = 0; t < 3; ++t)
            points[t] = e.pointSeries[t] == nullptr ? -1 : uinftab::PointListCount(e.pointSeries[t]);
    }
    bool operator==(const EngineImage&) const = default;
};

class DimensionGuard : public ::testing::TestWithParam<int> {};

TEST_P(DimensionGuard, TrialWithDimensionOutOfRangeChangesNothing) {
    const int bad = GetParam();
    auto e = MakeEngine(engine::kZorvane);
    for (auto& s : e->pointSeries) uinftab::PointListCreate(s);
    e->dimension = 4;
    e->RunTrial();
    e->dimension = bad;
    const EngineImage before(*e);
    try {
        e->RunTrial();
        FAIL() << "no exception for dimension " << bad;
    } catch (const std::out_of_range& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find(std::to_string(bad)), std::string::npos) << message;
        EXPECT_NE(message.find("100"), std::string::npos) << message;
    }
    EXPECT_TRUE(EngineImage(*e) == before);
    // The operations that read the dimension refuse it too, before touching storage.
    EXPECT_THROW(e->GenerateRelation(), std::out_of_range);
    EXPECT_THROW(e->SwapElements(), std::out_of_range);
    EXPECT_THROW(e->AnalyzeRelation(), std::out_of_range);
    EXPECT_THROW(e->ClearRelation(), std::out_of_range);
    EXPECT_TRUE(EngineImage(*e) == before);
    // The refused trial drew nothing: the next relation is the second one of a fresh engine.
    e->dimension = 4;
    e->RunTrial();
    auto fresh = MakeEngine(engine::kZorvane);
    fresh->dimension = 4;
    fresh->RunTrial();
    fresh->RunTrial();
    EXPECT_TRUE(SameBits(4, e->relation, fresh->relation));
    EXPECT_EQ(e->trialCount, 2);
}

INSTANTIATE_TEST_SUITE_P(OutOfRange, DimensionGuard, ::testing::Values(0, -1, 101, -2147483647 - 1, 2147483647),
                         [](const auto& info) {
                             return info.param < 0 ? "minus" + std::to_string(-static_cast<long long>(info.param))
                                                   : std::to_string(info.param);
                         });

TEST(DimensionGuard, LimitsAreAccepted) {
    for (int n : {1, 100}) {
        auto e = MakeEngine(engine::kZorvane);
        e->dimension = n;
        EXPECT_NO_THROW(e->RunTrial()) << n;
    }
}

class SwapGuard : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(SwapGuard, PendingSwapOutOfRangeChangesNothing) {
    const auto [a, b] = GetParam();
    const int n = 5;
    auto e = MakeEngine(engine::kZorvath);
    e->dimension = n;
    e->RunTrial();
    e->swapFirst = a;
    e->swapSecond = b;
    e->swapPending = true;
    const EngineImage before(*e);
    try {
        e->RunTrial();
        FAIL() << "no exception for swap " << a << ", " << b;
    } catch (const std::out_of_range& error) {
        const std::string message = error.what();
        const long long bad = (a < 0 || a >= n) ? a : b;
        // The message speaks of elements counted from 1, as the user enters them.
        EXPECT_NE(message.find(std::to_string(bad + 1)), std::string::npos) << message;
        EXPECT_NE(message.find(std::to_string(n)), std::string::npos) << message;
    }
    EXPECT_TRUE(EngineImage(*e) == before);
    EXPECT_THROW(e->SwapElements(), std::out_of_range);
    EXPECT_TRUE(EngineImage(*e) == before);
}

INSTANTIATE_TEST_SUITE_P(OutOfRange, SwapGuard,
                         ::testing::Values(std::tuple{-1, 2}, std::tuple{2, -1}, std::tuple{5, 0}, std::tuple{0, 5},
                                           std::tuple{99, 99}, std::tuple{-2147483647 - 1, 0},
                                           std::tuple{2147483647, 0}));

}  // namespace

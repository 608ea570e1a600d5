// Properties of the engine run on many random relations built by the test: every dimension
// up to 30 and some of 100, with and without the generation options, degrees k/10 and
// arbitrary floats, in both programs.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/compare.h"
#include "engine/engine.h"
#include "engine/transitivize.h"
#include "engine_test_support.h"
#include "experiments/uinftab.h"

namespace {

using engine::Engine;
using engine::Min;
using engine::Prod;
using engine::RelationMatrix;
using engine::TNorm;
using engine::W;
using enginetest::Values;

// One program with one choice of options and values, over a list of dimensions; each test
// runs its checks for every dimension in turn.
struct Case {
    engine::Variant variant;
    bool reflexive;
    bool symmetric;
    Values kind;
    std::vector<int> dims;
};

const char* KindName(Values kind) {
    return kind == Values::Degrees ? "degrees" : kind == Values::AnyFloat ? "floats" : "chain";
}

void PrintTo(const Case& c, std::ostream* os) {
    *os << enginetest::VariantName(c.variant) << (c.reflexive ? " reflexive" : "")
        << (c.symmetric ? " symmetric" : "") << " " << KindName(c.kind) << " n="
        << c.dims.front() << "…" << c.dims.back();
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    const Case& c = info.param;
    std::ostringstream name;
    name << enginetest::VariantName(c.variant) << (c.reflexive ? "_refl" : "") << (c.symmetric ? "_sym" : "")
         << "_" << KindName(c.kind) << "_n" << c.dims.front() << "to" << c.dims.back();
    return name.str();
}

std::vector<Case> SmallCases() {
    std::vector<int> dims(30);
    std::iota(dims.begin(), dims.end(), 1);
    std::vector<Case> cases;
    for (const auto& v : {engine::kZorvath, engine::kZorvane})
        for (int options = 0; options < 4; ++options)
            for (Values kind : {Values::Degrees, Values::AnyFloat, Values::Chain})
                cases.push_back({v, (options & 1) != 0, (options & 2) != 0, kind, dims});
    return cases;
}

std::vector<Case> LargeCases() {
    return {{engine::kZorvath, false, true, Values::Degrees, {100}},
            {engine::kZorvath, false, false, Values::AnyFloat, {100}},
            {engine::kZorvane, true, false, Values::Degrees, {100}},
            {engine::kZorvane, false, true, Values::AnyFloat, {100}},
            {engine::kZorvane, false, false, Values::Chain, {100}}};
}

const char* TName(int t) { return t == Min ? "Min" : t == Prod ? "Prod" : "W"; }

bool IsSymmetric(int n, const RelationMatrix& m) {
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < i; ++j)
            if (m[i][j] != m[j][i]) return false;
    return true;
}

int CeilLog2(int n) {
    int k = 0;
    while ((1 << k) < n) ++k;
    return k;
}

class RandomRelation : public ::testing::TestWithParam<Case> {
protected:
    // A fresh engine analyses a random relation of dimension dim.
    void Analyze(int dim) {
        const Case& c = GetParam();
        n = dim;
        e = enginetest::MakeEngine(c.variant);
        for (auto& s : e->pointSeries) uinftab::PointListCreate(s);
        e->dimension = n;
        std::seed_seq seed{dim, int(c.reflexive), int(c.symmetric), int(c.kind), int(c.variant.symmetrizing)};
        std::mt19937 rng(seed);
        enginetest::FillRandom(rng, n, c.reflexive, c.symmetric, c.kind, e->relation);
        relation = e->relation;
        e->AnalyzeRelation();
    }

    template <typename Checks>
    void ForEachDimension(Checks checks) {
        for (int dim : GetParam().dims) {
            SCOPED_TRACE("n=" + std::to_string(dim));
            Analyze(dim);
            checks();
        }
    }

    int n = 0;
    std::unique_ptr<Engine> e;
    RelationMatrix relation{};
};

// ---- closures ----

TEST_P(RandomRelation, ClosuresContainTheRelationAndAreTransitive) {
    ForEachDimension([&] {
        for (int t = Min; t <= W; ++t) {
            SCOPED_TRACE(TName(t));
            const RelationMatrix& c = e->Closure(static_cast<TNorm>(t));
            int violations = 0;
            for (int i = 0; i < n; ++i)
                for (int j = 0; j < n; ++j) {
                    ASSERT_GE(c[i][j], relation[i][j]) << i << "," << j;
                    ASSERT_LE(c[i][j], 1.0f);
                    // Stored values are 32-bit: T of two entries, rounded to 32 bits, is covered.
                    // For Min and W the rounding changes nothing.
                    for (int k = 0; k < n; ++k)
                        if (static_cast<float>(enginetest::TValue(static_cast<TNorm>(t), c[i][k], c[k][j])) > c[i][j])
                            ++violations;
                }
            EXPECT_EQ(violations, 0);
            if (GetParam().symmetric) { EXPECT_TRUE(IsSymmetric(n, c)); }
        }
    });
}

TEST_P(RandomRelation, MinAndWClosuresEqualWarshallClosuresExactly) {
    ForEachDimension([&] {
        auto oracle = enginetest::MakeMatrix();
        enginetest::WarshallMin(n, relation, *oracle);
        EXPECT_TRUE(enginetest::SameBits(n, e->minClosure, *oracle));
        enginetest::WarshallW(n, relation, *oracle);
        EXPECT_TRUE(enginetest::SameBits(n, e->wClosure, *oracle));
    });
}

TEST_P(RandomRelation, ProdClosureMatchesDoublePrecisionClosure) {
    ForEachDimension([&] {
        // Each stored product is rounded once; a chain of at most 100 factors keeps the relative
        // error far below 1e-5.
        const auto oracle = enginetest::WarshallProd(n, relation);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                const double want = oracle[static_cast<std::size_t>(i) * n + j];
                ASSERT_NEAR(e->prodClosure[i][j], want, 1e-5 * want) << i << "," << j;
            }
    });
}

TEST_P(RandomRelation, ClosureCountsAreConsistent) {
    ForEachDimension([&] {
        const bool zero = std::all_of(relation.begin(), relation.begin() + n, [&](const engine::MatrixRow& row) {
            return std::all_of(row.begin(), row.begin() + n, [](float x) { return x == 0.0f; });
        });
        for (int t = Min; t <= W; ++t) {
            SCOPED_TRACE(TName(t));
            const auto counts = e->closureCounts[t];
            const RelationMatrix& c = e->Closure(static_cast<TNorm>(t));
            int changed = 0;
            for (int i = 0; i < n; ++i)
                for (int j = 0; j < n; ++j) changed += c[i][j] != relation[i][j];
            if (zero) {
                // Equal to the all-zero previous iterate of a fresh engine: no iteration.
                EXPECT_EQ(counts.iterCount, 0);
                continue;
            }
            ASSERT_GE(counts.iterCount, 1);
            EXPECT_LE(counts.iterCount, engine::kWIterationLimit);
            // Every raised entry was raised at least once and at most once per iteration but the last.
            EXPECT_GE(counts.incrCount, changed);
            EXPECT_LE(counts.incrCount, changed * (counts.iterCount - 1));
            // Min and W are computed exactly, so squaring reaches every path of length up to
            // 2^k after k iterations: ⌈log2 n⌉ iterations and a final unchanged one at most.
            if (t != Prod) { EXPECT_LE(counts.iterCount, CeilLog2(n) + 1); }
        }
    });
}

// Iteration counts of Min and W from path lengths, without squaring: B_l, the best T-value
// over paths of at most l steps, grows one step at a time (B_l = max(B_{l-1}, B_{l-1} ∘T R)).
// Squaring from R reaches B_{2^k} after k iterations, so iteration k raises exactly the entries
// where B_{2^k} exceeds B_{2^(k-1)}, and the loop ends with the first k that raises none.
// Both t-norms are exact in 32 bits, so the comparison is exact.
TEST_P(RandomRelation, MinAndWIterationCountsFollowPathLengths) {
    ForEachDimension([&] {
        const bool zero = std::all_of(relation.begin(), relation.begin() + n, [&](const engine::MatrixRow& row) {
            return std::all_of(row.begin(), row.begin() + n, [](float x) { return x == 0.0f; });
        });
        for (TNorm t : {Min, W}) {
            SCOPED_TRACE(TName(t));
            if (zero) {
                EXPECT_EQ(e->closureCounts[t].iterCount, 0);
                continue;
            }
            auto best = enginetest::MakeMatrix(), next = enginetest::MakeMatrix(), atPower = enginetest::MakeMatrix();
            *best = relation;
            *atPower = relation;
            int iterations = 0, raises = 0;
            for (int length = 2;; ++length) {
                for (int i = 0; i < n; ++i)
                    for (int j = 0; j < n; ++j) {
                        float b = (*best)[i][j];
                        for (int k = 0; k < n; ++k)
                            b = std::max(b, static_cast<float>(enginetest::TValue(t, (*best)[i][k], relation[k][j])));
                        (*next)[i][j] = b;
                    }
                std::swap(best, next);
                if ((length & (length - 1)) != 0) continue;  // only lengths 2, 4, 8, …
                int raised = 0;
                for (int i = 0; i < n; ++i)
                    for (int j = 0; j < n; ++j) raised += (*best)[i][j] != (*atPower)[i][j];
                *atPower = *best;
                ++iterations;
                raises += raised;
                if (raised == 0) break;
            }
            EXPECT_EQ(e->closureCounts[t].iterCount, iterations);
            EXPECT_EQ(e->closureCounts[t].incrCount, raises);
        }
    });
}

TEST_P(RandomRelation, SecondRunRepeatsTheSameResults) {
    ForEachDimension([&] {
        std::array<engine::ClosureCounts, 3> counts = e->closureCounts;
        auto copies = std::vector<RelationMatrix>();
        for (int t = Min; t <= W; ++t) {
            copies.push_back(e->Closure(static_cast<TNorm>(t)));
            copies.push_back(e->Transitivized(static_cast<TNorm>(t)));
            copies.push_back(e->Order(static_cast<TNorm>(t)));
        }
        const auto reduced = e->reducedCount;
        const auto texts = e->resultText;
        e->AnalyzeRelation();
        for (int t = Min; t <= W; ++t) {
            SCOPED_TRACE(TName(t));
            EXPECT_TRUE(enginetest::SameBits(n, e->Closure(static_cast<TNorm>(t)), copies[3 * t]));
            EXPECT_TRUE(enginetest::SameBits(n, e->Transitivized(static_cast<TNorm>(t)), copies[3 * t + 1]));
            EXPECT_TRUE(enginetest::SameBits(n, e->Order(static_cast<TNorm>(t)), copies[3 * t + 2]));
            EXPECT_EQ(e->reducedCount[t], reduced[t]);
            EXPECT_EQ(e->resultText[3 + t], texts[3 + t]);
            // The previous iterate now holds the closure: a relation that was already
            // transitive (one iteration, or none) finds it equal; any other repeats its work.
            if (counts[t].iterCount <= 1) {
                EXPECT_EQ(e->closureCounts[t].iterCount, 0);
                EXPECT_EQ(e->closureCounts[t].incrCount, 0);
            } else {
                EXPECT_EQ(e->closureCounts[t].iterCount, counts[t].iterCount);
                EXPECT_EQ(e->closureCounts[t].incrCount, counts[t].incrCount);
            }
        }
    });
}

// ---- transitivization ----

TEST_P(RandomRelation, OrderMatricesHoldDistinctStepNumbers) {
    ForEachDimension([&] {
        const int steps = n * n;
        for (int t = Min; t <= W; ++t) {
            SCOPED_TRACE(TName(t));
            const RelationMatrix& o = e->Order(static_cast<TNorm>(t));
            std::vector<int> marks;
            for (int i = 0; i < n; ++i)
                for (int j = 0; j < n; ++j) {
                    const float mark = o[i][j];
                    ASSERT_EQ(mark, std::floor(mark));
                    ASSERT_GE(mark, 0.0f);
                    ASSERT_LE(mark, static_cast<float>(steps));
                    if (mark != 0.0f) marks.push_back(static_cast<int>(mark));
                }
            std::sort(marks.begin(), marks.end());
            ASSERT_FALSE(marks.empty());
            EXPECT_EQ(std::adjacent_find(marks.begin(), marks.end()), marks.end()) << "a step number twice";
            // The last step always marks something.
            EXPECT_EQ(marks.back(), steps);
        }
    });
}

// A closure is already transitive (Min and W exactly), so the technique lowers nothing, in
// either program, and numbers the entries below 1 by ascending value, row-major among equals;
// the steps left over re-mark the last of them.
TEST_P(RandomRelation, TransitivizingAClosureChangesNothing) {
    ForEachDimension([&] {
        const int steps = n * n;
        for (TNorm t : {Min, W}) {
            SCOPED_TRACE(TName(t));
            const RelationMatrix& closure = e->Closure(t);
            auto x = enginetest::MakeMatrix(), o = enginetest::MakeMatrix();
            EXPECT_EQ(engine::Transitivize(t, n, closure, *x, *o, GetParam().variant.symmetrizing), 0);
            EXPECT_TRUE(enginetest::SameBits(n, *x, closure));
            struct Entry {
                float value;
                int i, j;
            };
            std::vector<Entry> below;
            for (int i = 0; i < n; ++i)
                for (int j = 0; j < n; ++j)
                    if (closure[i][j] < 1.0f) below.push_back({closure[i][j], i, j});
            std::stable_sort(below.begin(), below.end(), [](const Entry& a, const Entry& b) { return a.value < b.value; });
            auto want = enginetest::MakeMatrix();
            for (std::size_t s = 0; s < below.size(); ++s)
                (*want)[below[s].i][below[s].j] = static_cast<float>(s + 1);
            if (below.empty()) (*want)[0][0] = static_cast<float>(steps);
            else (*want)[below.back().i][below.back().j] = static_cast<float>(steps);
            EXPECT_TRUE(enginetest::SameBits(n, *o, *want));
        }
    });
}

// The plain technique, or the symmetrizing one on a symmetric relation: every entry below 1
// is processed once, in ascending order, and never changed afterwards.
class RegularRelation : public RandomRelation {};
// The symmetrizing technique on a relation that is not symmetric: mirror writes can raise
// entries, processed ones included.
class MirrorRaisingRelation : public RandomRelation {};

bool IsRegular(const Case& c) { return !c.variant.symmetrizing || c.symmetric; }

TEST_P(RegularRelation, EveryEntryBelowOneIsProcessedInAscendingOrder) {
    ForEachDimension([&] {
        const int steps = n * n;
        for (int t = Min; t <= W; ++t) {
            SCOPED_TRACE(TName(t));
            const RelationMatrix& x = e->Transitivized(static_cast<TNorm>(t));
            const RelationMatrix& o = e->Order(static_cast<TNorm>(t));
            std::vector<std::pair<int, float>> processed;  // (mark, final value)
            bool allOnes = true;
            for (int i = 0; i < n; ++i)
                for (int j = 0; j < n; ++j) {
                    allOnes = allOnes && x[i][j] == 1.0f;
                    if (o[i][j] != 0.0f) processed.emplace_back(static_cast<int>(o[i][j]), x[i][j]);
                }
            if (allOnes) {
                // Nothing is ever selected: every step re-processes the first entry.
                EXPECT_EQ(o[0][0], static_cast<float>(steps));
                EXPECT_EQ(processed.size(), 1u);
                continue;
            }
            for (int i = 0; i < n; ++i)
                for (int j = 0; j < n; ++j)
                    EXPECT_EQ(o[i][j] == 0.0f, x[i][j] == 1.0f) << "entry " << i << "," << j;
            std::sort(processed.begin(), processed.end());
            const int count = static_cast<int>(processed.size());
            for (int s = 0; s < count; ++s) {
                // Steps 1 … count − 1 mark new entries; the last new entry is re-marked by every
                // remaining step and ends with the last step number.
                const int want = s + 1 == count ? steps : s + 1;
                ASSERT_EQ(processed[static_cast<std::size_t>(s)].first, want);
                if (s > 0) { ASSERT_LE(processed[s - 1].second, processed[s].second) << "step " << want; }
            }
        }
    });
}

TEST_P(RegularRelation, TransitivizationOnlyLowersAndIsTransitive) {
    ForEachDimension([&] {
        for (int t = Min; t <= W; ++t) {
            SCOPED_TRACE(TName(t));
            const auto tn = static_cast<TNorm>(t);
            const RelationMatrix& x = e->Transitivized(tn);
            int changed = 0;
            for (int i = 0; i < n; ++i)
                for (int j = 0; j < n; ++j) {
                    ASSERT_LE(x[i][j], relation[i][j]) << i << "," << j;
                    ASSERT_GE(x[i][j], 0.0f);
                    changed += x[i][j] != relation[i][j];
                }
            // A lowering writes one entry (two with the mirror); the count is of lowerings.
            EXPECT_GE(e->reducedCount[t] * (GetParam().variant.symmetrizing ? 2 : 1), changed);
            if (e->reducedCount[t] == 0) { EXPECT_EQ(changed, 0); }
            // Only the mirror writes keep a symmetric relation symmetric.
            if (GetParam().symmetric && GetParam().variant.symmetrizing) { EXPECT_TRUE(IsSymmetric(n, x)); }

            // Transitivity. Under Min the lowered value is v itself: exact. Under Prod and W the
            // lowered value v ÷ o or v − o + 1 is rounded to 32 bits, so T of the pair can exceed
            // v by that rounding: at most v·2^-24 for Prod (relative rounding of the quotient,
            // times o ≤ 1... i.e. (v/o)(1 + δ)·o) and 2^-24 for W (absolute rounding of a value
            // in [0, 1]). Later lowerings only decrease T. Those bounds are checked; exact
            // violations beyond them would be faults.
            int exactViolations = 0;
            double worstExcess = 0.0;
            for (int i = 0; i < n; ++i)
                for (int j = 0; j < n; ++j)
                    for (int k = 0; k < n; ++k) {
                        const double value = engine::TNormValue(tn, x[i][k], x[k][j]);
                        if (!(value > x[i][j])) continue;
                        ++exactViolations;
                        const double excess = value - x[i][j];
                        worstExcess = std::max(worstExcess, excess);
                        if (tn == Min) ADD_FAILURE() << "Min violation at " << i << "," << k << "," << j;
                        const double bound = tn == Prod ? static_cast<double>(x[i][j]) * 0x1p-24 : 0x1p-24;
                        ASSERT_LE(excess, bound) << i << "," << k << "," << j;
                    }
            if (exactViolations > 0)
                RecordProperty(std::string("rounding_violations_") + TName(t), exactViolations);
        }
    });
}

TEST_P(MirrorRaisingRelation, ValuesStayDegreesAndNothingMovesWithoutALowering) {
    ForEachDimension([&] {
        std::set<float> values;
        for (int i = 0; i < n; ++i) values.insert(relation[i].begin(), relation[i].begin() + n);
        for (int t = Min; t <= W; ++t) {
            SCOPED_TRACE(TName(t));
            const RelationMatrix& x = e->Transitivized(static_cast<TNorm>(t));
            for (int i = 0; i < n; ++i)
                for (int j = 0; j < n; ++j) {
                    ASSERT_GE(x[i][j], 0.0f);
                    ASSERT_LE(x[i][j], 1.0f);
                    // Under Min every written value is the value of a selected entry, and every
                    // such value comes from the relation.
                    if (t == Min) { ASSERT_EQ(values.count(x[i][j]), 1u) << i << "," << j; }
                }
            if (e->reducedCount[t] == 0) { EXPECT_TRUE(enginetest::SameBits(n, x, relation)); }
        }
    });
}

// ---- measures and statistics ----

TEST_P(RandomRelation, MeasuresAgreeWithTheMatrices) {
    ForEachDimension([&] {
        for (int half = 0; half < 2; ++half)
            for (int t = Min; t <= W; ++t) {
                const auto tn = static_cast<TNorm>(t);
                SCOPED_TRACE(std::string(half == 0 ? "closure " : "transitivized ") + TName(t));
                const RelationMatrix& x = half == 0 ? e->Closure(tn) : e->Transitivized(tn);
                // Positive differences only, summed in double for reference.
                double sum = 0.0, squares = 0.0;
                float largest = 0.0f;
                int pi = 0, pj = 0;
                for (int i = 0; i < n; ++i)
                    for (int j = 0; j < n; ++j) {
                        const float d = half == 0 ? x[i][j] - relation[i][j] : relation[i][j] - x[i][j];
                        if (d <= 0.0f) continue;
                        sum += d;
                        squares += static_cast<double>(d) * d;
                        if (d > largest) {
                            largest = d;
                            pi = i;
                            pj = j;
                        }
                    }
                const float d1 = half == 0 ? e->d1Closure[t] : e->d1Transitivized[t];
                const float d2 = half == 0 ? e->d2Closure[t] : e->d2Transitivized[t];
                // n² additions rounded to 32 bits each.
                const double tolerance = 1e-6 * n * n * std::max(sum, 1e-30) + 1e-30;
                EXPECT_NEAR(d1, sum, tolerance);
                EXPECT_NEAR(d2, std::sqrt(squares), 1e-6 * n * n * std::max(std::sqrt(squares), 1e-30) + 1e-30);
                if (sum == 0.0) {
                    EXPECT_EQ(d1, 0.0f);
                    EXPECT_EQ(d2, 0.0f);
                }
                // The text shows the same numbers and the first largest difference.
                const std::string& text = e->resultText[half == 0 ? t : 3 + t];
                const std::string position = " en (" + std::to_string(pj + 1) + ", " + std::to_string(pi + 1) + ")";
                EXPECT_NE(text.find("\nd1=" + toolkit::FloatToStrF(d1, 5, 3) + " eucl="), std::string::npos) << text;
                EXPECT_NE(text.find("\ndist1 m\u00e1xima " + toolkit::FloatToStrF(largest, 5, 3) + position),
                          std::string::npos)
                    << text;
                if (half == 0) {
                    const std::string counts = " Iter= " + std::to_string(e->closureCounts[t].iterCount) +
                                               " Incr= " + std::to_string(e->closureCounts[t].incrCount) + "\n";
                    EXPECT_NE(text.find(counts), std::string::npos) << text;
                } else {
                    EXPECT_TRUE(text.ends_with("  " + std::to_string(e->reducedCount[t]) + " reducidos")) << text;
                }
            }
    });
}

TEST_P(RandomRelation, EachRunCountsOnceAndAppendsTheTruncatedPoint) {
    ForEachDimension([&] {
        for (int run = 1; run <= 2; ++run) {
            if (run == 2) e->AnalyzeRelation();
            for (int t = Min; t <= W; ++t) {
                SCOPED_TRACE(TName(t));
                EXPECT_EQ(e->closureGreaterCount[t] + e->closureNotGreaterCount[t], run);
                ASSERT_EQ(uinftab::PointListCount(e->pointSeries[t]), run);
                uinftab::PlotPoint point;
                ASSERT_TRUE(uinftab::PointListGet(e->pointSeries[t], run - 1, point));
                EXPECT_EQ(point.x, std::trunc(e->d1Closure[t]));
                EXPECT_EQ(point.y, std::trunc(e->d1Transitivized[t]));
            }
        }
        // Both runs saw the same relation: the same counter grew twice.
        for (int t = Min; t <= W; ++t) {
            const bool greater = e->d1Closure[t] > e->d1Transitivized[t];
            EXPECT_EQ(e->closureGreaterCount[t], greater ? 2 : 0) << TName(t);
            EXPECT_EQ(e->closureNotGreaterCount[t], greater ? 0 : 2) << TName(t);
        }
    });
}

std::vector<Case> Only(std::vector<Case> cases, bool regular) {
    std::erase_if(cases, [&](const Case& c) { return IsRegular(c) != regular; });
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Small, RandomRelation, ::testing::ValuesIn(SmallCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(Large, RandomRelation, ::testing::ValuesIn(LargeCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(Small, RegularRelation, ::testing::ValuesIn(Only(SmallCases(), true)), CaseName);
INSTANTIATE_TEST_SUITE_P(Large, RegularRelation, ::testing::ValuesIn(Only(LargeCases(), true)), CaseName);
INSTANTIATE_TEST_SUITE_P(Small, MirrorRaisingRelation, ::testing::ValuesIn(Only(SmallCases(), false)), CaseName);
INSTANTIATE_TEST_SUITE_P(Large, MirrorRaisingRelation, ::testing::ValuesIn(Only(LargeCases(), false)), CaseName);

}  // namespace

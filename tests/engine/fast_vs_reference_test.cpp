// The fast closure and transitivization against the straightforward ones kept in
// reference_engine.cpp: every matrix, order matrix, count, distance and text must agree bit
// for bit, on many random relations of every dimension, both variants.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/closure.h"
#include "engine/engine.h"
#include "engine/index_heap.h"
#include "engine/transitivize.h"
#include "engine/variant.h"
#include "experiments/uinftab.h"
#include "tests/engine/reference_engine.h"

namespace {

using engine::MAX_DIM;
using engine::RelationMatrix;
using engine::TNorm;

// The sanitizer build runs the oracle many times slower: fewer and smaller relations there,
// but still the largest dimensions, where the fast code meets the ends of its storage.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
constexpr int kRandomRelations = 300;
constexpr int kLargestRandomDim = 40;
constexpr int kWholeTrials = 40;
#else
constexpr bool kSanitized = false;
constexpr int kRandomRelations = 2000;
constexpr int kLargestRandomDim = MAX_DIM;
constexpr int kWholeTrials = 200;
#endif

const TNorm kTNorms[] = {engine::Min, engine::Prod, engine::W};
const char* const kTNormNames[] = {"Min", "Prod", "W"};

// First entry (over the whole 100 × 100 storage) whose bits differ, or "" when none.
std::string FirstDifference(const RelationMatrix& a, const RelationMatrix& b) {
    for (int i = 0; i < MAX_DIM; ++i)
        for (int j = 0; j < MAX_DIM; ++j)
            if (std::bit_cast<std::uint32_t>(a[i][j]) != std::bit_cast<std::uint32_t>(b[i][j])) {
                std::ostringstream out;
                out.precision(9);
                out << "[" << i << "][" << j << "]: " << a[i][j] << " vs " << b[i][j];
                return out.str();
            }
    return "";
}

// The distributions of degrees the relations are drawn from.
enum class Degrees {
    Tenths,      // k/10, as the program generates them
    Continuous,  // any float in [0, 1): ties are rare
    FewLevels,   // 0, 0.5, 1: ties everywhere
    SignedZeros, // tenths with −0 among the zeros
    Wide,        // [−0.25, 1.25): outside the unit interval
    Single,      // one degree everywhere
    Tiny,        // 0, 1 and tiny degrees with full mantissas, where a + b is inexact in double
};
constexpr int kDegreeKinds = 7;

struct Case {
    int n = 1;
    bool reflexive = false;
    bool symmetric = false;
    Degrees degrees = Degrees::Tenths;
    float single = 0.0f;
    int tinyExponent = -30;  // Tiny: degrees in [2^e, 2^(e+1))
};

std::string Describe(const Case& c) {
    std::ostringstream out;
    out << "n=" << c.n << " reflexive=" << c.reflexive << " symmetric=" << c.symmetric
        << " degrees=" << static_cast<int>(c.degrees);
    if (c.degrees == Degrees::Single) out << " (" << c.single << ")";
    if (c.degrees == Degrees::Tiny) out << " (2^" << c.tinyExponent << ")";
    return out.str();
}

void FillRelation(const Case& c, std::mt19937& rng, RelationMatrix& r) {
    std::uniform_int_distribution<int> tenth(0, 10);
    std::uniform_int_distribution<int> level(0, 2);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::uniform_real_distribution<float> wide(-0.25f, 1.25f);
    std::bernoulli_distribution half(0.5);
    std::uniform_int_distribution<int> third(0, 2);
    std::uniform_real_distribution<float> mantissa(1.0f, 2.0f);
    for (int i = 0; i < c.n; ++i) {
        for (int j = 0; j < c.n; ++j) {
            float& x = r[i][j];
            switch (c.degrees) {
                case Degrees::Tenths: x = static_cast<float>(tenth(rng) / 10.0); break;
                case Degrees::Continuous: x = unit(rng); break;
                case Degrees::FewLevels: x = 0.5f * static_cast<float>(level(rng)); break;
                case Degrees::SignedZeros:
                    x = static_cast<float>(tenth(rng) / 10.0);
                    if (x == 0.0f && half(rng)) x = -0.0f;
                    break;
                case Degrees::Wide: x = wide(rng); break;
                case Degrees::Single: x = c.single; break;
                case Degrees::Tiny: {
                    const int pick = third(rng);
                    x = pick == 0 ? 0.0f : pick == 1 ? 1.0f : std::ldexp(mantissa(rng), c.tinyExponent);
                    break;
                }
            }
        }
    }
    if (c.reflexive)
        for (int i = 0; i < c.n; ++i) r[i][i] = 1.0f;
    if (c.symmetric)
        for (int i = 0; i < c.n; ++i)
            for (int j = i + 1; j < c.n; ++j) r[i][j] = r[j][i];
}

// Matrices of the fast engine and the oracle, outside the n × n block filled with the same
// noise, so writes outside the block would show up as well.
struct Matrices {
    RelationMatrix closure[engine::kTNormCount];
    RelationMatrix prev[engine::kTNormCount];
    RelationMatrix transitivized[engine::kTNormCount];
    RelationMatrix order[engine::kTNormCount];
};

void FillNoise(std::mt19937& rng, RelationMatrix& m) {
    std::uniform_real_distribution<float> noise(-3.0f, 3.0f);
    for (auto& row : m)
        for (float& x : row) x = noise(rng);
}

class FastVsReference : public ::testing::Test {
protected:
    void SetUp() override {
        fast_ = std::make_unique<Matrices>();
        oracle_ = std::make_unique<Matrices>();
        std::mt19937 noise(7);
        for (int t = 0; t < engine::kTNormCount; ++t) {
            // Previous iterates start at zero, as at program start.
            fast_->prev[t] = RelationMatrix{};
            oracle_->prev[t] = RelationMatrix{};
            FillNoise(noise, fast_->closure[t]);
            FillNoise(noise, fast_->transitivized[t]);
            FillNoise(noise, fast_->order[t]);
            oracle_->closure[t] = fast_->closure[t];
            oracle_->transitivized[t] = fast_->transitivized[t];
            oracle_->order[t] = fast_->order[t];
        }
    }

    // Closures for the three t-norms, previous iterates carried over from the cases before;
    // then the transitivizations of both variants.
    void Check(const Case& c, const RelationMatrix& relation) {
        SCOPED_TRACE(Describe(c));
        for (int t = 0; t < engine::kTNormCount; ++t) {
            SCOPED_TRACE(kTNormNames[t]);
            const engine::ClosureCounts fast =
                engine::ComputeClosure(kTNorms[t], c.n, relation, fast_->closure[t], fast_->prev[t]);
            const engine::ClosureCounts oracle =
                reference::ComputeClosure(kTNorms[t], c.n, relation, oracle_->closure[t], oracle_->prev[t]);
            ASSERT_EQ(fast.iterCount, oracle.iterCount);
            ASSERT_EQ(fast.incrCount, oracle.incrCount);
            ASSERT_EQ(FirstDifference(fast_->closure[t], oracle_->closure[t]), "") << "closure";
            ASSERT_EQ(FirstDifference(fast_->prev[t], oracle_->prev[t]), "") << "previous iterate";
            for (bool symmetrizing : {false, true}) {
                SCOPED_TRACE(symmetrizing ? "symmetrizing" : "plain");
                const int fastReduced = engine::Transitivize(kTNorms[t], c.n, relation, fast_->transitivized[t],
                                                             fast_->order[t], symmetrizing);
                const int oracleReduced = reference::Transitivize(kTNorms[t], c.n, relation,
                                                                  oracle_->transitivized[t], oracle_->order[t],
                                                                  symmetrizing);
                ASSERT_EQ(fastReduced, oracleReduced);
                ASSERT_EQ(FirstDifference(fast_->transitivized[t], oracle_->transitivized[t]), "")
                    << "transitivized";
                ASSERT_EQ(FirstDifference(fast_->order[t], oracle_->order[t]), "") << "order";
            }
        }
        ++checked_;
    }

    const RelationMatrix& LastClosure(int t) const { return oracle_->closure[t]; }

    std::unique_ptr<Matrices> fast_;
    std::unique_ptr<Matrices> oracle_;
    int checked_ = 0;
};

// Mostly small dimensions, where the straightforward transitivization (about n⁴ steps) is
// cheap; one draw in a hundred anywhere above kSmallDims up to `largest`.
constexpr int kSmallDims = 40;
int DrawDimension(std::mt19937& rng, int largest) {
    std::uniform_real_distribution<double> u(0.0, 1.0);
    if (largest > kSmallDims && u(rng) < 0.01)
        return std::uniform_int_distribution<int>(kSmallDims + 1, largest)(rng);
    const int small = largest < kSmallDims ? largest : kSmallDims;
    const double x = u(rng);
    const int n = 1 + static_cast<int>(static_cast<double>(small) * x * x);
    return n > small ? small : n;
}

TEST_F(FastVsReference, RandomRelationsOfEveryKind) {
    std::mt19937 rng(20261206);
    std::uniform_int_distribution<int> kind(0, kDegreeKinds - 1);
    std::uniform_int_distribution<int> tenth(0, 10);
    std::bernoulli_distribution sometimes(0.1);
    auto relation = std::make_unique<RelationMatrix>();
    auto MakeCase = [&](int n, int combination) {
        Case c;
        c.n = n;
        c.reflexive = (combination & 1) != 0;
        c.symmetric = (combination & 2) != 0;
        c.degrees = static_cast<Degrees>(kind(rng));
        c.single = static_cast<float>(tenth(rng) / 10.0);
        c.tinyExponent = std::uniform_int_distribution<int>(-36, -22)(rng);
        return c;
    };

    // The extreme dimensions: the smallest in every combination of the generation options,
    // the largest (slow for the oracle) in two combinations each, all four between them.
    const struct {
        int n;
        int combination;
    } kEnds[] = {{1, 0}, {1, 1}, {1, 2}, {1, 3}, {2, 0}, {2, 1}, {2, 2}, {2, 3},
                 {99, 0}, {99, 3}, {100, 1}, {100, 2}};
    for (const auto& end : kEnds) {
        if (kSanitized && end.n > 2 && end.combination != 0 && end.combination != 2) continue;
        Case c = MakeCase(end.n, end.combination);
        c.degrees = Degrees::Tenths;
        FillRelation(c, rng, *relation);
        Check(c, *relation);
        if (HasFatalFailure()) return;
    }

    for (int r = 0; r < kRandomRelations; ++r) {
        const Case c = MakeCase(DrawDimension(rng, kLargestRandomDim), r % 4);
        FillRelation(c, rng, *relation);
        Check(c, *relation);
        if (HasFatalFailure()) return;
        // Now and then the same relation again (the previous iterate then holds its closure),
        // or a closure as the relation (it equals the previous iterate: no iteration at all).
        if (sometimes(rng)) {
            Check(c, *relation);
            if (HasFatalFailure()) return;
        }
        if (sometimes(rng)) {
            *relation = LastClosure(r % engine::kTNormCount);
            Check(c, *relation);
            if (HasFatalFailure()) return;
        }
    }
    EXPECT_GE(checked_, kRandomRelations + (kSanitized ? 10 : 12));
}

TEST_F(FastVsReference, SpecialRelations) {
    std::mt19937 rng(99);
    auto relation = std::make_unique<RelationMatrix>();
    for (int n : {1, 2, 3, 7, 16, 33, 64}) {
        if (kSanitized && n > kLargestRandomDim) continue;
        for (int combination = 0; combination < 4; ++combination) {
            for (float degree : {0.0f, 1.0f, 0.3f, 0.5f, 0.9f}) {
                Case c;
                c.n = n;
                c.reflexive = (combination & 1) != 0;
                c.symmetric = (combination & 2) != 0;
                c.degrees = Degrees::Single;
                c.single = degree;
                FillRelation(c, rng, *relation);
                Check(c, *relation);
                if (HasFatalFailure()) return;
            }
        }
    }
    // A strictly upper-triangular relation: nothing symmetric about it, so the mirror writes
    // of the symmetrizing variant raise entries, processed ones among them.
    for (int n : {4, 12, 30}) {
        Case c;
        c.n = n;
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j)
                (*relation)[i][j] = j > i ? static_cast<float>((i * 7 + j * 3) % 10 + 1) / 10.0f : 0.0f;
        Check(c, *relation);
        if (HasFatalFailure()) return;
    }
}

// Whole trials through the engine: generation, swaps, closures with their carried previous
// iterates, transitivizations, distances, texts, counters and plotted points.
void ExpectSameEngines(engine::Engine& fast, engine::Engine& oracle) {
    EXPECT_EQ(FirstDifference(fast.relation, oracle.relation), "");
    for (TNorm t : kTNorms) {
        SCOPED_TRACE(kTNormNames[t]);
        EXPECT_EQ(FirstDifference(fast.Closure(t), oracle.Closure(t)), "");
        EXPECT_EQ(FirstDifference(fast.ClosurePrev(t), oracle.ClosurePrev(t)), "");
        EXPECT_EQ(FirstDifference(fast.Transitivized(t), oracle.Transitivized(t)), "");
        EXPECT_EQ(FirstDifference(fast.Order(t), oracle.Order(t)), "");
        EXPECT_EQ(std::bit_cast<std::uint32_t>(fast.d1Closure[t]), std::bit_cast<std::uint32_t>(oracle.d1Closure[t]));
        EXPECT_EQ(std::bit_cast<std::uint32_t>(fast.d2Closure[t]), std::bit_cast<std::uint32_t>(oracle.d2Closure[t]));
        EXPECT_EQ(std::bit_cast<std::uint32_t>(fast.d1Transitivized[t]),
                  std::bit_cast<std::uint32_t>(oracle.d1Transitivized[t]));
        EXPECT_EQ(std::bit_cast<std::uint32_t>(fast.d2Transitivized[t]),
                  std::bit_cast<std::uint32_t>(oracle.d2Transitivized[t]));
        EXPECT_EQ(fast.reducedCount[t], oracle.reducedCount[t]);
        EXPECT_EQ(fast.closureCounts[t].iterCount, oracle.closureCounts[t].iterCount);
        EXPECT_EQ(fast.closureCounts[t].incrCount, oracle.closureCounts[t].incrCount);
        EXPECT_EQ(fast.closureGreaterCount[t], oracle.closureGreaterCount[t]);
        EXPECT_EQ(fast.closureNotGreaterCount[t], oracle.closureNotGreaterCount[t]);
        const std::int32_t count = uinftab::PointListCount(fast.pointSeries[t]);
        ASSERT_EQ(count, uinftab::PointListCount(oracle.pointSeries[t]));
        uinftab::PlotPoint a, b;
        ASSERT_TRUE(uinftab::PointListGet(fast.pointSeries[t], count - 1, a));
        ASSERT_TRUE(uinftab::PointListGet(oracle.pointSeries[t], count - 1, b));
        EXPECT_EQ(std::bit_cast<std::uint32_t>(a.x), std::bit_cast<std::uint32_t>(b.x));
        EXPECT_EQ(std::bit_cast<std::uint32_t>(a.y), std::bit_cast<std::uint32_t>(b.y));
    }
    for (int k = 0; k < engine::kResultTextCount; ++k) EXPECT_EQ(fast.resultText[k], oracle.resultText[k]);
}

class WholeTrials : public ::testing::TestWithParam<engine::Variant> {};

TEST_P(WholeTrials, MatchTheStraightforwardEngine) {
    const engine::Variant variant = GetParam();
    auto fast = std::make_unique<engine::Engine>(variant);
    auto oracle = std::make_unique<engine::Engine>(variant);
    for (auto* e : {fast.get(), oracle.get()})
        for (auto& series : e->pointSeries) uinftab::PointListCreate(series);

    std::mt19937 rng(variant.symmetrizing ? 11 : 12);
    std::bernoulli_distribution coin(0.5);
    std::bernoulli_distribution rarely(0.15);
    for (int trial = 0; trial < kWholeTrials; ++trial) {
        int n = DrawDimension(rng, kLargestRandomDim);
        if (trial < 2) n = trial == 0 ? 1 : kLargestRandomDim;  // both ends, every run
        const bool reflexive = coin(rng);
        const bool symmetric = coin(rng);
        // A swap rearranges the current relation instead of drawing a new one.
        const bool swap = trial > 0 && rarely(rng) && fast->dimension >= 2;
        std::uniform_int_distribution<int> element(0, fast->dimension - 1);
        const int first = element(rng);
        const int second = element(rng);
        for (auto* e : {fast.get(), oracle.get()}) {
            e->reflexive = reflexive;
            e->symmetric = symmetric;
            if (swap) {
                e->swapPending = true;
                e->swapFirst = first;
                e->swapSecond = second;
            } else {
                e->dimension = n;
            }
        }
        if (rarely(rng)) {
            fast->ResetCounters();
            oracle->ResetCounters();
        }
        fast->RunTrial();
        reference::RunTrial(*oracle);
        SCOPED_TRACE("trial " + std::to_string(trial) + " n=" + std::to_string(fast->dimension));
        ExpectSameEngines(*fast, *oracle);
        if (HasFailure()) return;
        // The reset command's run on the cleared relation.
        if (rarely(rng)) {
            fast->ClearRelation();
            oracle->ClearRelation();
            fast->AnalyzeRelation();
            reference::AnalyzeRelation(*oracle);
            ExpectSameEngines(*fast, *oracle);
            if (HasFailure()) return;
        }
    }
    EXPECT_EQ(fast->trialCount, kWholeTrials);
    EXPECT_EQ(oracle->trialCount, kWholeTrials);
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, WholeTrials, ::testing::Values(engine::kZorvath, engine::kZorvane),
                         [](const ::testing::TestParamInfo<engine::Variant>& info) {
                             return info.param.symmetrizing ? std::string("Zorvath") : std::string("Zorvane");
                         });

// The candidate heap on its own: (value, row-major position) order with every kind of update.
TEST(IndexHeap, PopsInValueThenRowMajorOrderThroughUpdates) {
    auto keys = std::make_unique<RelationMatrix>();
    auto heap = std::make_unique<engine::IndexHeap>();
    constexpr int n = 5;
    std::mt19937 rng(3);
    // Signed values and both zeros, which compare equal and so tie on position.
    const float kValues[] = {-1.5f, -0.25f, -0.0f, 0.0f, 1e-30f, 0.25f, 0.5f, 0.75f};
    std::uniform_int_distribution<int> level(0, 7);
    std::uniform_int_distribution<int> entry(0, n * n - 1);
    for (int round = 0; round < 50; ++round) {
        heap->Clear(n);
        std::vector<bool> present(MAX_DIM * MAX_DIM, false);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                (*keys)[i][j] = kValues[level(rng)];
                if (entry(rng) % 3 != 0) {
                    heap->AppendUnordered(i * MAX_DIM + j, (*keys)[i][j]);
                    present[i * MAX_DIM + j] = true;
                }
            }
        heap->Heapify();
        // Random re-keying, removals and insertions, as the transitivization makes them.
        for (int change = 0; change < 20; ++change) {
            const int e = entry(rng);
            const int id = (e / n) * MAX_DIM + e % n;
            (*keys)[e / n][e % n] = kValues[level(rng)];
            if (present[id] && change % 3 == 0) {
                heap->Remove(id);
                present[id] = false;
            } else if (present[id]) {
                heap->Update(id, (*keys)[e / n][e % n]);
            } else {
                heap->Insert(id, (*keys)[e / n][e % n]);
                present[id] = true;
            }
        }
        // Expected: the straightforward selection scan, repeated.
        for (;;) {
            int best = -1;
            float m = 2.0f;
            for (int i = 0; i < n; ++i)
                for (int j = 0; j < n; ++j)
                    if (present[i * MAX_DIM + j] && (*keys)[i][j] < m) {
                        m = (*keys)[i][j];
                        best = i * MAX_DIM + j;
                    }
            if (best < 0) break;
            ASSERT_FALSE(heap->Empty());
            ASSERT_EQ(heap->Top(), best) << "round " << round;
            heap->Remove(best);
            present[best] = false;
            ASSERT_FALSE(heap->Contains(best));
        }
        EXPECT_TRUE(heap->Empty());
    }
}

}  // namespace

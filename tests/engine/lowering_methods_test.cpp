// The methods beside the technique and the measures of transitivity: the completion checked
// for maximality by raising each entry a grid step, against full passes, against the
// technique, and bit for bit against the straightforward completion of reference_completion;
// the linkage lowerings on a hand-worked case and by their properties; witness paths folded
// back; the measures on a hand-worked case.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/compare.h"
#include "engine/generation.h"
#include "engine/lowering_methods.h"
#include "engine/transitivity_measures.h"
#include "tests/engine/reference_completion.h"
#include "tests/support.h"

namespace {

using namespace engine;

// Triples above the float tolerance (or above nothing), T taken as the t-norm's own value.
int Violations(const AnyTNorm& t, int n, const RelationMatrix& X, bool tolerance = true) {
    int count = 0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (int k = 0; k < n; ++k)
                count += t.T(X[i][k], X[k][j]) > X[i][j] + (tolerance ? ViolationTolerance(X[i][j]) : 0.0);
    return count;
}

struct Result {
    std::unique_ptr<MethodScratch> scratch = std::make_unique<MethodScratch>();
    RelationMatrix out{};
};

// Full passes over the order CompleteLowering documents, every entry's bound taken afresh.
void CompleteByFullPasses(const AnyTNorm& t, int n, const RelationMatrix& R, RelationMatrix& X, bool symmetrizing) {
    std::vector<int> order;
    for (int e = 0; e < n * n; ++e) order.push_back(e);
    RelationMatrix gap{}, bounds{};
    for (int e : order) gap[e / n][e % n] = R[e / n][e % n] - X[e / n][e % n];
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return gap[a / n][a % n] > gap[b / n][b % n]; });
    for (bool moved = true; moved;) {
        moved = false;
        for (int e : order) {
            const int i = e / n, j = e % n;
            reference::RiseBounds(t, n, R, X, symmetrizing, bounds);
            if (bounds[i][j] <= X[i][j]) continue;
            if (symmetrizing && X[j][i] == X[i][j]) X[j][i] = bounds[i][j];
            X[i][j] = bounds[i][j];
            moved = true;
        }
    }
}

TEST(Completion, TransitiveBelowRMaximalAndCloserThanTheTechnique) {
    const struct {
        const char* name;
        bool exact;  // the technique's result is T-transitive
    } tnorms[] = {{"min", true}, {"prod", true}, {"w", true}, {"hamacher:0.5", false}, {"yager:2", false}};
    toolkit::RandomGenerator random(7);
    for (const auto& [name, exact] : tnorms) {
        const AnyTNorm t = AnyTNorm::Parse(name);
        for (int trial = 0; trial < 12; ++trial) {
            const int n = 3 + trial % 5;
            // Zorvath works on symmetric relations; the plain program on any.
            const bool symmetrizing = trial % 2 == 1, reflexive = trial % 4 < 2;
            RelationMatrix R{};
            GenerateRelation(n, reflexive, symmetrizing, random, R);
            Result technique, completed;
            RunMethod(Method::Tecnica, t, n, R, symmetrizing, technique.out, *technique.scratch);
            RunMethod(Method::Completada, t, n, R, symmetrizing, completed.out, *completed.scratch);
            RelationMatrix X = completed.out;
            SCOPED_TRACE(std::string(name) + " n=" + std::to_string(n) + " trial " + std::to_string(trial));
            EXPECT_TRUE(Below(n, X, R));
            // The technique is T-transitive for Min, Prod and W, not always for the families; raising
            // an entry never adds a violation.
            const int before = Violations(t, n, technique.out);
            if (exact) {
                EXPECT_EQ(before, 0);
            }
            EXPECT_LE(Violations(t, n, X), before);
            RelationMatrix oracle = technique.out;
            CompleteByFullPasses(t, n, R, oracle, symmetrizing);
            EXPECT_TRUE(test_support::SameBits(oracle, X));
            const auto away = [&](const RelationMatrix& M) { return CompareWithRelation(n, R, M, Direction::RelationMinusTransitivized).d1; };
            EXPECT_LE(away(X), away(technique.out));
            // No entry (pair) rises a grid step, or up to R, without a violation.
            for (int i = 0; i < n; ++i) {
                for (int j = 0; j < n; ++j) {
                    const bool pair = symmetrizing && X[j][i] == X[i][j];
                    const float cap = pair ? std::min(R[i][j], R[j][i]) : R[i][j];
                    if (X[i][j] >= cap) continue;
                    RelationMatrix raised = X;
                    raised[i][j] = std::min(X[i][j] + 1e-3f, cap);
                    if (pair) raised[j][i] = raised[i][j];
                    EXPECT_GT(Violations(t, n, raised, false), 0) << i << "," << j;
                }
            }
            EXPECT_TRUE(MeasureRise(t, n, R, X, symmetrizing).Maximal());
        }
    }
}

TEST(Completion, AgreesBitForBitWithTheStraightforwardOne) {
    // Relations as the trials draw them (tenths), any floats, and zeros and ones among tiny
    // values (products that underflow, sums inexact in double), symmetric for the program that
    // symmetrizes and not; sizes on both sides of the 16-lane blocks and past 100.
    const char* const tnorms[] = {"min", "prod", "w", "hamacher:0.5"};
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    const int sizes[] = {1, 2, 15, 16, 17, 33};
#else
    const int sizes[] = {1, 2, 15, 16, 17, 33, 64, 101};
#endif
    std::mt19937 rng(20261209);
    int relation = 0;
    for (const char* name : tnorms) {
        const AnyTNorm t = AnyTNorm::Parse(name);
        for (const int n : sizes) {
            for (int kind = 0; kind < 3; ++kind, ++relation) {
                // The pairs crawl up by a float or two a pass on tiny values under W and on the
                // families (thousands of passes, in both): those relations in the plain program.
                const bool crawls = kind == 2 || !t.Core();
                const bool symmetrizing = relation % 2 == 0 && !crawls, reflexive = relation % 4 < 2;
                RelationMatrix R(n);
                for (int i = 0; i < n; ++i) {
                    for (int j = 0; j < n; ++j) {
                        const float u = std::uniform_real_distribution<float>(0.0f, 1.0f)(rng);
                        const int tenth = std::uniform_int_distribution<int>(0, 10)(rng);
                        R[i][j] = kind == 0   ? tenth / 10.0f
                                  : kind == 1 ? u
                                  : tenth < 3 ? 0.0f
                                  : tenth < 6 ? 1.0f
                                              : std::ldexp(u, -std::uniform_int_distribution<int>(0, 140)(rng));
                    }
                }
                // The symmetrizing program on a relation that is not symmetric now and then.
                const bool symmetric = symmetrizing && relation % 8 != 0;
                for (int i = 0; i < n; ++i) {
                    if (reflexive) R[i][i] = 1.0f;
                    for (int j = 0; symmetric && j < i; ++j) R[j][i] = R[i][j];
                }
                Result technique;
                RunMethod(Method::Tecnica, t, n, R, symmetrizing, technique.out, *technique.scratch);
                SCOPED_TRACE(std::string(name) + " n=" + std::to_string(n) + " kind " + std::to_string(kind));
                RelationMatrix bounds(n), oracleBounds(n);
                RiseBounds(t, n, R, technique.out, symmetrizing, bounds);
                reference::RiseBounds(t, n, R, technique.out, symmetrizing, oracleBounds);
                EXPECT_TRUE(test_support::SameBits(bounds, oracleBounds));
                RelationMatrix fast = technique.out, oracle = technique.out;
                const CompletionCounts counts = CompleteLowering(t, n, R, fast, symmetrizing, *technique.scratch);
                const CompletionCounts expected = reference::CompleteLowering(t, n, R, oracle, symmetrizing);
                EXPECT_TRUE(test_support::SameBits(fast, oracle));
                EXPECT_EQ(counts.passes, expected.passes);
                EXPECT_EQ(counts.raised, expected.raised);
            }
        }
    }
}

TEST(Linkage, HandWorkedCaseWithATie) {
    // Average linkage ties ({1, 2}, 4) with (3, 4) at 0.5: the pair named (1, 4) joins first.
    const float r[4][4] = {{1, .9f, .2f, .4f}, {.9f, 1, .3f, .6f}, {.2f, .3f, 1, .5f}, {.4f, .6f, .5f, 1}};
    const double third = (2 * ((static_cast<double>(.2f) + .3f) / 2) + static_cast<double>(.5f)) / 3;
    struct Case {
        Method method;
        float expected[4][4];
    };
    const Case cases[] = {
        {Method::Completa, {{1, .9f, .2f, .2f}, {.9f, 1, .2f, .2f}, {.2f, .2f, 1, .5f}, {.2f, .2f, .5f, 1}}},
        {Method::Simple, {{1, .9f, .5f, .6f}, {.9f, 1, .5f, .6f}, {.5f, .5f, 1, .5f}, {.6f, .6f, .5f, 1}}},
        {Method::Promedio, {{1, .9f, float(third), .5f}, {.9f, 1, float(third), .5f},
                            {float(third), float(third), 1, float(third)}, {.5f, .5f, float(third), 1}}},
    };
    RelationMatrix R{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) R[i][j] = r[i][j];
    for (const Case& c : cases) {
        RelationMatrix out{};
        LinkageRelation(c.method, 4, R, out);
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) EXPECT_EQ(out[i][j], c.expected[i][j]) << MethodName(c.method) << i << j;
    }
}

TEST(Linkage, PropertiesOnRandomRelationsAndRefusals) {
    toolkit::RandomGenerator random(11);
    const AnyTNorm min = AnyTNorm::Of(Min);
    for (int trial = 0; trial < 20; ++trial) {
        const int n = 2 + trial * 4;
        RelationMatrix R{};
        GenerateRelation(n, true, true, random, R);
        Result complete, average, single, closure;
        RunMethod(Method::Completa, min, n, R, false, complete.out, *complete.scratch);
        RunMethod(Method::Promedio, min, n, R, false, average.out, *average.scratch);
        RunMethod(Method::Simple, min, n, R, false, single.out, *single.scratch);
        RunMethod(Method::Cierre, min, n, R, false, closure.out, *closure.scratch);
        EXPECT_TRUE(Below(n, complete.out, R)) << n;
        for (const Result* run : {&complete, &average, &single})
            EXPECT_EQ(MeasureTransitivity(min, n, run->out).violations, 0) << n;
        EXPECT_TRUE(test_support::SameBits(single.out, closure.out)) << n;
    }
    RelationMatrix R{};
    GenerateRelation(5, true, true, random, R);
    Result run;
    const auto refusal = [&](Method method, const char* t) {
        return test_support::ErrorText([&] { RunMethod(method, AnyTNorm::Parse(t), 5, R, false, run.out, *run.scratch); });
    };
    EXPECT_EQ(refusal(Method::Completa, "prod"), "el método «completa» solo se aplica con la t-norma min, no con prod");
    R[2][2] = 0.5f;
    EXPECT_EQ(refusal(Method::Simple, "min"), "el método «simple» necesita una relación reflexiva: la entrada (3, 3) no vale 1");
}

TEST(Witness, PathsFoldBackToTheClosureAndNoneWithAStepLeftOutDoes) {
    const char* const tnorms[] = {"min", "prod", "w", "hamacher:0.5", "yager:2"};
    toolkit::RandomGenerator random(3);
    constexpr int n = 5;
    for (const char* name : tnorms) {
        const AnyTNorm t = AnyTNorm::Parse(name);
        RelationMatrix R{};
        GenerateRelation(n, false, false, random, R);
        Result closure;
        RunMethod(Method::Cierre, t, n, R, false, closure.out, *closure.scratch);
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                const std::vector<int> path = WitnessPath(t, n, R, closure.out, i, j);
                ASSERT_GE(path.size(), 2u) << name << i << j;
                EXPECT_EQ(path.front(), i);
                EXPECT_EQ(path.back(), j);
                const double entry = closure.out[i][j], fold = FoldPath(t, R, path);
                EXPECT_NEAR(fold, entry, 0x1p-20 * entry + 1e-12) << name << i << j;
                // Fewest steps: no path one step shorter through any element witnesses it.
                for (std::size_t cut = 1; path.size() > 2 && cut + 1 < path.size(); ++cut) {
                    std::vector<int> shorter = path;
                    shorter.erase(shorter.begin() + static_cast<long>(cut));
                    EXPECT_LT(FoldPath(t, R, shorter), entry - 0x1p-20 * entry) << name << i << j;
                }
            }
        }
    }
}

TEST(Measures, HandWorkedViolationsAndTheFloatTolerance) {
    // (1, 3) is below what the path through 2 gives, both ways.
    RelationMatrix X{};
    const float x[3][3] = {{1, .8f, .2f}, {.8f, 1, .6f}, {.2f, .6f, 1}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) X[i][j] = x[i][j];
    struct Case {
        const char* t;
        double largest, degree;
    };
    const Case cases[] = {{"min", .4, .2}, {"prod", .28, .2 / .48}, {"w", .2, .8}};
    for (const Case& c : cases) {
        const TransitivityMeasures m = MeasureTransitivity(AnyTNorm::Parse(c.t), 3, X);
        EXPECT_EQ(m.violations, 2) << c.t;
        EXPECT_NEAR(m.largest, c.largest, 1e-6) << c.t;
        EXPECT_NEAR(m.degree, c.degree, 1e-6) << c.t;
        EXPECT_EQ((std::array{m.i, m.j, m.k}), (std::array{0, 2, 1})) << c.t;
    }
    // A Prod product stored rounded down counts as transitive; two more float steps down do not.
    const float a = .7f, b = .3f;
    const double product = static_cast<double>(a) * b;
    float stored = static_cast<float>(product);
    if (stored > product) stored = std::nextafter(stored, 0.0f);
    RelationMatrix P{};
    P[0][0] = P[1][1] = P[2][2] = 1;
    P[0][1] = a;
    P[1][2] = b;
    const AnyTNorm prod = AnyTNorm::Of(Prod);
    for (int step = 0; step < 4; ++step) {
        P[0][2] = stored;
        const TransitivityMeasures m = MeasureTransitivity(prod, 3, P);
        EXPECT_EQ(m.violations, step < 2 ? 0 : 1) << step;
        EXPECT_EQ(m.degree == 1.0, step < 2) << step;
        stored = std::nextafter(stored, 0.0f);
    }
}

TEST(Measures, ViolatedEntriesAreThoseOfATripleScanAndAClosureHasNone) {
    toolkit::RandomGenerator random(11);
    constexpr int n = 7;
    for (const char* name : {"min", "prod", "w", "hamacher:0.5", "yager:2"}) {
        const AnyTNorm t = AnyTNorm::Parse(name);
        RelationMatrix X{};
        GenerateRelation(n, false, false, random, X);
        std::vector<ViolatedEntry> expected;
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                int triples = 0;
                for (int k = 0; k < n; ++k) triples += t.T(X[i][k], X[k][j]) > X[i][j] + ViolationTolerance(X[i][j]);
                if (triples > 0) expected.push_back({i, j, triples});
            }
        ASSERT_FALSE(expected.empty()) << name;
        EXPECT_EQ(ViolatedEntries(t, n, X), expected) << name;
        Result closure;
        RunMethod(Method::Cierre, t, n, X, false, closure.out, *closure.scratch);
        EXPECT_TRUE(ViolatedEntries(t, n, closure.out).empty()) << name;
    }
}

}  // namespace

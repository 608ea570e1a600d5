// The fast engine run against the straightforward one of reference_engine.cpp: every matrix
// (the whole storage), order matrix, count, distance and text agrees bit for bit, on random
// relations of every dimension and kind, in both programs, previous iterates carried over.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>

#include "engine/engine.h"
#include "tests/engine/reference_engine.h"
#include "tests/engine/same_results.h"

namespace {

using engine::Engine;
using engine::RelationMatrix;
using engine::TNorm;

// Dimensions in turn: 1 and 2 with every combination of the options, 99 and 100 with two each
// (the n⁴ oracle makes them cost most), every dimension up to 40, and past it the edges of the
// four-lane loops and of 64. Then random relations, mostly small. The sanitizer builds, many
// times slower, take fewer random ones and only the first two of 99 and 100.
// Above 100 (matrices that grow past their first storage, bands of rows over the cores) only
// in the plain build: 113 is neither whole tiles nor whole bands of rows.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kSwept[] = {1, 1, 1, 1, 2, 2, 2, 2, 100, 99, 100, 99, 47, 48, 63, 64, 65};
constexpr int kRandomRelations = 150, kLargest = 2;
#else
constexpr int kSwept[] = {1, 1, 1, 1, 2, 2, 2, 2, 100, 99, 100, 99, 47, 48, 63, 64, 65, 113};
constexpr int kRandomRelations = 600, kLargest = 4;
#endif
constexpr int kSweptCount = static_cast<int>(std::size(kSwept)) + 40;

// Tenths as generated; any float; tenths with both zeros; values outside [0, 1]; one value
// everywhere (every tenth in turn, zeros and ones included); 0 and 1 with tiny values whose
// sums are inexact in double; a strictly upper triangle, where the mirror writes raise entries.
enum Kind { Tenths, AnyFloat, SignedZeros, Wide, Single, Tiny, Upper, kKinds };

float Draw(Kind kind, int i, int j, float parameter, std::mt19937& rng) {
    const int tenth = std::uniform_int_distribution<int>(0, 10)(rng);
    const float u = std::uniform_real_distribution<float>(0.0f, 1.0f)(rng);
    switch (kind) {
        case AnyFloat: return u;
        case SignedZeros: return tenth < 2 ? std::copysign(0.0f, tenth - 0.5f) : tenth / 10.0f;
        case Wide: return 1.5f * u - 0.25f;
        case Single: return parameter;
        case Tiny: return tenth < 4 ? 0.0f : tenth < 8 ? 1.0f : parameter * (1.0f + u);
        case Upper: return j > i ? tenth / 10.0f : 0.0f;
        default: return tenth / 10.0f;
    }
}

TEST(FastVsReference, AgreeBitForBit) {
    // Fast and straightforward engines in each program; they keep their previous iterates and
    // counters from relation to relation, as in a long session.
    std::unique_ptr<Engine> engines[2][2];
    for (int k = 0; k < 4; ++k) engines[k / 2][k % 2] = std::make_unique<Engine>(k < 2 ? engine::kZorvath : engine::kZorvane);
    auto relation = std::make_unique<RelationMatrix>();
    const auto analyze = [&](int n) {
        for (auto& pair : engines) {
            for (auto& e : pair) e->Reserve(n), e->dimension = n, engine::MatrixCopy(n, *relation, e->relation);
            pair[0]->AnalyzeRelation();
            reference::AnalyzeRelation(*pair[1]);
            test_support::ExpectSameResults(*pair[0], *pair[1]);
        }
    };

    std::mt19937 rng(20261206);
    for (int r = 0; r < kSweptCount + kRandomRelations && !::testing::Test::HasFailure(); ++r) {
        // The kinds and the options in turn.
        const double x = std::uniform_real_distribution<double>(0.0, 1.0)(rng);
        const int swept = static_cast<int>(std::size(kSwept));
        const int n = r < swept ? kSwept[r] : r < kSweptCount ? r - swept + 1 : 1 + static_cast<int>(40 * x * x);
        if (n >= 99 && n <= 100 && r - 8 >= kLargest) continue;
        const bool reflexive = r % 2 == 1, symmetric = r % 4 >= 2;
        const auto kind = r < 12 ? Tenths : static_cast<Kind>(r / 4 % kKinds);
        const float parameter = kind == Tiny ? std::ldexp(1.0f, -22 - r % 15) : (r / 32 % 11) / 10.0f;
        // Every other relation spread over the cores whatever its size (the results may not
        // depend on it), the others as the program runs them.
        engine::SetParallelDimension(r % 2 == 0 ? 1 : 160);
        SCOPED_TRACE("relation " + std::to_string(r) + " n=" + std::to_string(n));
        relation->Reserve(n);
        for (int k = 0; k < n * n; ++k) (*relation)[k / n][k % n] = Draw(kind, k / n, k % n, parameter, rng);
        for (int i = 0; i < n; ++i) {
            if (reflexive) (*relation)[i][i] = 1.0f;
            for (int j = i + 1; symmetric && j < n; ++j) (*relation)[i][j] = (*relation)[j][i];
        }
        analyze(n);
        // Now and then a closure as the relation: equal to the previous iterate, it takes no
        // iteration at all; the next relation then starts from that closure.
        if (r % 10 == 7) {
            *relation = engines[1][1]->results.Closure(static_cast<TNorm>(r % 3));
            analyze(n);
        }
    }
}

}  // namespace

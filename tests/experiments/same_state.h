#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>

#include "experiments/experiment.h"
#include "tests/support.h"

namespace test_support {

/// An experiment as the window (or the command line with these options) has it after start-up.
inline std::unique_ptr<experiments::Experiment> Started(const engine::Variant& variant, bool reflexive = false,
                                                        std::optional<bool> symmetric = {},
                                                        std::optional<std::uint32_t> seed = {}) {
    auto x = std::make_unique<experiments::Experiment>(variant);
    x->engine.reflexive = reflexive;
    if (symmetric) x->engine.symmetric = *symmetric;
    if (seed) x->engine.SetRandom(toolkit::RandomGenerator(*seed));
    x->RunTrial();
    return x;
}

/// Everything an experiment holds, bit for bit over the whole storage of every matrix, the
/// point series and the position in the random sequence.
inline void ExpectSameExperiment(const experiments::Experiment& a, const experiments::Experiment& b) {
    const engine::Engine &x = a.engine, &y = b.engine;
    EXPECT_EQ(x.trialCount, y.trialCount);
    EXPECT_EQ(x.dimension, y.dimension);
    EXPECT_TRUE(SameBits(x.relation, y.relation)) << "relation";
    EXPECT_TRUE(SameBits(x.closureMemory, y.closureMemory)) << "closure memory";
    for (int t = engine::Min; t <= engine::W; ++t) {
        const auto tn = static_cast<engine::TNorm>(t);
        EXPECT_TRUE(SameBits(x.results.Closure(tn), y.results.Closure(tn))) << "closure " << t;
        EXPECT_TRUE(SameBits(x.results.Transitivized(tn), y.results.Transitivized(tn))) << "transitivized " << t;
        EXPECT_TRUE(SameBits(x.results.Order(tn), y.results.Order(tn))) << "order " << t;
    }
    EXPECT_EQ(x.results.closureCounts, y.results.closureCounts);
    EXPECT_EQ(x.results.reducedCount, y.results.reducedCount);
    EXPECT_TRUE(SameBits(x.results.d1Closure, y.results.d1Closure) && SameBits(x.results.d2Closure, y.results.d2Closure) &&
                SameBits(x.results.d1Transitivized, y.results.d1Transitivized) &&
                SameBits(x.results.d2Transitivized, y.results.d2Transitivized));
    EXPECT_EQ(x.results.resultText, y.results.resultText);
    EXPECT_EQ(a.statistics.closureGreaterCount, b.statistics.closureGreaterCount);
    EXPECT_EQ(a.statistics.closureNotGreaterCount, b.statistics.closureNotGreaterCount);
    for (int t = 0; t < engine::kTNormCount; ++t) {
        uinftab::PointList* const& p = a.statistics.pointSeries[t];
        uinftab::PointList* const& q = b.statistics.pointSeries[t];
        ASSERT_EQ(uinftab::PointListCount(p), uinftab::PointListCount(q));
        for (int i = 0; i < uinftab::PointListCount(p); ++i) {
            uinftab::PlotPoint u, v;
            uinftab::PointListGet(p, i, u);
            uinftab::PointListGet(q, i, v);
            ASSERT_TRUE(SameBits(u, v)) << "point " << i;
        }
    }
    toolkit::RandomGenerator r = x.random(), s = y.random();
    for (int k = 0; k < 8; ++k) EXPECT_EQ(r.Below(1u << 31), s.Below(1u << 31)) << "random sequence";
}

}  // namespace test_support

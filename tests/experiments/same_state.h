#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>

#include "experiments/experiment.h"
#include "tests/engine/same_results.h"

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
    ExpectSameResults(x, y);
    EXPECT_EQ(a.statistics.closureGreaterCount, b.statistics.closureGreaterCount);
    EXPECT_EQ(a.statistics.closureNotGreaterCount, b.statistics.closureNotGreaterCount);
    for (int t = 0; t < engine::kTNormCount; ++t)
        EXPECT_TRUE(std::ranges::equal(a.statistics.pointSeries[t]->points, b.statistics.pointSeries[t]->points,
                                       SameBits<uinftab::PlotPoint>)) << "point series " << t;
    EXPECT_TRUE(SameBits(x.random(), y.random())) << "random sequence";
}

}  // namespace test_support

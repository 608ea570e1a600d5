#pragma once

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "tests/support.h"

namespace test_support {

/// The closures' memory and everything the last analysis produced, bit for bit over the whole
/// storage of every matrix.
inline void ExpectSameResults(const engine::Engine& a, const engine::Engine& b) {
    EXPECT_TRUE(SameBits(a.closureMemory, b.closureMemory)) << "closure memory";
    const engine::Analysis &x = a.results, &y = b.results;
    for (int t = engine::Min; t <= engine::W; ++t) {
        const auto tn = static_cast<engine::TNorm>(t);
        EXPECT_TRUE(SameBits(x.Closure(tn), y.Closure(tn))) << "closure " << t;
        EXPECT_TRUE(SameBits(x.Transitivized(tn), y.Transitivized(tn))) << "transitivized " << t;
        EXPECT_TRUE(SameBits(x.Order(tn), y.Order(tn))) << "order " << t;
    }
    EXPECT_EQ(x.closureCounts, y.closureCounts);
    EXPECT_EQ(x.reducedCount, y.reducedCount);
    EXPECT_TRUE(SameBits(x.d1Closure, y.d1Closure) && SameBits(x.d2Closure, y.d2Closure) &&
                SameBits(x.d1Transitivized, y.d1Transitivized) && SameBits(x.d2Transitivized, y.d2Transitivized));
    EXPECT_EQ(x.resultText, y.resultText);
}

}  // namespace test_support

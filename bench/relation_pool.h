#pragma once

// A few random relations of dimension n generated the way trials make them (the variant's
// start settings: the symmetrizing program's are symmetric), so a benchmark does not time one
// lucky relation.

#include <memory>
#include <vector>

#include "engine/engine.h"

inline constexpr int kPoolSize = 4;

inline std::vector<engine::RelationMatrix> RelationPool(const engine::Variant& variant, int n) {
    auto e = std::make_unique<engine::Engine>(variant);
    e->dimension = n;
    std::vector<engine::RelationMatrix> pool(kPoolSize);
    for (auto& r : pool) {
        e->GenerateRelation();
        r = e->relation;
    }
    return pool;
}

#include "experiments/method_table.h"

#include <chrono>
#include <cmath>

#include "engine/compare.h"

namespace experiments {

MethodRow MeasureMethod(engine::Method method, const engine::AnyTNorm& t, int n, const engine::RelationMatrix& relation,
                        bool symmetrizing, engine::MethodScratch& scratch, engine::RelationMatrix& out) {
    MethodRow row;
    row.method = method;
    row.refusal = engine::MethodRefusal(method, t, n, relation);
    if (!row.refusal.empty()) return row;
    const auto start = std::chrono::steady_clock::now();
    engine::RunMethod(method, t, n, relation, symmetrizing, out, scratch);
    row.milliseconds = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const auto up = engine::CompareWithRelation(n, relation, out, engine::Direction::ClosureMinusRelation);
    const auto down = engine::CompareWithRelation(n, relation, out, engine::Direction::RelationMinusTransitivized);
    row.d1 = up.d1 + down.d1;
    row.euclidean = std::sqrt(static_cast<double>(up.sumSquares) + static_cast<double>(down.sumSquares));
    const auto& larger = up.maxDiff >= down.maxDiff ? up : down;
    row.largest = larger.maxDiff;
    row.li = larger.pi;
    row.lj = larger.pj;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) row.changed += out[i][j] != relation[i][j];
    row.transitivity = engine::MeasureTransitivity(t, n, out);
    row.below = engine::Below(n, out, relation);
    if (row.below) row.rise = engine::MeasureRise(t, n, relation, out, symmetrizing);
    if (method == engine::Method::Cierre && up.maxDiff > 0.0f)
        row.witness = engine::WitnessPath(t, n, relation, out, up.pi, up.pj);
    return row;
}

}  // namespace experiments

#pragma once

#include <string>
#include <vector>

#include "engine/lowering_methods.h"
#include "engine/transitivity_measures.h"

namespace experiments {

/// One row of the methods' comparison table, as the window and the command line show it: a
/// method's matrix measured against the relation under one t-norm.
struct MethodRow {
    engine::Method method = engine::Method::Cierre;
    std::string refusal;  ///< not empty: the method does not apply, and nothing else is set
    /// Distances with both signs counted (average linkage lies neither above nor below the
    /// relation; for the other methods one side is empty and the figures are the program's own).
    float d1 = 0.0f;
    double euclidean = 0.0;
    double milliseconds = 0.0;  ///< the method's own run, not its measures
    float largest = 0.0f;       ///< the largest difference either way, at [li][lj] (0-based)
    int li = 0, lj = 0;
    int changed = 0;  ///< entries that differ from the relation
    engine::TransitivityMeasures transitivity;
    bool below = false;  ///< the rise is measured only for a matrix below the relation
    engine::RiseMeasures rise;
    std::vector<int> witness;  ///< the closure's witness path for its largest difference
};

/// Runs `method` on the n × n block of `relation` under t into `out` (RunMethod) and measures
/// the result. A method that does not apply gives a row with its refusal and leaves `out` alone.
MethodRow MeasureMethod(engine::Method method, const engine::AnyTNorm& t, int n, const engine::RelationMatrix& relation,
                        bool symmetrizing, engine::MethodScratch& scratch, engine::RelationMatrix& out);

}  // namespace experiments

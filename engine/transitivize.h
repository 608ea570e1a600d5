#pragma once

#include "engine/closure.h"
#include "engine/relation_matrix.h"
#include "engine/tnorm.h"

namespace engine {

/// T-transitivization of `relation` into X: n·n steps, each taking the unprocessed entry of
/// smallest value below 1 (first in row-major order among equals; the previous entry again
/// when none is left) and lowering the smaller factor of every pair that violates
/// T-transitivity for it. O receives the step number at which each entry was processed
/// (0 for never). With `symmetrizing`, each lowered value is written into the mirror entry
/// too. Returns the number of lowerings.
/// With a control, the steps are counted in control->stepsDone[t] and a stop is obeyed.
int Transitivize(TNorm t, int n, const RelationMatrix& relation, RelationMatrix& X, RelationMatrix& O,
                 bool symmetrizing, AnalysisControl* control = nullptr);

/// New value of the entry lowered for a violation: the t-norm of the pair becomes v.
inline float LoweredValue(TNorm t, float v, float other) {
    switch (t) {
        case Min: return v;
        case Prod: return static_cast<float>(static_cast<double>(v) / static_cast<double>(other));
        case W: {
            const double lowered = static_cast<double>(v) - static_cast<double>(other) + 1.0;
            return lowered < 1.0 ? static_cast<float>(lowered) : 1.0f;
        }
    }
    return v;
}

}  // namespace engine

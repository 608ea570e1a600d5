#pragma once

// The straightforward completion of a lowering, kept as the oracle for the fast one: every
// entry's bound found by testing whole rows and columns of triangles at each candidate value,
// an estimate from the residua settled float by float; passes over the visiting order, an entry
// looked at again when an entry of its rows or columns has risen.

#include "engine/lowering_methods.h"

namespace reference {

/// RiseBounds, computed plainly.
void RiseBounds(const engine::AnyTNorm& t, int n, const engine::RelationMatrix& relation, const engine::RelationMatrix& X,
                bool symmetrizing, engine::RelationMatrix& bounds);

/// CompleteLowering, computed plainly (for a t-norm that allows it).
engine::CompletionCounts CompleteLowering(const engine::AnyTNorm& t, int n, const engine::RelationMatrix& relation,
                                          engine::RelationMatrix& X, bool symmetrizing);

}  // namespace reference

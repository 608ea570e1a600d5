#pragma once

// The straightforward engine algorithms, kept as the oracle for the fast ones: the closure
// by full max-T squaring with i, j, k loops, and the transitivization that scans the whole
// matrix to select each entry (about n⁴ comparisons).

#include "engine/closure.h"
#include "engine/engine.h"
#include "engine/relation_matrix.h"
#include "engine/tnorm.h"

namespace reference {

engine::ClosureCounts ComputeClosure(engine::TNorm t, int n, const engine::RelationMatrix& relation,
                                     engine::RelationMatrix& M, engine::RelationMatrix& P);

int Transitivize(engine::TNorm t, int n, const engine::RelationMatrix& relation, engine::RelationMatrix& X,
                 engine::RelationMatrix& O, bool symmetrizing);

/// The engine run of Engine::AnalyzeRelation with the two algorithms above in place of the
/// fast ones; comparisons, texts, counters and points are the engine's own.
void AnalyzeRelation(engine::Engine& e);

/// A whole trial as Engine::RunTrial makes it, analysed by the function above.
void RunTrial(engine::Engine& e);

}  // namespace reference

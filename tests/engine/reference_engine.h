#pragma once

// The straightforward engine run, kept as the oracle for the fast one: the closure by full
// max-T squaring with i, j, k loops, and the transitivization that scans the whole matrix to
// select each entry (about n⁴ comparisons).

#include "engine/engine.h"

namespace reference {

/// The matrices, counts, distances, texts and closure memory of Engine::AnalyzeRelation, by the
/// straightforward closure and transitivization (the comparisons and texts are the engine's own).
void AnalyzeRelation(engine::Engine& e);

}  // namespace reference

#pragma once

#include "engine/relation_matrix.h"
#include "toolkit/random.h"

namespace engine {

/// A new random relation in the n × n block of `target`: n² draws from 0 … 10, row by row,
/// whatever the options; each degree k/10 is stored as the float that its text (three
/// significant digits, in the program's separator) reads back to, so it is exactly the value the
/// grids show. Then the diagonal becomes 1 when `reflexive`, and the lower triangle is mirrored
/// onto the upper one when `symmetric`.
void GenerateRelation(int n, bool reflexive, bool symmetric, toolkit::RandomGenerator& random,
                      RelationMatrix& target);

/// Exchanges the roles of elements a and b (0-based) in the n × n block:
/// new[σ(i)][σ(j)] = old[i][j] with σ the transposition of a and b. Throws std::out_of_range,
/// counting the elements from 1 as the user does, unless both lie in 0 … n − 1.
void SwapElements(int n, int a, int b, RelationMatrix& relation);

/// Throws std::out_of_range naming the element (from 1) unless 0 ≤ index < n.
void CheckElement(int index, int n);

}  // namespace engine

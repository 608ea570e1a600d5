#pragma once

#include <string>

#include "engine/closure.h"
#include "engine/relation_matrix.h"
#include "engine/tnorm.h"

namespace engine {

enum class Direction {
    ClosureMinusRelation,        ///< d = X[i][j] − relation[i][j]
    RelationMinusTransitivized,  ///< d = relation[i][j] − X[i][j]
};

/// Distances of a result matrix from the relation; only positive differences count.
struct Comparison {
    float d1 = 0.0f;          ///< sum of the positive differences, in 32-bit steps
    float sumSquares = 0.0f;  ///< sum of their squares, in 32-bit steps
    float maxDiff = 0.0f;     ///< the largest difference
    int pi = 0;               ///< its position (first in row-major order), 0-based
    int pj = 0;
    double euclidean = 0.0;   ///< √sumSquares in double precision
};

Comparison CompareWithRelation(int n, const RelationMatrix& relation, const RelationMatrix& X,
                               Direction direction);

/// Three-line result texts (line feeds only), numbers in the program's separator.
std::string ClosureText(TNorm t, const ClosureCounts& counts, const Comparison& c);
std::string TransitivizedText(TNorm t, const Comparison& c, int reduced);

}  // namespace engine

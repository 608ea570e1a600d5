#pragma once

#include <array>

namespace engine {

inline constexpr int MAX_DIM = 100;

/// A fuzzy relation on up to MAX_DIM elements: entry [i][j] is the degree to which element
/// i + 1 is related to element j + 1. Rows are always MAX_DIM long; only the leading n × n
/// block is in use, and nothing outside it is ever read or written.
using MatrixRow = std::array<float, MAX_DIM>;
using RelationMatrix = std::array<MatrixRow, MAX_DIM>;

/// True when the leading n × n blocks of a and b are equal entry by entry. Like every entry
/// point taking a dimension, these two throw std::out_of_range unless 1 ≤ n ≤ MAX_DIM.
bool MatrixEqual(int n, const RelationMatrix& a, const RelationMatrix& b);

/// Copies the leading n × n block of source into target; the rest of target is untouched.
void MatrixCopy(int n, const RelationMatrix& source, RelationMatrix& target);

/// Throws std::out_of_range naming the value unless 1 ≤ n ≤ MAX_DIM.
void CheckDimension(int n);

}  // namespace engine

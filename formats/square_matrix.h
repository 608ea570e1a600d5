#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/relation_matrix.h"

namespace formats {

/// The largest dimension a relation file may hold: what the engine accepts. Every reader
/// refuses a larger one before it allocates anything.
inline constexpr int kLargestDimension = engine::kLargestDimension;

/// A square matrix as the readers give it: n and the n × n values row after row (entry [i][j]
/// at i · n + j), whatever order the file kept them in.
struct SquareMatrix {
    int n = 0;
    std::vector<float> values;
};

/// An n × n block stored row by row, `stride` floats from the start of one row to the next:
/// what the writers take, so that they write from any storage without a copy.
struct MatrixView {
    int n = 0;
    const float* first = nullptr;
    std::size_t stride = 0;
    float operator()(int i, int j) const { return first[static_cast<std::size_t>(i) * stride + static_cast<std::size_t>(j)]; }
};

MatrixView ViewOf(const SquareMatrix& m);
/// The leading n × n block of an engine matrix; throws std::out_of_range unless the matrix holds
/// an n × n block.
MatrixView ViewOf(int n, const engine::RelationMatrix& m);

/// Copies the matrix into the leading n × n block of `out` (the rest stays; `out` grows if it
/// must) and returns n; throws std::out_of_range, leaving `out` alone, unless
/// 1 ≤ n ≤ kLargestDimension.
int CopyInto(const SquareMatrix& m, engine::RelationMatrix& out);

/// "la matriz es de 150 × 150 y el programa admite hasta 100 × 100", or nothing when
/// 1 ≤ n ≤ kLargestDimension; shared by the readers so that they refuse alike.
std::string DimensionProblem(long long n);

/// Why a value read from a file is not a degree, after the value as written ("1.5 no está
/// entre 0 y 1", "nan no es un número finito"), or nothing for a degree in [0, 1].
std::string ValueProblem(double value);
std::string ValueProblem(float value);

/// A degree as the engine keeps it: rounded to 32 bits, −0 as 0.
inline float Degree(double value) { return value == 0.0 ? 0.0f : static_cast<float>(value); }

}  // namespace formats

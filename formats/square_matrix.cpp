#include "formats/square_matrix.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace formats {

MatrixView ViewOf(const SquareMatrix& m) { return {m.n, m.values.data(), static_cast<std::size_t>(m.n)}; }

// Rows follow one another without a gap, so the block is a strided view of one array.
MatrixView ViewOf(int n, const engine::RelationMatrix& m) {
    engine::CheckHolds(n, m);
    return {n, m[0].data(), static_cast<std::size_t>(m.capacity())};
}

int CopyInto(const SquareMatrix& m, engine::RelationMatrix& out) {
    out.Reserve(m.n);
    for (int i = 0; i < m.n; ++i)
        std::copy_n(m.values.begin() + static_cast<std::ptrdiff_t>(i) * m.n, m.n, out[i].begin());
    return m.n;
}

std::string DimensionProblem(long long n) {
    if (n < 1) return "la matriz está vacía";
    if (n <= kLargestDimension) return {};
    const std::string largest = std::to_string(kLargestDimension);
    return "la matriz es de " + std::to_string(n) + " × " + std::to_string(n) + " y el programa admite hasta " +
           largest + " × " + largest;
}

namespace {

// The value as the shortest text of its own type that reads back to it, with a point.
template <class T>
std::string Problem(T value) {
    std::array<char, 64> buffer{};
    const std::string text(buffer.data(), std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr);
    if (!std::isfinite(value)) return text + " no es un número finito";
    if (!(value >= 0 && value <= 1)) return text + " no está entre 0 y 1";
    return {};
}

}  // namespace

std::string ValueProblem(double value) { return Problem(value); }
std::string ValueProblem(float value) { return Problem(value); }

}  // namespace formats

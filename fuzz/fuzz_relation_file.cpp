#include <algorithm>
// ParseRelation on any bytes: either an n × n block of degrees (1 ≤ n ≤ 100, finite, in
// [0, 1], never −0) that the program's own text gives back bit for bit, with nothing outside
// the block touched, or a FileError that leaves the matrix as it was.

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "formats/relation_file.h"

namespace {

engine::RelationMatrix matrix, again;

bool Untouched(const engine::RelationMatrix& m, int n) {
    for (int i = 0; i < m.capacity(); ++i)
        for (int j = 0; j < m.capacity(); ++j)
            if ((i >= n || j >= n) && m[i][j] != 2.0f) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    matrix = engine::RelationMatrix();  // back to its first size: the reader grows it
    for (int i = 0; i < matrix.capacity(); ++i) std::fill_n(matrix[i].begin(), matrix.capacity(), 2.0f);
    int n = 0;
    try {
        n = formats::ParseRelation(std::string_view(reinterpret_cast<const char*>(data), size), matrix);
    } catch (const toolkit::FileError&) {
        if (!Untouched(matrix, 0)) std::abort();
        return 0;
    }
    if (n < 1 || n > formats::kLargestDimension || !Untouched(matrix, n)) std::abort();
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            if (!std::isfinite(matrix[i][j]) || matrix[i][j] < 0.0f || matrix[i][j] > 1.0f || std::signbit(matrix[i][j]))
                std::abort();
    for (const char separator : {'.', ','}) {
        if (formats::ParseRelation(formats::RelationText(n, matrix, separator), again) != n) std::abort();
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j)
                if (std::bit_cast<std::uint32_t>(again[i][j]) != std::bit_cast<std::uint32_t>(matrix[i][j])) std::abort();
    }
    return 0;
}

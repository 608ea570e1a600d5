#pragma once

// What every reader of relations must give: checks that abort, as libFuzzer wants.

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "formats/square_matrix.h"
#include "toolkit/file_io.h"

namespace fuzz_support {

inline void CheckDegrees(const formats::SquareMatrix& m) {
    if (m.n < 1 || m.n > formats::kLargestDimension || m.values.size() != static_cast<std::size_t>(m.n) * m.n) std::abort();
    for (const float x : m.values)
        if (!std::isfinite(x) || x < 0.0f || x > 1.0f || std::signbit(x)) std::abort();
}

inline void CheckSame(const formats::SquareMatrix& a, const formats::SquareMatrix& b) {
    if (a.n != b.n || a.values.size() != b.values.size()) std::abort();
    for (std::size_t k = 0; k < a.values.size(); ++k)
        if (std::bit_cast<std::uint32_t>(a.values[k]) != std::bit_cast<std::uint32_t>(b.values[k])) std::abort();
}

}  // namespace fuzz_support

#include "experiments/pie.h"

#include <cstdint>

namespace experiments {

int ClosureGreaterPercent(int greater, int notGreater) {
    if (greater == 0) return 0;
    // 64-bit intermediate: 100 × a count near 2^31 must not overflow.
    const std::int64_t total = static_cast<std::int64_t>(greater) + notGreater;
    if (total == 0) return 0;
    return static_cast<int>(100 * static_cast<std::int64_t>(greater) / total);
}

int PieEndAngle(int percent) { return static_cast<int>(percent * 3.6); }

}  // namespace experiments

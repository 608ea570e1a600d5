#include "toolkit/random.h"

namespace toolkit {

std::uint32_t RandomGenerator::Below(std::uint32_t bound) {
    // Keeping all 2^32 draws would make small remainders more likely; skipping the lowest
    // 2^32 mod bound of them leaves a multiple of bound equally likely draws.
    const std::uint32_t limit = static_cast<std::uint32_t>(-bound) % bound;  // (2^32 − bound) mod bound = 2^32 mod bound
    for (;;) {
        const std::uint32_t draw = generator_();
        if (draw >= limit) return draw % bound;
    }
}

}  // namespace toolkit

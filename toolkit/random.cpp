#include "toolkit/random.h"

namespace toolkit {

std::uint32_t RandomGenerator::Below(std::uint32_t bound) {
    // 2^32 mod bound draws at the top would make small remainders more likely; skip them.
    const std::uint32_t limit = static_cast<std::uint32_t>(-bound) % bound;  // (2^32 − bound) mod bound = 2^32 mod bound
    for (;;) {
        const std::uint32_t draw = generator_();
        if (draw >= limit) return draw % bound;
    }
}

}  // namespace toolkit

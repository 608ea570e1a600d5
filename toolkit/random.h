#pragma once

#include <cstdint>
#include <random>

namespace toolkit {

/// The program's random source: the 32-bit Mersenne Twister (std::mt19937) in its default
/// start state (seed 5489) and never reseeded, so every start draws the same sequence; a
/// command-line run may start it from a seed of its own instead. Each object has its own state
/// (an engine owns one); a copy continues the same sequence.
class RandomGenerator {
public:
    RandomGenerator() = default;
    explicit RandomGenerator(std::uint32_t seed) : generator_(seed) {}

    /// A uniform integer in 0 … bound − 1 (bound ≥ 1). The lowest 2^32 mod `bound` raw draws
    /// are rejected; the rest span a whole number of runs of `bound`, so the remainder is
    /// exactly uniform.
    std::uint32_t Below(std::uint32_t bound);

private:
    std::mt19937 generator_;
};

}  // namespace toolkit

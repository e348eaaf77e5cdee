// The random numbers of the point sets the benchmarks share with their
// peer scripts (the scripts use the same generator, so both sides work on
// the same points).
#pragma once

#include <cstdint>

namespace gridova::bench {

struct SplitMix64 {
    std::uint64_t state;
    // Uniform in [0, 1) from the top 53 bits.
    double next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        z ^= z >> 31;
        return static_cast<double>(z >> 11) * 0x1.0p-53;
    }
};

}  // namespace gridova::bench

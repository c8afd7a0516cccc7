#pragma once
// Reproducible noise for tests and benchmarks: a linear congruential generator with
// the common 32-bit constants, and byte buffers made from it. Header-only and free of
// gtest, so that the benchmarks use the same data.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quarn::test {

// Advances state by one step and returns the new state.
inline uint32_t lcg_step(uint32_t &state) { return state = state * 1664525u + 1013904223u; }

// n bytes, each the top byte of one step from seed.
inline std::vector<uint8_t> noise_bytes(size_t n, uint32_t seed) {
    std::vector<uint8_t> v(n);
    for (auto &b : v) b = uint8_t(lcg_step(seed) >> 24);
    return v;
}

}  // namespace quarn::test

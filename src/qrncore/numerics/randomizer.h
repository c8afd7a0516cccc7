#pragma once
// The small generator the game draws from most: a linear congruential generator over
// 0..139967 whose one state word its owner sets directly to seed it.
#include <cstdint>

#include "qrncore/api.h"

namespace quarn {

class randomizer_t {
public:
    randomizer_t() = default;
    explicit randomizer_t(uint32_t s) : seed(s) {}

    // The next state divided by 139968: a float in [0, 1).
    float rand() { return float(next()) * (1.0f / 139968.0f); }
    // (next state * n) / 139968 with a 32-bit product that wraps: exact, and below n,
    // for n up to 30685; above that the product wraps and results stay below 30686.
    uint32_t rand_u(uint32_t n) { return next() * n / 139968u; }
    // Advances the state, (state * 3877 + 29573) mod 139968 with a product that
    // wraps at 32 bits, and returns it.
    uint32_t next() { return seed = (seed * 3877u + 29573u) % 139968u; }

    uint32_t seed = 0;
};

}  // namespace quarn

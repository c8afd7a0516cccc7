#pragma once
// The C runtime generator the engine was written against: a linear congruential
// generator (state * 214013 + 2531011) returning bits 16-30 of the state, so every
// draw lies in 0..32767. It stands in for the C library's rand, whose range and
// sequence differ here. One process-wide state, seeded with 1 until crt_srand.
#include <cstdint>

#include "qrncore/api.h"

namespace quarn {

constexpr int CRT_RAND_MAX = 32767;

QRNCORE_API void crt_srand(uint32_t seed);
// The next draw, 0..CRT_RAND_MAX; after seed 1 the draws are 41, 18467, 6334, 26500.
QRNCORE_API int crt_rand();

}  // namespace quarn

#pragma once
// Random numbers from the shared C runtime generator (crt_rand): uniform floats and
// integers, and normal deviates. All of them draw from the one process-wide state.
#include "qrncore/api.h"

namespace quarn {

// Seeds the shared generator.
QRNCORE_API void v_seed(unsigned seed);
// A draw divided by 32767: a float in [0, 1], exactly 1.0 for the largest draw.
QRNCORE_API float v_rand();
// (draw * n) >> 15: 0 <= result < n, and 0 for n = 0.
QRNCORE_API unsigned v_rand_u(unsigned n);
// A standard normal deviate by the polar method: pairs of draws until the point lies
// strictly inside the unit circle and off its centre.
QRNCORE_API float v_rand_gauss();
// A normal deviate turned by a random angle: the angle's draw comes first, then the
// deviate's pairs; x gets the sine part, y the cosine part.
QRNCORE_API void v_rand_gauss_2d(float *x, float *y);

}  // namespace quarn

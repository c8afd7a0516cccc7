#include "qrncore/numerics/random.h"

#include <cmath>
#include <cstdint>

#include "qrncore/numerics/crt_rand.h"

namespace quarn {

void v_seed(unsigned seed) { crt_srand(seed); }

float v_rand() { return float(crt_rand()) * (1.0f / 32767.0f); }

unsigned v_rand_u(unsigned n) { return unsigned((uint64_t(uint32_t(crt_rand())) * n) >> 15); }

float v_rand_gauss() {
    const float scale = 2.0f / 32767.0f;
    float a, b, s;
    do {
        const int r1 = crt_rand();
        const int r2 = crt_rand();
        a = float(r1) * scale - 1.0f;
        b = float(r2) * scale - 1.0f;
        s = a * a + b * b;
    } while (s >= 1.0f || s == 0.0f);
    return a * std::sqrt(-2.0f * std::log(s) / s);
}

void v_rand_gauss_2d(float *x, float *y) {
    const int r = crt_rand();
    const float g = v_rand_gauss();
    // 2 pi / 32767 as the float the engine used.
    const float angle = float(r) * 0.00019175345f;
    *x = g * std::sin(angle);
    *y = g * std::cos(angle);
}

}  // namespace quarn

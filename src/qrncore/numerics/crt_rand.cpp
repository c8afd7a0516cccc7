#include "qrncore/numerics/crt_rand.h"

namespace quarn {

namespace {
uint32_t crt_state = 1;
}

void crt_srand(uint32_t seed) { crt_state = seed; }

int crt_rand() {
    crt_state = crt_state * 214013u + 2531011u;
    return int((crt_state >> 16) & 0x7FFF);
}

}  // namespace quarn

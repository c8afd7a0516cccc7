#include "qrncore/numerics/adler32.h"

namespace quarn {

namespace {

constexpr uint32_t ADLER_BASE = 65521;
// The most bytes after which b, starting below the base, still fits in 32 bits
// (5552 would do; the engine always took 5550).
constexpr size_t ADLER_CHUNK = 5550;

// 65536 is 15 modulo the base, so the high half folds back in as a multiple of 15.
inline uint32_t fold(uint32_t s) { return (s >> 16) * 15 + (s & 0xFFFF); }

}  // namespace

void adler32_t::compute(const void *data, size_t length) {
    if (!data || !length) return;
    const uint8_t *p = static_cast<const uint8_t *>(data);
    uint32_t sa = a, sb = b;
    while (length) {
        size_t n = length < ADLER_CHUNK ? length : ADLER_CHUNK;
        length -= n;
        for (; n >= 16; n -= 16, p += 16) {
            for (int i = 0; i < 16; ++i) {
                sa += p[i];
                sb += sa;
            }
        }
        for (; n; --n) {
            sa += *p++;
            sb += sa;
        }
        sa = fold(sa);
        sb = fold(fold(sb));
        if (sa >= ADLER_BASE) sa -= ADLER_BASE;
        if (sb >= ADLER_BASE) sb -= ADLER_BASE;
    }
    a = sa;
    b = sb;
}

}  // namespace quarn

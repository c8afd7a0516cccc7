#pragma once
// Mersenne-twister generators with the MT19937 parameters and tempering, kept as two
// buffers of 624 words: each draw returns a word of the current buffer and computes
// the same position of the next generation into the other one, reading only the
// current buffer. The first 624 words, and words 625 to 851, equal those of the
// reference MT19937 with the same seeding; from word 852 on (position 227 of the
// second generation, where the reference reads words it has already renewed) the
// sequences part. Saved sequences depend on this, so it stays.
#include <cstdint>

#include "qrncore/api.h"

namespace quarn {

constexpr unsigned MT_N = 624;

// Seeded the 1998 way: state[i] = state[i - 1] * 69069.
class QRNCORE_API random_mt_t {
public:
    random_mt_t() : random_mt_t(4357) {}
    explicit random_mt_t(uint32_t s);

    void seed(uint32_t s);
    // The next 32-bit word.
    uint32_t rand();
    // (r - 1) / 2^32 for r = rand() > 0, 0 for r = 0, as a float in [0, 1]: words
    // within 2^-25 of the top round to 1.0.
    float rand_f();
    // (rand() * n) >> 32: 0 <= result < n, and 0 for n = 0 or 1.
    uint32_t rand_u(uint32_t n) { return uint32_t((uint64_t(rand()) * n) >> 32); }

private:
    unsigned m_buffer = 0;
    unsigned m_pos = 0;
    uint32_t m_mag01[2] = {0, 0x9908B0DFu};
    uint32_t m_state[2][MT_N];
};

// Seeded the 2002 way: state[i] = 1812433253 * (state[i - 1] ^ (state[i - 1] >> 30)) + i.
class QRNCORE_API randomizer_mt_t {
public:
    randomizer_mt_t() : randomizer_mt_t(1953781) {}
    explicit randomizer_mt_t(uint32_t s);

    void seed(uint32_t s);
    // The next 32-bit word.
    uint32_t rand();
    // (rand() * n) >> 32: 0 <= result < n, and 0 for n = 0 or 1.
    uint32_t rand_u(uint32_t n) { return uint32_t((uint64_t(rand()) * n) >> 32); }

private:
    unsigned m_buffer = 0;
    unsigned m_pos = 0;
    uint32_t m_state[2][MT_N];
};

}  // namespace quarn

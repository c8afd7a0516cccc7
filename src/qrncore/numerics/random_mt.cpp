#include "qrncore/numerics/random_mt.h"

namespace quarn {

namespace {

constexpr unsigned MT_M = 397;
constexpr uint32_t MT_MATRIX = 0x9908B0DFu;
constexpr uint32_t MT_UPPER = 0x80000000u;
constexpr uint32_t MT_LOWER = 0x7FFFFFFFu;
// randomizer_mt_t keeps no table of its own.
constexpr uint32_t MAG01[2] = {0, MT_MATRIX};

// One full generation in place, as the reference does it: positions from 227 on
// combine with words already renewed.
void regenerate_in_place(uint32_t *mt) {
    unsigned k = 0;
    for (; k < MT_N - MT_M; ++k) {
        const uint32_t y = (mt[k] & MT_UPPER) | (mt[k + 1] & MT_LOWER);
        mt[k] = mt[k + MT_M] ^ (y >> 1) ^ ((mt[k + 1] & 1) ? MT_MATRIX : 0);
    }
    for (; k < MT_N - 1; ++k) {
        const uint32_t y = (mt[k] & MT_UPPER) | (mt[k + 1] & MT_LOWER);
        mt[k] = mt[k - (MT_N - MT_M)] ^ (y >> 1) ^ ((mt[k + 1] & 1) ? MT_MATRIX : 0);
    }
    const uint32_t y = (mt[MT_N - 1] & MT_UPPER) | (mt[0] & MT_LOWER);
    mt[MT_N - 1] = mt[MT_M - 1] ^ (y >> 1) ^ ((mt[0] & 1) ? MT_MATRIX : 0);
}

// Returns the untempered word at the position and renews that position of the other
// buffer from the current one alone.
uint32_t draw(uint32_t (&state)[2][MT_N], unsigned &buffer, unsigned &pos, const uint32_t (&mag01)[2]) {
    const uint32_t *c = state[buffer];
    uint32_t *o = state[buffer ^ 1];
    const unsigned k = pos;
    const unsigned next = k + 1 < MT_N ? k + 1 : 0;
    const unsigned j = k < MT_N - MT_M ? k + MT_M : k - (MT_N - MT_M);
    const uint32_t y = c[k];
    const uint32_t u = (c[k] & MT_UPPER) | (c[next] & MT_LOWER);
    o[k] = c[j] ^ (u >> 1) ^ mag01[c[next] & 1];
    if (++pos == MT_N) {
        pos = 0;
        buffer ^= 1;
    }
    return y;
}

uint32_t temper(uint32_t y) {
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}

}  // namespace

random_mt_t::random_mt_t(uint32_t s) { seed(s); }

void random_mt_t::seed(uint32_t s) {
    uint32_t *mt = m_state[0];
    mt[0] = s;
    for (unsigned i = 1; i < MT_N; ++i) mt[i] = mt[i - 1] * 69069u;
    regenerate_in_place(mt);
    m_buffer = 0;
    m_pos = 0;
}

uint32_t random_mt_t::rand() { return temper(draw(m_state, m_buffer, m_pos, m_mag01)); }

float random_mt_t::rand_f() {
    const uint32_t r = rand();
    return r ? float(double(r - 1) * 0x1p-32) : 0.0f;
}

randomizer_mt_t::randomizer_mt_t(uint32_t s) { seed(s); }

void randomizer_mt_t::seed(uint32_t s) {
    uint32_t *mt = m_state[0];
    mt[0] = s;
    for (uint32_t i = 1; i < MT_N; ++i) mt[i] = 1812433253u * (mt[i - 1] ^ (mt[i - 1] >> 30)) + i;
    regenerate_in_place(mt);
    m_buffer = 0;
    m_pos = 0;
}

uint32_t randomizer_mt_t::rand() { return temper(draw(m_state, m_buffer, m_pos, MAG01)); }

}  // namespace quarn

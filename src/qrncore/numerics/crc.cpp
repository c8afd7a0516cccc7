#include "qrncore/numerics/crc.h"

#include <array>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define QRN_CRC32_CLMUL 1
#endif

namespace quarn {

namespace {

// Eight tables for taking eight bytes a step ("slicing by 8"): table k maps a byte to
// its CRC contribution when k more zero bytes follow it. Table 0 is the usual one;
// the result is the same as byte by byte.
constexpr std::array<std::array<uint32_t, 256>, 8> make_crc32_tables() {
    std::array<std::array<uint32_t, 256>, 8> t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t r = i;
        for (int k = 0; k < 8; ++k) r = (r & 1) ? (r >> 1) ^ 0xEDB88320u : r >> 1;
        t[0][i] = r;
    }
    for (int k = 1; k < 8; ++k)
        for (uint32_t i = 0; i < 256; ++i) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
    return t;
}

constexpr std::array<std::array<uint32_t, 256>, 8> crc32_tables = make_crc32_tables();

inline uint32_t load_le32(const uint8_t *p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// Widths 10 to 16: entry i is the register i << (w - 8) after eight steps.
constexpr std::array<uint16_t, 256> make_wide_table(unsigned w, unsigned poly) {
    std::array<uint16_t, 256> t{};
    const unsigned mask = (1u << w) - 1;
    for (unsigned i = 0; i < 256; ++i) {
        unsigned r = i << (w - 8);
        for (int k = 0; k < 8; ++k) {
            const bool top = r & (1u << (w - 1));
            r = (r << 1) & mask;
            if (top) r ^= poly;
        }
        t[i] = uint16_t(r & mask);
    }
    return t;
}

// Widths 4 to 8: entry i is i itself after eight steps. Bits of i above w - 1 are
// shifted out untested, so for w < 8 an entry depends on the low w bits alone.
constexpr std::array<uint8_t, 256> make_narrow_table(unsigned w, unsigned poly) {
    std::array<uint8_t, 256> t{};
    const unsigned mask = (1u << w) - 1;
    for (unsigned i = 0; i < 256; ++i) {
        unsigned r = i;
        for (int k = 0; k < 8; ++k) {
            const bool top = r & (1u << (w - 1));
            r <<= 1;
            if (top) r ^= poly;
        }
        t[i] = uint8_t(r & mask);
    }
    return t;
}

// Written only by crc_initialize, but constant-initialised with the same contents so
// that nothing depends on start-up order.
constinit std::array<uint16_t, 256> table16 = make_wide_table(16, 0x1021);
constinit std::array<uint16_t, 256> table14 = make_wide_table(14, 0x202D);
constinit std::array<uint16_t, 256> table12 = make_wide_table(12, 0x80F);
constinit std::array<uint16_t, 256> table10 = make_wide_table(10, 0x233);
constinit std::array<uint8_t, 256> table8 = make_narrow_table(8, 0x07);
constinit std::array<uint8_t, 256> table6 = make_narrow_table(6, 0x23);
constinit std::array<uint8_t, 256> table4 = make_narrow_table(4, 0x3);

// The register is 16 bits wide whatever the width: bits above w carry garbage that
// the index mask and the final mask drop.
unsigned crc_wide(const std::array<uint16_t, 256> &t, unsigned w, const void *data, size_t length) {
    if (!data) return 0;
    const uint8_t *p = static_cast<const uint8_t *>(data);
    uint16_t h = 0;
    for (size_t i = 0; i < length; ++i) h = uint16_t((h << 8) ^ t[((h >> (w - 8)) ^ p[i]) & 0xFF]);
    return h & ((1u << w) - 1);
}

unsigned crc_narrow(const std::array<uint8_t, 256> &t, unsigned w, const void *data, size_t length) {
    if (!data) return 0;
    const uint8_t *p = static_cast<const uint8_t *>(data);
    uint8_t h = 0;
    for (size_t i = 0; i < length; ++i) h = t[uint8_t(p[i] ^ h)];
    return h & ((1u << w) - 1);
}

}  // namespace

namespace {

// Below this the tables are as fast as setting up the folds.
constexpr size_t CLMUL_MIN = 64;

// Continues the register (the CRC before its final inversion) eight bytes a step.
uint32_t crc32_tables_update(uint32_t h, const uint8_t *p, size_t length) {
    const auto &t = crc32_tables;
    for (; length >= 8; length -= 8, p += 8) {
        const uint32_t lo = load_le32(p) ^ h;
        const uint32_t hi = load_le32(p + 4);
        h = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
            t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
    }
    for (; length; --length, ++p) h = t[0][(*p ^ h) & 0xFF] ^ (h >> 8);
    return h;
}

#ifdef QRN_CRC32_CLMUL
// Carry-less multiplication folds 64 bytes a step in four 128-bit lanes, then the
// lanes into one and that to 32 bits by Barrett reduction. The constants are powers of
// x modulo the (bit-reflected) polynomial: x^(4*128+32) and x^(4*128-32) mod P for
// the four-lane fold, x^(128+32) and x^(128-32) for the one-lane fold, x^64 for the
// last 64 bits, then P itself and floor(x^64 / P) for the reduction. Takes
// length >= 64 and a multiple of 16; the caller does the rest with the tables.
[[gnu::target("pclmul,sse2"), gnu::always_inline]] inline __m128i load(const uint8_t *q) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i *>(q));
}

// x times the two halves of k, the products added to next.
[[gnu::target("pclmul,sse2"), gnu::always_inline]] inline __m128i fold(__m128i x, __m128i k, __m128i next) {
    const __m128i lo = _mm_clmulepi64_si128(x, k, 0x00);
    const __m128i hi = _mm_clmulepi64_si128(x, k, 0x11);
    return _mm_xor_si128(_mm_xor_si128(hi, lo), next);
}

[[gnu::target("pclmul,sse2")]] uint32_t crc32_clmul_blocks(uint32_t h, const uint8_t *p, size_t length) {
    const __m128i k1k2 = _mm_set_epi64x(0x01c6e41596, 0x0154442bd4);
    const __m128i k3k4 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);
    const __m128i k5 = _mm_set_epi64x(0, 0x0163cd6124);
    const __m128i poly = _mm_set_epi64x(0x01f7011641, 0x01db710641);
    const __m128i low32 = _mm_setr_epi32(-1, 0, -1, 0);
    __m128i x1 = _mm_xor_si128(load(p), _mm_cvtsi32_si128(int(h)));
    __m128i x2 = load(p + 16), x3 = load(p + 32), x4 = load(p + 48);
    p += 64;
    length -= 64;
    for (; length >= 64; length -= 64, p += 64) {
        x1 = fold(x1, k1k2, load(p));
        x2 = fold(x2, k1k2, load(p + 16));
        x3 = fold(x3, k1k2, load(p + 32));
        x4 = fold(x4, k1k2, load(p + 48));
    }
    x1 = fold(x1, k3k4, x2);
    x1 = fold(x1, k3k4, x3);
    x1 = fold(x1, k3k4, x4);
    for (; length >= 16; length -= 16, p += 16) x1 = fold(x1, k3k4, load(p));

    // 128 bits to 64.
    __m128i x = _mm_xor_si128(_mm_srli_si128(x1, 8), _mm_clmulepi64_si128(x1, k3k4, 0x10));
    x = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x, low32), k5, 0x00), _mm_srli_si128(x, 4));
    // Barrett reduction to 32.
    __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x, low32), poly, 0x10);
    t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), poly, 0x00);
    x = _mm_xor_si128(x, t);
    return uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(x, 4)));
}

bool detect_clmul() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
    return (c & bit_PCLMUL) && (d & bit_SSE2);
}
#endif

uint32_t crc32_update(crc32_path_t path, uint32_t h, const uint8_t *p, size_t length) {
#ifdef QRN_CRC32_CLMUL
    if (path == crc32_path_t::CLMUL && length >= CLMUL_MIN) {
        const size_t blocks = length & ~size_t(15);
        h = crc32_clmul_blocks(h, p, blocks);
        p += blocks;
        length -= blocks;
    }
#else
    (void)path;
#endif
    return crc32_tables_update(h, p, length);
}

}  // namespace

crc32_path_t crc32_best_path() {
#ifdef QRN_CRC32_CLMUL
    static const bool clmul = detect_clmul();
    return clmul ? crc32_path_t::CLMUL : crc32_path_t::TABLES;
#else
    return crc32_path_t::TABLES;
#endif
}

uint32_t crc32_continue(crc32_path_t path, uint32_t value, const void *data, size_t length) {
    if (!data || !length) return value;
    if (path == crc32_path_t::CLMUL && crc32_best_path() != crc32_path_t::CLMUL) path = crc32_path_t::TABLES;
    return ~crc32_update(path, ~value, static_cast<const uint8_t *>(data), length);
}

void crc32_t::compute(const void *data, size_t length) {
    if (!data || !length) return;
    const auto *p = static_cast<const uint8_t *>(data);
    // Short runs go straight to the tables: no path to look up.
    value = ~(length < CLMUL_MIN ? crc32_tables_update(~value, p, length) : crc32_update(crc32_best_path(), ~value, p, length));
}

void crc32_t::compute(const string &text) { compute(text.c_str(), text.length()); }

uint32_t crc32(const void *data, size_t length) {
    crc32_t c;
    c.compute(data, length);
    return c.value;
}

unsigned crc16(const void *data, size_t length) { return crc_wide(table16, 16, data, length); }
unsigned crc14(const void *data, size_t length) { return crc_wide(table14, 14, data, length); }
unsigned crc12(const void *data, size_t length) { return crc_wide(table12, 12, data, length); }
unsigned crc10(const void *data, size_t length) { return crc_wide(table10, 10, data, length); }
unsigned crc8(const void *data, size_t length) { return crc_narrow(table8, 8, data, length); }
unsigned crc6(const void *data, size_t length) { return crc_narrow(table6, 6, data, length); }
unsigned crc4(const void *data, size_t length) { return crc_narrow(table4, 4, data, length); }

void crc_initialize() {
    table16 = make_wide_table(16, 0x1021);
    table14 = make_wide_table(14, 0x202D);
    table12 = make_wide_table(12, 0x80F);
    table10 = make_wide_table(10, 0x233);
    table8 = make_narrow_table(8, 0x07);
    table6 = make_narrow_table(6, 0x23);
    table4 = make_narrow_table(4, 0x3);
}

void crc_shutdown() {}

}  // namespace quarn

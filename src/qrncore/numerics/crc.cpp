#include "qrncore/numerics/crc.h"

#include <array>

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

void crc32_t::compute(const void *data, size_t length) {
    if (!data || !length) return;
    const uint8_t *p = static_cast<const uint8_t *>(data);
    const auto &t = crc32_tables;
    uint32_t h = ~value;
    for (; length >= 8; length -= 8, p += 8) {
        const uint32_t lo = load_le32(p) ^ h;
        const uint32_t hi = load_le32(p + 4);
        h = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
            t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
    }
    for (; length; --length, ++p) h = t[0][(*p ^ h) & 0xFF] ^ (h >> 8);
    value = ~h;
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

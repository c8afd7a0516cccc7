#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <vector>

#include "qrncore/numerics/adler32.h"
#include "qrncore/numerics/crc.h"
#include "support/noise.h"

namespace quarn {
namespace {

using test::noise_bytes;

const char DIGITS[] = "123456789";

TEST(short_crc, check_values_of_the_digits) {
    crc_initialize();
    struct row_t {
        const char *name;
        unsigned (*fn)(const void *, size_t);
        unsigned check;
    };
    const row_t rows[] = {
        {"crc16", crc16, 0x31C3}, {"crc14", crc14, 0x0F51}, {"crc12", crc12, 0xF5B}, {"crc10", crc10, 0x199},
        {"crc8", crc8, 0xF4},     {"crc6", crc6, 0x07},     {"crc4", crc4, 0x6},
    };
    for (const row_t &r : rows) {
        EXPECT_EQ(r.fn(DIGITS, 9), r.check) << r.name;
        EXPECT_EQ(r.fn(DIGITS, 0), 0u) << r.name;
        EXPECT_EQ(r.fn(nullptr, 5), 0u) << r.name;
    }
    crc_shutdown();
}

TEST(short_crc, narrow_widths_ignore_the_high_bits_of_each_byte) {
    const uint8_t a = 0x41, b = 0x01, c = 0xC1;
    EXPECT_EQ(crc6(&a, 1), crc6(&b, 1));
    EXPECT_EQ(crc6(&c, 1), crc6(&b, 1));
    const uint8_t d[] = {0xF3, 0x27}, e[] = {0x03, 0x07};
    EXPECT_EQ(crc4(d, 2), crc4(e, 2));
    // crc8 has no such blind spot.
    EXPECT_NE(crc8(&a, 1), crc8(&b, 1));
}

TEST(crc32, standard_value_chaining_and_zlib) {
    EXPECT_EQ(crc32(nullptr, 0), 0u);
    EXPECT_EQ(crc32(DIGITS, 0), 0u);
    EXPECT_EQ(crc32(DIGITS, 9), 0xCBF43926u);

    crc32_t c;
    c.compute("1234", 4);
    c.compute(nullptr, 7);
    c.compute("56789", 5);
    EXPECT_EQ(c.value, 0xCBF43926u);

    crc32_t s;
    s.compute(string(DIGITS));
    EXPECT_EQ(s.value, 0xCBF43926u);

    const std::vector<uint8_t> data = noise_bytes(70001, 7);
    for (size_t len : {1u, 3u, 255u, 4096u, 70001u}) {
        EXPECT_EQ(crc32(data.data(), len), ::crc32(0, data.data(), uInt(len))) << len;
    }
    crc32_t pieces;
    for (size_t at = 0, step = 1; at < data.size(); at += step, step = step * 3 + 1)
        pieces.compute(data.data() + at, std::min(step, data.size() - at));
    EXPECT_EQ(pieces.value, ::crc32(0, data.data(), uInt(data.size())));
}

// Both ways of computing CRC-32 (the tables everywhere, carry-less multiplication
// where the processor has it) over the lengths around their block sizes, unaligned
// starts and a value carried in from an earlier call.
TEST(crc32, every_path_equals_zlib) {
    const std::vector<uint8_t> data = noise_bytes(4200, 11);
    for (crc32_path_t path : {crc32_path_t::TABLES, crc32_path_t::CLMUL}) {
        EXPECT_EQ(crc32_continue(path, 0, DIGITS, 9), 0xCBF43926u);
        EXPECT_EQ(crc32_continue(path, 0x1234u, nullptr, 9), 0x1234u);
        for (size_t offset : {0u, 1u, 7u})
            for (size_t len : {1u, 15u, 16u, 63u, 64u, 65u, 79u, 80u, 127u, 128u, 129u, 191u, 1000u, 4096u}) {
                const uint8_t *p = data.data() + offset;
                EXPECT_EQ(crc32_continue(path, 0, p, len), ::crc32(0, p, uInt(len))) << len << " at " << offset;
                const uint32_t head = uint32_t(::crc32(0, data.data(), 100));
                EXPECT_EQ(crc32_continue(path, head, p, len), ::crc32(head, p, uInt(len))) << len << " after 100";
            }
    }
}

TEST(adler32, equals_zlib_across_chunk_boundaries) {
    adler32_t fresh;
    EXPECT_EQ(fresh.value(), 1u);
    fresh.compute(nullptr, 10);
    fresh.compute(DIGITS, 0);
    EXPECT_EQ(fresh.value(), 1u);

    // All 0xFF bytes drive both sums highest before each reduction.
    const std::vector<uint8_t> ones(200000, 0xFF);
    const std::vector<uint8_t> data = noise_bytes(200000, 11);
    for (const std::vector<uint8_t> *v : {&ones, &data}) {
        for (size_t len : {1u, 15u, 16u, 17u, 5549u, 5550u, 5551u, 11100u, 11101u, 200000u}) {
            adler32_t a;
            a.compute(v->data(), len);
            EXPECT_EQ(a.value(), ::adler32(1, v->data(), uInt(len))) << len;
        }
        adler32_t pieces;
        for (size_t at = 0, step = 1; at < v->size(); at += step, step = step * 2 + 5)
            pieces.compute(v->data() + at, std::min(step, v->size() - at));
        EXPECT_EQ(pieces.value(), ::adler32(1, v->data(), uInt(v->size())));
    }
}

}  // namespace
}  // namespace quarn

#include "qrncore/qrnutils/hbmp/s3tc.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "support/message_capture.h"

namespace quarn {
namespace {

using pixel_t = std::array<uint8_t, 4>;

pixel_t at(const std::vector<uint8_t> &rgba, size_t i) {
    return {rgba[i * 4], rgba[i * 4 + 1], rgba[i * 4 + 2], rgba[i * 4 + 3]};
}

// A colour half: c0, c1 (little-endian 5:6:5) and one index byte per row.
std::vector<uint8_t> colour_block(uint16_t c0, uint16_t c1, std::array<uint8_t, 4> rows) {
    return {uint8_t(c0), uint8_t(c0 >> 8), uint8_t(c1), uint8_t(c1 >> 8), rows[0], rows[1], rows[2], rows[3]};
}

TEST(s3tc, sizes_of_block_chains) {
    EXPECT_EQ(hbmp_s3tc_size(HBMP_DXT1, 4, 4, 3), 3u * 8);
    EXPECT_EQ(hbmp_s3tc_size(HBMP_DXT5, 8, 8, 1), 4u * 16);
    EXPECT_EQ(hbmp_s3tc_size(HBMP_DXT3, 16, 4, 3), (4u + 2 + 1) * 16);
    EXPECT_EQ(hbmp_s3tc_size(HBMP_RGBA, 4, 4, 1), 0u);
    EXPECT_EQ(hbmp_s3tc_size(HBMP_DXT1, 4, 4, 0), 0u);
}

TEST(s3tc, dxt1_keeps_four_opaque_colours_when_c0_is_below_c1) {
    // c0 pure blue (0x001F) < c1 pure red (0xF800); row 0 takes indices 0, 1, 2, 3,
    // row 3 index 3 everywhere.
    std::vector<uint8_t> src = colour_block(0x001F, 0xF800, {0xE4, 0x00, 0x55, 0xFF});
    std::vector<uint8_t> dst(16 * 4);
    ASSERT_TRUE(hbmp_decompress_s3tc(dst.data(), src.data(), src.size(), HBMP_RGBA, HBMP_DXT1, 4, 4, 1, 1));
    EXPECT_EQ(at(dst, 0), (pixel_t{0, 0, 255, 255}));
    EXPECT_EQ(at(dst, 1), (pixel_t{255, 0, 0, 255}));
    EXPECT_EQ(at(dst, 2), (pixel_t{85, 0, 170, 255}));   // (2 c0 + c1) / 3
    EXPECT_EQ(at(dst, 3), (pixel_t{170, 0, 85, 255}));   // (c0 + 2 c1) / 3, not transparent
    EXPECT_EQ(at(dst, 4), (pixel_t{0, 0, 255, 255}));    // row 1: index 0
    EXPECT_EQ(at(dst, 9), (pixel_t{255, 0, 0, 255}));    // row 2: index 1
    EXPECT_EQ(at(dst, 15), (pixel_t{170, 0, 85, 255}));  // row 3: index 3
}

TEST(s3tc, channels_widen_by_repeating_their_high_bits) {
    // r = 16, g = 32, b = 1 -> 16*8 + 16/4, 32*4 + 32/16, 1*8 + 1/4.
    const uint16_t c = uint16_t(16 << 11 | 32 << 5 | 1);
    std::vector<uint8_t> src = colour_block(c, 0xFFFF, {0, 0, 0, 0});
    std::vector<uint8_t> dst(4);
    ASSERT_TRUE(hbmp_decompress_s3tc(dst.data(), src.data(), src.size(), HBMP_RGBA, HBMP_DXT1, 1, 1, 1, 1));
    EXPECT_EQ(at(dst, 0), (pixel_t{132, 130, 8, 255}));
}

TEST(s3tc, dxt3_alpha_nibbles_low_first) {
    std::vector<uint8_t> src = {0x1F, 0xA0, 0, 0, 0, 0, 0, 0xF0};
    std::vector<uint8_t> colour = colour_block(0xFFFF, 0, {0, 0, 0, 0});
    src.insert(src.end(), colour.begin(), colour.end());
    std::vector<uint8_t> dst(16 * 4);
    ASSERT_TRUE(hbmp_decompress_s3tc(dst.data(), src.data(), src.size(), HBMP_RGBA, HBMP_DXT3, 4, 4, 1, 1));
    EXPECT_EQ(at(dst, 0), (pixel_t{255, 255, 255, 255}));  // 0xF * 17
    EXPECT_EQ(dst[1 * 4 + 3], 1 * 17);
    EXPECT_EQ(dst[2 * 4 + 3], 0);
    EXPECT_EQ(dst[3 * 4 + 3], 10 * 17);
    EXPECT_EQ(dst[14 * 4 + 3], 0);
    EXPECT_EQ(dst[15 * 4 + 3], 15 * 17);
}

// DXT5 alpha half: a0, a1 and sixteen 3-bit indices packed little-endian.
std::vector<uint8_t> alpha_block(uint8_t a0, uint8_t a1, const std::array<uint8_t, 16> &idx) {
    uint64_t bits = 0;
    for (int i = 15; i >= 0; --i) bits = bits << 3 | idx[i];
    std::vector<uint8_t> b = {a0, a1};
    for (int i = 0; i < 6; ++i) b.push_back(uint8_t(bits >> (8 * i)));
    return b;
}

TEST(s3tc, dxt5_two_by_two_level_writes_only_its_corner) {
    // a0 < a1 still gives the eight-value table.
    std::vector<uint8_t> src = alpha_block(10, 200, {0, 1, 6, 6, 2, 7, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6});
    std::vector<uint8_t> colour = colour_block(0xF800, 0x001F, {0x04, 0x08, 0, 0});
    src.insert(src.end(), colour.begin(), colour.end());
    // Exactly 2 x 2 pixels: any write of the block's other twelve pixels is caught.
    std::vector<uint8_t> dst(2 * 2 * 4);
    ASSERT_TRUE(hbmp_decompress_s3tc(dst.data(), src.data(), src.size(), HBMP_RGBA, HBMP_DXT5, 2, 2, 1, 1));
    EXPECT_EQ(at(dst, 0), (pixel_t{255, 0, 0, 10}));
    EXPECT_EQ(at(dst, 1), (pixel_t{0, 0, 255, 200}));
    EXPECT_EQ(at(dst, 2), (pixel_t{255, 0, 0, (6 * 10 + 200) / 7}));  // row 1 starts at block pixel 4
    EXPECT_EQ(at(dst, 3), (pixel_t{170, 0, 85, (10 + 6 * 200) / 7}));
}

TEST(s3tc, mip_levels_follow_each_other) {
    // 8 x 4 DXT1 with 3 levels: 2 blocks, then 4 x 2 and 2 x 1 in one block each.
    std::vector<uint8_t> src;
    const uint16_t colours[] = {0xF800, 0x07E0, 0x001F, 0xFFFF};
    for (uint16_t c : colours) {
        std::vector<uint8_t> b = colour_block(c, 0, {0, 0, 0, 0});
        src.insert(src.end(), b.begin(), b.end());
    }
    ASSERT_EQ(src.size(), hbmp_s3tc_size(HBMP_DXT1, 8, 4, 3));
    std::vector<uint8_t> dst(hbmp_mem_size(8, 4, 3, HBMP_RGBA));
    ASSERT_TRUE(hbmp_decompress_s3tc(dst.data(), src.data(), src.size(), HBMP_RGBA, HBMP_DXT1, 8, 4, 3, 3));
    EXPECT_EQ(at(dst, 3), (pixel_t{255, 0, 0, 255}));
    EXPECT_EQ(at(dst, 4), (pixel_t{0, 255, 0, 255}));        // second block of level 0
    EXPECT_EQ(at(dst, 31), (pixel_t{0, 255, 0, 255}));
    EXPECT_EQ(at(dst, 32 + 7), (pixel_t{0, 0, 255, 255}));   // last pixel of the 4 x 2 level
    EXPECT_EQ(at(dst, 40 + 1), (pixel_t{255, 255, 255, 255}));  // the 2 x 1 level
}

TEST(s3tc, refusals) {
    const pixel_t magenta = {0xFF, 0x00, 0xFF, 0xFF};
    struct row_t {
        const char *what;
        hbmp_type_t dst_type, src_type;
        uint32_t w, h;
        int32_t dst_levels, src_levels;
        size_t src_size;
        bool filled;  // magenta (else untouched)
        const char *message;
    };
    const row_t rows[] = {
        {"into BGRA", HBMP_BGRA, HBMP_DXT1, 4, 4, 1, 1, 8, false,
         "hbmp_decompress_s3tc() into non-RGBA is not implemented."},
        {"level counts differ", HBMP_RGBA, HBMP_DXT1, 4, 4, 2, 1, 8, true,
         "hbmp_decompress_s3tc() can not change the number of mipmaps."},
        {"not a power of two", HBMP_RGBA, HBMP_DXT1, 4, 3, 1, 1, 8, true,
         "hbmp_decompress_s3tc() can operate only textures that are power of two."},
        {"source not compressed", HBMP_RGBA, HBMP_RGBA, 4, 4, 1, 1, 64, true, "is not compressed"},
        {"short source", HBMP_RGBA, HBMP_DXT5, 4, 4, 2, 2, 31, true, "is shorter than its 2 levels (32 bytes)"},
        {"no source", HBMP_RGBA, HBMP_DXT1, 4, 4, 1, 1, 0, true, "is shorter"},
    };
    for (const row_t &r : rows) {
        test::message_capture_t log;
        std::vector<uint8_t> src(r.src_size, 0);
        std::vector<uint8_t> dst(hbmp_mem_size(r.w, r.h, r.dst_levels, HBMP_RGBA), 0x11);
        EXPECT_FALSE(hbmp_decompress_s3tc(dst.data(), src.data(), src.size(), r.dst_type, r.src_type, r.w, r.h,
                                          r.dst_levels, r.src_levels))
            << r.what;
        EXPECT_TRUE(log.contains(r.message)) << r.what;
        for (size_t i = 0; i < dst.size() / 4; ++i) {
            if (r.filled)
                ASSERT_EQ(at(dst, i), magenta) << r.what;
            else
                ASSERT_EQ(at(dst, i), (pixel_t{0x11, 0x11, 0x11, 0x11})) << r.what;
        }
    }
}

}  // namespace
}  // namespace quarn

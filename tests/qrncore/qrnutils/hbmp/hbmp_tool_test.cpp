#include "qrncore/qrnutils/hbmp/hbmp_tool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "qrncore/collections/abort_fixture.h"
#include "support/message_capture.h"

namespace quarn {
namespace {

TEST(hbmp_sizes, bytes_per_pixel_of_every_type) {
    const uint32_t expected[] = {0, 3, 4, 3, 4, 1, 0, 2, 4, 4, 2, 2, 0, 0, 0, 0};
    for (int32_t t = 0; t < 16; ++t) EXPECT_EQ(hbmp_pixel_size(hbmp_type_t(t)), expected[t]) << "type " << t;
    EXPECT_EQ(hbmp_pixel_size(hbmp_type_t(-1)), 0u);
}

TEST(hbmp_sizes, mip_chains_halve_to_one_on_each_side) {
    EXPECT_EQ(hbmp_pixel_count(4, 1, 3), 4u + 2 + 1);
    EXPECT_EQ(hbmp_mem_size(4, 4, 3, HBMP_RGBA), (16u + 4 + 1) * 4);
    // The narrow side stays at 1 while the wide one goes on halving.
    EXPECT_EQ(hbmp_pixel_count(8, 2, 5), 16u + 4 + 2 + 1 + 1);
    EXPECT_EQ(hbmp_pixel_count(4, 4, 0), 0u);
    EXPECT_EQ(hbmp_pixel_count(4, 4, -2), 0u);
    // Compressed types have no pixel size, so no memory size here.
    EXPECT_EQ(hbmp_mem_size(4, 4, 1, HBMP_DXT5), 0u);
    // 64-bit sums: a 65535 x 65535 RGBA chain passes 4 GiB.
    EXPECT_EQ(hbmp_mem_size(65535, 65535, 1, HBMP_RGBA), size_t(65535) * 65535 * 4);
}

TEST(hbmp_sizes, mip_counts) {
    EXPECT_EQ(hbmp_mip_count(256, 16), 9u);
    EXPECT_EQ(hbmp_mip_count(16, 256), 9u);
    EXPECT_EQ(hbmp_mip_count(1), 1u);
    EXPECT_EQ(hbmp_mip_count(32768), 16u);
    EXPECT_EQ(hbmp_mip_count(0x80000000u), 32u);
    // Other sizes count as the power of two below them; no size, no levels.
    EXPECT_EQ(hbmp_mip_count(300), 9u);
    EXPECT_EQ(hbmp_mip_count(255), 8u);
    EXPECT_EQ(hbmp_mip_count(0), 0u);
}

TEST(hbmp_sizes, build_compatible_picks_powers_of_two) {
    struct row_t {
        uint16_t w, h;
        bool square;
        bool built;
        uint16_t out_w, out_h;
    };
    const row_t rows[] = {
        {256, 16, false, false, 0, 0},  {64, 64, true, false, 0, 0},      {256, 16, true, true, 256, 256},
        {300, 200, false, true, 512, 256}, {300, 200, true, true, 512, 512}, {5, 1, false, true, 8, 1},
        {40000, 3, false, true, 32768, 4}, {0, 0, false, true, 1, 1},
    };
    for (const row_t &r : rows) {
        hbmp_t in;
        in.width = r.w;
        in.height = r.h;
        in.mip_levels = 5;
        in.type = HBMP_BGRA;
        hbmp_t out;
        out.width = 7;
        out.mip_levels = 3;
        EXPECT_EQ(hbmp_build_compatible(&out, &in, r.square), r.built) << r.w << "x" << r.h;
        if (r.built) {
            EXPECT_EQ(out.width, r.out_w) << r.w << "x" << r.h;
            EXPECT_EQ(out.height, r.out_h) << r.w << "x" << r.h;
            EXPECT_EQ(out.mip_levels, 1);
            EXPECT_EQ(out.type, HBMP_BGRA);
            EXPECT_EQ(out.pixels, nullptr);
        } else {
            EXPECT_EQ(out.width, 7) << "untouched";
            EXPECT_EQ(out.mip_levels, 3) << "untouched";
        }
    }
}

TEST(hbmp_flip, exchanges_rows_for_odd_and_even_heights) {
    // 2 x 3 RGB: rows of 6 bytes.
    std::vector<uint8_t> odd = {1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3};
    EXPECT_TRUE(hbmp_flip(HBMP_RGB, 2, 3, odd.data()));
    EXPECT_EQ(odd, (std::vector<uint8_t>{3, 3, 3, 3, 3, 3, 2, 2, 2, 2, 2, 2, 1, 1, 1, 1, 1, 1}));
    std::vector<uint8_t> even = {1, 2, 3, 4};  // 1 x 4 grey
    EXPECT_TRUE(hbmp_flip(HBMP_GREY, 1, 4, even.data()));
    EXPECT_EQ(even, (std::vector<uint8_t>{4, 3, 2, 1}));
    std::vector<uint8_t> one = {9, 8, 7, 6};  // a single RGBA pixel stays
    EXPECT_TRUE(hbmp_flip(HBMP_BGRA, 1, 1, one.data()));
    EXPECT_EQ(one, (std::vector<uint8_t>{9, 8, 7, 6}));
}

TEST(hbmp_flip, refuses_types_outside_one_to_five) {
    test::message_capture_t log;
    for (hbmp_type_t type : {HBMP_NONE, HBMP_TYPE_7, HBMP_DXT1}) {
        std::vector<uint8_t> px = {1, 2, 3, 4, 5, 6, 7, 8};
        EXPECT_FALSE(hbmp_flip(type, 2, 2, px.data()));
        EXPECT_EQ(px, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    }
    EXPECT_EQ(log.texts(message_t::ERROR).size(), 3u);
    EXPECT_TRUE(log.contains("Image flip not supported on provided data type - check your data (unfortunately, you "
                             "must guess which file...)."));
}

TEST(hbmp_convert, dispatches_by_the_compressed_side) {
    test::message_capture_t log;
    std::vector<uint8_t> dst(16, 0xAB), src(8, 0);
    EXPECT_FALSE(hbmp_convert(dst.data(), src.data(), src.size(), HBMP_DXT1, HBMP_RGBA, 2, 2, 1, 1));
    EXPECT_TRUE(log.contains("hbmp_compress_s3tc() is not implemented."));
    EXPECT_EQ(dst, std::vector<uint8_t>(16, 0xAB));
    // A zero block decodes to opaque black.
    EXPECT_TRUE(hbmp_convert(dst.data(), src.data(), src.size(), HBMP_RGBA, HBMP_DXT1, 2, 2, 1, 1));
    EXPECT_EQ(dst, (std::vector<uint8_t>{0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255}));
}

using hbmp_convert_death = test::abort_fixture_t;

TEST_F(hbmp_convert_death, uncompressed_pairs_abort) {
    uint8_t px[12] = {};
    EXPECT_DEATH(hbmp_convert(px, px, sizeof px, HBMP_RGB, HBMP_RGBA, 1, 1, 1, 1),
                 "qrnutils/hbmp/hbmp_tool\\(166\\): hbmp_convert: Conversions other than s3tc decompression are "
                 "not supported\\.");
}

}  // namespace
}  // namespace quarn

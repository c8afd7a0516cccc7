#include "qrncore/qrnutils/hbmp/tga.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/memory_file.h"
#include "support/message_capture.h"

namespace quarn {
namespace {

using bytes_t = std::vector<uint8_t>;

// An 18-byte header; the ID field, colour map and pixel data are appended by the cases.
bytes_t header(uint8_t image_type, uint16_t w, uint16_t h, uint8_t depth, uint8_t id_length = 0,
               uint8_t map_type = 0, uint16_t map_length = 0, uint8_t map_bits = 0) {
    return {id_length, map_type,        image_type,   0, 0, uint8_t(map_length), uint8_t(map_length >> 8), map_bits,
            0,         0,               0,            0, uint8_t(w),          uint8_t(w >> 8),          uint8_t(h),
            uint8_t(h >> 8), depth, 0};
}

bytes_t cat(bytes_t a, const bytes_t &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Decodes into a destination of exactly width * height pixels of the image's format,
// so that a write past it is caught.
bool decode(const bytes_t &file, bytes_t *out) {
    tga_header_t h;
    if (!tga_read_header(&h, file.data(), file.size())) return tga_decompress(nullptr, file.data(), file.size());
    out->assign(size_t(tga_x_size(h)) * tga_y_size(h) * hbmp_pixel_size(tga_type(h)), 0xEE);
    return tga_decompress(out->data(), file.data(), file.size());
}

TEST(tga_read, header_fields_and_formats) {
    tga_header_t h;
    bytes_t bytes = header(2, 0x1234, 0x0102, 32);
    ASSERT_TRUE(tga_read_header(&h, bytes.data(), bytes.size()));
    EXPECT_EQ(tga_x_size(h), 0x1234u);
    EXPECT_EQ(tga_y_size(h), 0x0102u);
    EXPECT_FALSE(tga_read_header(&h, bytes.data(), 17));

    struct row_t {
        uint8_t depth, map_type, map_bits;
        hbmp_type_t type;
    };
    const row_t rows[] = {{24, 0, 0, HBMP_BGR},  {32, 1, 24, HBMP_BGRA}, {8, 0, 0, HBMP_GREY},
                          {8, 1, 24, HBMP_BGR},  {8, 1, 32, HBMP_BGRA},  {8, 1, 16, HBMP_NONE},
                          {16, 0, 0, HBMP_NONE}, {15, 0, 0, HBMP_NONE}};
    for (const row_t &r : rows) {
        h.pixel_depth = r.depth;
        h.colour_map_type = r.map_type;
        h.colour_map_entry_bits = r.map_bits;
        EXPECT_EQ(tga_type(h), r.type) << int(r.depth) << "/" << int(r.map_bits);
    }
}

TEST(tga_read, the_five_image_types) {
    struct row_t {
        const char *what;
        bytes_t file;
        hbmp_type_t type;
        bytes_t pixels;
    };
    const row_t rows[] = {
        {"1: mapped, with an ID field",
         cat(header(1, 2, 1, 8, 2, 1, 2, 24), {'i', 'd', 1, 2, 3, 4, 5, 6, /*pixels*/ 1, 0}), HBMP_BGR,
         {4, 5, 6, 1, 2, 3}},
        {"2: 24 bits", cat(header(2, 2, 1, 24), {1, 2, 3, 4, 5, 6}), HBMP_BGR, {1, 2, 3, 4, 5, 6}},
        {"2: 32 bits behind an unused colour map", cat(header(2, 1, 2, 32, 0, 1, 1, 16), {9, 9, 1, 2, 3, 4, 5, 6, 7, 8}),
         HBMP_BGRA, {1, 2, 3, 4, 5, 6, 7, 8}},
        {"3: grey", cat(header(3, 3, 1, 8), {7, 8, 9}), HBMP_GREY, {7, 8, 9}},
        {"9: run-length indices into a 32-bit map",
         cat(header(9, 4, 1, 8, 0, 1, 2, 32), {1, 2, 3, 4, 5, 6, 7, 8, /*run*/ 0x82, 1, /*literal*/ 0x00, 0}),
         HBMP_BGRA, {5, 6, 7, 8, 5, 6, 7, 8, 5, 6, 7, 8, 1, 2, 3, 4}},
        {"10: run-length colour, across rows",
         cat(header(10, 2, 2, 24), {/*literal*/ 0x01, 1, 2, 3, 4, 5, 6, /*run*/ 0x81, 7, 8, 9}), HBMP_BGR,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 7, 8, 9}},
    };
    for (const row_t &r : rows) {
        tga_header_t h;
        ASSERT_TRUE(tga_read_header(&h, r.file.data(), r.file.size()));
        EXPECT_EQ(tga_type(h), r.type) << r.what;
        bytes_t out;
        EXPECT_TRUE(decode(r.file, &out)) << r.what;
        EXPECT_EQ(out, r.pixels) << r.what;
    }
}

TEST(tga_read, unsupported_and_damaged_images_are_refused_within_bounds) {
    struct row_t {
        const char *what;
        bytes_t file;
        const char *message;
    };
    const row_t rows[] = {
        {"16-bit true colour", cat(header(2, 1, 1, 16), {0, 0}), "not supported"},
        {"run-length grey", cat(header(11, 1, 1, 8), {0x80, 1}), "not supported"},
        {"mapped without a map", cat(header(1, 1, 1, 8), {0}), "not supported"},
        {"grey with a colour map", cat(header(3, 1, 1, 8, 0, 1, 1, 24), {1, 2, 3, 0}), "not supported"},
        {"24-bit indices", cat(header(1, 1, 1, 24, 0, 1, 1, 24), {1, 2, 3, 0, 0, 0}), "not supported"},
        {"no image type", header(0, 1, 1, 24), "not supported"},
        {"short header", bytes_t(17, 0), "hold no header"},
        {"ID field past the end", header(2, 1, 1, 24, 200), "ends before"},
        {"colour map past the end", cat(header(1, 1, 1, 8, 0, 1, 3, 24), {1, 2, 3}), "ends before"},
        {"pixels short", cat(header(2, 2, 2, 24), bytes_t(11, 1)), "ends before"},
        {"mapped pixels short", cat(header(1, 3, 1, 8, 0, 1, 1, 24), {1, 2, 3, 0, 0}), "ends before"},
        {"index beyond the map", cat(header(1, 2, 1, 8, 0, 1, 2, 24), {1, 2, 3, 4, 5, 6, 0, 2}), "beyond the 2"},
        {"run index beyond the map", cat(header(9, 2, 1, 8, 0, 1, 1, 24), {1, 2, 3, 0x81, 1}), "beyond the 1"},
        {"run past the last pixel", cat(header(10, 2, 1, 24), {0x82, 1, 2, 3}), "passes the last of 2"},
        {"literal past the last pixel",
         cat(header(10, 2, 1, 24), {0x00, 1, 2, 3, 0x01, 4, 5, 6, 7, 8, 9}), "passes the last of 2"},
        {"run without its pixel", cat(header(10, 2, 1, 24), {0x81, 1, 2}), "ends before"},
        {"literal cut short", cat(header(10, 2, 1, 32), {0x01, 1, 2, 3, 4, 5}), "ends before"},
        {"no packet left", cat(header(10, 2, 1, 24), {0x80, 1, 2, 3}), "ends before"},
    };
    for (const row_t &r : rows) {
        test::message_capture_t log;
        bytes_t out;
        EXPECT_FALSE(decode(r.file, &out)) << r.what;
        EXPECT_TRUE(log.contains(r.message)) << r.what << ": " << (log.entries().empty() ? "" : log.entries()[0].text);
    }
}

TEST(tga_read, zero_sized_images_have_nothing_to_read) {
    for (uint8_t type : {2, 3, 10}) {
        const uint8_t depth = type == 3 ? 8 : 24;
        bytes_t out;
        EXPECT_TRUE(decode(header(type, 0, 0xFF00, depth), &out)) << int(type);
        EXPECT_TRUE(out.empty());
        // No pixels, no destination needed.
        bytes_t file = header(type, 7, 0, depth);
        EXPECT_TRUE(tga_decompress(nullptr, file.data(), file.size()));
    }
}

// 2 x 2 RGB(A): rows (r, g, b[, a]) = 1.., 11.., then 21.., 31...
bytes_t rgb_pixels(uint32_t bpp) {
    bytes_t px;
    for (uint8_t p = 0; p < 4; ++p)
        for (uint8_t c = 0; c < bpp; ++c) px.push_back(uint8_t(p * 10 + c + 1));
    return px;
}

TEST(tga_compress, true_colour_bottom_row_first) {
    bytes_t px3 = rgb_pixels(3), px4 = rgb_pixels(4);
    EXPECT_EQ(tga_compress_size(2, 2, HBMP_RGB), 18u + 12);
    bytes_t out(tga_compress_size(2, 2, HBMP_RGB));
    ASSERT_TRUE(tga_compress(out.data(), px3.data(), 2, 2, HBMP_RGB));
    EXPECT_EQ(out, cat(header(2, 2, 2, 24), {23, 22, 21, 33, 32, 31, 3, 2, 1, 13, 12, 11}));

    out.assign(tga_compress_size(2, 2, HBMP_RGBA), 0);
    ASSERT_TRUE(tga_compress(out.data(), px4.data(), 2, 2, HBMP_RGBA));
    EXPECT_EQ(out, cat(header(2, 2, 2, 32), {23, 22, 21, 24, 33, 32, 31, 34, 3, 2, 1, 4, 13, 12, 11, 14}));

    // What was compressed reads back in the file's order.
    bytes_t back;
    ASSERT_TRUE(decode(out, &back));
    EXPECT_EQ(back, bytes_t(out.begin() + 18, out.end()));

    test::message_capture_t log;
    EXPECT_EQ(tga_compress_size(2, 2, HBMP_GREY), 0u);
    EXPECT_FALSE(tga_compress(out.data(), px4.data(), 2, 2, HBMP_BGRA));
    EXPECT_FALSE(tga_compress(out.data(), px4.data(), 70000, 1, HBMP_RGB));
    EXPECT_TRUE(log.contains("too large for a TGA header"));
}

TEST(tga_write, writes_top_row_first_and_leaves_the_pixels_as_they_were) {
    struct row_t {
        hbmp_type_t type;
        uint32_t bpp;
        uint8_t descriptor;
    };
    for (const row_t &r : {row_t{HBMP_RGB, 3, 0x20}, row_t{HBMP_RGBA, 4, 0x28}}) {
        bytes_t px = rgb_pixels(r.bpp);
        const bytes_t before = px;
        test::memory_file_t file;
        ASSERT_TRUE(tga_write(file, px.data(), 2, 2, r.type));
        EXPECT_EQ(px, before);
        bytes_t expected = header(2, 2, 2, uint8_t(r.bpp * 8));
        expected[17] = r.descriptor;
        for (size_t i = 0; i < 4; ++i) {
            const uint8_t *p = before.data() + i * r.bpp;
            expected.insert(expected.end(), {p[2], p[1], p[0]});
            if (r.bpp == 4) expected.push_back(p[3]);
        }
        EXPECT_EQ(file.bytes, std::string(expected.begin(), expected.end()));

        // A failed pixel write still turns the caller's pixels back.
        test::memory_file_t cut;
        cut.write_limit = 20;
        EXPECT_FALSE(tga_write(cut, px.data(), 2, 2, r.type));
        EXPECT_EQ(px, before);
    }
    test::message_capture_t log;
    bytes_t px = rgb_pixels(4);
    test::memory_file_t file;
    EXPECT_FALSE(tga_write(file, px.data(), 2, 2, HBMP_BGRA));
    EXPECT_FALSE(tga_write(file, px.data(), 1, 65536, HBMP_RGB));
    EXPECT_EQ(file.bytes, "");
}

}  // namespace
}  // namespace quarn

#include "qrncore/qrnutils/hbmp/png_save.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "support/memory_file.h"
#include "support/message_capture.h"
#include "support/noise.h"

namespace quarn {
namespace {

using test::memory_file_t;
using test::noise_bytes;

uint32_t be32(const std::string &s, size_t at) {
    const auto *p = reinterpret_cast<const uint8_t *>(s.data() + at);
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

struct chunk_t {
    std::string type;
    std::string data;
};

// Splits a PNG file into chunks, checking each CRC with zlib's.
std::vector<chunk_t> chunks_of(const std::string &png) {
    std::vector<chunk_t> out;
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    for (size_t at = 8; at < png.size();) {
        uint32_t len = be32(png, at);
        if (at + 12 + len > png.size()) {
            ADD_FAILURE() << "chunk runs past the end";
            break;
        }
        chunk_t c{png.substr(at + 4, 4), png.substr(at + 8, len)};
        uint32_t crc = uint32_t(::crc32(0, reinterpret_cast<const Bytef *>(png.data() + at + 4), len + 4));
        EXPECT_EQ(be32(png, at + 8 + len), crc) << c.type << " chunk at " << at;
        out.push_back(c);
        at += 12 + len;
    }
    return out;
}

// Decodes with libpng into the given format; empty on failure.
std::vector<uint8_t> decode(const std::string &png, png_uint_32 format, uint32_t *w, uint32_t *h) {
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) {
        ADD_FAILURE() << "libpng: " << image.message;
        return {};
    }
    image.format = format;
    std::vector<uint8_t> px(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, px.data(), 0, nullptr)) {
        ADD_FAILURE() << "libpng: " << image.message;
        return {};
    }
    *w = image.width;
    *h = image.height;
    return px;
}

TEST(png_simple_save, libpng_reads_back_what_was_written) {
    struct row_t {
        hbmp_type_t type;
        uint16_t w, h;
        png_uint_32 format;
        uint8_t colour_type;
    };
    // 300 x 200 keeps whole rows in each block; 40000-pixel grey rows and 17000-pixel
    // RGBA rows are too wide for that, and the latter cross block boundaries.
    const row_t rows[] = {
        {HBMP_RGB, 300, 200, PNG_FORMAT_RGB, 2},   {HBMP_RGBA, 7, 5, PNG_FORMAT_RGBA, 6},
        {HBMP_GREY, 1, 1, PNG_FORMAT_GRAY, 0},     {HBMP_GREY, 40000, 3, PNG_FORMAT_GRAY, 0},
        {HBMP_RGBA, 17000, 2, PNG_FORMAT_RGBA, 6},
    };
    for (const row_t &r : rows) {
        std::vector<uint8_t> px = noise_bytes(hbmp_mem_size(r.w, r.h, 1, r.type), r.w);
        hbmp_t img;
        img.width = r.w;
        img.height = r.h;
        img.mip_levels = 1;
        img.type = r.type;
        img.pixels = px.data();
        memory_file_t file;
        ASSERT_TRUE(png_simple_save(&file, &img)) << r.w;
        EXPECT_EQ(file.bytes[8 + 8 + 9], char(r.colour_type)) << r.w;
        uint32_t w = 0, h = 0;
        EXPECT_EQ(decode(file.bytes, r.format, &w, &h), px) << r.w << "x" << r.h;
        EXPECT_EQ(w, r.w);
        EXPECT_EQ(h, r.h);
    }
}

// The stored blocks of the zlib stream, from the IDAT chunks between the header and
// the checksum.
struct stored_t {
    bool last;
    uint32_t len;
};

std::vector<stored_t> stored_blocks(const std::vector<chunk_t> &chunks, std::string *payload) {
    std::vector<stored_t> out;
    for (size_t i = 2; i + 2 < chunks.size(); ++i) {
        const std::string &d = chunks[i].data;
        const auto *p = reinterpret_cast<const uint8_t *>(d.data());
        uint32_t len = p[1] | p[2] << 8, nlen = p[3] | p[4] << 8;
        EXPECT_EQ(len ^ 0xFFFF, nlen);
        EXPECT_EQ(d.size(), len + 5u);
        out.push_back({p[0] == 1, len});
        payload->append(d, 5, std::string::npos);
    }
    return out;
}

TEST(png_simple_save, layout_of_a_300_by_200_rgb_image) {
    std::vector<uint8_t> px = noise_bytes(300 * 200 * 3, 7);
    hbmp_t img;
    img.width = 300;
    img.height = 200;
    img.type = HBMP_RGB;
    img.pixels = px.data();
    memory_file_t file;
    ASSERT_TRUE(png_simple_save(&file, &img));
    std::vector<chunk_t> chunks = chunks_of(file.bytes);
    ASSERT_GE(chunks.size(), 5u);
    EXPECT_EQ(chunks[0].type, "IHDR");
    EXPECT_EQ(chunks[0].data, std::string("\0\0\x01\x2c\0\0\0\xc8\x08\x02\0\0\0", 13));
    EXPECT_EQ(chunks[1].type, "IDAT");
    EXPECT_EQ(chunks[1].data, "\x78\x01");
    EXPECT_EQ(chunks.back().type, "IEND");
    EXPECT_EQ(chunks.back().data, "");

    // 16379 / 300 / 3 = 18 rows of 901 bytes a block; 200 = 11 * 18 + 2.
    std::string payload;
    std::vector<stored_t> blocks = stored_blocks(chunks, &payload);
    ASSERT_EQ(blocks.size(), 12u);
    for (size_t i = 0; i < 11; ++i) {
        EXPECT_FALSE(blocks[i].last);
        EXPECT_EQ(blocks[i].len, 18u * 901);
    }
    EXPECT_TRUE(blocks[11].last);
    EXPECT_EQ(blocks[11].len, 2u * 901);

    // Filter byte 0 before every row, and the Adler-32 of it all at the end.
    std::string rows;
    for (size_t y = 0; y < 200; ++y) {
        rows.push_back(0);
        rows.append(reinterpret_cast<const char *>(px.data()) + y * 900, 900);
    }
    EXPECT_EQ(payload, rows);
    const chunk_t &sum = chunks[chunks.size() - 2];
    EXPECT_EQ(sum.type, "IDAT");
    ASSERT_EQ(sum.data.size(), 4u);
    EXPECT_EQ(be32(sum.data, 0), uint32_t(::adler32(1, reinterpret_cast<const Bytef *>(rows.data()), rows.size())));
}

TEST(png_simple_save, wide_rows_go_into_full_stored_blocks) {
    // 17000 RGBA pixels: rows of 68001 bytes, more than one stored block can hold.
    std::vector<uint8_t> px(17000 * 2 * 4, 0x5A);
    hbmp_t img;
    img.width = 17000;
    img.height = 2;
    img.type = HBMP_RGBA;
    img.pixels = px.data();
    memory_file_t file;
    ASSERT_TRUE(png_simple_save(&file, &img));
    std::string payload;
    std::vector<stored_t> blocks = stored_blocks(chunks_of(file.bytes), &payload);
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0].len, 65535u);
    EXPECT_EQ(blocks[1].len, 65535u);
    EXPECT_EQ(blocks[2].len, 2u * 68001 - 2 * 65535);
    EXPECT_TRUE(blocks[2].last && !blocks[0].last && !blocks[1].last);
    EXPECT_EQ(payload[0], 0);
    EXPECT_EQ(payload[68001], 0);  // the second row's filter byte, inside the second block
}

TEST(png_simple_save, refusals_and_failed_writes) {
    test::message_capture_t log;
    uint8_t px[4 * 4 * 4] = {};
    hbmp_t img;
    img.width = 4;
    img.height = 4;
    img.pixels = px;

    img.type = HBMP_BGR;
    memory_file_t bgr;
    EXPECT_FALSE(png_simple_save(&bgr, &img));
    EXPECT_EQ(bgr.bytes, std::string("\x89PNG\r\n\x1a\n", 8)) << "only the signature";

    // No pixels: refused before anything is written (the block size divides by the width).
    img.type = HBMP_RGB;
    for (auto [w, h] : {std::pair{0, 4}, std::pair{4, 0}}) {
        img.width = uint16_t(w);
        img.height = uint16_t(h);
        memory_file_t empty;
        EXPECT_FALSE(png_simple_save(&empty, &img));
        EXPECT_EQ(empty.bytes, "");
    }
    EXPECT_TRUE(log.contains("has no pixels"));

    // A write that fails anywhere fails the whole.
    img.width = img.height = 4;
    memory_file_t whole;
    ASSERT_TRUE(png_simple_save(&whole, &img));
    for (size_t limit : {size_t(0), size_t(8), size_t(30), size_t(45), whole.bytes.size() - 13, whole.bytes.size() - 1}) {
        memory_file_t cut;
        cut.write_limit = limit;
        EXPECT_FALSE(png_simple_save(&cut, &img)) << limit;
    }
}

}  // namespace
}  // namespace quarn

#pragma once
// Pictures for the contact sheet and for the tests that read the game's screenshots:
// 8-bit RGB pixels, rows from the top, read from and written to PNG files through
// libpng. Any PNG libpng reads (grey, palette, alpha, 16 bits) comes in as RGB; alpha
// is dropped, as a screenshot has none.
#include <cstdint>
#include <string>
#include <vector>

namespace contactsheet {

// The largest side a picture may have: far above any screen, far below what would
// make width x height x 3 overflow or exhaust memory.
constexpr uint32_t PICTURE_SIDE_MAX = 16384;

struct picture_t {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgb;  // width x height x 3 bytes

    picture_t() = default;
    picture_t(uint32_t w, uint32_t h, uint8_t r = 0, uint8_t g = 0, uint8_t b = 0);

    bool empty() const { return width == 0 || height == 0; }
    const uint8_t *at(uint32_t x, uint32_t y) const { return &rgb[(size_t(y) * width + x) * 3]; }
    uint8_t *at(uint32_t x, uint32_t y) { return &rgb[(size_t(y) * width + x) * 3]; }
    void set(uint32_t x, uint32_t y, uint8_t r, uint8_t g, uint8_t b);
    bool operator==(const picture_t &o) const = default;
};

// Reads a PNG file. False, with "what is wrong" in error, when the file cannot be
// read, is no PNG libpng takes, or has a side of 0 or above PICTURE_SIDE_MAX.
bool read_png(const std::string &path, picture_t &out, std::string &error);
// The same from bytes in memory; name says where they came from in the error.
bool read_png_bytes(const std::string &bytes, const std::string &name, picture_t &out, std::string &error);
// Writes the picture as an 8-bit RGB PNG file: no time stamp, libpng's default
// compression, so the same picture and libpng give the same bytes. False with the
// reason in error.
bool write_png(const std::string &path, const picture_t &picture, std::string &error);

// The picture made smaller by a whole factor: each pixel the rounded mean of a
// factor x factor block (the blocks at the right and bottom edges may be smaller:
// the mean of what they hold). A factor of 0 or 1 gives the picture itself.
picture_t shrink(const picture_t &picture, uint32_t factor);

}  // namespace contactsheet

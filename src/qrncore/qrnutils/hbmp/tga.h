#pragma once
// TGA images: reading of colour-mapped, true-colour and grey images, plain and
// run-length encoded, and writing of uncompressed true-colour ones. Pixels keep the
// file's byte order (B, G, R, A) and row order: nothing here looks at the origin bits.
#include <cstddef>
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/qrnutils/hbmp/hbmp_tool.h"

namespace quarn {

class file_t;

// The 18-byte header, field by field.
struct tga_header_t {
    uint8_t id_length = 0;
    uint8_t colour_map_type = 0;  // 0 none, else a colour map follows the ID field
    uint8_t image_type = 0;       // 1 mapped, 2 true colour, 3 grey; +8 run-length encoded
    uint16_t colour_map_first = 0;
    uint16_t colour_map_length = 0;
    uint8_t colour_map_entry_bits = 0;
    uint16_t x_origin = 0;
    uint16_t y_origin = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t pixel_depth = 0;
    uint8_t descriptor = 0;
};

constexpr size_t TGA_HEADER_SIZE = 18;

// Reads the header from the first 18 bytes of an image in memory; false when fewer
// bytes are given.
QRNCORE_API bool tga_read_header(tga_header_t *out, const void *image, size_t size);

// The pixel format of the image: HBMP_BGR for 24 bits, HBMP_BGRA for 32, HBMP_GREY for
// 8 bits without a colour map; 8 bits with a 24- or 32-bit colour map give HBMP_BGR
// or HBMP_BGRA; anything else HBMP_NONE.
QRNCORE_API hbmp_type_t tga_type(const tga_header_t &header);
QRNCORE_API uint32_t tga_x_size(const tga_header_t &header);
QRNCORE_API uint32_t tga_y_size(const tga_header_t &header);

// Unpacks the pixels of a TGA image of size bytes into dst, which holds width *
// height pixels of tga_type's size. Handles image types 1 and 9 (8-bit indices into
// a 24- or 32-bit colour map), 2 and 10 (24 or 32 bits), 3 (8-bit grey). False for
// other images, and for damaged ones (data shorter than the header says, an index
// beyond the colour map, a run past the last pixel); nothing outside dst and the
// image is touched, but dst may then hold part of the pixels.
QRNCORE_API bool tga_decompress(void *dst, const void *image, size_t size);

// Bytes tga_compress writes: the header and width * height pixels; 0 for types other
// than RGB and RGBA.
QRNCORE_API size_t tga_compress_size(uint32_t width, uint32_t height, hbmp_type_t type);
// A TGA image in memory from RGB (type 1) or RGBA (type 2) pixels: an 18-byte
// true-colour header, then the pixels in B, G, R (A) order with the last row first
// (origin at the lower left). dst holds tga_compress_size bytes. False for other
// types and for sides above 65535, which the header cannot hold.
QRNCORE_API bool tga_compress(void *dst, const void *pixels, uint32_t width, uint32_t height, hbmp_type_t type);

// Writes an RGB or RGBA image as an uncompressed TGA file with its origin at the
// upper left. The pixels are turned into B, G, R order in place for the write and
// turned back afterwards, so the caller's buffer is as it was, whatever the outcome.
// False for other types, sides above 65535, and failed writes.
QRNCORE_API bool tga_write(file_t &file, void *pixels, uint32_t width, uint32_t height, hbmp_type_t type);

}  // namespace quarn

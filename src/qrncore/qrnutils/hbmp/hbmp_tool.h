#pragma once
// The small image toolkit: pixel formats and the sizes of mip chains, the vertical
// flip and the conversion entry. Pixels are stored row after row, first row first,
// without padding; mip levels follow each other, each half the size of the one
// before in both directions, never below 1. Nothing here keeps state.
#include <cstddef>
#include <cstdint>

#include "qrncore/api.h"

namespace quarn {

// Pixel formats; the values are part of the interface (files and callers store them).
enum hbmp_type_t : int32_t {
    HBMP_NONE = 0,
    HBMP_RGB = 1,   // 3 bytes: R, G, B
    HBMP_RGBA = 2,  // 4 bytes: R, G, B, A
    HBMP_BGR = 3,   // 3 bytes in TGA order: B, G, R
    HBMP_BGRA = 4,  // 4 bytes in TGA order: B, G, R, A
    HBMP_GREY = 5,  // 1 byte, one channel
    // Formats these tools only size: 6 has no size, 7, 10 and 11 take 2 bytes, 8 and 9
    // take 4.
    HBMP_TYPE_6 = 6,
    HBMP_TYPE_7 = 7,
    HBMP_TYPE_8 = 8,
    HBMP_TYPE_9 = 9,
    HBMP_TYPE_10 = 10,
    HBMP_TYPE_11 = 11,
    // S3TC blocks of 4x4 pixels: 8 bytes for DXT1, 16 for DXT3 and DXT5.
    HBMP_DXT1 = 12,
    HBMP_DXT3 = 13,
    HBMP_DXT5 = 14,
};

// True for the three S3TC types.
inline bool hbmp_is_s3tc(hbmp_type_t type) { return type >= HBMP_DXT1 && type <= HBMP_DXT5; }

// Image header. The two reserved bytes are not used by these tools.
struct hbmp_t {
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t reserved[2] = {0, 0};
    int16_t mip_levels = 0;
    hbmp_type_t type = HBMP_NONE;
    void *pixels = nullptr;
};

// Bytes per pixel; 0 for types 0 and 6, the compressed types and values outside the
// table.
QRNCORE_API uint32_t hbmp_pixel_size(hbmp_type_t type);
// Pixels of a mip chain: the sum over the levels of width * height, each halved after
// a level while it is at least 2. 0 for levels <= 0.
QRNCORE_API size_t hbmp_pixel_count(uint32_t width, uint32_t height, int32_t levels);
// hbmp_pixel_count * hbmp_pixel_size: 0 for the compressed types.
QRNCORE_API size_t hbmp_mem_size(uint32_t width, uint32_t height, int32_t levels, hbmp_type_t type);
// Levels of a full chain down to 1: log2(n) + 1 for a power of two. Other sizes count
// as the power of two below them (a chain that halves to 1 has that many levels);
// 0 gives 0.
QRNCORE_API uint32_t hbmp_mip_count(uint32_t n);
// The larger of the two counts.
QRNCORE_API uint32_t hbmp_mip_count(uint32_t width, uint32_t height);

// False, out untouched, when in's width and height are both powers of two and square
// is false or they are equal. Otherwise fills out with power-of-two sizes (the next
// power of two at or above each side, but never above 32768; the larger of the two
// on both sides when square), one mip level, in's type and no pixels (the caller
// allocates hbmp_mem_size bytes), and returns true.
QRNCORE_API bool hbmp_build_compatible(hbmp_t *out, const hbmp_t *in, bool square);

// Turns the image upside down in place (row i exchanged with row height - 1 - i).
// Types 1 to 5 only: any other type is reported and the image left as it is (false).
QRNCORE_API bool hbmp_flip(hbmp_type_t type, uint32_t width, uint32_t height, void *pixels);

// Converts between formats: a compressed destination type goes to
// hbmp_compress_s3tc, a compressed source type to hbmp_decompress_s3tc (src_size is
// the number of source bytes). Any other pair is a programming error and aborts.
// The result is that of the conversion.
QRNCORE_API bool hbmp_convert(void *dst, const void *src, size_t src_size, hbmp_type_t dst_type,
                              hbmp_type_t src_type, uint32_t width, uint32_t height, int32_t dst_levels,
                              int32_t src_levels);

}  // namespace quarn

#include "qrncore/qrnutils/hbmp/hbmp_tool.h"

#include <algorithm>
#include <bit>

#include "qrncore/qrnutils/hbmp/s3tc.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

bool is_pow2(uint32_t n) { return std::has_single_bit(n); }

// The power of two a side grows to; 16-bit sides cannot hold 65536, so 32768 is the
// most a side can become.
uint32_t compatible_side(uint32_t n) { return n >= 32768 ? 32768 : std::bit_ceil(std::max(n, 1u)); }

}  // namespace

uint32_t hbmp_pixel_size(hbmp_type_t type) {
    switch (type) {
    case HBMP_RGB:
    case HBMP_BGR: return 3;
    case HBMP_RGBA:
    case HBMP_BGRA:
    case HBMP_TYPE_8:
    case HBMP_TYPE_9: return 4;
    case HBMP_GREY: return 1;
    case HBMP_TYPE_7:
    case HBMP_TYPE_10:
    case HBMP_TYPE_11: return 2;
    default: return 0;
    }
}

size_t hbmp_pixel_count(uint32_t width, uint32_t height, int32_t levels) {
    size_t count = 0;
    for (int32_t i = 0; i < levels; ++i) {
        count += size_t(width) * height;
        if (width >= 2) width /= 2;
        if (height >= 2) height /= 2;
    }
    return count;
}

size_t hbmp_mem_size(uint32_t width, uint32_t height, int32_t levels, hbmp_type_t type) {
    return hbmp_pixel_count(width, height, levels) * hbmp_pixel_size(type);
}

uint32_t hbmp_mip_count(uint32_t n) {
    // For a power of two this is log2(n) + 1; any other size counts as the power of
    // two below it.
    return uint32_t(std::bit_width(n));
}

uint32_t hbmp_mip_count(uint32_t width, uint32_t height) {
    return std::max(hbmp_mip_count(width), hbmp_mip_count(height));
}

bool hbmp_build_compatible(hbmp_t *out, const hbmp_t *in, bool square) {
    V_ASSERT(out && in);
    if (is_pow2(in->width) && is_pow2(in->height) && (!square || in->width == in->height)) return false;
    uint32_t w = compatible_side(in->width);
    uint32_t h = compatible_side(in->height);
    if (square) w = h = std::max(w, h);
    *out = hbmp_t{};
    out->width = uint16_t(w);
    out->height = uint16_t(h);
    out->mip_levels = 1;
    out->type = in->type;
    return true;
}

bool hbmp_flip(hbmp_type_t type, uint32_t width, uint32_t height, void *pixels) {
    if (type < HBMP_RGB || type > HBMP_GREY) {
        error("Image flip not supported on provided data type - check your data (unfortunately, you must "
              "guess which file...).");
        return false;
    }
    size_t row = size_t(width) * hbmp_pixel_size(type);
    if (row == 0 || height < 2) return true;
    V_ASSERT(pixels);
    auto *bytes = static_cast<uint8_t *>(pixels);
    for (uint32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(bytes + top * row, bytes + (top + 1) * row, bytes + bottom * row);
    return true;
}

bool hbmp_convert(void *dst, const void *src, size_t src_size, hbmp_type_t dst_type, hbmp_type_t src_type,
                  uint32_t width, uint32_t height, int32_t dst_levels, int32_t src_levels) {
    if (hbmp_is_s3tc(dst_type))
        return hbmp_compress_s3tc(dst, src, src_size, dst_type, src_type, width, height, dst_levels, src_levels);
    if (hbmp_is_s3tc(src_type))
        return hbmp_decompress_s3tc(dst, src, src_size, dst_type, src_type, width, height, dst_levels,
                                    src_levels);
    // Crash reports name the place of this abort by the module and line they have
    // always shown, whatever the layout of this source.
    v_abort_fail("Conversions other than s3tc decompression are not supported.", "qrnutils/hbmp/hbmp_tool", 166,
                 __func__);
}

}  // namespace quarn

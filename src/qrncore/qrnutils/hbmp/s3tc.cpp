#include "qrncore/qrnutils/hbmp/s3tc.h"

#include <bit>

#include "qrncore/system/messages.h"

namespace quarn {

namespace {

uint32_t block_bytes(hbmp_type_t type) {
    switch (type) {
    case HBMP_DXT1: return 8;
    case HBMP_DXT3:
    case HBMP_DXT5: return 16;
    default: return 0;
    }
}

// Opaque magenta over every pixel of the chain: the mark of a texture that could not
// be decoded.
void fill_magenta(uint8_t *dst, uint32_t width, uint32_t height, int32_t levels) {
    size_t n = hbmp_pixel_count(width, height, levels);
    for (size_t i = 0; i < n; ++i, dst += 4) {
        dst[0] = 0xFF;
        dst[1] = 0x00;
        dst[2] = 0xFF;
        dst[3] = 0xFF;
    }
}

struct rgb_t {
    uint32_t r, g, b;
};

// A 5:6:5 value widened to 8 bits a channel by repeating the high bits.
rgb_t expand_565(uint32_t c) {
    uint32_t r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
    return {r * 8 + r / 4, g * 4 + g / 16, b * 8 + b / 4};
}

// The colour half of a block: 16 pixels of R, G, B into out (4 bytes a pixel, alpha
// left as it is). Always the four-colour palette, whatever the order of c0 and c1:
// DXT1's transparent form is not used by the textures of this engine.
void decode_colour(const uint8_t *block, uint8_t out[16][4]) {
    rgb_t p[4];
    p[0] = expand_565(block[0] | uint32_t(block[1]) << 8);
    p[1] = expand_565(block[2] | uint32_t(block[3]) << 8);
    p[2] = {(2 * p[0].r + p[1].r) / 3, (2 * p[0].g + p[1].g) / 3, (2 * p[0].b + p[1].b) / 3};
    p[3] = {(p[0].r + 2 * p[1].r) / 3, (p[0].g + 2 * p[1].g) / 3, (p[0].b + 2 * p[1].b) / 3};
    for (int y = 0; y < 4; ++y) {
        uint32_t bits = block[4 + y];
        for (int x = 0; x < 4; ++x, bits >>= 2) {
            const rgb_t &c = p[bits & 3];
            out[y * 4 + x][0] = uint8_t(c.r);
            out[y * 4 + x][1] = uint8_t(c.g);
            out[y * 4 + x][2] = uint8_t(c.b);
        }
    }
}

// Explicit alpha: 4 bits a pixel, the low nibble first.
void decode_alpha_dxt3(const uint8_t *block, uint8_t out[16][4]) {
    for (int i = 0; i < 16; ++i) {
        uint32_t nibble = (block[i / 2] >> (i % 2 * 4)) & 15;
        out[i][3] = uint8_t(nibble * 17);
    }
}

// Interpolated alpha: always the eight-value table, whatever the order of a0 and a1.
void decode_alpha_dxt5(const uint8_t *block, uint8_t out[16][4]) {
    uint32_t a0 = block[0], a1 = block[1];
    uint32_t table[8] = {a0, a1};
    for (uint32_t k = 1; k <= 6; ++k) table[k + 1] = ((7 - k) * a0 + k * a1) / 7;
    uint64_t bits = 0;
    for (int i = 5; i >= 0; --i) bits = bits << 8 | block[2 + i];
    for (int i = 0; i < 16; ++i, bits >>= 3) out[i][3] = uint8_t(table[bits & 7]);
}

// One level; src holds exactly its blocks.
void decode_level(uint8_t *dst, const uint8_t *src, hbmp_type_t type, uint32_t width, uint32_t height) {
    uint32_t step = block_bytes(type);
    uint8_t pixels[16][4];
    for (uint32_t by = 0; by < height; by += 4) {
        for (uint32_t bx = 0; bx < width; bx += 4, src += step) {
            if (type == HBMP_DXT1) {
                for (auto &p : pixels) p[3] = 255;
                decode_colour(src, pixels);
            } else {
                if (type == HBMP_DXT3)
                    decode_alpha_dxt3(src, pixels);
                else
                    decode_alpha_dxt5(src, pixels);
                decode_colour(src + 8, pixels);
            }
            // Levels narrower or lower than a block keep only the pixels that lie
            // inside them.
            for (uint32_t y = 0; y < 4 && by + y < height; ++y) {
                for (uint32_t x = 0; x < 4 && bx + x < width; ++x) {
                    uint8_t *out = dst + ((size_t(by + y) * width) + bx + x) * 4;
                    const uint8_t *in = pixels[y * 4 + x];
                    out[0] = in[0];
                    out[1] = in[1];
                    out[2] = in[2];
                    out[3] = in[3];
                }
            }
        }
    }
}

}  // namespace

size_t hbmp_s3tc_size(hbmp_type_t type, uint32_t width, uint32_t height, int32_t levels) {
    size_t total = 0;
    for (int32_t i = 0; i < levels; ++i) {
        total += size_t((width + 3) / 4) * ((height + 3) / 4) * block_bytes(type);
        if (width >= 2) width /= 2;
        if (height >= 2) height /= 2;
    }
    return total;
}

bool hbmp_compress_s3tc(void *, const void *, size_t, hbmp_type_t, hbmp_type_t, uint32_t, uint32_t, int32_t,
                        int32_t) {
    error("hbmp_compress_s3tc() is not implemented.");
    return false;
}

bool hbmp_decompress_s3tc(void *dst, const void *src, size_t src_size, hbmp_type_t dst_type, hbmp_type_t src_type,
                          uint32_t width, uint32_t height, int32_t dst_levels, int32_t src_levels) {
    if (dst_type != HBMP_RGBA) {
        error("hbmp_decompress_s3tc() into non-RGBA is not implemented.");
        return false;
    }
    auto *out = static_cast<uint8_t *>(dst);
    if (dst_levels != src_levels) {
        error("hbmp_decompress_s3tc() can not change the number of mipmaps.");
        fill_magenta(out, width, height, dst_levels);
        return false;
    }
    if (!std::has_single_bit(width) || !std::has_single_bit(height)) {
        error("hbmp_decompress_s3tc() can operate only textures that are power of two.");
        fill_magenta(out, width, height, dst_levels);
        return false;
    }
    if (!hbmp_is_s3tc(src_type)) {
        error("[hbmp] hbmp_decompress_s3tc() source type %d is not compressed", int(src_type));
        fill_magenta(out, width, height, dst_levels);
        return false;
    }
    // The source length is checked before anything is decoded: a short texture file
    // would otherwise be read past its end.
    size_t need = hbmp_s3tc_size(src_type, width, height, src_levels);
    if (src_size < need) {
        error("[hbmp] hbmp_decompress_s3tc() source of %zu bytes is shorter than its %d levels (%zu bytes)",
              src_size, int(src_levels), need);
        fill_magenta(out, width, height, dst_levels);
        return false;
    }
    const auto *in = static_cast<const uint8_t *>(src);
    for (int32_t level = 0; level < src_levels; ++level) {
        decode_level(out, in, src_type, width, height);
        out += size_t(width) * height * 4;
        in += hbmp_s3tc_size(src_type, width, height, 1);
        if (width >= 2) width /= 2;
        if (height >= 2) height /= 2;
    }
    return true;
}

}  // namespace quarn

#include "qrncore/math/pixel.h"

namespace quarn {

void rgb_rgba(uint8_t *dst, const uint8_t *src, size_t count) {
    for (size_t i = 0; i < count; ++i, dst += 4, src += 3) dst[0] = src[0], dst[1] = src[1], dst[2] = src[2], dst[3] = 255;
}

void rgba_rgb(uint8_t *dst, const uint8_t *src, size_t count) {
    for (size_t i = 0; i < count; ++i, dst += 3, src += 4) dst[0] = src[0], dst[1] = src[1], dst[2] = src[2];
}

void rgb_bgra(uint8_t *dst, const uint8_t *src, size_t count) {
    for (size_t i = 0; i < count; ++i, dst += 4, src += 3) dst[0] = src[2], dst[1] = src[1], dst[2] = src[0], dst[3] = 255;
}

void rgba_bgra(uint8_t *dst, const uint8_t *src, size_t count) {
    for (size_t i = 0; i < count; ++i, dst += 4, src += 4)
        dst[0] = src[2], dst[1] = src[1], dst[2] = src[0], dst[3] = src[3];
}

void rgb_bgr(uint8_t *dst, const uint8_t *src, size_t count) {
    for (size_t i = 0; i < count; ++i, dst += 3, src += 3) dst[0] = src[2], dst[1] = src[1], dst[2] = src[0];
}

uint32_t rgb_scale(uint32_t a, uint32_t b) {
    uint32_t r = 0;
    for (int shift = 0; shift < 32; shift += 8) r |= (((a >> shift) & 0xFF) * ((b >> shift) & 0xFF) / 255) << shift;
    return r;
}

}  // namespace quarn

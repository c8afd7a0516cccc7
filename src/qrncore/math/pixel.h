#pragma once
// Conversions and scaling of packed 8-bit colour pixels, bytes in memory order.
// dst and src must not overlap.
#include <cstddef>
#include <cstdint>

#include "qrncore/api.h"

namespace quarn {

// R, G, B to R, G, B, 255.
QRNCORE_API void rgb_rgba(uint8_t *dst, const uint8_t *src, size_t count);
// R, G, B, A to R, G, B.
QRNCORE_API void rgba_rgb(uint8_t *dst, const uint8_t *src, size_t count);
// R, G, B to B, G, R, 255.
QRNCORE_API void rgb_bgra(uint8_t *dst, const uint8_t *src, size_t count);
// R, G, B, A to B, G, R, A.
QRNCORE_API void rgba_bgra(uint8_t *dst, const uint8_t *src, size_t count);
// R, G, B to B, G, R.
QRNCORE_API void rgb_bgr(uint8_t *dst, const uint8_t *src, size_t count);

// Each of the four bytes is (byte of a · byte of b)/255, remainder dropped: 255
// leaves a byte unchanged.
QRNCORE_API uint32_t rgb_scale(uint32_t a, uint32_t b);

}  // namespace quarn

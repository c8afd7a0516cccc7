#pragma once
// Mip chains of 8-bit RGBA images, made on the processor: a texture file's levels are
// uploaded one by one, so no driver ever runs (or, on a software rasteriser, first
// compiles) a mipmap generator of its own.
//
// Each level is a box filter of the one above: every texel is the mean of the part of
// the level above that it covers, each channel alone (alpha included, colours not
// weighted by it: as a driver's generator does). A side of 2n texels halves to n,
// each texel the mean of two; an odd side 2n + 1 (n > 0) goes to n texels of 2 + 1/n
// each, which take the texels they cover in part with their share, so no row or
// column of the image is dropped; a side of 1 stays 1. Where both sides are even the
// 2 x 2 means are rounded as a driver's bilinear generator rounds them (the rows'
// means first, each a half up): the textures of the game, all of even sides down to
// their last levels, keep the very texels a driver gave them. Elsewhere a mean is
// rounded to the nearest (a half up).
#include <cstdint>

namespace quarn::gl {

// The side of the level below a side of that many texels: half, rounded down, at
// least 1.
inline uint32_t gl_mip_side(uint32_t side) { return side > 1 ? side / 2 : 1; }

// The levels of a full chain down to 1 x 1, the image's own included.
int32_t gl_mip_levels(uint32_t width, uint32_t height);

// The texels of every level below the image's own, level 1 first, each right after
// the one before; the image's own level is not counted.
uint64_t gl_mip_chain_bytes(uint32_t width, uint32_t height);

// Writes the level below the width x height image src into dst, which holds
// gl_mip_side(width) x gl_mip_side(height) texels. Nothing for a 1 x 1 image.
void gl_mip_next(const uint8_t *src, uint32_t width, uint32_t height, uint8_t *dst);

}  // namespace quarn::gl

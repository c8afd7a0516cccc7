#pragma once
// Texture images read from their files' bytes: TGA (through the core's reader: true
// colour, colour-mapped and grey, plain or run-length encoded) and PNG (through
// libpng), whichever the bytes begin like. The result is 8-bit RGBA with the image's
// top row first, so that texture coordinate v = 0 is the image's top, as the game's
// data has it.
#include <cstddef>
#include <cstdint>

#include "qrncore/collections/arrays/array_dyn.h"

namespace quarn::gl {

// Sides above this are refused: no texture of the game comes near.
constexpr uint32_t GL_IMAGE_MAX_SIDE = 8192;

struct gl_image_t {
    uint32_t width = 0;
    uint32_t height = 0;
    array_dyn_t<uint8_t> rgba;  // width x height x 4 bytes
};

// False, with why set to the reason, for bytes that are no such image, a damaged
// one, sides of 0 or above GL_IMAGE_MAX_SIDE, or no memory.
bool gl_image_read(const void *data, size_t size, gl_image_t *out, const char **why);

}  // namespace quarn::gl

#pragma once
// Debug text in the 3D scene: draw_text_3d writes a text at a world position, facing
// the camera, through a small font interface (docs/effects.md).
//
// Control characters change the colour (32 bits, red in the lowest byte; the given
// colour's alpha byte is kept): 1 red, 2 green, 3 blue, 4 yellow, 5 magenta, 6 cyan,
// 7 white, 8 back to the given colour. 10 starts a new line: x back to 0, y lowered
// by the line height + 2. Every other character is drawn at (x, y) and x advances by
// its width.
#include <cstdint>

#include "qrncore/math/mat_sq.h"
#include "qrncore/math/vec.h"

namespace quarn {

class text_3d_font_t {
public:
    virtual ~text_3d_font_t() = default;
    virtual float glyph_width(uint8_t character) = 0;
    // Draws one character at (x, y) of the text's plane, which matrix places in the
    // world (facing the camera).
    virtual void draw_glyph(uint8_t character, const mat4_t &matrix, float x, float y, uint32_t colour) = 0;
};

// The camera-facing matrix at a world position: the current camera's rotation
// (through a quaternion, so any scale is dropped), then the move to position.
mat4_t text_3d_matrix(const vec3_t &position);

void draw_text_3d(text_3d_font_t &font, float line_height, uint32_t colour, const char *text, const vec3_t &position);

}  // namespace quarn

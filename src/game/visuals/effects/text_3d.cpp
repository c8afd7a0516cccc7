#include "game/visuals/effects/text_3d.h"

#include "outside/visbase/camera.h"
#include "qrncore/math/quat.h"

namespace quarn {

mat4_t text_3d_matrix(const vec3_t &position) {
    // The rotation without scale: unit axes first, then through a quaternion.
    mat4_t r = gfx_camera_world_matrix();
    for (int c = 0; c < 3; ++c) {
        vec3_t axis{r.at(0, c), r.at(1, c), r.at(2, c)};
        normalize(axis);
        for (int row = 0; row < 3; ++row) r.at(row, c) = axis[row];
    }
    quat_t q;
    q.set_matrix(r);
    q.normalize();
    mat4_t m;
    q.get_matrix(&m);
    m.at(0, 3) = position.x;
    m.at(1, 3) = position.y;
    m.at(2, 3) = position.z;
    return m;
}

void draw_text_3d(text_3d_font_t &font, float line_height, uint32_t colour, const char *text, const vec3_t &position) {
    if (!text) return;
    const mat4_t m = text_3d_matrix(position);
    const uint32_t alpha = colour & 0xFF000000u;
    // The colours of the codes 1 to 7.
    static constexpr uint32_t CODES[8] = {0, 0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    uint32_t c = colour;
    float x = 0.0f, y = 0.0f;
    for (const char *p = text; *p; ++p) {
        const uint8_t ch = uint8_t(*p);
        if (ch >= 1 && ch <= 7) {
            c = alpha | CODES[ch];
        } else if (ch == 8) {
            c = colour;
        } else if (ch == 10) {
            x = 0.0f;
            y -= line_height + 2.0f;
        } else {
            font.draw_glyph(ch, m, x, y, c);
            x += font.glyph_width(ch);
        }
    }
}

}  // namespace quarn

#include "outside/gl/glyph_atlas.h"

#include "qrncore/system/messages.h"

namespace quarn {

bool glyph_atlas_t::set_up(const char *font_path, const zml_font_t &font) {
    zml_atlas_layout_t layout;
    if (!zml_atlas_layout(font, &layout)) {
        error("[gl] The font '%s' has no glyph atlas", font_path ? font_path : "");
        return false;
    }
    m_font = font;
    m_layout = layout;
    return true;
}

uint32_t glyph_atlas_t::max_mip_level() const {
    // A texel of level k covers 2^k texels of the atlas. It stays inside one cell or
    // one gutter when the cells' edges fall on multiples of 2^k, and linear filtering
    // at an edge then reads one texel of level k across it, which must be gutter.
    uint32_t level = 0;
    for (uint32_t step = 2; step <= m_layout.padding; step *= 2) {
        if (m_layout.padding % step || m_layout.cell_width % step || m_layout.cell_height % step) break;
        ++level;
    }
    return level;
}

bool glyph_atlas_t::check_texture(uint32_t width, uint32_t height) const {
    if (width == texture_width() && height == texture_height()) return true;
    error("[gl] The glyph atlas '%s' is %u x %u texels; its font asks for %u x %u", texture_path(), width, height,
          texture_width(), texture_height());
    return false;
}

void glyph_atlas_t::cell(uint8_t code, glyph_quad_t *out) const {
    if (!has(code)) code = ZML_ATLAS_BOX;
    const float w = float(texture_width()), h = float(texture_height());
    if (!(w > 0.0f && h > 0.0f)) {
        // Before set_up there is no texture: an empty rectangle, never a division by 0.
        out->u0 = out->u1 = out->v0 = out->v1 = 0.0f;
        return;
    }
    const uint32_t x = m_layout.cell_x(code), y = m_layout.cell_y(code);
    out->u0 = float(x) / w;
    out->u1 = float(x + m_layout.cell_width) / w;
    out->v0 = float(y) / h;
    out->v1 = float(y + m_layout.cell_height) / h;
}

glyph_quad_t glyph_atlas_t::quad(const r_ui_record_t &run, uint32_t index) const {
    glyph_quad_t q;
    const uint8_t code = static_cast<uint8_t>(run.text[index]);
    q.left = run.left + float(index) * run.glyph_width;
    q.right = q.left + run.glyph_width;
    q.bottom = run.bottom;
    q.top = run.top;
    q.boxed = !has(code);
    cell(code, &q);
    return q;
}

}  // namespace quarn

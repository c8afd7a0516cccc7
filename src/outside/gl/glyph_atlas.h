#pragma once
// A font's glyph atlas as the renderer reads it (docs/formats/font.md): the texture
// to load, and for each character of a glyph run the quad to draw and the part of the
// texture it shows. Plain data: nothing here touches GL.
//
// How a glyph run (an r_ui_record_t of kind GLYPHS) is drawn:
// 1. The run's font is zml_get_font(record.source); the text layer keeps it until
//    zml_shutdown. Keep one glyph_atlas_t per font path, set up once. A font without
//    an atlas (set_up false, logged) draws with the default font's atlas
//    (ZML_DEFAULT_FONT); when that has none either, the run is not drawn.
// 2. Load texture_path() once, as any texture, through the virtual file system: a
//    32-bit TGA of white texels with the glyphs' coverage in alpha, rows stored top
//    first (origin at the upper left: the first row is v 0, so no flip). A texture of
//    another size than texture_width() x texture_height() is refused by
//    check_texture (logged) and drawn as a missing texture would be. Sample it with
//    linear filtering, clamped to the edge, with mipmaps down to max_mip_level() at
//    most (GL_TEXTURE_MAX_LEVEL): deeper levels would mix neighbouring cells.
// 3. Character i of the run (i from 0 while record.text[i] is not 0) is quad(record,
//    i): a rectangle glyph_width wide and as high as the record, the i-th from the
//    record's left edge, in reference units with y upward like the record's; u0 goes
//    with its left edge, u1 with its right, v0 with its top, v1 with its bottom. A
//    character the atlas lacks shows the box's cell (boxed is set). So the glyphs
//    fill exactly the record's rectangle, whatever the atlas's texel scale.
// 4. Each fragment is the texel times the record's tint (alpha << 24 | blue << 16 |
//    green << 8 | red, each channel / 255), blended over what is drawn with source
//    alpha (GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA), without depth test, in the queue's
//    order after the scene.
#include <cstdint>

#include "outside/qrnshared/r_queue.h"
#include "outside/qrnshared/ui/zml.h"

namespace quarn {

// One character of a glyph run.
struct glyph_quad_t {
    float left = 0.0f, right = 0.0f, bottom = 0.0f, top = 0.0f;  // reference units, y upward
    float u0 = 0.0f, u1 = 0.0f, v0 = 0.0f, v1 = 0.0f;            // texture coordinates, v 0 at the top row
    bool boxed = false;                                          // the atlas lacks the character
};

class glyph_atlas_t {
public:
    // Takes the atlas that the font read from font_path names. False, logged "[gl]",
    // when the font has none; the object is then as before.
    bool set_up(const char *font_path, const zml_font_t &font);
    bool is_set_up() const { return m_font.atlas[0] != 0; }

    // The atlas texture's virtual path ("" before set_up) and its size in texels.
    const char *texture_path() const { return m_font.atlas; }
    uint32_t texture_width() const { return m_layout.width(); }
    uint32_t texture_height() const { return m_layout.height(); }
    // A cell in texels: the font's glyph width and line height times its atlas scale.
    uint32_t cell_width() const { return m_layout.cell_width; }
    uint32_t cell_height() const { return m_layout.cell_height; }
    // The deepest mip level whose texels never mix two cells: 0 without padding.
    uint32_t max_mip_level() const;
    // True when a texture of that size is this atlas; false, logged "[gl]", when not.
    bool check_texture(uint32_t width, uint32_t height) const;

    // True when the atlas has a glyph for the character (a byte of a UI text).
    bool has(uint8_t code) const { return is_set_up() && zml_atlas_has(m_font, code); }
    // The texture rectangle of the character's cell, or of the box's when the atlas
    // lacks it: out gets u0, u1, v0, v1 (v 0 at the top row); the rest is untouched.
    void cell(uint8_t code, glyph_quad_t *out) const;
    // Character index of the run (below strlen(run.text)): where it is drawn and what
    // it shows.
    glyph_quad_t quad(const r_ui_record_t &run, uint32_t index) const;

private:
    zml_font_t m_font{0.0f, 0.0f, 0.0f};  // no atlas until set_up
    zml_atlas_layout_t m_layout;
};

}  // namespace quarn

// The renderer's own drawing through "/shader/flat.glsl": the UI's 2D records over
// the scene and the debug lines.
//
// UI records are laid out in reference units (ui_get_reference_mode, 1024 x 768, y
// upward) over the current view (the whole window when the UI draws). An image draws
// its material's first texture (white when it names none: a flat tinted panel) at its
// texture coordinates, v 0 at the image's top; a glyph run draws one cell a character
// of the run's glyph width from its font's glyph atlas (glyph_atlas.h), tinted; a
// character the atlas lacks shows the atlas's box. Without any atlas, each character
// draws as an outlined box.
#include <cmath>
#include <cstddef>
#include <cstring>

#include "outside/gl/gl_renderer.h"
#include "outside/qrnshared/material.h"
#include "outside/qrnshared/r_queue.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/zml.h"
#include "outside/visbase/camera.h"
#include "qrncore/math/matrix.h"

namespace quarn::gl {

namespace {

constexpr float IDENTITY[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// Characters that leave their cell empty.
bool blank(unsigned char c) { return c <= ' ' || c == 0x7F || c == 0xA0; }

}  // namespace

void gl_renderer_t::ui_quad(float left, float bottom, float right, float top, const float uv[4], uint32_t colour) {
    float ref_w = 0.0f, ref_h = 0.0f;
    ui_get_reference_mode(&ref_w, &ref_h);
    if (ref_w <= 0.0f || ref_h <= 0.0f) return;
    // Reference units to clip space over the view (y upward in both).
    const float x0 = left / ref_w * 2.0f - 1.0f, x1 = right / ref_w * 2.0f - 1.0f;
    const float y0 = bottom / ref_h * 2.0f - 1.0f, y1 = top / ref_h * 2.0f - 1.0f;
    const ui_vertex_t corners[4] = {
        {{x0, y1, 0.0f}, {uv[0], uv[2]}, colour},
        {{x0, y0, 0.0f}, {uv[0], uv[3]}, colour},
        {{x1, y0, 0.0f}, {uv[1], uv[3]}, colour},
        {{x1, y1, 0.0f}, {uv[1], uv[2]}, colour},
    };
    for (int i : {0, 1, 2, 0, 2, 3}) m_ui_batch.append(corners[i]);
}

void gl_renderer_t::ui_batch(GLuint texture) {
    const bool same_view = m_ui_view.x == m_view.x && m_ui_view.y == m_view.y && m_ui_view.width == m_view.width &&
                           m_ui_view.height == m_view.height;
    if (!m_ui_batch.is_empty() && (texture != m_ui_texture || !same_view)) flush_ui();
    m_ui_texture = texture;
    m_ui_view = m_view;
}

void gl_renderer_t::flush_ui() {
    const uint32_t n = m_ui_batch.get_count();
    if (n == 0) return;
    const gl_program_t *flat = m_programs.flat();
    size_t offset = 0;
    if (!flat || !m_vertices.push(&m_ui_batch[0], n * sizeof(ui_vertex_t), 16, &offset)) {
        m_ui_batch.clear();
        return;
    }
    int32_t width = 0, height = 0;
    m_frame->frame_size(&width, &height);
    const GLsizei w = GLsizei(std::lround(m_ui_view.width)), h = GLsizei(std::lround(m_ui_view.height));
    m_state.viewport(GLint(std::lround(m_ui_view.x)), height - GLint(std::lround(m_ui_view.y)) - h, w, h);
    m_state.scissor(false);
    gl_render_state_t s;
    s.blend = BLEND_ALPHA;
    s.depth_test = false;
    s.depth_write = false;
    m_state.apply(s);
    m_state.use_program(flat->id);
    glUniformMatrix4fv(flat->flat_matrix, 1, GL_TRUE, IDENTITY);
    m_state.bind_texture(0, m_ui_texture);
    m_state.bind_sampler(0, m_textures.ui_sampler());
    m_state.bind_array_buffer(m_vertices.name());
    const GLsizei stride = sizeof(ui_vertex_t);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void *>(offset));
    glVertexAttribPointer(8, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void *>(offset + offsetof(ui_vertex_t, uv)));
    glVertexAttribPointer(3, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                          reinterpret_cast<const void *>(offset + offsetof(ui_vertex_t, colour)));
    for (uint32_t slot = 0; slot < GL_STATE_ATTRIBUTES; ++slot) m_state.attribute_array(slot, slot == 0 || slot == 3 || slot == 8);
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(n));
    m_drawn_vertices += n;
    ++m_draws;
    m_ui_batch.clear();
}

bool gl_renderer_t::glyph_font(const char *path, const glyph_atlas_t **atlas, GLuint *texture) {
    if (!path || !*path) path = ZML_DEFAULT_FONT;
    glyph_font_t *font = nullptr;
    for (glyph_font_t &f : m_fonts)
        if (f.path == path) font = &f;
    if (!font) {
        font = m_fonts.append(glyph_font_t());
        if (!font) return false;
        font->path = path;
        const zml_font_t *read = zml_get_font(path);
        if (read && font->atlas.set_up(path, *read)) font->texture = m_textures.glyph_atlas(font->atlas);
    }
    if (font->texture) {
        *atlas = &font->atlas;
        *texture = font->texture;
        return true;
    }
    return strcmp(path, ZML_DEFAULT_FONT) != 0 && glyph_font(ZML_DEFAULT_FONT, atlas, texture);
}

void gl_renderer_t::draw_ui(const r_ui_record_t &u) {
    if (!select_view()) return;
    if (u.kind == r_ui_record_t::IMAGE) {
        const material_t *m = zml_material(u.source);
        GLuint texture = m_textures.white();
        if (m && !m->textures.is_empty())
            texture = m_textures.get(m->textures[0].name.c_str(), m->textures[0].sampler.c_str());
        ui_batch(texture);
        ui_quad(u.left, u.bottom, u.right, u.top, u.uv, u.tint);
        return;
    }
    // A glyph run: one cell a character.
    const float width = u.glyph_width > 0.0f ? u.glyph_width : (u.right - u.left);
    const float height = u.top - u.bottom;
    if (width <= 0.0f || height <= 0.0f || !u.text) return;
    float ref_w = 0.0f, ref_h = 0.0f;
    ui_get_reference_mode(&ref_w, &ref_h);
    // The box: an outline a pixel wide at least, inside an eighth of the cell.
    const float px = m_view.width > 0.0f ? ref_w / m_view.width : 1.0f;
    const float py = m_view.height > 0.0f ? ref_h / m_view.height : 1.0f;
    const float tx = width / 8.0f > px ? width / 8.0f : px;
    const float ty = height / 12.0f > py ? height / 12.0f : py;
    const float whole[4] = {0.0f, 1.0f, 0.0f, 1.0f};
    const glyph_atlas_t *atlas = nullptr;
    GLuint atlas_texture = 0;
    const bool glyphs = glyph_font(u.source, &atlas, &atlas_texture);
    float x = u.left;
    for (const unsigned char *c = reinterpret_cast<const unsigned char *>(u.text); *c; ++c, x += width) {
        if (blank(*c)) continue;
        if (glyphs) {
            glyph_quad_t q;
            atlas->cell(*c, &q);
            const float cell[4] = {q.u0, q.u1, q.v0, q.v1};
            ui_batch(atlas_texture);
            ui_quad(x, u.bottom, x + width, u.top, cell, u.tint);
            continue;
        }
        ui_batch(m_textures.white());
        const float l = x + width / 8.0f, r = x + width - width / 8.0f;
        const float b = u.bottom + height / 8.0f, t = u.top - height / 8.0f;
        ui_quad(l, b, r, b + ty, whole, u.tint);
        ui_quad(l, t - ty, r, t, whole, u.tint);
        ui_quad(l, b + ty, l + tx, t - ty, whole, u.tint);
        ui_quad(r - tx, b + ty, r, t - ty, whole, u.tint);
    }
}

void gl_renderer_t::line_strip(const float *points, uint32_t count, uint32_t colour, const float *matrix) {
    flush_ui();
    if (!points || count < 2 || !select_view()) return;
    const gl_program_t *flat = m_programs.flat();
    size_t offset = 0;
    if (!flat || !m_vertices.push(points, size_t(count) * 12, 16, &offset)) return;
    // Points are placed by the matrix (when given), then seen by the current camera.
    mat4_t model, view_projection, all;
    memcpy(model.m, matrix ? matrix : IDENTITY, sizeof model.m);
    mult_matrix_matrix(&view_projection, gfx_camera_matrix(), gfx_camera_projection());
    mult_matrix_matrix(&all, model, view_projection);
    gl_render_state_t s;
    s.depth_write = false;
    m_state.apply(s);
    m_state.use_program(flat->id);
    glUniformMatrix4fv(flat->flat_matrix, 1, GL_TRUE, all.m);
    m_state.bind_texture(0, m_textures.white());
    m_state.bind_sampler(0, 0);
    m_state.bind_array_buffer(m_vertices.name());
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, reinterpret_cast<const void *>(offset));
    for (uint32_t slot = 0; slot < GL_STATE_ATTRIBUTES; ++slot) m_state.attribute_array(slot, slot == 0);
    glVertexAttrib4Nub(3, GLubyte(colour), GLubyte(colour >> 8), GLubyte(colour >> 16), GLubyte(colour >> 24));
    glVertexAttrib2f(8, 0.0f, 0.0f);
    glDrawArrays(GL_LINE_STRIP, 0, GLsizei(count));
    m_drawn_vertices += count;
    ++m_draws;
}

}  // namespace quarn::gl

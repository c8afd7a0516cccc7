#include "outside/gl/gl_renderer.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "outside/qrnshared/effect_registry.h"
#include "outside/qrnshared/material.h"
#include "outside/qrnshared/parameter_packet.h"
#include "outside/qrnshared/r_proto.h"
#include "qrncore/system/messages.h"

namespace quarn::gl {

namespace {

// Attribute slots of the streams (the passes bind their inputs at these).
constexpr uint32_t SLOT_POSITION = 0;
constexpr uint32_t SLOT_NORMAL = 2;
constexpr uint32_t SLOT_COLOUR = 3;
constexpr uint32_t SLOT_FURTHER = 4;
constexpr uint32_t SLOT_TEXCOORD = 8;
constexpr uint32_t SLOT_TANGENT = 11;
constexpr uint32_t SLOTS_USED[] = {SLOT_POSITION, SLOT_NORMAL,   SLOT_COLOUR,
                                   SLOT_FURTHER,  SLOT_TEXCOORD, SLOT_TANGENT};

// The stream buffers' stores: a small one first, twice as large each time one fills
// up, up to the last size (gl_stream_t). A fresh store is memory the driver touches
// whole, dear at the start of a program that draws little in its first frames.
constexpr size_t STREAM_VERTEX_FIRST = 256u << 10, STREAM_VERTEX_BYTES = 4u << 20;
constexpr size_t STREAM_INDEX_FIRST = 64u << 10, STREAM_INDEX_BYTES = 1u << 20;

struct stream_layout_t {
    uint32_t slot;
    GLint components;
    GLenum type;
    uint32_t bytes;  // a vertex's
};

// The streams of a stream source, by r_stream_t.
constexpr stream_layout_t STREAMS[] = {
    {SLOT_POSITION, 3, GL_FLOAT, 12},     {SLOT_NORMAL, 3, GL_FLOAT, 12},        {SLOT_TEXCOORD, 2, GL_FLOAT, 8},
    {SLOT_COLOUR, 4, GL_UNSIGNED_BYTE, 4}, {SLOT_FURTHER, 4, GL_UNSIGNED_BYTE, 4}, {SLOT_TANGENT, 4, GL_FLOAT, 16},
};

bool parse_on(const char *v, bool *out) {
    if (strcmp(v, "on") == 0 || strcmp(v, "1") == 0 || strcmp(v, "true") == 0) return *out = true, true;
    if (strcmp(v, "off") == 0 || strcmp(v, "0") == 0 || strcmp(v, "false") == 0) return *out = false, true;
    return false;
}

// The z row of a camera packet's projection: how it maps depth.
bool depth_row(const r_proto_t &proto, float out[2]) {
    const parameter_packet_u *p = proto.parameters ? proto.parameters->get(0) : nullptr;
    if (!p || !p->is_kind_of(pp_camera_u::unit_descriptor)) return false;
    const mat4_t &m = static_cast<const pp_camera_u *>(p)->projection;
    out[0] = m.at(2, 2);
    out[1] = m.at(2, 3);
    return true;
}

}  // namespace

bool gl_render_override_t::apply(const char *key, const char *value) {
    if (!key || !value) return false;
    if (strcmp(key, "blend") == 0) {
        gl_blend_t b;
        if (strcmp(value, "none") == 0 || strcmp(value, "off") == 0) b = BLEND_NONE;
        else if (strcmp(value, "alpha") == 0) b = BLEND_ALPHA;
        else if (strcmp(value, "add") == 0) b = BLEND_ADD;
        else if (strcmp(value, "multiply") == 0) b = BLEND_MULTIPLY;
        else return false;
        state.blend = b;
        set |= BLEND;
        return true;
    }
    if (strcmp(key, "depth_write") == 0) {
        if (!parse_on(value, &state.depth_write)) return false;
        set |= DEPTH_WRITE;
        return true;
    }
    if (strcmp(key, "depth_test") == 0) {
        if (!parse_on(value, &state.depth_test)) return false;
        set |= DEPTH_TEST;
        return true;
    }
    if (strcmp(key, "depth_bias") == 0) {
        char *end = nullptr;
        const float bias = strtof(value, &end);
        if (!end || *end || !std::isfinite(bias)) return false;
        state.depth_bias = bias;
        set |= DEPTH_BIAS;
        return true;
    }
    if (strcmp(key, "cull") == 0) {
        if (strcmp(value, "none") == 0) state.cull = CULL_NONE;
        else if (strcmp(value, "back") == 0) state.cull = CULL_BACK;
        else if (strcmp(value, "front") == 0) state.cull = CULL_FRONT;
        else return false;
        set |= CULL;
        return true;
    }
    return false;
}

bool gl_renderer_t::init(gl_frame_t *frame, uint32_t generation) {
    m_frame = frame;
    m_generation = generation;
    glGenVertexArrays(1, &m_vertex_array);
    if (!m_vertex_array) return false;
    m_state.reset(m_vertex_array);
    m_programs.init(&m_state);
    if (!m_textures.init(&m_state)) return false;
    if (!m_vertices.init(GL_ARRAY_BUFFER, STREAM_VERTEX_FIRST, STREAM_VERTEX_BYTES) ||
        !m_indices.init(GL_ELEMENT_ARRAY_BUFFER, STREAM_INDEX_FIRST, STREAM_INDEX_BYTES))
        return false;
    m_layer_used = false;
    reset_stats();
    return true;
}

void gl_renderer_t::release() {
    m_programs.release();
    m_textures.release();
    m_vertices.release();
    m_indices.release();
    if (m_vertex_array) glDeleteVertexArrays(1, &m_vertex_array);
    m_vertex_array = 0;
    m_ui_batch.clear();
    m_ui_batch.shrink();
    m_fonts.clear();
    m_frame = nullptr;
}

void gl_renderer_t::begin_frame(int32_t texture_detail, float anisotropy) {
    flush_ui();
    m_frame->bind_frame();
    m_textures.settings(texture_detail, anisotropy);
}

void gl_renderer_t::end_frame() {
    flush_ui();
    m_textures.end_frame();
}

r_stats_t gl_renderer_t::get_stats() const {
    r_stats_t s;
    s.draws = m_draws;
    s.vertices = m_drawn_vertices;
    s.program_changes = m_state.program_changes - m_program_base;
    s.texture_binds = m_state.texture_binds - m_bind_base;
    return s;
}

void gl_renderer_t::reset_stats() {
    m_draws = m_drawn_vertices = 0;
    m_program_base = m_state.program_changes;
    m_bind_base = m_state.texture_binds;
}

bool gl_renderer_t::select_view() {
    int32_t width = 0, height = 0;
    m_frame->frame_size(&width, &height);
    m_view = gfx_view_get();
    m_frame_height = height;
    const GLint x = GLint(std::lround(m_view.x));
    const GLint top = GLint(std::lround(m_view.y));
    const GLsizei w = GLsizei(std::lround(m_view.width));
    const GLsizei h = GLsizei(std::lround(m_view.height));
    if (w <= 0 || h <= 0) return false;
    // Views count y down from the top; OpenGL up from the bottom.
    m_state.viewport(x, height - top - h, w, h);
    m_state.scissor(false);
    return true;
}

void gl_renderer_t::clear(const r_view_t &view, uint32_t colour) {
    flush_ui();
    int32_t width = 0, height = 0;
    m_frame->frame_size(&width, &height);
    const GLint x = GLint(std::lround(view.x));
    const GLint top = GLint(std::lround(view.y));
    const GLsizei w = GLsizei(std::lround(view.width));
    const GLsizei h = GLsizei(std::lround(view.height));
    if (w <= 0 || h <= 0) return;
    m_state.scissor(true, x, height - top - h, w, h);
    m_state.depth_write_for_clear();
    glClearColor(float(colour & 0xFF) / 255.0f, float(colour >> 8 & 0xFF) / 255.0f, float(colour >> 16 & 0xFF) / 255.0f,
                 float(colour >> 24) / 255.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    m_state.scissor(false);
    m_layer_used = false;
}

void gl_renderer_t::depth_layer(const r_proto_t &proto) {
    float key[2];
    if (!depth_row(proto, key)) return;
    if (m_layer_used && (key[0] != m_layer_key[0] || key[1] != m_layer_key[1])) {
        const GLint top = GLint(std::lround(m_view.y));
        const GLsizei h = GLsizei(std::lround(m_view.height));
        m_state.scissor(true, GLint(std::lround(m_view.x)), m_frame_height - top - h, GLsizei(std::lround(m_view.width)), h);
        m_state.depth_write_for_clear();
        glClear(GL_DEPTH_BUFFER_BIT);
        m_state.scissor(false);
    }
    m_layer_key[0] = key[0];
    m_layer_key[1] = key[1];
    m_layer_used = true;
}

bool gl_renderer_t::stream_attribute(geometry_t &g, uint32_t slot, const void *data, size_t bytes, GLint components,
                                     GLenum type) {
    if (!data) return true;
    size_t offset = 0;
    if (!m_vertices.push(data, bytes, 16, &offset)) return false;
    attribute_t &a = g.attributes[slot];
    a.buffer = m_vertices.name();
    a.offset = offset;
    a.components = components;
    a.type = type;
    g.present[slot] = true;
    return true;
}

bool gl_renderer_t::gather_streams(const r_packet_t &packet, geometry_t &g) {
    const r_stream_source_t *src = static_cast<const r_stream_source_t *>(packet.data);
    if (!src || !src->locate || !src->vertex_count) return false;
    g.vertex_count = src->vertex_count(src);
    if (g.vertex_count == 0) return false;
    const bool tangents = packet.type == R_PACKET_MODEL_TAN || packet.type == R_PACKET_MODEL_TAN_FUR;
    const bool further = packet.type == R_PACKET_MODEL_FUR || packet.type == R_PACKET_MODEL_TAN_FUR;
    for (uint32_t s = R_STREAM_POSITION; s <= R_STREAM_TANGENT; ++s) {
        if ((s == R_STREAM_TANGENT && !tangents) || (s == R_STREAM_FURTHER && !further)) continue;
        r_stream_location_t at;
        if (!src->locate(src, s, &at)) continue;
        const stream_layout_t &l = STREAMS[s];
        const size_t bytes = size_t(g.vertex_count) * l.bytes;
        if (at.buffer) {
            // A stream that would run past its buffer is not read at all.
            if (at.offset + bytes > at.buffer->size) return false;
            attribute_t &a = g.attributes[l.slot];
            a.buffer = buffer_object(at.buffer);
            if (!a.buffer) return false;
            a.offset = size_t(at.offset);
            a.components = l.components;
            a.type = l.type;
            g.present[l.slot] = true;
        } else if (!stream_attribute(g, l.slot, at.address, bytes, l.components, l.type)) {
            return false;
        }
    }
    return g.present[SLOT_POSITION];
}

bool gl_renderer_t::gather_immediate(const r_packet_t &packet, geometry_t &g) {
    const r_geometry_t *geo = static_cast<const r_geometry_t *>(packet.data);
    if (!geo || !geo->positions || geo->vertex_count == 0) return false;
    bool normals = false, texcoords = true;
    int colour = 1;  // 0 none, 1 one a vertex, 2 one for all
    if (packet.type == R_PACKET_QUAD) {
        g.mode = GL_TRIANGLE_FAN;
    } else if (packet.type >= R_PACKET_P && packet.type <= R_PACKET_PNST) {
        const uint32_t kind = (packet.type - R_PACKET_P) % 6;  // P, PT, PC, PCT, PS, PST
        normals = packet.type >= R_PACKET_PN;
        colour = int(kind / 2);
        texcoords = (kind % 2) != 0;
    } else {
        return false;
    }
    const uint32_t n = g.vertex_count = geo->vertex_count;
    if (!stream_attribute(g, SLOT_POSITION, geo->positions, size_t(n) * 12, 3, GL_FLOAT)) return false;
    if (normals && !stream_attribute(g, SLOT_NORMAL, geo->normals, size_t(n) * 12, 3, GL_FLOAT)) return false;
    if (texcoords && !stream_attribute(g, SLOT_TEXCOORD, geo->texcoords, size_t(n) * 8, 2, GL_FLOAT)) return false;
    if (colour == 1 && !stream_attribute(g, SLOT_COLOUR, geo->colours, size_t(n) * 4, 4, GL_UNSIGNED_BYTE)) return false;
    if (colour == 2 && geo->colours) {
        g.has_single_colour = true;
        g.single_colour = geo->colours[0];
    }
    return true;
}

bool gl_renderer_t::gather_indices(const r_packet_t &packet, geometry_t &g) {
    if (packet.type == R_PACKET_INDEX16) {
        const r_geometry_t *geo = static_cast<const r_geometry_t *>(packet.data);
        if (!geo || !geo->indices || geo->index_count == 0) return false;
        // Indices made this frame are checked: one past the vertices would read
        // outside what was uploaded.
        for (uint32_t i = 0; i < geo->index_count; ++i)
            if (geo->indices[i] >= g.vertex_count) return false;
        if (!m_indices.push(geo->indices, size_t(geo->index_count) * 2, 4, &g.index_offset)) return false;
        g.index_buffer = m_indices.name();
        g.index_count = geo->index_count;
        return true;
    }
    if (packet.type != R_PACKET_MODEL_INDEX16) return false;
    const r_stream_source_t *src = static_cast<const r_stream_source_t *>(packet.data);
    if (!src || !src->locate || !src->index_count) return false;
    g.index_count = src->index_count(src);
    r_stream_location_t at;
    if (g.index_count == 0 || !src->locate(src, R_STREAM_INDEX, &at)) return false;
    const size_t bytes = size_t(g.index_count) * 2;
    if (at.buffer) {
        if (at.offset + bytes > at.buffer->size) return false;
        g.index_buffer = buffer_object(at.buffer);
        g.index_offset = size_t(at.offset);
        return g.index_buffer != 0;
    }
    if (!at.address) return false;
    const uint16_t *indices = static_cast<const uint16_t *>(at.address);
    for (uint32_t i = 0; i < g.index_count; ++i)
        if (indices[i] >= g.vertex_count) return false;
    if (!m_indices.push(at.address, bytes, 4, &g.index_offset)) return false;
    g.index_buffer = m_indices.name();
    return true;
}

bool gl_renderer_t::gather(const r_proto_t &proto, geometry_t &g) {
    const r_packet_t *packet = proto.packets[0];
    if (!packet || !packet->data) return false;
    const bool ok = r_packet_is_stream_source(packet->type) ? gather_streams(*packet, g) : gather_immediate(*packet, g);
    if (!ok) return false;
    if (proto.index_packet) return gather_indices(*proto.index_packet, g);
    return true;
}

void gl_renderer_t::bind_geometry(const geometry_t &g) {
    for (uint32_t slot : SLOTS_USED) {
        if (g.present[slot]) {
            const attribute_t &a = g.attributes[slot];
            m_state.bind_array_buffer(a.buffer);
            glVertexAttribPointer(slot, a.components, a.type, a.type == GL_UNSIGNED_BYTE ? GL_TRUE : GL_FALSE,
                                  a.stride, reinterpret_cast<const void *>(a.offset));
            m_state.attribute_array(slot, true);
            continue;
        }
        m_state.attribute_array(slot, false);
        switch (slot) {
        case SLOT_COLOUR:
            if (g.has_single_colour) {
                const uint32_t c = g.single_colour;
                glVertexAttrib4Nub(slot, GLubyte(c), GLubyte(c >> 8), GLubyte(c >> 16), GLubyte(c >> 24));
            } else {
                glVertexAttrib4f(slot, 1.0f, 1.0f, 1.0f, 1.0f);
            }
            break;
        case SLOT_FURTHER: glVertexAttrib4f(slot, 1.0f, 1.0f, 1.0f, 0.0f); break;
        case SLOT_NORMAL: glVertexAttrib4f(slot, 0.0f, 0.0f, 1.0f, 0.0f); break;
        case SLOT_TANGENT: glVertexAttrib4f(slot, 1.0f, 0.0f, 0.0f, 1.0f); break;
        default: glVertexAttrib4f(slot, 0.0f, 0.0f, 0.0f, 1.0f); break;
        }
    }
    m_state.bind_element_buffer(g.index_buffer);
}

void gl_renderer_t::upload_uniforms(const r_draw_t &d, const gl_pass_program_t &pass, const gl_program_t &program,
                                    const gl_fixed_state_t &f) {
    for (uint32_t i = 0; i < d.input_count; ++i) {
        const GLint location = pass.locations[i];
        const r_input_value_t &in = d.inputs[i];
        if (location < 0 || !in.value) continue;
        const float *v = in.value;
        switch (pass.types[i]) {
        case GL_FLOAT_MAT4:
            if (in.value_count == 16) glUniformMatrix4fv(location, 1, GL_TRUE, v);
            break;
        case GL_FLOAT_VEC4: {
            const float padded[4] = {v[0], in.value_count > 1 ? v[1] : 0.0f, in.value_count > 2 ? v[2] : 0.0f,
                                     in.value_count > 3 ? v[3] : 0.0f};
            glUniform4fv(location, 1, padded);
            break;
        }
        case GL_FLOAT_VEC3:
            if (in.value_count >= 3) glUniform3fv(location, 1, v);
            break;
        case GL_FLOAT_VEC2:
            if (in.value_count >= 2) glUniform2fv(location, 1, v);
            break;
        case GL_FLOAT: glUniform1f(location, v[0]); break;
        default: break;
        }
    }
    const GLint *u = program.ffp;
    if (u[FFP_LIGHTING] >= 0) glUniform1i(u[FFP_LIGHTING], f.lighting ? 1 : 0);
    if (u[FFP_LIGHT_AMBIENT] >= 0) glUniform4fv(u[FFP_LIGHT_AMBIENT], 1, &f.light_ambient.x);
    if (u[FFP_LIGHT_DIFFUSE] >= 0) glUniform4fv(u[FFP_LIGHT_DIFFUSE], 1, &f.light_diffuse.x);
    if (u[FFP_LIGHT_SPECULAR] >= 0) glUniform4fv(u[FFP_LIGHT_SPECULAR], 1, &f.light_specular.x);
    if (u[FFP_LIGHT_DIRECTION] >= 0) glUniform4fv(u[FFP_LIGHT_DIRECTION], 1, &f.light_direction.x);
    if (u[FFP_FOG] >= 0) glUniform1i(u[FFP_FOG], f.fog);
    if (u[FFP_FOG_COLOR] >= 0) glUniform4fv(u[FFP_FOG_COLOR], 1, &f.fog_colour.x);
    if (u[FFP_TEXTURE_STAGES] >= 0) glUniform1i(u[FFP_TEXTURE_STAGES], f.texture_stages);
    if (u[FFP_TEXTURE_CONSTANT] >= 0) glUniform4fv(u[FFP_TEXTURE_CONSTANT], 1, &f.texture_constant.x);
    if (u[FFP_TEXTURE_MODE] >= 0) glUniform1i(u[FFP_TEXTURE_MODE], f.texture_mode);
}

void gl_renderer_t::draw(const r_draw_t &d, const gl_fixed_state_t &fixed, const gl_render_override_t &ov) {
    flush_ui();
    if (!d.pass || !d.proto) return;
    const gl_pass_program_t *pass = m_programs.for_pass(*d.pass, r_effect_get_path());
    if (!pass || pass->locations.get_count() != d.input_count) return;
    if (!select_view()) return;
    geometry_t g;
    if (!gather(*d.proto, g)) return;

    gl_render_state_t s = pass->state;
    if (ov.set & gl_render_override_t::BLEND) s.blend = ov.state.blend;
    if (ov.set & gl_render_override_t::DEPTH_TEST) s.depth_test = ov.state.depth_test;
    if (ov.set & gl_render_override_t::DEPTH_WRITE) s.depth_write = ov.state.depth_write;
    if (ov.set & gl_render_override_t::CULL) s.cull = ov.state.cull;
    if (ov.set & gl_render_override_t::DEPTH_BIAS) s.depth_bias = ov.state.depth_bias;
    if (s.depth_test || s.depth_write) depth_layer(*d.proto);
    m_state.apply(s);

    const gl_program_t &program = m_programs.program(pass->program);
    m_state.use_program(program.id);
    upload_uniforms(d, *pass, program, fixed);
    const effect_pass_u &p = *d.pass;
    for (uint32_t i = 0; i < d.input_count; ++i) {
        const int32_t unit = pass->units[i];
        if (unit < 0) continue;
        m_state.bind_texture(uint32_t(unit), m_textures.get(d.inputs[i].texture, p.get_binding(i).name.c_str()));
        m_state.bind_sampler(uint32_t(unit), 0);
    }
    bind_geometry(g);
    if (g.index_count) {
        glDrawElements(g.mode, GLsizei(g.index_count), GL_UNSIGNED_SHORT, reinterpret_cast<const void *>(g.index_offset));
        m_drawn_vertices += g.index_count;
    } else {
        glDrawArrays(g.mode, 0, GLsizei(g.vertex_count));
        m_drawn_vertices += g.vertex_count;
    }
    ++m_draws;
}

}  // namespace quarn::gl

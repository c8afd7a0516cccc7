#include "outside/gl/gl_state.h"

#include <cstring>

namespace quarn::gl {

void gl_state_t::reset(GLuint vertex_array) {
    m_program = 0;
    memset(m_textures, 0, sizeof m_textures);
    memset(m_samplers, 0, sizeof m_samplers);
    m_active_unit = 0;
    m_array_buffer = m_element_buffer = 0;
    memset(m_attributes, 0, sizeof m_attributes);
    memset(m_viewport, 0, sizeof m_viewport);
    m_scissor = false;
    memset(m_scissor_box, 0, sizeof m_scissor_box);
    program_changes = texture_binds = 0;

    glBindVertexArray(vertex_array);
    glActiveTexture(GL_TEXTURE0);
    // Equal depths pass: a layer drawn over the same ground (the terrain's multi
    // passes) must show.
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_SCISSOR_TEST);
    // What OpenGL starts with, as the cache says it.
    m_render = gl_render_state_t();
    m_render.depth_test = false;
    m_render.depth_write = true;
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(0.0f, 0.0f);
}

void gl_state_t::use_program(GLuint program) {
    if (program == m_program) return;
    glUseProgram(program);
    m_program = program;
    ++program_changes;
}

void gl_state_t::bind_texture(uint32_t unit, GLuint texture) {
    if (unit >= GL_STATE_UNITS || m_textures[unit] == texture) return;
    if (m_active_unit != unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        m_active_unit = unit;
    }
    glBindTexture(GL_TEXTURE_2D, texture);
    m_textures[unit] = texture;
    ++texture_binds;
}

void gl_state_t::bind_sampler(uint32_t unit, GLuint sampler) {
    if (unit >= GL_STATE_UNITS || m_samplers[unit] == sampler) return;
    glBindSampler(unit, sampler);
    m_samplers[unit] = sampler;
}

void gl_state_t::bind_array_buffer(GLuint buffer) {
    if (buffer == m_array_buffer) return;
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    m_array_buffer = buffer;
}

void gl_state_t::bind_element_buffer(GLuint buffer) {
    if (buffer == m_element_buffer) return;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer);
    m_element_buffer = buffer;
}

void gl_state_t::attribute_array(uint32_t slot, bool on) {
    if (slot >= GL_STATE_ATTRIBUTES || m_attributes[slot] == on) return;
    if (on) glEnableVertexAttribArray(slot);
    else glDisableVertexAttribArray(slot);
    m_attributes[slot] = on;
}

void gl_state_t::apply(const gl_render_state_t &s) {
    if (s.blend != m_render.blend) {
        if (s.blend == BLEND_NONE) {
            glDisable(GL_BLEND);
        } else {
            if (m_render.blend == BLEND_NONE) glEnable(GL_BLEND);
            switch (s.blend) {
            case BLEND_ALPHA: glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA); break;
            case BLEND_ADD: glBlendFunc(GL_SRC_ALPHA, GL_ONE); break;
            case BLEND_MULTIPLY: glBlendFunc(GL_DST_COLOR, GL_ZERO); break;
            case BLEND_NONE: break;
            }
        }
        m_render.blend = s.blend;
    }
    if (s.depth_test != m_render.depth_test) {
        if (s.depth_test) glEnable(GL_DEPTH_TEST);
        else glDisable(GL_DEPTH_TEST);
        m_render.depth_test = s.depth_test;
    }
    if (s.depth_write != m_render.depth_write) {
        glDepthMask(s.depth_write ? GL_TRUE : GL_FALSE);
        m_render.depth_write = s.depth_write;
    }
    if (s.cull != m_render.cull) {
        if (s.cull == CULL_NONE) {
            glDisable(GL_CULL_FACE);
        } else {
            if (m_render.cull == CULL_NONE) glEnable(GL_CULL_FACE);
            glCullFace(s.cull == CULL_BACK ? GL_BACK : GL_FRONT);
        }
        m_render.cull = s.cull;
    }
    if (s.depth_bias != m_render.depth_bias) {
        if (s.depth_bias == 0.0f) {
            glDisable(GL_POLYGON_OFFSET_FILL);
        } else {
            if (m_render.depth_bias == 0.0f) glEnable(GL_POLYGON_OFFSET_FILL);
            glPolygonOffset(s.depth_bias, s.depth_bias);
        }
        m_render.depth_bias = s.depth_bias;
    }
}

void gl_state_t::viewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    if (m_viewport[0] == x && m_viewport[1] == y && m_viewport[2] == width && m_viewport[3] == height) return;
    glViewport(x, y, width, height);
    m_viewport[0] = x;
    m_viewport[1] = y;
    m_viewport[2] = width;
    m_viewport[3] = height;
}

void gl_state_t::scissor(bool on, GLint x, GLint y, GLsizei width, GLsizei height) {
    if (on != m_scissor) {
        if (on) glEnable(GL_SCISSOR_TEST);
        else glDisable(GL_SCISSOR_TEST);
        m_scissor = on;
    }
    if (!on) return;
    if (m_scissor_box[0] == x && m_scissor_box[1] == y && m_scissor_box[2] == width && m_scissor_box[3] == height)
        return;
    glScissor(x, y, width, height);
    m_scissor_box[0] = x;
    m_scissor_box[1] = y;
    m_scissor_box[2] = width;
    m_scissor_box[3] = height;
}

void gl_state_t::depth_write_for_clear() {
    if (m_render.depth_write) return;
    glDepthMask(GL_TRUE);
    m_render.depth_write = true;
}

}  // namespace quarn::gl

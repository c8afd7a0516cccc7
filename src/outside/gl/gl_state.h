#pragma once
// The OpenGL state the renderer sets, kept on our side so that a draw changes only
// what differs from the draw before it: the program, the textures and samplers of
// each unit, the vertex array and buffers, the enabled attribute arrays, blending,
// the depth test and writes, culling, the depth bias, the viewport and the scissor.
// It counts the program changes and texture binds it makes (r_stats_t).
#include <cstdint>

#include "outside/gl/gl_api.h"

namespace quarn::gl {

enum gl_blend_t : uint8_t {
    BLEND_NONE = 0,
    BLEND_ALPHA,     // source alpha over what is there
    BLEND_ADD,       // source alpha added
    BLEND_MULTIPLY,  // what is there times the source
};

enum gl_cull_t : uint8_t {
    CULL_NONE = 0,
    CULL_BACK,
    CULL_FRONT,
};

// The render state of one draw.
struct gl_render_state_t {
    gl_blend_t blend = BLEND_NONE;
    bool depth_test = true;
    bool depth_write = true;
    gl_cull_t cull = CULL_NONE;
    float depth_bias = 0.0f;  // polygon offset units; negative pulls toward the eye
};

constexpr uint32_t GL_STATE_UNITS = 16;
constexpr uint32_t GL_STATE_ATTRIBUTES = 16;

class gl_state_t {
public:
    // Takes OpenGL's state after a context was made, and sets what the renderer keeps
    // for good (the depth function, the vertex array).
    void reset(GLuint vertex_array);

    void use_program(GLuint program);
    void bind_texture(uint32_t unit, GLuint texture);
    void bind_sampler(uint32_t unit, GLuint sampler);
    void bind_array_buffer(GLuint buffer);
    void bind_element_buffer(GLuint buffer);
    // Switches the attribute array of a slot on or off.
    void attribute_array(uint32_t slot, bool on);
    void apply(const gl_render_state_t &state);
    void viewport(GLint x, GLint y, GLsizei width, GLsizei height);
    // Scissoring on (to the rectangle) or off.
    void scissor(bool on, GLint x = 0, GLint y = 0, GLsizei width = 0, GLsizei height = 0);
    // Depth writes on, for a clear of the depth (glClear honours the write mask).
    void depth_write_for_clear();

    uint32_t program_changes = 0;
    uint32_t texture_binds = 0;

private:
    GLuint m_program = 0;
    GLuint m_textures[GL_STATE_UNITS] = {};
    GLuint m_samplers[GL_STATE_UNITS] = {};
    uint32_t m_active_unit = 0;
    GLuint m_array_buffer = 0;
    GLuint m_element_buffer = 0;
    bool m_attributes[GL_STATE_ATTRIBUTES] = {};
    gl_render_state_t m_render;
    GLint m_viewport[4] = {};
    bool m_scissor = false;
    GLint m_scissor_box[4] = {};
};

}  // namespace quarn::gl

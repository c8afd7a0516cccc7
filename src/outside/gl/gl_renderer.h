#pragma once
// The drawing of "lib/gl": prototypes through the programs of their passes, the UI's
// glyph runs and images, debug lines and clears, into whatever frame buffer the
// device's target binds (a window's or an off-screen one: the same drawing either
// way). One renderer lives with each OpenGL context; every object it made (programs,
// textures, buffer objects, the vertex array) goes with it.
//
// Each draw:
// - the view (gfx_view_get) is the viewport, counted from the target's top;
// - the program of the pass (gl_programs.h); a pass without one is not drawn;
// - the render state: the pass's defaults, then the material's render state as the
//   pass applied it (r_context_t::apply_render_state: "blend" none/alpha/add/multiply,
//   "depth_write" and "depth_test" on/off, "depth_bias" in depth units, "cull"
//   none/back/front);
// - depth layers: a camera whose projection maps depth otherwise than the one the
//   depth buffer was drawn with since the last clear (the sky's, the scene's, the held
//   weapon's) starts from a cleared depth buffer in the view, so that each camera's
//   geometry is tested only against its own and is drawn over what came before;
// - every bound uniform from its resolved value, the fixed-function state as the
//   passes set it (ffp.glsl), the textures of the bound samplers (gl_textures.h);
// - the geometry: render buffers as buffer objects, everything else through the
//   stream buffers; positions at slot 0, normals 2, colours 3, the further colour 4,
//   texture coordinates 8, tangents 11; one colour for all vertices, and streams a
//   packet lacks, as constant attributes (white colours, no further weight).
#include <cstdint>

#include "outside/gl/gl_buffers.h"
#include "outside/gl/gl_programs.h"
#include "outside/gl/gl_state.h"
#include "outside/gl/gl_textures.h"
#include "outside/gl/glyph_atlas.h"
#include "outside/visbase/render.h"
#include "qrncore/math/vec.h"

namespace quarn {
class r_packet_t;
struct r_ui_record_t;
}

namespace quarn::gl {

// The fixed-function state the passes of paths 1, 3 and 6 set on the context; it
// stays from draw to draw as they left it.
struct gl_fixed_state_t {
    bool lighting = false;
    vec4_t light_ambient{0, 0, 0, 0};
    vec4_t light_diffuse{1, 1, 1, 0};
    vec4_t light_specular{0, 0, 0, 0};
    vec4_t light_direction{0, 0, 1, 0};  // toward the light
    int32_t fog = 0;                     // the fog mode; 0 off
    vec4_t fog_colour{0, 0, 0, 0};
    int32_t texture_stages = 0;
    vec4_t texture_constant{1, 1, 1, 1};
    int32_t texture_mode = 0;
};

// The material's render state of one draw: which fields it set, and their values.
struct gl_render_override_t {
    enum field_t : uint32_t { BLEND = 0x1, DEPTH_TEST = 0x2, DEPTH_WRITE = 0x4, CULL = 0x8, DEPTH_BIAS = 0x10 };
    uint32_t set = 0;
    gl_render_state_t state;

    // Takes one key and value of the material's render state; false for a key or a
    // value it does not know.
    bool apply(const char *key, const char *value);
    void clear() { set = 0; }
};

// What the renderer draws into: its size and its frame buffer.
class gl_frame_t {
public:
    virtual ~gl_frame_t() = default;
    virtual void frame_size(int32_t *width, int32_t *height) const = 0;
    virtual void bind_frame() = 0;
};

class gl_renderer_t {
public:
    // Makes the renderer's objects in the current context; false when OpenGL gives
    // none of them.
    bool init(gl_frame_t *frame, uint32_t generation);
    void release();
    uint32_t generation() const { return m_generation; }

    // A frame begins: the frame buffer bound, the texture settings taken.
    void begin_frame(int32_t texture_detail, float anisotropy);
    void end_frame();

    void clear(const r_view_t &view, uint32_t colour);
    void draw(const r_draw_t &draw, const gl_fixed_state_t &fixed, const gl_render_override_t &override);
    void draw_ui(const r_ui_record_t &record);
    void line_strip(const float *points, uint32_t count, uint32_t colour, const float *matrix);

    // Draws what waits of the UI (its records are drawn in batches of one texture).
    void flush() { flush_ui(); }

    // The buffer object of a render buffer, made when it has none.
    GLuint buffer_object(r_buffer_t *buffer) { return gl_buffer_object(buffer, m_generation); }
    void release_buffer(r_buffer_t *buffer) { gl_buffer_release(buffer, m_generation); }

    r_stats_t get_stats() const;
    void reset_stats();

private:
    struct attribute_t {
        GLuint buffer = 0;
        size_t offset = 0;
        GLint components = 0;
        GLenum type = GL_FLOAT;
        GLsizei stride = 0;
    };
    struct geometry_t {
        attribute_t attributes[GL_STATE_ATTRIBUTES];
        bool present[GL_STATE_ATTRIBUTES] = {};
        uint32_t single_colour = 0;
        bool has_single_colour = false;
        uint32_t vertex_count = 0;
        GLuint index_buffer = 0;
        size_t index_offset = 0;
        uint32_t index_count = 0;
        GLenum mode = GL_TRIANGLES;
    };

    // The viewport of the current view; false for a view of no pixels.
    bool select_view();
    bool gather(const r_proto_t &proto, geometry_t &g);
    bool gather_streams(const r_packet_t &packet, geometry_t &g);
    bool gather_immediate(const r_packet_t &packet, geometry_t &g);
    bool gather_indices(const r_packet_t &packet, geometry_t &g);
    bool stream_attribute(geometry_t &g, uint32_t slot, const void *data, size_t bytes, GLint components, GLenum type);
    void bind_geometry(const geometry_t &g);
    // Starts a new depth layer when the draw's camera maps depth otherwise.
    void depth_layer(const r_proto_t &proto);
    void upload_uniforms(const r_draw_t &draw, const gl_pass_program_t &pass, const gl_program_t &program,
                         const gl_fixed_state_t &fixed);
    // The UI's vertices: a rectangle in reference units, with texture coordinates and
    // a colour, appended to the batch.
    void ui_quad(float left, float bottom, float right, float top, const float uv[4], uint32_t colour);
    // Starts the batch of a record's texture in the current view: the batch of
    // another texture or view is drawn first.
    void ui_batch(GLuint texture);
    void flush_ui();

    gl_frame_t *m_frame = nullptr;
    uint32_t m_generation = 0;
    GLuint m_vertex_array = 0;
    gl_state_t m_state;
    gl_programs_t m_programs;
    gl_textures_t m_textures;
    gl_stream_t m_vertices;
    gl_stream_t m_indices;
    r_view_t m_view;
    int32_t m_frame_height = 0;
    // The depth layer: the depth row of the projection the depth buffer holds, and
    // whether anything was drawn into it since the last clear.
    float m_layer_key[2] = {0.0f, 0.0f};
    bool m_layer_used = false;
    struct ui_vertex_t {
        float position[3];
        float uv[2];
        uint32_t colour;
    };
    array_dyn_t<ui_vertex_t> m_ui_batch;
    GLuint m_ui_texture = 0;
    r_view_t m_ui_view;
    // The glyph atlas of each font a glyph run named, set up on its first run.
    struct glyph_font_t {
        mstring_dyn_t path;
        glyph_atlas_t atlas;
        GLuint texture = 0;  // 0: the font draws with the default font's atlas
    };
    array_dyn_t<glyph_font_t> m_fonts;
    // The atlas and texture a run of that font draws with; false when none can.
    bool glyph_font(const char *path, const glyph_atlas_t **atlas, GLuint *texture);
    uint32_t m_draws = 0;
    uint32_t m_drawn_vertices = 0;
    uint32_t m_program_base = 0;
    uint32_t m_bind_base = 0;
};

}  // namespace quarn::gl

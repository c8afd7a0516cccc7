#pragma once
// The device "gl" of the renderer plug-in, its drawables and their contexts.
//
// The device opens its OpenGL context at the first mode it is asked for (on the
// game's window when the window takes one, else off-screen, gl_target.h) and keeps it,
// with every object made in it, across later modes, freezes and thaws; only another
// window (or a window where there was none) makes it open a new one, and then every
// render buffer is made again through its fill callback the first time it is drawn.
// Without any OpenGL it says so once and goes on recording: draws are noted in the
// context's draw log and nothing is drawn.
//
// A context notes every call in its draw log as the base does, and keeps for its
// draws what the passes set on it (the fixed-function state, the material's render
// state) to hand to the renderer with each prototype.
#include <cstdint>

#include "outside/gl/gl_renderer.h"
#include "outside/gl/gl_target.h"
#include "outside/visbase/render.h"
#include "qrncore/collections/arrays/array_dyn.h"

namespace quarn::gl {

class gl_device_t;

// The kernel's functions the device asks, bound by name (null when missing).
struct gl_kernel_t {
    int (*texture_detail)() = nullptr;
    float (*anisotropy_factor)() = nullptr;
};
extern gl_kernel_t gl_kernel;

class gl_context_t : public r_context_t {
public:
    explicit gl_context_t(gl_device_t *owner);

    void get_size(int32_t *width, int32_t *height) override;
    void line_strip(const float *points, uint32_t count, uint32_t colour, const float *matrix) override;
    void clear(const r_view_t &view, uint32_t colour) override;
    void draw(const r_draw_t &draw) override;
    void draw_ui(int32_t queue, const r_ui_record_t &record) override;
    void begin_frame() override;
    void end_frame() override;
    void fog_off() override;
    void set_fog(int32_t mode, const vec4_t &colour) override;
    void set_light(uint32_t index, const vec4_t &ambient, const vec4_t &diffuse, const vec4_t &specular,
                   const vec4_t &direction) override;
    void set_lighting(bool on) override;
    void set_texture_stage(uint32_t stage, const char *operation) override;
    void set_texture_constant(const vec4_t &colour) override;
    void set_texture_mode(int32_t mode) override;
    void apply_render_state(const char *key, const char *value) override;
    void reset_texture_stages(uint32_t first) override;
    void reset_stats() override;
    r_stats_t get_stats() const override;

private:
    gl_renderer_t *renderer() const;

    gl_device_t *m_owner;
    gl_fixed_state_t m_fixed;
    gl_render_override_t m_override;
};

class gl_drawable_t : public r_drawable_t {
public:
    explicit gl_drawable_t(gl_device_t *owner);
    bool get_size(int32_t *width, int32_t *height) override;
    bool begin_update(int32_t) override { return true; }
    bool surface_begin_update(int32_t) override { return true; }

    static void *operator new(size_t bytes) noexcept;
    static void operator delete(void *memory);

    gl_context_t gl_context;
};

class gl_device_t : public r_device_t {
public:
    gl_device_t() : r_device_t("gl") {}
    ~gl_device_t() override;

    bool detect() override { return true; }
    bool create_and_init() override;
    void shutdown() override;
    uint32_t mode_count() override;
    bool mode_get(uint32_t index, r_mode_t *out) override;
    bool mode_init(const r_mode_t *mode, void *window, uint32_t flags) override;
    void mode_shutdown() override;
    int swap(r_context_t *context) override;
    bool read_pixels(void *buffer, const r_rect_t &rect) override;
    bool create_buffer(r_buffer_t *buffer) override;
    void release_buffer(r_buffer_t *buffer) override;
    int choose_pixel_format(int32_t, int32_t) override { return 1; }
    r_fbuffer_t *create_fbuffer(int32_t, int32_t) override;
    void destroy_fbuffer(r_fbuffer_t *fbuffer) override;
    r_drawable_t *create_drawable(void *window, int32_t flags) override;
    void destroy_drawable(r_drawable_t *drawable) override;
    void begin_frame() override;
    void end_frame() override;
    bool hw_load(c_item_t *item) override;
    void hw_free(c_item_t *item) override;

    // The renderer while an OpenGL context is open (and current), else null.
    gl_renderer_t *renderer() { return m_live ? &m_renderer : nullptr; }
    // The size frames are drawn at: the window's, or the mode's.
    void frame_size(int32_t *width, int32_t *height) const;

    r_mode_t current;
    uint64_t frames = 0;

private:
    // Opens the context the window (or none) calls for, unless the open one serves.
    void open_gl(void *window);
    void close_gl();

    gl_target_t m_target;
    gl_renderer_t m_renderer;
    bool m_live = false;
    // The window the context was last opened for (it may have fallen back to
    // off-screen): the same window again keeps what is open.
    void *m_opened_for = nullptr;
    bool m_opened = false;
    bool m_no_gl_told = false;
    array_dyn_t<gl_drawable_t *> m_drawables;
};

}  // namespace quarn::gl

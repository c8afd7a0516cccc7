#pragma once
// The renderer classes of the graphics layer: a driver offers devices; a device (a
// hardware device of class 1) opens display modes, swaps frames, reads pixels, holds
// the kernel's render buffers and makes frame buffers and drawables; a context is what
// a frame is drawn through. A renderer plug-in derives its own from these; the bases
// refuse every operation (false, null, nothing), so a renderer says only what it does.
#include <cstddef>
#include <cstdint>

#include "outside/qrnshared/hw_device.h"
#include "outside/visbase/api.h"
#include "outside/visbase/draw_log.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/math/vec.h"

namespace quarn {

class c_item_t;
class effect_pass_u;
class r_context_t;
class r_device_t;

// A display mode: the five words of a mode record.
struct r_mode_t {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bits = 0;     // bits per pixel
    int32_t refresh = 0;  // Hz; 0 for the display's default
    int32_t flags = 0;
};

struct r_rect_t {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// A captured image: width x height pixels, rows one after another, the top row
// first.
struct r_image_t {
    static constexpr uint32_t FORMAT_RGB = 1;  // 3 bytes a pixel: red, green, blue

    uint16_t width = 0;
    uint16_t height = 0;
    uint32_t format = 0;
    uint8_t *pixels = nullptr;
};

struct r_buffer_t;

// Writes a buffer's content (size bytes) into memory the device holds for it.
using r_buffer_fill_t = void (*)(r_buffer_t *buffer, void *memory);

// A render buffer of the kernel's list. The kernel keeps the links, the kind and the
// size; the device that holds the buffer keeps what it needs in the three words. A
// buffer whose content its owner keeps elsewhere (a model's vertex block) has a fill
// callback: the device calls it whenever it makes memory for the buffer (at creation
// and when the rendering device changes), so the content comes back after a device
// lost it.
struct r_buffer_t {
    r_buffer_t *prev = nullptr;
    r_buffer_t *next = nullptr;
    void *device_words[3] = {nullptr, nullptr, nullptr};
    int32_t kind = 0;
    uint32_t size = 0;
    uintptr_t extra = 0;
    r_buffer_fill_t fill = nullptr;
    void *owner = nullptr;  // whatever the fill callback needs
};

class VISBASE_API r_fbuffer_t {
public:
    explicit r_fbuffer_t(r_device_t *owner) : device(owner) {}
    virtual ~r_fbuffer_t();

    r_device_t *device;
};

// Something drawn into: a window's surface or an off-screen target.
class VISBASE_API r_drawable_t {
public:
    explicit r_drawable_t(r_device_t *owner) : device(owner) {}
    virtual ~r_drawable_t();

    // Size in pixels; false when unknown.
    virtual bool get_size(int32_t *width, int32_t *height);
    virtual bool begin_update(int32_t flags);
    virtual void end_update();
    virtual bool surface_begin_update(int32_t flags);
    virtual void surface_end_update();
    // A copy of what the drawable shows, into out (pixels from the system heap of the
    // caller's choice through alloc); false when it has none.
    virtual bool get_image(r_image_t *out, void *(*alloc)(size_t bytes));

    r_device_t *device;
    r_context_t *context = nullptr;
};

// The view of the frame being drawn: its rectangle and depth range.
struct r_view_t {
    float x = 0.0f;
    float y = 0.0f;
    float width = 640.0f;
    float height = 480.0f;
    float near_z = -1.0f;
    float far_z = 1.0f;
};

// What a renderer counts while it draws, from its last reset_stats.
struct r_stats_t {
    uint32_t draws = 0;            // draw calls made (prototypes, UI records, lines)
    uint32_t vertices = 0;         // vertices drawn
    uint32_t program_changes = 0;  // times another program was bound
    uint32_t texture_binds = 0;    // textures bound to a unit that held another
};

class VISBASE_API r_context_base_t {
public:
    virtual ~r_context_base_t();
    // Clears the frame statistics.
    virtual void reset_stats();
    // The statistics since the last reset; a renderer that keeps none gives zeros.
    virtual r_stats_t get_stats() const;
};

class material_t;
struct r_proto_t;
struct r_ui_record_t;

// The value of one bound input of a draw, as gfx_queue_render resolved it: uniforms
// point at value_count floats (in the packet or the pass, or the source's stand-in
// when absent); samplers name the texture the material gives them (null: none).
// Attributes carry nothing: their slot is the binding's.
struct r_input_value_t {
    const float *value = nullptr;
    uint32_t value_count = 0;
    bool absent = false;
    const char *texture = nullptr;
};

// One prototype to draw: its queue, the prototype with its packets, the material and
// the pass it is drawn through, and one resolved value per binding of the pass, in
// binding order. Valid only during r_context_t::draw.
struct r_draw_t {
    int32_t queue = -1;
    r_proto_t *proto = nullptr;
    const material_t *material = nullptr;
    effect_pass_u *pass = nullptr;
    const r_input_value_t *inputs = nullptr;
    uint32_t input_count = 0;
};

class VISBASE_API r_context_t : public r_context_base_t {
public:
    explicit r_context_t(r_device_t *owner) : device(owner) {}

    // The size of the area drawn, in pixels.
    virtual void get_size(int32_t *width, int32_t *height);
    // Draws a strip of count points (three floats each) in the colour, transformed by
    // matrix (null: as they are). The base draws nothing.
    virtual void line_strip(const float *points, uint32_t count, uint32_t colour, const float *matrix);
    // Fills the view's rectangle with the colour (32 bits, red in the lowest byte) and
    // resets its depth. Noted as "clear X Y W H AABBGGRR".
    virtual void clear(const r_view_t &view, uint32_t colour);
    // Draws a prototype (gfx_queue_render calls it once the pass has set its state and
    // every input is resolved) / a 2D record of the UI's text layer, in the current
    // view. The base draws nothing; a renderer draws from the values given, never from
    // the draw log's texts.
    virtual void draw(const r_draw_t &draw);
    virtual void draw_ui(int32_t queue, const r_ui_record_t &record);
    // Room for count resolved inputs, kept by the context from draw to draw; null
    // without memory.
    r_input_value_t *input_values(uint32_t count);

    r_device_t *device;
    // Offset of a texel's centre in screen space (0 or 0.5).
    float texel_offset = 0.0f;
    // The render paths this context can take.
    array_dyn_t<int32_t> paths;

    // ---- frames and the draw log (draw_log.h) ----
    // A frame begins: the draw log is emptied.
    virtual void begin_frame();
    // The frame ends: the renderer takes the texels of the texture objects that
    // changed (r_texobj_take_changes).
    virtual void end_frame();
    const r_draw_log_t &get_draw_log() const { return m_draw_log; }
    // This context keeps its draw log (off at first); it also does while the layer's
    // switch is on (r_draw_log_request).
    void set_draw_log(bool on) { m_draw_log_on = on; }
    bool is_logging() const { return m_draw_log_on || r_draw_log_requested(); }
    // The log's copy of a name for a record (r_draw_log_t::intern).
    r_draw_name_t intern(const char *text) { return m_draw_log.intern(text); }

    // ---- fixed-function state, set by passes while a prototype is drawn ----
    // The base notes each call as a state line ("fog off") in the record of the
    // prototype being drawn, or outside a draw as a record of its own; a renderer
    // that overrides them keeps the values for its draws and calls the base.
    virtual void fog_off();
    virtual void set_fog(int32_t mode, const vec4_t &colour);
    virtual void set_light(uint32_t index, const vec4_t &ambient, const vec4_t &diffuse, const vec4_t &specular,
                           const vec4_t &direction);
    virtual void set_lighting(bool on);
    virtual void set_texture_stage(uint32_t stage, const char *operation);
    virtual void set_texture_constant(const vec4_t &colour);
    virtual void set_texture_mode(int32_t mode);
    virtual void apply_render_state(const char *key, const char *value);
    // The resets after the queues are drawn: no pass bound (null), and the texture
    // stages from first on disabled.
    virtual void set_pass(effect_pass_u *pass);
    virtual void reset_texture_stages(uint32_t first);

    // gfx_queue_render opens the record of the prototype it draws, fills it, and
    // closes it; null when the log is not kept, or without memory.
    r_draw_record_t *open_draw();
    void close_draw() { m_drawing = false; }
    // A record of another kind (the UI's) at the end of the log; null when the log is
    // not kept, or without memory.
    r_draw_record_t *add_record(r_draw_record_t::kind_t kind) { return is_logging() ? m_draw_log.add(kind) : nullptr; }

private:
    // The state line of the draw being recorded, or a call record of its own; null
    // when the log is not kept.
    r_draw_state_t *note(r_draw_state_t::op_t op);

    r_draw_log_t m_draw_log;
    bool m_draw_log_on = false;
    bool m_drawing = false;
    array_dyn_t<r_input_value_t> m_input_values;
};

class VISBASE_API r_device_t : public hw_device_t {
public:
    explicit r_device_t(const char *device_name) : hw_device_t(GRAPHICS, device_name) {}

    // The operations the kernel's front-end calls, in the order of the device's table
    // (shutting down is hw_device_t::shutdown).
    virtual bool create_and_init();
    virtual uint32_t mode_count();
    virtual bool mode_get(uint32_t index, r_mode_t *out);
    virtual bool mode_init(const r_mode_t *mode, void *window, uint32_t flags);
    virtual void mode_shutdown();
    // Shows the context's frame; the result is the renderer's.
    virtual int swap(r_context_t *context);
    // rect.width x rect.height pixels of 3 bytes (red, green, blue), bottom-up rows
    // as the frame buffer holds them, into buffer. False when it cannot.
    virtual bool read_pixels(void *buffer, const r_rect_t &rect);
    virtual bool create_buffer(r_buffer_t *buffer);
    virtual void release_buffer(r_buffer_t *buffer);
    virtual void begin_frame();
    virtual void end_frame();
    virtual void set_gamma(float gamma);
    virtual int choose_pixel_format(int32_t depth_bits, int32_t stencil_bits);
    virtual r_fbuffer_t *create_fbuffer(int32_t width, int32_t height);
    virtual void destroy_fbuffer(r_fbuffer_t *fbuffer);
    virtual r_drawable_t *create_drawable(void *window, int32_t flags);
    virtual void destroy_drawable(r_drawable_t *drawable);
    // Uploads / drops the hardware copy of a resource item.
    virtual bool hw_load(c_item_t *item);
    virtual void hw_free(c_item_t *item);
};

class VISBASE_API r_driver_t {
public:
    explicit r_driver_t(const char *driver_name) : name(driver_name) {}
    virtual ~r_driver_t();
    r_driver_t(const r_driver_t &) = delete;
    r_driver_t &operator=(const r_driver_t &) = delete;

    // Prepares the driver when the front-end brings the devices up.
    virtual bool init();
    virtual uint32_t device_count();
    // The device at index, or null.
    virtual r_device_t *device_get(uint32_t index);

    const char *name;
};

// The current view; set by the renderer, or by the owner of the frame, who pushes
// the view it draws in so that what it draws reads the rectangle there.
VISBASE_API const r_view_t &gfx_view_get();
VISBASE_API void gfx_view_set(const r_view_t &view);
// Saves the current view and makes view current; gfx_view_pop gives the saved one
// back. At most GFX_VIEW_STACK_DEPTH views are saved: a push beyond it, and a pop with
// none saved, are refused with a "[gfx] View stack ..." error (false) and change
// nothing.
constexpr uint32_t GFX_VIEW_STACK_DEPTH = 8;
VISBASE_API bool gfx_view_push(const r_view_t &view);
VISBASE_API bool gfx_view_pop();
VISBASE_API uint32_t gfx_view_depth();
// The current world matrix (16 floats, row by row), identity until set.
VISBASE_API const float *gfx_world_matrix();
VISBASE_API void gfx_set_world_matrix(const float *matrix);
// Clears the view's rectangle through the context (r_context_t::clear); nothing for
// a null context.
VISBASE_API void gfx_clear(r_context_t *context, const r_view_t &view, uint32_t colour);
// Draws a line strip through the context (r_context_t::line_strip); nothing for a
// null context.
VISBASE_API void gfx_line_strip(r_context_t *context, const float *points, uint32_t count, uint32_t colour,
                                const float *matrix);
// The orthographic projection of the box [left, right] x [bottom, top] x [near, far]
// onto -1..1 on each axis, row by row with the translation in elements 3, 7 and 11.
VISBASE_API void r_ortho_projection_matrix(float out[16], float left, float right, float bottom, float top,
                                           float near_z, float far_z);

}  // namespace quarn

#include "outside/gl/gl_device.h"

#include <new>

#include "kernel/oswindow.h"
#include "outside/gl/gl_settings.h"
#include "outside/qrnshared/c_item.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn::gl {

gl_kernel_t gl_kernel;

namespace {

// The modes offered; mode_init accepts any size.
constexpr r_mode_t MODES[] = {
    {640, 480, 32, 60, 0}, {800, 600, 32, 60, 0}, {1024, 768, 32, 60, 0}, {1600, 1200, 32, 60, 0}};
// The render paths the contexts offer: the fixed-function ones and both programmable.
constexpr int32_t PATHS[] = {1, 3, 6, 8, 14};

// Every context made gets the next number: what a render buffer holds from an older
// one is made again.
uint32_t last_generation = 0;

class gl_fbuffer_t : public r_fbuffer_t {
public:
    using r_fbuffer_t::r_fbuffer_t;
    static void *operator new(size_t bytes) noexcept { return qrncore_system_new(bytes); }
    static void operator delete(void *memory) { qrncore_system_delete(memory); }
};

}  // namespace

// ---- context ----

gl_context_t::gl_context_t(gl_device_t *owner) : r_context_t(owner), m_owner(owner) {
    for (int32_t p : PATHS) paths.append(p);
}

gl_renderer_t *gl_context_t::renderer() const { return m_owner->renderer(); }

void gl_context_t::get_size(int32_t *width, int32_t *height) { m_owner->frame_size(width, height); }

void gl_context_t::line_strip(const float *points, uint32_t count, uint32_t colour, const float *matrix) {
    r_context_t::line_strip(points, count, colour, matrix);
    if (gl_renderer_t *r = renderer()) r->line_strip(points, count, colour, matrix);
}

void gl_context_t::clear(const r_view_t &view, uint32_t colour) {
    r_context_t::clear(view, colour);
    if (gl_renderer_t *r = renderer()) r->clear(view, colour);
}

void gl_context_t::draw(const r_draw_t &d) {
    if (gl_renderer_t *r = renderer()) r->draw(d, m_fixed, m_override);
    // The material's render state holds for its own prototype only.
    m_override.clear();
}

void gl_context_t::draw_ui(int32_t, const r_ui_record_t &record) {
    if (gl_renderer_t *r = renderer()) r->draw_ui(record);
}

void gl_context_t::begin_frame() {
    r_context_t::begin_frame();
    m_override.clear();
    if (gl_renderer_t *r = renderer()) {
        const int32_t detail = gl_kernel.texture_detail ? gl_kernel.texture_detail() : 0;
        const float anisotropy = gl_kernel.anisotropy_factor ? gl_kernel.anisotropy_factor() : 0.0f;
        r->begin_frame(detail, anisotropy);
    }
}

void gl_context_t::end_frame() {
    if (gl_renderer_t *r = renderer()) r->end_frame();
    r_context_t::end_frame();
}

void gl_context_t::fog_off() {
    r_context_t::fog_off();
    m_fixed.fog = 0;
}

void gl_context_t::set_fog(int32_t mode, const vec4_t &colour) {
    r_context_t::set_fog(mode, colour);
    m_fixed.fog = mode;
    m_fixed.fog_colour = colour;
}

void gl_context_t::set_light(uint32_t index, const vec4_t &ambient, const vec4_t &diffuse, const vec4_t &specular,
                             const vec4_t &direction) {
    r_context_t::set_light(index, ambient, diffuse, specular, direction);
    // The programs light with light 0 alone.
    if (index != 0) return;
    m_fixed.light_ambient = ambient;
    m_fixed.light_diffuse = diffuse;
    m_fixed.light_specular = specular;
    m_fixed.light_direction = direction;
}

void gl_context_t::set_lighting(bool on) {
    r_context_t::set_lighting(on);
    m_fixed.lighting = on;
}

void gl_context_t::set_texture_stage(uint32_t stage, const char *operation) {
    r_context_t::set_texture_stage(stage, operation);
    if (operation && *operation && int32_t(stage) + 1 > m_fixed.texture_stages) m_fixed.texture_stages = int32_t(stage) + 1;
}

void gl_context_t::set_texture_constant(const vec4_t &colour) {
    r_context_t::set_texture_constant(colour);
    m_fixed.texture_constant = colour;
}

void gl_context_t::set_texture_mode(int32_t mode) {
    r_context_t::set_texture_mode(mode);
    m_fixed.texture_mode = mode;
}

void gl_context_t::apply_render_state(const char *key, const char *value) {
    r_context_t::apply_render_state(key, value);
    if (!m_override.apply(key, value)) gl_tell_unknown_render_state(key, value);
}

void gl_context_t::reset_texture_stages(uint32_t first) {
    r_context_t::reset_texture_stages(first);
    if (int32_t(first) < m_fixed.texture_stages) m_fixed.texture_stages = int32_t(first);
    if (first == 0) {
        m_fixed.texture_mode = 0;
        m_fixed.texture_constant = {1, 1, 1, 1};
    }
}

void gl_context_t::reset_stats() {
    if (gl_renderer_t *r = renderer()) r->reset_stats();
}

r_stats_t gl_context_t::get_stats() const {
    const gl_renderer_t *r = renderer();
    return r ? r->get_stats() : r_stats_t();
}

// ---- drawable ----

gl_drawable_t::gl_drawable_t(gl_device_t *owner) : r_drawable_t(owner), gl_context(owner) { context = &gl_context; }

bool gl_drawable_t::get_size(int32_t *width, int32_t *height) {
    gl_context.get_size(width, height);
    return true;
}

void *gl_drawable_t::operator new(size_t bytes) noexcept { return qrncore_system_new(bytes); }
void gl_drawable_t::operator delete(void *memory) { qrncore_system_delete(memory); }

// ---- device ----

gl_device_t::~gl_device_t() { close_gl(); }

bool gl_device_t::create_and_init() {
    state = RUNNING;
    return true;
}

void gl_device_t::shutdown() {
    mode_shutdown();
    close_gl();
    state = SHUT_DOWN;
}

uint32_t gl_device_t::mode_count() { return uint32_t(sizeof MODES / sizeof MODES[0]); }

bool gl_device_t::mode_get(uint32_t index, r_mode_t *out) {
    if (index >= mode_count() || !out) return false;
    *out = MODES[index];
    return true;
}

void gl_device_t::open_gl(void *window) {
    const oswindow_record_t *record = static_cast<const oswindow_record_t *>(window);
    platform::window_t handle = record ? record->handle : nullptr;
    if (m_opened && m_opened_for == handle) return;
    close_gl();
    m_opened = true;
    m_opened_for = handle;
    mstring_dyn_t why;
    if (!m_target.open(handle, why)) {
        if (!m_no_gl_told) message("[gl] No OpenGL (%s): frames are recorded, not drawn", why.c_str());
        m_no_gl_told = true;
        return;
    }
    message("[gl] OpenGL %s (%s) %s", reinterpret_cast<const char *>(glGetString(GL_VERSION)),
            reinterpret_cast<const char *>(glGetString(GL_RENDERER)),
            m_target.on_window() ? "on the window" : "off-screen");
    if (!m_renderer.init(&m_target, ++last_generation)) {
        error("[gl] The renderer's objects cannot be made: frames are recorded, not drawn");
        m_renderer.release();
        m_target.close();
        return;
    }
    m_live = true;
}

void gl_device_t::close_gl() {
    if (m_live) {
        m_target.make_current();
        m_renderer.release();
    }
    m_live = false;
    m_target.close();
    m_opened = false;
    m_opened_for = nullptr;
}

bool gl_device_t::mode_init(const r_mode_t *mode, void *window, uint32_t) {
    if (!mode || mode->width <= 0 || mode->height <= 0) return false;
    current = *mode;
    open_gl(window);
    if (m_live) {
        m_target.make_current();
        if (!m_target.resize(mode->width, mode->height)) error("[gl] The frame of %d x %d pixels cannot be made", mode->width, mode->height);
        m_target.set_vsync(gl_vsync_wanted());
    }
    return true;
}

void gl_device_t::mode_shutdown() { current = r_mode_t(); }

void gl_device_t::frame_size(int32_t *width, int32_t *height) const {
    if (m_live && m_target.on_window()) {
        m_target.frame_size(width, height);
        return;
    }
    if (width) *width = current.width;
    if (height) *height = current.height;
}

int gl_device_t::swap(r_context_t *) {
    if (m_live) {
        m_renderer.flush();
        m_target.set_vsync(gl_vsync_wanted());
        m_target.swap();
    }
    ++frames;
    return 1;
}

bool gl_device_t::read_pixels(void *buffer, const r_rect_t &rect) {
    if (!m_live) return false;
    m_renderer.flush();
    return m_target.read(buffer, rect.x, rect.y, rect.width, rect.height);
}

bool gl_device_t::create_buffer(r_buffer_t *) {
    // A buffer's store is made and filled when it is first drawn
    // (gl_renderer_t::buffer_object), with a context or without: its content is the
    // same then, a buffer never drawn (a grass cell behind the camera, a model not in
    // view) costs no store, and gfx_alloc_buffer, which hands the device a buffer
    // before its owner sets the fill, makes no store to be zeroed and thrown away.
    return true;
}

void gl_device_t::release_buffer(r_buffer_t *buffer) {
    if (m_live) m_renderer.release_buffer(buffer);
    else gl_buffer_release(buffer, 0);
}

r_fbuffer_t *gl_device_t::create_fbuffer(int32_t, int32_t) { return new gl_fbuffer_t(this); }

void gl_device_t::destroy_fbuffer(r_fbuffer_t *fbuffer) { delete static_cast<gl_fbuffer_t *>(fbuffer); }

r_drawable_t *gl_device_t::create_drawable(void *, int32_t) {
    gl_drawable_t *drawable = new gl_drawable_t(this);
    if (drawable && !m_drawables.append(drawable)) {
        delete drawable;
        return nullptr;
    }
    return drawable;
}

void gl_device_t::destroy_drawable(r_drawable_t *drawable) {
    for (uint32_t i = 0; i < m_drawables.get_count(); ++i)
        if (m_drawables[i] == drawable) {
            m_drawables.remove(i);
            break;
        }
    delete static_cast<gl_drawable_t *>(drawable);
}

void gl_device_t::begin_frame() {
    if (m_live) m_target.make_current();
    for (gl_drawable_t *d : m_drawables) d->context->begin_frame();
}

void gl_device_t::end_frame() {
    for (gl_drawable_t *d : m_drawables) d->context->end_frame();
}

bool gl_device_t::hw_load(c_item_t *item) {
    if (item) item->flags |= c_item_t::HW_VALID;
    return item != nullptr;
}

void gl_device_t::hw_free(c_item_t *item) {
    if (item) item->flags &= ~uint32_t(c_item_t::HW_VALID);
}

}  // namespace quarn::gl

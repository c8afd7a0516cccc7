#include "outside/visbase/render.h"

#include <cstring>

#include "outside/qrnshared/effect.h"
#include "outside/qrnshared/texobj.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

r_view_t current_view;
r_view_t saved_views[GFX_VIEW_STACK_DEPTH];
uint32_t saved_count = 0;
float world_matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

}  // namespace

r_fbuffer_t::~r_fbuffer_t() = default;

r_drawable_t::~r_drawable_t() = default;
bool r_drawable_t::get_size(int32_t *, int32_t *) { return false; }
bool r_drawable_t::begin_update(int32_t) { return false; }
void r_drawable_t::end_update() {}
bool r_drawable_t::surface_begin_update(int32_t) { return false; }
void r_drawable_t::surface_end_update() {}
bool r_drawable_t::get_image(r_image_t *, void *(*)(size_t)) { return false; }

r_context_base_t::~r_context_base_t() = default;
void r_context_base_t::reset_stats() {}
r_stats_t r_context_base_t::get_stats() const { return r_stats_t(); }

void r_context_t::get_size(int32_t *width, int32_t *height) {
    if (width) *width = 0;
    if (height) *height = 0;
}
void r_context_t::line_strip(const float *, uint32_t, uint32_t, const float *) {}
void r_context_t::draw(const r_draw_t &) {}
void r_context_t::draw_ui(int32_t, const r_ui_record_t &) {}

r_input_value_t *r_context_t::input_values(uint32_t count) {
    if (m_input_values.get_count() < count && !m_input_values.set_size(count)) return nullptr;
    return count ? &m_input_values[0] : nullptr;
}

void r_context_t::begin_frame() {
    m_draw_log.clear();
    m_drawing = false;
}

void r_context_t::end_frame() { r_texobj_take_changes(); }

void r_context_t::clear(const r_view_t &view, uint32_t colour) {
    if (r_draw_state_t *s = note(r_draw_state_t::CLEAR)) {
        s->set_vector(0, vec4_t{view.x, view.y, view.width, view.height});
        s->number = colour;
    }
}

void r_context_t::fog_off() { note(r_draw_state_t::FOG_OFF); }

void r_context_t::set_fog(int32_t mode, const vec4_t &colour) {
    if (r_draw_state_t *s = note(r_draw_state_t::FOG)) {
        s->number = uint32_t(mode);
        s->set_vector(0, colour);
    }
}

void r_context_t::set_light(uint32_t index, const vec4_t &ambient, const vec4_t &diffuse, const vec4_t &specular,
                            const vec4_t &direction) {
    if (r_draw_state_t *s = note(r_draw_state_t::LIGHT)) {
        s->number = index;
        s->set_vector(0, ambient);
        s->set_vector(1, diffuse);
        s->set_vector(2, specular);
        s->set_vector(3, direction);
    }
}

void r_context_t::set_lighting(bool on) {
    if (r_draw_state_t *s = note(r_draw_state_t::LIGHTING)) s->number = on;
}

void r_context_t::set_texture_stage(uint32_t stage, const char *operation) {
    if (r_draw_state_t *s = note(r_draw_state_t::TEXTURE_STAGE)) {
        s->number = stage;
        s->text = intern(operation);
    }
}

void r_context_t::set_texture_constant(const vec4_t &colour) {
    if (r_draw_state_t *s = note(r_draw_state_t::TEXTURE_CONSTANT)) s->set_vector(0, colour);
}

void r_context_t::set_texture_mode(int32_t mode) {
    if (r_draw_state_t *s = note(r_draw_state_t::TEXTURE_MODE)) s->number = uint32_t(mode);
}

void r_context_t::apply_render_state(const char *key, const char *value) {
    if (r_draw_state_t *s = note(r_draw_state_t::RENDER_STATE)) {
        s->text = intern(key);
        s->text2 = intern(value);
    }
}

void r_context_t::set_pass(effect_pass_u *pass) {
    if (r_draw_state_t *s = note(r_draw_state_t::SET_PASS)) s->text = intern(pass ? pass->get_pass_name() : "0");
}

void r_context_t::reset_texture_stages(uint32_t first) {
    if (r_draw_state_t *s = note(r_draw_state_t::RESET_TEXTURE_STAGES)) s->number = first;
}

r_draw_record_t *r_context_t::open_draw() {
    r_draw_record_t *r = is_logging() ? m_draw_log.add(r_draw_record_t::DRAW) : nullptr;
    m_drawing = r != nullptr;
    return r;
}

r_draw_state_t *r_context_t::note(r_draw_state_t::op_t op) {
    if (m_drawing) {
        r_draw_record_t *r = m_draw_log.last();
        return r ? r->states.append(r_draw_state_t(op)) : nullptr;
    }
    if (!is_logging()) return nullptr;
    r_draw_record_t *r = m_draw_log.add(r_draw_record_t::CALL);
    if (!r) return nullptr;
    r->call = r_draw_state_t(op);
    return &r->call;
}

bool r_device_t::create_and_init() { return false; }
uint32_t r_device_t::mode_count() { return 0; }
bool r_device_t::mode_get(uint32_t, r_mode_t *) { return false; }
bool r_device_t::mode_init(const r_mode_t *, void *, uint32_t) { return false; }
void r_device_t::mode_shutdown() {}
int r_device_t::swap(r_context_t *) { return 0; }
bool r_device_t::read_pixels(void *, const r_rect_t &) { return false; }
bool r_device_t::create_buffer(r_buffer_t *) { return false; }
void r_device_t::release_buffer(r_buffer_t *) {}
void r_device_t::begin_frame() {}
void r_device_t::end_frame() {}
void r_device_t::set_gamma(float) {}
int r_device_t::choose_pixel_format(int32_t, int32_t) { return 0; }
r_fbuffer_t *r_device_t::create_fbuffer(int32_t, int32_t) { return nullptr; }
void r_device_t::destroy_fbuffer(r_fbuffer_t *) {}
r_drawable_t *r_device_t::create_drawable(void *, int32_t) { return nullptr; }
void r_device_t::destroy_drawable(r_drawable_t *) {}
bool r_device_t::hw_load(c_item_t *) { return false; }
void r_device_t::hw_free(c_item_t *) {}

r_driver_t::~r_driver_t() = default;
bool r_driver_t::init() { return true; }
uint32_t r_driver_t::device_count() { return 0; }
r_device_t *r_driver_t::device_get(uint32_t) { return nullptr; }

const r_view_t &gfx_view_get() { return current_view; }

void gfx_view_set(const r_view_t &view) { current_view = view; }

bool gfx_view_push(const r_view_t &view) {
    if (saved_count == GFX_VIEW_STACK_DEPTH) {
        error("[gfx] View stack overflow: %u views are saved already", saved_count);
        return false;
    }
    saved_views[saved_count++] = current_view;
    current_view = view;
    return true;
}

bool gfx_view_pop() {
    if (saved_count == 0) {
        error("[gfx] View stack underflow: no view was pushed");
        return false;
    }
    current_view = saved_views[--saved_count];
    return true;
}

uint32_t gfx_view_depth() { return saved_count; }

const float *gfx_world_matrix() { return world_matrix; }

void gfx_set_world_matrix(const float *matrix) { memcpy(world_matrix, matrix, sizeof world_matrix); }

void gfx_clear(r_context_t *context, const r_view_t &view, uint32_t colour) {
    if (context) context->clear(view, colour);
}

void gfx_line_strip(r_context_t *context, const float *points, uint32_t count, uint32_t colour, const float *matrix) {
    if (context) context->line_strip(points, count, colour, matrix);
}

void r_ortho_projection_matrix(float out[16], float left, float right, float bottom, float top, float near_z,
                               float far_z) {
    memset(out, 0, 16 * sizeof(float));
    out[0] = 2.0f / (right - left);
    out[3] = -(right + left) / (right - left);
    out[5] = 2.0f / (top - bottom);
    out[7] = -(top + bottom) / (top - bottom);
    out[10] = -2.0f / (far_z - near_z);
    out[11] = -(far_z + near_z) / (far_z - near_z);
    out[15] = 1.0f;
}

}  // namespace quarn

#include "outside/visbase/render.h"

#include <cstring>

namespace quarn {

namespace {

r_view_t current_view;
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

void r_context_t::get_size(int32_t *width, int32_t *height) {
    if (width) *width = 0;
    if (height) *height = 0;
}
void r_context_t::line_strip(const float *, uint32_t, uint32_t, const float *) {}

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

const float *gfx_world_matrix() { return world_matrix; }

void gfx_set_world_matrix(const float *matrix) { memcpy(world_matrix, matrix, sizeof world_matrix); }

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

#include "kernel/gfx/debug_lines.h"

#include "outside/visbase/render.h"
#include "qrncore/collections/data_cache.h"
#include "qrncore/math/matrix_table.h"

namespace quarn {

namespace {

constexpr size_t CACHE_CHUNK = 65536;

data_cache_t cache(CACHE_CHUNK);
debug_strip_t *first = nullptr;
debug_strip_t *last = nullptr;
uint32_t strip_count = 0;

}  // namespace

uint32_t debug_lines_count() { return strip_count; }

debug_strip_t *debug_lines_first() { return first; }

}  // namespace quarn

using namespace quarn;

debug_strip_t *debug_lines_add_strip(const vec3_t *points, uint32_t count, uint32_t colour, const mat4_t *matrix) {
    static_assert(sizeof(vec3_t) == 12, "points are three packed floats");
    void *memory = cache.alloc(sizeof(debug_strip_t) + size_t(count) * sizeof(vec3_t));
    if (!memory) return nullptr;
    debug_strip_t *strip = static_cast<debug_strip_t *>(memory);
    strip->next = nullptr;
    strip->count = count;
    strip->colour = colour;
    const mat4_t *m = matrix ? matrix : reinterpret_cast<const mat4_t *>(gfx_world_matrix());
    fptr_mult_point_matrix_fast(strip->points(), points, *m, count, sizeof(vec3_t), sizeof(vec3_t));
    if (last) last->next = strip;
    else first = strip;
    last = strip;
    ++strip_count;
    return strip;
}

void debug_lines_add_line(const vec3_t *a, const vec3_t *b, uint32_t colour, const mat4_t *matrix) {
    const vec3_t points[2] = {*a, *b};
    debug_lines_add_strip(points, 2, colour, matrix);
}

void debug_lines_add_box(const vec3_t *centre, const vec3_t *size, uint32_t colour) {
    // Corner k takes the larger x for bit 0, y for bit 1, z for bit 2.
    vec3_t corner[8];
    for (int k = 0; k < 8; ++k) {
        corner[k].x = centre->x + ((k & 1) ? 0.5f : -0.5f) * size->x;
        corner[k].y = centre->y + ((k & 2) ? 0.5f : -0.5f) * size->y;
        corner[k].z = centre->z + ((k & 4) ? 0.5f : -0.5f) * size->z;
    }
    static constexpr int ring[10] = {0, 1, 3, 2, 0, 4, 5, 7, 6, 4};
    vec3_t strip[10];
    for (int i = 0; i < 10; ++i) strip[i] = corner[ring[i]];
    debug_lines_add_strip(strip, 10, colour, nullptr);
    debug_lines_add_line(&corner[1], &corner[5], colour, nullptr);
    debug_lines_add_line(&corner[2], &corner[6], colour, nullptr);
    debug_lines_add_line(&corner[3], &corner[7], colour, nullptr);
}

void debug_lines_flush(r_context_t *context) {
    if (!first) return;
    for (debug_strip_t *s = first; s; s = s->next)
        gfx_line_strip(context, reinterpret_cast<const float *>(s->points()), s->count, s->colour, nullptr);
    cache.free_all();
    first = last = nullptr;
    strip_count = 0;
}

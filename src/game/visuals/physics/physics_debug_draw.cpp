#include "game/visuals/physics/physics_debug_draw.h"

#include <cmath>

#include "game/visuals/physics/physics_types.h"
#include "kernel/gfx/debug_lines.h"

namespace quarn {

namespace {

constexpr int CIRCLE_SEGMENTS = 20;
constexpr float STEP = float(M_PI) / 10.0f;

// A point of the circle in the plane of axes a and b (0 x, 1 y, 2 z) at angle,
// offset along the third axis.
vec3_t circle_point(int a, int b, float radius, float angle, const vec3_t &centre) {
    vec3_t p = centre;
    p[a] += radius * std::cos(angle);
    p[b] += radius * std::sin(angle);
    return p;
}

// segments segments of the arc from angle `from`, as one strip.
void arc(int a, int b, float radius, float from, int segments, const vec3_t &centre, uint32_t colour) {
    vec3_t points[CIRCLE_SEGMENTS + 1];
    for (int i = 0; i <= segments; ++i) points[i] = circle_point(a, b, radius, from + STEP * float(i), centre);
    debug_lines_add_strip(points, uint32_t(segments + 1), colour, nullptr);
}

void line(const vec3_t &a, const vec3_t &b, uint32_t colour) { debug_lines_add_line(&a, &b, colour, nullptr); }

}  // namespace

bool phys_draw_allowed(int object_mode, int scene_mode) {
    if (scene_mode == PHYSICS_DRAW_NEVER) return false;
    return object_mode == PHYSICS_DRAW_ALWAYS || (object_mode == PHYSICS_DRAW_FORCED && scene_mode != PHYSICS_DRAW_FORCED);
}

void phys_draw_axes(float length) {
    const vec3_t o{};
    line(o, {length, 0, 0}, PHYS_COLOUR_AXIS_X);
    line(o, {0, length, 0}, PHYS_COLOUR_AXIS_Y);
    line(o, {0, 0, length}, PHYS_COLOUR_AXIS_Z);
}

void phys_draw_sphere(float radius, uint32_t colour) {
    static constexpr int planes[3][2] = {{0, 1}, {1, 2}, {2, 0}};
    const vec3_t centre{};
    for (int p = 0; p < 3; ++p) {
        arc(planes[p][0], planes[p][1], radius, 0.0f, CIRCLE_SEGMENTS / 2, centre, colour & PHYS_MASK_SPHERE_HALVES[p][0]);
        arc(planes[p][0], planes[p][1], radius, float(M_PI), CIRCLE_SEGMENTS / 2, centre,
            colour & PHYS_MASK_SPHERE_HALVES[p][1]);
    }
}

void phys_draw_box(const vec3_t &sizes, uint32_t colour) {
    const vec3_t h = sizes * 0.5f;
    // Corner k takes +h on axis i when bit i of k is set; an edge joins corners that
    // differ in one bit.
    for (int k = 0; k < 8; ++k) {
        const vec3_t ck{(k & 1) ? h.x : -h.x, (k & 2) ? h.y : -h.y, (k & 4) ? h.z : -h.z};
        for (int bit = 1; bit < 8; bit <<= 1) {
            if (k & bit) continue;
            const int n = k | bit;
            const vec3_t cn{(n & 1) ? h.x : -h.x, (n & 2) ? h.y : -h.y, (n & 4) ? h.z : -h.z};
            line(ck, cn, colour);
        }
    }
}

void phys_draw_capsule(float length, float radius, uint32_t colour) {
    const float half = length * 0.5f;
    const vec3_t top{0, 0, half};
    const vec3_t bottom{0, 0, -half};
    // The cylinder: four lines along z and the two rims.
    for (int i = 0; i < 4; ++i) {
        const float angle = float(M_PI) * 0.5f * float(i);
        const vec3_t r = circle_point(0, 1, radius, angle, {});
        line(r + bottom, r + top, colour);
    }
    arc(0, 1, radius, 0.0f, CIRCLE_SEGMENTS, top, colour);
    arc(0, 1, radius, 0.0f, CIRCLE_SEGMENTS, bottom, colour);
    // The caps: half circles in the xz and yz planes, bulging away from the middle.
    arc(0, 2, radius, 0.0f, CIRCLE_SEGMENTS / 2, top, colour);
    arc(1, 2, radius, 0.0f, CIRCLE_SEGMENTS / 2, top, colour);
    arc(0, 2, radius, float(M_PI), CIRCLE_SEGMENTS / 2, bottom, colour);
    arc(1, 2, radius, float(M_PI), CIRCLE_SEGMENTS / 2, bottom, colour);
}

}  // namespace quarn

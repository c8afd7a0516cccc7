#include "qrncore/geometry/plane_equation.h"

#include <cmath>

#include "qrncore/math/matrix_table.h"

namespace quarn {

namespace {
vec3_t normal_of(const vec4_t &p) { return {p.x, p.y, p.z}; }
}  // namespace

bool construct_equation(const vec3_t &point, const vec3_t &normal, vec4_t *out) {
    if (length_squared(normal) == 0.0f) return false;
    *out = {normal.x, normal.y, normal.z, -dot(normal, point)};
    return true;
}

void points_compute_normal(const vec3_t &p0, const vec3_t &p1, const vec3_t &p2, vec4_t *out) {
    const vec3_t n = cross(p0 - p1, p0 - p2);
    *out = {n.x, n.y, n.z, -dot(n, p0)};
}

void points_compute_normal(const vec3_t &p0, const vec3_t &p1, const vec3_t &p2, vec3_t *out) {
    const vec3_t n = cross(p0 - p1, p0 - p2);
    *out = n / length(n);
}

void get_plane_equation(const vec3_t &p0, const vec3_t &p1, const vec3_t &p2, vec4_t *out) {
    const vec3_t n = p1 - p0;
    *out = {n.x, n.y, n.z, -dot(n, p2)};
}

bool compute_equation(const vec3_t &point, const vec3_t &u, const vec3_t &v, vec4_t *out, float eps) {
    vec3_t n = cross(u, v);
    const float len = length(n);
    if (len < eps) {
        out->x = n.x, out->y = n.y, out->z = n.z;
        return false;
    }
    n = n / len;
    *out = {n.x, n.y, n.z, -dot(n, point)};
    return true;
}

bool points_compute_equation(const vec3_t &p0, const vec3_t &p1, const vec3_t &p2, vec4_t *out, float eps) {
    return compute_equation(p0, p1 - p0, p2 - p0, out, eps);
}

void plane_normalize(vec4_t *out, const vec4_t &plane) { *out = plane * (1.0f / length(normal_of(plane))); }

void plane_point(vec3_t *out, const vec4_t &plane) {
    const vec3_t n = normal_of(plane);
    *out = -n * (plane.w / length_squared(n));
}

void translate_plane(vec4_t *out, const vec4_t &plane, const vec3_t &offset) {
    *out = {plane.x, plane.y, plane.z, plane.w - dot(normal_of(plane), offset)};
}

void translate_plane(vec4_t *plane, const vec3_t &offset) { translate_plane(plane, *plane, offset); }

void transform_plane(vec4_t *out, const vec4_t &plane, const mat4_t &m) {
    vec3_t q, n;
    plane_point(&q, plane);
    const vec3_t src_n = normal_of(plane);
    fptr_mult_point_matrix_fast(&q, &q, m, 1, sizeof(vec3_t), sizeof(vec3_t));
    fptr_mult_normal_matrix(&n, &src_n, m, 1, sizeof(vec3_t), sizeof(vec3_t));
    *out = {n.x, n.y, n.z, -dot(n, q)};
}

void transform_plane(vec4_t *plane, const mat4_t &m) { transform_plane(plane, *plane, m); }

void swap_planes(vec4_t *a, vec4_t *b) {
    const vec4_t t = *a;
    *a = *b;
    *b = t;
}

namespace {
// True when a comes after b: decided by the first component that differs.
bool after(const vec4_t &a, const vec4_t &b) {
    for (int i = 0; i < 4; ++i)
        if (a[i] != b[i]) return a[i] > b[i];
    return false;
}
void order(vec4_t *a, vec4_t *b) {
    if (after(*a, *b)) swap_planes(a, b);
}
}  // namespace

void reorder_equations(vec4_t *a, vec4_t *b, vec4_t *c) {
    order(a, b);
    order(b, c);
    order(a, b);
}

}  // namespace quarn

#include "qrncore/geometry/aabox.h"

#include <cfloat>

#include "qrncore/math/matrix_table.h"

namespace quarn {

void aabox_t::set_void() {
    min = {FLT_MAX, FLT_MAX, FLT_MAX};
    max = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
}

void aabox_t::translate(const vec3_t &v) {
    min += v;
    max += v;
}

void aabox_t::scale(float s) {
    min *= s;
    max *= s;
}

void aabox_t::scale(const vec3_t &v) {
    min = mul(min, v);
    max = mul(max, v);
}

vec3_t aabox_t::get_corner(unsigned i) const {
    return {(i & 1) ? max.x : min.x, (i & 2) ? max.y : min.y, (i & 4) ? max.z : min.z};
}

bool aabox_t::contains(const vec3_t &p) const { return in_range(p, min, max); }

bool aabox_t::contains(const aabox_t &other) const { return in_range(other.min, min, max) && in_range(other.max, min, max); }

bool aabox_t::intersects(const aabox_t &other) const {
    for (int i = 0; i < 3; ++i)
        if (other.max[i] < min[i] || other.min[i] > max[i]) return false;
    return true;
}

bool aabox_t::intersects(const sphere_t &sphere) const {
    const float r = sphere.radius;
    for (int i = 0; i < 3; ++i) {
        const float c = sphere.center[i];
        if (min[i] - r >= c || max[i] + r <= c) return false;
    }
    return true;
}

void aabox_t::enlarge(const vec3_t &p) {
    min = v_min(min, p);
    max = v_max(max, p);
}

void aabox_t::enlarge(const aabox_t &other) {
    min = v_min(min, other.min);
    max = v_max(max, other.max);
}

void aabox_t::encapsulate(unsigned count, const vec3_t *points) {
    set_void();
    for (unsigned i = 0; i < count; ++i) enlarge(points[i]);
}

void aabox_t::transform(const mat4_t &m) {
    vec3_t corners[8];
    for (unsigned i = 0; i < 8; ++i) corners[i] = get_corner(i);
    fptr_mult_point_matrix(corners, corners, m, 8, sizeof(vec3_t), sizeof(vec3_t));
    encapsulate(8, corners);
}

void aabox_t::rotate(const quat_t &q) {
    mat4_t m;
    q.get_matrix(&m);
    transform(m);
}

void aabox_t::rotate_local(const quat_t &q) {
    const vec3_t c = get_center();
    translate(-c);
    rotate(q);
    translate(c);
}

}  // namespace quarn

#include "qrncore/geometry/plane.h"

#include <cmath>

namespace quarn {

plane_t::plane_t(const vec3_t &p0, const vec3_t &p1, const vec3_t &p2) {
    vec3_t n = cross(p1 - p0, p2 - p0);
    const float len2 = length_squared(n);
    if (len2 > vec_traits_t<float>::EPSILON) n = n / std::sqrt(len2);
    a = n.x, b = n.y, c = n.z;
    d = -dot(n, p1);
}

plane_t::plane_t(unit_normal_t, const vec3_t &normal, const vec3_t &point)
    : a(normal.x), b(normal.y), c(normal.z), d(-dot(normal, point)) {}

plane_t::plane_t(renormalize_normal_t, const vec3_t &normal, const vec3_t &point)
    : a(normal.x), b(normal.y), c(normal.z), d(0.0f) {
    renormalize();
    d = -dot(get_normal(), point);
}

bool plane_t::renormalize() {
    const float len2 = a * a + b * b + c * c;
    if (len2 <= vec_traits_t<float>::EPSILON) return false;
    const float len = std::sqrt(len2);
    a /= len, b /= len, c /= len, d /= len;
    return true;
}

float plane_t::get_distance(const vec3_t &p) const { return std::fabs(get_signed_distance(p)); }

vec3_t plane_t::project(const vec3_t &p) const { return p - get_normal() * get_signed_distance(p); }

unsigned plane_t::get_normal_octant() const { return (a > 0.0f ? 1u : 0u) | (b > 0.0f ? 2u : 0u) | (c > 0.0f ? 4u : 0u); }

bool plane_t::intersection(vec3_t *out, const vec3_t &pa, const vec3_t &pb) const {
    const float da = get_signed_distance(pa), db = get_signed_distance(pb);
    if (da * db > 0.0f) return false;
    if (da == 0.0f) {
        *out = pa;
        return true;
    }
    if (db == 0.0f) {
        *out = pb;
        return true;
    }
    if (std::fabs(da - db) < vec_traits_t<float>::EPSILON) return false;
    if (da > db) *out = pa + (pb - pa) * (da / (da - db));
    else *out = pb + (pa - pb) * (db / (db - da));
    return true;
}

}  // namespace quarn

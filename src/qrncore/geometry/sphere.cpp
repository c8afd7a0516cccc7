#include "qrncore/geometry/sphere.h"

#include <cmath>

namespace quarn {

bool sphere_t::contains(const vec3_t &p) const { return length_squared(p - center) < radius * radius; }

bool sphere_t::intersects(const sphere_t &other) const {
    const float r = radius + other.radius;
    return length_squared(other.center - center) < r * r;
}

bool sphere_t::intersects(const vec3_t &a, const vec3_t &b) const {
    const vec3_t dir = b - a;
    const float qa = length_squared(dir);
    const float qb = 2.0f * dot(dir, a - center);
    const float qc = length_squared(center - a) - radius * radius;
    if (qc <= 0.0f) return true;
    if (qa == 0.0f) return false;
    const float disc = qb * qb - 4.0f * qa * qc;
    if (disc < 0.0f) return false;
    if (disc > 0.0f) {
        const float root = std::sqrt(disc);
        const float t1 = (root - qb) / (2.0f * qa), t2 = (-root - qb) / (2.0f * qa);
        return in_range(t1, 0.0f, 1.0f) || in_range(t2, 0.0f, 1.0f);
    }
    return in_range(-qb / (2.0f * qa), 0.0f, 1.0f);
}

void sphere_t::enlarge(const sphere_t &other) {
    const vec3_t between = other.center - center;
    const float dist = length(between);
    if (dist + other.radius <= radius) return;
    if (other.radius > radius + dist) {
        *this = other;
        return;
    }
    // dist > 0 here: with equal centres one of the cases above holds.
    const vec3_t n = between / dist;
    center = ((other.center + n * other.radius) + (center - n * radius)) * 0.5f;
    radius = (dist + radius + other.radius) * 0.5f;
}

}  // namespace quarn

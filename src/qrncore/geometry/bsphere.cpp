#include "qrncore/geometry/bsphere.h"

#include "qrncore/math/matrix_table.h"

namespace quarn {

void bsphere_t::set(const vec3_t &c, float r) {
    center = c;
    radius = r;
    radius2 = r * r;
}

void bsphere_t::expand() {
    radius *= 1.01f;
    radius2 = radius * radius;
}

void bsphere_t::transform(const mat4_t &m) {
    fptr_mult_point_matrix_fast(&transformed_center, &center, m, 1, sizeof(vec3_t), sizeof(vec3_t));
}

void bsphere_t::resize(const vec3_t &p) {
    const vec3_t to_p = p - center;
    const float d2 = length_squared(to_p);
    if (d2 <= radius2) return;
    const float d = length(to_p);
    const vec3_t far_side = center - (to_p / d) * radius;
    center = (far_side + p) * 0.5f;
    radius = (radius + d) * 0.5f;
    radius2 = radius * radius;
}

void bsphere_t::resize(const vec3_t &c2, float r2) {
    const vec3_t between = c2 - center;
    const float d = length(between);
    if (d + r2 <= radius) {
        // Already holds it.
    } else if (d + radius < r2) {
        center = c2;
        radius = r2;
    } else {
        // d > 0 here: with equal centres one of the cases above holds.
        const vec3_t n = between / d;
        const vec3_t far_side = center - n * radius;
        center = ((c2 + n * r2) + far_side) * 0.5f;
        radius = length(center - far_side);
    }
    radius2 = radius * radius;
}

bool bsphere_t::overlap(const bsphere_t &other) const {
    return length_squared(other.transformed_center - center) <=
           radius2 + 2.0f * radius * other.radius + other.radius2;
}

}  // namespace quarn

#include "qrncore/math/tangent.h"

namespace quarn {

void compute_tangent(vec4_t *out, const vec3_t &n, const vec3_t &p0, const vec3_t &p1, const vec3_t &p2,
                     const vec2_t &t0, const vec2_t &t1, const vec2_t &t2) {
    const vec3_t e1 = p1 - p0, e2 = p2 - p0;
    const vec2_t d1 = t1 - t0, d2 = t2 - t0;
    float s1, u1, s2, u2;
    if (!solve_2d(d1, d2, vec2_t{1.0f, 0.0f}, &s1, &u1) || !solve_2d(d1, d2, vec2_t{0.0f, 1.0f}, &s2, &u2)) {
        *out = {1.0f, 0.0f, 0.0f, 1.0f};
        return;
    }
    const vec3_t t = s1 * e1 + u1 * e2;
    const vec3_t b = s2 * e1 + u2 * e2;
    vec3_t t_perp = t - n * dot(n, t);
    normalize(t_perp);
    const vec3_t b_perp = b - n * dot(n, b);
    const float w = dot(b_perp, cross(n, t_perp)) < 0.0f ? -1.0f : 1.0f;
    *out = {t_perp.x, t_perp.y, t_perp.z, w};
}

}  // namespace quarn

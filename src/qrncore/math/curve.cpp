#include "qrncore/math/curve.h"

#include <cmath>

namespace quarn {

namespace {

vec3_t weigh(const vec3_t &a, const vec3_t &b, const vec3_t &c, const vec3_t &d, float wa, float wb, float wc,
             float wd) {
    return wa * a + wb * b + wc * c + wd * d;
}

// The four control points of the smooth curve.
struct controls_t {
    vec3_t p0, p1, p2, p3;
};
controls_t smooth_controls(const vec3_t &start, const vec3_t &st, const vec3_t &end, const vec3_t &et) {
    return {start, start + st, end - et, end};
}

vec3_t bezier_derivative(const controls_t &c, float t) {
    const float u = 1.0f - t;
    return weigh(c.p0, c.p1, c.p2, c.p3, -3.0f * u * u, 3.0f * u * (1.0f - 3.0f * t), 3.0f * t * (2.0f - 3.0f * t),
                 3.0f * t * t);
}

}  // namespace

void cr_curve(const vec3_t &a, const vec3_t &b, const vec3_t &c, const vec3_t &d, float t, vec3_t *out,
              vec3_t *tangent) {
    const float t2 = t * t, t3 = t2 * t;
    *out = 0.5f * weigh(a, b, c, d, -t3 + 2.0f * t2 - t, 3.0f * t3 - 5.0f * t2 + 2.0f, -3.0f * t3 + 4.0f * t2 + t,
                        t3 - t2);
    if (tangent) {
        *tangent = 0.5f * weigh(a, b, c, d, -3.0f * t2 + 4.0f * t - 1.0f, 9.0f * t2 - 10.0f * t,
                                -9.0f * t2 + 8.0f * t + 1.0f, 3.0f * t2 - 2.0f * t);
        normalize(*tangent);
    }
}

void bezier_curve(vec3_t *out, const vec3_t &a, const vec3_t &b, const vec3_t &c, const vec3_t &d, float t) {
    const float u = 1.0f - t;
    *out = weigh(a, b, c, d, u * u * u, 3.0f * t * u * u, 3.0f * t * t * u, t * t * t);
}

void smooth_curve(const vec3_t &start, const vec3_t &start_tangent, const vec3_t &end, const vec3_t &end_tangent,
                  float t, vec3_t *out, vec3_t *tangent) {
    const controls_t c = smooth_controls(start, start_tangent, end, end_tangent);
    bezier_curve(out, c.p0, c.p1, c.p2, c.p3, t);
    if (tangent) {
        *tangent = bezier_derivative(c, t);
        normalize(*tangent);
    }
}

float smooth_curve_planar_curvature(const vec3_t &start, const vec3_t &start_tangent, const vec3_t &end,
                                    const vec3_t &end_tangent, float t) {
    const controls_t c = smooth_controls(start, start_tangent, end, end_tangent);
    const vec3_t d1 = bezier_derivative(c, t);
    const vec3_t d2 = weigh(c.p0, c.p1, c.p2, c.p3, 6.0f * (1.0f - t), 18.0f * t - 12.0f, 6.0f - 18.0f * t, 6.0f * t);
    const float speed2 = d1.x * d1.x + d1.z * d1.z;
    const float denom = speed2 * std::sqrt(speed2);
    if (denom < vec_traits_t<float>::EPSILON) return 0.0f;
    return (d1.x * d2.z - d1.z * d2.x) / denom;
}

}  // namespace quarn

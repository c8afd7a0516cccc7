#include "qrncore/math/angles.h"

#include <climits>
#include <cmath>

#include "qrncore/math/scalar.h"

namespace quarn {

float xz_length(const vec3_t &v) { return std::sqrt(v.x * v.x + v.z * v.z); }

float xz_length_squared(const vec3_t &v) { return v.x * v.x + v.z * v.z; }

float xz_distance(const vec3_t &a, const vec3_t &b) { return std::sqrt(xz_distance_squared(a, b)); }

float xz_distance_squared(const vec3_t &a, const vec3_t &b) {
    const float dx = b.x - a.x, dz = b.z - a.z;
    return dx * dx + dz * dz;
}

float get_2d_dist(const vec2_t &a, const vec2_t &b) {
    const float dx = b.x - a.x, dy = b.y - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

float get_2d_dist(const vec3_t &a, const vec3_t &b) { return get_2d_dist(vec2_t{a.x, a.y}, vec2_t{b.x, b.y}); }

namespace {
float round_half_up(float c) { return std::floor(c + 0.5f); }
}  // namespace

vec2_t v_round(const vec2_t &v) { return detail::vec_map(v, round_half_up); }
vec3_t v_round(const vec3_t &v) { return detail::vec_map(v, round_half_up); }
vec4_t v_round(const vec4_t &v) { return detail::vec_map(v, round_half_up); }

float round(float x, int n) {
    const double scale = std::pow(10.0, n);
    const double scaled = double(x) * scale;
    // The int conversion cut the value; beyond the int range (or for NaN) it was
    // undefined, so large values are cut with trunc, which agrees inside the range.
    const double cut = scaled > double(INT_MIN) - 1.0 && scaled < double(INT_MAX) + 1.0 ? double(int(scaled))
                                                                                         : std::trunc(scaled);
    return float(cut * std::pow(10.0, -n));
}

void vector_positive(vec3_t *v) {
    for (int i = 0; i < 3; ++i)
        if (!((*v)[i] > 0.0f)) (*v)[i] = 0.0f;
}

float vec3_cos(const vec3_t &a, const vec3_t &b) {
    const float g = std::sqrt(length_squared(a) * length_squared(b));
    if (std::fabs(g) < 0.001f) return 1.0f;
    const float c = dot(a, b) / g;
    if (std::fabs(c) > 1.0f) return c > 0.0f ? 1.0f : -1.0f;
    return c;
}

float vec3_angle(const vec3_t &a, const vec3_t &b) { return std::acos(vec3_cos(a, b)); }

float vec4_angle(const vec3_t &a, const vec3_t &b) {
    const float f = length(a) * length(b);
    if (f == 0.0f) return 0.0f;
    const float c = dot(a, b) / f;
    if (c > 1.0f) return 0.0f;
    if (c < -1.0f) return PI_F;
    return std::acos(c);
}

double sin_2_cos(double x) {
    const double r = 1.0 - x * x;
    return r > 0.0 ? std::sqrt(r) : 0.0;
}

double cos_2_sin(double x) { return sin_2_cos(x); }

float determine_angle(float s, float c) {
    s = clamp_value(s, -1.0f, 1.0f);
    c = clamp_value(c, -1.0f, 1.0f);
    float rad;
    if (c >= 0.0f) rad = std::asin(s);
    else rad = s >= 0.0f ? std::acos(c) : -std::acos(c);
    return rad * 57.29578f;
}

void cartes_2_spheric(vec3_t *out, const vec3_t &v) {
    const float r = length(v);
    // Clamped: v.x/r may round just past ±1, where acos gives NaN.
    const float theta = r > 0.0f ? std::acos(clamp_value(v.x / r, -1.0f, 1.0f)) : 0.0f;
    // For v.x > 0 this is atan(v.y/v.x); atan2 carries the same azimuth on to v.x <= 0.
    const float phi = std::atan2(v.y, v.x);
    *out = {theta, phi, r};
}

void spheric_2_cartes(vec3_t *out, const vec3_t &s) {
    const float theta = s.x, phi = s.y, r = s.z;
    const vec3_t w{float(r * std::sin(theta) * std::cos(phi)), r * std::sin(theta) * std::sin(phi),
                   float(r * std::cos(theta))};
    const float len = length(w);
    // A zero radius has no direction; dividing would give NaN.
    *out = len > 0.0f ? w / len : vec3_t{};
}

}  // namespace quarn

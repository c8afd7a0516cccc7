#pragma once
// Measures in the ground plane (x and z), rounding and clamping of vectors, angles
// between vectors and from a sine and cosine, and spherical coordinates. Angles are
// radians except determine_angle, which answers in degrees.
#include "qrncore/api.h"
#include "qrncore/math/vec.h"

namespace quarn {

QRNCORE_API float xz_length(const vec3_t &v);
QRNCORE_API float xz_length_squared(const vec3_t &v);
// The ground-plane distance of a and b.
QRNCORE_API float xz_distance(const vec3_t &a, const vec3_t &b);
QRNCORE_API float xz_distance_squared(const vec3_t &a, const vec3_t &b);
// The distance of a and b over x and y.
QRNCORE_API float get_2d_dist(const vec2_t &a, const vec2_t &b);
QRNCORE_API float get_2d_dist(const vec3_t &a, const vec3_t &b);

// Each component to floor(c + 0.5): halves go up, -0.5 becomes 0.
QRNCORE_API vec2_t v_round(const vec2_t &v);
QRNCORE_API vec3_t v_round(const vec3_t &v);
QRNCORE_API vec4_t v_round(const vec4_t &v);
// x cut towards zero to n decimals (n may be negative): round(2.789, 2) = 2.78.
QRNCORE_API float round(float x, int n);
// Every component that is not greater than 0 (a NaN too) becomes 0.
QRNCORE_API void vector_positive(vec3_t *v);

// The cosine of the angle between a and b, limited to [-1, 1]; 1 when either is
// (nearly) zero.
QRNCORE_API float vec3_cos(const vec3_t &a, const vec3_t &b);
QRNCORE_API float vec3_angle(const vec3_t &a, const vec3_t &b);
// The angle between a and b in [0, π]; 0 when either is zero.
QRNCORE_API float vec4_angle(const vec3_t &a, const vec3_t &b);
// √(1 - x²), or 0 when that is not positive. One function under two names.
QRNCORE_API double sin_2_cos(double x);
QRNCORE_API double cos_2_sin(double x);
// The angle in degrees, in (-180, 180], of a sine and cosine (each limited to
// [-1, 1] first).
QRNCORE_API float determine_angle(float s, float c);

// (θ, φ, r): r = |v|, θ = acos(v.x/r) (0 for a zero vector), φ = the azimuth of
// (v.x, v.y), atan2(v.y, v.x).
QRNCORE_API void cartes_2_spheric(vec3_t *out, const vec3_t &v);
// The unit vector of (r·sinθ·cosφ, r·sinθ·sinφ, r·cosθ): only the sign of r counts.
// r = 0 gives the zero vector.
QRNCORE_API void spheric_2_cartes(vec3_t *out, const vec3_t &s);

}  // namespace quarn

#pragma once
// A plane a·x + b·y + c·z + d = 0; points with a positive signed distance lie on the
// normal's side. Four floats in this order, also in files.
#include "qrncore/api.h"
#include "qrncore/math/vec.h"

namespace quarn {

// Constructor tags: the normal is taken as unit length / is normalised first.
struct unit_normal_t {};
struct renormalize_normal_t {};
inline constexpr unit_normal_t unit_normal{};
inline constexpr renormalize_normal_t renormalize_normal{};

struct QRNCORE_API plane_t {
    // The plane y = 0 facing up.
    constexpr plane_t() = default;
    constexpr plane_t(float a_, float b_, float c_, float d_) : a(a_), b(b_), c(c_), d(d_) {}
    // Through three points, normal (p1 - p0) × (p2 - p0), normalised only when its
    // squared length exceeds 0.00001.
    plane_t(const vec3_t &p0, const vec3_t &p1, const vec3_t &p2);
    // Through point with the given (unit) normal.
    plane_t(unit_normal_t, const vec3_t &normal, const vec3_t &point);
    // Through point with the normal normalised first (left as it is when too short).
    plane_t(renormalize_normal_t, const vec3_t &normal, const vec3_t &point);

    // Divides all four by |n|. False, nothing changed, when |n|² <= 0.00001.
    bool renormalize();
    float get_signed_distance(const vec3_t &p) const { return a * p.x + b * p.y + c * p.z + d; }
    float get_distance(const vec3_t &p) const;
    // p moved onto the plane along the normal.
    vec3_t project(const vec3_t &p) const;
    // Bit 0 when a > 0, bit 1 when b > 0, bit 2 when c > 0: the index of the box
    // corner farthest along the normal.
    unsigned get_normal_octant() const;
    // Where the segment from pa to pb crosses the plane. False when both ends lie
    // strictly on one side, or when they are too close in distance to divide; an end
    // on the plane is the answer itself.
    bool intersection(vec3_t *out, const vec3_t &pa, const vec3_t &pb) const;

    vec3_t get_normal() const { return {a, b, c}; }
    vec4_t as_vec4() const { return {a, b, c, d}; }

    float a = 0.0f, b = 1.0f, c = 0.0f, d = 0.0f;
};

static_assert(sizeof(plane_t) == 16, "a plane is four packed floats");

}  // namespace quarn

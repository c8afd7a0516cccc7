#pragma once
// An axis-aligned box: minimum corner, then maximum corner (six floats, also in
// files). A void box (set_void) has min +FLT_MAX and max -FLT_MAX, so enlarging it by
// a point gives that point.
#include "qrncore/api.h"
#include "qrncore/geometry/sphere.h"
#include "qrncore/math/mat_sq.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/vec.h"

namespace quarn {

struct QRNCORE_API aabox_t {
    // The zero box at the origin (not void).
    constexpr aabox_t() = default;
    constexpr aabox_t(const vec3_t &lo, const vec3_t &hi) : min(lo), max(hi) {}

    void set_void();
    bool is_void() const { return min.x > max.x || min.y > max.y || min.z > max.z; }
    void translate(const vec3_t &v);
    // Both corners multiplied, about the origin.
    void scale(float s);
    void scale(const vec3_t &v);
    vec3_t get_center() const { return (min + max) * 0.5f; }
    // Corner i: x from max when bit 0 is set, y from bit 1, z from bit 2.
    vec3_t get_corner(unsigned i) const;
    // Inclusive on every face.
    bool contains(const vec3_t &p) const;
    // The other box lies within this one; faces may touch.
    bool contains(const aabox_t &other) const;
    // Overlap on every axis; touching faces count.
    bool intersects(const aabox_t &other) const;
    // Against the sphere's bounding cube; a cube that only touches does not count.
    bool intersects(const sphere_t &sphere) const;
    void enlarge(const vec3_t &p);
    void enlarge(const aabox_t &other);
    // The bounding box of count points; void for none.
    void encapsulate(unsigned count, const vec3_t *points);
    // The bounding box of the eight transformed corners (projective divide included).
    void transform(const mat4_t &m);
    // Rotation about the origin / about the box's centre.
    void rotate(const quat_t &q);
    void rotate_local(const quat_t &q);

    vec3_t min, max;
};

static_assert(sizeof(aabox_t) == 24, "a box is six packed floats");

}  // namespace quarn

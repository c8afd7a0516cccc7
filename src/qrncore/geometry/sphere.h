#pragma once
// A sphere: centre and radius (four floats, also in files).
#include "qrncore/api.h"
#include "qrncore/math/vec.h"

namespace quarn {

struct QRNCORE_API sphere_t {
    // Radius 1 at the origin.
    constexpr sphere_t() = default;
    constexpr sphere_t(const vec3_t &c, float r) : center(c), radius(r) {}

    void translate(const vec3_t &v) { center += v; }
    // Scales the radius only.
    void scale(float s) { radius *= s; }
    // Strictly inside: a point on the surface is not contained.
    bool contains(const vec3_t &p) const;
    // Overlap of the two balls; touching spheres do not intersect.
    bool intersects(const sphere_t &other) const;
    // The segment from a to b meets the ball (surface included); true whenever a is
    // inside or on it.
    bool intersects(const vec3_t &a, const vec3_t &b) const;
    // Becomes the smallest sphere holding both.
    void enlarge(const sphere_t &other);

    vec3_t center;
    float radius = 1.0f;
};

static_assert(sizeof(sphere_t) == 16, "a sphere is four packed floats");

}  // namespace quarn

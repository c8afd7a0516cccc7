#pragma once
// Triangle against triangle.
#include "qrncore/api.h"
#include "qrncore/math/vec.h"

namespace quarn {

// True when the closed triangles a0 a1 a2 and b0 b1 b2 share a point: Möller's
// interval-overlap test (1997, division form), with a 2D edge and containment test
// for coplanar triangles. Plane distances below 1e-6 count as on the plane.
QRNCORE_API bool triangle_triangle_intersection(const vec3_t &a0, const vec3_t &a1, const vec3_t &a2,
                                                const vec3_t &b0, const vec3_t &b1, const vec3_t &b2);

}  // namespace quarn

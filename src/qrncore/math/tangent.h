#pragma once
// The tangent frame of a textured triangle.
#include "qrncore/api.h"
#include "qrncore/math/vec.h"

namespace quarn {

// out = (unit tangent, handedness): the direction of growing u on the triangle, made
// perpendicular to the unit normal n, with w = -1 when the v direction points against
// n × tangent and +1 otherwise. Texture coordinates without area (collinear) give
// (1, 0, 0, 1); a tangent parallel to n stays zero.
QRNCORE_API void compute_tangent(vec4_t *out, const vec3_t &n, const vec3_t &p0, const vec3_t &p1,
                                 const vec3_t &p2, const vec2_t &t0, const vec2_t &t1, const vec2_t &t2);

}  // namespace quarn

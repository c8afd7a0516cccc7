#pragma once
// Cubic curves through 3D points, t in [0, 1]. A null tangent pointer skips the
// tangent; a tangent whose derivative vanishes stays zero.
#include "qrncore/api.h"
#include "qrncore/math/vec.h"

namespace quarn {

// Catmull-Rom segment from b (t = 0) to c (t = 1), a and d shaping its ends.
QRNCORE_API void cr_curve(const vec3_t &a, const vec3_t &b, const vec3_t &c, const vec3_t &d, float t, vec3_t *out,
                          vec3_t *tangent);
// Cubic Bézier with control points a, b, c, d.
QRNCORE_API void bezier_curve(vec3_t *out, const vec3_t &a, const vec3_t &b, const vec3_t &c, const vec3_t &d,
                              float t);
// The Bézier with control points start, start + start_tangent, end - end_tangent, end.
QRNCORE_API void smooth_curve(const vec3_t &start, const vec3_t &start_tangent, const vec3_t &end,
                              const vec3_t &end_tangent, float t, vec3_t *out, vec3_t *tangent);
// Signed curvature of that curve's projection on the XZ plane; 0 where the curve
// does not move (denominator below the float epsilon).
QRNCORE_API float smooth_curve_planar_curvature(const vec3_t &start, const vec3_t &start_tangent, const vec3_t &end,
                                                const vec3_t &end_tangent, float t);

}  // namespace quarn

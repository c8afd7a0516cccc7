#pragma once
// Building and moving plane equations. A plane is a vec4 (a, b, c, d): x lies on it
// when n·x + d = 0 with n = (a, b, c). Nothing here normalises n unless it says so.
// Outputs are pointers, written only where stated.
#include "qrncore/api.h"
#include "qrncore/math/mat_sq.h"
#include "qrncore/math/vec.h"

namespace quarn {

// out = (normal, -normal·point). False (out untouched) when the normal is zero.
QRNCORE_API bool construct_equation(const vec3_t &point, const vec3_t &normal, vec4_t *out);
// n = (p0 - p1) × (p0 - p2), d = -n·p0, not normalised.
QRNCORE_API void points_compute_normal(const vec3_t &p0, const vec3_t &p1, const vec3_t &p2, vec4_t *out);
// The same cross product divided by its length (a degenerate triangle gives NaN).
QRNCORE_API void points_compute_normal(const vec3_t &p0, const vec3_t &p1, const vec3_t &p2, vec3_t *out);
// The plane through p2 perpendicular to p0→p1: n = p1 - p0 (not normalised), d = -n·p2.
QRNCORE_API void get_plane_equation(const vec3_t &p0, const vec3_t &p1, const vec3_t &p2, vec4_t *out);
// The plane through point spanned by u and v, normalised. When |u × v| < eps: false,
// out's first three components hold the raw cross product and d is untouched.
QRNCORE_API bool compute_equation(const vec3_t &point, const vec3_t &u, const vec3_t &v, vec4_t *out, float eps);
// compute_equation(p0, p1 - p0, p2 - p0, out, eps).
QRNCORE_API bool points_compute_equation(const vec3_t &p0, const vec3_t &p1, const vec3_t &p2, vec4_t *out,
                                         float eps);
// out = plane/|n| (all four components).
QRNCORE_API void plane_normalize(vec4_t *out, const vec4_t &plane);
// The point of the plane nearest the origin: -n·d/|n|².
QRNCORE_API void plane_point(vec3_t *out, const vec4_t &plane);
// The plane moved by offset: (n, d - n·offset). In place in the second form.
QRNCORE_API void translate_plane(vec4_t *out, const vec4_t &plane, const vec3_t &offset);
QRNCORE_API void translate_plane(vec4_t *plane, const vec3_t &offset);
// The plane transformed by a matrix: its plane point as a point, its normal by the
// 3×3 part (the normal is not re-normalised). In place in the second form.
QRNCORE_API void transform_plane(vec4_t *out, const vec4_t &plane, const mat4_t &m);
QRNCORE_API void transform_plane(vec4_t *plane, const mat4_t &m);
QRNCORE_API void swap_planes(vec4_t *a, vec4_t *b);
// Sorts the three planes into ascending lexicographic order of (a, b, c, d), so that
// any permutation of the same planes comes out the same.
QRNCORE_API void reorder_equations(vec4_t *a, vec4_t *b, vec4_t *c);

}  // namespace quarn

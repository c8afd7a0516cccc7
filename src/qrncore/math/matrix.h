#pragma once
// Free functions on 4×4 matrices, built on the routine table. In the products the
// transform named first acts first on a point: (result, a, b) gives b·a.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/math/mat_sq.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/vec.h"
#include "qrncore/math/ypr.h"

namespace quarn {

// result = b·a through a temporary: result may be a, b or both.
QRNCORE_API void mult_matrix_matrix(mat4_t *result, const mat4_t &a, const mat4_t &b);
// result = m·R(q): q acts first.
QRNCORE_API void mult_quat_matrix(mat4_t *result, const quat_t &q, const mat4_t &m);
// result = R(q)·m: q acts second.
QRNCORE_API void mult_matrix_quat(mat4_t *result, const mat4_t &m, const quat_t &q);

// m = m·R(ypr) (the rotation acts first) / m = R(ypr)·m (it acts last).
QRNCORE_API void matrix_rotate_left(mat4_t *m, const ypr_t &ypr);
QRNCORE_API void matrix_rotate_right(mat4_t *m, const ypr_t &ypr);
// m = m·T(v) / m = T(v)·m.
QRNCORE_API void matrix_translate_left(mat4_t *m, const vec3_t &v);
QRNCORE_API void matrix_translate_right(mat4_t *m, const vec3_t &v);
// m·S: columns 0-2 scaled by v / S·m: rows 0-2 scaled by v.
QRNCORE_API void matrix_scale_left(mat4_t *m, const vec3_t &v);
QRNCORE_API void matrix_scale_right(mat4_t *m, const vec3_t &v);

// m = the rotation, inv = its transpose; both must be given.
QRNCORE_API void matrix_pair_set_rotate(mat4_t *m, mat4_t *inv, const ypr_t &ypr);
QRNCORE_API void matrix_pair_set_quat(mat4_t *m, mat4_t *inv, const quat_t &q);
// m = T(v), inv = T(-v); either may be null and is then skipped.
QRNCORE_API void matrix_pair_set_translate(mat4_t *m, mat4_t *inv, const vec3_t &v);
// m = S, inv = the reciprocal diagonal; either may be null. A zero scale gives an
// infinite inverse diagonal.
QRNCORE_API void matrix_pair_set_scale(mat4_t *m, mat4_t *inv, const vec3_t &v);
QRNCORE_API void matrix_pair_set_const_scale(mat4_t *m, mat4_t *inv, float s);

// m += s·a over all 16 elements.
QRNCORE_API void matrix_scaled_add(mat4_t *m, const mat4_t &a, float s);
// The image of the origin: (m3, m7, m11), divided by m15 unless m15 is 0 or 1.
QRNCORE_API void mult_zero_matrix(vec3_t *out, const mat4_t &m);
// The matrix whose columns are a, b and c (no translation).
QRNCORE_API mat4_t map_to_orthonormal_base(const vec3_t &a, const vec3_t &b, const vec3_t &c);

// Weighted (skinned) transforms. For each of count vertices up to per_vertex
// (weight, index) pairs are read; each adds weight·matrices[index] to the vertex's
// matrix; a weight of exactly 0 ends the vertex's list early, while both arrays still
// advance by per_vertex. Points and normals are packed at 12 bytes; tangents are
// 4 floats at 16 bytes whose w is copied. The caller keeps every index below the
// size of the matrix array.
QRNCORE_API void mult_weighted_parray(vec3_t *dst, const vec3_t *src, const float *weights, const uint8_t *indices,
                                      const mat4_t *matrices, unsigned per_vertex, unsigned count);
QRNCORE_API void mult_weighted_narray(vec3_t *dst, const vec3_t *src, const float *weights, const uint8_t *indices,
                                      const mat4_t *matrices, unsigned per_vertex, unsigned count);
QRNCORE_API void mult_weighted_tarray(vec4_t *dst, const vec4_t *src, const float *weights, const uint8_t *indices,
                                      const mat4_t *matrices, unsigned per_vertex, unsigned count);

}  // namespace quarn

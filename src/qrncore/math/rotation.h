#pragma once
// Rotating points and normals by quaternions, yaw-pitch-roll angles and matrices.
// The normal forms use the 3×3 part only; the point forms add the translation (and
// the projective divide) of a matrix. Matrix forms go through the routine table.
#include "qrncore/api.h"
#include "qrncore/math/mat_sq.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/vec.h"
#include "qrncore/math/ypr.h"

namespace quarn {

// out = q·v·q*.
QRNCORE_API void normal_rotate(vec3_t *out, const vec3_t &v, const quat_t &q);
QRNCORE_API vec3_t point_rotate(const vec3_t &v, const quat_t &q);
// By the inverse (transposed) matrix of q.
QRNCORE_API void normal_rotate_inv(vec3_t *out, const vec3_t &v, const quat_t &q);
QRNCORE_API vec3_t point_rotate_inv(const vec3_t &v, const quat_t &q);
// By the rotation of yaw, pitch, roll (degrees) and by its inverse.
QRNCORE_API void normal_rotate(vec3_t *out, const vec3_t &v, const ypr_t &ypr);
QRNCORE_API void normal_rotate_inv(vec3_t *out, const vec3_t &v, const ypr_t &ypr);
// By a matrix and by its inverse. A singular matrix has no inverse: v comes back
// unchanged.
QRNCORE_API vec3_t normal_rotate(const vec3_t &v, const mat4_t &m);
QRNCORE_API vec3_t normal_rotate_inv(const vec3_t &v, const mat4_t &m);
QRNCORE_API vec3_t point_rotate(const vec3_t &v, const mat4_t &m);
QRNCORE_API vec3_t point_rotate_inv(const vec3_t &v, const mat4_t &m);

// The matrix whose rows 0-2 are x, y and z (no translation, element 15 = 1).
QRNCORE_API void axis_to_matrix(mat4_t *out, const vec3_t &x, const vec3_t &y, const vec3_t &z);

}  // namespace quarn

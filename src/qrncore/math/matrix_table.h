#pragma once
// The table of basic 4×4 matrix routines. Every caller goes through these exported
// pointers, so a faster variant can be put in place once at start-up without any
// caller naming it. Until then (and in programs that never start the core) they hold
// the portable routines.
//
// In every product (result, a, b) the result is b·a: a is the transform applied
// first. Array routines take (destination, source, matrix, count, destination
// stride, source stride), strides in bytes; destination and source may be the same
// array.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/math/mat_sq.h"
#include "qrncore/math/vec.h"

namespace quarn {

struct quat_t;
struct ypr_t;

extern "C" {
QRNCORE_API extern void (*fptr_matrix_set_identity)(mat4_t *m);
// Identity with translation v (or -v).
QRNCORE_API extern void (*fptr_matrix_set_translate)(mat4_t *m, const vec3_t &v);
QRNCORE_API extern void (*fptr_matrix_set_translate_inv)(mat4_t *m, const vec3_t &v);
// Identity with diagonal (v.x, v.y, v.z, 1) or (s, s, s, 1).
QRNCORE_API extern void (*fptr_matrix_set_scale)(mat4_t *m, const vec3_t &v);
QRNCORE_API extern void (*fptr_matrix_set_const_scale)(mat4_t *m, float s);
// The rotation of yaw, pitch, roll (degrees) and its transpose.
QRNCORE_API extern void (*fptr_matrix_set_rotate)(mat4_t *m, const ypr_t &ypr);
QRNCORE_API extern void (*fptr_matrix_set_rotate_inv)(mat4_t *m, const ypr_t &ypr);
QRNCORE_API extern void (*fptr_matrix_set_quat)(mat4_t *m, const quat_t &q);
// Reflection in the plane (a, b, c, d) with unit normal (a, b, c).
QRNCORE_API extern void (*fptr_matrix_set_mirror)(mat4_t *m, const vec4_t &plane);

// Points with the projective divide by w = m12·x + m13·y + m14·z + m15; a point with
// w = 0 is left undivided.
QRNCORE_API extern void (*fptr_mult_point_matrix)(vec3_t *dst, const vec3_t *src, const mat4_t &m, unsigned count,
                                                  unsigned dst_stride, unsigned src_stride);
// Points by the affine rows 0-2 (translation included), no divide.
QRNCORE_API extern void (*fptr_mult_point_matrix_fast)(vec3_t *dst, const vec3_t *src, const mat4_t &m,
                                                       unsigned count, unsigned dst_stride, unsigned src_stride);
// Points to one float each: m8·x + m9·y + m10·z + m11 (the view depth).
QRNCORE_API extern void (*fptr_mult_point_matrix_z)(float *dst, const vec3_t *src, const mat4_t &m, unsigned count,
                                                    unsigned dst_stride, unsigned src_stride);
// Directions by the upper 3×3, divided by m12·x + m13·y + m14·z unless that is 0.
QRNCORE_API extern void (*fptr_mult_normal_matrix)(vec3_t *dst, const vec3_t *src, const mat4_t &m, unsigned count,
                                                   unsigned dst_stride, unsigned src_stride);
// Directions by the upper 3×3 only.
QRNCORE_API extern void (*fptr_mult_normal_matrix_fast)(vec3_t *dst, const vec3_t *src, const mat4_t &m,
                                                        unsigned count, unsigned dst_stride, unsigned src_stride);
// 4-component vectors by the full matrix (both names reach one routine).
QRNCORE_API extern void (*fptr_mult_vector_matrix)(vec4_t *dst, const vec4_t *src, const mat4_t &m, unsigned count,
                                                   unsigned dst_stride, unsigned src_stride);
QRNCORE_API extern void (*fptr_mult_vector_matrix_fast)(vec4_t *dst, const vec4_t *src, const mat4_t &m,
                                                        unsigned count, unsigned dst_stride, unsigned src_stride);

// result = b·a. _ro allows result == b, _lo allows result == a, _no needs a result
// distinct from both; mult_matrix_matrix (matrix.h) allows any aliasing.
QRNCORE_API extern void (*fptr_mult_matrix_matrix_ro)(mat4_t *result, const mat4_t *a, const mat4_t *b);
QRNCORE_API extern void (*fptr_mult_matrix_matrix_lo)(mat4_t *result, const mat4_t *a, const mat4_t *b);
QRNCORE_API extern void (*fptr_mult_matrix_matrix_no)(mat4_t *result, const mat4_t *a, const mat4_t *b);

QRNCORE_API extern void (*fptr_matrix_transpose)(mat4_t *m);
QRNCORE_API extern void (*fptr_matrix_transpose2)(mat4_t *dst, const mat4_t *src);
// General inverse by cofactors. False when the determinant is exactly 0; the result
// is then not to be used.
QRNCORE_API extern bool (*fptr_matrix_get_inverse)(mat4_t *result, const mat4_t *m);
}

// Fills the table: every entry with the portable routine, then tuned variants chosen
// by the CPU feature set (cpu_feature_t bits). Called by the CPU start-up.
QRNCORE_API void matrix_install_routines(uint32_t cpu_features);

}  // namespace quarn

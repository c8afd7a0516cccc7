// The portable matrix routines and the table that holds them. They are written as
// plain loops over floats; the compiler vectorises them for the target, which is what
// the hand-tuned variants of older processors did by hand.
#include <cstring>

#include "qrncore/math/matrix_table.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/ypr.h"

namespace quarn {

namespace {

template <class T>
T *step(T *p, unsigned stride) {
    return reinterpret_cast<T *>(reinterpret_cast<unsigned char *>(p) + stride);
}
template <class T>
const T *step(const T *p, unsigned stride) {
    return reinterpret_cast<const T *>(reinterpret_cast<const unsigned char *>(p) + stride);
}

void c_set_identity(mat4_t *m) { *m = mat4_t::identity(); }

void c_set_translate(mat4_t *m, const vec3_t &v) {
    *m = mat4_t::identity();
    m->m[3] = v.x, m->m[7] = v.y, m->m[11] = v.z;
}

void c_set_translate_inv(mat4_t *m, const vec3_t &v) {
    *m = mat4_t::identity();
    m->m[3] = -v.x, m->m[7] = -v.y, m->m[11] = -v.z;
}

void c_set_scale(mat4_t *m, const vec3_t &v) {
    *m = mat4_t{};
    m->m[0] = v.x, m->m[5] = v.y, m->m[10] = v.z, m->m[15] = 1.0f;
}

void c_set_const_scale(mat4_t *m, float s) {
    *m = mat4_t{};
    m->m[0] = s, m->m[5] = s, m->m[10] = s, m->m[15] = 1.0f;
}

void c_set_rotate(mat4_t *m, const ypr_t &ypr) {
    quat_t q;
    q.set(ypr);
    q.get_matrix(m);
}

void c_set_rotate_inv(mat4_t *m, const ypr_t &ypr) {
    quat_t q;
    q.set(ypr);
    q.get_inverse_matrix(m);
}

void c_set_quat(mat4_t *m, const quat_t &q) { q.get_matrix(m); }

void c_set_mirror(mat4_t *m, const vec4_t &plane) {
    const float n[3] = {plane.x, plane.y, plane.z};
    *m = mat4_t{};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) m->m[r * 4 + c] = (r == c ? 1.0f : 0.0f) - 2.0f * n[r] * n[c];
        m->m[r * 4 + 3] = -2.0f * plane.w * n[r];
    }
    m->m[15] = 1.0f;
}

void c_mult_point(vec3_t *dst, const vec3_t *src, const mat4_t &mat, unsigned count, unsigned dst_stride,
                  unsigned src_stride) {
    const float *m = mat.m;
    for (unsigned i = 0; i < count; ++i, dst = step(dst, dst_stride), src = step(src, src_stride)) {
        const float x = src->x, y = src->y, z = src->z;
        float rx = m[0] * x + m[1] * y + m[2] * z + m[3];
        float ry = m[4] * x + m[5] * y + m[6] * z + m[7];
        float rz = m[8] * x + m[9] * y + m[10] * z + m[11];
        const float w = m[12] * x + m[13] * y + m[14] * z + m[15];
        if (w != 0.0f) rx /= w, ry /= w, rz /= w;
        dst->x = rx, dst->y = ry, dst->z = rz;
    }
}

void c_mult_point_fast(vec3_t *dst, const vec3_t *src, const mat4_t &mat, unsigned count, unsigned dst_stride,
                       unsigned src_stride) {
    const float *m = mat.m;
    for (unsigned i = 0; i < count; ++i, dst = step(dst, dst_stride), src = step(src, src_stride)) {
        const float x = src->x, y = src->y, z = src->z;
        const float rx = m[0] * x + m[1] * y + m[2] * z + m[3];
        const float ry = m[4] * x + m[5] * y + m[6] * z + m[7];
        const float rz = m[8] * x + m[9] * y + m[10] * z + m[11];
        dst->x = rx, dst->y = ry, dst->z = rz;
    }
}

void c_mult_point_z(float *dst, const vec3_t *src, const mat4_t &mat, unsigned count, unsigned dst_stride,
                    unsigned src_stride) {
    const float *m = mat.m;
    for (unsigned i = 0; i < count; ++i, dst = step(dst, dst_stride), src = step(src, src_stride))
        *dst = m[8] * src->x + m[9] * src->y + m[10] * src->z + m[11];
}

void c_mult_normal(vec3_t *dst, const vec3_t *src, const mat4_t &mat, unsigned count, unsigned dst_stride,
                   unsigned src_stride) {
    const float *m = mat.m;
    for (unsigned i = 0; i < count; ++i, dst = step(dst, dst_stride), src = step(src, src_stride)) {
        const float x = src->x, y = src->y, z = src->z;
        float rx = m[0] * x + m[1] * y + m[2] * z;
        float ry = m[4] * x + m[5] * y + m[6] * z;
        float rz = m[8] * x + m[9] * y + m[10] * z;
        const float w = m[12] * x + m[13] * y + m[14] * z;
        if (w != 0.0f) rx /= w, ry /= w, rz /= w;
        dst->x = rx, dst->y = ry, dst->z = rz;
    }
}

void c_mult_normal_fast(vec3_t *dst, const vec3_t *src, const mat4_t &mat, unsigned count, unsigned dst_stride,
                        unsigned src_stride) {
    const float *m = mat.m;
    for (unsigned i = 0; i < count; ++i, dst = step(dst, dst_stride), src = step(src, src_stride)) {
        const float x = src->x, y = src->y, z = src->z;
        const float rx = m[0] * x + m[1] * y + m[2] * z;
        const float ry = m[4] * x + m[5] * y + m[6] * z;
        const float rz = m[8] * x + m[9] * y + m[10] * z;
        dst->x = rx, dst->y = ry, dst->z = rz;
    }
}

void c_mult_vector(vec4_t *dst, const vec4_t *src, const mat4_t &mat, unsigned count, unsigned dst_stride,
                   unsigned src_stride) {
    const float *m = mat.m;
    for (unsigned i = 0; i < count; ++i, dst = step(dst, dst_stride), src = step(src, src_stride)) {
        const float x = src->x, y = src->y, z = src->z, w = src->w;
        const float rx = m[0] * x + m[1] * y + m[2] * z + m[3] * w;
        const float ry = m[4] * x + m[5] * y + m[6] * z + m[7] * w;
        const float rz = m[8] * x + m[9] * y + m[10] * z + m[11] * w;
        const float rw = m[12] * x + m[13] * y + m[14] * z + m[15] * w;
        dst->x = rx, dst->y = ry, dst->z = rz, dst->w = rw;
    }
}

// r = b·a into separate storage.
inline void product(float *__restrict r, const float *a, const float *b) {
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            r[row * 4 + col] = b[row * 4 + 0] * a[0 * 4 + col] + b[row * 4 + 1] * a[1 * 4 + col] +
                               b[row * 4 + 2] * a[2 * 4 + col] + b[row * 4 + 3] * a[3 * 4 + col];
}

// The portable products all go through a temporary, so every aliasing pattern works.
void c_mult_matrix_matrix(mat4_t *result, const mat4_t *a, const mat4_t *b) {
    float t[16];
    product(t, a->m, b->m);
    memcpy(result->m, t, sizeof t);
}

void c_transpose(mat4_t *m) {
    for (int r = 0; r < 4; ++r)
        for (int c = r + 1; c < 4; ++c) {
            const float t = m->m[r * 4 + c];
            m->m[r * 4 + c] = m->m[c * 4 + r];
            m->m[c * 4 + r] = t;
        }
}

void c_transpose2(mat4_t *dst, const mat4_t *src) {
    mat4_t t;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) t.m[c * 4 + r] = src->m[r * 4 + c];
    *dst = t;
}

bool c_get_inverse(mat4_t *result, const mat4_t *mat) {
    const float *m = mat->m;
    float inv[16];
    // Cofactors of the transposed positions (the adjugate), expanded by 2×2 minors.
    inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] +
             m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] - m[8] * m[7] * m[14] -
             m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] +
             m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] - m[8] * m[6] * m[13] -
              m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] - m[9] * m[3] * m[14] -
             m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] +
             m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] -
             m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] +
              m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
             m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
    inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] -
             m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] +
              m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] -
              m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] -
             m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
    inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
             m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
    inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
              m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
    inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] +
              m[8] * m[1] * m[6] - m[8] * m[2] * m[5];
    const float det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
    // A singular matrix leaves the result as it was rather than half-written.
    if (det == 0.0f) return false;
    for (int i = 0; i < 16; ++i) result->m[i] = inv[i] / det;
    return true;
}

}  // namespace

extern "C" {
void (*fptr_matrix_set_identity)(mat4_t *) = c_set_identity;
void (*fptr_matrix_set_translate)(mat4_t *, const vec3_t &) = c_set_translate;
void (*fptr_matrix_set_translate_inv)(mat4_t *, const vec3_t &) = c_set_translate_inv;
void (*fptr_matrix_set_scale)(mat4_t *, const vec3_t &) = c_set_scale;
void (*fptr_matrix_set_const_scale)(mat4_t *, float) = c_set_const_scale;
void (*fptr_matrix_set_rotate)(mat4_t *, const ypr_t &) = c_set_rotate;
void (*fptr_matrix_set_rotate_inv)(mat4_t *, const ypr_t &) = c_set_rotate_inv;
void (*fptr_matrix_set_quat)(mat4_t *, const quat_t &) = c_set_quat;
void (*fptr_matrix_set_mirror)(mat4_t *, const vec4_t &) = c_set_mirror;
void (*fptr_mult_point_matrix)(vec3_t *, const vec3_t *, const mat4_t &, unsigned, unsigned, unsigned) = c_mult_point;
void (*fptr_mult_point_matrix_fast)(vec3_t *, const vec3_t *, const mat4_t &, unsigned, unsigned,
                                    unsigned) = c_mult_point_fast;
void (*fptr_mult_point_matrix_z)(float *, const vec3_t *, const mat4_t &, unsigned, unsigned,
                                 unsigned) = c_mult_point_z;
void (*fptr_mult_normal_matrix)(vec3_t *, const vec3_t *, const mat4_t &, unsigned, unsigned,
                                unsigned) = c_mult_normal;
void (*fptr_mult_normal_matrix_fast)(vec3_t *, const vec3_t *, const mat4_t &, unsigned, unsigned,
                                     unsigned) = c_mult_normal_fast;
void (*fptr_mult_vector_matrix)(vec4_t *, const vec4_t *, const mat4_t &, unsigned, unsigned,
                                unsigned) = c_mult_vector;
void (*fptr_mult_vector_matrix_fast)(vec4_t *, const vec4_t *, const mat4_t &, unsigned, unsigned,
                                     unsigned) = c_mult_vector;
void (*fptr_mult_matrix_matrix_ro)(mat4_t *, const mat4_t *, const mat4_t *) = c_mult_matrix_matrix;
void (*fptr_mult_matrix_matrix_lo)(mat4_t *, const mat4_t *, const mat4_t *) = c_mult_matrix_matrix;
void (*fptr_mult_matrix_matrix_no)(mat4_t *, const mat4_t *, const mat4_t *) = c_mult_matrix_matrix;
void (*fptr_matrix_transpose)(mat4_t *) = c_transpose;
void (*fptr_matrix_transpose2)(mat4_t *, const mat4_t *) = c_transpose2;
bool (*fptr_matrix_get_inverse)(mat4_t *, const mat4_t *) = c_get_inverse;
}

void matrix_install_routines(uint32_t cpu_features) {
    fptr_matrix_set_identity = c_set_identity;
    fptr_matrix_set_translate = c_set_translate;
    fptr_matrix_set_translate_inv = c_set_translate_inv;
    fptr_matrix_set_scale = c_set_scale;
    fptr_matrix_set_const_scale = c_set_const_scale;
    fptr_matrix_set_rotate = c_set_rotate;
    fptr_matrix_set_rotate_inv = c_set_rotate_inv;
    fptr_matrix_set_quat = c_set_quat;
    fptr_matrix_set_mirror = c_set_mirror;
    fptr_mult_point_matrix = c_mult_point;
    fptr_mult_point_matrix_fast = c_mult_point_fast;
    fptr_mult_point_matrix_z = c_mult_point_z;
    fptr_mult_normal_matrix = c_mult_normal;
    fptr_mult_normal_matrix_fast = c_mult_normal_fast;
    fptr_mult_vector_matrix = c_mult_vector;
    fptr_mult_vector_matrix_fast = c_mult_vector;
    fptr_mult_matrix_matrix_ro = c_mult_matrix_matrix;
    fptr_mult_matrix_matrix_lo = c_mult_matrix_matrix;
    fptr_mult_matrix_matrix_no = c_mult_matrix_matrix;
    fptr_matrix_transpose = c_transpose;
    fptr_matrix_transpose2 = c_transpose2;
    fptr_matrix_get_inverse = c_get_inverse;
    // No tuned variants: on x86-64 the portable loops are compiled to SSE already,
    // so the feature set chooses nothing further.
    (void)cpu_features;
}

}  // namespace quarn

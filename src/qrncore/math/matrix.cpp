#include "qrncore/math/matrix.h"

#include "qrncore/math/matrix_table.h"
#include "qrncore/system/messages.h"

namespace quarn {

void mult_matrix_matrix(mat4_t *result, const mat4_t &a, const mat4_t &b) {
    mat4_t t;
    fptr_mult_matrix_matrix_no(&t, &a, &b);
    *result = t;
}

void mult_quat_matrix(mat4_t *result, const quat_t &q, const mat4_t &m) {
    mat4_t r;
    q.get_matrix(&r);
    mult_matrix_matrix(result, r, m);
}

void mult_matrix_quat(mat4_t *result, const mat4_t &m, const quat_t &q) {
    mat4_t r;
    q.get_matrix(&r);
    mult_matrix_matrix(result, m, r);
}

void matrix_rotate_left(mat4_t *m, const ypr_t &ypr) {
    mat4_t r;
    fptr_matrix_set_rotate(&r, ypr);
    mult_matrix_matrix(m, r, *m);
}

void matrix_rotate_right(mat4_t *m, const ypr_t &ypr) {
    mat4_t r;
    fptr_matrix_set_rotate(&r, ypr);
    mult_matrix_matrix(m, *m, r);
}

void matrix_translate_left(mat4_t *m, const vec3_t &v) {
    mat4_t t;
    fptr_matrix_set_translate(&t, v);
    mult_matrix_matrix(m, t, *m);
}

void matrix_translate_right(mat4_t *m, const vec3_t &v) {
    mat4_t t;
    fptr_matrix_set_translate(&t, v);
    mult_matrix_matrix(m, *m, t);
}

void matrix_scale_left(mat4_t *m, const vec3_t &v) {
    for (int r = 0; r < 4; ++r) {
        m->m[r * 4 + 0] *= v.x;
        m->m[r * 4 + 1] *= v.y;
        m->m[r * 4 + 2] *= v.z;
    }
}

void matrix_scale_right(mat4_t *m, const vec3_t &v) {
    for (int c = 0; c < 4; ++c) {
        m->m[0 + c] *= v.x;
        m->m[4 + c] *= v.y;
        m->m[8 + c] *= v.z;
    }
}

void matrix_pair_set_rotate(mat4_t *m, mat4_t *inv, const ypr_t &ypr) {
    V_ASSERT(m && inv);
    fptr_matrix_set_rotate(m, ypr);
    fptr_matrix_transpose2(inv, m);
}

void matrix_pair_set_quat(mat4_t *m, mat4_t *inv, const quat_t &q) {
    V_ASSERT(m && inv);
    fptr_matrix_set_quat(m, q);
    fptr_matrix_transpose2(inv, m);
}

void matrix_pair_set_translate(mat4_t *m, mat4_t *inv, const vec3_t &v) {
    if (m) fptr_matrix_set_translate(m, v);
    if (inv) fptr_matrix_set_translate_inv(inv, v);
}

void matrix_pair_set_scale(mat4_t *m, mat4_t *inv, const vec3_t &v) {
    if (m) fptr_matrix_set_scale(m, v);
    if (inv) fptr_matrix_set_scale(inv, {1.0f / v.x, 1.0f / v.y, 1.0f / v.z});
}

void matrix_pair_set_const_scale(mat4_t *m, mat4_t *inv, float s) {
    if (m) fptr_matrix_set_const_scale(m, s);
    if (inv) fptr_matrix_set_const_scale(inv, 1.0f / s);
}

void matrix_scaled_add(mat4_t *m, const mat4_t &a, float s) {
    for (int i = 0; i < 16; ++i) m->m[i] += s * a.m[i];
}

void mult_zero_matrix(vec3_t *out, const mat4_t &m) {
    *out = {m.m[3], m.m[7], m.m[11]};
    if (m.m[15] != 0.0f && m.m[15] != 1.0f) *out = *out / m.m[15];
}

mat4_t map_to_orthonormal_base(const vec3_t &a, const vec3_t &b, const vec3_t &c) {
    mat4_t m;
    m.m[0] = a.x, m.m[1] = b.x, m.m[2] = c.x;
    m.m[4] = a.y, m.m[5] = b.y, m.m[6] = c.y;
    m.m[8] = a.z, m.m[9] = b.z, m.m[10] = c.z;
    m.m[15] = 1.0f;
    return m;
}

namespace {

// The blended matrix of one vertex; advances weights and indices by per_vertex.
void blend(mat4_t *acc, const float *&weights, const uint8_t *&indices, const mat4_t *matrices,
           unsigned per_vertex) {
    *acc = mat4_t{};
    for (unsigned k = 0; k < per_vertex; ++k) {
        if (weights[k] == 0.0f) break;
        matrix_scaled_add(acc, matrices[indices[k]], weights[k]);
    }
    weights += per_vertex;
    indices += per_vertex;
}

}  // namespace

void mult_weighted_parray(vec3_t *dst, const vec3_t *src, const float *weights, const uint8_t *indices,
                          const mat4_t *matrices, unsigned per_vertex, unsigned count) {
    mat4_t acc;
    for (unsigned i = 0; i < count; ++i) {
        blend(&acc, weights, indices, matrices, per_vertex);
        fptr_mult_point_matrix_fast(dst + i, src + i, acc, 1, sizeof(vec3_t), sizeof(vec3_t));
    }
}

void mult_weighted_narray(vec3_t *dst, const vec3_t *src, const float *weights, const uint8_t *indices,
                          const mat4_t *matrices, unsigned per_vertex, unsigned count) {
    mat4_t acc;
    for (unsigned i = 0; i < count; ++i) {
        blend(&acc, weights, indices, matrices, per_vertex);
        fptr_mult_normal_matrix_fast(dst + i, src + i, acc, 1, sizeof(vec3_t), sizeof(vec3_t));
    }
}

void mult_weighted_tarray(vec4_t *dst, const vec4_t *src, const float *weights, const uint8_t *indices,
                          const mat4_t *matrices, unsigned per_vertex, unsigned count) {
    mat4_t acc;
    for (unsigned i = 0; i < count; ++i) {
        blend(&acc, weights, indices, matrices, per_vertex);
        const vec3_t t{src[i].x, src[i].y, src[i].z};
        vec3_t r;
        fptr_mult_normal_matrix_fast(&r, &t, acc, 1, sizeof(vec3_t), sizeof(vec3_t));
        dst[i] = {r.x, r.y, r.z, src[i].w};
    }
}

}  // namespace quarn

#include "qrncore/math/rotation.h"

#include "qrncore/math/matrix_table.h"

namespace quarn {

namespace {
constexpr unsigned STRIDE = sizeof(vec3_t);

vec3_t by_normal(const vec3_t &v, const mat4_t &m) {
    vec3_t out;
    fptr_mult_normal_matrix(&out, &v, m, 1, STRIDE, STRIDE);
    return out;
}

vec3_t by_point(const vec3_t &v, const mat4_t &m) {
    vec3_t out;
    fptr_mult_point_matrix(&out, &v, m, 1, STRIDE, STRIDE);
    return out;
}

// The inverse of m, or the identity when m is singular (the inverse routine leaves
// its result unusable then; the identity keeps the caller's vector unchanged).
mat4_t inverse_or_identity(const mat4_t &m) {
    mat4_t inv;
    if (!fptr_matrix_get_inverse(&inv, &m)) inv = mat4_t::identity();
    return inv;
}
}  // namespace

void normal_rotate(vec3_t *out, const vec3_t &v, const quat_t &q) { *out = q.rotate(v); }

vec3_t point_rotate(const vec3_t &v, const quat_t &q) { return q.rotate(v); }

void normal_rotate_inv(vec3_t *out, const vec3_t &v, const quat_t &q) {
    mat4_t m;
    q.get_inverse_matrix(&m);
    *out = by_normal(v, m);
}

vec3_t point_rotate_inv(const vec3_t &v, const quat_t &q) {
    vec3_t out;
    normal_rotate_inv(&out, v, q);
    return out;
}

void normal_rotate(vec3_t *out, const vec3_t &v, const ypr_t &ypr) {
    mat4_t m;
    fptr_matrix_set_rotate(&m, ypr);
    *out = by_normal(v, m);
}

void normal_rotate_inv(vec3_t *out, const vec3_t &v, const ypr_t &ypr) {
    mat4_t m;
    fptr_matrix_set_rotate_inv(&m, ypr);
    *out = by_normal(v, m);
}

vec3_t normal_rotate(const vec3_t &v, const mat4_t &m) { return by_normal(v, m); }

vec3_t normal_rotate_inv(const vec3_t &v, const mat4_t &m) { return by_normal(v, inverse_or_identity(m)); }

vec3_t point_rotate(const vec3_t &v, const mat4_t &m) { return by_point(v, m); }

vec3_t point_rotate_inv(const vec3_t &v, const mat4_t &m) { return by_point(v, inverse_or_identity(m)); }

void axis_to_matrix(mat4_t *out, const vec3_t &x, const vec3_t &y, const vec3_t &z) {
    float *m = out->m;
    m[0] = x.x, m[1] = x.y, m[2] = x.z, m[3] = 0.0f;
    m[4] = y.x, m[5] = y.y, m[6] = y.z, m[7] = 0.0f;
    m[8] = z.x, m[9] = z.y, m[10] = z.z, m[11] = 0.0f;
    m[12] = m[13] = m[14] = 0.0f;
    m[15] = 1.0f;
}

}  // namespace quarn

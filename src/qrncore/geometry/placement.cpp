#include "qrncore/geometry/placement.h"

#include "qrncore/math/matrix.h"

namespace quarn {

namespace {

// T(p)·R(q)·S(s): R's columns scaled, the position in the translation.
void affine(mat4_t *m, const vec3_t &p, const quat_t &q, const vec3_t &s) {
    q.get_matrix(m);
    matrix_scale_left(m, s);
    m->m[3] = p.x, m->m[7] = p.y, m->m[11] = p.z;
}

// S(1/s)·R(q*)·T(-p): the transposed rotation, its rows divided by s, then the
// translation that takes p to the origin first.
void affine_inverse(mat4_t *m, const vec3_t &p, const quat_t &q, const vec3_t &s) {
    q.get_inverse_matrix(m);
    matrix_scale_right(m, {1.0f / s.x, 1.0f / s.y, 1.0f / s.z});
    for (int r = 0; r < 3; ++r) m->m[r * 4 + 3] = -(m->m[r * 4] * p.x + m->m[r * 4 + 1] * p.y + m->m[r * 4 + 2] * p.z);
}

const vec3_t UNIT_SCALE{1.0f, 1.0f, 1.0f};

}  // namespace

// ---- placement_t ----

void placement_t::rotate_globally(const quat_t &r) {
    position = r.rotate(position);
    rotation = r * rotation;
}

void placement_t::rotate_locally(const vec3_t &v, const quat_t &r) {
    const vec3_t w = rotation.rotate(v);
    position = r.rotate(position - w) + w;
    rotation = r * rotation;
}

void placement_t::translate_locally(const vec3_t &v) { position += rotation.rotate(v); }

placement_t placement_t::from_matrix(const mat4_t &m) {
    placement_t p;
    p.position = {m.m[3], m.m[7], m.m[11]};
    p.rotation.set_matrix(m);
    p.rotation.normalize();
    return p;
}

mat4_t placement_t::compute_matrix() const {
    mat4_t m;
    compute_matrix(&m);
    return m;
}

void placement_t::compute_matrix(mat4_t *m) const { affine(m, position, rotation, UNIT_SCALE); }

mat4_t placement_t::compute_inverse_matrix() const {
    mat4_t m;
    compute_inverse_matrix(&m);
    return m;
}

void placement_t::compute_inverse_matrix(mat4_t *m) const { affine_inverse(m, position, rotation, UNIT_SCALE); }

void placement_t::interpolate(const placement_t &a, const placement_t &b, float t) {
    const vec3_t p = lerp(a.position, b.position, t);
    rotation.slerp_generic(a.rotation, b.rotation, t);
    position = p;
}

vec3_t placement_t::to_local_space(const vec3_t &point) const { return rotation.inverse_rotate(point - position); }

vec3_t placement_t::from_local_space(const vec3_t &point) const { return rotation.rotate(point) + position; }

placement_t placement_t::to_local_space(const placement_t &o) const {
    return {rotation.inverse_rotate(o.position - position), rotation.get_conjugate() * o.rotation};
}

placement_t placement_t::from_local_space(const placement_t &l) const {
    return {rotation.rotate(l.position) + position, rotation * l.rotation};
}

// ---- placement_scale_t ----

mat4_t placement_scale_t::compute_matrix() const {
    mat4_t m;
    compute_matrix(&m);
    return m;
}

void placement_scale_t::compute_matrix(mat4_t *m) const { affine(m, position, rotation, {scale, scale, scale}); }

mat4_t placement_scale_t::compute_inverse_matrix() const {
    mat4_t m;
    compute_inverse_matrix(&m);
    return m;
}

void placement_scale_t::compute_inverse_matrix(mat4_t *m) const {
    affine_inverse(m, position, rotation, {scale, scale, scale});
}

void placement_scale_t::interpolate(const placement_scale_t &a, const placement_scale_t &b, float t) {
    const vec3_t p = lerp(a.position, b.position, t);
    const float s = a.scale * (1.0f - t) + b.scale * t;
    rotation.slerp_generic(a.rotation, b.rotation, t);
    position = p;
    scale = s;
}

vec3_t placement_scale_t::to_local_space(const vec3_t &point) const {
    return rotation.inverse_rotate(point - position) / scale;
}

vec3_t placement_scale_t::from_local_space(const vec3_t &point) const {
    return rotation.rotate(scale * point) + position;
}

placement_t placement_scale_t::to_local_space(const placement_t &o) const {
    return {rotation.inverse_rotate(o.position - position) / scale, rotation.get_conjugate() * o.rotation};
}

placement_t placement_scale_t::from_local_space(const placement_t &l) const {
    return {rotation.rotate(scale * l.position) + position, rotation * l.rotation};
}

// ---- placement_nonuniform_t ----

mat4_t placement_nonuniform_t::compute_matrix() const {
    mat4_t m;
    compute_matrix(&m);
    return m;
}

void placement_nonuniform_t::compute_matrix(mat4_t *m) const { affine(m, position, rotation, scale); }

mat4_t placement_nonuniform_t::compute_inverse_matrix() const {
    mat4_t m;
    compute_inverse_matrix(&m);
    return m;
}

void placement_nonuniform_t::compute_inverse_matrix(mat4_t *m) const { affine_inverse(m, position, rotation, scale); }

void placement_nonuniform_t::interpolate(const placement_nonuniform_t &a, const placement_nonuniform_t &b, float t) {
    const vec3_t p = lerp(a.position, b.position, t);
    const vec3_t s = lerp(a.scale, b.scale, t);
    rotation.slerp_generic(a.rotation, b.rotation, t);
    position = p;
    scale = s;
}

vec3_t placement_nonuniform_t::to_local_space(const vec3_t &point) const {
    return div(rotation.inverse_rotate(point - position), scale);
}

vec3_t placement_nonuniform_t::from_local_space(const vec3_t &point) const {
    return rotation.rotate(mul(scale, point)) + position;
}

}  // namespace quarn

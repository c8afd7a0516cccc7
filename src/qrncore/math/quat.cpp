#include "qrncore/math/quat.h"

#include <cmath>

#include "qrncore/math/scalar.h"
#include "qrncore/math/ypr.h"

namespace quarn {

quat_t &quat_t::operator*=(const quat_t &q) { return *this = *this * q; }

quat_t quat_t::operator*(const quat_t &q) const {
    return {w * q.w - x * q.x - y * q.y - z * q.z, w * q.x + x * q.w + y * q.z - z * q.y,
            w * q.y + y * q.w + z * q.x - x * q.z, w * q.z + z * q.w + x * q.y - y * q.x};
}

void quat_t::normalize() {
    const float len = std::sqrt(dot(*this));
    if (len > 0.0f) w /= len, x /= len, y /= len, z /= len;
}

void quat_t::set_axis_angle(const vec3_t &axis, float angle) {
    const float half = angle * 0.5f;
    const float s = std::sin(half) / length(axis);
    w = std::cos(half);
    x = axis.x * s, y = axis.y * s, z = axis.z * s;
}

float quat_t::get_rotation_angle() const {
    // w of a normalised quaternion can round just past ±1; acos would then give NaN.
    return 2.0f * std::acos(clamp_value(w, -1.0f, 1.0f));
}

void quat_t::set_matrix(const mat4_t &mat) {
    const float *m = mat.m;
    const float trace = m[0] + m[5] + m[10];
    if (trace > 0.0f) {
        const float s = 0.5f / std::sqrt(trace + 1.0f);
        w = 0.25f / s;
        x = s * (m[9] - m[6]);
        y = s * (m[2] - m[8]);
        z = s * (m[4] - m[1]);
    } else if (m[0] >= m[5] && m[0] >= m[10]) {
        const float s = 0.5f / std::sqrt(1.0f + m[0] - m[5] - m[10]);
        x = 0.25f / s;
        y = s * (m[4] + m[1]);
        z = s * (m[8] + m[2]);
        w = s * (m[9] - m[6]);
    } else if (m[5] >= m[10]) {
        const float s = 0.5f / std::sqrt(1.0f + m[5] - m[0] - m[10]);
        y = 0.25f / s;
        x = s * (m[4] + m[1]);
        z = s * (m[9] + m[6]);
        w = s * (m[2] - m[8]);
    } else {
        const float s = 0.5f / std::sqrt(1.0f + m[10] - m[0] - m[5]);
        z = 0.25f / s;
        x = s * (m[8] + m[2]);
        y = s * (m[9] + m[6]);
        w = s * (m[4] - m[1]);
    }
}

void quat_t::get_matrix(mat4_t *mat) const {
    float *m = mat->m;
    m[0] = 1.0f - 2.0f * (y * y + z * z);
    m[1] = 2.0f * (x * y - w * z);
    m[2] = 2.0f * (x * z + w * y);
    m[4] = 2.0f * (x * y + w * z);
    m[5] = 1.0f - 2.0f * (x * x + z * z);
    m[6] = 2.0f * (y * z - w * x);
    m[8] = 2.0f * (x * z - w * y);
    m[9] = 2.0f * (y * z + w * x);
    m[10] = 1.0f - 2.0f * (x * x + y * y);
    m[3] = m[7] = m[11] = m[12] = m[13] = m[14] = 0.0f;
    m[15] = 1.0f;
}

void quat_t::get_inverse_matrix(mat4_t *m) const { get_conjugate().get_matrix(m); }

void quat_t::get_matrix_pair(mat4_t *m, mat4_t *inv) const {
    get_matrix(m);
    get_inverse_matrix(inv);
}

vec3_t quat_t::rotate(const vec3_t &v) const {
    const vec3_t u{x, y, z};
    return 2.0f * ((w * w - 0.5f) * v + w * cross(u, v) + quarn::dot(u, v) * u);
}

vec3_t quat_t::inverse_rotate(const vec3_t &v) const { return get_conjugate().rotate(v); }

quat_t quat_t::get_delta(const quat_t &q2) const { return q2 * get_conjugate(); }

namespace {

quat_t weighted_sum(const quat_t &a, float wa, const quat_t &b, float wb) {
    return {wa * a.w + wb * b.w, wa * a.x + wb * b.x, wa * a.y + wb * b.y, wa * a.z + wb * b.z};
}

// The sine weights of a slerp over the angle acos(d), or linear ones when the two
// rotations are too close for the sine ratio to be stable.
void slerp_weights(float d, float t, float *wa, float *wb) {
    if (std::fabs(d) > 0.9999f) {
        *wa = 1.0f - t;
        *wb = t;
        return;
    }
    const float theta = std::acos(d);
    const float s = std::sin(theta);
    *wa = std::sin((1.0f - t) * theta) / s;
    *wb = std::sin(t * theta) / s;
}

}  // namespace

void quat_t::slerp_generic(const quat_t &a, const quat_t &b_in, float t) {
    quat_t b = b_in;
    float d = a.dot(b);
    if (d < 0.0f) {
        b.negate();
        d = -d;
    }
    float wa, wb;
    slerp_weights(d, t, &wa, &wb);
    *this = weighted_sum(a, wa, b, wb);
}

void quat_t::slerp_pure(const quat_t &a, const quat_t &b, float t) {
    float wa, wb;
    slerp_weights(a.dot(b), t, &wa, &wb);
    *this = weighted_sum(a, wa, b, wb);
}

void quat_t::lerp_generic(const quat_t &a, const quat_t &b_in, float t) {
    quat_t b = b_in;
    if (a.dot(b) < 0.0f) b.negate();
    *this = weighted_sum(a, 1.0f - t, b, t);
    normalize();
}

void quat_t::lerp_pure(const quat_t &a, const quat_t &b, float t) { *this = weighted_sum(a, 1.0f - t, b, t); }

void quat_t::set(const ypr_t &ypr) {
    quat_t qy, qx, qz;
    qy.set_axis_angle({0.0f, 1.0f, 0.0f}, ypr.yaw * DEG_TO_RAD);
    qx.set_axis_angle({1.0f, 0.0f, 0.0f}, ypr.pitch * DEG_TO_RAD);
    qz.set_axis_angle({0.0f, 0.0f, 1.0f}, ypr.roll * DEG_TO_RAD);
    *this = (qy * qx) * qz;
}

ypr_t quat_t::get_ypr() const {
    mat4_t m;
    get_matrix(&m);
    // The element can round just past ±1 for a pitch of ±90°; clamped so the roll never
    // becomes NaN.
    return {-std::atan2(m.m[8], m.m[0]) * RAD_TO_DEG, -std::atan2(m.m[6], m.m[5]) * RAD_TO_DEG,
            safe_asin(m.m[4]) * RAD_TO_DEG};
}

vec3_t quat_t::get_cartes() const { return rotate({0.0f, 0.0f, -1.0f}); }

void quat_t::set_cartes(const vec3_t &dir) {
    ypr_t ypr;
    ypr.set_direction(dir);
    set(ypr);
}

}  // namespace quarn

#pragma once
// Rotation quaternion stored w, x, y, z (scalar first). A unit quaternion q turns a
// vector v into q·v·q* (Hamilton product); the identity is (1, 0, 0, 0).
#include "qrncore/api.h"
#include "qrncore/math/mat_sq.h"
#include "qrncore/math/vec.h"

namespace quarn {

struct ypr_t;

struct QRNCORE_API quat_t {
    constexpr quat_t() = default;
    constexpr quat_t(float w_, float x_, float y_, float z_) : w(w_), x(x_), y(y_), z(z_) {}

    // this = this ⊗ q: q acts first, then this.
    quat_t &operator*=(const quat_t &q);
    quat_t operator*(const quat_t &q) const;

    // Negates x, y and z: the inverse of a unit quaternion. Two names, one operation.
    void conjugate() { x = -x, y = -y, z = -z; }
    void invert() { conjugate(); }
    quat_t get_conjugate() const { return {w, -x, -y, -z}; }
    // Negates all four: the same rotation on the other hemisphere.
    void negate() { w = -w, x = -x, y = -y, z = -z; }
    float dot(const quat_t &q) const { return w * q.w + x * q.x + y * q.y + z * q.z; }
    // True when w is exactly 1; x, y and z are not looked at.
    bool is_identity() const { return w == 1.0f; }
    // Divides by the length when it is greater than 0; a zero quaternion stays as it is.
    void normalize();

    // w = cos(angle/2), (x, y, z) = axis/|axis|·sin(angle/2); angle in radians. A zero
    // axis gives NaN components (the caller passes a direction).
    void set_axis_angle(const vec3_t &axis, float angle);
    // (x, y, z) as stored, not normalised.
    vec3_t get_rotation_axis() const { return {x, y, z}; }
    // 2·acos(w) in radians.
    float get_rotation_angle() const;

    // The quaternion of a rotation matrix (upper 3×3 of m).
    void set_matrix(const mat4_t &m);
    // m = R(q), an affine rotation matrix.
    void get_matrix(mat4_t *m) const;
    // m = transpose of R(q).
    void get_inverse_matrix(mat4_t *m) const;
    void get_matrix_pair(mat4_t *m, mat4_t *inv) const;

    // q·v·q* by the closed form, without building a matrix.
    vec3_t rotate(const vec3_t &v) const;
    // The rotation by the conjugate.
    vec3_t inverse_rotate(const vec3_t &v) const;
    // q2 ⊗ conjugate(this): the rotation that takes this to q2.
    quat_t get_delta(const quat_t &q2) const;

    // Interpolations writing this. The generic forms take the short way (b negated
    // when a·b < 0); the pure forms do not. Slerps fall back to linear weights when
    // the rotations are nearly equal (|dot| > 0.9999). Only lerp_generic normalises.
    void slerp_generic(const quat_t &a, const quat_t &b, float t);
    void slerp_pure(const quat_t &a, const quat_t &b, float t);
    void lerp_generic(const quat_t &a, const quat_t &b, float t);
    void lerp_pure(const quat_t &a, const quat_t &b, float t);

    // From yaw, pitch, roll in degrees: Qy(yaw) ⊗ Qx(pitch) ⊗ Qz(roll).
    void set(const ypr_t &ypr);
    // Back to degrees. Exact inverse of set only when pitch or roll is zero.
    ypr_t get_ypr() const;
    // The forward direction: rotate((0, 0, -1)).
    vec3_t get_cartes() const;
    // The rotation looking along dir (no roll); a zero direction gives the identity.
    void set_cartes(const vec3_t &dir);

    float w = 1.0f, x = 0.0f, y = 0.0f, z = 0.0f;
};

static_assert(sizeof(quat_t) == 16, "quaternion is four packed floats");

// The rotation of yaw, pitch and roll in degrees, as quat_t::set makes it.
inline quat_t quat_of(const ypr_t &ypr) {
    quat_t q;
    q.set(ypr);
    return q;
}

}  // namespace quarn

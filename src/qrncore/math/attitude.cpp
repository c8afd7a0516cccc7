#include "qrncore/math/attitude.h"

#include <cmath>

#include "qrncore/math/scalar.h"

namespace quarn {

quat_t attitude_t::get_quaternion() const {
    quat_t qh, qp, qr;
    qh.set_axis_angle({0.0f, 1.0f, 0.0f}, heading);
    qp.set_axis_angle({1.0f, 0.0f, 0.0f}, pitch);
    qr.set_axis_angle({0.0f, 0.0f, 1.0f}, roll);
    return (qh * qp) * qr;
}

void attitude_t::get_matrix(mat4_t *m) const { get_quaternion().get_matrix(m); }

void attitude_t::set(const quat_t &q) {
    mat4_t m;
    q.get_matrix(&m);
    // Clamped: rounding may push the element just past ±1.
    roll = safe_asin(m.m[4]);
    pitch = -std::atan2(m.m[6], m.m[5]);
    heading = -std::atan2(m.m[8], m.m[0]);
}

void attitude_t::set(const vec3_t &dir) {
    roll = 0.0f;
    const float len = length(dir);
    if (len < vec_traits_t<float>::EPSILON) {
        heading = pitch = 0.0f;
        return;
    }
    pitch = safe_asin(dir.y / len);
    if (std::fabs(dir.z) < vec_traits_t<float>::EPSILON) {
        heading = dir.x < 0.0f ? HALF_PI_F : (dir.x > 0.0f ? 3.0f * HALF_PI_F : 0.0f);
        return;
    }
    const float a = std::atan(dir.x / dir.z);
    if (dir.z >= 0.0f) heading = a + PI_F;
    else heading = a < 0.0f ? a + TWO_PI_F : a;
}

namespace {
// Into [-π, π).
float wrap_pi(float a) {
    float r = std::fmod(a + PI_F, TWO_PI_F);
    if (r < 0.0f) r += TWO_PI_F;
    return r - PI_F;
}
}  // namespace

void attitude_t::normalize() {
    pitch = wrap_pi(pitch);
    if (std::fabs(pitch) > HALF_PI_F) {
        pitch = pitch > 0.0f ? PI_F - pitch : -PI_F - pitch;
        roll += PI_F;
        heading += PI_F;
    }
    roll = wrap_pi(roll);
    heading = std::fmod(heading, TWO_PI_F);
    if (heading < 0.0f) heading += TWO_PI_F;
}

vec3_t attitude_t::rotate(const vec3_t &v) const { return get_quaternion().rotate(v); }

vec3_t attitude_t::get_direction() const {
    const float cp = std::cos(pitch);
    return {-std::sin(heading) * cp, std::sin(pitch), -std::cos(heading) * cp};
}

vec3_t attitude_t::get_horizontal_direction() const { return {-std::sin(heading), 0.0f, -std::cos(heading)}; }

}  // namespace quarn

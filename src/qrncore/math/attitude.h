#pragma once
// Heading (about +Y), pitch (about +X) and roll (about +Z) in radians, composed in the
// same order as ypr_t: roll first, then pitch, then heading.
#include "qrncore/api.h"
#include "qrncore/math/mat_sq.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/vec.h"

namespace quarn {

struct QRNCORE_API attitude_t {
    constexpr attitude_t() = default;
    constexpr attitude_t(float heading_, float pitch_, float roll_)
        : heading(heading_), pitch(pitch_), roll(roll_) {}

    void reset() { heading = pitch = roll = 0.0f; }
    // True when all three are exactly 0.
    bool is_identity() const { return heading == 0.0f && pitch == 0.0f && roll == 0.0f; }

    quat_t get_quaternion() const;
    void get_matrix(mat4_t *m) const;
    // The angles of a rotation, read from its matrix as quat_t::get_ypr does.
    void set(const quat_t &q);
    // The angles looking along dir (roll 0, heading in [0, 2π)); a direction shorter
    // than 0.00001 gives all zeros.
    void set(const vec3_t &dir);
    // Pitch into [-π/2, π/2] (turning heading and roll by π when it flips over), roll
    // into [-π, π), heading into [0, 2π).
    void normalize();
    vec3_t rotate(const vec3_t &v) const;
    // (-sin h·cos p, sin p, -cos h·cos p)
    vec3_t get_direction() const;
    // (-sin h, 0, -cos h)
    vec3_t get_horizontal_direction() const;

    float heading = 0.0f, pitch = 0.0f, roll = 0.0f;
};

}  // namespace quarn

#pragma once
// Yaw (about +Y), pitch (about +X) and roll (about +Z) in degrees. Applied to a
// vector, roll acts first, then pitch, then yaw. Yaw 0 looks along -Z, 90 along -X,
// 270 along +X; positive pitch looks up.
#include "qrncore/api.h"
#include "qrncore/math/vec.h"

namespace quarn {

struct QRNCORE_API ypr_t {
    constexpr ypr_t() = default;
    constexpr ypr_t(float yaw_, float pitch_, float roll_) : yaw(yaw_), pitch(pitch_), roll(roll_) {}

    // The angles that look along dir, roll 0, yaw in [0, 360). A direction shorter than
    // 0.00001 gives all zeros.
    void set_direction(const vec3_t &dir);
    // R(ypr)·(0, 0, -1).
    vec3_t get_direction() const;

    float yaw = 0.0f, pitch = 0.0f, roll = 0.0f;
};

}  // namespace quarn

#pragma once
// wind_u ("wind"): a constant speed and a direction that wanders about a base
// direction. The yaw drifts toward a target at the rate of the speed's strength class
// and draws a new target within ±10 degrees of the base each time it gets there.
// Animals turn their scent and flight by it, the sky scrolls its clouds with it, the
// snow drifts with it and flag poles face it.
#include <cstdint>

#include "qrncore/math/vec.h"
#include "game/scene/updatable.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

class wind_u : public unit_t, public updatable_t {
    QRN_UNIT_CLASS(wind_u, unit_t);

public:
    static constexpr int32_t CLASS_COUNT = 5;
    // A class holds the speeds up to and including its limit.
    static constexpr float CLASS_SPEED_LIMIT[CLASS_COUNT] = {0.53645f, 1.654f, 3.5763f, 5.8115f, 3.37e38f};
    static constexpr float CLASS_YAW_RATE[CLASS_COUNT] = {0.5f, 2.5f, 5.0f, 10.0f, 15.0f};  // degrees a second
    // Below this speed the wind turns nothing.
    static constexpr float TURN_MIN_SPEED = 0.05f;

    float get_speed() const { return m_speed; }
    // The current unit direction.
    const vec3_t &get_direction() const { return m_direction; }
    // The normalised base direction.
    const vec3_t &get_base_direction() const { return m_base_direction; }
    vec3_t get_velocity() const { return m_direction * m_speed; }
    // 0..4, see CLASS_SPEED_LIMIT.
    int32_t get_strength() const { return m_strength_class; }
    float get_base_yaw() const { return m_base_yaw; }
    float get_yaw() const { return m_yaw; }
    float get_target_yaw() const { return m_target_yaw; }

    // Stores the base direction and starts over from it (re-initialise).
    void set_base_direction(const vec3_t &direction);
    // Turns a direction about the vertical axis by 45 / (0.72 × speed + 1) degrees,
    // in the positive sense or the negative; false (direction unchanged) below
    // TURN_MIN_SPEED.
    bool turn_direction(vec3_t &direction, bool positive) const;
    // The drift by dt seconds.
    void update(float dt) override;

    // Starts over from the base direction: normalised (a zero or non-finite one is
    // replaced by (0, 0, -1) with a warning), yaw and base yaw from it, a first target
    // up to 20 degrees to the negative side, the strength class from the speed.
    void reinitialise();

    // A non-finite speed fails the load; then as reinitialise, also after a clone.
    bool _call_post_load() override;
    bool _clone_finish(unit_base_t *target);

private:
    float m_speed = 0.0f;
    vec3_t m_base_direction{0.0f, 0.0f, -1.0f};

    float m_base_yaw = 0.0f;
    float m_yaw = 0.0f;
    vec3_t m_direction{0.0f, 0.0f, 0.0f};
    float m_target_yaw = 0.0f;
    int32_t m_strength_class = 0;
};

}  // namespace quarn

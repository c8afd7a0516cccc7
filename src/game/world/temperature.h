#pragma once
// temperature_u ("temperature"): the scene's air temperature in degrees Celsius,
// moving at change_speed degrees a second between its bounds: upward, since the sun
// never cools the air, so it settles at the maximum. The weather chooses between rain
// and snow by it; animals show their breath in the cold.
#include "game/scene/updatable.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

class temperature_u : public unit_t, public updatable_t {
    QRN_UNIT_CLASS(temperature_u, unit_t);

public:
    float get_temperature() const { return m_current; }
    float get_min_temperature() const { return m_min; }
    float get_max_temperature() const { return m_max; }
    // Sets the current temperature as it is (the next change holds it in the bounds).
    void set_temperature(float degrees) { m_current = degrees; }

    // By dt seconds: down when the sun cools, else up, by dt × change_speed; then held
    // in min..max (at the minimum when the bounds are crossed).
    void change(float dt, bool cooling);
    // The update step, asking the sun of the current scene whether it cools.
    void update(float dt) override;

    // After load the temperature starts midway between its bounds. A copy keeps the
    // start value of a new unit (15) until its first update.
    bool _call_post_load() override;

private:
    float m_min = 10.0f;
    float m_max = 25.0f;
    float m_change_speed = 10.0f;

    float m_current = 15.0f;
};

}  // namespace quarn

#pragma once
// fog_u ("fog"): a preset's fog as an exponential-squared density. Either a share of
// the scene hidden at the far plane (max_intensity) or a distance at which 80 % is
// hidden (max_visibility) gives the base density; rain and snow add the weather's
// share on top of it.
#include "qrncore/math/vec.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

class fog_u : public unit_t {
    QRN_UNIT_CLASS(fog_u, unit_t);

public:
    // The far plane while there is no game data.
    static constexpr float DEFAULT_FAR_PLANE = 1000.0f;

    // The density in use: base density plus the weather's share, in 0..1.
    float get_intensity() const { return m_intensity; }
    float get_base_density() const { return m_base_density; }
    bool affects_sunlight() const { return m_affects_sunlight; }
    const vec3_t &get_color() const { return m_color; }
    // The fog colour lit by the sun.
    const vec3_t &get_light_colour() const { return m_light_colour; }

    // Base density for a far plane: with max_intensity > 0 the share k = 1 − it,
    // held in 0.01..0.99, is left visible at the far plane (at least 1); else with
    // max_visibility > 0, 0.2 is left visible at that distance (at least 1); else no
    // fog. The density is √(−ln k) / distance. The weather's share in use is kept.
    void update_density(float far_plane);
    // The same with the far plane of the game data (the camera set-up calls it each
    // frame, so that a changed view distance takes effect).
    void update_density();
    // intensity = base density + extra, held in 0..1.
    void set_weather_density(float extra);
    // light colour = colour × the sun's lit colour, channel by channel.
    void set_light(const vec4_t &lit);

    // After load and after a clone: the density for the current far plane.
    bool _call_post_load() override;
    bool _clone_finish(unit_base_t *target);

private:
    float m_max_intensity = 0.0f;
    float m_max_visibility = 0.0f;
    vec3_t m_color{0.5f, 0.5f, 0.5f};
    bool m_affects_sunlight = false;

    float m_base_density = 0.0f;
    float m_intensity = 0.0f;
    vec3_t m_light_colour{1.0f, 1.0f, 1.0f};
};

}  // namespace quarn

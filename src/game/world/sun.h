#pragma once
// sun_u ("sun"): the scene's light colours and sun direction by the time of day. Three
// tables of hourly colours (24 rows each, one per hour, 0..255 in the file, scaled to
// 0..1 once after load) are blended by whole minutes between the row of the hour and
// the next; the sun stands at one of two fixed heights (night and day) in the compass
// direction of its azimuth.
#include <cstdint>

#include "game/scene/updatable.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/math/vec.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

class fog_u;

class sun_u : public unit_t, public updatable_t {
    QRN_UNIT_CLASS(sun_u, unit_t);

public:
    // Rows a loaded table must have: one per hour.
    static constexpr uint32_t HOURS = 24;
    // The sun's height in degrees before 5:00 and after 21:00, and in between.
    static constexpr float NIGHT_ELEVATION = 20.0f;
    static constexpr float DAY_ELEVATION = 25.714285f;

    const vec4_t &get_ambient() const { return m_ambient; }
    const vec4_t &get_diffuse() const { return m_diffuse; }
    const vec4_t &get_specular() const { return m_specular; }
    // Unit direction toward the sun; the light vector is (direction, 0) before
    // normalising; the position is the direction × 100 (the sky's sun disc).
    const vec3_t &get_direction() const { return m_direction; }
    const vec4_t &get_light_vector() const { return m_light_vector; }
    const vec3_t &get_position() const { return m_position; }
    float get_azimuth() const { return m_azimuth; }
    const array_dyn_t<vec4_t> &get_ambient_levels() const { return m_ambient_levels; }
    const array_dyn_t<vec4_t> &get_diffuse_levels() const { return m_diffuse_levels; }
    const array_dyn_t<vec4_t> &get_specular_levels() const { return m_specular_levels; }

    // Per channel min(1, ambient + |direction.y| × diffuse): the colour of a lit
    // surface, which the environment turns into the scene colour.
    vec4_t get_lit_color() const;
    // Stores the azimuth (degrees) and recomputes at once, at the time of the current
    // scene's environment (without a scene: of the last recompute, 8:00 before any).
    void set_azimuth(float degrees);
    // The temperature asks whether the sun cools the air; it never does.
    bool is_cooling() const { return false; }

    // Colours and direction at a time of day (seconds since midnight; any finite
    // value, negative ones and those past a day included: the hour and minute are
    // taken modulo 24 and 60, the height by the time within the day). A table with fewer than 24 rows (the environment's
    // own first sun has none) is skipped and its colour kept; the direction is always
    // set. A non-finite time changes nothing.
    void recompute(float time_of_day);
    // The update step: recompute at the time of the current scene's environment.
    void update(float dt) override;

    // 1 − 0.9 × condition, less 8 × the fog's intensity when the fog dims the sun,
    // never below 0. Nothing in the game reads it yet.
    static float compute_strength(float weather_condition, const fog_u *fog);

    // After load: every table must have 24 rows (refused with an error naming the
    // table and its row count), then the rows are scaled by 1/255. Copies keep the
    // scaled rows as they are.
    bool _call_post_load() override;

private:
    array_dyn_t<vec4_t> m_ambient_levels;
    array_dyn_t<vec4_t> m_diffuse_levels;
    array_dyn_t<vec4_t> m_specular_levels;
    float m_azimuth = 180.0f;

    vec4_t m_ambient{0.3f, 0.3f, 0.3f, 1.0f};
    vec4_t m_diffuse{0.8f, 0.7f, 0.3f, 1.0f};
    vec4_t m_specular{0.8f, 0.7f, 0.3f, 1.0f};
    // Straight up until the first recompute, as the light vector says.
    vec4_t m_light_vector{0.0f, 4000.0f, 0.0f, 0.0f};
    vec3_t m_position{0.0f, 100.0f, 0.0f};
    vec3_t m_direction{0.0f, 1.0f, 0.0f};
    float m_time_of_day = 28800.0f;  // of the last recompute
};

}  // namespace quarn

#include "game/world/environment.h"

#include <cmath>

#include "game/game_data.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/scene/scene_view.h"
#include "kernel/cvars.h"
#include "kernel/sys.h"
#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE(environment_u, "environment");

namespace {

constexpr float BYTE_TO_UNIT = 1.0f / 255.0f;
constexpr float ONE_THIRD = 0.33333334f;
// (condition − 0.7) × this maps the band above the threshold onto 0..1.
constexpr float PRECIPITATION_SCALE = 3.3333333f;

float clamp01(float x) { return x > 0.0f ? (x < 1.0f ? x : 1.0f) : 0.0f; }

// A colour channel of 0..1 as a byte: the integer part, held in 0..255 (NaN is 0).
uint8_t colour_byte(float c) {
    const float v = c * 255.0f;
    if (!(v > 0.0f)) return 0;
    if (v >= 255.0f) return 255;
    return uint8_t(v);
}

// An amount of rain or snow: (t × x × 10), held in 0..x.
float precipitation(float t, float x) {
    float amount = t * x * 10.0f;
    if (amount < 0.0f) amount = 0.0f;
    if (amount > x) amount = x;
    return amount;
}

}  // namespace

void environment_u::on_construct() {
    unit_system_t *system = get_system();
    m_sun = sun_u::create(system);
    m_fog = fog_u::create(system);
    m_temperature = temperature_u::create(system);
    m_wind = wind_u::create(system);
    weather_step(0.0f);
    m_time_at_weather_step = m_time_of_day;
    m_weather_timer = 0.0f;
}

void environment_u::on_destroy() {
    m_sun.reset();
    m_fog.reset();
    m_temperature.reset();
    m_wind.reset();
}

float environment_u::get_sun_strength() const { return sun_u::compute_strength(m_weather_current, m_fog.get()); }

bool environment_u::set_time_of_day(float hours) {
    const float seconds = hours * 3600.0f;
    if (!std::isfinite(seconds)) {
        error("[env] The time of day %g is not a number of hours; the clock stays at %g s.", double(hours),
              double(m_time_of_day));
        return false;
    }
    m_time_of_day = seconds;
    weather_step(0.0f);
    m_time_at_weather_step = m_time_of_day;
    m_weather_timer = 0.0f;
    return true;
}

void environment_u::set_weather(float base, float variability, float speed) {
    m_weather_base = base;
    m_weather_variability = variability;
    m_weather_speed = speed;
}

void environment_u::set_weather_condition(float current, float target) {
    m_weather_current = clamp01(current);
    m_weather_target = clamp01(target);
}

float environment_u::far_plane_for(float z) const { return (1.0f - z) * m_far_near_setting + z * m_far_far_setting; }

bool environment_u::apply_view_distance(bool set_fov) {
    game_data_t *data = get_game_data();
    if (!data) return false;
    const cvar_t *zclip = cvar_get("g_zclip");
    const float z = zclip ? zclip->get_float() : DEFAULT_VIEW_DISTANCE_FACTOR;
    data->near_plane = m_near_plane;
    data->far_plane = far_plane_for(z);
    if (set_fov) data->fov = VIEW_FOV;
    return true;
}

void environment_u::update(float dt) {
    if (!m_time_frozen) m_time_of_day += GAME_SECONDS_PER_SECOND * dt;

    // The rain and snow boxes travel with the viewer by the camera's movement.
    m_camera_movement = {0.0f, 0.0f, 0.0f};
    if (base_ctrl_u *ctrl = get_current_ctrl()) {
        if (scene_view_t *view = ctrl->get_view()) {
            const vec3_t camera = view->get_placement().position;
            m_camera_movement = camera - m_last_camera_position;
            m_last_camera_position = camera;
        }
    }

    m_weather_timer += dt;
    if (m_weather_timer < WEATHER_INTERVAL) return;
    weather_step(m_time_of_day - m_time_at_weather_step);
    update_sun_colours();
    m_time_at_weather_step = m_time_of_day;
    m_weather_timer = 0.0f;
}

void environment_u::weather_step(float elapsed) {
    if (!m_temperature || !m_fog) return;  // children not made: nothing to step
    const bool falling = m_weather_current > m_weather_target;
    m_weather_current += falling ? -elapsed * m_weather_speed : elapsed * m_weather_speed;
    m_weather_current = clamp01(m_weather_current);
    if (falling != (m_weather_current >= m_weather_target)) {
        // Reached or passed: the next target lies within the variability of the base.
        const float r = sys_rand();
        m_weather_target =
            clamp01(m_weather_base + m_weather_variability - 2.0f * m_weather_variability * r);
    }

    const float t = m_temperature->get_temperature();
    m_rain_amount = m_snow_amount = 0.0f;
    if (m_weather_current > PRECIPITATION_THRESHOLD) {
        const float x = (m_weather_current - PRECIPITATION_THRESHOLD) * PRECIPITATION_SCALE;
        m_rain_amount = precipitation(t + 0.05f, x);
        m_snow_amount = precipitation(0.05f - t, x);
    }
    m_fog->set_weather_density((m_snow_amount + m_rain_amount) * FOG_PER_PRECIPITATION);
    update_brightness();
}

void environment_u::update_sun_colours() {
    if (!m_sun || !m_fog) return;
    const vec4_t c = m_sun->get_lit_color();
    m_scene_colour = {colour_byte(c.x), colour_byte(c.y), colour_byte(c.z), 255};
    m_scene_colour_2 = m_scene_colour_3 = m_scene_colour;
    m_fog->set_light(c);
}

void environment_u::update_brightness() {
    const float mean = (m_scene_colour.r * BYTE_TO_UNIT + m_scene_colour.g * BYTE_TO_UNIT +
                        m_scene_colour.b * BYTE_TO_UNIT) *
                       ONE_THIRD;
    m_brightness = mean * (1.0f - 8.0f * (m_fog ? m_fog->get_intensity() : 0.0f));
}

float compute_sun_light_factor(const sun_u *sun, const vec3_t &normal, float base) {
    const float lit = sun ? dot(sun->get_direction(), normal) : 0.0f;
    return base + (1.0f - base) * (lit > 0.0f ? lit : 0.0f);
}

environment_u *get_current_environment() {
    const base_ctrl_u *ctrl = get_current_ctrl();
    return ctrl ? ctrl->get_environment() : nullptr;
}

float compute_sun_light_factor(const vec3_t &normal, float base) {
    const environment_u *environment = get_current_environment();
    return compute_sun_light_factor(environment ? environment->get_sun() : nullptr, normal, base);
}

}  // namespace quarn

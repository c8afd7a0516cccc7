#include "game/world/environment.h"

#include <cmath>

#include "game/game_data.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/scene/scene_view.h"
#include "game/world/environment_preset.h"
#include "kernel/console/cvars.h"
#include "kernel/sys.h"
#include "qrncore/math/scalar.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_load_tree.h"

namespace quarn {

QRN_UNIT_DEFINE(environment_u, "environment");

namespace {

constexpr float BYTE_TO_UNIT = 1.0f / 255.0f;
constexpr float ONE_THIRD = 0.33333334f;
// (condition − 0.7) × this maps the band above the threshold onto 0..1.
constexpr float PRECIPITATION_SCALE = 3.3333333f;

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
    m_snow = snow_u::create(system);
    m_rain = rain_u::create(system);
    m_skybox = skybox_u::create(system);
    weather_step(0.0f);
    m_time_at_weather_step = m_time_of_day;
    m_weather_timer = 0.0f;
}

void environment_u::on_destroy() {
    base_ctrl_u *ctrl = get_current_ctrl();
    if (ctrl && m_climate_listed) {
        ctrl->remove_list_object(m_temperature.get());
        ctrl->remove_list_object(m_sun.get());
        ctrl->remove_list_object(m_wind.get());
    }
    if (ctrl && m_layers_listed) {
        ctrl->remove_list_object(m_snow.get());
        ctrl->remove_list_object(m_rain.get());
    }
    m_climate_listed = m_layers_listed = false;
    m_sun.reset();
    m_fog.reset();
    m_temperature.reset();
    m_rain.reset();
    m_snow.reset();
    m_wind.reset();
    m_skybox.reset();  // it leaves the list itself
    m_grass.reset();
    m_retired.clear();
}

void environment_u::retire(owner_ptr_t<unit_base_t> unit, updatable_t *listed) {
    base_ctrl_u *ctrl = get_current_ctrl();
    if (!unit || !listed || !ctrl) return;  // in no list: it goes now
    if (!ctrl->remove_list_object(listed))
        error("[env] A replaced weather unit could not leave the scene's update list.");
    if (!m_retired.append(std::move(unit)))
        error("[env] No room to keep a replaced weather unit until the scene's next update; it goes now.");
}

bool environment_u::apply_preset(const char *map_name, const environment_preset_u *preset) {
    const char *map = map_name ? map_name : "";
    if (!preset) {
        error("[env] No weather preset for the map '%s': the environment keeps its weather.", map);
        return false;
    }
    const char *missing = !preset->get_sun()           ? "sun"
                          : !preset->get_fog()         ? "fog"
                          : !preset->get_temperature() ? "temperature"
                          : !preset->get_wind()        ? "wind"
                                                       : nullptr;
    if (missing) {
        error("[env] The weather preset '%s' of the map '%s' has no %s: the environment keeps its weather.",
              preset->name_text().c_str(), map, missing);
        return false;
    }
    // Every copy first, so that a failed one changes nothing.
    owner_ptr_t<temperature_u> temperature(unit_cast<temperature_u>(preset->get_temperature()->clone()));
    owner_ptr_t<fog_u> fog(unit_cast<fog_u>(preset->get_fog()->clone()));
    owner_ptr_t<sun_u> sun(unit_cast<sun_u>(preset->get_sun()->clone()));
    owner_ptr_t<wind_u> wind(unit_cast<wind_u>(preset->get_wind()->clone()));
    if (!temperature || !fog || !sun || !wind) {
        error("[env] The weather preset '%s' of the map '%s' could not be copied: the environment keeps its weather.",
              preset->name_text().c_str(), map);
        return false;
    }

    // 1. The climate units, in the order temperature, fog, sun, wind.
    const bool listed = m_climate_listed;
    updatable_t *old_temperature = m_temperature.get(), *old_sun = m_sun.get(), *old_wind = m_wind.get();
    retire(std::move(m_temperature), listed ? old_temperature : nullptr);
    m_temperature = std::move(temperature);
    retire(std::move(m_fog), nullptr);
    m_fog = std::move(fog);
    retire(std::move(m_sun), listed ? old_sun : nullptr);
    m_sun = std::move(sun);
    retire(std::move(m_wind), listed ? old_wind : nullptr);
    m_wind = std::move(wind);

    // 2. The layers, attached to the scene's packets and switched on.
    base_ctrl_u *ctrl = get_current_ctrl();
    const r_parameter_array_t *packets = ctrl ? ctrl->get_packet_set(1) : nullptr;
    if (m_snow && m_snow->attach(packets)) m_snow->get_layer().switch_on();
    if (m_rain && m_rain->attach(packets)) m_rain->get_layer().switch_on();

    // 3. Into the update list: the climate units each time, the layers once.
    m_climate_listed = false;
    if (ctrl) {
        ctrl->add_list_object(m_temperature.get());
        ctrl->add_list_object(m_sun.get());
        ctrl->add_list_object(m_wind.get());
        m_climate_listed = true;
        if (!m_layers_listed) {
            ctrl->add_list_object(m_snow.get());
            ctrl->add_list_object(m_rain.get());
            m_layers_listed = true;
        }
    }

    // 4. The sky.
    if (m_skybox) m_skybox->set_sky(map, preset->get_skybox_name());

    // 5-7. The condition and its drift.
    const float variability = preset->get_weather_cond_variability();
    m_weather_base = m_weather_current = preset->get_weather_cond();
    m_weather_variability = variability;
    m_weather_speed = variability * preset->get_weather_cond_change_speed() * WEATHER_SPEED_SCALE;
    const float r = sys_rand();
    m_weather_target = clamp01_nan_zero(m_weather_base + variability - 2.0f * variability * r);

    // 8. The grass of the map, loaded again.
    m_grass.reset();
    mstring_dyn_t grass_path;
    grass_path.printf("/map/%s/grass.unit", map);
    m_grass = load_unit_tree<grass_u>(grass_path.c_str());
    return true;
}

bool environment_u::camera_position(vec3_t &out) const {
    base_ctrl_u *ctrl = get_current_ctrl();
    scene_view_t *view = ctrl ? ctrl->get_view() : nullptr;
    if (!view) return false;
    out = view->get_placement().position;
    return true;
}

bool environment_u::update_skybox() {
    if (!m_skybox) return false;
    vec3_t camera{0.0f, 0.0f, 0.0f};
    camera_position(camera);
    return m_skybox->draw_sky(camera, m_sun.get());
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
    m_weather_current = clamp01_nan_zero(current);
    m_weather_target = clamp01_nan_zero(target);
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
    // The list applied its removals before this update: replaced units may go now.
    m_retired.clear();
    if (!m_time_frozen) m_time_of_day += GAME_SECONDS_PER_SECOND * dt;

    // The rain and snow boxes travel with the viewer by the camera's movement.
    m_camera_movement = {0.0f, 0.0f, 0.0f};
    vec3_t camera;
    if (camera_position(camera)) {
        m_camera_movement = camera - m_last_camera_position;
        m_last_camera_position = camera;
    }
    for (auto *layer : {m_snow ? &m_snow->get_layer() : nullptr, m_rain ? &m_rain->get_layer() : nullptr}) {
        if (!layer) continue;
        layer->move_with_camera(m_camera_movement);
        layer->set_camera_position(m_last_camera_position);
    }

    m_weather_timer += dt;
    if (m_weather_timer < WEATHER_INTERVAL) return;
    weather_step(m_time_of_day - m_time_at_weather_step);
    update_sun_colours();
    if (m_snow && m_wind) m_snow->set_wind(m_wind->get_velocity());
    m_time_at_weather_step = m_time_of_day;
    m_weather_timer = 0.0f;
}

void environment_u::weather_step(float elapsed) {
    if (!m_temperature || !m_fog) return;  // children not made: nothing to step
    const bool falling = m_weather_current > m_weather_target;
    m_weather_current += falling ? -elapsed * m_weather_speed : elapsed * m_weather_speed;
    m_weather_current = clamp01_nan_zero(m_weather_current);
    if (falling != (m_weather_current >= m_weather_target)) {
        // Reached or passed: the next target lies within the variability of the base.
        const float r = sys_rand();
        m_weather_target =
            clamp01_nan_zero(m_weather_base + m_weather_variability - 2.0f * m_weather_variability * r);
    }

    const float t = m_temperature->get_temperature();
    m_rain_amount = m_snow_amount = 0.0f;
    if (m_weather_current > PRECIPITATION_THRESHOLD) {
        const float x = (m_weather_current - PRECIPITATION_THRESHOLD) * PRECIPITATION_SCALE;
        m_rain_amount = precipitation(t + 0.05f, x);
        m_snow_amount = precipitation(0.05f - t, x);
    }
    // The fog thickens by what the layers kept (they ignore changes below 0.001).
    float kept_snow = m_snow_amount, kept_rain = m_rain_amount;
    if (m_rain) {
        m_rain->set_intensity(m_rain_amount);
        kept_rain = m_rain->get_intensity();
    }
    if (m_snow) {
        m_snow->set_intensity(m_snow_amount);
        kept_snow = m_snow->get_intensity();
    }
    m_fog->set_weather_density((kept_snow + kept_rain) * FOG_PER_PRECIPITATION);
    update_brightness();
}

void environment_u::update_sun_colours() {
    if (!m_sun || !m_fog) return;
    const vec4_t c = m_sun->get_lit_color();
    m_scene_colour = {colour_byte(c.x), colour_byte(c.y), colour_byte(c.z), 255};
    m_scene_colour_2 = m_scene_colour_3 = m_scene_colour;
    if (m_rain) m_rain->set_colour(m_scene_colour);
    if (m_snow) m_snow->set_colour(m_scene_colour);
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

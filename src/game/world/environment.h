#pragma once
// environment_u ("environment"): the weather and light of the running scene. The scene
// root makes one per scene and updates it every frame. It owns the sun, the fog, the
// temperature, the wind, the rain, the snow, the sky box and the grass, keeps the time of day (10 game seconds a real second until
// the map start-up freezes it), drifts one weather condition (0..1) toward targets
// drawn around the preset's value and turns it into rain, snow, extra fog and sun
// strength, and derives the scene colour and brightness that the renderer, the
// particles and the animals read. It also writes the view distance into the game data.
// A map's weather preset (apply_preset) replaces the climate units, switches the rain
// and snow on, sets the sky and loads the map's grass.
//
// Its type is made in code, never read from a file, so it is not registered with the
// unit bank; a copy is a new environment (fresh children, no state copied).
#include <cstdint>

#include "game/scene/updatable.h"
#include "game/world/fog.h"
#include "game/world/grass.h"
#include "game/world/rain.h"
#include "game/world/scene_colour.h"
#include "game/world/skybox.h"
#include "game/world/snow.h"
#include "game/world/sun.h"
#include "game/world/temperature.h"
#include "game/world/wind.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/math/vec.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class environment_preset_u;

class environment_u : public unit_t, public updatable_t {
    QRN_UNIT_CLASS(environment_u, unit_t);

public:
    static constexpr float START_TIME = 28800.0f;  // 8:00
    static constexpr float GAME_SECONDS_PER_SECOND = 10.0f;
    // Real seconds between two weather steps.
    static constexpr float WEATHER_INTERVAL = 0.2f;
    // Above this condition it rains or snows.
    static constexpr float PRECIPITATION_THRESHOLD = 0.7f;
    // Fog density added per unit of rain and snow.
    static constexpr float FOG_PER_PRECIPITATION = 0.005f;
    static constexpr float VIEW_FOV = 60.0f;
    // g_zclip while the variable is not registered.
    static constexpr float DEFAULT_VIEW_DISTANCE_FACTOR = 0.5f;
    // The preset's variability × change speed × this is the drift per game second
    // (1 / 10800: three game hours).
    static constexpr float WEATHER_SPEED_SCALE = 0.00009259259f;
    // The unit type of a map's grass.
    static constexpr const char *GRASS_TYPE = "grass";

    // The children; made with the environment (null only when its unit system could
    // not make them) and released by its destroy.
    sun_u *get_sun() const { return m_sun.get(); }
    fog_u *get_fog() const { return m_fog.get(); }
    wind_u *get_wind() const { return m_wind.get(); }
    temperature_u *get_temperature() const { return m_temperature.get(); }
    rain_u *get_rain() const { return m_rain.get(); }
    snow_u *get_snow() const { return m_snow.get(); }
    skybox_u *get_skybox() const { return m_skybox.get(); }
    // The map's grass (its unit, "/map/<map>/grass.unit") when it is alive, else null.
    grass_u *get_grass() const { return m_grass && m_grass->is_alive() ? m_grass.get() : nullptr; }

    // Seconds since midnight.
    float get_time_of_day() const { return m_time_of_day; }
    bool is_time_frozen() const { return m_time_frozen; }
    // The drifting condition, the target it drifts to, and the preset's settings.
    float get_weather_condition() const { return m_weather_current; }
    float get_weather_target() const { return m_weather_target; }
    float get_weather_base() const { return m_weather_base; }
    float get_weather_variability() const { return m_weather_variability; }
    float get_weather_speed() const { return m_weather_speed; }
    // Rain and snow of the last weather step, 0..1 each (what the layers were given).
    float get_rain_amount() const { return m_rain_amount; }
    float get_snow_amount() const { return m_snow_amount; }
    // The scene colour's mean, dimmed by the fog (nothing clamps it).
    float get_brightness() const { return m_brightness; }
    // The sun's lit colour as bytes; the second and third always equal it.
    const scene_colour_t &get_scene_colour() const { return m_scene_colour; }
    const scene_colour_t &get_scene_colour_2() const { return m_scene_colour_2; }
    const scene_colour_t &get_scene_colour_3() const { return m_scene_colour_3; }
    // The camera's position at the last update and its movement in that update (what
    // the rain and snow boxes travel by).
    const vec3_t &get_last_camera_position() const { return m_last_camera_position; }
    const vec3_t &get_camera_movement() const { return m_camera_movement; }
    // The sun's strength under the current condition and fog (sun_u::compute_strength).
    float get_sun_strength() const;

    // Sets the clock to hours × 3600 and runs a weather step with no elapsed time. A
    // non-finite time is refused (logged, false) and the clock kept.
    bool set_time_of_day(float hours);
    // The clock stands still from now on (the hunt's map start-up).
    void freeze_time() { m_time_frozen = true; }
    // The preset's condition (the centre of the targets), the half width of the band
    // of targets and the drift in condition units per game second.
    void set_weather(float base, float variability, float speed);
    // The condition and its target as they are, each held in 0..1.
    void set_weather_condition(float current, float target);

    // Writes the near plane, the far plane by g_zclip (300 at 0, 1000 at 1) and, when
    // asked, the field of view 60 into the game data; false when there is none.
    bool apply_view_distance(bool set_fov);
    // The far plane for a view distance factor.
    float far_plane_for(float view_distance_factor) const;

    // Copies a map's weather preset into the scene, in this order: the temperature,
    // fog, sun and wind are replaced by copies of the preset's (each replaced one leaves
    // the update list and is let go at the next update, when the list no longer holds
    // it); the snow and the rain are attached to the current scene's packet set 1 and
    // switched on; the new temperature, sun and wind, then the snow and the rain (each
    // layer only once over all presets) enter the current scene's update list; the sky
    // gets the preset's look in the map's variant (and enters the list once); the
    // condition starts at the preset's, drifts at variability × change speed / 10800
    // and draws its first target; the map's grass is loaded again. A null preset, or
    // one without its sun, fog, temperature or wind, is refused (logged, false) and
    // nothing changes; so when a copy cannot be made.
    bool apply_preset(const char *map_name, const environment_preset_u *preset);

    // Draws the sky box at the current camera (the game process calls it once a frame
    // inside its render frame); true when the sun disc was drawn.
    bool update_skybox();

    // The frame update: the clock, the camera movement, and every WEATHER_INTERVAL
    // seconds a weather step over the game time since the last, then the colours.
    void update(float dt) override;
    // Drifts the condition over elapsed game seconds, draws a new target when it
    // reaches or passes the target, and sets rain, snow, the fog's weather share and
    // the brightness.
    void weather_step(float elapsed);
    // The scene colour from the sun's lit colour; the fog's light colour with it.
    void update_sun_colours();
    void update_brightness();

private:
    // Makes the children in the environment's unit system and runs the first weather
    // step.
    void on_construct();
    // Releases the children: sun, fog, temperature, rain, snow, wind, sky box, grass
    // (each first out of the update list when it is in it).
    void on_destroy();
    // Takes a replaced climate unit out of the update list and keeps it until the
    // next update (the list must not point at a released unit before it applied the
    // removal).
    void retire(owner_ptr_t<unit_base_t> unit, updatable_t *listed);
    // The current scene's camera position, or none.
    bool camera_position(vec3_t &out) const;

    owner_ptr_t<sun_u> m_sun;
    owner_ptr_t<fog_u> m_fog;
    owner_ptr_t<temperature_u> m_temperature;
    owner_ptr_t<wind_u> m_wind;
    owner_ptr_t<snow_u> m_snow;
    owner_ptr_t<rain_u> m_rain;
    owner_ptr_t<skybox_u> m_skybox;
    owner_ptr_t<grass_u> m_grass;
    // Whether the climate units (temperature, sun, wind) and the layers are in the
    // current scene's update list.
    bool m_climate_listed = false;
    bool m_layers_listed = false;
    array_dyn_t<owner_ptr_t<unit_base_t>> m_retired;

    float m_time_of_day = START_TIME;
    float m_weather_timer = 0.0f;
    bool m_time_frozen = false;
    float m_weather_base = 0.1f;
    float m_weather_current = 0.1f;
    float m_weather_target = 0.1f;
    float m_weather_speed = 0.0f;
    float m_weather_variability = 0.0f;
    float m_time_at_weather_step = START_TIME;
    float m_rain_amount = 0.0f;
    float m_snow_amount = 0.0f;
    float m_brightness = 1.0f;
    scene_colour_t m_scene_colour;
    scene_colour_t m_scene_colour_2;
    scene_colour_t m_scene_colour_3;
    float m_near_plane = 0.17f;
    float m_far_near_setting = 300.0f;   // the far plane at g_zclip 0
    float m_far_far_setting = 1000.0f;   // ... and at 1
    vec3_t m_last_camera_position{0.0f, 0.0f, 0.0f};
    vec3_t m_camera_movement{0.0f, 0.0f, 0.0f};
};

// The environment of the current scene; null when no controller is current.
environment_u *get_current_environment();

// base + (1 − base) × max(0, sun direction · normal): the light on a surface of that
// normal (plants, grass, bodies, animals), by the sun of the current scene's
// environment; base alone when there is no scene.
float compute_sun_light_factor(const vec3_t &normal, float base);
// The same by a given sun (none: base).
float compute_sun_light_factor(const sun_u *sun, const vec3_t &normal, float base);

}  // namespace quarn

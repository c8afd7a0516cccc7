#pragma once
// environment_preset_u ("environment_preset"): one named weather of one map, read from
// "/map/<map>/environment/<preset>.unit": its sun tables, fog, temperature range and
// wind (owned), the look of the sky, and the weather condition the environment drifts
// around. environment_u::apply_preset copies it into the running scene; the preset
// itself is released by whoever loaded it. File layout: docs/formats/environment-preset.md.
#include "game/world/fog.h"
#include "game/world/sun.h"
#include "game/world/temperature.h"
#include "game/world/wind.h"
#include "qrncore/strings/mstring.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class environment_preset_u : public unit_t {
    QRN_UNIT_CLASS(environment_preset_u, unit_t);

public:
    // The display name, a localisation key ("@@df_weather_clear@@").
    const char *get_pretty_name() const { return m_pretty_name.c_str(); }
    // The four climate units; null when the file gives none.
    sun_u *get_sun() const { return unit_cast<sun_u>(m_sun.get()); }
    fog_u *get_fog() const { return unit_cast<fog_u>(m_fog.get()); }
    temperature_u *get_temperature() const { return unit_cast<temperature_u>(m_temperature.get()); }
    wind_u *get_wind() const { return unit_cast<wind_u>(m_wind.get()); }
    // The look of the sky model ("flat", "flat_c", ...).
    const char *get_skybox_name() const { return m_skybox_name.c_str(); }
    // The map's sun ("valley"); kept, nothing depends on it.
    const char *get_sun_name() const { return m_sun_name.c_str(); }
    // The condition the weather drifts around, the half width of the band of its
    // targets and the drift's speed factor.
    float get_weather_cond() const { return m_weather_cond; }
    float get_weather_cond_variability() const { return m_weather_cond_variability; }
    float get_weather_cond_change_speed() const { return m_weather_cond_change_speed; }

private:
    mstring_dyn_t m_pretty_name;
    owner_ptr_t<unit_base_t> m_sun;
    owner_ptr_t<unit_base_t> m_fog;
    owner_ptr_t<unit_base_t> m_temperature;
    owner_ptr_t<unit_base_t> m_wind;
    mstring_dyn_t m_skybox_name;
    mstring_dyn_t m_sun_name;
    float m_weather_cond = 0.0f;
    float m_weather_cond_variability = 0.0f;
    float m_weather_cond_change_speed = 0.0f;
};

// The path of a map's preset: "/map/<map>/environment/<preset>.unit".
mstring_dyn_t environment_preset_path(const char *map_name, const char *preset_name);
// The preset of that map and name from its file; null, with one of the two messages
// of load_unit_tree (qrncore/units/unit_load_tree.h), when the file is missing or does not
// load, or when its root is not an environment_preset_u.
owner_ptr_ret_t<environment_preset_u> load_environment_preset(const char *map_name, const char *preset_name);

}  // namespace quarn

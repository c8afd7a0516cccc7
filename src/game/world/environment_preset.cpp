#include "game/world/environment_preset.h"

#include "qrncore/units/unit_load_tree.h"

namespace quarn {

namespace {

constexpr unit_attr_t<UNIT_ATTR_OWNER> sun_domain{{&sun_u::unit_descriptor, 0}};
constexpr unit_attr_t<UNIT_ATTR_OWNER> fog_domain{{&fog_u::unit_descriptor, 0}};
constexpr unit_attr_t<UNIT_ATTR_OWNER> temperature_domain{{&temperature_u::unit_descriptor, 0}};
constexpr unit_attr_t<UNIT_ATTR_OWNER> wind_domain{{&wind_u::unit_descriptor, 0}};

}  // namespace

QRN_UNIT_DEFINE(environment_preset_u, "environment_preset",
                QRN_ATTR(m_pretty_name, UNIT_ATTR_STRING, "pretty_name"),
                QRN_ATTR(m_sun, UNIT_ATTR_OWNER, "sun", &sun_domain),
                QRN_ATTR(m_fog, UNIT_ATTR_OWNER, "fog", &fog_domain),
                QRN_ATTR(m_temperature, UNIT_ATTR_OWNER, "temperature", &temperature_domain),
                QRN_ATTR(m_wind, UNIT_ATTR_OWNER, "wind", &wind_domain),
                QRN_ATTR(m_skybox_name, UNIT_ATTR_STRING, "skybox_name"),
                QRN_ATTR(m_sun_name, UNIT_ATTR_STRING, "sun_name"),
                QRN_ATTR(m_weather_cond, UNIT_ATTR_FLOAT, "weather_cond"),
                QRN_ATTR(m_weather_cond_variability, UNIT_ATTR_FLOAT, "weather_cond_variability"),
                QRN_ATTR(m_weather_cond_change_speed, UNIT_ATTR_FLOAT, "weather_cond_change_speed"));

mstring_dyn_t environment_preset_path(const char *map_name, const char *preset_name) {
    mstring_dyn_t path;
    path.printf("/map/%s/environment/%s.unit", map_name ? map_name : "", preset_name ? preset_name : "");
    return path;
}

owner_ptr_ret_t<environment_preset_u> load_environment_preset(const char *map_name, const char *preset_name) {
    return load_unit_tree<environment_preset_u>(environment_preset_path(map_name, preset_name).c_str());
}

}  // namespace quarn

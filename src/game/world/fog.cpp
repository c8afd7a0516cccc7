#include "game/world/fog.h"

#include <cmath>

#include "game/game_data.h"
#include "qrncore/math/scalar.h"

namespace quarn {

QRN_UNIT_DEFINE(fog_u, "fog", QRN_ATTR(m_max_intensity, UNIT_ATTR_FLOAT, "max_intensity"),
                QRN_ATTR(m_max_visibility, UNIT_ATTR_FLOAT, "max_visibility"),
                QRN_ATTR(m_color, UNIT_ATTR_VEC3, "color"),
                QRN_ATTR(m_affects_sunlight, UNIT_ATTR_BOOL, "affects_sunlight"));

void fog_u::update_density(float far_plane) {
    float k = 1.0f, distance = 1.0f;
    if (m_max_intensity > 0.0f) {
        k = std::fmin(std::fmax(1.0f - m_max_intensity, 0.01f), 0.99f);
        distance = std::fmax(far_plane, 1.0f);
    } else if (m_max_visibility > 0.0f) {
        k = 0.2f;
        distance = std::fmax(m_max_visibility, 1.0f);
    }
    const float extra = m_intensity - m_base_density;
    m_base_density = std::sqrt(-std::log(k)) / distance;
    m_intensity = clamp01_nan_zero(m_base_density + extra);
}

void fog_u::update_density() {
    const game_data_t *data = get_game_data();
    update_density(data ? data->far_plane : DEFAULT_FAR_PLANE);
}

void fog_u::set_weather_density(float extra) { m_intensity = clamp01_nan_zero(m_base_density + extra); }

void fog_u::set_light(const vec4_t &lit) {
    m_light_colour = {m_color.x * lit.x, m_color.y * lit.y, m_color.z * lit.z};
}

bool fog_u::_call_post_load() {
    if (!unit_t::_call_post_load()) return false;
    update_density();
    return true;
}

bool fog_u::_clone_finish(unit_base_t *target) {
    static_cast<fog_u *>(target)->update_density();
    return true;
}

}  // namespace quarn

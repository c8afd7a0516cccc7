#include "game/world/temperature.h"

#include "game/world/environment.h"
#include "game/world/sun.h"

namespace quarn {

QRN_UNIT_DEFINE(temperature_u, "temperature", QRN_ATTR(m_min, UNIT_ATTR_FLOAT, "min_temperature"),
                QRN_ATTR(m_max, UNIT_ATTR_FLOAT, "max_temperature"),
                QRN_ATTR(m_change_speed, UNIT_ATTR_FLOAT, "change_speed"));

void temperature_u::change(float dt, bool cooling) {
    m_current += cooling ? -dt * m_change_speed : dt * m_change_speed;
    if (m_current > m_max) m_current = m_max;
    if (m_current < m_min) m_current = m_min;
}

void temperature_u::update(float dt) {
    const environment_u *environment = get_current_environment();
    const sun_u *sun = environment ? environment->get_sun() : nullptr;
    change(dt, sun && sun->is_cooling());
}

bool temperature_u::_call_post_load() {
    if (!unit_t::_call_post_load()) return false;
    m_current = (m_min + m_max) * 0.5f;
    return true;
}

}  // namespace quarn

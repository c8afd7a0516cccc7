#include "game/world/trail.h"

#include <cmath>

#include "kernel/console/cvars.h"
#include "kernel/gfx/debug_lines.h"
#include "outside/qrnshared/cvar.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// Sorted by value and by name (byte order), as the reader looks them up.
constexpr unit_enum_symbol_t behavior_by_value[] = {
    {BEHAVIOR_walk, "BEHAVIOR_walk"},
    {BEHAVIOR_run, "BEHAVIOR_run"},
    {BEHAVIOR_leap, "BEHAVIOR_leap"},
    {BEHAVIOR_charge, "BEHAVIOR_charge"},
};
constexpr unit_enum_symbol_t behavior_by_name[] = {
    {BEHAVIOR_charge, "BEHAVIOR_charge"},
    {BEHAVIOR_leap, "BEHAVIOR_leap"},
    {BEHAVIOR_run, "BEHAVIOR_run"},
    {BEHAVIOR_walk, "BEHAVIOR_walk"},
};
constexpr unit_attr_t<UNIT_ATTR_ENUM_ARRAY> behavior_domain{{0, 4, behavior_by_value, behavior_by_name}};

constexpr uint32_t DEBUG_COLOUR = 0xffffffffu;

bool finite(const vec3_t &v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
bool finite(const quat_t &q) {
    return std::isfinite(q.w) && std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z);
}

}  // namespace

QRN_UNIT_DEFINE(trail_u, "trail", QRN_ATTR(m_position, UNIT_ATTR_VEC3_ARRAY, "position"),
                QRN_ATTR(m_rotation, UNIT_ATTR_QUAT_ARRAY, "rotation"),
                QRN_ATTR(m_speed, UNIT_ATTR_FLOAT_ARRAY, "speed"),
                QRN_ATTR(m_behavior, UNIT_ATTR_ENUM_ARRAY, "behavior", &behavior_domain),
                QRN_ATTR(m_fixed_rotation, UNIT_ATTR_BOOL, "fixed_rotation"));

uint32_t trail_u::get_segment_count() const {
    const uint32_t nodes = m_position.get_count();
    return nodes ? nodes - 1 : 0;
}

trail_segment_t trail_u::get_segment(uint32_t index) const {
    return {m_position[index],     m_rotation[index],     m_speed[index],     m_behavior[index],
            m_position[index + 1], m_rotation[index + 1], m_speed[index + 1], m_behavior[index + 1]};
}

void trail_u::debug_draw() const {
    const cvar_t *variable = cvar_get("g_ai_debug");
    if (!variable || variable->get_int() == 0) return;
    for (uint32_t i = 0; i + 1 < m_position.get_count(); ++i)
        debug_lines_add_line(&m_position[i], &m_position[i + 1], DEBUG_COLOUR, nullptr);
}

bool trail_u::prepare() {
    const uint32_t nodes = m_position.get_count();
    if (m_rotation.get_count() != nodes || m_speed.get_count() != nodes || m_behavior.get_count() != nodes) {
        error("[game] Trail node elements do not have matching element counts!");
        return false;
    }
    // A node out of the finite numbers would carry NaN into every follower's placement.
    for (uint32_t i = 0; i < nodes; ++i) {
        if (!finite(m_position[i]) || !std::isfinite(m_speed[i]) || (!m_fixed_rotation && !finite(m_rotation[i]))) {
            error("[game] Trail %s node (%u) is not finite!", name_text().c_str(), i);
            return false;
        }
    }
    const float epsilon = vec_traits_t<float>::EPSILON;
    for (uint32_t i = 0; i + 1 < nodes; ++i) {
        if (!(length(m_position[i + 1] - m_position[i]) > epsilon)) {
            error("[game] Trail %s segment (%u) is too short!", name_text().c_str(), i);
            return false;
        }
    }
    if (!m_fixed_rotation || nodes < 2) return true;
    for (uint32_t i = 0; i + 1 < nodes; ++i) {
        // normalize leaves a direction shorter than the epsilon as it is.
        m_rotation[i].set_cartes(normalized(m_position[i + 1] - m_position[i]));
    }
    m_rotation[nodes - 1] = m_rotation[nodes - 2];
    return true;
}

bool trail_u::_call_post_load() {
    if (!game_unit_u::_call_post_load()) return false;
    return prepare();
}

}  // namespace quarn

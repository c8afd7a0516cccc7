#include "game/world/wind.h"

#include <cmath>

#include "kernel/sys.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/ypr.h"
#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE(wind_u, "wind", QRN_ATTR(m_speed, UNIT_ATTR_FLOAT, "wind_speed"),
                QRN_ATTR(m_base_direction, UNIT_ATTR_VEC3, "wind_direction_orig"));

namespace {

constexpr float DEGREES_TO_RADIANS = 0.017453292f;

// The direction of v as a unit vector; false for a zero or non-finite v. Scaling by
// the largest component first keeps tiny and huge vectors from under- or overflowing.
bool unit_direction(const vec3_t &v, vec3_t &out) {
    const float m = std::fmax(std::fabs(v.x), std::fmax(std::fabs(v.y), std::fabs(v.z)));
    if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z) || !(m > 0.0f)) return false;
    out = v / m;
    normalize(out);
    return true;
}

}  // namespace

void wind_u::reinitialise() {
    vec3_t unit;
    if (!unit_direction(m_base_direction, unit)) {
        warning("[env] The wind '%s' has no usable base direction (%g, %g, %g); it blows along (0, 0, -1).",
                name_text().c_str(), double(m_base_direction.x), double(m_base_direction.y),
                double(m_base_direction.z));
        unit = {0.0f, 0.0f, -1.0f};
    }
    m_base_direction = m_direction = unit;
    ypr_t angles;
    angles.set_direction(m_base_direction);
    m_base_yaw = m_yaw = angles.yaw;
    m_target_yaw = m_base_yaw - 20.0f * sys_rand();
    // A speed above every limit (only a NaN is) takes the strongest class.
    m_strength_class = CLASS_COUNT - 1;
    for (int32_t c = 0; c < CLASS_COUNT; ++c) {
        if (CLASS_SPEED_LIMIT[c] >= m_speed) {
            m_strength_class = c;
            break;
        }
    }
}

void wind_u::set_base_direction(const vec3_t &direction) {
    m_base_direction = direction;
    reinitialise();
}

bool wind_u::turn_direction(vec3_t &direction, bool positive) const {
    if (!(m_speed >= TURN_MIN_SPEED)) return false;  // NaN turns nothing either
    const float degrees = 45.0f / (0.72f * m_speed + 1.0f);
    quat_t turn;
    turn.set_axis_angle({0.0f, 1.0f, 0.0f}, (positive ? degrees : -degrees) * DEGREES_TO_RADIANS);
    direction = turn.rotate(direction);
    return true;
}

void wind_u::update(float dt) {
    const float rate = CLASS_YAW_RATE[m_strength_class];
    const bool falling = m_yaw > m_target_yaw;
    m_yaw += falling ? -dt * rate : dt * rate;
    if (falling != (m_yaw > m_target_yaw)) {
        const float r = sys_rand();
        m_target_yaw = m_base_yaw + 10.0f * r - 10.0f * (1.0f - r);
    }
    m_direction = ypr_t(m_yaw, 0.0f, 0.0f).get_direction();
}

bool wind_u::_call_post_load() {
    if (!unit_t::_call_post_load()) return false;
    if (!std::isfinite(m_speed)) {
        error("[env] The wind '%s' has no finite wind_speed.", name_text().c_str());
        return false;
    }
    reinitialise();
    return true;
}

bool wind_u::_clone_finish(unit_base_t *target) {
    static_cast<wind_u *>(target)->reinitialise();
    return true;
}

}  // namespace quarn

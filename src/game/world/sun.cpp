#include "game/world/sun.h"

#include <algorithm>
#include <cmath>

#include "game/world/environment.h"
#include "game/world/fog.h"
#include "qrncore/math/ypr.h"
#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE(sun_u, "sun", QRN_ATTR(m_ambient_levels, UNIT_ATTR_VEC4_ARRAY, "ambient_levels"),
                QRN_ATTR(m_diffuse_levels, UNIT_ATTR_VEC4_ARRAY, "diffuse_levels"),
                QRN_ATTR(m_specular_levels, UNIT_ATTR_VEC4_ARRAY, "specular_levels"),
                QRN_ATTR(m_azimuth, UNIT_ATTR_FLOAT, "azimuth"));

namespace {

constexpr float COLOUR_SCALE = 0.003921569f;  // 1/255

// v mod n in 0..n-1 for any finite v.
int32_t wrap(double v, int32_t n) {
    double r = std::fmod(v, double(n));
    if (r < 0.0) r += n;
    const int32_t i = int32_t(r);
    return i >= n ? n - 1 : i;  // a tiny negative remainder rounds up to n
}

void blend(vec4_t &out, const array_dyn_t<vec4_t> &rows, int32_t hour, int32_t next, float f) {
    if (rows.get_count() < sun_u::HOURS) return;
    out = rows[uint32_t(hour)] * (1.0f - f) + rows[uint32_t(next)] * f;
}

}  // namespace

vec4_t sun_u::get_lit_color() const {
    const float up = std::fabs(m_direction.y);
    vec4_t c;
    for (int i = 0; i < 4; ++i) c[i] = std::min(1.0f, m_ambient[i] + up * m_diffuse[i]);
    return c;
}

namespace {

// The time of the current scene's environment, or the fallback without one.
float scene_time_of_day(float fallback) {
    const environment_u *environment = get_current_environment();
    return environment ? environment->get_time_of_day() : fallback;
}

}  // namespace

void sun_u::set_azimuth(float degrees) {
    m_azimuth = degrees;
    recompute(scene_time_of_day(m_time_of_day));
}

void sun_u::recompute(float time_of_day) {
    if (!std::isfinite(time_of_day)) return;
    m_time_of_day = time_of_day;
    // The height by the time within the day, like the rows: a clock that ran past
    // midnight (or was set before it) shows night and day again at their hours.
    double day_seconds = std::fmod(double(time_of_day), 86400.0);
    if (day_seconds < 0.0) day_seconds += 86400.0;
    const float h = float(day_seconds / 3600.0);
    const float elevation = (h < 5.0f || h > 21.0f) ? NIGHT_ELEVATION : DAY_ELEVATION;

    const int32_t hour = wrap(std::floor(double(time_of_day) / 3600.0), int32_t(HOURS));
    const int32_t next = (hour + 1) % int32_t(HOURS);
    const int32_t minute = wrap(std::floor(double(time_of_day) / 60.0), 60);
    const float f = float(minute) / 60.0f;
    blend(m_ambient, m_ambient_levels, hour, next, f);
    blend(m_diffuse, m_diffuse_levels, hour, next, f);
    blend(m_specular, m_specular_levels, hour, next, f);

    const vec3_t d = ypr_t(-m_azimuth, elevation, 0.0f).get_direction();
    m_light_vector = {d.x, d.y, d.z, 0.0f};
    m_direction = normalized(d);
    m_position = m_direction * 100.0f;
}

void sun_u::update(float) { recompute(scene_time_of_day(m_time_of_day)); }

float sun_u::compute_strength(float weather_condition, const fog_u *fog) {
    float strength = 1.0f - 0.9f * weather_condition;
    if (fog && fog->affects_sunlight()) strength -= 8.0f * fog->get_intensity();
    return strength < 0.0f ? 0.0f : strength;
}

bool sun_u::_call_post_load() {
    if (!unit_t::_call_post_load()) return false;
    const struct {
        const char *name;
        array_dyn_t<vec4_t> *rows;
    } tables[] = {{"ambient_levels", &m_ambient_levels},
                  {"diffuse_levels", &m_diffuse_levels},
                  {"specular_levels", &m_specular_levels}};
    for (const auto &table : tables) {
        if (table.rows->get_count() < HOURS) {
            error("[env] The sun '%s' has %u rows in %s; it needs one for each of the %u hours.", name_text().c_str(),
                  table.rows->get_count(), table.name, HOURS);
            return false;
        }
    }
    for (const auto &table : tables)
        for (uint32_t i = 0; i < table.rows->get_count(); ++i) (*table.rows)[i] *= COLOUR_SCALE;
    return true;
}

}  // namespace quarn

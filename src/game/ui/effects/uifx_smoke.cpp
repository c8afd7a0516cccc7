// The smoke effect: copies of the text that rise and sway.
#include <cmath>

#include "game/ui/effects/uifx_units.h"
#include "kernel/sys.h"

namespace quarn {

QRN_UNIT_DEFINE(uifx_smoke_u, "uifx_smoke", QRN_ATTR(colors, UNIT_ATTR_VEC4_ARRAY, "colors"),
                QRN_ATTR(spawn_delay, UNIT_ATTR_FLOAT, "spawn_delay"), QRN_ATTR(live_time, UNIT_ATTR_FLOAT, "live_time"),
                QRN_ATTR(displacement, UNIT_ATTR_VEC3, "displacement"), QRN_ATTR(y_speed, UNIT_ATTR_FLOAT, "y_speed"),
                QRN_ATTR(x_wave_count, UNIT_ATTR_FLOAT, "x_wave_count"),
                QRN_ATTR(x_wave_min, UNIT_ATTR_FLOAT, "x_wave_min"), QRN_ATTR(x_wave_max, UNIT_ATTR_FLOAT, "x_wave_max"));

bool uifx_smoke_u::_call_post_load() {
    if (!zml_effect_u::_call_post_load()) return false;
    for (const vec4_t &c : colors)
        if (!uifx_check_finite(*this, "'colors'", &c.x, 4)) return false;
    const float values[] = {spawn_delay, live_time, displacement.x, displacement.y, displacement.z,
                            y_speed,     x_wave_count, x_wave_min, x_wave_max};
    if (!uifx_check_finite(*this, "a number", values, sizeof values / sizeof values[0])) return false;
    // Particles age by dt / live_time: at 0 or below they would never die.
    if (!(live_time > 0.0f)) return uifx_refuse(*this, "'live_time' must be greater than 0");
    return true;
}

void uifx_smoke_u::start(const zml_buffer_t &) {
    // The spawn timer keeps its value: a new smoke spawns at its first update.
    m_particles.clear();
}

uint32_t uifx_smoke_u::colour_at(float age) const {
    const uint32_t n = colors.get_count();
    if (n == 0) return ZML_WHITE;
    if (n == 1) return uifx_pack_colour(colors[0]);
    const float g = 1.0f / float(n - 1);
    float index = std::floor(age / g);
    // Rounding may put an age just below 1 on the last colour: blend towards it from
    // the one before instead of reading past the end.
    if (!(index >= 0.0f)) index = 0.0f;
    if (index > float(n - 2)) index = float(n - 2);
    const uint32_t i = uint32_t(index);
    float t = std::fmod(age, g) / g;
    if (age >= float(i + 1) * g) t = 1.0f;
    return uifx_pack_colour(uifx_blend(colors[i], colors[i + 1], t));
}

void uifx_smoke_u::update(float dt, const zml_buffer_t &buffer) {
    m_spawn_timer -= dt;
    if (m_spawn_timer <= 0.0f) {
        // No deficit is carried over: at most one particle per update.
        m_spawn_timer = spawn_delay;
        particle_t p;
        p.phase = sys_rand() * displacement.z;
        p.x_base = displacement.x / 2.0f - sys_rand() * displacement.x;
        p.y = displacement.y / 2.0f - sys_rand() * displacement.y;
        p.buffer.copy_from(buffer);
        m_particles.append(std::move(p));
    }
    constexpr float TWO_PI = 6.2831855f;
    for (uint32_t i = 0; i < m_particles.get_count();) {
        particle_t &p = m_particles[i];
        p.age += dt / live_time;
        if (!(p.age < 1.0f)) {
            m_particles.remove(i);
            continue;
        }
        const float wave = (1.0f - p.age) * x_wave_min + p.age * x_wave_max;
        p.x = std::sin((p.age + p.phase) * x_wave_count * TWO_PI) * wave + p.x_base;
        p.y += dt * y_speed;
        p.colour = colour_at(p.age);
        ++i;
    }
}

void uifx_smoke_u::draw(r_queue_t *queue) {
    for (particle_t &p : m_particles) uifx_flush(p.buffer, queue, p.x, p.y, p.colour);
}

}  // namespace quarn

#include "game/world/snow.h"

#include <cmath>

namespace quarn {

QRN_UNIT_DEFINE(snow_u, "snow");

namespace {

constexpr float DEGREES_TO_RADIANS = 0.017453292f;
constexpr float FLAKE_TEXCOORDS[2 * snow_u::VERTICES_PER_FLAKE] = {
    0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f,  // corners 0 1 2
    0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f,  // corners 0 2 3
};

}  // namespace

void snow_u::on_construct() { set_up(); }

void snow_u::on_destroy() { m_layer.detach(); }

void snow_u::set_up() {
    m_layer.set_up("snow", name_text().c_str(), HALF_EXTENT, PARTICLES, MIN_SCALE, MAX_SCALE);
    // The wobble vectors come from the same generator, after the flakes.
    randomizer_t &random = m_layer.get_random();
    vec3_t previous{0.0f, 0.0f, 0.0f};
    for (uint32_t i = 0; i < WOBBLES; ++i) {
        const vec3_t drawn{random.rand() * WOBBLE_AMPLITUDE.x, random.rand() * WOBBLE_AMPLITUDE.y,
                           random.rand() * WOBBLE_AMPLITUDE.z};
        m_wobble[i] = drawn - previous;
        previous = drawn;
        m_ring[i] = i;
    }
    m_cursor = 0;
}

bool snow_u::_clone_finish(unit_base_t *target) {
    static_cast<snow_u *>(target)->set_up();
    return true;
}

bool snow_u::attach(const r_parameter_array_t *scene_set) {
    return m_layer.attach(scene_set, MATERIAL, VERTICES_PER_FLAKE, FLAKE_TEXCOORDS);
}

void snow_u::update(float dt) {
    if (!m_layer.is_enabled()) return;
    const vec3_t offset = m_layer.take_offset(FALL_VELOCITY * dt + m_wind * dt);
    if (m_layer.get_random().rand() < WOBBLE_CHANCE) {
        m_ring[m_cursor] = (m_ring[m_cursor] + 1) % WOBBLES;
        m_cursor = (m_cursor + 1) % WOBBLES;
    }
    particle_layer_t::particle_t *p = m_layer.get_particles();
    const uint32_t active = m_layer.get_active_count();
    const float turn = SPIN * dt;
    for (uint32_t i = 0; i < active; ++i) {
        p[i].position += offset + m_wobble[m_ring[i % WOBBLES]] * dt;
        m_layer.wrap(p[i].position);
        p[i].angle = std::fmod(p[i].angle + turn, 360.0f);
    }
}

void snow_u::draw() {
    float *v = m_layer.begin_draw();
    if (!v) return;
    const particle_layer_t::particle_t *p = m_layer.get_particles();
    const uint32_t active = m_layer.get_active_count();
    for (uint32_t i = 0; i < active; ++i) {
        const vec3_t &m = p[i].position;
        const float a = p[i].angle * DEGREES_TO_RADIANS;
        const float c = p[i].scale * std::cos(a);
        const float n = p[i].scale * std::sin(a);
        const float corner[4][2] = {{-c + n, -n - c}, {c + n, n - c}, {c - n, n + c}, {-c - n, -n + c}};
        static constexpr int order[VERTICES_PER_FLAKE] = {0, 1, 2, 0, 2, 3};
        for (int k : order) {
            *v++ = m.x + corner[k][0];
            *v++ = m.y + corner[k][1];
            *v++ = m.z;
        }
    }
    m_layer.end_draw();
}

}  // namespace quarn

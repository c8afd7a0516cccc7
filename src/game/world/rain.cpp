#include "game/world/rain.h"

namespace quarn {

QRN_UNIT_DEFINE(rain_u, "rain", QRN_ATTR(m_box, UNIT_ATTR_VEC3, "box_dimensions"),
                QRN_ATTR(m_fall_velocity, UNIT_ATTR_VEC3, "fall_velocity"),
                QRN_ATTR(m_material, UNIT_ATTR_STRING, "particle_material"),
                QRN_ATTR(m_particle_count, UNIT_ATTR_UINT32, "particle_count"),
                QRN_ATTR(m_width_coef, UNIT_ATTR_FLOAT, "particle_width_coef"),
                QRN_ATTR(m_height_coef, UNIT_ATTR_FLOAT, "particle_height_coef"),
                QRN_ATTR(m_min_scale, UNIT_ATTR_FLOAT, "particle_min_scale"),
                QRN_ATTR(m_max_scale, UNIT_ATTR_FLOAT, "particle_max_scale"));

namespace {

// Per vertex of a drop: the tip at v = 0, the two foot corners at v = 1; the second
// half is the first reversed.
constexpr float DROP_TEXCOORDS[2 * rain_u::VERTICES_PER_DROP] = {
    1.0f, 1.0f, 0.0f, 1.0f, 0.5f, 0.0f,  // across x
    1.0f, 1.0f, 0.0f, 1.0f, 0.5f, 0.0f,  // across z
    0.5f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f,  // across x, reversed
    0.5f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f,  // across z, reversed
};

}  // namespace

void rain_u::on_construct() {
    m_material.copy(DEFAULT_MATERIAL);
    set_up();
}

void rain_u::on_destroy() { m_layer.detach(); }

bool rain_u::set_up() {
    return m_layer.set_up("rain", name_text().c_str(), m_box, m_particle_count, m_min_scale, m_max_scale);
}

bool rain_u::_call_post_load() { return unit_t::_call_post_load() && set_up(); }

bool rain_u::_clone_finish(unit_base_t *target) { return static_cast<rain_u *>(target)->set_up(); }

bool rain_u::attach(const r_parameter_array_t *scene_set) {
    return m_layer.attach(scene_set, m_material.c_str(), VERTICES_PER_DROP, DROP_TEXCOORDS);
}

void rain_u::update(float dt) {
    if (!m_layer.is_enabled()) return;
    const vec3_t travel = m_fall_velocity * dt + vec3_t{DRIFT, 0.0f, DRIFT} * dt;
    m_layer.move_active(m_layer.take_offset(travel));
}

void rain_u::draw() {
    float *v = m_layer.begin_draw();
    if (!v) return;
    const particle_layer_t::particle_t *p = m_layer.get_particles();
    const uint32_t active = m_layer.get_active_count();
    for (uint32_t i = 0; i < active; ++i) {
        const vec3_t &c = p[i].position;
        const float w = m_width_coef * p[i].scale;
        const float h = m_height_coef * p[i].scale;
        const vec3_t corners[6] = {
            {c.x + w, c.y, c.z}, {c.x - w, c.y, c.z}, {c.x, c.y + h, c.z},  // across x
            {c.x, c.y, c.z + w}, {c.x, c.y, c.z - w}, {c.x, c.y + h, c.z},  // across z
        };
        static constexpr int order[VERTICES_PER_DROP] = {0, 1, 2, 3, 4, 5, 2, 1, 0, 5, 4, 3};
        for (int k : order) {
            *v++ = corners[k].x;
            *v++ = corners[k].y;
            *v++ = corners[k].z;
        }
    }
    m_layer.end_draw();
}

}  // namespace quarn

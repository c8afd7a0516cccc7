#include "game/world/particle_layer.h"

#include <cmath>

#include "kernel/gfx/gfx.h"
#include "kernel/gfx/gfx_cache.h"
#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/material.h"
#include "outside/qrnshared/r_queue.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// v held within ±limit; a NaN (a broken step) moves nothing.
float clamp_axis(float v, float limit) {
    if (v > limit) return limit;
    if (v < -limit) return -limit;
    return v == v ? v : 0.0f;
}

// p brought into −e..e by whole widths 2e (e > 0); inside it stays as it is.
float wrap_axis(float p, float e) {
    if (p >= -e && p <= e) return p;
    return p - 2.0f * e * std::round(p / (2.0f * e));
}

bool is_half_extent(float e) { return std::isfinite(e) && e > 0.0f; }

}  // namespace

particle_layer_t::~particle_layer_t() { detach(); }

bool particle_layer_t::set_up(const char *kind, const char *name, const vec3_t &half_extent, uint32_t count,
                              float min_scale, float max_scale) {
    if (!is_half_extent(half_extent.x) || !is_half_extent(half_extent.y) || !is_half_extent(half_extent.z)) {
        error("[env] The %s '%s' has the box half extent (%g, %g, %g); each must be a number above 0.", kind, name,
              double(half_extent.x), double(half_extent.y), double(half_extent.z));
        return false;
    }
    if (count > MAX_PARTICLES) {
        error("[env] The %s '%s' asks for %u particles; at most %u are allowed.", kind, name, count, MAX_PARTICLES);
        return false;
    }
    detach();
    m_particles.clear();
    if (!m_particles.set_size(count)) {
        error("[env] No memory for the %u particles of the %s '%s'.", count, kind, name);
        return false;
    }
    m_half_extent = half_extent;
    m_random.seed = SEED;
    particle_t *p = m_particles.get_data();
    for (uint32_t i = 0; i < count; ++i) {
        const float share = float(i) / float(count);
        float axis[3];
        const float extent[3] = {half_extent.x, half_extent.y, half_extent.z};
        for (int a = 0; a < 3; ++a) {
            const float r = m_random.rand();
            axis[a] = (r - (1.0f - r)) * extent[a];
        }
        p[i].position = {axis[0], axis[1], axis[2]};
        p[i].scale = min_scale * (1.0f - share) + max_scale * share;
        p[i].angle = share * 360.0f;
    }
    m_intensity = 0.0f;
    m_active = 0;
    return true;
}

void particle_layer_t::set_intensity(float intensity) {
    if (std::fabs(intensity - m_intensity) < INTENSITY_STEP) return;
    if (!(intensity > INTENSITY_STEP)) {
        m_enabled = false;
        m_intensity = 0.0f;
        m_active = 0;
        return;
    }
    m_intensity = intensity;
    const uint32_t count = m_particles.get_count();
    const float wanted = intensity * float(count);
    m_active = wanted >= float(count) ? count : uint32_t(wanted);
    // A dry spell must not end the rain for good.
    if (is_attached()) m_enabled = true;
}

bool particle_layer_t::attach(const r_parameter_array_t *scene_set, const char *material_path,
                              uint32_t vertices_per_particle, const float *texcoord_pattern) {
    detach();
    // The front-end's records exist from its start, which makes the default buffer.
    if (!gfx_get_default_buffer()) {
        error("[env] The graphics front-end is not running: a weather layer cannot be drawn.");
        return false;
    }
    const uint32_t vertices = m_particles.get_count() * vertices_per_particle;
    m_positions.clear();
    m_texcoords.clear();
    if (!m_positions.set_size(vertices * 3) || !m_texcoords.set_size(vertices * 2)) {
        error("[env] No memory for the %u vertices of a weather layer.", vertices);
        m_positions.clear();
        m_texcoords.clear();
        return false;
    }
    m_model_packet = create_fw4pp_model_unit();
    if (!m_model_packet) {
        error("[env] No model packet for a weather layer.");
        return false;
    }
    float *uv = m_texcoords.get_data();
    for (uint32_t v = 0; v < vertices; ++v) {
        const uint32_t k = v % vertices_per_particle;
        uv[2 * v] = texcoord_pattern[2 * k];
        uv[2 * v + 1] = texcoord_pattern[2 * k + 1];
    }
    m_vertices_per_particle = vertices_per_particle;

    m_geometry = r_geometry_t{};
    m_geometry.positions = m_positions.get_data();
    m_geometry.colours = &m_colour_word;
    m_geometry.texcoords = m_texcoords.get_data();
    m_geometry.flags = GFX_GEOM_POSITIONS | GFX_GEOM_SINGLE_COLOUR | GFX_GEOM_TEXCOORDS;

    for (uint32_t slot = 0; slot < r_parameter_array_t::SLOTS; ++slot)
        m_packets.set(slot, scene_set ? scene_set->get(slot) : nullptr);
    m_packets.set(FW_SLOT_MODEL, m_model_packet.get());

    m_material = material_path ? get_material(material_path) : nullptr;
    m_packet = gfx_alloc_packet();
    m_packet->set_buffer(R_PACKET_PST, &m_geometry);
    m_proto = gfx_alloc_proto();
    m_proto->set_vpacket(0, m_packet);
    m_proto->set_material(m_material);
    m_proto->parameters = &m_packets;
    return true;
}

void particle_layer_t::detach() {
    if (m_proto) gfx_free_proto(m_proto);
    m_proto = nullptr;
    if (m_packet) m_packet->release();
    m_packet = nullptr;
    if (m_material) m_material->release_ref();
    m_material = nullptr;
    m_packets.clear();
    m_model_packet.reset();
    m_geometry = r_geometry_t{};
    m_vertices_per_particle = 0;
    m_positions.clear();
    m_texcoords.clear();
    m_enabled = false;
}

vec3_t particle_layer_t::take_offset(const vec3_t &travel) {
    const vec3_t raw = travel - m_movement;
    m_movement = {0.0f, 0.0f, 0.0f};
    return {clamp_axis(raw.x, 2.0f * m_half_extent.x), clamp_axis(raw.y, 2.0f * m_half_extent.y),
            clamp_axis(raw.z, 2.0f * m_half_extent.z)};
}

void particle_layer_t::wrap(vec3_t &p) const {
    p.x = wrap_axis(p.x, m_half_extent.x);
    p.y = wrap_axis(p.y, m_half_extent.y);
    p.z = wrap_axis(p.z, m_half_extent.z);
}

void particle_layer_t::move_active(const vec3_t &offset) {
    particle_t *p = m_particles.get_data();
    for (uint32_t i = 0; i < m_active; ++i) {
        p[i].position += offset;
        wrap(p[i].position);
    }
}

float *particle_layer_t::begin_draw() {
    if (!m_enabled || !m_active || !m_proto) return nullptr;
    return m_positions.get_data();
}

void particle_layer_t::end_draw() {
    m_geometry.vertex_count = m_active * m_vertices_per_particle;
    m_colour_word = m_colour.to_word();
    if (fw4pp_model_u *model = m_model_packet.get()) {
        placement_scale_t at;
        at.position = m_camera;
        model->set_matrix_and_inverse(at);
    }
    gfx_queue_proto(m_proto);
}

}  // namespace quarn

#include "game/visuals/effects/simple_shadow.h"

#include "game/visuals/shaders/dry.h"
#include "game/visuals/shaders/fw_packets.h"
#include "kernel/gfx/gfx.h"
#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/material.h"
#include "outside/qrnshared/r_queue.h"

namespace quarn {

QRN_UNIT_DEFINE(simple_shadow_u, "simple_shadow");

namespace {

struct shadow_tables_t {
    shadow_tables_t() {
        const vec2_t corners[4] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
        for (uint32_t a = 0; a < simple_shadow_u::MAX_QUADS; ++a) {
            const uint16_t v = uint16_t(4 * a);
            const uint16_t quad[6] = {v, uint16_t(v + 1), uint16_t(v + 2), uint16_t(v + 2), uint16_t(v + 3), v};
            for (int i = 0; i < 6; ++i) indices[6 * a + i] = quad[i];
            for (int i = 0; i < 4; ++i) uvs[4 * a + i] = corners[i];
        }
    }
    uint16_t indices[6 * simple_shadow_u::MAX_QUADS];
    vec2_t uvs[4 * simple_shadow_u::MAX_QUADS];
};

// Made by the first shadow, shared by all.
const shadow_tables_t &tables() {
    static const shadow_tables_t shared;
    return shared;
}

}  // namespace

const uint16_t *simple_shadow_u::get_index_table() { return tables().indices; }
const vec2_t *simple_shadow_u::get_uv_table() { return tables().uvs; }

void simple_shadow_u::on_construct() {
    tables();
    m_projection = drypp_texprojection_u::create();
    m_identity = fw4pp_model_u::create();
    m_packets.set(FW_SLOT_MODEL, m_identity.get());
    m_packets.set(FW_SLOT_LIGHT, m_projection.get());
    m_vertex_packet = gfx_alloc_packet();
    m_index_packet = gfx_alloc_packet();
    m_proto = gfx_alloc_proto();
    if (m_vertex_packet) m_vertex_packet->set_buffer(R_PACKET_PCT, &m_geometry);
    if (m_index_packet) m_index_packet->set_buffer(R_PACKET_INDEX16, &m_geometry);
    if (m_proto) {
        m_proto->set_vpacket(0, m_vertex_packet);
        m_proto->set_ipacket(m_index_packet);
        m_material = get_material(MATERIAL);
        m_proto->set_material(m_material);
        m_proto->parameters = &m_packets;
    }
}

simple_shadow_u::~simple_shadow_u() {
    if (m_proto) gfx_free_proto(m_proto);
    if (m_vertex_packet) m_vertex_packet->release();
    if (m_index_packet) m_index_packet->release();
    if (m_material) m_material->release_ref();
    m_packets.clear();
}

void simple_shadow_u::reset() {
    m_positions.clear();
    m_colours.clear();
}

bool simple_shadow_u::add_quad(const vec3_t corners[4], uint32_t colour) {
    if (m_positions.get_count() >= 4 * MAX_QUADS) return false;
    if (!m_positions.request_capacity(m_positions.get_count() + 4) ||
        !m_colours.request_capacity(m_colours.get_count() + 4))
        return false;
    for (int i = 0; i < 4; ++i) {
        m_positions.append(corners[i]);
        m_colours.append(colour);
    }
    return true;
}

bool simple_shadow_u::add_quad(const placement_scale_t &placement, float a, float b, uint32_t colour) {
    const vec3_t corners[4] = {placement.from_local_space({-a, b, 0}), placement.from_local_space({-a, -b, 0}),
                               placement.from_local_space({a, -b, 0}), placement.from_local_space({a, b, 0})};
    return add_quad(corners, colour);
}

void simple_shadow_u::prepare_parameters() {
    if (!m_scene) return;
    m_packets.set(FW_SLOT_CAMERA, m_scene->get(FW_SLOT_CAMERA));
    m_packets.set(FW_SLOT_FOG, m_scene->get(FW_SLOT_FOG));
}

r_proto_t *simple_shadow_u::get_proto() {
    const shadow_tables_t &t = tables();
    m_geometry.positions = m_positions.is_empty() ? nullptr : &m_positions[0].x;
    m_geometry.colours = m_colours.is_empty() ? nullptr : m_colours.get_data();
    m_geometry.texcoords = const_cast<float *>(&t.uvs[0].x);
    m_geometry.indices = const_cast<uint16_t *>(t.indices);
    m_geometry.vertex_count = get_vertex_count();
    m_geometry.index_count = get_index_count();
    return m_proto;
}

bool simple_shadow_u::queue_render() {
    if (!m_proto || m_positions.is_empty()) return false;
    return gfx_queue_proto(get_proto());
}

}  // namespace quarn

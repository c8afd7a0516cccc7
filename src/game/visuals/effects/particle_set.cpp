#include "game/visuals/effects/particle_set.h"

#include "game/visuals/effects/particle_gen.h"
#include "game/visuals/shaders/fw_packets.h"
#include "kernel/sys.h"
#include "outside/visbase/camera.h"

namespace quarn {

QRN_UNIT_DEFINE(particle_set_u, "particle_set", QRN_ATTR(m_gen_array, UNIT_ATTR_OWNER_ARRAY, "gen_array"));

particle_set_u::~particle_set_u() { m_packets.clear(); }

particle_gen_u *particle_set_u::get_generator(uint32_t index) const {
    return index < m_gen_array.get_count() ? unit_cast<particle_gen_u>(m_gen_array[index].get()) : nullptr;
}

void particle_set_u::bind_generators() {
    for (uint32_t i = 0; i < m_gen_array.get_count(); ++i)
        if (particle_gen_u *g = get_generator(i)) g->bind(this);
}

bool particle_set_u::_call_post_load() {
    if (!model_hookup_u::_call_post_load()) return false;
    bind_generators();
    return true;
}

bool particle_set_u::_clone_finish(unit_base_t *target) {
    static_cast<particle_set_u *>(target)->bind_generators();
    return true;
}

void particle_set_u::attach_to(placement_node_t *parent, const placement_t &relative, bool emit) {
    m_node.set_parent(parent);
    m_node.set_relative(relative);
    bind_generators();
    m_emit = emit;
    for (uint32_t i = 0; i < m_gen_array.get_count(); ++i)
        if (particle_gen_u *g = get_generator(i)) g->reset();
}

bool particle_set_u::attach(model_hookup_u *owner, const placement_t &relative) {
    attach_to(owner ? owner->get_placement_node() : nullptr, relative, m_emit);
    return true;
}

bool particle_set_u::detach() {
    m_node.set_parent(nullptr);
    return true;
}

bool particle_set_u::update(float seconds) {
    const bool emit = m_emit && m_visible;
    for (uint32_t i = 0; i < m_gen_array.get_count(); ++i)
        if (particle_gen_u *g = get_generator(i)) g->update(seconds, emit, m_wind);
    return true;
}

void particle_set_u::update_frame() { update(float(sys_get_lastdelta())); }

void particle_set_u::prepare() {
    if (!m_visible) return;
    // The particles' vertices are in camera space.
    if (m_camera_packet) {
        m_camera_packet->matrix = gfx_camera_world_matrix();
        m_camera_packet->matrix_inv = gfx_camera_matrix();
    }
    for (uint32_t i = 0; i < m_gen_array.get_count(); ++i)
        if (particle_gen_u *g = get_generator(i)) g->prepare();
}

void particle_set_u::render() {
    if (!m_visible) return;
    for (uint32_t i = 0; i < m_gen_array.get_count(); ++i)
        if (particle_gen_u *g = get_generator(i)) g->render();
}

bool particle_set_u::draw() {
    prepare();
    render();
    return true;
}

void particle_set_u::set_parameter_packets(const r_parameter_array_t *array) {
    if (!m_camera_packet) m_camera_packet = fw4pp_model_u::create();
    m_packets.clear();
    if (array)
        for (uint32_t slot = 0; slot < r_parameter_array_t::SLOTS; ++slot) m_packets.set(slot, array->get(slot));
    m_packets.set(FW_SLOT_MODEL, m_camera_packet.get());
    for (uint32_t i = 0; i < m_gen_array.get_count(); ++i)
        if (particle_gen_u *g = get_generator(i)) g->set_parameter_packets(&m_packets);
}

}  // namespace quarn

#include "game/world/particle_emitter.h"

#include <cmath>

#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/visuals/effects/particle_gen.h"
#include "game/visuals/effects/particle_set.h"
#include "game/world/map_scene.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

namespace {

constexpr unit_attr_t<UNIT_ATTR_FLOAT> time_domain{{0.0f, 60.0f}};
constexpr unit_attr_t<UNIT_ATTR_FLOAT_ARRAY> times_domain{{0.0f, 60.0f}};

}  // namespace

QRN_UNIT_DEFINE(particle_emitter_u, "particle_emitter", QRN_ATTR(m_hookup, UNIT_ATTR_STRING, "hookup"),
                QRN_ATTR(m_init_time, UNIT_ATTR_FLOAT, "init_time", &time_domain),
                QRN_ATTR(m_emit_stop_times, UNIT_ATTR_FLOAT_ARRAY, "emit_stop_times", &times_domain),
                QRN_ATTR(m_autostart, UNIT_ATTR_BOOL, "autostart"), QRN_ATTR(m_loop, UNIT_ATTR_BOOL, "loop"),
                QRN_ATTR(m_hack_rotation, UNIT_ATTR_BOOL, "hack_rotation"),
                QRN_ATTR(m_placement, UNIT_ATTR_PLACEMENT_SCALE, "placement"));

bool particle_emitter_u::_call_post_load() {
    if (!game_unit_u::_call_post_load()) return false;
    if (m_hookup.is_empty()) {
        error("[game] missing emitter hookup");
        return false;
    }
    particle_set_u *source = unit_cast<particle_set_u>(unit_system_t::find_unit(m_hookup.c_str()));
    if (source && source->is_alive()) m_particle_set = unit_cast<particle_set_u>(source->clone());
    if (!m_particle_set) {
        error("[game] cannot initialize hookup '%s'", m_hookup.c_str());
        return false;
    }
    if (m_autostart && !start(false))
        warning("[game] Emitter %s cannot start: no scene to run in", name_text().c_str());
    return true;
}

bool particle_emitter_u::_clone_finish(unit_base_t *target) {
    auto *copy = static_cast<particle_emitter_u *>(target);
    if (m_particle_set) {
        copy->m_particle_set = unit_cast<particle_set_u>(m_particle_set->clone());
        if (!copy->m_particle_set) return false;
    }
    return true;
}

void particle_emitter_u::on_destroy() {
    if (m_in_list) {
        m_in_list = false;
        if (base_ctrl_u *ctrl = get_current_ctrl()) ctrl->remove_list_object(this);
    }
    m_particle_set.reset();
}

bool particle_emitter_u::start(bool discard_when_done) {
    base_ctrl_u *ctrl = get_current_ctrl();
    if (!m_particle_set || !ctrl) return false;
    m_discard_when_done = discard_when_done;
    m_prerun_steps = 0;
    if (m_hack_rotation) {
        const quat_t q = m_placement.rotation;
        m_placement.rotation = quat_t();
        m_particle_set->attach_to(nullptr, placement_t(m_placement.position, quat_t()), true);
        for (uint32_t i = 0; i < m_particle_set->get_generator_count(); ++i) {
            if (particle_gen_u *g = m_particle_set->get_generator(i)) {
                g->m_flow_speed = q.rotate(g->m_flow_speed);
                g->m_flow_speed_acc = q.rotate(g->m_flow_speed_acc);
            }
        }
    } else {
        m_particle_set->attach_to(nullptr, placement_t(m_placement.position, m_placement.rotation), true);
    }
    if (const r_parameter_array_t *set = map_packet_set(1)) m_particle_set->set_parameter_packets(set);
    m_state = STATE_STARTED;
    // An empty list places the particles and never runs.
    if (m_emit_stop_times.is_empty()) return true;
    if (!m_in_list && ctrl->add_list_object(this)) m_in_list = true;
    return m_in_list;
}

void particle_emitter_u::finish() {
    base_ctrl_u *ctrl = get_current_ctrl();
    m_state = STATE_IDLE;
    if (m_in_list) {
        m_in_list = false;
        if (ctrl) ctrl->remove_list_object(this);
    }
    // The scene lets the copy go here: its memory stays until the garbage is freed,
    // and the update list only compares its address when it drops it.
    if (m_discard_when_done && ctrl) ctrl->remove_object(this);
}

void particle_emitter_u::update(float dt) {
    if (!m_particle_set || m_state == STATE_IDLE || m_emit_stop_times.is_empty()) return;
    if (m_state == STATE_STARTED) {
        if (m_init_time > 0.0f) {
            // ⌈init_time / step⌉ steps, emitting.
            m_prerun_steps = uint32_t(std::ceil(double(m_init_time) / double(PRE_RUN_STEP) - 1e-6));
            m_particle_set->set_emit(true);
            for (uint32_t i = 0; i < m_prerun_steps; ++i) m_particle_set->update(PRE_RUN_STEP);
        }
        m_state = STATE_RUNNING;
        m_phase = 0;
        m_current_duration = m_remaining = m_emit_stop_times[0];
    }
    if (m_remaining <= 0.0f) {
        const uint32_t count = m_emit_stop_times.get_count();
        ++m_phase;
        while (m_phase < count && m_emit_stop_times[m_phase] == 0.0f) ++m_phase;
        if (m_phase >= count) {
            if (!m_loop) {
                finish();
                return;
            }
            m_phase = 0;
        }
        m_current_duration = m_remaining = m_emit_stop_times[m_phase];
    }
    m_remaining -= dt;
    m_particle_set->set_emit(m_phase % 2 == 0);
    m_particle_set->update(dt);
}

void particle_emitter_u::draw() {
    if (m_particle_set && m_state != STATE_IDLE) m_particle_set->draw();
}

bool trigger_emitter(const char *name, const placement_t &placement) {
    if (!name || !*name) return false;
    particle_emitter_u *source = unit_cast<particle_emitter_u>(unit_system_t::find_unit(name));
    base_ctrl_u *ctrl = get_current_ctrl();
    if (!source || !source->is_alive() || !ctrl) return false;
    owner_ptr_ret_t<unit_base_t> copy = source->clone();
    particle_emitter_u *emitter = unit_cast<particle_emitter_u>(copy.get());
    if (!emitter) return false;
    emitter->m_placement = placement_scale_t(placement.position, 1.0f, placement.rotation);
    // The scene owns the copy before it joins the update list, so that no list ever
    // holds a copy nobody owns.
    if (!ctrl->add_object(std::move(copy))) return false;
    const bool started = emitter->start(true);
    if (!started || !emitter->is_in_scene()) {
        // An empty list never runs: the copy has placed its particles and goes.
        ctrl->remove_object(emitter);
        return started;
    }
    return true;
}

}  // namespace quarn

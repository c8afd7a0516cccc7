#include "game/world/flagpole.h"

#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/world/map_scene.h"
#include "qrncore/strings/paths.h"
#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE(flagpole_inst_u, "flagpole_inst", QRN_ATTR(m_placement, UNIT_ATTR_PLACEMENT_SCALE, "placement"),
                QRN_ATTR(m_model_file, UNIT_ATTR_STRING, "model_file"), QRN_ATTR(m_look, UNIT_ATTR_STRING, "look"),
                QRN_ATTR(m_variant, UNIT_ATTR_STRING, "variant"),
                QRN_ATTR(m_no_wind_animation, UNIT_ATTR_STRING, "no_wind_animation"),
                QRN_ATTR(m_wind_animation, UNIT_ATTR_STRING, "wind_animation"));

namespace {


}  // namespace

bool flagpole_inst_u::_call_post_load() {
    if (!game_unit_base_u::_call_post_load()) return false;
    const mstring_dyn_t name = name_text();
    v_change_extension(m_model_file, ".zmd");
    m_model.reset(model_desc_u_obtain(m_model_file.c_str()));
    const int32_t look = m_model ? map_model_look(*m_model.get(), m_look) : -1;
    const int32_t variant = m_model ? map_model_variant(*m_model.get(), m_variant) : -1;
    if (look >= 0 && variant >= 0) m_object = m_model->create_object(uint32_t(look), uint32_t(variant), nullptr);
    if (!m_object) {
        warning("[%s] unable to load model '%s'", name.c_str(), m_model_file.c_str());
        return false;
    }
    v_change_extension(m_model_file, ".zmc");
    m_collision.reset(model_coll_u_obtain(m_model_file.c_str()));
    if (!m_collision) {
        warning("[game] Failed to load collision model for (%s)", m_model_file.c_str());
        return false;
    }
    const r_parameter_array_t *set = map_packet_set(1);
    m_object->make_own_packets(set ? *set : r_parameter_array_t());
    m_object->set_scale(m_placement.scale);
    m_object->set_placement(placement_t(m_placement.position, m_placement.rotation));
    m_world_box = m_object->get_geom()->get_bounding_box(-1);
    m_world_box.transform(m_placement.compute_matrix());

    mstring_dyn_t *names[2] = {&m_no_wind_animation, &m_wind_animation};
    for (int i = 0; i < 2; ++i) {
        m_animations[i].reset();
        if (names[i]->is_empty()) continue;
        v_change_extension(*names[i], ".zma");
        m_animations[i].reset(model_anim_u_obtain(names[i]->c_str()));
        if (!m_animations[i]) warning("[%s] unable to load model anim '%s'", name.c_str(), names[i]->c_str());
    }
    return true;
}

void flagpole_inst_u::switch_to(int32_t animation) {
    if (animation == m_current || !m_object || !m_animations[animation]) return;
    if (m_channel >= 0) m_object->free_channel(uint32_t(m_channel));
    // Looping for ever at full weight: no fade in, no stop frame.
    m_channel = m_object->play_animation(m_animations[animation].get(), 0, MODEL_CHANNEL_FADE_IN, 0, 1.0f);
    m_current = m_channel >= 0 ? animation : int32_t(ANIMATION_NONE);
}

bool flagpole_inst_u::init_unit() {
    switch_to(ANIMATION_CALM);
    if (!m_queued) {
        base_ctrl_u *ctrl = get_current_ctrl();
        if (ctrl && ctrl->add_list_object(this)) m_queued = true;
    }
    return true;
}

void flagpole_inst_u::leave_scene() {
    if (!m_queued) return;
    m_queued = false;
    if (base_ctrl_u *ctrl = get_current_ctrl()) ctrl->remove_list_object(this);
}

void flagpole_inst_u::cleanup_unit() { leave_scene(); }

void flagpole_inst_u::on_destroy() {
    leave_scene();
    m_object.reset();
    for (auto &a : m_animations) a.reset();
    m_collision.reset();
    m_model.reset();
}

void flagpole_inst_u::update(float dt) {
    if (!m_object) return;
    m_object->advance_animations(dt);
    const int32_t strength = map_wind_strength();
    vec3_t wind;
    if (strength != 0 && map_wind_direction(wind)) {
        wind.y = 0.0f;
        if (length(wind) > vec_traits_t<float>::EPSILON) {
            m_placement.rotation.set_cartes(normalized(wind));
            m_object->set_placement(placement_t(m_placement.position, m_placement.rotation));
        }
    }
    m_check_timer -= dt;
    if (m_check_timer > 0.0f) return;
    m_check_timer = CHECK_INTERVAL;
    // Only out of view: the switch is never seen.
    if (!map_box_in_view(m_world_box)) switch_to(strength != 0 ? ANIMATION_WIND : ANIMATION_CALM);
}

void flagpole_inst_u::draw() {
    if (m_object && map_box_in_view(m_world_box)) m_object->draw();
}

}  // namespace quarn

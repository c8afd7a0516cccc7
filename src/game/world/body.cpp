#include "game/world/body.h"

#include <cmath>

#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/visuals/effects/coll_shapes.h"
#include "game/visuals/effects/projected_decal.h"
#include "game/visuals/physics/physics_shape.h"
#include "qrncore/strings/paths.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

constexpr unit_attr_t<UNIT_ATTR_UINT32> unique_instances_domain{{1, 8}};
constexpr unit_attr_t<UNIT_ATTR_REF> body_desc_domain{{&body_desc_u::unit_descriptor, 0}};

// The index of a look or variant name: 0 for an empty name, -1 for an unknown one.
int32_t index_of(const mstring_t &name, int32_t (model_desc_u::*find)(const char *) const, const model_desc_u &d) {
    return name.is_empty() ? 0 : (d.*find)(name.c_str());
}

bool finite(const placement_scale_t &p) {
    const float v[8] = {p.position.x, p.position.y, p.position.z, p.scale,
                        p.rotation.w, p.rotation.x, p.rotation.y, p.rotation.z};
    for (float f : v)
        if (!std::isfinite(f)) return false;
    return true;
}

}  // namespace

QRN_UNIT_DEFINE(body_desc_u, "body_desc", QRN_ATTR(m_model_file, UNIT_ATTR_STRING, "model_file"),
                QRN_ATTR(m_model_anim, UNIT_ATTR_STRING, "model_anim"), QRN_ATTR(m_look, UNIT_ATTR_STRING, "look"),
                QRN_ATTR(m_variant, UNIT_ATTR_STRING, "variant"),
                QRN_ATTR(m_unique_instances, UNIT_ATTR_UINT32, "unique_instances", &unique_instances_domain),
                QRN_ATTR(m_is_collidable, UNIT_ATTR_BOOL, "is_collidable"));

QRN_UNIT_DEFINE(body_inst_u, "body_inst", QRN_ATTR(m_body_desc, UNIT_ATTR_REF, "body_desc", &body_desc_domain),
                QRN_ATTR(m_placement, UNIT_ATTR_PLACEMENT_SCALE, "placement"));

// ---- body_desc_u ----

bool body_desc_u::_call_post_load() {
    if (!game_unit_u::_call_post_load()) return false;
    const mstring_dyn_t name = name_text();

    v_change_extension(m_model_file, ".zmd");
    m_model.reset(model_desc_u_obtain(m_model_file.c_str()));
    if (!m_model) {
        warning("[%s] unable to load model '%s'", name.c_str(), m_model_file.c_str());
        return false;
    }

    const bool animated = !m_model_anim.is_empty();
    if (animated) {
        v_change_extension(m_model_anim, ".zma");
        m_animation.reset(model_anim_u_obtain(m_model_anim.c_str()));
        if (!m_animation) {
            warning("[%s] unable to load model anim '%s'", name.c_str(), m_model_anim.c_str());
            return false;
        }
    }

    m_look_index = index_of(m_look, &model_desc_u::find_look, *m_model.get());
    m_variant_index = index_of(m_variant, &model_desc_u::find_variant, *m_model.get());
    m_instances.clear();
    for (uint32_t i = 0; i < m_unique_instances; ++i) {
        owner_ptr_t<model_inst_u> instance;
        if (m_look_index >= 0 && m_variant_index >= 0)
            instance = m_model->create_inst(uint32_t(m_look_index), uint32_t(m_variant_index), !animated);
        if (!instance || !instance->is_alive() || !m_instances.request_capacity(m_instances.get_count() + 1)) {
            warning("[%s] unable to allocate instance", name.c_str());
            return false;
        }
        if (animated) {
            // Looping for ever at full weight from the start: no fade in, no stop frame.
            const int32_t channel = instance->play_animation(m_animation.get(), 0, MODEL_CHANNEL_FADE_IN, 0, 1.0f);
            if (channel < 0) {
                warning("[%s] unable to load model anim '%s'", name.c_str(), m_model_anim.c_str());
                return false;
            }
        }
        m_instances.append(std::move(instance));
    }

    v_change_extension(m_model_file, ".zmc");
    if (m_is_collidable) {
        m_collision.reset(model_coll_u_obtain(m_model_file.c_str()));
        if (!m_collision) warning("[game] Failed to load collision model for (%s)", m_model_file.c_str());
    }
    return true;
}

bool body_desc_u::get_model_box(aabox_t &out) const {
    if (m_instances.is_empty() || !m_instances[0]) return false;
    const model_geom_u *geometry = m_instances[0]->get_geom();
    if (!geometry) return false;
    out = geometry->get_bounding_box(-1);
    return true;
}

bool body_desc_u::init_unit() {
    if (m_queued) return true;
    base_ctrl_u *ctrl = get_current_ctrl();
    // Without a running scene nothing animates the instances; they keep their pose.
    if (ctrl && ctrl->add_list_object(this)) m_queued = true;
    return true;
}

void body_desc_u::leave_scene() {
    if (!m_queued) return;
    m_queued = false;
    if (base_ctrl_u *ctrl = get_current_ctrl()) ctrl->remove_list_object(this);
}

void body_desc_u::cleanup_unit() { leave_scene(); }

void body_desc_u::on_destroy() {
    leave_scene();
    m_instances.clear();
    m_collision.reset();
    m_animation.reset();
    m_model.reset();
}

void body_desc_u::update(float dt) {
    for (uint32_t i = 0; i < m_instances.get_count(); ++i) {
        model_inst_u *instance = m_instances[i].get();
        if (!instance) continue;
        instance->advance_animations(dt);
        instance->update_bones();
    }
}

std::unique_ptr<decal_mesh_t> body_desc_u::make_ground_shadow(landscape_u &, const placement_scale_t &) {
    return nullptr;
}

bool body_desc_u::test_segment(const vec3_t &p0, const vec3_t &p1, model_hit_t &hit) {
    if (m_instances.is_empty() || !m_instances[0]) return false;
    return m_instances[0]->intersect_segment(p0, p1, hit);
}

bool body_desc_u::build_instance_shapes(const placement_scale_t &placement, physics_scene_t &scene,
                                        array_dyn_t<physics_shape_t *> &out) {
    if (!m_collision || !m_collision->is_ready()) return false;
    const uint32_t before = out.get_count();
    if (!coll_model_to_physics_shapes_ex(m_collision->view(), 0, 0, 1.0f, scene, nullptr, placement, out)) {
        warning("[game] Failed to convert coll_model to physics shape for (%s)", m_model_file.c_str());
        while (out.get_count() > before) {
            delete out[out.get_count() - 1];
            out.remove(out.get_count() - 1);
        }
        return false;
    }
    for (uint32_t i = before; i < out.get_count(); ++i) {
        out[i]->set_material(SHAPE_MATERIAL);
        out[i]->set_collision_group(SHAPE_GROUP);
    }
    return true;
}

// ---- body_inst_u ----

body_desc_u *body_inst_u::get_desc() const {
    body_desc_u *desc = unit_cast<body_desc_u>(m_body_desc.get());
    return desc && desc->is_alive() ? desc : nullptr;
}

bool body_inst_u::_call_post_load() {
    if (!game_unit_base_u::_call_post_load()) return false;
    if (!get_desc()) {
        warning("[body_inst_u] no body_desc specified.");
        return false;
    }
    // A scale of 0 or less has no local space to test segments in and gives the
    // physics layer shapes without size.
    if (!finite(m_placement) || !(m_placement.scale > 0.0f)) {
        error("[game] A body placement at (%g, %g, %g) has scale %g: it must be a finite number above 0",
              double(m_placement.position.x), double(m_placement.position.y), double(m_placement.position.z),
              double(m_placement.scale));
        return false;
    }
    return true;
}

bool body_inst_u::init_unit() {
    aabox_t box;
    body_desc_u *desc = get_desc();
    if (desc && desc->get_model_box(box)) {
        box.transform(m_placement.compute_matrix());
        m_world_box = box;
    } else {
        m_world_box = aabox_t(m_placement.position, m_placement.position);
    }
    return true;
}

bool body_inst_u::create_shapes(physics_scene_t &scene) {
    delete_shapes();
    body_desc_u *desc = get_desc();
    if (!desc || !desc->build_instance_shapes(m_placement, scene, m_shapes)) return false;
    for (uint32_t i = 0; i < m_shapes.get_count(); ++i) m_shapes[i]->set_user_data(static_cast<unit_base_t *>(this));
    return !m_shapes.is_empty();
}

void body_inst_u::delete_shapes() { m_shapes.delete_all(); }

void body_inst_u::enable_shapes() {
    for (uint32_t i = 0; i < m_shapes.get_count(); ++i) m_shapes[i]->enable();
}

void body_inst_u::disable_shapes() {
    for (uint32_t i = 0; i < m_shapes.get_count(); ++i) m_shapes[i]->disable();
}

bool body_inst_u::test_segment_world(model_hit_t &hit, const vec3_t &p0, const vec3_t &p1) {
    body_desc_u *desc = get_desc();
    if (!desc) return false;
    const vec3_t local0 = m_placement.to_local_space(p0);
    const vec3_t local1 = m_placement.to_local_space(p1);
    if (!desc->test_segment(local0, local1, hit)) return false;
    hit.point = m_placement.from_local_space(hit.point);
    const vec3_t normal = m_placement.rotation.rotate(vec3_t{hit.plane.x, hit.plane.y, hit.plane.z});
    hit.plane = {normal.x, normal.y, normal.z, -dot(normal, hit.point)};
    hit.distance = length(hit.point - p0);
    return true;
}

void body_inst_u::on_destroy() { delete_shapes(); }

}  // namespace quarn

#include "game/world/body_actor.h"

#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/visuals/effects/coll_shapes.h"
#include "game/visuals/physics/physics_body.h"
#include "game/visuals/physics/physics_scene.h"
#include "game/visuals/physics/physics_shape.h"
#include "game/world/map_scene.h"
#include "qrncore/strings/paths.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

constexpr unit_attr_t<UNIT_ATTR_REF> actor_desc_domain{{&body_actor_desc_u::unit_descriptor, 0}};


// Each component capped at limit from above; the capped vector replaces v only when
// its squared length plus 0.1 is below v's.
bool cap(vec3_t &v, float limit) {
    const vec3_t capped{v.x < limit ? v.x : limit, v.y < limit ? v.y : limit, v.z < limit ? v.z : limit};
    if (!(length_squared(capped) + 0.1f < length_squared(v))) return false;
    v = capped;
    return true;
}

}  // namespace

QRN_UNIT_DEFINE(body_actor_desc_u, "body_actor_desc", QRN_ATTR(m_model_file, UNIT_ATTR_STRING, "model_file"),
                QRN_ATTR(m_look, UNIT_ATTR_STRING, "look"), QRN_ATTR(m_variant, UNIT_ATTR_STRING, "variant"));

QRN_UNIT_DEFINE(body_actor_inst_u, "body_actor_inst",
                QRN_ATTR(m_body_actor_desc, UNIT_ATTR_REF, "body_actor_desc", &actor_desc_domain),
                QRN_ATTR(m_placement, UNIT_ATTR_PLACEMENT_SCALE, "placement"));

// ---- body_actor_desc_u ----

bool body_actor_desc_u::_call_post_load() {
    if (!game_unit_base_u::_call_post_load()) return false;
    const mstring_dyn_t name = name_text();
    v_change_extension(m_model_file, ".zmd");
    m_model.reset(model_desc_u_obtain(m_model_file.c_str()));
    if (!m_model) {
        warning("[%s] unable to load model '%s'", name.c_str(), m_model_file.c_str());
        return false;
    }
    m_look_index = map_model_look(*m_model.get(), m_look);
    m_variant_index = map_model_variant(*m_model.get(), m_variant);
    if (m_look_index < 0 || m_variant_index < 0) {
        warning("[%s] unable to allocate instance", name.c_str());
        return false;
    }
    v_change_extension(m_model_file, ".zmc");
    m_collision.reset(model_coll_u_obtain(m_model_file.c_str()));
    if (!m_collision) warning("[game] Failed to load collision model for (%s)", m_model_file.c_str());
    return true;
}

void body_actor_desc_u::on_destroy() {
    m_collision.reset();
    m_model.reset();
}

// ---- body_actor_inst_u ----

body_actor_desc_u *body_actor_inst_u::get_desc() const {
    body_actor_desc_u *desc = unit_cast<body_actor_desc_u>(m_body_actor_desc.get());
    return desc && desc->is_alive() ? desc : nullptr;
}

bool body_actor_inst_u::_call_post_load() {
    if (!game_unit_base_u::_call_post_load()) return false;
    if (!get_desc()) {
        warning("[body_actor_inst_u] no body_actor_desc specified.");
        return false;
    }
    return true;
}

bool body_actor_inst_u::init_unit() {
    world_link_t *world = map_current_world();
    physics_scene_t *scene = world ? world->get_physics_scene() : nullptr;
    if (!scene) {
        error("[game] The body actor '%s' finds no world to move in", name_text().c_str());
        return false;
    }
    return init_in_scene(*scene);
}

bool body_actor_inst_u::init_in_scene(physics_scene_t &scene) {
    body_actor_desc_u *desc = get_desc();
    model_desc_u *model = desc ? desc->get_model() : nullptr;
    if (model) {
        m_object = model->create_object(uint32_t(desc->get_look_index()), uint32_t(desc->get_variant_index()),
                                        nullptr);
    }
    if (!m_object) {
        error("[%s] cannot allocate object of %s.", "body_actor_inst",
              desc ? desc->name_text().c_str() : "(no description)");
        return false;
    }
    const r_parameter_array_t *set = map_packet_set(1);
    m_object->make_own_packets(set ? *set : r_parameter_array_t());

    release_physics();
    m_body = scene.create_body();
    if (!m_body) {
        error("[game] The body actor '%s' gets no physics body", name_text().c_str());
        return false;
    }
    m_body->set_world_pose(placement_t(m_placement.position, m_placement.rotation));
    float mass = 0.0f;
    model_coll_u *collision = desc->get_collision();
    if (collision && collision->is_ready()) {
        coll_model_to_physics_shapes(collision->view(), 0, 0, 1.0f, scene, m_body, m_shapes);
        for (uint32_t i = 0; i < m_shapes.get_count(); ++i) {
            m_shapes[i]->set_material(SHAPE_MATERIAL);
            m_shapes[i]->set_collision_group(SHAPE_GROUP);
            m_shapes[i]->set_user_data(static_cast<unit_base_t *>(this));
            mass += m_shapes[i]->get_mass();
        }
    }
    if (!m_shapes.is_empty() && mass > 0.0f) {
        const physics_shape_t *first = m_shapes[0];
        const float *s = first->get_sizes();
        const float k = scene.get_scale();
        m_body->set_mass_by_shape(mass, first->get_type(), vec3_t{s[0] * k, s[1] * k, s[2] * k});
    }
    m_body->set_step_listener(this);
    // Bodies start asleep; a loose thing placed on the map settles from where it is.
    m_body->wake();

    const model_geom_u *geometry = m_object->get_geom();
    const sphere_t sphere = geometry ? geometry->get_bounding_sphere(-1) : sphere_t(vec3_t{}, 0.0f);
    m_radius = m_placement.scale * (sphere.radius + length(sphere.center));
    m_object->set_scale(m_placement.scale);
    m_object->set_placement(placement_t(m_placement.position, m_placement.rotation));

    if (!m_queued) {
        base_ctrl_u *ctrl = get_current_ctrl();
        if (ctrl && ctrl->add_list_object(this)) m_queued = true;
    }
    return true;
}

void body_actor_inst_u::release_physics() {
    m_shapes.delete_all();
    delete m_body;
    m_body = nullptr;
}

void body_actor_inst_u::cleanup_unit() {
    if (m_queued) {
        m_queued = false;
        if (base_ctrl_u *ctrl = get_current_ctrl()) ctrl->remove_list_object(this);
    }
    release_physics();
}

void body_actor_inst_u::on_destroy() {
    cleanup_unit();
    m_object.reset();
}

void body_actor_inst_u::update(float) {
    if (!m_body) return;
    const physics_pose_t &pose = m_body->get_world_interpolated_pose();
    m_placement.position = pose.position;
    m_placement.rotation = pose.rotation;
    m_placement.scale = 1.0f;
    if (m_object) {
        m_object->set_scale(1.0f);
        m_object->set_placement(pose);
    }
}

void body_actor_inst_u::draw() {
    if (m_object && map_sphere_in_view(sphere_t(m_placement.position, m_radius))) m_object->draw();
}

void body_actor_inst_u::on_step(physics_body_t *body) {
    vec3_t linear = body->get_linear_velocity();
    if (cap(linear, MAX_LINEAR_SPEED)) body->set_linear_velocity(linear);
    vec3_t angular = body->get_angular_velocity();
    if (cap(angular, MAX_ANGULAR_SPEED)) body->set_angular_velocity(angular);
}

}  // namespace quarn

#include "game/ai/ragdoll.h"

#include "game/visuals/models/model_object.h"
#include "game/visuals/physics/physics_body.h"
#include "game/visuals/physics/physics_joint.h"
#include "game/visuals/physics/physics_scene.h"
#include "game/visuals/physics/physics_shape.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

constexpr unit_attr_t<UNIT_ATTR_REF> part_domain{{&ragdoll_part_u::unit_descriptor, 0}};
constexpr unit_attr_t<UNIT_ATTR_REF> root_domain{{&ragdoll_joint_root_u::unit_descriptor, 0}};
constexpr unit_attr_t<UNIT_ATTR_REF_ARRAY> parts_domain{{&ragdoll_part_u::unit_descriptor, 0}};
constexpr unit_attr_t<UNIT_ATTR_REF_ARRAY> joints_domain{{&ragdoll_joint_u::unit_descriptor, 0}};

}  // namespace

QRN_UNIT_DEFINE_ABSTRACT(ragdoll_part_u, "ragdoll_part",
                         QRN_ATTR(end_pin_bone_name, UNIT_ATTR_TOKEN, "end_pin_bone_name"),
                         QRN_ATTR(mass, UNIT_ATTR_FLOAT, "mass"),
                         QRN_ATTR(actor_placement, UNIT_ATTR_PLACEMENT, "actor_placement"));
QRN_UNIT_DEFINE(ragdoll_part_capsule_u, "ragdoll_part_capsule", QRN_ATTR(radius, UNIT_ATTR_FLOAT, "radius"),
                QRN_ATTR(length, UNIT_ATTR_FLOAT, "length"));
QRN_UNIT_DEFINE(ragdoll_part_sphere_u, "ragdoll_part_sphere", QRN_ATTR(radius, UNIT_ATTR_FLOAT, "radius"));
QRN_UNIT_DEFINE(ragdoll_part_box_u, "ragdoll_part_box", QRN_ATTR(dimensions, UNIT_ATTR_VEC3, "dimensions"));
QRN_UNIT_DEFINE_ABSTRACT(ragdoll_joint_u, "ragdoll_joint",
                         QRN_ATTR(parent_part, UNIT_ATTR_REF, "parent_part", &part_domain),
                         QRN_ATTR(child_part, UNIT_ATTR_REF, "child_part", &part_domain),
                         QRN_ATTR(model_bone_name, UNIT_ATTR_TOKEN, "model_bone_name"),
                         QRN_ATTR(joint_placement, UNIT_ATTR_PLACEMENT, "joint_placement"),
                         QRN_ATTR(mirrored, UNIT_ATTR_BOOL, "mirrored"));
QRN_UNIT_DEFINE(ragdoll_joint_universal_u, "ragdoll_joint_universal", QRN_ATTR(axis0, UNIT_ATTR_INT32, "axis0"),
                QRN_ATTR(limited0, UNIT_ATTR_BOOL, "limited0"), QRN_ATTR(high_limit0, UNIT_ATTR_FLOAT, "high_limit0"),
                QRN_ATTR(low_limit0, UNIT_ATTR_FLOAT, "low_limit0"), QRN_ATTR(axis1, UNIT_ATTR_INT32, "axis1"),
                QRN_ATTR(limited1, UNIT_ATTR_BOOL, "limited1"), QRN_ATTR(high_limit1, UNIT_ATTR_FLOAT, "high_limit1"),
                QRN_ATTR(low_limit1, UNIT_ATTR_FLOAT, "low_limit1"));
QRN_UNIT_DEFINE(ragdoll_joint_hinge_u, "ragdoll_joint_hinge", QRN_ATTR(axis, UNIT_ATTR_INT32, "axis"),
                QRN_ATTR(limited, UNIT_ATTR_BOOL, "limited"), QRN_ATTR(high_limit, UNIT_ATTR_FLOAT, "high_limit"),
                QRN_ATTR(low_limit, UNIT_ATTR_FLOAT, "low_limit"));
QRN_UNIT_DEFINE(ragdoll_joint_root_u, "ragdoll_joint_root");
QRN_UNIT_DEFINE(ragdoll_u, "ragdoll", QRN_ATTR(parts, UNIT_ATTR_REF_ARRAY, "parts", &parts_domain),
                QRN_ATTR(joints, UNIT_ATTR_REF_ARRAY, "joints", &joints_domain),
                QRN_ATTR(root_joint, UNIT_ATTR_REF, "root_joint", &root_domain),
                QRN_ATTR(dummy_one_frame_anim, UNIT_ATTR_STRING, "dummy_one_frame_anim"));

bool ragdoll_part_u::check_sizes() const { return mass > 0.0f; }
bool ragdoll_part_u::make_shape(physics_shape_t *, physics_body_t *, float) const { return false; }
bool ragdoll_part_capsule_u::check_sizes() const { return ragdoll_part_u::check_sizes() && radius > 0.0f && length > 0.0f; }
bool ragdoll_part_capsule_u::make_shape(physics_shape_t *shape, physics_body_t *body, float factor) const {
    return shape->create_capsule(body, length * factor, radius * factor, nullptr);
}
bool ragdoll_part_sphere_u::check_sizes() const { return ragdoll_part_u::check_sizes() && radius > 0.0f; }
bool ragdoll_part_sphere_u::make_shape(physics_shape_t *shape, physics_body_t *body, float factor) const {
    return shape->create_sphere(body, radius * factor, nullptr);
}
bool ragdoll_part_box_u::check_sizes() const {
    return ragdoll_part_u::check_sizes() && dimensions.x > 0.0f && dimensions.y > 0.0f && dimensions.z > 0.0f;
}
bool ragdoll_part_box_u::make_shape(physics_shape_t *shape, physics_body_t *body, float factor) const {
    return shape->create_box(body, dimensions * factor, nullptr);
}

ragdoll_part_u *ragdoll_joint_u::get_parent() const { return unit_cast<ragdoll_part_u>(parent_part.get()); }
ragdoll_part_u *ragdoll_joint_u::get_child() const { return unit_cast<ragdoll_part_u>(child_part.get()); }
void ragdoll_joint_u::compute_limits(float, float, float, float &low, float &high) { low = high = 0.0f; }
bool ragdoll_joint_universal_u::check_axes() const { return axis0 != axis1; }
bool ragdoll_joint_hinge_u::check_axes() const { return true; }

void ragdoll_u::on_destroy() { release(); }
bool ragdoll_u::fit(model_object_u *, const placement_t &, float, physics_scene_t *) { return false; }
void ragdoll_u::release() {}
void ragdoll_u::update(float) {}
void ragdoll_u::apply_hit(const vec3_t &, const vec3_t &) {}
void ragdoll_u::add_velocity(const vec3_t &, const vec3_t &) {}
void ragdoll_u::activate() {}
void ragdoll_u::deactivate() {}
bool ragdoll_u::get_root_placement(placement_t &) const { return false; }
void ragdoll_u::set_contact_handler(physics_contact_listener_t *) {}
ragdoll_part_u *ragdoll_u::get_part(uint32_t i) const {
    return i < parts.get_count() ? unit_cast<ragdoll_part_u>(parts[i].get()) : nullptr;
}
ragdoll_joint_u *ragdoll_u::get_joint(uint32_t i) const {
    return i < joints.get_count() ? unit_cast<ragdoll_joint_u>(joints[i].get()) : nullptr;
}
ragdoll_joint_u *ragdoll_u::get_root_joint() const { return unit_cast<ragdoll_joint_u>(root_joint.get()); }
bool ragdoll_u::_call_post_load() { return unit_t::_call_post_load(); }
bool ragdoll_u::bind(model_object_u *) { return false; }
bool ragdoll_u::bind_joint(ragdoll_joint_u *, const placement_t &, model_object_u *) { return false; }
bool ragdoll_u::create_bodies(physics_scene_t *) { return false; }
bool ragdoll_u::create_joints(physics_scene_t *) { return false; }
void ragdoll_u::place_from_pose(model_object_u *) {}
bool ragdoll_u::start_animations(model_object_u *) { return false; }
void ragdoll_u::stop_animations() {}

}  // namespace quarn

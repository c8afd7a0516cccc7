#include "game/ai/animals/ragdoll.h"

#include "game/visuals/models/model_object.h"
#include "game/visuals/physics/physics_body.h"
#include "game/visuals/physics/physics_joint.h"
#include "game/visuals/physics/physics_scene.h"
#include "game/visuals/physics/physics_shape.h"
#include "game/visuals/models/model_geom.h"
#include "game/visuals/models/model_lib.h"
#include "qrncore/strings/name_token.h"
#include "qrncore/system/messages.h"

#include <algorithm>
#include <cmath>

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


namespace {

constexpr float DEG_TO_RAD = 0.017453292f;
// A joint lies on its bone when it is within 0.01 of the bone's rest position.
constexpr float DISLOCATION2 = 0.0001f;
// The pose change over this time gives the bodies their first velocity.
constexpr float VELOCITY_PROBE = 0.01f;
constexpr int RAGDOLL_MATERIAL = 1;
constexpr int RAGDOLL_DRAW_MODE = 1;

mstring_dyn_t bone_text(uint64_t token) {
    mstring_dyn_t text;
    if (!token_to_string(text, token) || text.is_empty()) text = "UNKNOWN";
    return text;
}

uint64_t auto_detect_token() {
    static uint64_t token = 0;
    if (!token) string_to_token(token, string(ragdoll_part_u::AUTO_DETECT));
    return token;
}

vec3_t basis(int32_t axis) {
    return axis == 0 ? vec3_t{1.0f, 0.0f, 0.0f} : axis == 1 ? vec3_t{0.0f, 1.0f, 0.0f} : vec3_t{0.0f, 0.0f, 1.0f};
}

// The angle of rotation d about the unit axis (its twist), in radians.
float twist_angle(const quat_t &d, const vec3_t &axis) {
    return 2.0f * std::atan2(d.x * axis.x + d.y * axis.y + d.z * axis.z, d.w);
}

bool positive(float v) { return std::isfinite(v) && v > 0.0f; }

}  // namespace

// ---- parts ----

bool ragdoll_part_u::check_sizes() const {
    if (positive(mass)) return true;
    error("[ragdoll] The part '%s' needs a mass above 0", name_text().c_str());
    return false;
}

bool ragdoll_part_u::make_shape(physics_shape_t *, physics_body_t *, float) const { return false; }

bool ragdoll_part_capsule_u::check_sizes() const {
    if (!ragdoll_part_u::check_sizes()) return false;
    if (positive(radius) && positive(length)) return true;
    error("[ragdoll] The capsule part '%s' needs a radius and a length above 0", name_text().c_str());
    return false;
}

bool ragdoll_part_capsule_u::make_shape(physics_shape_t *shape, physics_body_t *body, float factor) const {
    return body->set_mass_capsule(mass, length * factor, radius * factor) &&
           shape->create_capsule(body, length * factor, radius * factor, nullptr);
}

bool ragdoll_part_sphere_u::check_sizes() const {
    if (!ragdoll_part_u::check_sizes()) return false;
    if (positive(radius)) return true;
    error("[ragdoll] The sphere part '%s' needs a radius above 0", name_text().c_str());
    return false;
}

bool ragdoll_part_sphere_u::make_shape(physics_shape_t *shape, physics_body_t *body, float factor) const {
    return body->set_mass_sphere(mass, radius * factor) && shape->create_sphere(body, radius * factor, nullptr);
}

bool ragdoll_part_box_u::check_sizes() const {
    if (!ragdoll_part_u::check_sizes()) return false;
    if (positive(dimensions.x) && positive(dimensions.y) && positive(dimensions.z)) return true;
    error("[ragdoll] The box part '%s' needs dimensions above 0", name_text().c_str());
    return false;
}

bool ragdoll_part_box_u::make_shape(physics_shape_t *shape, physics_body_t *body, float factor) const {
    return body->set_mass_box(mass, dimensions * factor) && shape->create_box(body, dimensions * factor, nullptr);
}

// ---- joints ----

ragdoll_part_u *ragdoll_joint_u::get_parent() const { return unit_cast<ragdoll_part_u>(parent_part.get()); }
ragdoll_part_u *ragdoll_joint_u::get_child() const { return unit_cast<ragdoll_part_u>(child_part.get()); }

void ragdoll_joint_u::compute_limits(float low_degrees, float high_degrees, float angle, float &low, float &high) {
    low = std::clamp(low_degrees * DEG_TO_RAD + angle, -LIMIT_CAP, 0.0f);
    high = std::clamp(high_degrees * DEG_TO_RAD + angle, 0.0f, LIMIT_CAP);
}

bool ragdoll_joint_u::get_fitted_limits(uint32_t axis, float &low, float &high) const {
    if (axis >= MAX_AXES || !m_joint || !m_limits[axis].set) return false;
    low = m_limits[axis].low;
    high = m_limits[axis].high;
    return true;
}

static bool axis_in_range(const unit_t &joint, int32_t axis) {
    if (axis >= 0 && axis <= 2) return true;
    error("[ragdoll] The joint '%s' names axis %d: axes are 0 (x), 1 (y) and 2 (z)", joint.name_text().c_str(),
          int(axis));
    return false;
}

bool ragdoll_joint_universal_u::check_axes() const {
    if (!axis_in_range(*this, axis0) || !axis_in_range(*this, axis1)) return false;
    if (axis0 != axis1) return true;
    error("Universal joint axes must have two DIFFERENT axes.");
    return false;
}

bool ragdoll_joint_hinge_u::check_axes() const { return axis_in_range(*this, axis); }

// ---- ragdoll: loading ----

ragdoll_part_u *ragdoll_u::get_part(uint32_t i) const {
    return i < parts.get_count() ? unit_cast<ragdoll_part_u>(parts[i].get()) : nullptr;
}
ragdoll_joint_u *ragdoll_u::get_joint(uint32_t i) const {
    return i < joints.get_count() ? unit_cast<ragdoll_joint_u>(joints[i].get()) : nullptr;
}
ragdoll_joint_u *ragdoll_u::get_root_joint() const { return unit_cast<ragdoll_joint_root_u>(root_joint.get()); }

bool ragdoll_u::_call_post_load() {
    if (!unit_t::_call_post_load()) return false;
    m_all_joints.clear();
    m_total_mass = 0.0f;
    if (parts.is_empty()) {
        error("parts not found");
        return false;
    }
    if (joints.is_empty()) {
        error("joints not found");
        return false;
    }
    ragdoll_joint_u *root = get_root_joint();
    if (!root) {
        error("root_joint not found");
        return false;
    }
    for (uint32_t i = 0; i < parts.get_count(); ++i) {
        ragdoll_part_u *part = get_part(i);
        if (!part) {
            error("[ragdoll] Part %u of the ragdoll is missing", i);
            return false;
        }
        if (!part->check_sizes()) return false;
        part->m_children.clear();
        part->m_parent_joint = nullptr;
        m_total_mass += part->mass;
    }
    for (uint32_t i = 0; i < joints.get_count(); ++i) {
        ragdoll_joint_u *joint = get_joint(i);
        if (!joint) {
            error("[ragdoll] Joint %u of the ragdoll is missing", i);
            return false;
        }
        if (joint != root) m_all_joints.append(joint);
    }
    m_all_joints.insert(0, root);
    auto listed = [this](const ragdoll_part_u *part) {
        for (uint32_t i = 0; i < parts.get_count(); ++i)
            if (parts[i].get() == part) return true;
        return false;
    };
    for (ragdoll_joint_u *joint : m_all_joints) {
        ragdoll_part_u *child = joint->get_child();
        if (!child) {
            error("missing child_part link");
            return false;
        }
        ragdoll_part_u *parent = joint->get_parent();
        const bool is_root = joint == root;
        if (!is_root && !parent) {
            error("missing parent_part link");
            return false;
        }
        if (!joint->check_axes()) return false;
        if (!listed(child) || (!is_root && !listed(parent))) {
            error("[ragdoll] The joint '%s' links a part that is not one of the ragdoll's parts",
                  joint->name_text().c_str());
            return false;
        }
        // A part bound twice, or a loop of parts, would be bound without end.
        if (child->m_parent_joint) {
            error("[ragdoll] The part '%s' is the child of two joints", child->name_text().c_str());
            return false;
        }
        child->m_parent_joint = joint;
        if (!is_root) parent->m_children.append(joint);
    }
    // Every part must hang from the root joint: what does not is a loop or a stray.
    uint32_t reached = 0;
    array_dyn_t<ragdoll_part_u *> open;
    open.append(root->get_child());
    while (!open.is_empty()) {
        ragdoll_part_u *part = open[open.get_count() - 1];
        open.remove(open.get_count() - 1);
        if (++reached > parts.get_count()) break;
        for (ragdoll_joint_u *joint : part->m_children) open.append(joint->get_child());
    }
    if (reached != parts.get_count()) {
        error("[ragdoll] Not every part of the ragdoll hangs from its root_joint (a loop of joints or a loose part)");
        return false;
    }
    return true;
}

// ---- ragdoll: placements ----

placement_t ragdoll_u::to_world(const placement_t &m) const {
    return placement_scale_t(m_placement.position, m_scale, m_placement.rotation).from_local_space(m);
}

placement_t ragdoll_u::to_model(const placement_t &w) const {
    return placement_scale_t(m_placement.position, m_scale, m_placement.rotation).to_local_space(w);
}

bool ragdoll_u::bone_pose(uint32_t bone, placement_t &out) const {
    model_object_u *model = unit_cast<model_object_u>(m_model.get());
    if (!model || !model->is_alive() || bone >= model->get_bone_count()) return false;
    mat4_t m;
    if (!model->get_bone_matrix(bone, &m)) return false;
    out = placement_t::from_matrix(m);
    return true;
}

// The part where the model's current pose puts it (model space): it follows the bone
// of its parent joint.
placement_t ragdoll_u::part_pose(const ragdoll_part_u *part) const {
    placement_t bone;
    if (part->m_bone < 0 || !bone_pose(uint32_t(part->m_bone), bone)) return part->actor_placement;
    return bone.from_local_space(part->m_offset);
}

// ---- ragdoll: fitting ----

bool ragdoll_u::bind_joint(ragdoll_joint_u *joint, const placement_t &parent_absolute, model_object_u *model) {
    const int32_t bone = model->find_bone(joint->model_bone_name);
    if (bone < 0) {
        error("Could not find bone named '%s'", bone_text(joint->model_bone_name).c_str());
        return false;
    }
    const vec3_t d = joint->joint_placement.position - m_rest[uint32_t(bone)].position;
    if (dot(d, d) > DISLOCATION2) {
        error("Dislocated joint on bone %s", bone_text(joint->model_bone_name).c_str());
        return false;
    }
    joint->m_bone = bone;
    for (uint32_t i = 0; i < m_all_joints.get_count(); ++i)
        if (m_all_joints[i] == joint) m_bone_joint[uint32_t(bone)] = int32_t(i);
    ragdoll_part_u *child = joint->get_child();
    child->m_bone = bone;
    child->m_offset = m_rest[uint32_t(bone)].to_local_space(child->actor_placement);
    for (ragdoll_joint_u *next : child->m_children)
        if (!bind_joint(next, child->actor_placement, model)) return false;
    if (child->end_pin_bone_name == auto_detect_token()) {
        if (child->m_children.get_count() != 1) {
            error("The end pin name cannot be auto-detected");
            return false;
        }
        child->m_end_pin = child->m_children[0]->m_bone;
    } else {
        child->m_end_pin = model->find_bone(child->end_pin_bone_name);
        if (child->m_end_pin < 0) {
            error("Could not find bone named '%s'", bone_text(child->end_pin_bone_name).c_str());
            return false;
        }
    }
    if (child->m_end_pin == bone) {
        error("Invalid end pin on %s joint child", bone_text(joint->model_bone_name).c_str());
        return false;
    }
    joint->m_to_parent = parent_absolute.to_local_space(joint->joint_placement);
    joint->m_to_child = child->actor_placement.to_local_space(joint->joint_placement);
    return true;
}

bool ragdoll_u::bind(model_object_u *model) {
    model_geom_u *geom = model->get_geom();
    const uint32_t count = model->get_bone_count();
    const model_bone_t *bones = geom ? geom->get_bones() : nullptr;
    if (!bones || count == 0) {
        error("[ragdoll] The model has no skeleton to fit a ragdoll to");
        return false;
    }
    m_rest.clear();
    m_bone_joint.clear();
    for (uint32_t b = 0; b < count; ++b) {
        const placement_t local(bones[b].translation, bones[b].rotation);
        m_rest.append(bones[b].parent < b ? m_rest[bones[b].parent].from_local_space(local) : local);
        m_bone_joint.append(-1);
    }
    ragdoll_joint_u *root = get_root_joint();
    const int32_t bone = model->find_bone(root->model_bone_name);
    if (bone < 0) {
        error("Could not find bone named '%s'", bone_text(root->model_bone_name).c_str());
        return false;
    }
    if (bones[bone].parent != 255) {
        error("The root_joint bone is not a root one!");
        return false;
    }
    const vec3_t d = root->joint_placement.position - m_rest[uint32_t(bone)].position;
    if (dot(d, d) > vec_traits_t<float>::EPSILON) {
        error("The root_joint is not aligned to the root bone!");
        return false;
    }
    return bind_joint(root, placement_t(), model);
}

bool ragdoll_u::create_bodies(physics_scene_t *scene) {
    const float factor = m_scale * scene->get_inverse_scale();
    for (uint32_t i = 0; i < parts.get_count(); ++i) {
        ragdoll_part_u *part = get_part(i);
        physics_body_t *body = scene->create_body();
        if (!body) return false;
        part->m_body = body;
        const placement_t world = to_world(part_pose(part));
        physics_shape_t *shape = scene->create_shape();
        if (!shape) return false;
        part->m_shape = shape;
        if (!part->make_shape(shape, body, factor)) {
            error("[ragdoll] The body of part '%s' could not be made", part->name_text().c_str());
            return false;
        }
        shape->set_mass(part->mass);
        shape->set_collision_group(RAGDOLL_COLLISION_GROUP);
        shape->set_material(RAGDOLL_MATERIAL);
        shape->set_draw_mode(RAGDOLL_DRAW_MODE);
        shape->set_user_data(this);
        if (m_handler) shape->set_contact_listener(m_handler);
        if (!body->set_world_pose({world.position, world.rotation})) return false;
    }
    return true;
}

bool ragdoll_u::create_joints(physics_scene_t *scene) {
    ragdoll_joint_u *root = get_root_joint();
    for (ragdoll_joint_u *joint : m_all_joints) {
        if (joint == root) continue;
        ragdoll_part_u *parent = joint->get_parent();
        ragdoll_part_u *child = joint->get_child();
        const placement_t parent_now = part_pose(parent);
        const placement_t child_now = part_pose(child);
        // Where the pose puts the joint: it turns with its bone, as the child does.
        const placement_t at = to_world(child_now.from_local_space(joint->m_to_child));
        const vec3_t anchor = scene->world_to_local(at.position);
        vec3_t axes[ragdoll_joint_u::MAX_AXES];
        for (uint32_t a = 0; a < joint->get_axis_count(); ++a) axes[a] = at.rotation.rotate(basis(joint->get_axis(a)));
        physics_joint_t *pj = scene->create_joint();
        if (!pj) return false;
        joint->m_joint = pj;
        const bool made = joint->get_axis_count() == 2
                              ? pj->create_universal(parent->m_body, child->m_body, anchor, axes[0], axes[1])
                              : pj->create_hinge(parent->m_body, child->m_body, anchor, axes[0]);
        if (!made) {
            error("[ragdoll] The physics joint on bone %s could not be made",
                  bone_text(joint->model_bone_name).c_str());
            return false;
        }
        // How far the pose has turned the child from its rest, seen from the parent.
        const quat_t rest_rel = parent->actor_placement.rotation.get_conjugate() * child->actor_placement.rotation;
        const quat_t now_rel = parent_now.rotation.get_conjugate() * child_now.rotation;
        const quat_t turn = now_rel * rest_rel.get_conjugate();
        const quat_t frame = parent->actor_placement.rotation.get_conjugate() * joint->joint_placement.rotation;
        for (uint32_t a = 0; a < joint->get_axis_count(); ++a) {
            if (joint->is_limited(a)) {
                float low = 0.0f, high = 0.0f;
                ragdoll_joint_u::compute_limits(joint->get_low_limit(a), joint->get_high_limit(a),
                               twist_angle(turn, frame.rotate(basis(joint->get_axis(a)))), low, high);
                pj->set_limits(int(a), high, low);
                joint->m_limits[a] = {true, low, high};
            }
            physics_joint_t *motor = scene->create_joint();
            if (!motor) return false;
            joint->m_motors[a] = motor;
            if (!motor->create_amotor(parent->m_body, child->m_body, axes[a])) return false;
        }
    }
    return true;
}

void ragdoll_u::place_from_pose(model_object_u *model) {
    const uint32_t n = parts.get_count();
    array_dyn_t<vec3_t> before;
    for (uint32_t i = 0; i < n; ++i) before.append(to_world(part_pose(get_part(i))).position);
    if (model->get_active_count() == 0) return;
    model->advance_channel(model->get_active(0), VELOCITY_PROBE);
    for (uint32_t i = 0; i < n; ++i) {
        ragdoll_part_u *part = get_part(i);
        const vec3_t after = to_world(part_pose(part)).position;
        part->m_body->set_world_linear_velocity((after - before[i]) * (1.0f / VELOCITY_PROBE));
    }
}

bool ragdoll_u::start_animations(model_object_u *model) {
    model_anim_u *dummy = dummy_one_frame_anim.is_empty() ? nullptr : model_anim_u_obtain(dummy_one_frame_anim.c_str());
    const float length = dummy ? dummy->get_length() : 0.0f;
    if (dummy) model_release(dummy);
    if (!dummy) {
        error("Failed to load procedural animation '%s'", dummy_one_frame_anim.c_str());
        return false;
    }
    const uint32_t count = model->get_bone_count();
    uint8_t map[256];
    for (uint32_t b = 0; b < count && b < 256; ++b) map[b] = uint8_t(b);
    const uint8_t root_map[1] = {uint8_t(get_root_joint()->m_bone)};
    const int32_t priorities[2] = {ROOT_ANIM_PRIORITY, POSE_ANIM_PRIORITY};
    for (int i = 0; i < 2; ++i) {
        owner_ptr_ret_t<model_anim_procedural_u> anim = model_anim_procedural_u::create(get_system());
        if (!anim || !anim->set_tracks(i == 0 ? 1 : count, i == 0 ? root_map : map)) return false;
        if (length > 0.0f) anim->set_length(length);
        m_anims[i] = std::move(anim);
        // Held at full weight and advanced only by the ragdoll.
        m_channels[i] = model->play_animation(unit_cast<model_anim_u>(m_anims[i].get()),
                                              MODEL_CHANNEL_FROZEN | MODEL_CHANNEL_OWNER_ADVANCES, 0x23,
                                              priorities[i], 1.0f);
        if (m_channels[i] < 0) return false;
    }
    model->set_channel_fade_out_rate(uint32_t(m_channels[1]), 10.0f);
    return true;
}

void ragdoll_u::stop_animations() {
    model_object_u *model = unit_cast<model_object_u>(m_model.get());
    for (int i = 0; i < 2; ++i) {
        if (m_channels[i] >= 0 && model && model->is_alive()) model->free_channel(uint32_t(m_channels[i]));
        m_channels[i] = -1;
    }
    for (owner_ptr_t<unit_base_t> &anim : m_anims) anim.reset();
}

void ragdoll_u::fail_fit() {
    release();
}

bool ragdoll_u::fit(model_object_u *model, const placement_t &placement, float scale, physics_scene_t *scene) {
    release();
    if (!model || !model->is_loaded() || !scene || !(scale > 0.0f) || m_all_joints.is_empty()) {
        error("[ragdoll] A ragdoll needs a loaded model, a physics scene and its load checks passed to be fitted");
        return false;
    }
    m_model = model;
    m_placement = placement;
    m_scale = scale;
    m_scene = scene;
    if (!bind(model)) {
        fail_fit();
        return false;
    }
    for (ragdoll_joint_u *joint : m_all_joints) {
        placement_t pose;
        joint->m_rest = bone_pose(uint32_t(joint->m_bone), pose) ? pose.rotation : m_rest[uint32_t(joint->m_bone)].rotation;
    }
    ragdoll_part_u *root_part = get_root_joint()->get_child();
    m_root_offset = root_part->m_offset;
    if (!create_bodies(scene) || !create_joints(scene)) {
        fail_fit();
        return false;
    }
    place_from_pose(model);
    if (!start_animations(model)) {
        fail_fit();
        return false;
    }
    // Asleep until activated (activate wakes them with the pose's velocities).
    for (uint32_t i = 0; i < parts.get_count(); ++i) get_part(i)->m_body->set_disabled(true);
    m_fitted = true;
    m_active = false;
    return true;
}

void ragdoll_u::release() {
    stop_animations();
    for (ragdoll_joint_u *joint : m_all_joints) {
        for (physics_joint_t *&motor : joint->m_motors) {
            delete motor;
            motor = nullptr;
        }
        delete joint->m_joint;
        joint->m_joint = nullptr;
        for (auto &limits : joint->m_limits) limits = {};
    }
    for (uint32_t i = 0; i < parts.get_count(); ++i) {
        ragdoll_part_u *part = get_part(i);
        if (!part) continue;
        delete part->m_shape;
        part->m_shape = nullptr;
        delete part->m_body;
        part->m_body = nullptr;
    }
    m_model.reset();
    m_scene = nullptr;
    m_fitted = false;
    m_active = false;
}

void ragdoll_u::on_destroy() { release(); }

// ---- ragdoll: running ----

void ragdoll_u::update(float dt) {
    model_object_u *model = unit_cast<model_object_u>(m_model.get());
    if (!m_fitted || !model || !model->is_alive()) return;
    const model_bone_t *bones = model->get_geom()->get_bones();
    const uint32_t count = model->get_bone_count();
    model_anim_procedural_u *root_anim = unit_cast<model_anim_procedural_u>(m_anims[0].get());
    model_anim_procedural_u *pose_anim = unit_cast<model_anim_procedural_u>(m_anims[1].get());
    if (!root_anim || !pose_anim) return;
    quat_t model_rotation[256];
    for (uint32_t b = 0; b < count && b < 256; ++b) {
        model_key_t key{quat_t(), bones[b].rotation, bones[b].translation, bones[b].scale};
        key.stretch = bones[b].stretch;
        const bool has_parent = bones[b].parent < b;
        const quat_t parent_rotation = has_parent ? model_rotation[bones[b].parent] : quat_t();
        const int32_t j = m_bone_joint[b];
        if (j >= 0) {
            ragdoll_joint_u *joint = m_all_joints[uint32_t(j)];
            ragdoll_part_u *part = joint->get_child();
            const physics_pose_t &body = part->m_body->get_world_interpolated_pose();
            // The bone where its part's body is: the body's placement less the part's
            // offset from the bone.
            const placement_t bone = to_model(placement_t(body.position, body.rotation))
                                         .from_local_space(placement_t(
                                             part->m_offset.rotation.inverse_rotate(-part->m_offset.position),
                                             part->m_offset.rotation.get_conjugate()));
            quat_t local = parent_rotation.get_conjugate() * bone.rotation;
            local.normalize();
            if (joint->mirrored) {
                quat_t turn = bones[b].rotation.get_conjugate() * local;
                turn.invert();
                local = bones[b].rotation * turn;
            }
            key.rotation = local;
            if (!has_parent) {
                key.translation = bone.position;
                root_anim->set_key(0, key);
            }
        }
        model_rotation[b] = parent_rotation * key.rotation;
        pose_anim->set_key(b, key);
    }
    for (int i = 0; i < 2; ++i) {
        model->advance_channel(uint32_t(m_channels[i]), dt);
        model->set_channel_weight(uint32_t(m_channels[i]), 1.0f);
    }
}

void ragdoll_u::apply_hit(const vec3_t &force, const vec3_t &position) {
    if (!m_fitted) return;
    ragdoll_part_u *nearest = get_root_joint()->get_child();
    vec3_t d = nearest->m_body->get_world_pose().position - position;
    float best = dot(d, d);
    for (uint32_t i = 0; i < parts.get_count(); ++i) {
        ragdoll_part_u *part = get_part(i);
        d = part->m_body->get_world_pose().position - position;
        if (dot(d, d) < best) {
            best = dot(d, d);
            nearest = part;
        }
    }
    nearest->m_body->add_force_at_position(force, position);
}

void ragdoll_u::add_velocity(const vec3_t &linear, const vec3_t &angular) {
    if (!m_fitted) return;
    m_active = true;  // every body is woken below
    const float eps = vec_traits_t<float>::EPSILON;
    for (uint32_t i = 0; i < parts.get_count(); ++i) {
        physics_body_t *body = get_part(i)->m_body;
        body->wake();
        body->set_world_linear_velocity(body->get_world_linear_velocity() + linear);
        if (dot(angular, angular) < eps) continue;
        const vec3_t current = body->get_angular_velocity();
        if (dot(current, current) < eps) {
            body->set_angular_velocity(angular);
            continue;
        }
        quat_t given, own;
        given.set_axis_angle(angular, length(angular));
        own.set_axis_angle(current, length(current));
        quat_t product = given * own;
        product.normalize();
        if (product.w < 0.0f) product.negate();
        const float angle = product.get_rotation_angle();
        vec3_t axis = product.get_rotation_axis();
        if (dot(axis, axis) < eps * eps) {
            body->set_angular_velocity({0.0f, 0.0f, 0.0f});
            continue;
        }
        body->set_angular_velocity(normalized(axis) * angle);
    }
}

void ragdoll_u::activate() {
    if (m_active || !m_fitted) return;
    for (uint32_t i = 0; i < parts.get_count(); ++i) get_part(i)->m_body->wake();
    m_active = true;
}

void ragdoll_u::deactivate() {
    if (!m_active || !m_fitted) return;
    for (uint32_t i = 0; i < parts.get_count(); ++i) get_part(i)->m_body->set_disabled(true);
    m_active = false;
}

bool ragdoll_u::get_root_placement(placement_t &out) const {
    if (!m_fitted) return false;
    const physics_pose_t &pose = get_root_joint()->get_child()->m_body->get_world_interpolated_pose();
    out = placement_t(pose.position, pose.rotation);
    return true;
}

void ragdoll_u::set_contact_handler(physics_contact_listener_t *handler) {
    m_handler = handler;
    for (uint32_t i = 0; i < parts.get_count(); ++i)
        if (ragdoll_part_u *part = get_part(i); part && part->m_shape) part->m_shape->set_contact_listener(handler);
}

}  // namespace quarn

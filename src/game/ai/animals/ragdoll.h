#pragma once
// Ragdolls (docs/animal-bodies.md): a tree of rigid parts (capsules, spheres, boxes)
// joined by universal and hinge joints, read from a unit file per animal and detail
// level ("ragdoll_hires.unit", "_mires", "_lores" in the animal's hookup folder),
// fitted to a model's skeleton, simulated in the world's physics scene (shapes in
// collision group 5), and driving the model's bones through two procedural
// animations. Unit files name the classes without "_u"; ragdoll_part and
// ragdoll_joint are abstract.
//
// The load refuses what the physics layer or the binding could not take: no parts,
// joints or root joint, joints without their parts, a part that is the child of two
// joints, cycles, axes outside 0-2, equal universal axes, masses and sizes of 0 or
// below. A failing fit logs, takes everything it made out of the physics scene and
// answers false.
#include <cstdint>

#include "game/visuals/models/model_anim.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "game/visuals/physics/physics_types.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

class model_object_u;
class physics_body_t;
class physics_joint_t;
class physics_scene_t;
class physics_shape_t;
class ragdoll_joint_u;

// The collision group of every ragdoll shape.
inline constexpr int RAGDOLL_COLLISION_GROUP = 5;

// One rigid part (abstract).
class ragdoll_part_u : public unit_t {
    QRN_UNIT_CLASS(ragdoll_part_u, unit_t);

public:
    // The end-pin value that takes the bone of the part's only child joint.
    static constexpr const char *AUTO_DETECT = "auto__detect";

    // False (logged with the part's name) when a size or the mass is not above 0.
    virtual bool check_sizes() const;
    // Makes the shape's geometry on body, sizes × factor (scale × the scene's unit
    // factor).
    virtual bool make_shape(physics_shape_t *shape, physics_body_t *body, float factor) const;

    physics_body_t *get_body() const { return m_body; }
    physics_shape_t *get_shape() const { return m_shape; }
    uint32_t get_child_joint_count() const { return m_children.get_count(); }
    ragdoll_joint_u *get_child_joint(uint32_t i) const { return m_children[i]; }
    int32_t get_end_pin_bone() const { return m_end_pin; }

    uint64_t end_pin_bone_name = 0;
    float mass = 1.0f;
    placement_t actor_placement;

protected:
    friend class ragdoll_u;
    friend class ragdoll_joint_u;
    array_dyn_t<ragdoll_joint_u *> m_children;  // filled by the ragdoll's load checks
    int32_t m_end_pin = -1;
    int32_t m_bone = -1;     // the bone of the part's parent joint: the part follows it
    placement_t m_offset;    // the part in that bone's rest frame
    ragdoll_joint_u *m_parent_joint = nullptr;
    physics_body_t *m_body = nullptr;
    physics_shape_t *m_shape = nullptr;
};

class ragdoll_part_capsule_u : public ragdoll_part_u {
    QRN_UNIT_CLASS(ragdoll_part_capsule_u, ragdoll_part_u);

public:
    bool check_sizes() const override;
    bool make_shape(physics_shape_t *shape, physics_body_t *body, float factor) const override;
    float radius = 0.1f;
    float length = 0.1f;
};

class ragdoll_part_sphere_u : public ragdoll_part_u {
    QRN_UNIT_CLASS(ragdoll_part_sphere_u, ragdoll_part_u);

public:
    bool check_sizes() const override;
    bool make_shape(physics_shape_t *shape, physics_body_t *body, float factor) const override;
    float radius = 0.1f;
};

class ragdoll_part_box_u : public ragdoll_part_u {
    QRN_UNIT_CLASS(ragdoll_part_box_u, ragdoll_part_u);

public:
    bool check_sizes() const override;
    bool make_shape(physics_shape_t *shape, physics_body_t *body, float factor) const override;
    vec3_t dimensions{0.1f, 0.1f, 0.1f};
};

// One joint between a parent and a child part (abstract).
class ragdoll_joint_u : public unit_t {
    QRN_UNIT_CLASS(ragdoll_joint_u, unit_t);

public:
    // The most axes a joint has.
    static constexpr uint32_t MAX_AXES = 2;
    // Limits are cut to this (radians) after the current angle is added.
    static constexpr float LIMIT_CAP = 3.1315928f;

    ragdoll_part_u *get_parent() const;
    ragdoll_part_u *get_child() const;
    int32_t get_bone() const { return m_bone; }
    physics_joint_t *get_physics_joint() const { return m_joint; }
    // The axes of the joint (0 x, 1 y, 2 z of the joint's frame), whether each is
    // limited, and its limits in degrees; 0 axes for the root.
    virtual uint32_t get_axis_count() const { return 0; }
    virtual int32_t get_axis(uint32_t) const { return 0; }
    virtual bool is_limited(uint32_t) const { return false; }
    virtual float get_low_limit(uint32_t) const { return 0.0f; }
    virtual float get_high_limit(uint32_t) const { return 0.0f; }
    // The limits (low, high) the physics joint gets for an axis already turned by
    // angle radians: degrees to radians, plus angle, cut to [-cap, 0] and [0, cap].
    static void compute_limits(float low_degrees, float high_degrees, float angle, float &low, float &high);
    // Load checks of the subclass (axes in 0-2, two different universal axes).
    virtual bool check_axes() const { return true; }
    // The limits (radians) the fit gave the physics joint for an axis; false for an
    // axis that is not limited or before a fit.
    bool get_fitted_limits(uint32_t axis, float &low, float &high) const;

    ref_ptr_t<unit_base_t> parent_part;  // ragdoll_part_u
    ref_ptr_t<unit_base_t> child_part;   // ragdoll_part_u
    uint64_t model_bone_name = 0;
    placement_t joint_placement;
    bool mirrored = false;

protected:
    friend class ragdoll_u;
    int32_t m_bone = -1;
    quat_t m_rest;                // the bone's rotation in the pose when fitted
    placement_t m_to_parent;      // the joint relative to the parent part
    placement_t m_to_child;       // the joint relative to the child part
    physics_joint_t *m_joint = nullptr;
    physics_joint_t *m_motors[MAX_AXES] = {nullptr, nullptr};
    struct fitted_limits_t {
        bool set = false;
        float low = 0.0f, high = 0.0f;
    } m_limits[MAX_AXES];
};

class ragdoll_joint_universal_u : public ragdoll_joint_u {
    QRN_UNIT_CLASS(ragdoll_joint_universal_u, ragdoll_joint_u);

public:
    uint32_t get_axis_count() const override { return 2; }
    int32_t get_axis(uint32_t i) const override { return i == 0 ? axis0 : axis1; }
    bool is_limited(uint32_t i) const override { return i == 0 ? limited0 : limited1; }
    float get_low_limit(uint32_t i) const override { return i == 0 ? low_limit0 : low_limit1; }
    float get_high_limit(uint32_t i) const override { return i == 0 ? high_limit0 : high_limit1; }
    bool check_axes() const override;

    int32_t axis0 = 0;
    bool limited0 = true;
    float high_limit0 = 0.0f;
    float low_limit0 = 0.0f;
    int32_t axis1 = 1;
    bool limited1 = true;
    float high_limit1 = 0.0f;
    float low_limit1 = 0.0f;
};

class ragdoll_joint_hinge_u : public ragdoll_joint_u {
    QRN_UNIT_CLASS(ragdoll_joint_hinge_u, ragdoll_joint_u);

public:
    uint32_t get_axis_count() const override { return 1; }
    int32_t get_axis(uint32_t) const override { return axis; }
    bool is_limited(uint32_t) const override { return limited; }
    float get_low_limit(uint32_t) const override { return low_limit; }
    float get_high_limit(uint32_t) const override { return high_limit; }
    bool check_axes() const override;

    int32_t axis = 0;
    bool limited = true;
    float high_limit = 0.0f;
    float low_limit = 0.0f;
};

// The root: its child part is the root body; no physics joint.
class ragdoll_joint_root_u : public ragdoll_joint_u {
    QRN_UNIT_CLASS(ragdoll_joint_root_u, ragdoll_joint_u);
};

class ragdoll_u : public unit_t {
    QRN_UNIT_CLASS(ragdoll_u, unit_t);

public:
    // Priorities, masks and fade values of the two procedural animations.
    static constexpr int32_t ROOT_ANIM_PRIORITY = 35;
    static constexpr int32_t POSE_ANIM_PRIORITY = 33;

    // Builds the ragdoll on model (its current pose) at placement and scale in scene:
    // binds it to the skeleton, creates bodies, shapes and joints, gives the bodies the
    // pose's velocity and plays the two procedural animations. False, logged, with
    // nothing left in the scene, on any error. A fitted ragdoll is released first.
    bool fit(model_object_u *model, const placement_t &placement, float scale, physics_scene_t *scene);
    // Takes the bodies, shapes and joints out of the scene and stops the animations.
    void release();
    bool is_fitted() const { return m_fitted; }
    // Poses the model from the bodies (nothing unless fitted).
    void update(float dt);
    // The force at position goes to the part whose body is nearest to it.
    void apply_hit(const vec3_t &force, const vec3_t &position);
    // Adds linear velocity to every body and composes angular (axis × angle) with each
    // body's own.
    void add_velocity(const vec3_t &linear, const vec3_t &angular);
    // Wakes / puts to sleep every body (nothing when already so).
    void activate();
    void deactivate();
    bool is_active() const { return m_active; }
    // The root part's current world placement; false unless fitted.
    bool get_root_placement(placement_t &out) const;
    // The sum of the parts' masses (after the load).
    float get_total_mass() const { return m_total_mass; }
    // Every part's shape reports its contacts to handler (null: none).
    void set_contact_handler(physics_contact_listener_t *handler);

    uint32_t get_part_count() const { return parts.get_count(); }
    ragdoll_part_u *get_part(uint32_t i) const;
    uint32_t get_joint_count() const { return joints.get_count(); }
    ragdoll_joint_u *get_joint(uint32_t i) const;
    ragdoll_joint_u *get_root_joint() const;
    int32_t get_root_anim_channel() const { return m_channels[0]; }
    int32_t get_pose_anim_channel() const { return m_channels[1]; }

    // The load checks (above); false fails the load.
    bool _call_post_load() override;

    array_dyn_t<ref_ptr_t<unit_base_t>> parts;   // ragdoll_part_u
    array_dyn_t<ref_ptr_t<unit_base_t>> joints;  // ragdoll_joint_u
    ref_ptr_t<unit_base_t> root_joint;           // ragdoll_joint_root_u
    mstring_dyn_t dummy_one_frame_anim;

protected:
    void on_destroy();

private:
    bool bind(model_object_u *model);
    bool bind_joint(ragdoll_joint_u *joint, const placement_t &parent_absolute, model_object_u *model);
    bool create_bodies(physics_scene_t *scene);
    bool create_joints(physics_scene_t *scene);
    void place_from_pose(model_object_u *model);
    bool start_animations(model_object_u *model);
    void stop_animations();
    bool bone_pose(uint32_t bone, placement_t &out) const;
    placement_t part_pose(const ragdoll_part_u *part) const;
    placement_t to_world(const placement_t &model_space) const;
    placement_t to_model(const placement_t &world) const;
    void fail_fit();

    ref_ptr_t<unit_base_t> m_model;  // model_object_u, while fitted
    physics_scene_t *m_scene = nullptr;
    placement_t m_placement;
    float m_scale = 1.0f;
    float m_total_mass = 0.0f;
    placement_t m_root_offset;
    bool m_active = false;
    bool m_fitted = false;
    owner_ptr_t<unit_base_t> m_anims[2];  // model_anim_procedural_u
    int32_t m_channels[2] = {-1, -1};
    physics_contact_listener_t *m_handler = nullptr;
    array_dyn_t<placement_t> m_rest;      // the bones' rest placements in model space
    array_dyn_t<int32_t> m_bone_joint;    // per bone: the joint on it, or -1
    array_dyn_t<ragdoll_joint_u *> m_all_joints;  // joints[] and the root joint
};

}  // namespace quarn

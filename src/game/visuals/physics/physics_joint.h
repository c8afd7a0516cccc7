#pragma once
// A joint between two bodies of a scene (or one body and the world: a null body is
// the world). Made by physics_scene_t::create_joint, given its kind by exactly one
// create call, deleted by its owner (a ragdoll). Anchors and axes are in scene units
// and world axes.
//
// The calls refuse (logged, false or non-zero, nothing changed) what the library
// would abort on: zero or non-finite axes, parallel axes of a hinge2 or universal
// joint, a hinge2 or an angular motor without its first body (a hinge2 also without
// its second), two bodies that are one, parameters of another kind of joint; and a
// second create or a setter before the create.
#include <cstdint>

#include "game/visuals/physics/physics_types.h"
#include "qrncore/system/host_object.h"

namespace quarn {

class physics_scene_t;

enum physics_joint_kind_t : int {
    PHYSICS_JOINT_NONE = 0,
    PHYSICS_JOINT_BALL = 1,
    PHYSICS_JOINT_SLIDER = 2,
    PHYSICS_JOINT_HINGE = 3,
    PHYSICS_JOINT_HINGE2 = 4,
    PHYSICS_JOINT_UNIVERSAL = 5,
    PHYSICS_JOINT_LMOTOR = 6,
    PHYSICS_JOINT_AMOTOR = 7,
};

class physics_joint_t : public host_object_t {
public:
    physics_joint_t() = default;
    // Removes the joint from its scene.
    virtual ~physics_joint_t();
    physics_joint_t(const physics_joint_t &) = delete;
    physics_joint_t &operator=(const physics_joint_t &) = delete;

    // Joints draw nothing.
    virtual void debug_draw(int scene_mode);
    void set_scene(physics_scene_t *scene) { m_scene = scene; }
    physics_scene_t *get_scene() const { return m_scene; }
    int get_kind() const { return m_kind; }

    // Suspension of a hinge or hinge2.
    virtual bool set_suspension_erp(float value) = 0;
    virtual bool set_suspension_cfm(float value) = 0;
    // Stops (radians, or a slider's distance) of one axis: axis 0 of a hinge, axis 0
    // or any other (the second) of a hinge2 or universal joint. 0 on success; a hinge
    // axis other than 0 is returned as it was, other kinds and refused values give -1.
    virtual int set_limits(int axis, float high, float low) = 0;
    // Desired velocity of a linear motor along its three axes.
    virtual bool set_lmotor_velocity(const vec3_t &velocity) = 0;

    virtual bool create_ball(physics_body_t *body1, physics_body_t *body2, const vec3_t &anchor) = 0;
    virtual bool create_hinge(physics_body_t *body1, physics_body_t *body2, const vec3_t &anchor,
                              const vec3_t &axis) = 0;
    virtual bool create_hinge2(physics_body_t *body1, physics_body_t *body2, const vec3_t &anchor,
                               const vec3_t &axis1, const vec3_t &axis2) = 0;
    // The anchor of a slider is not used.
    virtual bool create_slider(physics_body_t *body1, physics_body_t *body2, const vec3_t &anchor,
                               const vec3_t &axis) = 0;
    virtual bool create_universal(physics_body_t *body1, physics_body_t *body2, const vec3_t &anchor,
                                  const vec3_t &axis1, const vec3_t &axis2) = 0;
    // Three world axes, unlimited force.
    virtual bool create_lmotor(physics_body_t *body1, physics_body_t *body2, const vec3_t &axis1,
                               const vec3_t &axis2, const vec3_t &axis3) = 0;
    // Holds the relative orientation of the two bodies on all three axes with a force
    // of at most 1 on each (friction of ragdoll joints): the given axis is fixed to
    // body 1, a second axis perpendicular to it to body 2 (the world when null).
    virtual bool create_amotor(physics_body_t *body1, physics_body_t *body2, const vec3_t &axis) = 0;
    // The anchor of a hinge, hinge2 or universal joint in scene units; (0, 0, 0) for
    // other kinds.
    virtual vec3_t get_anchor() const = 0;

    // Called by a scene deleted first: drops the library joint and the scene.
    virtual void detach() = 0;

protected:
    physics_scene_t *m_scene = nullptr;
    int m_kind = PHYSICS_JOINT_NONE;
};

}  // namespace quarn

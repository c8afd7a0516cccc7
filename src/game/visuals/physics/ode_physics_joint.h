#pragma once
// The joint over an ODE joint (made in the scene's world, in no joint group).
#include <ode/ode.h>

#include "game/visuals/physics/physics_joint.h"

namespace quarn {

class ode_physics_joint_t : public physics_joint_t {
public:
    ode_physics_joint_t() = default;
    ~ode_physics_joint_t() override;

    dJointID get_joint_id() const { return m_joint; }

    bool set_suspension_erp(float value) override;
    bool set_suspension_cfm(float value) override;
    int set_limits(int axis, float high, float low) override;
    bool set_lmotor_velocity(const vec3_t &velocity) override;
    bool create_ball(physics_body_t *body1, physics_body_t *body2, const vec3_t &anchor) override;
    bool create_hinge(physics_body_t *body1, physics_body_t *body2, const vec3_t &anchor,
                      const vec3_t &axis) override;
    bool create_hinge2(physics_body_t *body1, physics_body_t *body2, const vec3_t &anchor, const vec3_t &axis1,
                       const vec3_t &axis2) override;
    bool create_slider(physics_body_t *body1, physics_body_t *body2, const vec3_t &anchor,
                       const vec3_t &axis) override;
    bool create_universal(physics_body_t *body1, physics_body_t *body2, const vec3_t &anchor, const vec3_t &axis1,
                          const vec3_t &axis2) override;
    bool create_lmotor(physics_body_t *body1, physics_body_t *body2, const vec3_t &axis1, const vec3_t &axis2,
                       const vec3_t &axis3) override;
    bool create_amotor(physics_body_t *body1, physics_body_t *body2, const vec3_t &axis) override;
    vec3_t get_anchor() const override;
    void detach() override;

private:
    // The checks every create shares: not made yet, in a scene, bodies of the scene
    // and not one body twice.
    bool check_bodies(const char *operation, physics_body_t *body1, physics_body_t *body2) const;
    // Makes the joint of kind with make (world, no group) and attaches the bodies.
    template <class MAKE>
    void make(int kind, MAKE make_joint, physics_body_t *body1, physics_body_t *body2);
    // A made joint of one of the kinds (a setter's precondition); logs otherwise.
    bool is_kind(const char *operation, int kind_a, int kind_b = PHYSICS_JOINT_NONE) const;
    bool set_param(const char *operation, int parameter, float value);

    dJointID m_joint = nullptr;
};

}  // namespace quarn

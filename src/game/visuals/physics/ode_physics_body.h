#pragma once
// The rigid body over an ODE body. Once detached (its scene deleted first) it has no
// library body: its operations refuse and its getters answer zero.
#include <ode/ode.h>

#include "game/visuals/physics/physics_body.h"

namespace quarn {

class ode_physics_body_t : public physics_body_t {
public:
    ode_physics_body_t() = default;
    ~ode_physics_body_t() override;

    dBodyID get_body_id() const { return m_body; }

    void pull_pose() override;
    bool is_disabled() const override;
    void set_disabled(bool disabled) override;
    bool get_auto_disable() const override;
    void set_auto_disable(bool flag) override;
    bool get_gravity_mode() const override;
    void set_gravity_mode(bool flag) override;
    bool set_mass(float mass) override;
    float get_mass() const override;
    bool set_mass_box(float mass, const vec3_t &sizes) override;
    bool set_mass_sphere(float mass, float radius) override;
    bool set_mass_capsule(float mass, float length, float radius) override;
    bool set_com_offset(const vec3_t &offset) override;
    bool set_position(const vec3_t &position) override;
    bool set_rotation(const quat_t &rotation) override;
    bool set_pose(const physics_pose_t &pose) override;
    vec3_t get_linear_velocity() const override;
    vec3_t get_angular_velocity() const override;
    bool set_linear_velocity(const vec3_t &v) override;
    bool set_angular_velocity(const vec3_t &v) override;
    bool add_force(const vec3_t &force) override;
    bool add_relative_force(const vec3_t &force) override;
    bool add_force_at_pos(const vec3_t &force, const vec3_t &position) override;
    bool add_force_at_relative_pos(const vec3_t &force, const vec3_t &position) override;
    bool add_relative_force_at_pos(const vec3_t &force, const vec3_t &position) override;
    bool add_relative_force_at_relative_pos(const vec3_t &force, const vec3_t &position) override;
    bool set_force(const vec3_t &force) override;
    vec3_t get_force() const override;
    bool add_torque(const vec3_t &torque) override;
    bool add_relative_torque(const vec3_t &torque) override;
    bool set_torque(const vec3_t &torque) override;
    vec3_t get_torque() const override;
    bool attach_scene(physics_scene_t *scene) override;
    void detach() override;

private:
    // A library body to act on; logs the refusal of operation when there is none.
    bool live(const char *operation) const;
    // Sets the library body's pose for a reference pose.
    void place(const vec3_t &reference, const quat_t &rotation);
    bool apply_mass(const char *operation, dMass *mass);

    dBodyID m_body = nullptr;
};

}  // namespace quarn

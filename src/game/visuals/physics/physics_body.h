#pragma once
// A rigid body of a physics scene. Made by physics_scene_t::create_body (attached to
// the scene, asleep, auto-disable on), deleted by its owner.
//
// The body keeps three poses in scene units: the current pose (its reference point
// and rotation after the last step), the previous one (before that step) and the
// interpolated one (between the two, for drawing). The reference point need not be
// the centre of mass: the library's body sits at reference + rotate(com offset), and
// the body's first shape placed off the reference point moves the mass centre there.
//
// Operations that take values refuse (logged, false, nothing changed) what the
// library would abort on: non-finite values, zero rotations (others are normalised),
// masses and mass sizes that leave no inertia.
#include <cstdint>

#include "game/visuals/physics/physics_types.h"
#include "qrncore/system/host_object.h"

namespace quarn {

class physics_scene_t;

class physics_body_t : public host_object_t {
public:
    physics_body_t() = default;
    // Removes the body from its scene.
    virtual ~physics_body_t();
    physics_body_t(const physics_body_t &) = delete;
    physics_body_t &operator=(const physics_body_t &) = delete;

    // Every body of this layer is dynamic.
    virtual bool is_static() const { return false; }
    // previous ← current; current ← the library's state (reference point).
    virtual void pull_pose() = 0;
    // interpolated = previous → current at alpha (position lerp, rotation slerp).
    virtual void interpolate(float alpha);
    // After a step: when the reference point moved through a shape not its own
    // (a ray of the scene from the previous position to the current one), the body is
    // put back to its previous pose and thrown back at -10 x its step displacement
    // per second. Nothing for a body that did not move.
    virtual void sweep();

    // Asleep (disabled in the library).
    virtual bool is_disabled() const = 0;
    virtual void set_disabled(bool disabled) = 0;
    virtual bool get_auto_disable() const = 0;
    virtual void set_auto_disable(bool flag) = 0;
    virtual bool get_gravity_mode() const = 0;
    virtual void set_gravity_mode(bool flag) = 0;

    // Replaces the total mass, keeping the distribution.
    virtual bool set_mass(float mass) = 0;
    virtual float get_mass() const = 0;
    // A fresh mass distribution of the given total: a box of edge lengths, a sphere,
    // a capsule along the body's z axis (length of the cylinder between the caps).
    virtual bool set_mass_box(float mass, const vec3_t &sizes) = 0;
    virtual bool set_mass_sphere(float mass, float radius) = 0;
    virtual bool set_mass_capsule(float mass, float length, float radius) = 0;
    // By shape type code (sphere: sizes.x radius; box: sizes; capsule: sizes.x radius,
    // sizes.y length), sizes in world units. Other types change nothing (true).
    bool set_mass_by_shape(float mass, int type, const vec3_t &sizes);

    // The mass centre relative to the reference point, in body axes. The reference
    // point stays where it is; the library's body moves to the new centre.
    virtual bool set_com_offset(const vec3_t &offset) = 0;
    const vec3_t &get_com_offset() const { return m_com_offset; }

    // Poses in scene units: all three poses are set.
    virtual bool set_position(const vec3_t &position) = 0;
    // The reference point stays where it is.
    virtual bool set_rotation(const quat_t &rotation) = 0;
    virtual bool set_pose(const physics_pose_t &pose) = 0;
    // Moves all three poses (and the library body) by delta, in scene units.
    bool translate_poses(const vec3_t &delta);
    const physics_pose_t &get_previous_pose() const { return m_previous; }
    const physics_pose_t &get_current_pose() const { return m_current; }
    const quat_t &get_current_rotation() const { return m_current.rotation; }
    const physics_pose_t &get_interpolated_pose() const { return m_interpolated; }
    const quat_t &get_interpolated_rotation() const { return m_interpolated.rotation; }

    // Velocities, forces and torques in scene units (of the library's body, that is of
    // the mass centre). "relative" means in body axes; a relative position is relative
    // to the reference point.
    virtual vec3_t get_linear_velocity() const = 0;
    virtual vec3_t get_angular_velocity() const = 0;
    virtual bool set_linear_velocity(const vec3_t &v) = 0;
    virtual bool set_angular_velocity(const vec3_t &v) = 0;
    virtual bool add_force(const vec3_t &force) = 0;
    virtual bool add_relative_force(const vec3_t &force) = 0;
    virtual bool add_force_at_pos(const vec3_t &force, const vec3_t &position) = 0;
    virtual bool add_force_at_relative_pos(const vec3_t &force, const vec3_t &position) = 0;
    virtual bool add_relative_force_at_pos(const vec3_t &force, const vec3_t &position) = 0;
    virtual bool add_relative_force_at_relative_pos(const vec3_t &force, const vec3_t &position) = 0;
    virtual bool set_force(const vec3_t &force) = 0;
    virtual vec3_t get_force() const = 0;
    virtual bool add_torque(const vec3_t &torque) = 0;
    virtual bool add_relative_torque(const vec3_t &torque) = 0;
    virtual bool set_torque(const vec3_t &torque) = 0;
    virtual vec3_t get_torque() const = 0;

    // Linear velocity x 0.99, angular x 0.95 (after each step when the damping flag
    // is set).
    virtual void apply_damping();
    // Draws the body's axes (x red, y green, z blue, 0.5 scene units long) when the
    // modes allow it.
    virtual void debug_draw(int scene_mode);

    // Called by create_body: binds the body to the scene and makes its library part.
    virtual bool attach_scene(physics_scene_t *scene);
    // Called by a scene deleted first: drops the library part and the scene; the body
    // then refuses everything.
    virtual void detach() = 0;
    physics_scene_t *get_scene() const { return m_scene; }

    void set_step_listener(physics_step_listener_t *listener) { m_step_listener = listener; }
    physics_step_listener_t *get_step_listener() const { return m_step_listener; }
    bool set_collision_group(int group);
    int get_collision_group() const { return m_group; }
    void set_sweep(bool flag) { m_sweep = flag; }
    bool get_sweep() const { return m_sweep; }
    void set_damping(bool flag) { m_damping = flag; }
    bool get_damping() const { return m_damping; }
    void set_draw_mode(int mode) { m_draw_mode = mode; }
    int get_draw_mode() const { return m_draw_mode; }

    // World-unit operations. The pose getters convert and cache (the reference
    // stays valid until the next call).
    const physics_pose_t &get_world_interpolated_pose();
    const physics_pose_t &get_world_pose();
    bool set_world_pose(const physics_pose_t &pose);
    vec3_t get_world_linear_velocity() const;
    // These wake a sleeping body first.
    bool set_world_linear_velocity(const vec3_t &v);
    bool add_force_at_position(const vec3_t &force, const vec3_t &point);
    bool set_world_force(const vec3_t &force);
    // Wakes the body when it sleeps.
    void wake();

protected:
    // True when the body is in a scene; else logs the refusal of operation.
    bool in_scene(const char *operation) const;

    physics_step_listener_t *m_step_listener = nullptr;
    physics_pose_t m_previous;
    physics_pose_t m_current;
    physics_pose_t m_interpolated;
    physics_pose_t m_world_interpolated;
    physics_pose_t m_world_current;
    physics_scene_t *m_scene = nullptr;
    int m_draw_mode = PHYSICS_DRAW_FORCED;
    bool m_sweep = false;
    int m_group = 0;
    vec3_t m_com_offset;
    bool m_damping = false;
};

}  // namespace quarn

#pragma once
// The physics scene over ODE: a world with auto-disable (thresholds 0.1, 5 steps),
// the actor space (geoms of shapes owned by bodies), the static space (geoms of
// body-less shapes, never tested against each other), the contact joint group and
// one ray geom that every ray query reuses.
#include <ode/ode.h>

#include "game/visuals/physics/physics_scene.h"

namespace quarn {

class ode_physics_scene_t : public physics_scene_t {
public:
    ode_physics_scene_t();
    // Detaches what is still listed, then destroys the library objects in reverse
    // order of their making. A user of the library (ode_library.h) while it lives.
    ~ode_physics_scene_t() override;

    dWorldID get_world() const { return m_world; }
    dSpaceID get_static_space() const { return m_static_space; }
    dSpaceID get_actor_space() const { return m_actor_space; }
    dJointGroupID get_contact_group() const { return m_contact_group; }

    bool set_gravity_local(const vec3_t &gravity) override;
    vec3_t get_gravity_local() const override;

protected:
    physics_body_t *new_body() override;
    physics_shape_t *new_shape() override;
    // Collides body shapes with each other and static shapes with body shapes, steps
    // the world and empties the contact group.
    void step_engine(float step_time) override;

private:
    static void near_callback(void *data, dGeomID g1, dGeomID g2);

    dWorldID m_world = nullptr;
    dSpaceID m_actor_space = nullptr;
    dSpaceID m_static_space = nullptr;
    dJointGroupID m_contact_group = nullptr;
    dGeomID m_ray = nullptr;
};

}  // namespace quarn

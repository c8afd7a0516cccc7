#include "game/visuals/physics/ode_physics_scene.h"

#include "game/visuals/physics/ode_convert.h"
#include "game/visuals/physics/ode_library.h"
#include "game/visuals/physics/ode_physics_body.h"
#include "game/visuals/physics/ode_physics_shape.h"
#include "game/visuals/physics/physics_checks.h"
#include "qrncore/profiler/profiler.h"

namespace quarn {

ode_physics_scene_t::ode_physics_scene_t() {
    ode_library_acquire();
    m_world = dWorldCreate();
    dWorldSetAutoDisableFlag(m_world, 1);
    dWorldSetAutoDisableLinearThreshold(m_world, 0.1);
    dWorldSetAutoDisableAngularThreshold(m_world, 0.1);
    dWorldSetAutoDisableSteps(m_world, 5);
    dWorldSetAutoDisableTime(m_world, 0);
    m_actor_space = dHashSpaceCreate(nullptr);
    m_static_space = dHashSpaceCreate(nullptr);
    m_contact_group = dJointGroupCreate(0);
    m_ray = dCreateRay(nullptr, 1);
}

ode_physics_scene_t::~ode_physics_scene_t() {
    release_objects();
    dGeomDestroy(m_ray);
    dJointGroupDestroy(m_contact_group);
    dSpaceDestroy(m_static_space);
    dSpaceDestroy(m_actor_space);
    dWorldDestroy(m_world);
    ode_library_release();
}

bool ode_physics_scene_t::set_gravity_local(const vec3_t &gravity) {
    if (!phys_check_finite("set_gravity", "gravity", gravity)) return false;
    dWorldSetGravity(m_world, gravity.x, gravity.y, gravity.z);
    return true;
}

vec3_t ode_physics_scene_t::get_gravity_local() const {
    dVector3 g;
    dWorldGetGravity(m_world, g);
    return ode_to_vec(g);
}

physics_body_t *ode_physics_scene_t::new_body() { return new ode_physics_body_t; }

physics_shape_t *ode_physics_scene_t::new_shape() { return new ode_physics_shape_t; }

void ode_physics_scene_t::step_engine(float step_time) {
    profiler_sample_t sample("physics_server_t::step_engine", "physics_server_t::step_engine");
    dSpaceCollide(m_actor_space, this, near_callback);
    dSpaceCollide2(reinterpret_cast<dGeomID>(m_static_space), reinterpret_cast<dGeomID>(m_actor_space), this,
                   near_callback);
    dWorldQuickStep(m_world, step_time);
    dJointGroupEmpty(m_contact_group);
}

void ode_physics_scene_t::near_callback(void *, dGeomID, dGeomID) {
    // Contacts are not made yet: every pair passes untouched.
}

}  // namespace quarn

#pragma once
// The physics scene over ODE: a world with auto-disable (thresholds 0.1, 5 steps),
// the actor space (geoms of shapes owned by bodies), the static space (geoms of
// body-less shapes, never tested against each other), the contact joint group and
// one ray geom that every ray query reuses.
//
// Contacts: a pair of geoms makes contacts when at least one has a body, the bodies
// are not joined by a joint other than a contact, their groups collide and both
// shapes are enabled. Up to 10 contacts a pair, with friction and bounce from the
// product of the two material rows (bounce only above 0.0001, bounce velocity
// threshold 0.1). A no-response pair makes no contact joints; the shapes' listeners
// hear of every contact either way.
#include <ode/ode.h>

#include "game/visuals/physics/physics_scene.h"

namespace quarn {

// Counts of the contact generation since the scene was made (or reset), for tests
// and the debug view.
struct ode_contact_stats_t {
    uint32_t pairs = 0;      // pairs that reached the material step
    uint32_t contacts = 0;   // contacts found
    uint32_t joints = 0;     // contact joints made
    uint32_t listened = 0;   // listener calls
};

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

    // The scene's queries; each refuses (logged, no result) to start while the scene
    // is colliding (from a contact listener) and rays without a finite direction.
    // Ray hits: the normal points out of the surface hit (for a triangle mesh, to the
    // side cross(v1 - v0, v2 - v0) points to).
    bool ray_first_hit_local(int group, const vec3_t &start, const vec3_t &direction, float length,
                             physics_ray_hit_t *hit) override;
    uint32_t ray_all_hits_local(int group, const vec3_t &start, const vec3_t &direction, float length,
                                array_t<physics_ray_hit_t> &hits) override;
    // Every triangle of the static triangle meshes whose bounds the shape's geometry
    // touches, as the library reports them (a triangle may come more than once);
    // collide flags are not consulted.
    uint32_t collect_triangles(array_t<physics_triangle_t> &out, physics_shape_t *shape) override;

    const ode_contact_stats_t &get_contact_stats() const { return m_stats; }
    void reset_contact_stats() { m_stats = {}; }
    // Whether the scene is inside its collision pass now.
    bool is_colliding() const { return m_colliding; }

    // The surface of a contact between two materials.
    static dSurfaceParameters contact_surface(const physics_material_t &a, const physics_material_t &b);
    // Called by the library for every triangle-mesh geom's touched triangles.
    static void triangle_array_callback(dGeomID mesh, dGeomID other, const int *triangles, int count);

protected:
    physics_body_t *new_body() override;
    physics_shape_t *new_shape() override;
    physics_joint_t *new_joint() override;
    physics_avatar_t *new_avatar() override;
    // Collides body shapes with each other and static shapes with body shapes, steps
    // the world and empties the contact group.
    void step_engine(float step_time) override;

private:
    static void near_callback(void *data, dGeomID g1, dGeomID g2);
    static void ray_callback(void *data, dGeomID g1, dGeomID g2);
    static void triangle_callback(void *data, dGeomID g1, dGeomID g2);
    void collide_pair(dGeomID g1, dGeomID g2);
    // Checks a query and sets the ray up; false (logged) when refused.
    bool begin_ray(const char *operation, int group, const vec3_t &start, const vec3_t &direction, float length);
    void cast_ray();

    dWorldID m_world = nullptr;
    dSpaceID m_actor_space = nullptr;
    dSpaceID m_static_space = nullptr;
    dJointGroupID m_contact_group = nullptr;
    dGeomID m_ray = nullptr;
    // Query slots, set while a query runs: the best hit of a first-hit query, the
    // output of an all-hits query, the output of a triangle query.
    physics_ray_hit_t *m_best = nullptr;
    array_t<physics_ray_hit_t> *m_hits = nullptr;
    array_t<physics_triangle_t> *m_triangles = nullptr;
    bool m_colliding = false;
    ode_contact_stats_t m_stats;
};

}  // namespace quarn

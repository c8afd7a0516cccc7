#include "game/visuals/physics/ode_physics_scene.h"

#include <algorithm>

#include "game/visuals/physics/ode_convert.h"
#include "game/visuals/physics/ode_library.h"
#include "game/visuals/physics/ode_physics_avatar.h"
#include "game/visuals/physics/ode_physics_body.h"
#include "game/visuals/physics/ode_physics_joint.h"
#include "game/visuals/physics/ode_physics_shape.h"
#include "game/visuals/physics/physics_checks.h"
#include "qrncore/profiler/profiler.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

constexpr int MAX_CONTACTS = 10;
constexpr int MAX_RAY_HITS = 10;
// Contacts asked for by a triangle query; only the triangles reported on the way
// count.
constexpr int TRIANGLE_QUERY_CONTACTS = 5;
// A product of bounces must pass this to bounce.
constexpr float BOUNCE_MIN = 0.0001f;
// Contacts slower than this (scene units a second) do not bounce.
constexpr dReal BOUNCE_VELOCITY = 0.1;

physics_shape_t *shape_of(dGeomID g) { return static_cast<physics_shape_t *>(dGeomGetData(g)); }

}  // namespace

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

physics_joint_t *ode_physics_scene_t::new_joint() { return new ode_physics_joint_t; }

physics_avatar_t *ode_physics_scene_t::new_avatar() { return new ode_physics_avatar_t; }

void ode_physics_scene_t::step_engine(float step_time) {
    profiler_sample_t sample("physics_server_t::step_engine", "physics_server_t::step_engine");
    m_colliding = true;
    dSpaceCollide(m_actor_space, this, near_callback);
    dSpaceCollide2(reinterpret_cast<dGeomID>(m_static_space), reinterpret_cast<dGeomID>(m_actor_space), this,
                   near_callback);
    m_colliding = false;
    dWorldQuickStep(m_world, step_time);
    dJointGroupEmpty(m_contact_group);
}

dSurfaceParameters ode_physics_scene_t::contact_surface(const physics_material_t &a, const physics_material_t &b) {
    dSurfaceParameters s{};
    const float bounce = a.bounce * b.bounce;
    s.mode = bounce > BOUNCE_MIN ? dContactBounce : 0;
    s.mu = a.friction * b.friction;
    s.bounce = bounce;
    s.bounce_vel = BOUNCE_VELOCITY;
    return s;
}

void ode_physics_scene_t::near_callback(void *data, dGeomID g1, dGeomID g2) {
    if (dGeomIsSpace(g1) || dGeomIsSpace(g2)) {
        dSpaceCollide2(g1, g2, data, near_callback);
        return;
    }
    static_cast<ode_physics_scene_t *>(data)->collide_pair(g1, g2);
}

void ode_physics_scene_t::collide_pair(dGeomID g1, dGeomID g2) {
    dBodyID b1 = dGeomGetBody(g1);
    dBodyID b2 = dGeomGetBody(g2);
    // Two static geoms never touch; bodies held by a joint pass through each other.
    if (!b1 && !b2) return;
    if (b1 && b2 && dAreConnectedExcluding(b1, b2, dJointTypeContact)) return;
    physics_shape_t *s1 = shape_of(g1);
    physics_shape_t *s2 = shape_of(g2);
    if (!s1 || !s2) return;
    const int group1 = s1->get_collision_group();
    const int group2 = s2->get_collision_group();
    if (!get_pair_collides(group1, group2) || !s1->is_enabled() || !s2->is_enabled()) return;
    ++m_stats.pairs;

    dContact contacts[MAX_CONTACTS];
    const dSurfaceParameters surface = contact_surface(*get_material(s1->get_material()), *get_material(s2->get_material()));
    for (dContact &c : contacts) c.surface = surface;
    const bool respond = !get_pair_no_response(group1, group2);
    const int n = dCollide(g1, g2, MAX_CONTACTS, &contacts[0].geom, sizeof(dContact));
    for (int i = 0; i < n; ++i) {
        ++m_stats.contacts;
        if (respond) {
            dJointID joint = dJointCreateContact(m_world, m_contact_group, &contacts[i]);
            dJointAttach(joint, b1, b2);
            ++m_stats.joints;
        }
        const vec3_t position = ode_to_vec(contacts[i].geom.pos);
        const vec3_t normal = ode_to_vec(contacts[i].geom.normal);
        if (physics_contact_listener_t *l = s1->get_contact_listener()) {
            l->on_contact(s1, s2, position, normal);
            ++m_stats.listened;
        }
        if (physics_contact_listener_t *l = s2->get_contact_listener()) {
            l->on_contact(s2, s1, position, -normal);
            ++m_stats.listened;
        }
    }
}

bool ode_physics_scene_t::begin_ray(const char *operation, int group, const vec3_t &start, const vec3_t &direction,
                                    float length) {
    // A listener's query would reuse the slots of the running one and collide spaces
    // the library has locked.
    if (m_colliding || m_best || m_hits || m_triangles) {
        error("[phys] %s: a query cannot start while the scene collides or queries", operation);
        return false;
    }
    if (!phys_check_index(operation, "group", group) || !phys_check_finite(operation, "start", start) ||
        !phys_check_direction(operation, "direction", direction) ||
        !phys_check_finite(operation, "length", length))
        return false;
    if (length <= 0.0f) return false;
    m_query_group = group;
    dGeomRaySetLength(m_ray, length);
    dGeomRaySet(m_ray, start.x, start.y, start.z, direction.x, direction.y, direction.z);
    return true;
}

void ode_physics_scene_t::cast_ray() {
    // Static shapes first: at equal depth the first hit keeps a static shape.
    dSpaceCollide2(m_ray, reinterpret_cast<dGeomID>(m_static_space), this, ray_callback);
    dSpaceCollide2(m_ray, reinterpret_cast<dGeomID>(m_actor_space), this, ray_callback);
}

void ode_physics_scene_t::ray_callback(void *data, dGeomID g1, dGeomID g2) {
    auto *scene = static_cast<ode_physics_scene_t *>(data);
    dGeomID candidate = g1 == scene->m_ray ? g2 : g2 == scene->m_ray ? g1 : nullptr;
    if (!candidate) return;
    physics_shape_t *shape = shape_of(candidate);
    if (!shape || !shape->is_enabled() || !scene->get_pair_collides(scene->m_query_group, shape->get_collision_group()))
        return;
    dContactGeom hits[MAX_RAY_HITS];
    // The ray first: the library's normal then points out of the surface hit.
    const int n = dCollide(scene->m_ray, candidate, MAX_RAY_HITS, hits, sizeof(dContactGeom));
    for (int i = 0; i < n; ++i) {
        physics_ray_hit_t record;
        record.position = ode_to_vec(hits[i].pos);
        record.normal = ode_to_vec(hits[i].normal);
        record.depth = float(hits[i].depth);
        record.shape = shape;
        if (scene->m_best) {
            if (record.depth < scene->m_best->depth) *scene->m_best = record;
        } else if (scene->m_hits) {
            scene->m_hits->append(record);  // dropped when the array cannot grow
        }
    }
}

bool ode_physics_scene_t::ray_first_hit_local(int group, const vec3_t &start, const vec3_t &direction, float length,
                                              physics_ray_hit_t *hit) {
    *hit = physics_ray_hit_t{};
    if (!begin_ray("ray_first_hit", group, start, direction, length)) return false;
    m_best = hit;
    cast_ray();
    m_best = nullptr;
    return hit->shape != nullptr;
}

uint32_t ode_physics_scene_t::ray_all_hits_local(int group, const vec3_t &start, const vec3_t &direction,
                                                 float length, array_t<physics_ray_hit_t> &hits) {
    if (!begin_ray("ray_all_hits", group, start, direction, length)) return hits.get_count();
    m_hits = &hits;
    cast_ray();
    m_hits = nullptr;
    // Stable: at equal depth static shapes stay first.
    physics_ray_hit_t *first = hits.get_data();
    std::stable_sort(first, first + hits.get_count(),
                     [](const physics_ray_hit_t &a, const physics_ray_hit_t &b) { return a.depth < b.depth; });
    return hits.get_count();
}

uint32_t ode_physics_scene_t::collect_triangles(array_t<physics_triangle_t> &out, physics_shape_t *shape) {
    const char *op = "collect_triangles";
    if (m_colliding || m_best || m_hits || m_triangles) {
        error("[phys] %s: a query cannot start while the scene collides or queries", op);
        return out.get_count();
    }
    dGeomID geom = shape ? static_cast<ode_physics_shape_t *>(shape)->get_geom() : nullptr;
    if (!shape || shape->get_scene() != this || !geom) {
        error("[phys] %s: the shape has no geometry in this scene", op);
        return out.get_count();
    }
    m_triangles = &out;
    dSpaceCollide2(geom, reinterpret_cast<dGeomID>(m_static_space), this, triangle_callback);
    m_triangles = nullptr;
    return out.get_count();
}

void ode_physics_scene_t::triangle_callback(void *, dGeomID g1, dGeomID g2) {
    if (g1 == g2 || !dGeomIsEnabled(g1) || !dGeomIsEnabled(g2)) return;
    // The contacts are not wanted: the meshes report their triangles on the way.
    dContactGeom contacts[TRIANGLE_QUERY_CONTACTS];
    dCollide(g1, g2, TRIANGLE_QUERY_CONTACTS, contacts, sizeof(dContactGeom));
}

void ode_physics_scene_t::triangle_array_callback(dGeomID mesh, dGeomID, const int *triangles, int count) {
    physics_shape_t *shape = shape_of(mesh);
    auto *scene = shape ? static_cast<ode_physics_scene_t *>(shape->get_scene()) : nullptr;
    if (!scene || !scene->m_triangles) return;
    for (int i = 0; i < count; ++i) {
        dVector3 v[3];
        dGeomTriMeshGetTriangle(mesh, triangles[i], &v[0], &v[1], &v[2]);
        physics_triangle_t t;
        for (int k = 0; k < 3; ++k) t.v[k] = ode_to_vec(v[k]);
        scene->m_triangles->append(t);  // dropped when the array cannot grow
    }
}

}  // namespace quarn

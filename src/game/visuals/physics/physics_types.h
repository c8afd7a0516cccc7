#pragma once
// Records and small interfaces shared by the physics layer and its users: poses,
// materials, the collision-group and material table bounds, the ray-hit and triangle
// records of the queries, and the listener interfaces of bodies and shapes.
#include <cstdint>

#include "qrncore/geometry/placement.h"
#include "qrncore/math/vec.h"

namespace quarn {

class physics_body_t;
class physics_shape_t;

// A pose is a position followed by a rotation; a new pose is position zero and the
// identity rotation.
using physics_pose_t = placement_t;

// Rows of a scene's material table and its collision groups: indices 0..31.
constexpr int PHYSICS_MATERIALS = 32;
constexpr int PHYSICS_GROUPS = 32;

// Debug draw modes of scenes, bodies and shapes. An object draws when its mode is
// ALWAYS, or FORCED while the scene's mode is not FORCED; NEVER never draws, and a
// scene in NEVER draws nothing.
enum physics_draw_mode_t : int {
    PHYSICS_DRAW_FORCED = 0,
    PHYSICS_DRAW_ALWAYS = 1,
    PHYSICS_DRAW_NEVER = 2,
};

// Shape type codes.
enum physics_shape_type_t : int {
    PHYSICS_SHAPE_NONE = 0,
    PHYSICS_SHAPE_SPHERE = 1,
    PHYSICS_SHAPE_BOX = 2,
    PHYSICS_SHAPE_PLANE = 3,
    PHYSICS_SHAPE_CAPSULE = 4,
    PHYSICS_SHAPE_TRIMESH = 5,
};

// A row of the material table. Contact generation uses bounce and friction.
struct physics_material_t {
    float bounce = 0.0f;
    float friction = 0.0f;
    float unused = 0.0f;
};

// Depth of a ray query that hit nothing.
constexpr float PHYSICS_NO_HIT_DEPTH = 3.37e38f;

// One ray hit: position and depth along the ray, the normal pointing out of the
// surface hit, and the shape (null: no hit). Scene queries give scene units, the
// world wrappers world units.
struct physics_ray_hit_t {
    vec3_t position;
    vec3_t normal;
    float depth = PHYSICS_NO_HIT_DEPTH;
    physics_shape_t *shape = nullptr;
};

// One triangle of a triangle mesh, placed by its shape's pose, in scene units.
struct physics_triangle_t {
    vec3_t v[3];
};

// Told of every contact of the shape it is set on, during the scene's step. self is
// that shape; the normal points from other towards self. The scene is inside its
// collision pass: a query started here is refused, and the listener must not delete
// shapes, bodies or joints.
class physics_contact_listener_t {
public:
    virtual ~physics_contact_listener_t() = default;
    virtual void on_contact(physics_shape_t *self, physics_shape_t *other, const vec3_t &position,
                            const vec3_t &normal) = 0;
};

// Told after every fixed step of the scene, once the body has its new pose.
class physics_step_listener_t {
public:
    virtual ~physics_step_listener_t() = default;
    virtual void on_step(physics_body_t *body) = 0;
};

}  // namespace quarn

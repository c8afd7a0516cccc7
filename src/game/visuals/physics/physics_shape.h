#pragma once
// A collision shape of a physics scene: owned by a body (it moves with it) or
// body-less (static, placed in the scene). Made by physics_scene_t::create_shape,
// then given its geometry by exactly one create call; deleted by its owner.
//
// An owned shape's local pose is relative to the body's reference point and
// rotation; a body's first shape placed off the reference point moves the body's
// mass centre to itself. A body-less shape's local pose is its placement in the
// scene. Sizes and poses of the create calls are in scene units; the init_*_world
// calls take world units.
//
// Create calls refuse (logged, false, the shape stays empty) a second create,
// negative or non-finite sizes, zero rotations, an owner of another scene, and
// triangle meshes without a whole triangle or with an index past their vertices.
#include <cstdint>

#include "game/visuals/physics/physics_types.h"
#include "qrncore/math/vec.h"
#include "qrncore/system/host_object.h"

namespace quarn {

class physics_scene_t;

class physics_shape_t : public host_object_t {
public:
    physics_shape_t() = default;
    // Frees the triangle-mesh copies and removes the shape from its scene.
    virtual ~physics_shape_t();
    physics_shape_t(const physics_shape_t &) = delete;
    physics_shape_t &operator=(const physics_shape_t &) = delete;

    // Disabled shapes take part in no contact and no query.
    virtual void enable() = 0;
    virtual void disable() = 0;
    virtual bool is_enabled() const = 0;

    // Sphere of radius; box of edge lengths; plane a·x + b·y + c·z = d (body-less,
    // no pose: planes have no placement); capsule along its local z axis (length of
    // the cylinder between the caps); triangle mesh of vertices and three indices a
    // triangle (trailing indices of a partial triangle are ignored), read in place:
    // the arrays must outlive the shape. local may be null.
    virtual bool create_sphere(physics_body_t *owner, float radius, const physics_pose_t *local) = 0;
    virtual bool create_box(physics_body_t *owner, const vec3_t &sizes, const physics_pose_t *local) = 0;
    virtual bool create_plane(physics_body_t *owner, const vec4_t &plane, const physics_pose_t *local) = 0;
    virtual bool create_capsule(physics_body_t *owner, float length, float radius, const physics_pose_t *local) = 0;
    virtual bool create_trimesh(physics_body_t *owner, const vec3_t *vertices, uint32_t vertex_count,
                                const uint32_t *indices, uint32_t index_count, const physics_pose_t *local) = 0;
    // As create_trimesh over copies of the arrays, held by the shape (counted in the
    // physics memory counter).
    bool create_trimesh_copy(physics_body_t *owner, const vec3_t *vertices, uint32_t vertex_count,
                             const uint32_t *indices, uint32_t index_count, const physics_pose_t *local);
    // World-unit creators: sizes x 1/scale; a body-less shape's pose through the
    // scene's world_to_local_placement, an owned shape's position x 1/scale.
    bool init_sphere_world(physics_body_t *owner, float radius, const physics_pose_t *pose);
    bool init_box_world(physics_body_t *owner, const vec3_t &sizes, const physics_pose_t *pose);
    bool init_capsule_world(physics_body_t *owner, float length, float radius, const physics_pose_t *pose);

    // Places a body-less shape, in scene units (planes have no placement).
    virtual bool set_position(const vec3_t &position) = 0;
    virtual bool set_rotation(const quat_t &rotation) = 0;
    // Places a body-less shape at a pose in world units.
    bool set_pose(const physics_pose_t &world_pose);

    // The shape's pose in world units: a body-less shape's placement, or the owner's
    // current world pose composed with the local pose.
    vec3_t get_world_position();
    quat_t get_world_rotation();

    // Draws the shape in the colours of its type when the modes allow it.
    virtual void debug_draw(int scene_mode);
    // Draws every triangle's three edges, in scene units under the current transform.
    virtual void draw_mesh(uint32_t colour);

    // Called by a scene deleted first: drops the library parts and the scene.
    virtual void detach() = 0;

    physics_scene_t *get_scene() const { return m_scene; }
    void set_scene(physics_scene_t *scene) { m_scene = scene; }
    physics_body_t *get_owner() const { return m_owner; }
    // Called when the owner is deleted first: the geometry stays where it was.
    void forget_owner() { m_owner = nullptr; }
    // A body-less shape's placement in scene units.
    const physics_pose_t &get_placement() const { return m_pose; }
    int get_type() const { return m_type; }
    // Sphere: radius; box: edge lengths; plane: a, b, c, d; capsule: radius, length.
    const float *get_sizes() const { return m_sizes; }
    const physics_pose_t &get_local_pose() const { return m_local; }
    uint32_t get_vertex_count() const { return m_vertex_count; }
    uint32_t get_index_count() const { return m_index_count; }

    void set_contact_listener(physics_contact_listener_t *listener) { m_listener = listener; }
    physics_contact_listener_t *get_contact_listener() const { return m_listener; }
    bool set_material(int index);
    int get_material() const { return m_material; }
    bool set_collision_group(int group);
    int get_collision_group() const { return m_group; }
    void set_draw_mode(int mode) { m_draw_mode = mode; }
    int get_draw_mode() const { return m_draw_mode; }
    void set_user_data(void *data) { m_user_data = data; }
    void *get_user_data() const { return m_user_data; }
    // The share of its body's mass the shape's user gives it (not used here).
    void set_mass(float mass) { m_mass = mass; }
    float get_mass() const { return m_mass; }

protected:
    // The steps every create call shares once its values are checked: refuses a
    // second create and a foreign owner, stores type, sizes, owner and local pose,
    // moves the owner's mass centre for its first offset shape, and gives the offset
    // of the geometry from the owner's mass centre (the placement for a body-less
    // shape). False (logged) when refused.
    bool begin_create(const char *operation, int type, const float *sizes, int size_count, physics_body_t *owner,
                      const physics_pose_t *local, physics_pose_t *offset);
    // Whether an offset is small enough to place the geometry at the mass centre.
    bool is_negligible(const physics_pose_t &offset) const;
    // Checks a mesh (a whole triangle, indices below the vertex count, finite
    // vertices).
    static bool check_mesh(const char *operation, const vec3_t *vertices, uint32_t vertex_count,
                           const uint32_t *indices, uint32_t index_count);
    void free_mesh_copies();

    physics_contact_listener_t *m_listener = nullptr;
    physics_scene_t *m_scene = nullptr;
    float m_sizes[4] = {0, 0, 0, 0};
    physics_body_t *m_owner = nullptr;
    int m_type = PHYSICS_SHAPE_NONE;
    physics_pose_t m_local;
    int m_draw_mode = PHYSICS_DRAW_FORCED;
    // Placement of a body-less shape in scene units.
    physics_pose_t m_pose;
    int m_material = 0;
    int m_group = 0;
    const vec3_t *m_vertices = nullptr;
    uint32_t m_vertex_count = 0;
    const uint32_t *m_indices = nullptr;
    uint32_t m_index_count = 0;
    // The copies above are the shape's own.
    bool m_owns_mesh = false;
    void *m_user_data = nullptr;
    float m_mass = 0.0f;
};

}  // namespace quarn

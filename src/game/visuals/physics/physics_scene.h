#pragma once
// A physics scene: bodies and shapes stepped at a fixed rate, with poses interpolated
// between the last two steps for drawing.
//
// A scene works in its own units. It keeps a world origin and a scale s (world units
// per scene unit); the world-unit wrappers convert positions, lengths, velocities and
// forces between world and scene units (world = scene · s + origin). Everything
// inside the scene (library state, poses, query results of the *_local calls) is in
// scene units.
//
// Group and material indices are 0..31: setters refuse others (logged), getters
// answer "no collision" or null for them.
#include <cstdint>

#include "game/visuals/physics/physics_types.h"
#include "qrncore/collections/arrays/array.h"
#include "qrncore/collections/list_dyn.h"
#include "qrncore/system/host_object.h"

namespace quarn {

class physics_avatar_t;
class physics_joint_t;
class physics_server_t;

class physics_scene_t : public host_object_t {
public:
    physics_scene_t();
    // Logs the objects still listed ("[phys] There are %zu unremoved shapes!" and so
    // on) and detaches them: their library parts go with the scene, and deleting them
    // later frees only their own memory. Then leaves the server.
    virtual ~physics_scene_t();
    physics_scene_t(const physics_scene_t &) = delete;
    physics_scene_t &operator=(const physics_scene_t &) = delete;

    // Stores the server and the scale (a finite value above 0); false otherwise.
    virtual bool init(physics_server_t *server, float scale);

    // The fixed step: n steps a second (n above 0), or a step time (finite, above 0).
    // A refused value keeps the step as it was.
    virtual bool set_steps_per_second(uint32_t n);
    virtual bool set_step_time(float seconds);
    uint32_t get_steps_per_second() const { return m_steps_per_second; }
    float get_step_time() const { return m_step_time; }

    // Debug drawing of every shape, body and joint, in world units.
    virtual void debug_draw();
    // Only shapes and bodies whose world position lies strictly within radius of
    // point (world units); refreshes the bodies' world poses.
    virtual void debug_draw_near(const vec3_t &point, float radius);
    void set_debug_draw_mode(int mode) { m_draw_mode = mode; }
    int get_debug_draw_mode() const { return m_draw_mode; }

    // Copies the material into row index; bounce and friction must be finite values
    // of 0 or more.
    virtual bool set_material(int index, const physics_material_t &material);
    // The row, or null for an index outside 0..31.
    const physics_material_t *get_material(int index) const;

    // The triangles of the static triangle meshes that the shape touches, appended
    // to out; the number of records in out.
    virtual uint32_t collect_triangles(array_t<physics_triangle_t> &out, physics_shape_t *shape);
    // The nearest hit of the ray (start, unit direction, length) among the shapes
    // whose group collides with group; false and hit = no hit when there is none.
    virtual bool ray_first_hit_local(int group, const vec3_t &start, const vec3_t &direction, float length,
                                     physics_ray_hit_t *hit);
    // Every hit of the ray, appended to hits (not emptied first) and sorted by depth;
    // the number of records in hits.
    virtual uint32_t ray_all_hits_local(int group, const vec3_t &start, const vec3_t &direction, float length,
                                        array_t<physics_ray_hit_t> &hits);

    // Gravity in scene units; a non-finite vector is refused.
    virtual bool set_gravity_local(const vec3_t &gravity);
    virtual vec3_t get_gravity_local() const;

    // Collision tables. set_pair_* writes (a, b) and (b, a); set_group_collides row a
    // and column a.
    bool set_pair_collides(int a, int b, bool flag);
    bool set_group_collides(int a, bool flag);
    bool get_pair_collides(int a, int b) const;
    // Pairs whose contacts reach the shapes' listeners but make no contact joints.
    bool set_pair_no_response(int a, int b, bool flag);
    bool get_pair_no_response(int a, int b) const;
    // The group the next ray query tests against.
    bool set_query_group(int group);
    int get_query_group() const { return m_query_group; }

    // While paused (more pauses than resumes) step does nothing.
    void pause() { ++m_pause; }
    void resume() {
        if (m_pause > 0) --m_pause;
    }
    bool is_paused() const { return m_pause > 0; }

    // New objects of the scene; null (logged) when one cannot be made. A body starts
    // asleep at the origin; a shape has no geometry and a joint no kind until one of
    // their create calls. Their owners delete them; deleting removes them from the
    // scene.
    physics_body_t *create_body();
    physics_shape_t *create_shape();
    physics_joint_t *create_joint();
    // The scene's one avatar (an avatar made earlier stays its owner's, but is no
    // longer updated); the caller calls its create.
    physics_avatar_t *create_avatar();
    physics_avatar_t *get_avatar() const { return m_avatar; }
    // Called by the destructors.
    void remove_body(physics_body_t *body);
    void remove_shape(physics_shape_t *shape);
    void remove_joint(physics_joint_t *joint);
    void forget_avatar() { m_avatar = nullptr; }
    // Shapes of the scene owned by body.
    uint32_t count_shapes_of(const physics_body_t *body) const;
    uint32_t get_body_count() const { return m_bodies.get_count(); }
    uint32_t get_shape_count() const { return m_shapes.get_count(); }
    uint32_t get_joint_count() const { return m_joints.get_count(); }

    // Steps: adds dt to the accumulator and runs one fixed step for each whole step
    // time strictly below it (the library's step, the avatar's update, then for every
    // body its new pose, sweep, step listener and damping), then interpolates every
    // body by accumulator / step time.
    // A negative or non-finite dt is refused (logged) and counts as 0.
    void step(float dt);
    float get_accumulator() const { return m_accumulator; }
    // The interpolation factor of the last step call.
    float get_alpha() const { return m_alpha; }

    // Moves the world origin: bodies and placed body-less shapes keep their world
    // positions (their scene positions move); planes stay where they are in the scene.
    void set_origin(const vec3_t &origin);
    const vec3_t &get_origin() const { return m_origin; }
    float get_scale() const { return m_scale; }
    float get_inverse_scale() const { return m_inv_scale; }

    void print_info();

    // World-unit wrappers.
    vec3_t world_to_local(const vec3_t &p) const { return (p - m_origin) * m_inv_scale; }
    vec3_t local_to_world(const vec3_t &p) const { return p * m_scale + m_origin; }
    physics_pose_t pose_to_world(const physics_pose_t &pose) const {
        return {local_to_world(pose.position), pose.rotation};
    }
    physics_pose_t world_to_local_placement(const physics_pose_t &pose) const {
        return {world_to_local(pose.position), pose.rotation};
    }
    bool set_gravity(const vec3_t &gravity) { return set_gravity_local(gravity * m_inv_scale); }
    vec3_t get_gravity() const { return get_gravity_local() * m_scale; }
    // Ray queries in world units: set the query group, convert start and length, and
    // convert positions and depths of the hits back (normals and shapes unchanged).
    bool ray_first_hit_world(int group, const vec3_t &start, const vec3_t &direction, float length,
                             physics_ray_hit_t *hit);
    // Empties hits first; sorted by depth, nearest first.
    uint32_t ray_all_hits(int group, const vec3_t &start, const vec3_t &direction, float length,
                          array_t<physics_ray_hit_t> &hits);

    physics_server_t *get_server() const { return m_server; }
    // Called by a server deleted before its scenes.
    void forget_server() { m_server = nullptr; }

protected:
    // Objects of the implementation, or null.
    virtual physics_body_t *new_body() = 0;
    virtual physics_shape_t *new_shape() = 0;
    virtual physics_joint_t *new_joint() = 0;
    virtual physics_avatar_t *new_avatar() = 0;
    // One fixed step of the physics library.
    virtual void step_engine(float step_time);
    // Logs and detaches every listed object; a derived scene calls it before it
    // takes its library objects down.
    void release_objects();

    vec3_t m_origin;
    float m_scale = 1.0f;
    float m_inv_scale = 1.0f;
    list_dyn_t<physics_body_t *> m_bodies;
    list_dyn_t<physics_shape_t *> m_shapes;
    list_dyn_t<physics_joint_t *> m_joints;
    physics_server_t *m_server = nullptr;
    physics_material_t m_materials[PHYSICS_MATERIALS];
    uint8_t m_collides[PHYSICS_GROUPS][PHYSICS_GROUPS];
    uint8_t m_no_response[PHYSICS_GROUPS][PHYSICS_GROUPS];
    int m_draw_mode = PHYSICS_DRAW_FORCED;
    int m_query_group = 0;
    physics_avatar_t *m_avatar = nullptr;
    float m_accumulator = 0.0f;
    uint32_t m_steps_per_second = 30;
    float m_step_time = 1.0f / 30.0f;
    int m_pause = 0;
    float m_alpha = 0.0f;
};

}  // namespace quarn

#pragma once
// The player's walking body: one upright capsule body with one capsule shape, moved
// towards a desired velocity, kept upright, held still on flat-enough ground while
// standing and pushed along the ground while walking. A scene has at most one avatar
// (physics_scene_t::create_avatar); the scene calls update after every fixed step,
// before the bodies pull their poses. The avatar's owner deletes it; that clears the
// scene's avatar.
#include "game/visuals/physics/physics_types.h"
#include "qrncore/system/host_object.h"

namespace quarn {

class physics_scene_t;

class physics_avatar_t : public host_object_t {
public:
    physics_avatar_t() = default;
    // Deletes the shape and the body it made; no longer the scene's avatar.
    virtual ~physics_avatar_t();
    physics_avatar_t(const physics_avatar_t &) = delete;
    physics_avatar_t &operator=(const physics_avatar_t &) = delete;

    // The group of the shape and of the body (its sweep).
    virtual bool set_collision_group(int group) = 0;
    // Places the body at a world position.
    virtual bool set_position(const vec3_t &world_position) = 0;
    // The body's interpolated pose in world units.
    virtual const physics_pose_t &get_world_pose() = 0;
    virtual physics_body_t *get_body() const = 0;
    virtual physics_shape_t *get_shape() const = 0;
    // One fixed step of the avatar's control (the scene calls it).
    virtual void update() = 0;
    // Wakes and enables the avatar, stopped.
    virtual void activate() = 0;
    // Stops it, then puts the body to sleep and disables the shape.
    virtual void deactivate() = 0;
    // Makes (or remakes) the body and the capsule, in world units: a capsule of
    // mass along the vertical, with the sweep on and auto-disable off. False (logged)
    // when the values are refused or an object cannot be made.
    virtual bool create(float mass, float length, float radius) = 0;
    // The desired velocity (scene units a second). The avatar moves when its
    // squared length is 0.001 or more. A non-finite velocity is refused (logged).
    virtual bool move(const vec3_t &velocity) = 0;

    physics_scene_t *get_scene() const { return m_scene; }
    void set_scene(physics_scene_t *scene) { m_scene = scene; }
    // Gets every contact of the avatar's shape as well (null: none).
    void set_owner_listener(physics_contact_listener_t *listener) { m_owner_listener = listener; }
    physics_contact_listener_t *get_owner_listener() const { return m_owner_listener; }

protected:
    physics_scene_t *m_scene = nullptr;
    physics_contact_listener_t *m_owner_listener = nullptr;
};

}  // namespace quarn

#pragma once
// avatar_view_t: a scene object that is also a camera and walks the world as a physics
// avatar (docs/player.md). It owns the avatar: attach_to_scene makes it in the
// world's physics scene (an upright capsule of 50 kg, 0.8 long and 0.5 in radius in
// world units, collision group 4, never drawn, material 0); its position is the
// avatar's, its camera the avatar body's interpolated pose and its velocity the body's.
// Before attach_to_scene (or without a scene) it stands at the origin.
#include <memory>

#include "game/scene/scene_object.h"
#include "game/scene/scene_view.h"

namespace quarn {

class physics_avatar_t;

class avatar_view_t : public virtual scene_object_t, public virtual scene_view_t {
public:
    static constexpr float AVATAR_MASS = 50.0f;
    static constexpr float AVATAR_LENGTH = 0.8f;
    static constexpr float AVATAR_RADIUS = 0.5f;
    static constexpr int AVATAR_GROUP = 4;
    static constexpr int AVATAR_DRAW_MODE = 2;  // never drawn
    static constexpr int AVATAR_MATERIAL = 0;

    avatar_view_t();
    ~avatar_view_t() override;
    avatar_view_t(const avatar_view_t &) = delete;
    avatar_view_t &operator=(const avatar_view_t &) = delete;

    // The avatar's world position (the origin without one).
    vec3_t get_position() const override;
    // Moves the avatar (nothing without one).
    void set_position(const vec3_t &position) override;
    // Makes the avatar in the scene, replacing an earlier one (of this view or not);
    // null or a failing scene leaves the view without an avatar (logged).
    void attach_to_scene(physics_scene_t *scene) override;

    vec3_t get_velocity() const override;
    placement_t get_placement() const override;

    physics_avatar_t *get_avatar() const { return m_avatar.get(); }

private:
    std::unique_ptr<physics_avatar_t> m_avatar;
};

}  // namespace quarn

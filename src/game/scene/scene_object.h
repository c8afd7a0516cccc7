#pragma once
// scene_object_t: an object of the update list that can stand for the player
// (base_ctrl_u::get_player): the hunter, the menu view, the screensaver view. Map
// start-up places it, the game process asks it for the held weapon's overlay, the
// weapons read its rotation. Every operation has a neutral default, so a view that
// carries no avatar or weapon implements only update.
#include "game/scene/updatable.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/vec.h"

namespace quarn {

class physics_scene_t;

class scene_object_t : public updatable_t {
public:
    // The origin by default.
    virtual vec3_t get_position() const;
    // The identity by default.
    virtual quat_t get_rotation() const;
    virtual void set_position(const vec3_t &position);
    virtual void set_rotation(const quat_t &rotation);
    // Puts the object's physical part (an avatar) into the world's physics scene;
    // null takes it out (before the scene goes). Nothing by default.
    virtual void attach_to_scene(physics_scene_t *scene);
    // True when the game process must draw the held weapon over the scene (then it
    // calls draw_weapon_overlay in the first-person viewport); false by default.
    virtual bool has_weapon_overlay() const;
    virtual void draw_weapon_overlay();
};

}  // namespace quarn

#pragma once
// hunter_t: the player of a hunt, as the hunt controller, the weapons and the bonuses
// use it. The player view makes it (its eye is the hunt's main camera, its avatar
// walks the world); the hunt makes it through the factory row HUNTER_FACTORY, so the
// hunt builds and runs before the player view exists. Without a row the hunt has no
// player: it logs that once and every player step is skipped.
#include <cstdint>

#include "game/scene/scene_object.h"
#include "game/scene/scene_view.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/vec.h"

namespace quarn {

class hunt_ctrl_u;
class start_point_u;

// The two bases are virtual, so a hunter may also derive from a view class that
// carries them itself (the player view's avatar_view_t).
class hunter_t : public virtual scene_object_t, public virtual scene_view_t {
public:
    // The state word: 0 while the hunter can act; anything else (dying, dead) mutes
    // the voice cues.
    static constexpr int32_t STATE_NORMAL = 0;

    // The start point the hunter stands at: the view may turn at most its view limit
    // (degrees) to either side of its direction. Null: no limit.
    virtual void set_yaw_range(const start_point_u *start) = 0;
    // The round was won: the weapon is lowered and put away.
    virtual void drop_weapons() = 0;
    // Killed by a dangerous animal: the death sequence (cue, dying, red flash), at
    // whose end the hunter calls the hunt's round_end (4).
    virtual void start_death() = 0;
    virtual int32_t get_state() const = 0;
    // A weapon's kick, its recoil setup: at the peak the eye is moved by drop along its
    // own y and by back along its own z, and turned up by angle degrees; the kick
    // comes and goes over time seconds.
    virtual void apply_recoil(float drop, float back, float angle, float time) = 0;
    // scene_object_t's get_rotation is the hunter's orientation (the weapons aim by it).
};

// The factory row's name and signature: a new hunter for the hunt, owned by the
// caller (deleted with delete), or null.
inline constexpr const char HUNTER_FACTORY[] = "hunter.create";
using hunter_factory_fn_t = hunter_t *(hunt_ctrl_u &hunt);

}  // namespace quarn

#pragma once
// The timed effects of a hunt, as the hunt controller runs them.
//
// hunt_bonus_u (unit type "hunt_bonus", abstract): a bonus the player was given (an
// animal carried it, or the fever key). The concrete bonuses are unit classes named
// "<name>_bonus" ("fever_bonus", "sunglasses_bonus"); the hunt makes them by that name
// (give_bonus). Kind bits say what a bonus is (two bonuses of one kind do not run
// together: the new one ends the old one); blocked bits say which kinds may not start
// while it runs.
//
// party_gift_u (unit type "party_gift", abstract): a party gift another player sent,
// acting on this player for a while. Made by name as "<name>_gift"; one at a time.
//
// The hunt calls, per frame while the round runs: update (dt, real seconds), then
// is_finished; a finished one is removed (remove) and destroyed. apply runs once when
// it starts; adjust_scene after the scene's camera and lights each frame. remove may
// end other bonuses through the hunt (end_bonuses_of_kind); the hunt defers such
// requests until its walk is over.
#include <cstdint>

#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

class hunt_bonus_u : public unit_t {
    QRN_UNIT_CLASS(hunt_bonus_u, unit_t);

public:
    virtual bool is_finished() const = 0;
    virtual void update(float dt) = 0;
    virtual void apply() = 0;
    virtual void remove() = 0;
    virtual void adjust_scene() = 0;
    virtual uint32_t get_kind_bits() const = 0;
    virtual uint32_t get_blocked_bits() const = 0;
    // Lengthens a running bonus (the fever bonus when the fever level is reached
    // again); nothing by default.
    virtual void extend(float seconds);
};

class party_gift_u : public unit_t {
    QRN_UNIT_CLASS(party_gift_u, unit_t);

public:
    virtual bool is_finished() const = 0;
    virtual void update(float dt) = 0;
    virtual void apply() = 0;
    virtual void remove() = 0;
    virtual void adjust_scene() = 0;
    // Whether the gift draws over the scene this frame, and that drawing: none unless
    // the gift says otherwise.
    virtual bool has_overlay_pass() const { return false; }
    virtual void draw_overlay() {}
};

}  // namespace quarn

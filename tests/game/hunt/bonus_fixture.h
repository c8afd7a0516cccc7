#pragma once
// The hunt's bonuses and gifts as a round runs them: the player's fixture (a running
// hunt on a flat map, the real player, rifles made in code, recorded sounds) with
// - the real bonus and gift classes in place of the hunt fixture's stand-ins of the
//   same names;
// - the rifles "3006_bolt" (the default), "3030_lever" and "7mm_auto", clips of 5;
// - a HUD that also writes its bonus slots and fever display into the journal
//   ("hud.bonus <slot> on <label>" / "hud.bonus <slot> off", "hud.fever on|off") and
//   keeps the timers it was given;
// - every voice table the bonuses and gifts cue.
#include <map>
#include <string>

#include "../player/player_fixture.h"
#include "qrncore/system/timers.h"

namespace quarn::test {

class bonus_hud_t : public recording_hud_t {
public:
    void set_bonus(uint32_t slot, bool on, const expire_timer_t *timer, const char *label) override;
    void set_fever(const expire_timer_t *timer) override;

    // The timer each slot shows (null while off); the fever display's.
    static inline std::map<uint32_t, const expire_timer_t *> slots;
    static inline const expire_timer_t *fever = nullptr;
};

class bonus_fixture_t : public player_fixture_t {
protected:
    void SetUp() override;
    void TearDown() override;

    // Gives the bonus through the hunt, as an animal or the fever key does.
    bool give(const char *name) { return hunt->give_bonus(name); }
    // The hunt's active bonuses by type name, in order, joined by " ".
    std::string active_bonuses() const;
    // Frames until the player holds the rifle (each frame ends the held rifle's
    // running animation first); at most 30 frames.
    void settle_on(weapon_u *rifle);

    counting_rifle_u *autoloader = nullptr;
};

}  // namespace quarn::test

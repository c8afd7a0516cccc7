#pragma once
// What the hunt's bonuses and party gifts share: the strength ramp of a timed effect,
// the sounds they play under the hunt's sound tag, and the parts of the running hunt
// (hunt_ctrl_u::current) they act on: its player, its HUD, its game data. Every
// accessor answers null when the part is missing (no hunt is current, the hunt has no
// player, no HUD window is open): callers skip what they cannot reach.
#include "qrncore/system/timers.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class game_data_t;
class hunt_ctrl_u;
class hunt_hud_t;
class player_t;
class sound_u;
class weapon_u;

// The strength of a timed effect of duration d with r seconds left (r below 0 counts
// as 0): rising over the first second (d - r while that is below 1), falling over the
// last (r while below 1), else 1. Without ramp_in the first second is already at
// full strength (an extended fever).
float effect_strength(float duration, float remaining, bool ramp_in = true);

// A timed effect's clock: the HUD's bars read the same record (expire_timer_t), so an
// effect hands the HUD its own timer and switches the HUD off before it goes.
struct effect_timer_t : expire_timer_t {
    explicit effect_timer_t(float duration) : expire_timer_t(duration, 0.0f) {}
    // Starts the whole duration anew.
    void start() { remaining = total; }
    bool is_running() const { return remaining > 0.0f; }
    // remaining − dt while it runs; false (nothing changed) once it has run out.
    bool step(float dt);
    float strength(bool ramp_in = true) const { return effect_strength(total, remaining, ramp_in); }
};

// The running hunt's player, its held weapon, its HUD, and the game data.
player_t *running_player();
weapon_u *running_weapon();
hunt_hud_t *running_hud();
game_data_t *running_game_data();

// Plays the file once at volume under the hunt's sound tag; the sound front-end lets
// it go when it ends. Nothing when no sound can be made.
void play_effect_sound(const char *path, float volume);
// A sound of the file at volume under the hunt's tag, asked to play and held by the
// caller; loop: it keeps its request while unheard and plays on (a loop). Null when
// no sound can be made.
owner_ptr_ret_t<sound_u> start_effect_sound(const char *path, float volume, bool loop);
// Asks a held sound to stop (it stays held); nothing for null.
void stop_effect_sound(sound_u *sound);
// Whether a held sound still plays (its play request stands); false for null.
bool effect_sound_playing(const sound_u *sound);

}  // namespace quarn

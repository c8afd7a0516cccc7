#pragma once
// hunt_hud_t: the in-game HUD as the hunt, the weapons and the bonuses drive it. The
// handler of the HUD window "game"/"hud" (WINDOW_GAME_HUD) implements it; callers
// reach it through the window (hunt_hud_of) or, simplest, through the running hunt
// (hunt_ctrl_u::get_hud).
#include <cstdint>

namespace quarn {

class c_item_t;
class expire_timer_t;

class hunt_hud_t {
public:
    // Shot-score flags.
    static constexpr uint32_t SCORE_VITAL = 1;
    static constexpr uint32_t SCORE_LONG_SHOT = 2;
    static constexpr uint32_t SCORE_SKILL_SHOT = 4;
    // Danger marker sides.
    static constexpr int32_t DANGER_AHEAD = 1;
    static constexpr int32_t DANGER_LEFT = 2;
    static constexpr int32_t DANGER_RIGHT = 3;
    // Bonus slots.
    static constexpr uint32_t SLOT_SUNGLASSES = 0;
    static constexpr uint32_t SLOT_EXTENDED_CLIP = 1;
    static constexpr uint32_t SLOT_QUICK_SHOOTER = 2;
    static constexpr uint32_t SLOT_WEAPON = 3;

    // An illegal shot: the base penalty, as a positive count (shown as "- %u").
    virtual void show_penalty(uint32_t points) = 0;
    // The fever bar takes a pulse (the fever points changed).
    virtual void pulse_fever() = 0;
    // The fever bonus can be called now.
    virtual void show_fever_enabled() = 0;
    // A kill's points with its flags (SCORE_*).
    virtual void show_shot_score(uint32_t points, uint32_t flags) = 0;
    // The message line: a voice cue's caption at the cue's priority.
    virtual void show_message(const char *text, int32_t priority) = 0;
    // A party gift arrived from the sender.
    virtual void show_gift_received(const char *gift_name, const char *sender_name) = 0;
    // The clip is empty: the reload effect and cue.
    virtual void show_reload() = 0;
    // A dangerous animal: DANGER_* side.
    virtual void show_danger(int32_t side) = 0;
    // The ammunition row: the round's glyph, rounds loaded and the clip's capacity.
    virtual void set_ammo(const char *glyph, uint32_t loaded, uint32_t capacity) = 0;
    // A bonus slot (SLOT_*) on with a time bar over the bonus's timer, read while it
    // is on; or off (timer may be null). The owner switches the slot off before its
    // timer goes.
    virtual void set_bonus(uint32_t slot, bool on, const expire_timer_t *timer, const char *label) = 0;
    // The fever display over the fever's timer, or hidden for null.
    virtual void set_fever(const expire_timer_t *timer) = 0;
    virtual void show_crosshair(bool visible) = 0;

protected:
    ~hunt_hud_t() = default;
};

// The HUD of a window's handler; null for no window, no handler, or a handler that is
// no HUD.
hunt_hud_t *hunt_hud_of(c_item_t *window);

}  // namespace quarn

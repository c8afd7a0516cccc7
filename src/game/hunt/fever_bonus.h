#pragma once
// fever_bonus_u ("fever_bonus"): the fever, called with the fever key once the fever
// points are full. For 20 s the scene runs in slow motion (time factor down to 0.5),
// the view narrows to 45° with a calmer look, the scene turns bluish, every score
// counts twice and the rifle is raised to aim with a full clip. Kind bits 3, blocked
// bits 3: it ends the sunglasses (and a running fever), and neither may start while
// it runs. Reaching full fever points again extends it by 5 s (extend).
//
// Sounds: the start sound, then a loop once it has ended, then the end sound when the
// last second begins. Removal puts the scene back: time factor 1, field of view 60,
// look sensitivity 1, the hunt's score multiplier 1, the aim released, the HUD's fever
// display hidden. A fever destroyed while it runs (its hunt ends) is removed first.
#include <cstdint>

#include "game/hunt/bonus_kit.h"
#include "game/hunt/hunt_bonus.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class sound_u;

class fever_bonus_u : public hunt_bonus_u {
    QRN_UNIT_CLASS(fever_bonus_u, hunt_bonus_u);

public:
    static constexpr float DURATION = 20.0f;
    static constexpr uint32_t KIND = 3;
    static constexpr uint32_t MULTIPLIER = 2;
    static constexpr float SLOWEST_TIME_FACTOR = 0.5f;
    static constexpr float FOV = 45.0f;
    static constexpr float SOUND_VOLUME = 0.9f;
    static constexpr const char *START_SOUND = "/sound/game/fever_start.ogg";
    static constexpr const char *LOOP_SOUND = "/sound/game/fever_loop.ogg";
    static constexpr const char *END_SOUND = "/sound/game/fever_end.ogg";

    // What the held sound is: the start sound (or nothing), the loop, or the end
    // sound was played.
    enum sound_state_t : int32_t { SOUND_START = 0, SOUND_LOOP = 1, SOUND_END = 2 };

    // The look sensitivity for a field of view (degrees): 1 / 1.3^(tan 30° / tan(fov / 2)).
    static float look_sensitivity_for(float fov);

    bool is_finished() const override { return !m_timer.is_running(); }
    // Starts the 20 s, the start sound, the doubled score, the full clip, the aim and
    // the HUD's fever display.
    void apply() override;
    // The timer; while it runs: the strength (no first-second ramp once extended),
    // the sounds, then the time factor 1 − s / 2, the field of view 60 (1 − s) + 45 s
    // and the look sensitivity of that view.
    void update(float dt) override;
    void remove() override;
    // The scene's lights and fog bluish: red and green × (1 − s / 2).
    void adjust_scene() override;
    uint32_t get_kind_bits() const override { return KIND; }
    uint32_t get_blocked_bits() const override { return KIND; }
    // What is left (at least 0) + seconds becomes the whole duration; the HUD's fever
    // display is refreshed and the loop plays (again).
    void extend(float seconds) override;

    const effect_timer_t &get_timer() const { return m_timer; }
    float get_strength() const { return m_strength; }
    int32_t get_sound_state() const { return m_sound_state; }
    sound_u *get_sound() const;

protected:
    void on_destroy();

private:
    effect_timer_t m_timer{DURATION};
    float m_strength = 0.0f;
    bool m_extended = false;
    // Applied and not yet removed: a fever that goes with its hunt (the round ended
    // while it ran) undoes itself, since the view settings live on in the game data.
    bool m_applied = false;
    int32_t m_sound_state = SOUND_START;
    owner_ptr_t<sound_u> m_sound;
};

}  // namespace quarn

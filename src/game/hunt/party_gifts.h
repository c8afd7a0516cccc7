#pragma once
// The party gifts but the annoy gift (annoy_gift.h), each a unit the hunt makes by the
// name "<gift>_gift" when another player's gift reaches this one (docs/bonuses.md):
//
//   gift              lasts  what it does
//   shake_gift_u      5 s    a beat at once and then every second: a thump and the
//                            player's view shake
//   speed_gift_u      5 s    the round's animals surge: the hunt's target speed
//                            factor swings between 1 and 3 once a second
//   cloak_gift_u      7 s    the scene's highlight light fades toward the sun's
//   handswap_gift_u   5 s    the look's left and right are swapped
//   headstand_gift_u  7 s    the view turns upside down (look inverted both ways,
//                            gravity upward) and back
//
// A gift is finished once its time has run out; the hunt then removes it. Steps on
// the player and the world are skipped when the hunt has none.
#include <cstdint>

#include "game/hunt/bonus_kit.h"
#include "game/hunt/hunt_bonus.h"

namespace quarn {

inline constexpr float GIFT_SOUND_VOLUME = 0.9f;

class shake_gift_u : public party_gift_u {
    QRN_UNIT_CLASS(shake_gift_u, party_gift_u);

public:
    static constexpr float DURATION = 5.0f;
    bool is_finished() const override { return !m_timer.is_running(); }
    const effect_timer_t &get_timer() const { return m_timer; }
    static constexpr float BEAT_INTERVAL = 1.0f;
    static constexpr const char *BEAT_SOUND = "/sound/game/shake_beat.ogg";

    // The timer, and the first beat at the next update.
    void apply() override;
    // While the timer runs: a beat (sound, the player's view shake) whenever the time
    // to it has run out, then the next one a beat interval later.
    void update(float dt) override;
    void remove() override { m_timer.remaining = 0.0f; }
    void adjust_scene() override {}

protected:
    effect_timer_t m_timer{DURATION};

private:
    float m_next_beat = 0.0f;
};

class speed_gift_u : public party_gift_u {
    QRN_UNIT_CLASS(speed_gift_u, party_gift_u);

public:
    static constexpr float DURATION = 5.0f;
    bool is_finished() const override { return !m_timer.is_running(); }
    const effect_timer_t &get_timer() const { return m_timer; }
    static constexpr float LEAST_FACTOR = 0.01f;

    // The factor of a strength s at e seconds into the gift: 1 + 2 s (sin 2πe + 1) / 2,
    // at least 0.01.
    static float speed_factor(float strength, float elapsed);

    void apply() override { m_timer.start(); }
    // While the timer runs: the hunt's target speed factor.
    void update(float dt) override;
    // The target speed factor back to 1.
    void remove() override;
    void adjust_scene() override {}

protected:
    effect_timer_t m_timer{DURATION};
};

class cloak_gift_u : public party_gift_u {
    QRN_UNIT_CLASS(cloak_gift_u, party_gift_u);

public:
    static constexpr float DURATION = 7.0f;
    bool is_finished() const override { return !m_timer.is_running(); }
    const effect_timer_t &get_timer() const { return m_timer; }
    void apply() override { m_timer.start(); }
    void update(float dt) override;
    void remove() override { m_timer.remaining = 0.0f; }
    // With strength s, light packet 5's first row moves toward packet 0's (red and
    // blue also dimmed by 1 − 0.3 s) and its second row fades by 1 − s.
    void adjust_scene() override;
    float get_strength() const { return m_strength; }

protected:
    effect_timer_t m_timer{DURATION};

private:
    float m_strength = 0.0f;
};

class handswap_gift_u : public party_gift_u {
    QRN_UNIT_CLASS(handswap_gift_u, party_gift_u);

public:
    static constexpr float DURATION = 5.0f;
    bool is_finished() const override { return !m_timer.is_running(); }
    const effect_timer_t &get_timer() const { return m_timer; }
    // The spoken warning, under the language folder of "g_lang".
    static constexpr const char *VOICE_FORMAT = "/l10n/%s/sound/voiceover/gift/right_left.ogg";

    // The timer, the player's left and right swapped (up and down as they are), the
    // spoken warning.
    void apply() override;
    void update(float dt) override { m_timer.step(dt); }
    // Both of the player's look flags off.
    void remove() override;
    void adjust_scene() override {}

protected:
    effect_timer_t m_timer{DURATION};
};

class headstand_gift_u : public party_gift_u {
    QRN_UNIT_CLASS(headstand_gift_u, party_gift_u);

public:
    static constexpr float DURATION = 7.0f;
    bool is_finished() const override { return !m_timer.is_running(); }
    const effect_timer_t &get_timer() const { return m_timer; }
    static constexpr float TURN_TIME = 0.5f;
    static constexpr float UPSIDE_DOWN_GRAVITY = 2.0f;
    static constexpr float NORMAL_GRAVITY = -9.81f;
    static constexpr const char *START_SOUND = "/sound/game/headstand_start.ogg";
    static constexpr const char *END_SOUND = "/sound/game/headstand_end.ogg";

    enum phase_t : int32_t { PHASE_NONE = 0, PHASE_TURNING = 1, PHASE_UPSIDE_DOWN = 2, PHASE_RETURNING = 3 };

    void apply() override;
    // While the timer runs, with e seconds gone and r left: turning over for the first
    // 0.5 s (the view rotation (2e)² π about z), upside down while r is at least 0.5
    // (π about z, the look inverted both ways, gravity (0, 2, 0)), turning back over
    // the last 0.5 s (2π − (2r)² π), so the view ends upright after one full turn.
    void update(float dt) override;
    // The view rotation, the look flags and gravity (0, −9.81, 0) back.
    void remove() override;
    void adjust_scene() override {}
    int32_t get_phase() const { return m_phase; }

protected:
    effect_timer_t m_timer{DURATION};

private:
    int32_t m_phase = PHASE_NONE;
};

}  // namespace quarn

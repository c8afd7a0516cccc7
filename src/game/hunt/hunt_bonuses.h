#pragma once
// The hunt's bonuses but the fever (fever_bonus.h), each a unit the hunt makes by
// the name "<bonus>_bonus" (docs/bonuses.md):
//
//   bonus                  kind bits  what it does
//   quick_shooter_bonus_u  0          the held rifle runs up to twice as fast (any
//                                     number run at once)
//   weapon_bonus_u         4          (abstract) the player takes another rifle:
//     weapon_3030_bonus_u               the "3030_lever"
//     weapon_7mm_bonus_u                the "7mm_auto"
//   extended_clip_bonus_u  8          the held rifle's clip is doubled
//   sunglasses_bonus_u     1          a tinted, slightly zoomed view
//
// None blocks another. Each lasts 20 s, shows its HUD slot with its own timer while
// it runs and announces itself with a voice cue (played delayed, by name).
// Steps on the player and its rifle are skipped when the hunt has no player or the
// player holds no rifle.
#include <cstdint>

#include "game/hunt/bonus_kit.h"
#include "game/hunt/hunt_bonus.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class weapon_u;

// Red and green of every colour row of the scene's light packets 0-4 and 7 times
// red_green and blue times blue; the first row of packet 5 times highlight; the fog
// packet's colour the environment fog's colour with red and green times fog_red_green
// and blue times blue, and, when fog_intensity is not negative, its intensity the
// fog's current intensity times fog_intensity. What the scene lacks is skipped.
struct scene_tint_t {
    float red_green = 1.0f;
    float blue = 1.0f;
    float highlight = 1.0f;
    float fog_intensity = -1.0f;
};
void tint_scene(const scene_tint_t &tint);

// Every bonus lasts this long; its remaining time is 0 until it is applied, and it is
// finished once the time has run out.
inline constexpr float BONUS_DURATION = 20.0f;

class quick_shooter_bonus_u : public hunt_bonus_u {
    QRN_UNIT_CLASS(quick_shooter_bonus_u, hunt_bonus_u);

public:
    bool is_finished() const override { return !m_timer.is_running(); }
    uint32_t get_blocked_bits() const override { return 0; }
    const effect_timer_t &get_timer() const { return m_timer; }
    static constexpr const char *VOICE = "vo.quick.shooter";

    uint32_t get_kind_bits() const override { return 0; }
    void adjust_scene() override {}
    void apply() override;
    // The timer, the ramp, and the player's weapon speed 1 + strength.
    void update(float dt) override;
    void remove() override;
    float get_strength() const { return m_strength; }

protected:
    effect_timer_t m_timer{BONUS_DURATION};

private:
    float m_strength = 0.0f;
};

class weapon_bonus_u : public hunt_bonus_u {
    QRN_UNIT_CLASS(weapon_bonus_u, hunt_bonus_u);

public:
    bool is_finished() const override { return !m_timer.is_running(); }
    uint32_t get_blocked_bits() const override { return 0; }
    const effect_timer_t &get_timer() const { return m_timer; }
    static constexpr uint32_t KIND = 4;
    static constexpr const char *VOICE = "vo.weapon.bonus";

    // The rifle the player takes, and the label of the HUD's weapon slot.
    virtual const char *get_weapon_name() const = 0;
    virtual const char *get_bonus_name() const = 0;

    uint32_t get_kind_bits() const override { return KIND; }
    void adjust_scene() override {}
    // The player switches to the rifle; the HUD's weapon slot shows the label.
    void apply() override;
    void update(float dt) override { m_timer.step(dt); }
    // The player switches back to the default rifle.
    void remove() override;

protected:
    effect_timer_t m_timer{BONUS_DURATION};
};

class weapon_3030_bonus_u : public weapon_bonus_u {
    QRN_UNIT_CLASS(weapon_3030_bonus_u, weapon_bonus_u);

public:
    const char *get_weapon_name() const override { return "3030_lever"; }
    const char *get_bonus_name() const override { return "weapon_3030"; }
};

class weapon_7mm_bonus_u : public weapon_bonus_u {
    QRN_UNIT_CLASS(weapon_7mm_bonus_u, weapon_bonus_u);

public:
    const char *get_weapon_name() const override { return "7mm_auto"; }
    const char *get_bonus_name() const override { return "weapon_7mm"; }
};

class extended_clip_bonus_u : public hunt_bonus_u {
    QRN_UNIT_CLASS(extended_clip_bonus_u, hunt_bonus_u);

public:
    bool is_finished() const override { return !m_timer.is_running(); }
    uint32_t get_blocked_bits() const override { return 0; }
    const effect_timer_t &get_timer() const { return m_timer; }
    static constexpr uint32_t KIND = 8;
    static constexpr const char *VOICE = "vo.extended.clip";

    uint32_t get_kind_bits() const override { return KIND; }
    void adjust_scene() override {}
    void apply() override;
    // The timer; whenever the player holds another rifle than the one enlarged, that
    // one gets its own clip size back and the held one a clip of twice its size, full.
    void update(float dt) override;
    // The enlarged rifle gets its clip size back (its rounds cut to it).
    void remove() override;
    weapon_u *get_weapon() const;

protected:
    effect_timer_t m_timer{BONUS_DURATION};

    void on_destroy();

private:
    void give_back();

    ref_ptr_t<weapon_u> m_weapon;
    int32_t m_saved_clip_size = 0;
};

class sunglasses_bonus_u : public hunt_bonus_u {
    QRN_UNIT_CLASS(sunglasses_bonus_u, hunt_bonus_u);

public:
    bool is_finished() const override { return !m_timer.is_running(); }
    uint32_t get_blocked_bits() const override { return 0; }
    const effect_timer_t &get_timer() const { return m_timer; }
    static constexpr uint32_t KIND = 1;
    static constexpr const char *VOICE = "vo.sunglasses";
    static constexpr float ZOOMED_FOV = 55.0f;

    uint32_t get_kind_bits() const override { return KIND; }
    void apply() override;
    // The timer, the ramp, and the game data's field of view 60 (1 − s) + 55 s.
    void update(float dt) override;
    // The field of view back to 60.
    void remove() override;
    // The scene darker and yellower (blue × 1 − s), its fog thinner.
    void adjust_scene() override;
    float get_strength() const { return m_strength; }

protected:
    effect_timer_t m_timer{BONUS_DURATION};

    // Destroyed while it runs (its hunt ends): removed first, so the game data's field
    // of view does not stay zoomed into the next round.
    void on_destroy();

private:
    float m_strength = 0.0f;
    bool m_applied = false;
};

}  // namespace quarn

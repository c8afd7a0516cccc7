#pragma once
// player_t: the hunter of a hunt (docs/player.md). Its eye is the hunt's main camera:
// 1.65 above its physics avatar, turned by the mouse and the look keys within the start
// point's view limit. It holds and switches the rifles and runs the held one, takes
// the recoil kick of each shot and the view shake of the party gift, shows the HUD
// while it is the active view, and plays the death sequence when a dangerous animal
// reaches it. The hunt makes it through the factory row HUNTER_FACTORY.
//
// The bonuses and gifts reach it with player_t::of(ctrl) (or current()).
#include <cstdint>

#include "game/game_alloc.h"
#include "game/hunt/hunter.h"
#include "game/player/avatar_view.h"
#include "game/weapons/weapon.h"
#include "qrncore/geometry/frustum.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/vec.h"
#include "qrncore/math/ypr.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class base_ctrl_u;
class hunt_ctrl_u;

class player_t : public avatar_view_t, public hunter_t {
public:
    QRN_GAME_ALLOC

    // A countdown: relative elapsed time (duration - remaining) / duration.
    struct timer_t {
        float duration = 0.0f;
        float remaining = 0.0f;
        float elapsed_share() const { return duration > 0.0f ? (duration - remaining) / duration : 1.0f; }
    };

    static constexpr float EYE_HEIGHT = 1.65f;
    static constexpr float KEY_LOOK_SPEED = 60.0f;  // degrees a second
    static constexpr float PITCH_MIN = -40.0f;
    static constexpr float PITCH_MAX = 65.0f;
    static constexpr float TURN_BOOST_GROWTH = 13.0f;  // a second
    static constexpr float TURN_BOOST_MAX = 10.0f;
    static constexpr float MOUSE_SCALE = 0.2f;
    static constexpr float SHAKE_DURATION = 0.8f;
    static constexpr float BASE_FOV = 60.0f;
    static constexpr float SHAKE_FOV = 3.0f;
    static constexpr uint32_t DEATH_FLASH = 0x300000ffu;
    static constexpr float DEATH_FLASH_FADE_IN = 0.5f;
    static constexpr float STEP_SOUND_VOLUME = 0.6f;
    static constexpr int32_t STATE_DYING = 1;
    static constexpr const char *DEFAULT_WEAPON = "3006_bolt";
    static constexpr const char *PARTY_WEAPON = "3030_lever";
    static constexpr const char *DEATH_CUE = "vo.death";

    // Impulse codes of the look control.
    enum impulse_t : int {
        IMPULSE_LEFT = 102,
        IMPULSE_RIGHT = 103,
        IMPULSE_LOOKUP = 107,
        IMPULSE_LOOKDOWN = 108,
        IMPULSE_FASTTURN = 109,
        IMPULSE_MLEFT = 110,
        IMPULSE_MRIGHT = 111,
        IMPULSE_MLOOKUP = 112,
        IMPULSE_MLOOKDOWN = 113,
    };

    // One step of the death sequence (step 0 is never played).
    struct death_step_t {
        ypr_t rotation;  // degrees, after the look's yaw
        vec3_t offset;
        float duration;
        const char *sound;  // null: none
    };
    static constexpr uint32_t DEATH_STEP_COUNT = 3;
    static const death_step_t DEATH_STEPS[DEATH_STEP_COUNT];

    explicit player_t(hunt_ctrl_u &hunt);
    ~player_t() override;

    // The player of a controller (null when it has none or it is no player_t), and
    // of the current controller.
    static player_t *of(base_ctrl_u *ctrl);
    static player_t *current();

    // ---- scene object ----
    // Switches the body's gravity off, shows the hunt's HUD, takes and raises the
    // default weapon.
    void on_attached() override;
    // dt is ignored: the player steps by the kernel's last frame time, not by the
    // scene's scaled time.
    void update(float dt) override;
    quat_t get_rotation() const override { return m_look_rotation; }
    // The view faces q: its yaw becomes the centre of the yaw range. A non-finite q
    // is refused (logged); the rotation stays.
    void set_rotation(const quat_t &q) override;
    bool has_weapon_overlay() const override { return true; }
    // The held weapon, drawn only while this player is the controller's active view.
    void draw_weapon_overlay() override;

    // ---- scene view ----
    placement_t get_placement() const override { return m_eye; }
    const frustum_t *get_frustum() const override { return &m_frustum; }

    // ---- hunter ----
    void set_yaw_range(const start_point_u *start) override;
    void drop_weapons() override;
    void start_death() override;
    int32_t get_state() const override { return int32_t(m_dying); }
    void apply_recoil(float drop, float back, float angle, float time) override;

    // ---- weapons ----
    // The live weapon unit of that name becomes the next one (an empty or null name:
    // the default weapon); the held one is lowered first. An unknown name: no change
    // pending.
    void set_next_weapon(const char *name);
    weapon_u *get_weapon() const { return m_weapon.get(); }
    weapon_u *get_next_weapon() const { return m_next_weapon.get(); }
    weapon_u *get_default_weapon() const { return m_default_weapon.get(); }
    // Factor on the time the held weapon is stepped by (quick shooter).
    float get_weapon_time_scale() const { return m_weapon_time_scale; }
    void set_weapon_time_scale(float scale) { m_weapon_time_scale = scale; }
    // Handed to the held weapon's set_aim every frame (the fever raises the rifle).
    bool get_aim_input() const { return m_aim_input; }
    void set_aim_input(bool aim) { m_aim_input = aim; }

    // ---- gifts ----
    // Mirror the horizontal (mouse x and turn keys) / vertical look input.
    bool get_invert_x() const { return m_invert_x; }
    bool get_invert_y() const { return m_invert_y; }
    void set_invert_x(bool on) { m_invert_x = on; }
    void set_invert_y(bool on) { m_invert_y = on; }
    // The view shake at its full amplitude (restarts the 0.8 s timer).
    void start_shake() { m_shake_timer.remaining = m_shake_timer.duration; }
    const timer_t &get_shake_timer() const { return m_shake_timer; }

    // ---- state, for the HUD, the tests and the debug views ----
    const ypr_t &get_look_ypr() const { return m_look_ypr; }
    float get_yaw_centre() const { return m_yaw_centre; }
    float get_turn_boost() const { return m_turn_boost; }
    uint32_t get_death_step() const { return m_death_step; }
    const timer_t &get_death_timer() const { return m_death_timer; }
    const timer_t &get_recoil_timer() const { return m_recoil_timer; }
    // True while this player is the controller's active view.
    bool is_active_view() const;

private:
    void step_hud();
    void step_look(float dt);
    void step_weapon_change();
    void step_death(float dt);
    void step_recoil(float dt);
    void step_shake(float dt);
    void refresh_frustum();
    void place_eye();
    weapon_u *find_weapon(const char *name) const;
    void play_step_sound(const char *path);

    hunt_ctrl_u &m_hunt;
    quat_t m_look_rotation;
    ypr_t m_look_ypr;
    frustum_t m_frustum;
    placement_t m_eye;
    ref_ptr_t<weapon_u> m_weapon;
    ref_ptr_t<weapon_u> m_next_weapon;
    ref_ptr_t<weapon_u> m_default_weapon;
    float m_weapon_time_scale = 1.0f;
    bool m_aim_input = false;
    float m_yaw_range = -1.0f;
    float m_yaw_centre = 0.0f;
    uint32_t m_dying = 0;
    quat_t m_death_from_rotation;
    quat_t m_death_to_rotation;
    vec3_t m_death_from_offset{0.0f, 0.0f, 0.0f};
    vec3_t m_death_to_offset{0.0f, 0.0f, 0.0f};
    timer_t m_death_timer;
    uint32_t m_death_step = 0;
    timer_t m_recoil_timer;
    float m_recoil_drop = 0.0f;
    float m_recoil_back = 0.0f;
    float m_recoil_angle = 0.0f;
    float m_turn_boost = 1.0f;
    bool m_invert_x = false;
    bool m_invert_y = false;
    timer_t m_shake_timer{SHAKE_DURATION, 0.0f};
};

}  // namespace quarn

#include "game/player/player.h"

#include <cmath>

#include "game/game_data.h"
#include "game/hunt/hunt_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/session/window_desc.h"
#include "game/visuals/physics/physics_avatar.h"
#include "game/visuals/physics/physics_body.h"
#include "game/weapons/weapon.h"
#include "game/world/start_point.h"
#include "game/one_shot_sound.h"
#include "kernel/input/input.h"
#include "kernel/sound/sound.h"
#include "kernel/sys.h"
#include "outside/qrnshared/ui/ui.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

namespace {

constexpr float RECOIL_RISE = 0.3f;            // share of the kick spent going up
constexpr float RECOIL_RISE_RATE = 3.3333333f;  // 1 / RECOIL_RISE
constexpr float RECOIL_FALL_RATE = 1.4285715f;  // 1 / (1 - RECOIL_RISE)
constexpr float SHAKE_BEATS = 25.132742f;       // four whole turns over the timer
constexpr float SHAKE_SWAY = 0.1f;
constexpr float SHAKE_TURN = 0.05235988f;       // 3 degrees, in radians
constexpr float DEGREES_TO_RADIANS = 0.017453292f;
constexpr int32_t STEP_SOUND_TAG = hunt_ctrl_u::SOUND_TAG;

const vec3_t EYE_OFFSET{0.0f, player_t::EYE_HEIGHT, 0.0f};

quat_t about_x(float radians) {
    quat_t q;
    q.set_axis_angle({1.0f, 0.0f, 0.0f}, radians);
    return q;
}

bool is_finite(const quat_t &q) {
    return std::isfinite(q.w) && std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z);
}

}  // namespace

const player_t::death_step_t player_t::DEATH_STEPS[DEATH_STEP_COUNT] = {
    {ypr_t(0.0f, 0.0f, 0.0f), {0.0f, 0.0f, 0.0f}, 0.0f, nullptr},
    {ypr_t(10.0f, 10.0f, 0.0f), {0.0f, 0.0f, 0.0f}, 0.3f, "/sound/animal/drop.ogg"},
    {ypr_t(10.0f, 40.0f, 40.0f), {0.0f, EYE_HEIGHT * -0.95f, 0.0f}, 2.5f, nullptr},
};

player_t::player_t(hunt_ctrl_u &hunt) : m_hunt(hunt) {}

player_t::~player_t() {
    // The weapons go before the avatar (the base's).
    m_weapon.reset();
    m_next_weapon.reset();
    m_default_weapon.reset();
}

player_t *player_t::of(base_ctrl_u *ctrl) { return ctrl ? dynamic_cast<player_t *>(ctrl->get_player()) : nullptr; }

player_t *player_t::current() { return of(get_current_ctrl()); }

bool player_t::is_active_view() const { return m_hunt.get_view() == static_cast<const scene_view_t *>(this); }

weapon_u *player_t::find_weapon(const char *name) const {
    if (!name || !*name) return nullptr;
    weapon_u *weapon = unit_cast<weapon_u>(unit_system_t::find_unit(name));
    return weapon && weapon->is_alive() ? weapon : nullptr;
}

// ---- scene object ----

void player_t::on_attached() {
    if (physics_avatar_t *avatar = get_avatar()) {
        if (physics_body_t *body = avatar->get_body()) body->set_gravity_mode(false);
    }
    m_hunt.show_hud();
    const game_data_t *data = get_game_data();
    m_default_weapon = find_weapon(data && data->is_party_mode() ? PARTY_WEAPON : DEFAULT_WEAPON);
    m_weapon = m_default_weapon;
    if (weapon_u *weapon = m_weapon.get()) weapon->raise();
}

void player_t::set_rotation(const quat_t &q) {
    if (!is_finite(q)) {
        error("[game] The player's rotation (%g %g %g %g) is refused: not a finite rotation", double(q.w), double(q.x),
              double(q.y), double(q.z));
        return;
    }
    m_eye.rotation = q;
    m_look_ypr = q.get_ypr();
    // The centre in [180, 540), as far as one turn above the yaw.
    float centre = std::fmod(m_look_ypr.yaw - 180.0f, 360.0f);
    if (centre < 0.0f) centre += 360.0f;
    m_yaw_centre = centre + 180.0f;
    m_look_ypr.yaw = m_yaw_centre;
    // The view faces the new way from now on, also while it is not the active view
    // (the intro flight glides to it).
    m_look_rotation = quat_of(m_look_ypr);
}

void player_t::draw_weapon_overlay() {
    if (!is_active_view()) return;
    if (weapon_u *weapon = m_weapon.get()) weapon->draw();
}

// ---- hunter ----

void player_t::set_yaw_range(const start_point_u *start) {
    m_yaw_range = start ? start->get_view_limit() : -1.0f;
}

void player_t::drop_weapons() {
    if (weapon_u *weapon = m_weapon.get()) weapon->lower();
    m_default_weapon.reset();
}

void player_t::start_death() {
    if (m_dying) return;
    m_hunt.play_voiceover_named(DEATH_CUE, false);
    m_dying = STATE_DYING;
    m_death_from_rotation = m_death_to_rotation = m_eye.rotation;
    m_death_from_offset = m_death_to_offset = {0.0f, 0.0f, 0.0f};
    m_death_timer = {};
    m_death_step = 0;
    m_hunt.flash_color(DEATH_FLASH, DEATH_FLASH_FADE_IN, 0.0f);
}

void player_t::apply_recoil(float drop, float back, float angle, float time) {
    if (!std::isfinite(drop) || !std::isfinite(back) || !std::isfinite(angle) || !std::isfinite(time)) {
        warning("[game] A recoil of (%g %g %g %g) is refused: not finite", double(drop), double(back), double(angle),
                double(time));
        return;
    }
    m_recoil_drop = drop;
    m_recoil_back = back;
    m_recoil_angle = angle;
    m_recoil_timer.duration = m_recoil_timer.remaining = time;
}

// ---- weapons ----

void player_t::set_next_weapon(const char *name) {
    m_next_weapon = (!name || !*name) ? m_default_weapon.get() : find_weapon(name);
}

// ---- per frame ----

void player_t::update(float) {
    const float dt = float(sys_get_lastdelta());
    step_hud();
    if (m_dying) {
        step_death(dt);
        refresh_frustum();
        return;
    }
    const bool active = is_active_view();
    if (active) step_look(dt);
    step_weapon_change();
    if (weapon_u *weapon = m_weapon.get()) {
        weapon->update(dt * m_weapon_time_scale);
        // The trigger is the player's only while the view is its own: a press during
        // the intro flight would fire the unseen rifle from the flying camera.
        if (active) weapon->poll_input();
        weapon->set_aim(m_aim_input);
    }
    place_eye();
    step_recoil(dt);
    step_shake(dt);
    refresh_frustum();
}

void player_t::step_hud() {
    c_item_t *window = m_hunt.get_hud_window();
    if (!window) return;
    const bool shown = ui_wis_shown(window);
    if (is_active_view()) {
        if (!shown) ui_wshow(window, WINDOW_GAME_HUD.show_flags);
    } else if (shown) {
        ui_whide(window);
    }
}

void player_t::step_look(float dt) {
    float mouse_x = inp_impulse_value(IMPULSE_MLEFT) - inp_impulse_value(IMPULSE_MRIGHT);
    float mouse_y = inp_impulse_value(IMPULSE_MLOOKUP) - inp_impulse_value(IMPULSE_MLOOKDOWN);
    float key_turn = inp_impulse_value(IMPULSE_LEFT) - inp_impulse_value(IMPULSE_RIGHT);
    float key_look = inp_impulse_value(IMPULSE_LOOKUP) - inp_impulse_value(IMPULSE_LOOKDOWN);
    if (m_invert_x) mouse_x = -mouse_x, key_turn = -key_turn;
    if (m_invert_y) mouse_y = -mouse_y, key_look = -key_look;

    const game_data_t *data = get_game_data();
    const float sensitivity = data ? data->look_sensitivity : 1.0f;
    mouse_x *= sensitivity * MOUSE_SCALE;
    mouse_y *= sensitivity * MOUSE_SCALE;

    if (inp_impulse_value(IMPULSE_FASTTURN) == 0.0f) {
        m_turn_boost = 1.0f;
    } else {
        m_turn_boost = std::fmin(m_turn_boost + dt * TURN_BOOST_GROWTH, TURN_BOOST_MAX);
    }
    const float key_scale = KEY_LOOK_SPEED * dt * sensitivity * inp_get_mouse_sensitivity() * m_turn_boost;
    key_turn *= key_scale;
    key_look *= key_scale;

    float yaw = m_look_ypr.yaw + key_turn + mouse_x;
    const float pitch = std::fmin(std::fmax(m_look_ypr.pitch + key_look + mouse_y, PITCH_MIN), PITCH_MAX);
    if (m_yaw_range >= 0.0f) yaw = std::fmin(std::fmax(yaw, m_yaw_centre - m_yaw_range), m_yaw_centre + m_yaw_range);
    // A broken input value (not a number) leaves the view as it was.
    if (!std::isfinite(yaw) || !std::isfinite(pitch)) return;
    m_look_ypr = ypr_t(yaw, pitch, m_look_ypr.roll);
    m_look_rotation = quat_of(m_look_ypr);
}

void player_t::step_weapon_change() {
    if (!m_next_weapon) return;
    weapon_u *held = m_weapon.get();
    if (held && held->get_state() != item_u::STATE_LOWERED) {
        held->lower();
        return;
    }
    m_weapon = m_next_weapon;
    m_next_weapon.reset();
    if (weapon_u *weapon = m_weapon.get()) weapon->raise();
}

void player_t::place_eye() {
    m_eye.position = get_position() + EYE_OFFSET;
    m_eye.rotation = m_look_rotation;
}

void player_t::step_recoil(float dt) {
    if (!(m_recoil_timer.remaining > 0.0f)) return;
    const float r = m_recoil_timer.elapsed_share();
    const float k = r < RECOIL_RISE ? r * RECOIL_RISE_RATE : 1.0f - (r - RECOIL_RISE) * RECOIL_FALL_RATE;
    quat_t kick;
    kick.slerp_generic(quat_t(), about_x(m_recoil_angle * DEGREES_TO_RADIANS), k);
    m_eye.rotation = m_eye.rotation * kick;
    m_eye.translate_locally({0.0f, k * m_recoil_drop, k * m_recoil_back});
    m_recoil_timer.remaining -= dt;
}

void player_t::step_shake(float dt) {
    if (!(m_shake_timer.remaining > 0.0f)) return;
    const float r = m_shake_timer.elapsed_share();
    const float g = (1.0f - r) * (1.0f - r) * (1.0f - r);
    const float w = (std::sin(r * SHAKE_BEATS) + 1.0f) * 0.5f;
    const float m = SHAKE_SWAY * w - SHAKE_SWAY * (1.0f - w);
    m_eye.translate_locally({0.0f, m * g, m * g});
    m_eye.rotation = m_eye.rotation * about_x(w * g * SHAKE_TURN);
    game_data_t *data = get_game_data();
    if (data) data->fov = BASE_FOV + SHAKE_FOV * w * g;
    m_shake_timer.remaining -= dt;
    if (m_shake_timer.remaining <= 0.0f && data) data->fov = BASE_FOV;
}

void player_t::step_death(float dt) {
    // The round has been ended: the last view stays.
    if (m_death_step >= DEATH_STEP_COUNT) return;
    m_death_timer.remaining -= dt;
    if (m_death_timer.remaining <= 0.0f) {
        ++m_death_step;
        if (m_death_step >= DEATH_STEP_COUNT) {
            m_hunt.round_end(hunt_ctrl_u::STATE_KILLED);
            return;
        }
        const death_step_t &step = DEATH_STEPS[m_death_step];
        m_death_from_rotation = m_death_to_rotation;
        m_death_to_rotation = quat_of(ypr_t(m_look_ypr.yaw, 0.0f, 0.0f)) * quat_of(step.rotation);
        m_death_from_offset = m_death_to_offset;
        m_death_to_offset = step.offset;
        m_death_timer.duration = m_death_timer.remaining = step.duration;
        if (step.sound) play_step_sound(step.sound);
    }
    if (weapon_u *weapon = m_weapon.get()) {
        weapon->lower();
        weapon->update(dt * m_weapon_time_scale);
    }
    const float r = m_death_timer.elapsed_share();
    m_eye.position = get_position() + EYE_OFFSET + m_death_from_offset * (1.0f - r) + m_death_to_offset * r;
    m_eye.rotation.slerp_generic(m_death_from_rotation, m_death_to_rotation, r);
}

void player_t::play_step_sound(const char *path) {
    play_one_shot_sound(path, {.tag = STEP_SOUND_TAG,
                               .volume = STEP_SOUND_VOLUME,
                               .mark_changed = true,
                               .rate = m_hunt.get_sound_time_scale(1.0f)});
}

void player_t::refresh_frustum() {
    if (const game_data_t *data = get_game_data()) data->apply_view(m_frustum);
    m_frustum.update(m_eye.position, m_eye.rotation);
}

}  // namespace quarn

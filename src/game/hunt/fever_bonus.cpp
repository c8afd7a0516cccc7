#include "game/hunt/fever_bonus.h"

#include <cmath>

#include "game/game_data.h"
#include "game/hunt/hunt_bonuses.h"
#include "game/hunt/hunt_ctrl.h"
#include "game/hunt/hunt_hud.h"
#include "game/player/player.h"
#include "game/weapons/weapon.h"
#include "kernel/sound/sound_unit.h"

namespace quarn {

QRN_UNIT_DEFINE(fever_bonus_u, "fever_bonus");

namespace {

constexpr float BASE_FOV = 60.0f;
constexpr float SENSITIVITY_BASE = 1.3f;
constexpr float TAN_30 = 0.57735027f;
constexpr float DEGREES_TO_RADIANS = 0.017453292f;

void show_fever(const expire_timer_t *timer) {
    if (hunt_hud_t *hud = running_hud()) hud->set_fever(timer);
}

}  // namespace

float fever_bonus_u::look_sensitivity_for(float fov) {
    const float zoom = TAN_30 / std::tan(fov * 0.5f * DEGREES_TO_RADIANS);
    return 1.0f / std::pow(SENSITIVITY_BASE, zoom);
}

void fever_bonus_u::apply() {
    m_applied = true;
    m_timer.start();
    m_sound = start_effect_sound(START_SOUND, SOUND_VOLUME, false);
    m_sound_state = SOUND_START;
    if (hunt_ctrl_u *hunt = hunt_ctrl_u::current()) hunt->set_multiplier(MULTIPLIER);
    if (player_t *player = running_player()) {
        // A player without a rifle (a missing weapon unit) only takes the aim flag.
        if (weapon_u *weapon = player->get_weapon()) weapon->set_clip(weapon->get_ammo_max());
        player->set_aim_input(true);
    }
    show_fever(&m_timer);
}

void fever_bonus_u::update(float dt) {
    m_timer.remaining -= dt;
    if (m_timer.remaining <= 0.0f) return;
    m_strength = m_timer.strength(!m_extended);
    if (m_timer.remaining < 1.0f && m_sound_state != SOUND_END) {
        stop_effect_sound(m_sound.get());
        play_effect_sound(END_SOUND, SOUND_VOLUME);
        m_sound_state = SOUND_END;
    }
    if (m_sound_state == SOUND_START && !effect_sound_playing(m_sound.get())) {
        m_sound = start_effect_sound(LOOP_SOUND, SOUND_VOLUME, true);
        m_sound_state = SOUND_LOOP;
    }
    const float s = m_strength;
    const float fov = BASE_FOV * (1.0f - s) + FOV * s;
    if (hunt_ctrl_u *hunt = hunt_ctrl_u::current()) hunt->set_time_factor(1.0f - (1.0f - SLOWEST_TIME_FACTOR) * s);
    if (game_data_t *data = running_game_data()) {
        data->fov = fov;
        data->look_sensitivity = look_sensitivity_for(fov);
    }
}

void fever_bonus_u::extend(float seconds) {
    const float left = m_timer.remaining > 0.0f ? m_timer.remaining : 0.0f;
    m_timer.total = m_timer.remaining = left + seconds;
    show_fever(&m_timer);
    if (m_sound_state != SOUND_LOOP) {
        if (sound_u *sound = m_sound.get()) sound->play();
        m_sound_state = SOUND_LOOP;
    }
    m_extended = true;
}

void fever_bonus_u::remove() {
    m_applied = false;
    if (hunt_ctrl_u *hunt = hunt_ctrl_u::current()) {
        hunt->set_time_factor(1.0f);
        // The doubled score belongs to the fever: left at 2, every later kill of the
        // round would count twice.
        hunt->set_multiplier(1);
    }
    m_strength = 0.0f;
    m_timer.remaining = 0.0f;
    if (game_data_t *data = running_game_data()) {
        data->fov = BASE_FOV;
        data->look_sensitivity = 1.0f;
    }
    if (player_t *player = running_player()) player->set_aim_input(false);
    show_fever(nullptr);
    m_sound.reset();
}

void fever_bonus_u::adjust_scene() {
    const float s = m_strength;
    scene_tint_t tint;
    tint.red_green = 1.0f - s * 0.5f;
    tint.highlight = 1.0f + s * 0.5f;
    tint_scene(tint);
}

void fever_bonus_u::on_destroy() {
    if (m_applied) remove();
    m_sound.reset();
}

sound_u *fever_bonus_u::get_sound() const { return m_sound.get(); }

}  // namespace quarn

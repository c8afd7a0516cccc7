#include "game/hunt/bonus_kit.h"

#include "game/game_data.h"
#include "game/hunt/hunt_ctrl.h"
#include "game/hunt/hunt_hud.h"
#include "game/one_shot_sound.h"
#include "game/player/player.h"
#include "kernel/sound/sound.h"
#include "kernel/sound/sound_unit.h"

namespace quarn {

float effect_strength(float duration, float remaining, bool ramp_in) {
    const float r = remaining > 0.0f ? remaining : 0.0f;
    const float elapsed = duration - r;
    if (ramp_in && elapsed < 1.0f) return elapsed;
    if (r < 1.0f) return r;
    return 1.0f;
}

bool effect_timer_t::step(float dt) {
    if (!(remaining > 0.0f)) return false;
    remaining -= dt;
    return true;
}

player_t *running_player() { return player_t::of(hunt_ctrl_u::current()); }

weapon_u *running_weapon() {
    const player_t *player = running_player();
    return player ? player->get_weapon() : nullptr;
}

hunt_hud_t *running_hud() {
    const hunt_ctrl_u *hunt = hunt_ctrl_u::current();
    return hunt ? hunt->get_hud() : nullptr;
}

game_data_t *running_game_data() { return get_game_data(); }

namespace {

sound_u *start_sound(const char *path, float volume, bool loop) {
    sound_u *sound = _snd_create(path, loop ? sound_u::KEEP : 0, hunt_ctrl_u::SOUND_TAG);
    if (!sound) return nullptr;
    sound->attributes.volume = volume;
    sound->set_flag(sound_u::CHANGED, true);
    sound->play();
    return sound;
}

}  // namespace

void play_effect_sound(const char *path, float volume) {
    play_one_shot_sound(path, {.tag = hunt_ctrl_u::SOUND_TAG, .volume = volume, .mark_changed = true});
}

owner_ptr_ret_t<sound_u> start_effect_sound(const char *path, float volume, bool loop) {
    owner_ptr_t<sound_u> held(start_sound(path, volume, loop));
    return owner_ptr_ret_t<sound_u>(held);
}

void stop_effect_sound(sound_u *sound) {
    if (!sound || !sound->has_flag(sound_u::PLAY_REQUESTED)) return;
    sound->set_flag(sound_u::PLAY_REQUESTED, false);
    sound->set_flag(sound_u::CHANGED, true);
}

bool effect_sound_playing(const sound_u *sound) { return sound && sound->has_flag(sound_u::PLAY_REQUESTED); }

}  // namespace quarn

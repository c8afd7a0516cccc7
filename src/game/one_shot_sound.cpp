#include "game/one_shot_sound.h"

#include "kernel/sound/sound.h"
#include "kernel/sound/sound_unit.h"

namespace quarn {

sound_u *play_one_shot_sound(const char *path, const one_shot_sound_t &how) {
    sound_u *sound = _snd_create_oneshot(path, how.flags, how.tag);
    if (!sound) return nullptr;
    if (how.position) sound->set_position(how.position->x, how.position->y, how.position->z);
    if (how.rate) sound->set_rate(*how.rate);
    sound->attributes.volume = how.volume;
    if (how.mark_changed) sound->set_flag(sound_u::CHANGED, true);
    sound->play();
    return sound;
}

}  // namespace quarn

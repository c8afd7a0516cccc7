#pragma once
// A sound played once: made by the kernel as a one-shot (released when it stops),
// given its volume and, where the caller has them, its rate and position, then
// started. The callers differ only in what they pass here.
#include <cstdint>
#include <optional>

#include "qrncore/math/vec.h"

namespace quarn {

class sound_u;

struct one_shot_sound_t {
    // The creator's flags (sound_u's) and the tag the sound is silenced by (-1: none).
    uint32_t flags = 0;
    int32_t tag = -1;
    float volume = 1.0f;
    // Marks the attributes as changed at once, so the channel takes them at the next
    // update (setting a rate marks them too).
    bool mark_changed = false;
    std::optional<float> rate = std::nullopt;
    std::optional<vec3_t> position = std::nullopt;
};

// The sound started, or null (nothing played) when the kernel could not make it.
sound_u *play_one_shot_sound(const char *path, const one_shot_sound_t &how);

}  // namespace quarn

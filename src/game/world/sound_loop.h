#pragma once
// sound_loop_u (unit type "sound_loop"): a looping sound at a place of the map (a
// waterfall, a brook, birds in a wood), "landscape.game.unit". init_unit makes the
// sound through the kernel's sound front-end and starts it: ambient loops are heard
// everywhere, the others fade out with distance. Its minimum and maximum distances
// are twice min_range and max_range, its volume 0.9 × volume.
#include <cstdint>

#include "game/game_unit.h"
#include "kernel/sound/sound_unit.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class sound_loop_u : public game_unit_base_u {
    QRN_UNIT_CLASS(sound_loop_u, game_unit_base_u);

public:
    // The creation kinds passed to the front-end: a looping sound (kept playing while
    // out of hearing), positional unless ambient.
    static constexpr uint32_t AMBIENT_KIND = sound_u::KEEP;                         // 2
    static constexpr uint32_t POSITIONAL_KIND = sound_u::KEEP | sound_u::POSITIONAL;  // 3
    // The sound tag of the hunt.
    static constexpr int32_t SOUND_TAG = 10;
    static constexpr float VOLUME_SCALE = 0.9f;
    static constexpr float RANGE_SCALE = 2.0f;

    // Creates and starts the sound; false when the front-end makes none.
    bool init_unit() override;
    // Lets the sound go (it stops).
    void cleanup_unit() override;

    sound_u *get_sound() const { return m_sound.get(); }

    // Attributes.
    placement_scale_t m_placement;
    mstring_dyn_t m_sound_file;
    float m_volume = 1.0f;      // 0..1
    float m_min_range = 5.0f;   // 0..250
    float m_max_range = 20.0f;  // 0..250
    bool m_ambient = false;

protected:
    void on_destroy();

private:
    owner_ptr_t<sound_u> m_sound;
};

}  // namespace quarn

#pragma once
// game_data_t: what carries the player's game across controllers (one, owned by the
// front-end session). This is its core: the mission and map, the mode, the round and
// the expert flag, and the view settings that the cameras, the environment, the
// weapons and the bonuses read and write. The session adds the scores and the party.
#include <cstdint>

#include "game/game_alloc.h"
#include "qrncore/geometry/frustum.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

class game_data_t {
public:
    QRN_GAME_ALLOC

    enum mode_t : int32_t { MODE_IDLE = 0, MODE_PLAY = 1, MODE_SCREENSAVER = 2 };

    void set_mode(int32_t new_mode) { mode = new_mode; }

    // Puts the field of view, the far plane and the near plane into the frustum.
    void apply_view(frustum_t &frustum) const;
    // How far a view is zoomed against the field of view of 60 degrees:
    // tan(30°) / tan(fov / 2), with the view's field of view in degrees.
    static float camera_zoom_factor(const frustum_t &view);

    mstring_dyn_t mission_name;  // the mission file of the current hunt
    int32_t mode = MODE_IDLE;
    mstring_dyn_t map_name;  // the map of the running scene
    float near_plane = 0.1f;
    float far_plane = 1000.0f;
    float fov = 60.0f;            // the camera's field of view, degrees
    float first_person_fov = 60.0f;  // the held weapon's projection (near 0.01, far 2)
    float look_sensitivity = 1.0f;   // factor on the look input
    uint32_t round_index = 1;        // 1-based, into the round progression
    bool expert = false;
};

// The session's game data; null while no session holds one.
game_data_t *get_game_data();
// The session sets its game data when it starts and null when it ends.
void set_game_data(game_data_t *data);

}  // namespace quarn

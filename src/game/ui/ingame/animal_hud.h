#pragma once
// animal_hud_u (unit type "animal_hud", made in code, no attributes): the marker that
// follows a round's animal on screen with its health bar and bonus icon
// (docs/ui-ingame.md). Each marker opens a window of its own from "/ui/ganimal.esc",
// numbered by a counter of the run ("game<n>"/"animal<n>", so names never repeat),
// whose handler (ingame_animal_handler_t) shows what the marker passes on. The
// animal that owns the marker feeds it every frame: its position, its health and
// whether it is marked.
//
// The window is the UI layer's (inserted passive, beneath the ordinary windows) and
// not the session's: when the marker goes it unmarks (the bar fades out) and lets go
// of the window, which removes itself once the fade is over.
#include <cstdint>

#include "outside/qrnshared/c_item.h"
#include "qrncore/geometry/projection.h"
#include "qrncore/math/mat_sq.h"
#include "qrncore/math/vec.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

class ingame_animal_handler_t;
class pp_camera_u;

class animal_hud_u : public unit_t {
    QRN_UNIT_CLASS(animal_hud_u, unit_t);

public:
    // What the marker reads of the screen each frame: the rectangle the scene is drawn
    // in (pixels, y upward: left, right, top, bottom) and the screen's size in pixels
    // (0 before a graphics mode is set).
    struct screen_t {
        rectangle_t<float> viewport;
        int32_t width = 0;
        int32_t height = 0;
    };
    // Fills the screen; false when there is none.
    using screen_source_t = bool (*)(screen_t &out);

    // The text goes to the window's icon (an empty text changes nothing).
    void set_bonus_text(const char *text);
    // current / maximum to the bar; a maximum of 0 counts as a full bar.
    void set_health(uint32_t current, uint32_t maximum);
    // Marks (the bar and icon show after their delay) or unmarks (they fade out);
    // the same state again does nothing.
    void set_bonus_marked(bool flag);
    bool is_bonus_marked() const { return m_bonus_marked; }
    // The scene that shows the marker goes: the window is removed at once (no fade),
    // and the marker does nothing more.
    void close_window();
    // Moves the window so that its items, laid out around the reference screen's
    // centre, stand around the position's projection through the camera (its view and
    // projection matrices) into the game's scene viewport, on whole screen pixels.
    // It stays where it was when the point is behind the near plane (the game data's
    // near distance), when there is no screen or the screen has no size yet, and
    // without a window or a camera.
    void update_position(const vec3_t &position, const pp_camera_u *camera);

    // The window (null when it could not be opened) and its handler while it lives.
    c_item_t *get_window() const { return m_window.get(); }
    ingame_animal_handler_t *get_handler() const;
    // The marker's number: 1 for the first marker of the run, then 2, 3 ...
    uint32_t get_number() const { return m_number; }

    // Where update_position reads the screen: null restores the game process (its
    // scene viewport and its render context's size).
    static void set_screen_source(screen_source_t source);
    // The window's offset for the position: false, with x and y unchanged, in the
    // cases where update_position leaves the window where it is.
    static bool place(float &x, float &y, const vec3_t &position, const mat4_t &view, const mat4_t &projection,
                      float near_distance, const screen_t &screen);

protected:
    // Numbers the marker and opens its window.
    void on_construct();
    // Unmarks and lets go of the window.
    void on_destroy();

private:
    c_item_ptr_t m_window;
    bool m_bonus_marked = false;
    uint32_t m_number = 0;
};

}  // namespace quarn

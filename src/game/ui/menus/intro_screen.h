#pragma once
// The round-intro screen's one operation, as the trail camera calls it. The window
// "game"/"start_round" ("/ui/gstart.esc") shows over the round's intro flight; its
// handler implements intro_screen_t and the trail camera reaches it through the
// window (intro_screen_of):
// - set_intro_camera (camera): the screen keeps the camera and, on any key or button,
//   calls its reset_interpolation, which ends the flight. Null: forget the camera (the
//   camera calls it before it lets the window go or is deleted).
namespace quarn {

class c_item_t;
class trail_camera_t;

class intro_screen_t {
public:
    virtual void set_intro_camera(trail_camera_t *camera) = 0;

protected:
    ~intro_screen_t() = default;
};

// The intro screen of the window's handler; null for no window, no handler, or a
// handler that is no intro screen.
intro_screen_t *intro_screen_of(c_item_t *window);

}  // namespace quarn

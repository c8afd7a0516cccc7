#pragma once
// What the menu and the screensaver controllers share: their camera, made by the
// cameras' factory row, and the sound listener that follows the active view.
#include "game/scene/base_ctrl.h"

namespace quarn {

class c_item_t;
class scene_object_t;
class scene_view_t;
struct window_desc_t;

// The camera of the hook's factory (game_hooks.h), queued in the controller's update
// list; camera is its view side. Null (and camera null) while no factory exists.
scene_object_t *ctrl_make_camera(base_ctrl_u &ctrl, const char *hook, scene_view_t *&camera);
// Takes the camera out of the update list; deleted later by ctrl_delete_camera, once
// the list no longer holds it.
void ctrl_unqueue_camera(base_ctrl_u &ctrl, scene_object_t *view);
void ctrl_delete_camera(scene_object_t *&view, scene_view_t *&camera);
// Shows the row's window through the session, which closes it with the scene (or
// straight through the UI layer without a session); null when it cannot be shown.
c_item_t *show_game_window(const window_desc_t &row);
// Closes the windows the session opened for the scene.
void close_game_windows();

// The listener at the active view's placement and velocity; then the frame's sound
// state.
void ctrl_move_listener(base_ctrl_u &ctrl);

}  // namespace quarn

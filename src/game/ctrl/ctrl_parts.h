#pragma once
// What the menu and the screensaver controllers share: their camera, made by the
// cameras' factory row, and their windows.
#include "game/scene/base_ctrl.h"

namespace quarn {

class c_item_t;
class grass_u;
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
// The map's grass grows its missing cells around the active view (grass_grow_around).
// True when it was asked.
bool ctrl_grow_grass(base_ctrl_u &ctrl);
// The grass grows its missing cells around the view's position unless it last grew
// around that very position: a view that stands still has every cell it needs from its
// first frame on (the grass regrows them itself when it drops them), so asking each
// frame would only walk them again. A view that moves has them grown where it goes.
// Nothing without grass or a view; true when the grass was asked.
bool grass_grow_around(grass_u *grass, const scene_view_t *view);

}  // namespace quarn

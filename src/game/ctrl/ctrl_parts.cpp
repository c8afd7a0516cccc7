#include "game/ctrl/ctrl_parts.h"

#include "game/game_module.h"
#include "game/process/game_hooks.h"
#include "game/scene/scene_object.h"
#include "game/scene/scene_view.h"
#include "game/session/front_end_session.h"
#include "game/session/window_desc.h"
#include "kernel/sound.h"
#include "outside/qrnshared/ui/ui.h"

namespace quarn {

scene_object_t *ctrl_make_camera(base_ctrl_u &ctrl, const char *hook, scene_view_t *&camera) {
    camera = nullptr;
    auto *make = game_module_factory<game_make_view_t>(hook);
    scene_object_t *view = make ? make() : nullptr;
    if (!view) return nullptr;
    camera = dynamic_cast<scene_view_t *>(view);
    ctrl.add_list_object(view);
    return view;
}

void ctrl_unqueue_camera(base_ctrl_u &ctrl, scene_object_t *view) {
    if (view) ctrl.remove_list_object(view);
}

void ctrl_delete_camera(scene_object_t *&view, scene_view_t *&camera) {
    delete view;
    view = nullptr;
    camera = nullptr;
}

c_item_t *show_game_window(const window_desc_t &row) {
    if (front_end_session_t *session = get_front_end_session()) return session->show_window(row);
    c_item_t *window = ui_winsert(row.group, row.name, row.insert_flags, row.layout);
    if (window) ui_wshow(window, row.show_flags);
    return window;
}

void close_game_windows() {
    if (front_end_session_t *session = get_front_end_session()) session->close_all_windows();
}

void ctrl_move_listener(base_ctrl_u &ctrl) {
    if (scene_view_t *view = ctrl.get_view()) {
        const placement_t placement = view->get_placement();
        const vec3_t velocity = view->get_velocity();
        snd_listener(&placement, &velocity);
    }
    snd_update_state();
}

}  // namespace quarn

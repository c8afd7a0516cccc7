#include "game/ctrl/ctrl_parts.h"

#include "game/game_module.h"
#include "game/process/game_hooks.h"
#include "game/scene/scene_object.h"
#include "game/scene/scene_view.h"
#include "game/session/front_end_session.h"
#include "game/session/window_desc.h"
#include "game/world/environment.h"
#include "game/world/grass.h"
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

bool ctrl_grow_grass(base_ctrl_u &ctrl) {
    const environment_u *environment = ctrl.get_environment<environment_u>();
    return grass_grow_around(environment ? environment->get_grass() : nullptr, ctrl.get_view());
}

bool grass_grow_around(grass_u *grass, const scene_view_t *view) {
    if (!grass || !view) return false;
    const vec3_t position = view->get_placement().position;
    if (grass->has_viewer() && grass->get_viewer() == position) return false;
    grass->update_cells(position);
    return true;
}

}  // namespace quarn

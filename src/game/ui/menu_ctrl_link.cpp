#include "game/ui/menu_ctrl_link.h"

#include "game/scene/current_ctrl.h"
#include "game/ui/screen_ctrl.h"

namespace quarn {

namespace {

constinit menu_ctrl_access_t installed = nullptr;

bool current_fields(menu_ctrl_fields_t &out) {
    base_ctrl_u *ctrl = get_current_ctrl();
    return installed && ctrl && current_ctrl_is_menu() && installed(*ctrl, out);
}

}  // namespace

void set_menu_ctrl_access(menu_ctrl_access_t access) { installed = access; }

menu_ctrl_access_t get_menu_ctrl_access() { return installed; }

void menu_set_scene_visible(bool visible) {
    menu_ctrl_fields_t fields;
    if (current_fields(fields) && fields.scene_visible) *fields.scene_visible = visible;
}

void menu_set_pending_step(int32_t step) {
    menu_ctrl_fields_t fields;
    if (current_fields(fields) && fields.pending_step) *fields.pending_step = step;
}

}  // namespace quarn

#pragma once
// What the menu screens write on the menu controller: `scene_visible` (the scene behind
// the menus updates and draws only while a menu screen shows) and `pending_step` (2:
// the start screen is done, the controller goes on to the main menu at its next
// update).
//
// The fields belong to the menu controller's class; the screens reach them through
// an accessor the controller's code installs (set_menu_ctrl_access), so that they
// build and run without that class. Without an accessor, or when the current
// controller is no menu controller, the writes do nothing.
#include <cstdint>

namespace quarn {

class base_ctrl_u;

struct menu_ctrl_fields_t {
    bool *scene_visible = nullptr;
    int32_t *pending_step = nullptr;
};

// Fills out with the fields of ctrl when it is a menu controller; false otherwise.
using menu_ctrl_access_t = bool (*)(base_ctrl_u &ctrl, menu_ctrl_fields_t &out);

// Null: none.
void set_menu_ctrl_access(menu_ctrl_access_t access);
menu_ctrl_access_t get_menu_ctrl_access();

// On the current controller, when it is a menu controller.
void menu_set_scene_visible(bool visible);
void menu_set_pending_step(int32_t step);

}  // namespace quarn

#pragma once
// menu_quit_handler_t, "ui.handler.menu.quit" ("/ui/mquit.esc", menu/quit): the quit
// question, over the main menu (its stripes shown) or over a hunt (held while it is
// up). Yes (10) runs "quit", after writing the savegame when a hunt is current; no
// (20) and Escape go back: to the main menu over a menu controller, else the question
// hides. A layout without the question's items shows what it has and logs the rest.
#include <cstdint>

#include "game/ui/menuhdl.h"

namespace quarn {

class menu_quit_handler_t : public menu_screen_handler_t {
public:
    enum item_t : int32_t { BUTTON_YES = 10, BUTTON_NO = 20, ITEM_TEXT = 50, GROUP_STRIPES = 101 };

    void on_wshow() override;
    void on_whide() override { hide_menu_or_game(); }
    bool handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) override;
};

}  // namespace quarn

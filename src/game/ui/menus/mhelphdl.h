#pragma once
// menu_help_handler_t, "ui.handler.menu.help" ("/ui/mhelp.esc", menu/help): the help
// pages in a portal (item 10). Page links (buttons of id 1000 and up) name their
// target's id in "value2"; a target more than a portal height above the page's
// bottom comes to the portal's top, a lower one shows the end of the page. Escape and
// "back" (20) open the play menu.
//
// menu_play_handler_t, "ui.handler.menu.play" ("/ui/mplay.esc", menu/play): normal or
// expert play from round 1, or "continue" (group 300 in place of 200) with a savegame.
#include <cstdint>

#include "game/ui/menuhdl.h"

namespace quarn {

class menu_help_handler_t : public menu_screen_handler_t {
public:
    enum item_t : int32_t { ITEM_PORTAL = 10, BUTTON_BACK = 20, FIRST_LINK = 1000 };

    void on_wshow() override;
    void on_whide() override { shared_menu_hide(); }
    bool handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) override;

    // Scrolls the page to the target's id; false when the page has no such item.
    bool show_target(int32_t target);
};

class menu_play_handler_t : public menu_screen_handler_t {
public:
    enum item_t : int32_t {
        BUTTON_CONTINUE = 5, BUTTON_NORMAL = 10, BUTTON_EXPERT = 20, BUTTON_HELP = 30, BUTTON_BACK = 100,
        GROUP_NORMAL = 200, GROUP_CONTINUE = 300
    };

    void on_wshow() override;
    void on_whide() override { shared_menu_hide(); }
    bool handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) override;
};

}  // namespace quarn

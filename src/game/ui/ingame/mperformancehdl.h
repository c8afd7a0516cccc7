#pragma once
// menu_performance_handler_t, "ui.handler.menu.performance" ("/ui/mperformance.esc",
// menu/performance): the tip to lower the picture settings, offered after a round's
// result on a slow machine. Over a menu controller the scene behind shows (its stripes,
// 101, too); anywhere else the game is held while it is up and given back when it
// hides, however it hides. Escape or "ok" (100) closes it and the round goes on
// (round_result_continue).
#include <cstdint>

#include "game/ui/menuhdl.h"

namespace quarn {

class menu_performance_handler_t : public menu_screen_handler_t {
public:
    enum item_t : int32_t { BUTTON_OK = 100, GROUP_STRIPES = 101 };

    void on_wshow() override;
    void on_whide() override { hide_menu_or_game(); }
    bool handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) override;

    // Hides the window (giving the game back), then round_result_continue.
    void close();
};

}  // namespace quarn

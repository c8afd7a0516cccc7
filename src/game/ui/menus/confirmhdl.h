#pragma once
// ingame_confirm_handler_t, "ui.handler.ingame.confirm": the one yes/no dialog of three
// questions ("/ui/gwebupload.esc", "/ui/gforfeitgame.esc", "/ui/mresetscore.esc").
// It holds a hunt while it is up (show_in_game, hide_in_game). Button 10 answers yes,
// button 20 no; the screen that opened the dialog reads confirm_result once the dialog
// is no longer visible.
#include <cstdint>

#include "game/ui/basehdl.h"

namespace quarn {

// False while the dialog is up, true once its button 10 was clicked; any other way
// out leaves it false.
extern bool confirm_result;
// The dialog shows its stripes (item 101) only while this is set, and sets it again
// each time it shows; the in-game HUD clears it before it opens the dialog over
// itself. True at start.
extern bool show_confirm_stripes;

class ingame_confirm_handler_t : public base_handler_t {
public:
    enum item_t : int32_t { BUTTON_YES = 10, BUTTON_NO = 20, ITEM_STRIPES = 101 };

    void on_wshow() override;
    void on_whide() override { hide_in_game(); }
    bool handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) override;
};

}  // namespace quarn

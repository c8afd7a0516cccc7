#pragma once
// ingame_matchround_handler_t, "ui.handler.ingame.matchround" ("/ui/gmatchround.esc",
// dialog/matchround): a party's standings after every player had the round's turn,
// over the held hunt: one row a player ("place|name|score"), the higher score first and
// equal scores in player order (party_row_compare). Escape or "ok" (100) goes on to
// the next round (game_data_t::next_round).
#include <cstdint>

#include "game/ui/basehdl.h"

namespace quarn {

class ingame_matchround_handler_t : public base_handler_t {
public:
    enum item_t : int32_t { LIST_SCORES = 10, ITEM_CAPTION = 20, BUTTON_OK = 100 };

    void on_wshow() override;
    void on_whide() override { hide_in_game(); }
    bool handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) override;

    // Escape or "ok": the next round. The bonus choice goes on the same way.
    static bool handle_next_round(ui_view_t *view, uint32_t type, const ui_act_param_t *param);
};

}  // namespace quarn

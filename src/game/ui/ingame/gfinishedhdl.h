#pragma once
// ingame_finished_handler_t, "ui.handler.ingame.finished" ("/ui/gfinished.esc",
// game/finished): the end of a single game after its last round, over the held hunt,
// with the game's score (15) and the jingle. Escape or "ok" (20) opens the name entry
// (game/roster).
#include <cstdint>

#include "game/ui/basehdl.h"

namespace quarn {

class ingame_finished_handler_t : public base_handler_t {
public:
    enum item_t : int32_t { ITEM_SCORE = 15, BUTTON_OK = 20 };
    static constexpr const char *JINGLE = "/sound/game/jingle.ogg";
    static constexpr float JINGLE_VOLUME = 0.9f;

    // The score of the running record ("0" without one).
    void on_wcreate() override;
    void on_wshow() override;
    void on_whide() override { hide_in_game(); }
    bool handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) override;
};

}  // namespace quarn

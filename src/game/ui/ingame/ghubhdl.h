#pragma once
// ingame_hub_handler_t, "ui.handler.ingame.hub" ("/ui/ghub.esc", game/hub): after a
// lost round, over the held hunt. With continue coins left it offers the round again
// ("retry", 110, one coin); "ok" (100) ends the game: the hub hides and the name entry
// (game/roster) opens. The game-over sound plays as it shows.
#include <cstdint>

#include "game/ui/basehdl.h"

namespace quarn {

class ingame_hub_handler_t : public base_handler_t {
public:
    enum item_t : int32_t { ITEM_TEXT = 10, ITEM_CAPTION = 50, BUTTON_OK = 100, BUTTON_RETRY = 110 };
    static constexpr const char *SOUND = "/sound/game/game_over.ogg";
    static constexpr float SOUND_VOLUME = 0.9f;

    void on_wshow() override;
    void on_whide() override { hide_in_game(); }
    bool handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) override;
};

}  // namespace quarn

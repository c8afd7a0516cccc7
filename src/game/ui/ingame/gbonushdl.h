#pragma once
// ingame_bonus_handler_t, "ui.handler.ingame.bonus" ("/ui/gbonus.esc", game/bonus):
// before a round that unlocks a bonus, over the held hunt. The icons 50-54 show the
// bonuses unlocked by the next round in unlock order ("locked" for the rest); the
// newest one is named (10), shown (15) and described (20). Escape or "ok" (100) goes
// on to the next round.
#include <cstdint>

#include "game/ui/basehdl.h"

namespace quarn {

class ingame_bonus_handler_t : public base_handler_t {
public:
    enum item_t : int32_t { ITEM_NAME = 10, ITEM_ICON = 15, ITEM_DESCRIPTION = 20, ITEM_FIRST_SLOT = 50, BUTTON_OK = 100 };
    static constexpr uint32_t SLOTS = 5;
    static constexpr const char *LOCKED = "locked";
    static constexpr const char *SOUND = "/sound/game/bonus.ogg";
    static constexpr float SOUND_VOLUME = 0.9f;

    void on_wshow() override;
    void on_whide() override { hide_in_game(); }
    bool handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) override;
};

}  // namespace quarn

#pragma once
// ingame_roster_handler_t, "ui.handler.ingame.roster" ("/ui/groster.esc", game/roster):
// the name entry after a game. When the game's score earns a place in the high-score
// table the running record is entered there at once (in memory), the player names it
// and the table is saved; "ok & upload" also asks to submit the score to the online
// score page, which opens in the browser with the record's submit token. A score that
// earns no place runs "menu". The screen holds a hunt while it is up.
#include <cstdint>

#include "game/ui/basehdl.h"
#include "outside/qrnshared/c_item.h"

namespace quarn {

class ingame_roster_handler_t : public base_handler_t {
public:
    static constexpr const char *SOUND = "/sound/game/highscore.ogg";
    static constexpr float SOUND_VOLUME = 0.9f;
    enum item_t : int32_t {
        ITEM_SCORE = 10, ITEM_PLACE = 15, BUTTON_SAVE = 20, ITEM_NAME = 30, GROUP_ONLINE = 41, GROUP_OFFLINE = 42,
        BUTTON_UPLOAD = 50, ITEM_WHOLE = 100
    };

    void on_wcreate() override;
    void on_wshow() override;
    void on_whide() override { hide_in_game(); }
    void handler() override;
    bool handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) override;

    // The input line's text into g_player_name; an empty one keeps the focus (false).
    bool accept_name();
    // The entry at the place takes g_player_name and the table is saved.
    void store_name();
    // Opens the submission address followed by the entry's token.
    void submit_online();
    // store_name, then the upload question (the screen hidden under it).
    void ask_upload();

    int32_t get_place() const { return m_place; }
    bool holds_upload_dialog() const { return bool(m_upload_dialog); }

private:
    int32_t m_place = -1;
    c_item_ptr_t m_upload_dialog;
};

}  // namespace quarn

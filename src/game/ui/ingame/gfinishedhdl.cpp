#include "game/ui/ingame/gfinishedhdl.h"

#include <cstdio>

#include "game/game_data.h"
#include "game/session/score.h"
#include "game/session/window_desc.h"
#include "game/ui/ingame/ingame_screen.h"
#include "game/ui/menuhdl.h"
#include "game/ui/ui_classes.h"

namespace quarn {

void ingame_finished_handler_t::on_wcreate() {
    base_handler_t::on_wcreate();
    const game_data_t *data = get_game_data();
    const score_u *running = data ? data->get_running_score() : nullptr;
    char text[16];
    snprintf(text, sizeof text, "%u", running ? running->score : 0u);
    set_item_text(ITEM_SCORE, text);
}

void ingame_finished_handler_t::on_wshow() {
    show_in_game();
    menu_play_sound(JINGLE, JINGLE_VOLUME, SOUND_TAG_DIALOG);
}

bool ingame_finished_handler_t::handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) {
    if (ingame_escape_or_click(view, type, param, BUTTON_OK)) {
        ingame_show_window(WINDOW_GAME_ROSTER);
        return true;
    }
    return base_handler_t::handle(view, type, param);
}

namespace {

constexpr entity_reg_t INGAME_FINISHED_REG = game_ui_reg<ingame_finished_handler_t>("ui.handler.ingame.finished");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_finished_screen, quarn::ui_handler_row<quarn::INGAME_FINISHED_REG>());

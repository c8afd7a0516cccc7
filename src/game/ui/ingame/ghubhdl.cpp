#include "game/ui/ingame/ghubhdl.h"

#include "game/game_data.h"
#include "game/session/window_desc.h"
#include "game/ui/ingame/ingame_screen.h"
#include "game/ui/menuhdl.h"
#include "game/ui/ui_classes.h"
#include "outside/qrnshared/ui/lcl.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/ui_window.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

void ingame_hub_handler_t::on_wshow() {
    show_in_game();
    const game_data_t *data = get_game_data();
    const uint32_t coins = data ? data->get_continue_coins() : 0;
    set_item_text(ITEM_CAPTION, coins > 0 ? "@@ui_retry_caption@@" : "@@ui_game_over_caption@@");
    show_item(BUTTON_RETRY, coins > 0);
    if (coins > 0) {
        // The translation is data: its "%d" place is filled by the checked formatter.
        mstring_dyn_t text;
        lcl_format(text, "@@ui_retries_left@@", {coins});
        set_item_text(ITEM_TEXT, text.c_str());
    } else {
        set_item_text(ITEM_TEXT, "@@ui_better_next_time@@");
    }
    menu_play_sound(SOUND, SOUND_VOLUME, SOUND_TAG_DIALOG);
}

bool ingame_hub_handler_t::handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) {
    if (menu_screen_handler_t::is_click(view, type, BUTTON_OK)) {
        if (ui_window_t *window = get_window()) ui_whide(window->get_item());
        ingame_show_window(WINDOW_GAME_ROSTER);
        return true;
    }
    if (menu_screen_handler_t::is_click(view, type, BUTTON_RETRY)) {
        if (game_data_t *data = get_game_data()) data->retry_round();
        return true;
    }
    return base_handler_t::handle(view, type, param);
}

namespace {

constexpr entity_reg_t INGAME_HUB_REG = game_ui_reg<ingame_hub_handler_t>("ui.handler.ingame.hub");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_hub_screen, quarn::ui_handler_row<quarn::INGAME_HUB_REG>());

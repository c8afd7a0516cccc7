#include "game/ui/menus/confirmhdl.h"

#include "game/ui/ui_classes.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/ui_window.h"

namespace quarn {

bool confirm_result = false;
bool show_confirm_stripes = true;

void ingame_confirm_handler_t::on_wshow() {
    show_in_game();
    confirm_result = false;
    show_item(ITEM_STRIPES, show_confirm_stripes);
    show_confirm_stripes = true;
}

bool ingame_confirm_handler_t::handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) {
    const bool base = base_handler_t::handle(view, type, param);
    ui_window_t *window = get_window();
    if (!window || type != UI_ACT_ACTIVATE || !view) return base;
    if (view->id != BUTTON_YES && view->id != BUTTON_NO) return base;
    if (view->id == BUTTON_YES) confirm_result = true;
    ui_whide(window->get_item());
    return true;
}

namespace {

constexpr entity_reg_t INGAME_CONFIRM_REG = game_ui_reg<ingame_confirm_handler_t>("ui.handler.ingame.confirm");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_confirm_screens, quarn::ui_handler_row<quarn::INGAME_CONFIRM_REG>());

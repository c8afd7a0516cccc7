#include "game/ui/ingame/mperformancehdl.h"

#include "game/ui/ingame/groundhdl.h"
#include "game/ui/ui_classes.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/ui_window.h"

namespace quarn {

void menu_performance_handler_t::on_wshow() {
    menu_screen_handler_t::on_wshow();
    show_item(GROUP_STRIPES, show_menu_or_game());
}

void menu_performance_handler_t::close() {
    if (ui_window_t *window = get_window()) ui_whide(window->get_item());
    round_result_continue();
}

bool menu_performance_handler_t::handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) {
    if (is_escape(type, param) || is_click(view, type, BUTTON_OK)) {
        close();
        return true;
    }
    if (type == UI_ACT_ACTIVATE) return false;
    return menu_screen_handler_t::handle(view, type, param);
}

namespace {

constexpr entity_reg_t MENU_PERFORMANCE_REG =
    game_ui_reg<menu_performance_handler_t>("ui.handler.menu.performance");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_performance_screen, quarn::ui_handler_row<quarn::MENU_PERFORMANCE_REG>());

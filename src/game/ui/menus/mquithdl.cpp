#include "game/ui/menus/mquithdl.h"

#include "game/session/savegame.h"
#include "game/ui/screen_ctrl.h"
#include "game/ui/ui_classes.h"
#include "kernel/console/commands.h"

namespace quarn {

void menu_quit_handler_t::on_wshow() {
    menu_screen_handler_t::on_wshow();
    const bool menu = show_menu_or_game();
    show_item(GROUP_STRIPES, menu);
    set_item_text(ITEM_TEXT, menu ? "@@ui_quit_text@@" : "@@ui_quit_text2@@");
}

bool menu_quit_handler_t::handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) {
    const bool base = menu_screen_handler_t::handle(view, type, param);
    if (!window_shown()) return base;
    if (is_escape(type, param) || is_click(view, type, BUTTON_NO)) {
        back_or_close();
        return true;
    }
    if (is_click(view, type, BUTTON_YES)) {
        // The hunt is saved before the program goes.
        if (current_ctrl_is_hunt()) savegame_write();
        cmd_execute("quit");
        return true;
    }
    if (type == UI_ACT_ACTIVATE) return false;
    return base;
}

namespace {

constexpr entity_reg_t MENU_QUIT_REG = game_ui_reg<menu_quit_handler_t>("ui.handler.menu.quit");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_quit_screen, quarn::ui_handler_row<quarn::MENU_QUIT_REG>());

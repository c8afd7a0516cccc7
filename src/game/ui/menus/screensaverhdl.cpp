#include "game/ui/menus/screensaverhdl.h"

#include "game/ui/ui_classes.h"
#include "kernel/console/commands.h"
#include "kernel/input/input.h"

namespace quarn {

void screensaver_handler_t::on_wshow() {
    base_handler_t::on_wshow();
    inp_reset_keycode_queue();
}

bool screensaver_handler_t::handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) {
    base_handler_t::handle(view, type, param);
    if (!get_window()) return false;
    bool quit = false;
    if (type == UI_ACT_KEY_DOWN || type == UI_ACT_BUTTON_DOWN) {
        quit = true;
    } else if (type == UI_ACT_POINTER_MOVE) {
        quit = ++m_moves >= MOVES_TO_QUIT;
    } else {
        m_moves = 0;
    }
    if (!quit) return false;
    m_moves = 0;
    cmd_execute("quit");
    return true;
}

namespace {

constexpr entity_reg_t SCREENSAVER_REG = game_ui_reg<screensaver_handler_t>("ui.handler.screensaver");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_screensaver_screens, quarn::ui_handler_row<quarn::SCREENSAVER_REG>());

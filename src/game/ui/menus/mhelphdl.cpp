#include "game/ui/menus/mhelphdl.h"

#include <cstdlib>

#include "game/game_data.h"
#include "game/session/savegame.h"
#include "game/session/window_desc.h"
#include "game/ui/controls/button_control.h"
#include "game/ui/controls/find_item.h"
#include "game/ui/menu_ctrl_link.h"
#include "game/ui/controls/portal_control.h"
#include "game/ui/ui_classes.h"
#include "outside/qrnshared/ui/ui_window.h"

namespace quarn {

// ---- help ----

void menu_help_handler_t::on_wshow() {
    menu_screen_handler_t::on_wshow();
    menu_set_scene_visible(true);
}

bool menu_help_handler_t::show_target(int32_t target) {
    auto *portal = ui_get<ui_portal_t>(ITEM_PORTAL);
    ui_window_t *page = portal ? portal->get_child() : nullptr;
    const ui_view_t *found = page ? ui_view_of(find_item_by_id(page, target)) : nullptr;
    if (!found) return false;
    // y grows upward; offset 0 puts the page's bottom on the portal's bottom.
    const float d = found->rect.top - page->rect.bottom;
    const float h = portal->rect.height();
    portal->move_child(0.0f, h - (d > h ? d : h));
    return true;
}

bool menu_help_handler_t::handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) {
    const bool base = menu_screen_handler_t::handle(view, type, param);
    if (!window_shown()) return base;
    if (is_escape(type, param) || is_click(view, type, BUTTON_BACK)) {
        open(WINDOW_PLAY_MENU);
        return true;
    }
    if (type != UI_ACT_ACTIVATE || !view || view->id < FIRST_LINK) return base;
    const auto *link = dynamic_cast<const ui_common_button_t *>(view);
    const int32_t target = link ? int32_t(strtol(link->value2.c_str(), nullptr, 0)) : -1;
    if (!show_target(target)) return false;
    return base;
}

// ---- play ----

void menu_play_handler_t::on_wshow() {
    menu_screen_handler_t::on_wshow();
    menu_set_scene_visible(true);
    const bool saved = savegame_exists();
    show_item(GROUP_CONTINUE, saved);
    show_item(GROUP_NORMAL, !saved);
}

bool menu_play_handler_t::handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) {
    const bool base = menu_screen_handler_t::handle(view, type, param);
    if (!window_shown()) return base;
    if (is_escape(type, param) || is_click(view, type, BUTTON_BACK)) {
        open(WINDOW_MAIN_MENU);
        return true;
    }
    if (type != UI_ACT_ACTIVATE || !view) return base;
    game_data_t *data = get_game_data();
    switch (view->id) {
    case BUTTON_CONTINUE:
        savegame_resume();
        return true;
    case BUTTON_NORMAL:
        if (data) data->start_game(1, false);
        return true;
    case BUTTON_EXPERT:
        if (data) data->start_game(1, true);
        return true;
    case BUTTON_HELP:
        open(WINDOW_HELP);
        return true;
    default:
        return base;
    }
}

namespace {

constexpr entity_reg_t MENU_HELP_REG = game_ui_reg<menu_help_handler_t>("ui.handler.menu.help");
constexpr entity_reg_t MENU_PLAY_REG = game_ui_reg<menu_play_handler_t>("ui.handler.menu.play");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_help_play_screens, quarn::ui_handler_row<quarn::MENU_HELP_REG>(),
                 quarn::ui_handler_row<quarn::MENU_PLAY_REG>());

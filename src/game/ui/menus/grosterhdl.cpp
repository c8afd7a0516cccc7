#include "game/ui/menus/grosterhdl.h"

#include <cstdio>

#include "game/game_data.h"
#include "game/scene/base_ctrl.h"
#include "game/session/front_end_session.h"
#include "game/session/score.h"
#include "game/session/window_desc.h"
#include "game/ui/menus/confirmhdl.h"
#include "game/ui/controls/input_line.h"
#include "game/ui/menuhdl.h"
#include "game/ui/screen_ctrl.h"
#include "game/ui/ui_classes.h"
#include "game/ui/effects/uifx_view.h"
#include "kernel/console/commands.h"
#include "outside/qrnshared/ui/lcl.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/ui_window.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

namespace {

score_table_u *high_scores() {
    front_end_session_t *session = get_front_end_session();
    return session ? session->get_high_scores() : nullptr;
}

}  // namespace

void ingame_roster_handler_t::on_wcreate() {
    base_handler_t::on_wcreate();
    score_table_u *table = high_scores();
    game_data_t *data = get_game_data();
    score_u *running = data ? data->get_running_score() : nullptr;
    m_place = table && running ? table->find_place(running->score) : score_table_u::NO_PLACE;
    if (m_place != score_table_u::NO_PLACE) m_place = table->insert(*running);
    if (m_place == score_table_u::NO_PLACE) {
        cmd_execute("menu");
        return;
    }
    char text[32];
    snprintf(text, sizeof text, "%u", running->score);
    set_item_text(ITEM_SCORE, text);
    if (auto *effect = dynamic_cast<uifx_text_view_t *>(ui_view(ITEM_SCORE))) effect->start();
    snprintf(text, sizeof text, "%zu", size_t(m_place) + 1);
    set_item_text(ITEM_PLACE, text);
    if (auto *line = ui_get<ui_input_line_t>(ITEM_NAME)) {
        line->set_text(menu_cvar_text("g_player_name"), false);
        if (ui_window_t *window = get_window()) window->set_focus(line);
    }
}

void ingame_roster_handler_t::on_wshow() {
    show_in_game();
    menu_play_sound(SOUND, SOUND_VOLUME, SOUND_TAG_DIALOG);
    show_item(GROUP_OFFLINE, false);
}

bool ingame_roster_handler_t::accept_name() {
    auto *line = ui_get<ui_input_line_t>(ITEM_NAME);
    if (!line) return false;
    if (!*line->get_text()) {
        if (ui_window_t *window = get_window()) window->set_focus(line);
        return false;
    }
    menu_cvar_set("g_player_name", line->get_text());
    return true;
}

void ingame_roster_handler_t::store_name() {
    score_table_u *table = high_scores();
    score_u *entry = table && m_place >= 0 ? table->get_entry(uint32_t(m_place)) : nullptr;
    if (!entry) return;
    entry->player_name = menu_cvar_text("g_player_name");
    get_front_end_session()->save_high_scores();
}

void ingame_roster_handler_t::submit_online() {
    score_table_u *table = high_scores();
    const score_u *entry = table && m_place >= 0 ? table->get_entry(uint32_t(m_place)) : nullptr;
    if (!entry) return;
    mstring_dyn_t token;
    // A token that cannot be made opens no page (the record logged why).
    if (!entry->make_submit_token(menu_cvar_text("g_player_name"), token)) return;
    mstring_dyn_t address;
    if (!lcl_translate_string(address, "@@url_online_score_submit@@")) return;
    address.append(token.c_str());
    screens_open_link(address.c_str());
}

void ingame_roster_handler_t::ask_upload() {
    store_name();
    front_end_session_t *session = get_front_end_session();
    m_upload_dialog = session ? session->show_window(WINDOW_DIALOG_WEBUPLOAD) : nullptr;
    show_item(ITEM_WHOLE, false);
}

void ingame_roster_handler_t::handler() {
    base_handler_t::handler();
    if (!m_upload_dialog || ui_wis_shown(m_upload_dialog.get())) return;
    m_upload_dialog.release();
    show_item(ITEM_WHOLE, true);
    if (confirm_result) submit_online();
    store_name();
    cmd_execute("menu highscore");
}

bool ingame_roster_handler_t::handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) {
    const bool base = base_handler_t::handle(view, type, param);
    if (type != UI_ACT_ACTIVATE || !view) return base;
    switch (view->id) {
    case BUTTON_SAVE:
        if (accept_name()) {
            store_name();
            cmd_execute("menu highscore");
        }
        return true;
    case BUTTON_UPLOAD:
        if (accept_name()) ask_upload();
        return true;
    default:
        return false;
    }
}

namespace {

constexpr entity_reg_t INGAME_ROSTER_REG = game_ui_reg<ingame_roster_handler_t>("ui.handler.ingame.roster");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_roster_screen, quarn::ui_handler_row<quarn::INGAME_ROSTER_REG>());

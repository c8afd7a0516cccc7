#include "game/ui/system/consolehdl.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "game/game_version.h"
#include "game/ui/controls/log_view.h"
#include "game/ui/system/system_windows.h"
#include "game/ui/ui_classes.h"
#include "kernel/console/commands.h"
#include "kernel/console/cvars.h"
#include "kernel/log_setup.h"
#include "outside/qrnshared/cvar.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/ui_view.h"
#include "outside/qrnshared/ui/ui_window.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

namespace {

// White space in the C locale, on unsigned bytes.
bool is_blank(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return u == ' ' || (u >= '\t' && u <= '\r');
}

}  // namespace

const char *const system_console_handler_t::DEVELOPER_WORDS[DEVELOPER_WORD_COUNT] = {
    "goto", "bonus", "gift", "time_factor", "developer_pause", "map", "start", "g_time", "init_round", "round"};

bool system_console_handler_t::is_developer_line(const char *line) {
    for (const char *word : DEVELOPER_WORDS)
        if (strncmp(line, word, strlen(word)) == 0) return true;
    return false;
}

bool system_console_handler_t::minicon_wanted() {
    cvar_t *v = cvar_get("g_minicon");
    return v && v->get_int() != 0;
}

void system_console_handler_t::scroll_log(int32_t lines) {
    if (ui_log_view_t *log = m_items.get<ui_log_view_t>(LOG_ITEM)) log->offset += lines;
}

void system_console_handler_t::handler() {
    ui_handler_t::handler();
    const ui_render_context_t *context = ui_context();
    m_timer -= float(context ? context->frame_time : 0.0);
    if (!m_scrolling || m_timer > 0.0f) return;
    scroll_log(m_step);
    m_timer = REPEAT;
}

bool system_console_handler_t::handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) {
    ui_window_t *window = get_window();
    const bool ours = window && view && (view == window || view->get_window() == window);
    if (!ours || !param) return ui_handler_t::handle(view, type, param);
    if (type == UI_ACT_ACTIVATE && view->id == INPUT_ITEM) {
        const char *text = param->text ? param->text : "";
        while (is_blank(*text)) ++text;
        uint32_t length = uint32_t(strlen(text));
        while (length > 0 && is_blank(text[length - 1])) --length;
        mstring_dyn_t line;
        line.copy(text, 0, 0, length);
        if (is_developer_line(line.c_str())) return true;
        cmd_execute(line.c_str());
        return ui_handler_t::handle(view, type, param);
    }
    const uint32_t code = param->key_code();
    if ((type == UI_ACT_KEY_DOWN || type == UI_ACT_KEY_UP) && (code == KEY_PAGE_UP || code == KEY_PAGE_DOWN)) {
        if (type == UI_ACT_KEY_UP) {
            m_scrolling = false;
            return true;
        }
        const uint32_t mods = param->key_modifiers();
        int32_t step = PLAIN_STEP;
        if (mods & UI_MOD_CTRL) step = message_history_count();
        else if (mods & UI_MOD_SHIFT) step = SHIFT_STEP;
        m_step = code == KEY_PAGE_UP ? step : -step;
        m_scrolling = true;
        m_timer = 0.0f;
        return true;
    }
    return ui_handler_t::handle(view, type, param);
}

void system_console_handler_t::on_wcreate() {
    ui_handler_t::on_wcreate();
    char version[256];
    snprintf(version, sizeof version, "<align hstyle=right>ver. %s (%s)</align>", GAME_VERSION, GAME_BUILD);
    m_items.set_text(VERSION_ITEM, version);
    c_item_t *minicon = system_window_get_or_insert(WINDOW_SYSTEM_MINICON);
    if (minicon && minicon_wanted()) ui_wshow(minicon);
}

void system_console_handler_t::on_wshow() {
    ui_handler_t::on_wshow();
    c_item_t *minicon = ui_wget(WINDOW_SYSTEM_MINICON.group, WINDOW_SYSTEM_MINICON.name);
    if (minicon && ui_wis_shown(minicon)) ui_whide(minicon);
    if (ui_log_view_t *log = m_items.get<ui_log_view_t>(LOG_ITEM)) log->offset = 0;
    ui_window_t *window = get_window();
    ui_view_t *input = m_items.view(INPUT_ITEM);
    if (window && input) window->set_focus(input);
}

void system_console_handler_t::on_whide() {
    ui_handler_t::on_whide();
    if (!minicon_wanted()) return;
    c_item_t *minicon = system_window_get_or_insert(WINDOW_SYSTEM_MINICON);
    if (minicon && !ui_wis_shown(minicon)) ui_wshow(minicon);
}

namespace {

constexpr entity_reg_t CONSOLE_REG = game_ui_reg<system_console_handler_t>("ui.handler.system.console");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_system_console, quarn::ui_handler_row<quarn::CONSOLE_REG>());

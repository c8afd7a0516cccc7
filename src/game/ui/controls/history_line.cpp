// The console's command line: history and completion over the input line.
#include <cstring>

#include "game/ui/controls/control_kit.h"
#include "game/ui/controls/input_line.h"
#include "game/ui/ui_classes.h"
#include "kernel/console/commands.h"
#include "kernel/console/cvars.h"
#include "outside/qrnshared/ui/ui.h"

namespace quarn {

bool ui_history_line_t::action(ui_view_t *source, uint32_t type, ui_act_param_t *param) {
    if (source != this || type != UI_ACT_ACTIVATE) return ui_input_line_t::action(source, type, param);
    // The screen runs the line first, then it joins the history.
    mstring_dyn_t line(param && param->text ? param->text : get_text());
    ui_input_line_t::action(source, type, param);
    add_history(line.c_str());
    clear();
    return true;
}

void ui_history_line_t::add_history(const char *line) {
    if (m_history.get_count() < HISTORY) {
        if (!m_history.append(mstring_dyn_t(line))) return;
        m_write = m_history.get_count();
    } else {
        m_history[m_write].copy(line);
        ++m_write;
    }
    m_write %= m_history.get_count();
    m_browse = m_write;
}

void ui_history_line_t::browse(bool back) {
    const uint32_t count = m_history.get_count();
    if (count == 0) {
        set_text("", false);
        return;
    }
    m_browse = back ? (m_browse + count - 1) % count : (m_browse + 1) % count;
    set_text(m_history[m_browse].c_str(), false);
    set_cursor(0, true);
}

void ui_history_line_t::complete() {
    const mstring_dyn_t typed(get_text());
    const uint32_t n = typed.length();
    array_dyn_t<const char *> found;
    for (const cmd_t *c = cmd_get_list(); c; c = c->next)
        if (c->name && strncmp(c->name, typed.c_str(), n) == 0) found.append(c->name);
    for (const cvar_t *v = cvar_get_list(); v; v = v->next)
        if (strncmp(v->name, typed.c_str(), n) == 0) found.append(v->name);
    if (found.get_count() == 0) return;
    mstring_dyn_t text;
    if (found.get_count() == 1) {
        text.copy(found[0]);
        text.append(' ');
        set_text(text.c_str(), false);
        set_cursor(0, true);
        return;
    }
    // Sorted by byte value (insertion: the lists are short).
    for (uint32_t i = 1; i < found.get_count(); ++i)
        for (uint32_t j = i; j > 0 && strcmp(found[j - 1], found[j]) > 0; --j) {
            const char *t = found[j - 1];
            found[j - 1] = found[j];
            found[j] = t;
        }
    uint32_t common = n;
    for (bool agree = true; agree && found[0][common];) {
        for (const char *f : found) agree = agree && strncmp(f, found[0], common + 1) == 0;
        if (agree) ++common;
    }
    text.copy(string(found[0]), 0, 0, common);
    set_text(text.c_str(), false);
    set_cursor(0, true);
    verbose(" ");
    for (const char *f : found) verbose("%s", f);
}

bool ui_history_line_t::handle_key(const ui_event_t &event) {
    const uint32_t ctrl = ui_get_ctrlcallback(&event);
    if ((ctrl & UI_CTRL_PREVIOUS) && (ctrl & UI_CTRL_PRESS)) {
        browse(true);
        return true;
    }
    if ((ctrl & UI_CTRL_NEXT) && (ctrl & UI_CTRL_PRESS)) {
        browse(false);
        return true;
    }
    if (event.code == UI_KEY_TAB && !(event.modifiers & UI_MOD_ALT)) {
        // The Tab completes: the focus stays on the line.
        complete();
        ui_input_line_t::handle_key(event);
        return true;
    }
    return ui_input_line_t::handle_key(event);
}

namespace {

constexpr entity_reg_t HISTORY_LINE_REG = game_ui_reg<ui_history_line_t>("ui.comp.historyline");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_history_lines, quarn::ui_component_row<quarn::HISTORY_LINE_REG>());

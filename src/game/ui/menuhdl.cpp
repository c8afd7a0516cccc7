#include "game/ui/menuhdl.h"

#include <strings.h>

#include <cstdio>

#include "game/session/front_end_session.h"
#include "game/session/window_desc.h"
#include "game/ui/menu_ctrl_link.h"
#include "game/ui/screen_ctrl.h"
#include "game/one_shot_sound.h"
#include "kernel/console/cvars.h"
#include "kernel/sound/sound.h"
#include "kernel/sound/sound_unit.h"
#include "outside/qrnshared/cvar.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/ui_window.h"
#include "qrncore/system/messages.h"

namespace quarn {

c_item_t *menu_screen_handler_t::open(const window_desc_t &row) {
    front_end_session_t *session = get_front_end_session();
    if (!session) {
        ::quarn::error("[ui] No session opens the window %s/%s.", row.group, row.name);
        return nullptr;
    }
    // Hidden before the new one shows: their hide would otherwise undo what its show
    // set on the menu controller.
    const c_item_t *target = session->find_window(row);
    for (uint32_t i = 0; i < ui_window_count(); ++i) {
        c_item_t *item = ui_window_get(i);
        ui_window_t *window = ui_window_of(item);
        if (!window || item == target || !window->shown) continue;
        if (strcasecmp(window->group_name.c_str(), row.group) == 0) ui_whide(item);
    }
    return session->show_window(row);
}

bool menu_screen_handler_t::window_shown() const {
    const ui_window_t *window = get_window();
    return window && window->shown;
}

bool menu_screen_handler_t::show_menu_or_game() {
    if (current_ctrl_is_menu()) {
        menu_set_scene_visible(true);
        return true;
    }
    hold_game(true);
    return false;
}

void menu_screen_handler_t::hide_menu_or_game() {
    ui_handler_t::on_whide();
    if (current_ctrl_is_menu()) menu_set_scene_visible(false);
    // Only what the show took goes back, even when the controller changed while the
    // screen was up.
    hold_game(false);
}

void menu_screen_handler_t::shared_menu_hide() {
    ui_handler_t::on_whide();
    menu_set_scene_visible(false);
}

void menu_screen_handler_t::back_or_close() {
    if (current_ctrl_is_menu()) {
        open(WINDOW_MAIN_MENU);
        return;
    }
    if (ui_window_t *window = get_window()) ui_whide(window->get_item());
}

// ---- variables and sounds ----

cvar_t *menu_cvar(const char *name) { return cvar_get(name); }

const char *menu_cvar_text(const char *name) {
    const cvar_t *variable = cvar_get(name);
    const char *text = variable ? variable->get_text() : nullptr;
    return text ? text : "";
}

void menu_cvar_set(const char *name, const char *text) {
    if (cvar_t *variable = cvar_get(name)) variable->set(text);
}

void menu_cvar_set_float(const char *name, double value) {
    char text[32];
    snprintf(text, sizeof text, "%g", value);
    menu_cvar_set(name, text);
}

void menu_cvar_set_int(const char *name, int32_t value) {
    char text[16];
    snprintf(text, sizeof text, "%d", value);
    menu_cvar_set(name, text);
}

void menu_play_sound(const char *path, float volume, int32_t tag) {
    play_one_shot_sound(path, {.tag = tag, .volume = volume});
}

}  // namespace quarn

#include "game/ui/menus/mstarthdl.h"

#include <cstdio>

#include "game/ui/menu_ctrl_link.h"
#include "game/ui/menuhdl.h"
#include "game/ui/menus/splashhdl.h"
#include "game/ui/ui_classes.h"
#include "kernel/sys.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

void menu_start_handler_t::on_wshow() {
    base_handler_t::on_wshow();
    mstring_dyn_t image;
    pick_splash_image(image);
    mstring_dyn_t text;
    if (!image.is_empty()) text.printf("<img src=%s xscale=stretch yscale=stretch>", image.c_str());
    set_item_text(ITEM_IMAGE, text.c_str());
    voice_timer = VOICE_DELAY;
    m_done = false;
}

void menu_start_handler_t::handler() {
    base_handler_t::handler();
    if (voice_timer <= 0.0f) return;
    voice_timer -= float(sys_get_lastdelta());
    if (voice_timer > 0.0f) return;
    char voice[256];
    snprintf(voice, sizeof voice, VOICE, menu_cvar_text("g_lang"));
    menu_play_sound(voice, VOICE_VOLUME);
}

void menu_start_handler_t::finish() {
    // The controller takes the step at its next update; a second key before then (or
    // the logo ending after a key) must not ask again.
    if (m_done) return;
    m_done = true;
    menu_set_pending_step(STEP_AFTER_SPLASH);
}

bool menu_start_handler_t::handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) {
    if (type == UI_ACT_KEY_UP || type == UI_ACT_BUTTON_UP) {
        base_handler_t::handle(view, type, param);
        finish();
        return true;
    }
    return base_handler_t::handle(view, type, param);
}

void menu_start_handler_t::on_effect_done(int32_t id) {
    if (id == LOGO_EFFECT) finish();
}

namespace {

constexpr entity_reg_t MENU_START_REG = game_ui_reg<menu_start_handler_t>("ui.handler.menu.start");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_start_screen, quarn::ui_handler_row<quarn::MENU_START_REG>());

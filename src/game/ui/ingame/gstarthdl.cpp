#include "game/ui/ingame/gstarthdl.h"

#include <cstdio>

#include "game/cameras/trail_camera.h"
#include "game/game_data.h"
#include "game/ui/ingame/ingame_screen.h"
#include "game/ui/menuhdl.h"
#include "game/ui/ui_classes.h"
#include "kernel/sys.h"

namespace quarn {

void ingame_start_handler_t::on_wshow() {
    base_handler_t::on_wshow();
    m_phase = PHASE_WAITING;
    m_countdown = NUMBER_DELAY;
    show_item(ITEM_ROUND, false);
    show_item(ITEM_PARTY_ROUND, false);
}

void ingame_start_handler_t::on_wdestroy() {
    // The camera outlives a window removed before the flight ends: it must not be
    // called from here any more.
    m_camera = nullptr;
    base_handler_t::on_wdestroy();
}

void ingame_start_handler_t::handler() {
    base_handler_t::handler();
    m_countdown -= float(sys_get_lastdelta());
    if (m_countdown > 0.0f || m_phase == PHASE_DONE) return;
    const game_data_t *data = get_game_data();
    const int32_t item = data && data->is_party_mode() ? ITEM_PARTY_ROUND : ITEM_ROUND;
    if (m_phase == PHASE_WAITING) {
        char text[16];
        snprintf(text, sizeof text, "%u", ingame_round_number());
        set_item_text(item, text);
        show_item(item, true);
        ingame_run_on_item(*this, item, "uifx.scale.ghost", 1);
        menu_play_sound(JINGLE, JINGLE_VOLUME, SOUND_TAG_GAME);
        m_phase = PHASE_SHOWN;
        m_countdown = NUMBER_TIME;
        return;
    }
    show_item(item, false);
    ingame_run_on_item(*this, item, "uifx.scale.shrink", 1);
    m_phase = PHASE_DONE;
}

bool ingame_start_handler_t::handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) {
    // A window opened some other way has no camera: the input is only the base's.
    if ((type == UI_ACT_KEY_UP || type == UI_ACT_BUTTON_UP) && m_camera) m_camera->reset_interpolation();
    return base_handler_t::handle(view, type, param);
}

namespace {

constexpr entity_reg_t INGAME_START_REG = game_ui_reg<ingame_start_handler_t>("ui.handler.ingame.start");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_round_start_screen, quarn::ui_handler_row<quarn::INGAME_START_REG>());

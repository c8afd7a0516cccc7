#include "game/ui/ingame/ingame_screen.h"

#include "game/game_data.h"
#include "game/session/front_end_session.h"
#include "game/session/window_desc.h"
#include "game/ui/basehdl.h"
#include "game/ui/menuhdl.h"
#include "game/ui/controls/text_control.h"
#include "game/ui/effects/uifx_view.h"
#include "qrncore/system/messages.h"

namespace quarn {

uint32_t ingame_round_number() {
    const game_data_t *data = get_game_data();
    if (!data) return 1;
    return data->is_party_mode() ? data->party_round : data->round_index;
}

bool ingame_key_released(uint32_t type, const ui_act_param_t *param, uint32_t key) {
    return type == UI_ACT_KEY_UP && param && param->key_code() == key;
}

bool ingame_escape_or_click(const ui_view_t *view, uint32_t type, const ui_act_param_t *param, int32_t id) {
    return menu_screen_handler_t::is_escape(type, param) || menu_screen_handler_t::is_click(view, type, id);
}

c_item_t *ingame_show_window(const window_desc_t &row) {
    front_end_session_t *session = get_front_end_session();
    if (!session) {
        error("[ui] No session opens the window %s/%s.", row.group, row.name);
        return nullptr;
    }
    return session->show_window(row);
}

const char *ingame_item_markup(ui_view_t *view) {
    if (auto *common = dynamic_cast<ui_common_text_t *>(view)) {
        common->refresh();
        return common->text.c_str();
    }
    if (auto *text = dynamic_cast<ui_text_t *>(view)) return text->text.c_str();
    if (auto *common = dynamic_cast<uifx_common_text_view_t *>(view)) {
        common->apply_template();
        return common->text.c_str();
    }
    if (auto *effect = dynamic_cast<uifx_text_view_t *>(view)) return effect->text.c_str();
    return nullptr;
}

bool ingame_run_on_item(base_handler_t &screen, int32_t item, const char *effect, int32_t layer_offset, int32_t id) {
    ui_view_t *view = screen.ui_view(item);
    if (!view) return false;
    const char *markup = ingame_item_markup(view);
    screen.run_uifx(view->rect, markup ? markup : "", effect, view->layer + layer_offset, id);
    return true;
}

bool ingame_start_effect(base_handler_t &screen, int32_t item) {
    auto *view = screen.ui_get<uifx_text_view_t>(item);
    if (!view) return false;
    view->start();
    return true;
}

bool ingame_stop_effect(base_handler_t &screen, int32_t item) {
    auto *view = screen.ui_get<uifx_text_view_t>(item);
    if (!view) return false;
    view->stop();
    return true;
}

bool ingame_show_effect(base_handler_t &screen, int32_t item, const char *text) {
    if (!screen.set_item_text(item, text)) return false;
    return ingame_start_effect(screen, item);
}

}  // namespace quarn

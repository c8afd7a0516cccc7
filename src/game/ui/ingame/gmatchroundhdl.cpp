#include "game/ui/ingame/gmatchroundhdl.h"

#include "game/game_data.h"
#include "game/ui/ingame/ingame_screen.h"
#include "game/ui/controls/list_control.h"
#include "game/ui/menus/party_rows.h"
#include "game/ui/ui_classes.h"
#include "outside/qrnshared/ui/lcl.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

void ingame_matchround_handler_t::on_wshow() {
    show_in_game();
    // The translation is data: its "%d" place is filled by the checked formatter.
    mstring_dyn_t caption;
    lcl_format(caption, "@@ui_match_round@@", {ingame_round_number()});
    set_item_text(ITEM_CAPTION, caption.c_str());

    auto *list = ui_get<ui_list_t>(LIST_SCORES);
    if (!list) return;
    list->clear_items();
    const game_data_t *data = get_game_data();
    const uint32_t count = data ? data->get_party_player_count() : 0;
    mstring_dyn_t name;
    mstring_dyn_t row;
    for (uint32_t i = 0; i < count; ++i) {
        party_standing_t standing;
        if (!data->get_party_player(i, &name, &standing)) continue;
        row.printf("%d|%s|%u", standing.rank, name.c_str(), standing.score);
        ui_list_item_t item;
        item.zml = row.c_str();
        item.text = name.c_str();
        // The row keeps the true score; the sort key saturates (party_row_data).
        item.data = party_row_data(i, standing.score);
        list->insert_item(item, ui_list_item_t::ZML | ui_list_item_t::TEXT | ui_list_item_t::DATA, list->item_count());
    }
    list->sort_items(&party_row_compare);
}

bool ingame_matchround_handler_t::handle_next_round(ui_view_t *view, uint32_t type, const ui_act_param_t *param) {
    if (!ingame_escape_or_click(view, type, param, BUTTON_OK)) return false;
    if (game_data_t *data = get_game_data()) data->next_round();
    return true;
}

bool ingame_matchround_handler_t::handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) {
    if (handle_next_round(view, type, param)) return true;
    return base_handler_t::handle(view, type, param);
}

namespace {

constexpr entity_reg_t INGAME_MATCHROUND_REG =
    game_ui_reg<ingame_matchround_handler_t>("ui.handler.ingame.matchround");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_matchround_screen, quarn::ui_handler_row<quarn::INGAME_MATCHROUND_REG>());

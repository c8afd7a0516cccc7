#include "game/ui/ingame/gbonushdl.h"

#include "game/round/bonus_unlocks.h"
#include "game/ui/ingame/gmatchroundhdl.h"
#include "game/ui/ingame/ingame_screen.h"
#include "game/ui/menuhdl.h"
#include "game/ui/ui_classes.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

void ingame_bonus_handler_t::on_wshow() {
    show_in_game();
    array_dyn_t<string> names;
    list_unlocked_bonuses(names, ingame_round_number() + 1);
    for (uint32_t i = 0; i < SLOTS; ++i)
        set_item_text(ITEM_FIRST_SLOT + int32_t(i), i < names.get_count() ? names[i].c_str() : LOCKED);
    // Shown only before a round that unlocks one; should it show otherwise, the three
    // items of the newest bonus stay empty rather than name a bonus that is not there.
    if (!names.is_empty()) {
        const char *newest = names[names.get_count() - 1].c_str();
        mstring_dyn_t key;
        key.printf("@@%s_name@@", newest);
        set_item_text(ITEM_NAME, key.c_str());
        set_item_text(ITEM_ICON, newest);
        key.printf("@@%s_desc@@", newest);
        set_item_text(ITEM_DESCRIPTION, key.c_str());
    }
    menu_play_sound(SOUND, SOUND_VOLUME, SOUND_TAG_DIALOG);
}

bool ingame_bonus_handler_t::handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) {
    if (ingame_matchround_handler_t::handle_next_round(view, type, param)) return true;
    return base_handler_t::handle(view, type, param);
}

namespace {

constexpr entity_reg_t INGAME_BONUS_REG = game_ui_reg<ingame_bonus_handler_t>("ui.handler.ingame.bonus");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_bonus_screen, quarn::ui_handler_row<quarn::INGAME_BONUS_REG>());

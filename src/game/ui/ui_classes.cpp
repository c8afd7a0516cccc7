#include "game/ui/ui_classes.h"

namespace quarn {

void game_ui_release(entity_t *object, bool in_place) {
    if (in_place) {
        if (object) object->~entity_t();
    } else if (object) {
        delete object;
    }
    game_module_unlock();
}

void register_ui_handler_classes(const game_row_table_t &table) {
    table.run_step(game_step_t::REGISTER_UI_HANDLERS, game_row_args_t{});
}

void register_ui_component_classes(const game_row_table_t &table) {
    table.run_step(game_step_t::REGISTER_UI_COMPONENTS, game_row_args_t{});
}

}  // namespace quarn

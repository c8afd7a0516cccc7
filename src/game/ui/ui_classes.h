#pragma once
// The game's UI classes as the UI layer makes them. Each class a layout names is an
// entity_reg_t record whose factory builds the object (in the memory the layer gives,
// or in memory of its own) and whose release destroys it; both hold the game module
// (game_module_lock) for as long as the object lives, so the module never goes while
// one of its UI objects does.
//
// The records are rows of the module's registration table: handlers and effect views
// in step REGISTER_UI_HANDLERS, windows and components in REGISTER_UI_COMPONENTS,
// each ordered by its place in the game's class tables (ui_class_order), so that a UI
// issue adds its class with one row in a file of its own folder:
//
//     constexpr entity_reg_t BUTTON = game_ui_reg<button_t>("ui.comp.button");
//     GAME_MODULE_ROWS(ui_buttons, ui_component_row<BUTTON>());
//
// docs/ui.md lists the tables.
#include <cstdint>
#include <new>

#include "game/game_rows.h"
#include "game/ui/ui_class_order.h"
#include "kernel/process_table.h"
#include "outside/qrnshared/ui/entity.h"
#include "qrncore/system/host_alloc.h"

namespace quarn {

// The factory of every record: one lock on the game module, then the object in the
// memory given or in memory of the host's allocator. Without memory the lock is
// returned and the answer is null.
template <class T>
entity_t *game_ui_factory(void *memory) {
    game_module_lock();
    if (memory) return new (memory) T;
    void *own = qrncore_system_new(sizeof(T));
    if (!own) {
        game_module_unlock();
        return nullptr;
    }
    return new (own) T;
}

// The release of every record: the object destroyed in place, or destroyed and its
// memory freed; then the lock goes back.
void game_ui_release(entity_t *object, bool in_place);

template <class T>
constexpr entity_reg_t game_ui_reg(const char *class_name) {
    return {class_name, {0, 0, 0, 0}, uint32_t(sizeof(T)), &game_ui_factory<T>, &game_ui_release};
}

// A row's work: registering its record with the UI layer.
template <const entity_reg_t &REG>
bool game_ui_register(const game_row_args_t &) {
    return entity_register(&REG);
}

template <const entity_reg_t &REG>
constexpr game_row_t ui_component_row() {
    constexpr int32_t order = ui_component_order(REG.class_name);
    static_assert(order > 0, "the class is not in the game's component table");
    return game_row(game_step_t::REGISTER_UI_COMPONENTS, REG.class_name, &game_ui_register<REG>, order);
}

template <const entity_reg_t &REG>
constexpr game_row_t ui_handler_row() {
    constexpr int32_t order = ui_handler_order(REG.class_name);
    static_assert(order > 0, "the class is not in the game's handler table");
    return game_row(game_step_t::REGISTER_UI_HANDLERS, REG.class_name, &game_ui_register<REG>, order);
}

// The registration steps of a table, handlers first: what the module's register
// phase runs after the unit classes and resource loaders.
void register_ui_handler_classes(const game_row_table_t &table);
void register_ui_component_classes(const game_row_table_t &table);

}  // namespace quarn

// The game's UI class records: their registration order, the module lock each live
// object holds, and the module rows of the UI layer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/game_module.h"
#include "game/ui/ui_classes.h"
#include "outside/qrnshared/ui/lcl.h"
#include "outside/qrnshared/ui/ui_item.h"
#include "outside/qrnshared/ui/zml.h"
#include "ui_fixture.h"

namespace quarn::test {
namespace {

// Stand-ins for classes later issues build: plain views under the tables' names.
constexpr entity_reg_t T_WINDOW = game_ui_reg<ui_window_t>("ui.window");
constexpr entity_reg_t T_GROUP = game_ui_reg<ui_group_t>("ui.comp.group");
constexpr entity_reg_t T_BUTTON = game_ui_reg<ui_view_t>("ui.comp.button");
constexpr entity_reg_t T_PORTAL = game_ui_reg<ui_group_t>("ui.comp.portal");
constexpr entity_reg_t T_TOOLTIP = game_ui_reg<ui_view_t>("ui.comp.tooltip");
constexpr entity_reg_t T_CONSOLE = game_ui_reg<ui_handler_t>("ui.handler.system.console");
constexpr entity_reg_t T_QUIT = game_ui_reg<ui_handler_t>("ui.handler.menu.quit");
constexpr entity_reg_t T_UIFX = game_ui_reg<ui_view_t>("ui.comp.uifx.common.text");

class ui_classes : public ui_fixture_t {};

TEST_F(ui_classes, components_register_by_their_order_and_handlers_first_in_table_order) {
    // Rows listed in any order, in two lists: the table orders them.
    static const game_row_t rows_a[] = {ui_component_row<T_TOOLTIP>(), ui_component_row<T_GROUP>(),
                                        ui_handler_row<T_UIFX>(), ui_component_row<T_BUTTON>()};
    static const game_row_t rows_b[] = {ui_handler_row<T_QUIT>(), ui_component_row<T_PORTAL>(),
                                        ui_component_row<T_WINDOW>(), ui_handler_row<T_CONSOLE>()};
    game_row_list_t a{"a_list", rows_a, 4};
    game_row_list_t b{"b_list", rows_b, 4, &a};
    game_row_table_t table;
    ASSERT_TRUE(table.build(&b));
    // A clean class table for these names.
    std::vector<const entity_reg_t *> held;
    for (const entity_reg_t *r : {&T_WINDOW, &T_GROUP, &T_BUTTON, &T_PORTAL, &T_TOOLTIP, &T_CONSOLE, &T_QUIT, &T_UIFX})
        while (const entity_reg_t *old = entity_find_class(r->class_name)) {
            held.push_back(old);
            entity_unregister(old);
        }
    const uint32_t before = entity_class_count();
    register_ui_handler_classes(table);
    register_ui_component_classes(table);
    std::string order;
    for (uint32_t i = before; i < entity_class_count(); ++i) order += std::string(entity_class_get(i)->class_name) + " ";
    EXPECT_EQ(order,
              "ui.handler.system.console ui.handler.menu.quit ui.comp.uifx.common.text ui.window ui.comp.portal "
              "ui.comp.button ui.comp.group ui.comp.tooltip ");
    for (const entity_reg_t *r : {&T_WINDOW, &T_GROUP, &T_BUTTON, &T_PORTAL, &T_TOOLTIP, &T_CONSOLE, &T_QUIT, &T_UIFX})
        entity_unregister(r);
    for (const entity_reg_t *r : held) entity_register(r);
    static_assert(ui_component_order("ui.comp.portal") < ui_component_order("ui.comp.button"));
    static_assert(ui_component_order("ui.comp.button") < ui_component_order("ui.comp.group"));
    static_assert(ui_handler_order("ui.comp.uifx.common.text") == 27 && ui_component_order("ui.nothing") == -1);
}

TEST_F(ui_classes, the_module_lock_count_equals_the_live_objects) {
    layout("/ui/locks.esc",
           "entity ui.window {\n"
           "  entity ui.comp.group { id: \"1\" entity ui.comp.group { id: \"2\" } }\n"
           "  entity ui.test.text { text: \"not the game's\" }\n"
           "}\n");
    c_item_t *w = insert("t", "locks", "/ui/locks.esc");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(module_holds(), 3) << "the window and two groups; the test's text holds none";
    c_item_t *spawned = ui_spawn_ci("ui.comp.group");
    ASSERT_NE(spawned, nullptr);
    EXPECT_EQ(module_holds(), 4);
    ASSERT_TRUE(ui_window_of(w)->add_child(spawned, false));
    spawned->release_ref();
    EXPECT_EQ(module_holds(), 4) << "held by the window now";
    ui_wremove(w);
    EXPECT_EQ(module_holds(), 0);
    // A broken layout returns every lock it took.
    layout("/ui/broken.esc", "entity ui.window { entity ui.comp.group { entity ui.comp.group { id: \"x\" } } }");
    EXPECT_EQ(insert("t", "broken", "/ui/broken.esc"), nullptr);
    EXPECT_EQ(module_holds(), 0);
}

void *no_memory(size_t) { return nullptr; }

TEST_F(ui_classes, a_factory_without_memory_returns_its_lock_and_a_release_returns_the_lock) {
    const entity_reg_t *group = entity_find_class("ui.comp.group");
    ASSERT_NE(group, nullptr);
    // Memory of its own.
    entity_t *own = group->factory(nullptr);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(module_holds(), 1);
    group->release(own, false);
    EXPECT_EQ(module_holds(), 0);
    // No memory to be had: none, and the lock is back.
    const host_new_t saved = qrncore_system_new;
    qrncore_system_new = &no_memory;
    entity_t *none = group->factory(nullptr);
    qrncore_system_new = saved;
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(module_holds(), 0);
    // In place: the memory stays the caller's.
    alignas(16) unsigned char memory[sizeof(ui_group_t)];
    entity_t *placed = group->factory(memory);
    EXPECT_EQ(static_cast<void *>(placed), static_cast<void *>(memory));
    EXPECT_EQ(module_holds(), 1);
    group->release(placed, true);
    EXPECT_EQ(module_holds(), 0);
}

TEST_F(ui_classes, the_module_rows_start_and_stop_the_layer_with_its_texts) {
    const game_row_table_t &rows = game_row_table_t::linked();
    std::vector<std::string> names;
    int32_t last_order = 0;
    for (uint32_t i = 0; i < rows.count(); ++i) {
        const game_row_t &r = rows.get(i);
        const std::string name = game_row_table_t::row_name(r);
        if (r.step == game_step_t::REGISTER_UI_COMPONENTS) {
            // Every component the game has, in the order of the table.
            EXPECT_GT(ui_component_order(name.c_str()), last_order) << name;
            last_order = ui_component_order(name.c_str());
            if (name == "ui.window" || name == "ui.comp.group") names.push_back(name);
        } else if (r.step == game_step_t::GUARD_LOCALISATION || r.step == game_step_t::GUARD_MARKUP ||
                   r.step == game_step_t::PASS_UI_RECACHE || r.step == game_step_t::STOP_MARKUP ||
                   r.step == game_step_t::STOP_LOCALISATION_API) {
            names.push_back(name);
        }
    }
    EXPECT_EQ(names, (std::vector<std::string>{"ui.window", "ui.comp.group", "lcl_set_callback", "ui_init",
                                               "ui_recache", "ui_shutdown", "lcl_api_release"}));
    // The stop removes every window, so the objects let go of the module.
    layout("/ui/w.esc", "entity ui.window { entity ui.comp.group { } }");
    ASSERT_NE(insert("t", "w", "/ui/w.esc"), nullptr);
    EXPECT_EQ(module_holds(), 2);
    rows.run_step(game_step_t::STOP_MARKUP, game_row_args_t{});
    EXPECT_EQ(module_holds(), 0);
    EXPECT_FALSE(ui_is_running());
    EXPECT_FALSE(zml_is_localized());
    // The guard's start: the layer runs again, texts are translated through the
    // module's callback until the API is released.
    const uint32_t users = lcl_api_users();
    rows.run_step(game_step_t::GUARD_LOCALISATION, game_row_args_t{});
    rows.run_step(game_step_t::GUARD_MARKUP, game_row_args_t{});
    EXPECT_TRUE(ui_is_running());
    EXPECT_TRUE(zml_is_localized());
    EXPECT_EQ(lcl_api_users(), users + 1);
    EXPECT_NE(lcl_get_callback(), nullptr);
    rows.run_step(game_step_t::STOP_LOCALISATION_API, game_row_args_t{});
    EXPECT_EQ(lcl_api_users(), users);
    if (users == 0) {
        EXPECT_EQ(lcl_get_callback(), nullptr);
    }
}

}  // namespace
}  // namespace quarn::test

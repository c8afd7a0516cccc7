// What the game process finds of the other parts of the game by name or through an
// installed interface: a missing row or installation only logs at run time, so the
// links are checked here.
#include <gtest/gtest.h>

#include "game/ctrl/menu_ctrl.h"
#include "game/ctrl/screensaver_ctrl.h"
#include "game/game_module.h"
#include "game/process/game_hooks.h"
#include "game/scene/game_ctrl.h"

namespace quarn::test {
namespace {

TEST(game_wiring, every_hook_the_process_asks_for_has_a_row) {
    EXPECT_NE(game_module_factory<game_write_herds_t>(GAME_HOOK_WRITE_HERDS), nullptr);
    EXPECT_NE(game_module_factory<game_start_mission_t>(GAME_HOOK_START_MISSION), nullptr);
    EXPECT_NE(game_module_factory<game_make_view_t>(GAME_HOOK_MENU_VIEW), nullptr);
    EXPECT_NE(game_module_factory<game_make_view_t>(GAME_HOOK_SCREENSAVER_VIEW), nullptr);
    EXPECT_NE(game_module_factory<game_animal_camera_t>(GAME_HOOK_ANIMAL_CAMERA), nullptr);
    EXPECT_NE(game_module_factory<game_start_round_t>(GAME_HOOK_START_ROUND), nullptr);
}

TEST(game_wiring, the_menu_and_the_screensaver_are_game_controllers) {
    // Map start-up runs only on game controllers.
    EXPECT_EQ(menu_ctrl_u::unit_descriptor.parent, &game_ctrl_u::unit_descriptor);
    EXPECT_EQ(screensaver_ctrl_u::unit_descriptor.parent, &game_ctrl_u::unit_descriptor);
}

}  // namespace
}  // namespace quarn::test

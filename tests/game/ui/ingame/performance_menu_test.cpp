// The tip for slow machines over the menus: the scene behind them shows.
#include <gtest/gtest.h>

#include "../menus_fixture.h"
#include "game/ui/ingame/mperformancehdl.h"

namespace quarn::test {
namespace {

class performance_menu : public menus_fixture_t {};

TEST_F(performance_menu, over_the_menu_the_scene_shows_and_nothing_of_a_round_follows) {
    install_ctrl(ctrl_kind_t::MENU);
    const int32_t impulses = impulse_counter();
    ASSERT_NE(open_row<menu_performance_handler_t>(WINDOW_PERFORMANCE), nullptr);
    EXPECT_TRUE(menu()->scene_visible);
    EXPECT_TRUE(get<ui_view_t>(menu_performance_handler_t::GROUP_STRIPES)->visible);
    EXPECT_FALSE(process.paused);
    EXPECT_EQ(impulse_counter(), impulses);
    EXPECT_TRUE(escape());
    EXPECT_FALSE(menu()->scene_visible);
    EXPECT_FALSE(window->shown);
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(shown_windows(), "");
}

}  // namespace
}  // namespace quarn::test

// The game process's loading screen over its real layout and handler: a round shows a
// tip and waits for a key once loaded; a mission's screen goes as soon as loading is
// done. Either way the splash ends through the game process, which then runs the
// controller.
#include <gtest/gtest.h>

#include "../ui/screens_fixture.h"
#include "game/process/game_process.h"
#include "outside/qrnshared/cvar.h"
#include "kernel/console/cvars.h"
#include "outside/qrnshared/ui/ui.h"

namespace quarn::test {
namespace {

class game_loading : public screens_fixture_t {
protected:
    void SetUp() override {
        screens_fixture_t::SetUp();
        cvar_register_variable(&splash_index);
    }
    void TearDown() override {
        ui_shutdown();
        cvar_unregister_variable(&splash_index);
        screens_fixture_t::TearDown();
    }
    // The loading window's prompts: items 30 ("loading"), 40, 45, 46 shown or not.
    std::string prompts(c_item_t *loading) {
        std::string s;
        for (int32_t id : {30, 40, 45, 46}) {
            const ui_view_t *v = get<ui_view_t>(id, loading);
            s += v && v->visible ? "1" : "0";
        }
        return s;
    }
    cvar_t splash_index{"g_splash_index", "0"};
};

TEST_F(game_loading, a_round_waits_for_a_key_and_a_mission_closes_when_loaded) {
    game_process_t game;
    ASSERT_EQ(get_screen_process(), static_cast<screen_process_t *>(&game));

    game.show_loading(GAME_LOADING_ROUND);
    c_item_t *loading = game.get_loading_window();
    ASSERT_NE(loading, nullptr);
    EXPECT_EQ(ui_get_splash(), loading);
    game.finish_loading();
    EXPECT_EQ(game.get_loading_window(), loading) << "the round waits for the key";
    EXPECT_EQ(prompts(loading), "0100") << "press any key";
    EXPECT_FALSE(game.is_controller_running());
    auto *screen = handler_of(loading);
    ASSERT_NE(screen, nullptr);
    ui_act_param_t p;
    EXPECT_TRUE(screen->handle(ui_window_of(loading), UI_ACT_KEY_UP, &p));
    EXPECT_EQ(game.get_loading_window(), nullptr);
    EXPECT_EQ(ui_get_splash(), nullptr);
    EXPECT_EQ(ui_wget("splash", "load"), nullptr);
    EXPECT_TRUE(game.is_controller_running());

    game.set_controller_running(false);
    game.show_loading(GAME_LOADING_MISSION);
    loading = game.get_loading_window();
    ASSERT_NE(loading, nullptr);
    EXPECT_EQ(prompts(loading), "1000") << "loading";
    game.finish_loading();
    EXPECT_EQ(game.get_loading_window(), nullptr) << "a mission's screen goes at once";
    EXPECT_EQ(ui_get_splash(), nullptr);
    EXPECT_EQ(ui_wget("splash", "load"), nullptr);
    EXPECT_TRUE(game.is_controller_running());
}

}  // namespace
}  // namespace quarn::test

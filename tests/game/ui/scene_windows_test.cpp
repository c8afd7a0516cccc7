// What a controller does to the UI layer: activate inserts and shows the pointer
// window (a game controller hides the pointer again until a screen shows it), and
// close_windows removes it and closes the session's windows.
#include <gtest/gtest.h>

#include "game/scene/game_ctrl.h"
#include "game/scene/scene_object.h"
#include "game/scene/scene_view.h"
#include "game/session/front_end_session.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/ui_window.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"
#include "ui_fixture.h"

namespace quarn::test {

class ui_scene_ctrl_u : public base_ctrl_u {
    QRN_UNIT_CLASS(ui_scene_ctrl_u, base_ctrl_u);

public:
    scene_view_t *get_view() override { return nullptr; }
    scene_object_t *get_player() override { return nullptr; }
};
class ui_game_ctrl_u : public game_ctrl_u {
    QRN_UNIT_CLASS(ui_game_ctrl_u, game_ctrl_u);

public:
    scene_object_t *get_player() override { return nullptr; }
};
QRN_UNIT_DEFINE(ui_scene_ctrl_u, "ui_scene_ctrl");
QRN_UNIT_DEFINE(ui_game_ctrl_u, "ui_game_ctrl");

namespace {

class scene_windows : public ui_fixture_t {
protected:
    void SetUp() override {
        ui_fixture_t::SetUp();
        previous = unit_system_t::get_default();
        system = new unit_system_t(bank);
        system->set_default();
        layout("/ui/hidden.esc", "entity ui.window { }\n");
    }
    void TearDown() override {
        unit_system_t::clean_garbage();
        if (previous) previous->set_default();
        delete system;
        ui_fixture_t::TearDown();
    }

    unit_bank_t bank;
    unit_system_t *system = nullptr;
    unit_system_t *previous = nullptr;
};

TEST_F(scene_windows, activate_shows_the_pointer_window_and_close_windows_takes_it_and_the_sessions_windows) {
    front_end_session_t session;
    owner_ptr_t<ui_scene_ctrl_u> ctrl(ui_scene_ctrl_u::create());
    ASSERT_TRUE(ctrl);
    ctrl->activate();
    ASSERT_NE(ui_pget(0), nullptr);
    EXPECT_STREQ(ui_window_of(ui_pget(0))->window_name.c_str(), "/ui/pointer/main.esc");
    EXPECT_EQ(ui_pindex(), 0) << "the pointer is shown";

    ASSERT_NE(session.open_window({"menu", "hidden", 0, 0, "/ui/hidden.esc"}), nullptr);
    EXPECT_EQ(session.get_open_window_count(), 1u);
    ctrl->close_windows();
    EXPECT_EQ(ui_pget(0), nullptr);
    EXPECT_EQ(ui_pindex(), -1);
    EXPECT_EQ(session.get_open_window_count(), 0u);
    ctrl.reset();
}

TEST_F(scene_windows, a_game_controller_hides_the_pointer_until_a_screen_shows_it) {
    owner_ptr_t<ui_game_ctrl_u> ctrl(ui_game_ctrl_u::create());
    ASSERT_TRUE(ctrl);
    ctrl->activate();
    EXPECT_NE(ui_pget(0), nullptr) << "the layer is there";
    EXPECT_EQ(ui_pindex(), -1);
    // Its destroy closes the windows through the controller's own close_windows.
    ctrl.reset();
    EXPECT_EQ(ui_pget(0), nullptr);
}

}  // namespace
}  // namespace quarn::test

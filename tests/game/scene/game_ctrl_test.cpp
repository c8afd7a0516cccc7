// The game controller's view stack, its fog colour and its clone refusal.
#include <gtest/gtest.h>

#include "game/scene/game_ctrl.h"
#include "game/scene/scene_fixture.h"
#include "game/world/environment.h"
#include "game/world/fog.h"
#include "qrncore/system/messages.h"

namespace quarn::test {

class views_ctrl_u : public game_ctrl_u {
    QRN_UNIT_CLASS(views_ctrl_u, game_ctrl_u);

public:
    scene_object_t *get_player() override { return &player; }
    idle_player_t player;
};
QRN_UNIT_DEFINE(views_ctrl_u, "views_ctrl");

namespace {

using game_ctrl = scene_fixture_t;

TEST_F(game_ctrl, the_last_pushed_view_is_active_until_it_is_popped) {
    owner_ptr_t<views_ctrl_u> ctrl(views_ctrl_u::create());
    still_view_t a, b;
    EXPECT_EQ(ctrl->get_view(), nullptr);
    EXPECT_TRUE(ctrl->push_view(&a));
    EXPECT_TRUE(ctrl->push_view(&b));
    EXPECT_EQ(ctrl->get_view(), &b);
    ctrl->pop_view(&a);  // not the active one: b stays
    EXPECT_EQ(ctrl->get_view(), &b);
    ctrl->pop_view(&b);
    EXPECT_EQ(ctrl->get_view(), nullptr);
    ctrl->pop_view(&b);  // not there: nothing
    EXPECT_FALSE(ctrl->push_view(nullptr));
    // The listener follows the active view; an update without one is fine too.
    ctrl->update(0.1f);
}

TEST_F(game_ctrl, the_fog_colour_is_the_fogs_light_colour_with_alpha_one) {
    owner_ptr_t<views_ctrl_u> ctrl(views_ctrl_u::create());
    fog_u *fog = ctrl->get_environment()->get_fog();
    ASSERT_NE(fog, nullptr);
    fog->set_light(vec4_t{0.5f, 0.25f, 1.0f, 1.0f});
    const vec3_t &c = fog->get_light_colour();
    const vec4_t colour = ctrl->get_fog_color();
    EXPECT_EQ(colour.x, c.x);
    EXPECT_EQ(colour.y, c.y);
    EXPECT_EQ(colour.z, c.z);
    EXPECT_EQ(colour.w, 1.0f);
}

using game_ctrl_death = scene_fixture_t;

TEST_F(game_ctrl_death, cloning_the_abstract_class_aborts) {
    owner_ptr_t<views_ctrl_u> ctrl(views_ctrl_u::create());
    EXPECT_DEATH(
        {
            message_stdio_t out;
            ctrl->game_ctrl_u::clone();
        },
        "Can not clone instance of abstract class game_ctrl_u\\.");
}

}  // namespace
}  // namespace quarn::test

// The player view in a running hunt: look control, recoil, shake, death, weapons, HUD
// and avatar, stepped by fixed frames with inputs on the kernel's impulse table.
#include <gtest/gtest.h>

#include <cmath>

#include "game/game_data.h"
#include "game/visuals/physics/physics_avatar.h"
#include "game/visuals/physics/physics_body.h"
#include "game/visuals/physics/physics_shape.h"
#include "game/visuals/physics/physics_scene.h"
#include "game/world/landscape.h"
#include "game/world/world.h"
#include "kernel/input/input.h"
#include "kernel/sys.h"
#include "outside/qrnshared/ui/ui.h"
#include "player_fixture.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

constexpr vec4_t BOLT_RECOIL{-0.03f, 0.02f, 1.0f, 0.4f};
constexpr vec4_t LEVER_RECOIL{-0.03f, 0.02f, 0.5f, 0.3f};

class player_view : public player_fixture_t {
protected:
    void SetUp() override {
        player_fixture_t::SetUp();
        bolt = make_rifle("3006_bolt", BOLT_RECOIL);
        lever = make_rifle("3030_lever", LEVER_RECOIL);
    }
    // A view that stands elsewhere (an intro flight's camera, for what the player sees).
    class still_view_t : public scene_view_t {
    public:
        placement_t get_placement() const override { return {}; }
    };
    still_view_t other_view;
    // The angle in degrees between two rotations.
    static float angle_between(const quat_t &a, const quat_t &b) {
        const float d = std::fmin(std::fabs(a.dot(b)), 1.0f);
        return 2.0f * std::acos(d) * 57.29578f;
    }
};

// ---- look control ----

struct look_case_t {
    const char *name;
    int code;           // impulse held
    float value;        // its value
    bool fast;          // "fastturn" held too
    bool invert_x, invert_y;
    float sensitivity;  // look sensitivity of the game data
    int frames;         // of 0.05 s
    float yaw, pitch;   // expected change from the start (degrees)
    float kernel_sensitivity = 1.0f;  // the input front-end's mouse sensitivity
};

class player_look : public player_view, public ::testing::WithParamInterface<look_case_t> {};

TEST_P(player_look, turns_the_view) {
    const look_case_t &c = GetParam();
    data->look_sensitivity = c.sensitivity;
    inp_set_mouse_sensitivity(c.kernel_sensitivity);
    ASSERT_NE(start(20.0f), nullptr);
    const ypr_t before = player->get_look_ypr();
    player->set_invert_x(c.invert_x);
    player->set_invert_y(c.invert_y);
    impulse(c.code, c.value);
    if (c.fast) impulse(player_t::IMPULSE_FASTTURN, 1.0f);
    frames(c.frames, 0.05f);
    const ypr_t after = player->get_look_ypr();
    EXPECT_NEAR(after.yaw - before.yaw, c.yaw, 1e-3f);
    EXPECT_NEAR(after.pitch - before.pitch, c.pitch, 1e-3f);
    // The rotation the weapons read follows the angles.
    quat_t expected;
    expected.set(after);
    EXPECT_LT(angle_between(player->get_rotation(), expected), 0.1f);
}

// Keys: 60°/s × dt × sensitivity × the front-end's mouse sensitivity; boost (fast
// turn) from 1 + 13 dt a frame, 1.65, 2.3... Mouse: value × sensitivity × 0.2 a frame
// (the front-end's sensitivity is already in the mouse's values).
INSTANTIATE_TEST_SUITE_P(
    table, player_look,
    ::testing::Values(
        look_case_t{"key_left", player_t::IMPULSE_LEFT, 1.0f, false, false, false, 1.0f, 4, 12.0f, 0.0f},
        look_case_t{"key_right", player_t::IMPULSE_RIGHT, 1.0f, false, false, false, 1.0f, 4, -12.0f, 0.0f},
        look_case_t{"key_up", player_t::IMPULSE_LOOKUP, 1.0f, false, false, false, 1.0f, 4, 0.0f, 12.0f},
        look_case_t{"key_down_sensitive", player_t::IMPULSE_LOOKDOWN, 1.0f, false, false, false, 2.0f, 2, 0.0f, -12.0f},
        look_case_t{"key_by_kernel_sensitivity", player_t::IMPULSE_LEFT, 1.0f, false, false, false, 1.0f, 4, 3.96f, 0.0f,
                    0.33f},
        look_case_t{"mouse_not_by_kernel_sensitivity", player_t::IMPULSE_MLEFT, 10.0f, false, false, false, 1.0f, 2,
                    4.0f, 0.0f, 0.33f},
        // boost 1.65, 2.3, 2.95 over three frames: 3 × (1.65 + 2.3 + 2.95)
        look_case_t{"fast_turn", player_t::IMPULSE_LEFT, 1.0f, true, false, false, 1.0f, 3, 20.7f, 0.0f},
        look_case_t{"mouse_left", player_t::IMPULSE_MLEFT, 10.0f, false, false, false, 1.0f, 2, 4.0f, 0.0f},
        look_case_t{"mouse_scaled", player_t::IMPULSE_MRIGHT, 10.0f, false, false, false, 1.5f, 2, -6.0f, 0.0f},
        look_case_t{"mouse_up", player_t::IMPULSE_MLOOKUP, 10.0f, false, false, false, 1.0f, 2, 0.0f, 4.0f},
        look_case_t{"invert_x_mouse", player_t::IMPULSE_MLEFT, 10.0f, false, true, false, 1.0f, 2, -4.0f, 0.0f},
        look_case_t{"invert_x_keys", player_t::IMPULSE_LEFT, 1.0f, false, true, false, 1.0f, 4, -12.0f, 0.0f},
        look_case_t{"invert_x_leaves_pitch", player_t::IMPULSE_LOOKUP, 1.0f, false, true, false, 1.0f, 4, 0.0f, 12.0f},
        look_case_t{"invert_y_mouse", player_t::IMPULSE_MLOOKDOWN, 10.0f, false, false, true, 1.0f, 2, 0.0f, 4.0f},
        look_case_t{"invert_y_keys", player_t::IMPULSE_LOOKUP, 1.0f, false, false, true, 1.0f, 4, 0.0f, -12.0f},
        look_case_t{"pitch_top", player_t::IMPULSE_MLOOKUP, 5000.0f, false, false, false, 1.0f, 3, 0.0f, 65.0f},
        look_case_t{"pitch_bottom", player_t::IMPULSE_MLOOKDOWN, 5000.0f, false, false, false, 1.0f, 3, 0.0f,
                    -40.0f}),
    [](const ::testing::TestParamInfo<look_case_t> &info) { return std::string(info.param.name); });

TEST_F(player_view, the_fast_turn_boost_grows_to_ten_and_drops_to_one_on_release) {
    ASSERT_NE(start(), nullptr);
    impulse(player_t::IMPULSE_LEFT, 1.0f);
    impulse(player_t::IMPULSE_FASTTURN, 1.0f);
    frame(0.05f);
    EXPECT_NEAR(player->get_turn_boost(), 1.65f, 1e-5f);
    frames(9, 0.05f);
    EXPECT_NEAR(player->get_turn_boost(), 1.0f + 13.0f * 0.5f, 1e-4f);
    frames(10, 0.05f);
    EXPECT_FLOAT_EQ(player->get_turn_boost(), 10.0f);
    impulse(player_t::IMPULSE_FASTTURN, 0.0f);
    frame(0.05f);
    EXPECT_FLOAT_EQ(player->get_turn_boost(), 1.0f);
}

TEST_F(player_view, the_yaw_stays_within_the_start_points_view_limit) {
    ASSERT_NE(start(300.0f, 55.0f), nullptr);
    const float centre = player->get_yaw_centre();
    EXPECT_FLOAT_EQ(std::fmod(centre, 360.0f), 300.0f);
    for (int code : {int(player_t::IMPULSE_MLEFT), int(player_t::IMPULSE_MRIGHT)}) {
        impulse(code, 3000.0f);
        for (int i = 0; i < 20; ++i) {
            frame();
            EXPECT_LE(std::fabs(player->get_look_ypr().yaw - centre), 55.0f + 1e-3f);
        }
        EXPECT_NEAR(std::fabs(player->get_look_ypr().yaw - centre), 55.0f, 1e-3f);
        impulse(code, 0.0f);
    }
}

TEST_F(player_view, a_rotation_is_taken_with_any_yaw_and_a_broken_one_is_refused) {
    ASSERT_NE(start(), nullptr);
    // The yaw centre lands in [180, 540) whatever turn the rotation was given in.
    for (float yaw : {0.0f, 90.0f, 179.0f, 181.0f, 359.0f, -170.0f}) {
        quat_t q;
        q.set(ypr_t(yaw, 0.0f, 0.0f));
        player->set_rotation(q);
        const float centre = player->get_yaw_centre();
        EXPECT_GE(centre, 180.0f) << yaw;
        EXPECT_LT(centre, 540.0f) << yaw;
        EXPECT_LT(angle_between(player->get_rotation(), q), 0.1f) << yaw;
    }
    const quat_t kept = player->get_rotation();
    const float centre = player->get_yaw_centre();
    message_capture_t log;
    player->set_rotation(quat_t(-INFINITY, 0.0f, 0.0f, 0.0f));
    player->set_rotation(quat_t(1.0f, NAN, 0.0f, 0.0f));
    size_t refusals = 0;
    for (const auto &e : log.entries()) refusals += e.text.find("not a finite rotation") != std::string::npos;
    EXPECT_EQ(refusals, 2u);
    EXPECT_FLOAT_EQ(player->get_yaw_centre(), centre);
    EXPECT_LT(angle_between(player->get_rotation(), kept), 0.1f);
}

TEST_F(player_view, the_look_stands_still_while_another_view_is_active) {
    ASSERT_NE(start(), nullptr);
    hunt->push_view(&other_view);
    const ypr_t before = player->get_look_ypr();
    impulse(player_t::IMPULSE_MLEFT, 10.0f);
    frames(3);
    EXPECT_FLOAT_EQ(player->get_look_ypr().yaw, before.yaw);
    hunt->pop_view(&other_view);
}

}  // namespace
}  // namespace quarn::test

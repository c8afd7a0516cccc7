// The party gifts in a running hunt, stepped by fixed frames: one at a time, the
// shake's beats, the speed swing, the headstand's turn and gravity, the hand swap.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "bonus_fixture.h"
#include "game/hunt/annoy_gift.h"
#include "game/hunt/party_gifts.h"
#include "game/visuals/physics/physics_scene.h"
#include "game/world/landscape.h"
#include "game/world/world.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

constexpr float PI = 3.14159265f;

class gifts : public bonus_fixture_t {
protected:
    bool send(const char *gift) { return hunt->give_gift(1, "Ann", gift); }
    vec3_t gravity() const { return hunt->get_world()->get_physics_scene()->get_gravity(); }
    // The view rotation's turn about z, in radians (0 to 2π).
    float roll() const {
        const quat_t &q = hunt->get_view_rotation();
        EXPECT_NEAR(q.x, 0.0f, 1e-6f);
        EXPECT_NEAR(q.y, 0.0f, 1e-6f);
        return 2.0f * std::atan2(q.z, q.w);
    }
};

TEST_F(gifts, only_one_gift_acts_at_a_time) {
    ASSERT_NE(start(), nullptr);
    take_journal();
    ASSERT_TRUE(send("shake"));
    EXPECT_FALSE(send("speed")) << "refused while the shake acts";
    EXPECT_EQ(take_journal(), "hud.gift shake from Ann");
    frames(20, 0.25f);
    EXPECT_EQ(hunt->get_gift(), nullptr);
    EXPECT_TRUE(send("speed"));
    EXPECT_FALSE(send("party")) << "the abstract base makes nothing";
}

TEST_F(gifts, an_annoy_gift_without_its_animal_shows_nothing_and_ends_at_the_next_frame) {
    ASSERT_NE(start(), nullptr);
    annoy_gift_u::set_last_row(0);
    message_capture_t log;
    ASSERT_TRUE(send("annoy"));
    EXPECT_TRUE(log.contains("No animal description 'moose.male.animal.model.desc'"));
    EXPECT_FALSE(hunt->has_overlay_pass());
    frame();
    EXPECT_EQ(hunt->get_gift(), nullptr);
    EXPECT_EQ(annoy_gift_u::get_last_row(), 0u) << "the table waits for a gift that shows";
}

TEST_F(gifts, the_shake_beats_at_once_and_then_every_second) {
    ASSERT_NE(start(), nullptr);
    ASSERT_TRUE(send("shake"));
    sounds();
    std::vector<float> beats;
    for (int k = 1; k <= 20; ++k) {
        frame(0.25f);
        if (sounds() == "/sound/game/shake_beat.ogg 0.9") {
            beats.push_back((k - 1) * 0.25f);
            EXPECT_FLOAT_EQ(player->get_shake_timer().remaining, player_t::SHAKE_DURATION) << "the view shakes anew";
        }
    }
    EXPECT_EQ(beats, (std::vector<float>{0.0f, 1.0f, 2.0f, 3.0f, 4.0f}));
    EXPECT_EQ(hunt->get_gift(), nullptr);
}

TEST_F(gifts, the_speed_factor_swings_between_one_and_three_once_a_second) {
    struct case_t {
        float strength, elapsed, factor;
    };
    for (const case_t &c : {case_t{1.0f, 1.25f, 3.0f}, case_t{1.0f, 1.75f, 1.0f}, case_t{1.0f, 2.0f, 2.0f},
                            case_t{0.5f, 2.25f, 2.0f}, case_t{0.0f, 0.25f, 1.0f}, case_t{-1.0f, 0.25f, 0.01f}})
        EXPECT_NEAR(quarn::speed_gift_u::speed_factor(c.strength, c.elapsed), c.factor, 1e-5f)
            << c.strength << " at " << c.elapsed << " s";

    ASSERT_NE(start(), nullptr);
    ASSERT_TRUE(send("speed"));
    float least = 10.0f, most = 0.0f;
    for (int k = 1; k < 40; ++k) {
        frame(0.125f);
        least = std::fmin(least, hunt->get_target_speed_factor());
        most = std::fmax(most, hunt->get_target_speed_factor());
    }
    EXPECT_GE(least, 1.0f);
    EXPECT_NEAR(most, 3.0f, 1e-4f);
    frame(0.125f);
    EXPECT_EQ(hunt->get_gift(), nullptr);
    EXPECT_EQ(hunt->get_target_speed_factor(), 1.0f);
}

TEST_F(gifts, a_headstand_turns_the_view_over_and_back_and_gravity_returns) {
    ASSERT_NE(start(), nullptr);
    ASSERT_TRUE(send("headstand"));
    auto *gift = static_cast<headstand_gift_u *>(hunt->get_gift());
    sounds();
    frame(0.25f);
    EXPECT_EQ(gift->get_phase(), headstand_gift_u::PHASE_TURNING);
    EXPECT_NEAR(roll(), 0.25f * PI, 1e-5f);
    EXPECT_EQ(sounds(), "/sound/game/headstand_start.ogg 0.9");
    frame(0.25f);
    EXPECT_EQ(gift->get_phase(), headstand_gift_u::PHASE_UPSIDE_DOWN);
    EXPECT_NEAR(roll(), PI, 1e-5f);
    EXPECT_TRUE(player->get_invert_x());
    EXPECT_TRUE(player->get_invert_y());
    EXPECT_EQ(gravity(), (vec3_t{0.0f, 2.0f, 0.0f}));
    frames(24, 0.25f);
    EXPECT_EQ(gift->get_phase(), headstand_gift_u::PHASE_UPSIDE_DOWN);
    frame(0.25f);
    EXPECT_EQ(gift->get_phase(), headstand_gift_u::PHASE_RETURNING);
    EXPECT_NEAR(roll(), 1.75f * PI, 1e-4f);
    EXPECT_EQ(sounds(), "/sound/game/headstand_end.ogg 0.9");
    // The last step completes the turn: upright again.
    gift->update(0.25f);
    EXPECT_NEAR(std::fabs(hunt->get_view_rotation().w), 1.0f, 1e-5f);
    frame(0.25f);
    EXPECT_EQ(hunt->get_gift(), nullptr);
    EXPECT_TRUE(hunt->get_view_rotation().is_identity());
    EXPECT_FALSE(player->get_invert_x());
    EXPECT_FALSE(player->get_invert_y());
    EXPECT_EQ(gravity(), (vec3_t{0.0f, -9.81f, 0.0f}));
}

TEST_F(gifts, the_hand_swap_mirrors_left_and_right_and_says_so) {
    ASSERT_NE(start(), nullptr);
    player->set_invert_y(true);
    sounds();
    ASSERT_TRUE(send("handswap"));
    EXPECT_TRUE(player->get_invert_x());
    EXPECT_FALSE(player->get_invert_y());
    EXPECT_EQ(sounds(), "/l10n/en_us/sound/voiceover/gift/right_left.ogg 0.9");
    frames(20, 0.25f);
    EXPECT_EQ(hunt->get_gift(), nullptr);
    EXPECT_FALSE(player->get_invert_x());
}

}  // namespace
}  // namespace quarn::test

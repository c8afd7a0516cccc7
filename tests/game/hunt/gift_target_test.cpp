// The party's gift targets in a running hunt on a map of ground: where they drop,
// their fall, bounce and vanishing, the shots they take once, the gift they send on
// and the coin of party round 3; and the rounds' gift spawner row.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "../world/map_fixtures.h"
#include "bonus_fixture.h"
#include "game/game_data.h"
#include "game/game_module.h"
#include "game/hunt/gift_target.h"
#include "game/round/round_logic.h"
#include "game/round/target_spawners.h"
#include "game/round/trail_use.h"
#include "game/session/score.h"
#include "game/visuals/models/model_anim.h"
#include "game/visuals/models/model_coll.h"
#include "game/visuals/models/model_desc.h"
#include "game/visuals/models/model_geom.h"
#include "game/visuals/models/model_lib.h"
#include "game/visuals/models/model_object.h"
#include "game/visuals/shaders/fw_families.h"
#include "game/visuals/shaders/shaderlib.h"
#include "game/scene/current_ctrl.h"
#include "kernel/memory/m_server.h"
#include "support/message_capture.h"
#include "zm_description.h"
#include "zm_writer.h"

namespace quarn::test {
namespace {

constexpr float PI = 3.14159265f;

// A box of 0.4 standing on the origin, looks "target" and "gift".
const char *GIFT_MODEL = R"(def model {
    materials: "gift"
    def parts { def gift { def wrap { def box { shape: "box" size: "0.4 0.4 0.4" position: "0 0.2 0" } } } }
    def looks {
        def target { gift: "/t/gift.mat" }
        def gift { gift: "/t/gift.mat" }
    }
}
)";

const char *GIFT_UNITS = R"(RozErere
{
model_object : gift.target { model_desc: "/t/gift/object.zmd" look: target variant: default }
model_object : gift.coin { model_desc: "/t/gift/object.zmd" look: gift variant: default }
}
)";

class gift_targets : public bonus_fixture_t {
protected:
    void SetUp() override {
        bonus_fixture_t::SetUp();
        ASSERT_TRUE(shaderlib_init_queues());
        ASSERT_TRUE(shaderlib_register());
        ASSERT_TRUE(fw_effects_register());
        ASSERT_TRUE(model_register_classes(unit_system_t::get_default()->get_bank()));
        zmgen::zm_model_t model;
        ASSERT_TRUE(zmgen::zm_read_description_text(GIFT_MODEL, "object.def", model));
        ASSERT_TRUE(zmgen::zm_write_model(model, dir.file("gift"), "object"));
        put("gift.mat", "def material {\n    effect: \"/effect/fw4/fw_dif\"\n}\n");
        put("gifts.unit", GIFT_UNITS);
        rows.push_back(game_factory_row(GIFT_TARGET_SPAWNER, &spawn_gift_target));
        rows_list = {"gift_target_rows", rows.data(), uint32_t(rows.size())};
        game_module_set_rows(nullptr);
        ASSERT_TRUE(rows_table.build(&rows_list));
        game_module_set_rows(&rows_table);
    }
    void TearDown() override {
        round.reset();
        ui_shutdown();
        set_current_ctrl(nullptr);
        unit_system_t::clean_garbage();
        for (int pass = 0; pass < 2; ++pass) {
            for (const unit_descriptor_t *d : {&model_desc_u::unit_descriptor, &model_geom_u::unit_descriptor,
                                               &model_coll_u::unit_descriptor, &model_anim_u::unit_descriptor}) {
                _mm_mem_free_unreferenced(-1, d);
                mm_remove_unreferenced(-1, d);
            }
        }
        if (unit_system_t *system = unit_system_t::get_default()) {
            system->get_bank().unregister_class(&model_template_u::unit_descriptor);
            system->get_bank().unregister_class(&model_object_u::unit_descriptor);
        }
        fw_effects_unregister();
        shaderlib_unregister();
        bonus_fixture_t::TearDown();
        shaderlib_free_queues();
    }

    // The hunt on a meadow of 256 × 256 around the player (or the fixture's 32 × 32,
    // where nothing 30 away has ground), facing -z, the gift models loaded, and a
    // round of one trail ("gift.trail") that schedules the party's gifts.
    void begin(bool wide = true) {
        if (wide) {
            ASSERT_TRUE(write_map(std::string(MAP_TERRAIN) +
                                      "def landscape {\n    area: \"-128 -128 256 256\"\n    spacing: \"8\"\n"
                                      "    material: \"meadow\"\n}\n",
                                  "hunt", map_base.path()));
        }
        ASSERT_NE(start(), nullptr);
        ASSERT_TRUE(hunt->load_hookup_file("/t/gifts.unit"));
        make_trail("gift.trail", {{0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, -10.0f}});
        round = round_logic_u::create();
        owner_ptr_t<trail_use_u> use(trail_use_u::create());
        use->trail_name = "gift.trail";
        round->trails.append(owner_ptr_t<unit_base_t>(std::move(use)));
        round->target_count = 0;
        ASSERT_TRUE(round->resolve_trails());
    }
    trail_use_u *trail() const { return round->get_trail(0); }
    // The gifts of a party of two scheduled, and the round run past the last one's
    // time; how many were scheduled.
    uint32_t schedule_party_gifts() {
        randomizer_t draws(7);
        spawn_setup_t setup;
        setup.party = true;
        setup.party_players = 2;
        setup.gift_random = &draws;
        round->build_spawn_schedule(1, setup);
        const uint32_t scheduled = round->get_spawns().get_pending_count();
        most_gifts = 0;
        for (int s = 0; s < 60; ++s) {
            round->update(1.0f, 1.0f);
            most_gifts = std::max(most_gifts, trail()->get_gift_count());
        }
        return scheduled;
    }
    // A target of the trail use (spawned through it, so it is in the target list).
    gift_target_u *spawn(const char *gift, uint32_t random_value) {
        if (!trail()->spawn_gift(gift, random_value)) return nullptr;
        return unit_cast<gift_target_u>(trail()->get_gift(trail()->get_gift_count() - 1));
    }
    // Fixed steps of the trail use alone.
    void step(gift_target_u *target, float seconds, float dt = 0.05f) {
        for (float t = 0.0f; t < seconds - 1e-4f; t += dt) target->update(dt);
    }
    // A shot from the eye through the middle of the target's box, through the scene's
    // target list; the receiver hit.
    hit_receiver_t *shoot_at(gift_target_u *target) {
        const placement_t eye = player->get_placement();
        vec3_t aim = target->get_position() + vec3_t{0.0f, 0.2f * target->get_scale(), 0.0f} - eye.position;
        normalize(aim);
        vec3_t hit;
        return hunt->get_targets().shoot(hit, nullptr, eye, eye.position + aim * 1000.0f);
    }

    owner_ptr_t<round_logic_u> round;
    uint32_t most_gifts = 0;  // the most gift targets the trail held at once
};

TEST_F(gift_targets, no_ground_under_the_drop_point_creates_nothing_and_the_gift_stays_due) {
    begin(false);
    const uint32_t scheduled = schedule_party_gifts();
    ASSERT_GT(scheduled, 0u);
    EXPECT_EQ(round->get_spawns().get_due_count(), scheduled) << "each waits to be tried again";
    EXPECT_EQ(most_gifts, 0u);
}

TEST_F(gift_targets, the_rounds_spawner_drops_each_gift_on_ground) {
    begin();
    const uint32_t scheduled = schedule_party_gifts();
    ASSERT_GT(scheduled, 0u);
    EXPECT_EQ(round->get_spawns().get_due_count(), 0u);
    EXPECT_GT(most_gifts, 0u);
    EXPECT_EQ(trail()->get_gift_count(), 0u);
}

TEST_F(gift_targets, the_same_random_value_drops_at_the_same_distance_and_angle_for_the_same_camera) {
    placement_t camera;
    camera.position = {5.0f, 2.0f, -3.0f};
    camera.rotation.set(ypr_t(40.0f, 20.0f, 0.0f));
    const vec3_t heading = camera.rotation.get_cartes();
    const float level_yaw = std::atan2(-heading.x, -heading.z);
    std::vector<vec3_t> first;
    for (uint32_t value : {0u, 1u, 500u, 998u}) {
        vec3_t a, b;
        ASSERT_TRUE(gift_target_u::pick_drop(camera, value, a));
        ASSERT_TRUE(gift_target_u::pick_drop(camera, value, b));
        EXPECT_EQ(a, b) << value;
        const vec3_t away = a - camera.position;
        EXPECT_FLOAT_EQ(away.y, 0.0f);
        const float distance = length(away);
        EXPECT_GE(distance, 30.0f) << value;
        EXPECT_LE(distance, 100.0f) << value;
        const float turn = std::remainder(std::atan2(-away.x, -away.z) - level_yaw, 2.0f * PI);
        EXPECT_LE(std::fabs(turn), PI / 8.0f + 1e-4f) << value;
        for (const vec3_t &other : first) EXPECT_NE(a, other) << value;
        first.push_back(a);
    }
    camera.rotation.set(ypr_t(0.0f, 90.0f, 0.0f));
    vec3_t up;
    EXPECT_FALSE(gift_target_u::pick_drop(camera, 1, up)) << "a camera looking straight up has no heading";

    // Two targets of one value land on one spot.
    begin();
    gift_target_u *a = spawn("shake", 321);
    gift_target_u *b = spawn("shake", 321);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->get_ground(), b->get_ground());
    EXPECT_EQ(a->get_position(), a->get_ground() + vec3_t(0.0f, 10.0f, 0.0f));
    EXPECT_STREQ(a->get_gift(), "shake");
}

TEST_F(gift_targets, a_target_falls_grows_bounces_and_shrinks_away) {
    begin();
    gift_target_u *target = spawn("speed", 40);
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->get_state(), gift_target_u::STATE_ARRIVING);
    EXPECT_FLOAT_EQ(target->get_scale(), 0.01f);
    EXPECT_NEAR(target->get_sphere().radius, std::sqrt(0.2f * 0.2f * 3.0f) + 0.2f, 1e-3f)
        << "the box's sphere taken about the model's origin";
    step(target, 0.15f);
    EXPECT_NEAR(target->get_scale(), 2.0f * (1.0f - 0.15f * 0.15f), 1e-3f) << "half grown";
    step(target, 0.35f);
    EXPECT_NEAR(target->get_scale(), 1.02f, 1e-4f);
    // Ten units of fall take about 1.43 s.
    step(target, 0.9f);
    EXPECT_EQ(target->get_state(), gift_target_u::STATE_ARRIVING);
    step(target, 0.1f);
    EXPECT_EQ(target->get_state(), gift_target_u::STATE_BOUNCED);
    EXPECT_GT(target->get_velocity().y, 13.0f) << "up with the speed it fell with";
    EXPECT_EQ(target->get_velocity().x, 0.0f);
    step(target, 2.05f);
    EXPECT_EQ(target->get_state(), gift_target_u::STATE_VANISHING);
    step(target, 0.15f);
    EXPECT_NEAR(target->get_scale(), 0.505f, 0.02f);
    EXPECT_FALSE(target->is_finished());
    step(target, 0.2f);
    EXPECT_TRUE(target->is_finished());
    // The trail use lets a finished target go, out of the target list.
    round->update(0.02f, 1.0f);
    EXPECT_EQ(trail()->get_gift_count(), 0u);
}

TEST_F(gift_targets, a_shot_gift_is_sent_on_once_and_then_ignores_shots) {
    begin();
    gift_target_u *target = spawn("cloak", 77);
    ASSERT_NE(target, nullptr);
    step(target, 1.6f);
    ASSERT_EQ(target->get_state(), gift_target_u::STATE_BOUNCED);
    take_journal();
    EXPECT_EQ(shoot_at(target), target);
    EXPECT_EQ(target->get_state(), gift_target_u::STATE_HIT);
    const game_data_t *game = get_game_data();
    ASSERT_EQ(game->get_gift_log().get_count(), 1u);
    EXPECT_STREQ(game->get_gift_log()[0].gift_name.c_str(), "cloak");
    EXPECT_EQ(hunt->get_round_score()->hits, 1u);
    EXPECT_EQ(hunt->get_round_score()->kills, 0u);
    EXPECT_EQ(take_journal(), "hud.message vo.hit 1 | hud.message vo.gift 1");

    EXPECT_NE(shoot_at(target), target) << "a hit target ignores shots";
    EXPECT_EQ(game->get_gift_log().get_count(), 1u);
    EXPECT_EQ(hunt->get_round_score()->hits, 1u);
    step(target, 0.35f);
    EXPECT_TRUE(target->is_finished());
}

TEST_F(gift_targets, a_coin_of_party_round_three_scores_like_a_kill_and_sends_no_gift) {
    const char *const players[] = {"Ann", "Bob"};
    data->set_party_players(players, 2);
    data->party_round = 3;
    begin();
    gift_target_u *coin = spawn("annoy", 5);
    ASSERT_NE(coin, nullptr);
    EXPECT_TRUE(coin->is_coin());
    step(coin, 0.5f);
    EXPECT_EQ(shoot_at(coin), coin);
    EXPECT_EQ(data->get_gift_log().get_count(), 0u);
    EXPECT_EQ(hunt->get_round_score()->score, gift_target_u::POINTS);
    EXPECT_EQ(hunt->get_round_score()->kills, 1u);
    EXPECT_EQ(hunt->get_kill_stats()->ambient_kills, 1u);

    // Rounds 1 and 2 drop the wrapped gift.
    data->party_round = 2;
    gift_target_u *gift = spawn("annoy", 5);
    ASSERT_NE(gift, nullptr);
    EXPECT_FALSE(gift->is_coin());
}

TEST_F(gift_targets, a_target_needs_a_live_trail_and_its_model) {
    begin();
    EXPECT_FALSE(gift_target_u::spawn(nullptr, "shake", 1));
    unit_t *model = unit_system_t::find_unit("gift.target");
    ASSERT_NE(model, nullptr);
    model->set_name("gift.elsewhere");
    message_capture_t log;
    EXPECT_FALSE(gift_target_u::spawn(trail()->get_trail(), "shake", 1));
    EXPECT_TRUE(log.contains("[game] No gift model 'gift.target': the gift target is not placed"));
}

}  // namespace
}  // namespace quarn::test

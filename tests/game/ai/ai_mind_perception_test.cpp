// What a mind perceives of the other animals and its leader, how it takes an alarm,
// and the mind running with a presentation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "game/ai/mind/ai_animal_presentation.h"
#include "game/ai/ai_mind_fixture.h"
#include "game/ai/ai_presentation_fixture.h"

namespace quarn {
namespace {

using test::fake_animal_t;

class ai_mind_perception : public test::ai_mind_fixture_t {
protected:
    // P of a point every sense reaches: the largest weighted sense plus half the other
    // two, the weights drawn from r (sight, smell, hearing) as 0.75 + 0.25 × draw.
    static float strength(randomizer_t &r, float light = 1.0f, float sight = 1.0f) {
        const float s[3] = {sight * light * (0.75f + 0.25f * r.rand()), 0.75f + 0.25f * r.rand(),
                            0.75f + 0.25f * r.rand()};
        const float best = std::max({s[0], s[1], s[2]});
        return best + 0.5f * (s[0] + s[1] + s[2] - best);
    }
    static float weight(const fake_animal_t *a) { return a->score_ratio + 20.0f * a->scale; }

    fake_animal_t *doe() { return made[1]; }
    fake_animal_t *fawn() { return made[2]; }
    fake_animal_t *other() { return made[3]; }
};

TEST_F(ai_mind_perception, a_male_sees_partners_and_rivals_among_neutral_animals) {
    doe()->gender = 1;
    doe()->position = {30, 0, 0};
    doe()->score_ratio = 0.9f;
    fawn()->gender = 2;
    fawn()->position = {0, 0, 40};
    fawn()->scale = 0.5f;
    other()->position = {50, 0, 0};  // a male
    other()->scale = 1.2f;
    randomizer_t r = draws();
    const float p_doe = strength(r), p_fawn = strength(r), p_other = strength(r);
    mind->perceive();
    EXPECT_EQ(mind->get_seen_partner(), doe());
    // Gender values 1 (male) and 3 (young) share a bit: the fawn is a rival too.
    const bool fawn_wins = p_fawn * weight(fawn()) > p_other * weight(other());
    EXPECT_EQ(mind->get_seen_rival(), fawn_wins ? fawn() : other());
    EXPECT_FLOAT_EQ(mind->get_target(AI_BUCKET_PARTNER), p_doe * 0.8f);
    EXPECT_FLOAT_EQ(mind->get_target(AI_BUCKET_RIVAL), (fawn_wins ? p_fawn : p_other) * 1.0f);
    EXPECT_EQ(mind->get_seen_threat(), nullptr);
    EXPECT_EQ(mind->get_seen_prey(), nullptr);

    // Another species is a rival however it is made.
    doe()->species = 1;
    mind->perceive();
    EXPECT_EQ(mind->get_seen_partner(), nullptr);
    EXPECT_NE(mind->get_seen_rival(), nullptr);

    // A female or a young animal looks for neither, and draws nothing for it.
    for (int32_t gender : {1, 2}) {
        self->gender = gender;
        const uint32_t seed = scene.random.seed;
        for (uint32_t b = 0; b < AI_BUCKET_COUNT; ++b) mind->set_target(b, 0.0f);
        mind->perceive();
        EXPECT_EQ(mind->get_seen_partner(), nullptr);
        EXPECT_EQ(mind->get_seen_rival(), nullptr);
        EXPECT_EQ(mind->get_target(AI_BUCKET_RIVAL), 0.0f);
        EXPECT_EQ(scene.random.seed, seed);
    }
}

TEST_F(ai_mind_perception, threats_weigh_by_p_times_w_and_prey_by_p_over_w) {
    self->gender = 1;  // no partners: only threats and prey are drawn for
    self->relations = {{7, -0.5f}, {5, 0.8f}};
    doe()->species = 7;  // a small bear near, a big one farther
    doe()->position = {10, 0, 0};
    doe()->scale = 0.6f;
    fawn()->species = 7;
    fawn()->position = {-60, 0, 0};
    fawn()->scale = 1.4f;
    other()->species = 5;
    other()->position = {0, 0, 80};
    other()->scale = 0.3f;
    randomizer_t r = draws();
    const float p_small = strength(r) * 0.5f, p_big = strength(r) * 0.5f, p_prey = strength(r) * 0.8f;
    mind->perceive();
    const bool big_wins = p_big * weight(fawn()) > p_small * weight(doe());
    EXPECT_EQ(mind->get_seen_threat(), big_wins ? fawn() : doe());
    EXPECT_EQ(mind->get_seen_prey(), other());
    // Targets: P times the perception factors (enemy 0.2, prey 0.4) and the activity.
    EXPECT_FLOAT_EQ(mind->get_target(AI_BUCKET_ENEMY), (big_wins ? p_big : p_small) * 0.2f);
    EXPECT_FLOAT_EQ(mind->get_target(AI_BUCKET_PREY), p_prey * 0.4f);

    // Of two prey the lighter one wins at equal strength: P / W.
    doe()->species = 5;
    doe()->position = {0, 0, 80};
    doe()->scale = 0.1f;
    fawn()->removed = true;
    mind->update_needs(0.0f, 3);  // moving: activity 0.8
    for (uint32_t b = 0; b < AI_BUCKET_COUNT; ++b) mind->set_target(b, 0.0f);
    r = draws();
    const float p1 = strength(r) * 0.8f, p2 = strength(r) * 0.8f;
    mind->perceive();
    const bool light_wins = p1 / weight(doe()) > p2 / weight(other());
    EXPECT_EQ(mind->get_seen_prey(), light_wins ? doe() : other());
    EXPECT_FLOAT_EQ(mind->get_target(AI_BUCKET_PREY), 0.8f * (light_wins ? p1 : p2) * 0.4f);
    EXPECT_EQ(mind->get_seen_threat(), nullptr) << "removed";

    // Out of range (beyond 200), on the spot, and in the dark.
    doe()->position = {0, 0, 201};
    other()->position = self->position;
    mind->perceive();
    EXPECT_EQ(mind->get_seen_prey(), nullptr);
    other()->position = {0, 0, 100};  // beyond sight: smell and hearing only
    world->set_light_factor(0.0f);
    r = draws();
    const float dark = strength(r, 0.0f) * 0.8f;
    for (uint32_t b = 0; b < AI_BUCKET_COUNT; ++b) mind->set_target(b, 0.0f);
    mind->perceive();
    EXPECT_FLOAT_EQ(mind->get_target(AI_BUCKET_PREY), 0.8f * dark * 0.4f);
}

TEST_F(ai_mind_perception, the_leader_draws_adults_from_afar_and_young_ones_sooner) {
    self->gender = 1;
    self->leader = other();
    const struct {
        int32_t gender;
        float distance, target;
    } cases[] = {{1, 10, 0.0f},  {1, 30, 0.0f},  {1, 65, 0.35f}, {1, 100, 0.7f}, {1, 150, 0.7f},
                 {2, 15, 0.0f},  {2, 32.5f, 0.35f}, {2, 50, 0.7f}, {2, 90, 0.7f}, {0, 65, 0.35f}};
    for (const auto &c : cases) {
        self->gender = c.gender;
        other()->position = {0, 0, c.distance};
        for (uint32_t b = 0; b < AI_BUCKET_COUNT; ++b) mind->set_target(b, 0.0f);
        mind->perceive();
        EXPECT_NEAR(mind->get_target(AI_BUCKET_MATE), c.target, 1e-5f) << c.gender << " at " << c.distance;
    }
}

// ---- alarms, and the mind with its presentation ----

class ai_mind_presented : public ai_mind_perception {
protected:
    void SetUp() override {
        ai_mind_perception::SetUp();
        ASSERT_TRUE(parser.parse_file("/model/animal/whitetail/animal.zba"));
        animation.info = zba_info_t(parser.image());
        ASSERT_TRUE(presentation.bind(&animation));
        def_pool_t ai;
        ASSERT_TRUE(ai.read_from("/def/ai.def"));
        ASSERT_TRUE(presentation.load_processors(&ai, "whitetail"));
        mind->set_presentation(&presentation);
    }

    test::ai_data_mount_t mount;
    zba_parser_t parser;
    test::recording_animation_t animation;
    ai_presentation_t presentation{scene.random};
};

TEST_F(ai_mind_presented, an_alarm_moves_stress_and_aggression_and_may_alert) {
    mind->on_alarm(0.9f, -0.5f, {0, 0, -10});
    EXPECT_FLOAT_EQ(mind->get_need(AI_NEED_STRESS), 1.0f);
    EXPECT_FLOAT_EQ(mind->get_need(AI_NEED_AGGRESSION), 0.0f);

    // Urge 6 is 0 after init: the alert always plays, turned to the source.
    const struct {
        vec3_t source;
        const char *manner;
    } cases[] = {{{0, 0, -10}, "alert"}, {{-10, 0, 0}, "alert_nw"}, {{10, 0, 5}, "alert_ne"}};
    for (const auto &c : cases) {
        animation.calls.clear();
        presentation.on_behavior_end(1);
        mind->on_alarm(0.0f, 0.0f, c.source);
        ASSERT_EQ(animation.played(1).size(), 1u) << c.manner;
        EXPECT_STREQ(ai_manner_name(presentation.manner_of(animation.played(1)[0])), c.manner);
    }
    EXPECT_TRUE(mind->get_script().is_alerted());

    // With flight at f, the alert plays when a draw falls below 1 - f.
    test::ai_mind_fixture_t::init();
    mind->set_need(AI_NEED_STRESS, 0.6f);
    mind->compute_urges();
    int alerts = 0;
    for (int i = 0; i < 40; ++i) {
        randomizer_t r = draws();
        const bool expected = r.rand() < 1.0f - 0.6f;
        presentation.on_behavior_end(1);
        animation.calls.clear();
        mind->on_alarm(0.0f, 0.0f, {0, 0, -10});
        EXPECT_EQ(animation.played(1).size(), expected ? 1u : 0u) << i;
        alerts += expected;
    }
    EXPECT_GT(alerts, 0);
    EXPECT_LT(alerts, 40);
}

TEST_F(ai_mind_presented, no_alert_while_following_the_mate_or_fleeing) {
    for (int32_t urge : {AI_URGE_MATE, AI_URGE_FLIGHT}) {
        test::ai_mind_fixture_t::init();
        mind->set_current_urge(urge);
        const uint32_t seed = scene.random.seed;
        mind->on_alarm(0.2f, 0.2f, {0, 0, -10});
        EXPECT_FLOAT_EQ(mind->get_need(AI_NEED_STRESS), 0.5f);
        EXPECT_TRUE(animation.calls.empty());
        EXPECT_FALSE(mind->get_script().is_alerted());
        EXPECT_EQ(scene.random.seed, seed) << "nothing drawn";
    }
}

TEST_F(ai_mind_presented, the_step_runs_the_addons_and_the_needs_of_the_presentations_processor) {
    ASSERT_TRUE(presentation.change_processor(1, 0.0f));  // eat
    scene.time = 0.0f;
    mind->start();
    scene.time = 40.0f;
    mind->set_need(AI_NEED_HUNGER, 0.5f);
    mind->set_need(AI_NEED_THIRST, 0.5f);
    const float thirst_rate = mind->get_fact_rate(AI_NEED_THIRST);
    const float hunger_fade = mind->get_fade_rate(AI_NEED_HUNGER);
    mind->step();
    EXPECT_FLOAT_EQ(mind->get_need(AI_NEED_HUNGER), 0.5f - hunger_fade * 40.0f);
    EXPECT_FLOAT_EQ(mind->get_need(AI_NEED_THIRST), 0.5f + 2.0f * thirst_rate * 40.0f);
    EXPECT_FLOAT_EQ(mind->get_activity_factor(), 0.7f);
    EXPECT_FALSE(animation.added().empty()) << "40 s of grazing let an overlay play";
    // Scripts find behaviours through the presentation.
    EXPECT_EQ(mind->find_behavior("hit"), animation.info.find_behavior("hit"));
    EXPECT_EQ(mind->find_behavior("nothing"), -1);
}

}  // namespace
}  // namespace quarn

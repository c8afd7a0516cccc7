// The mind: reading its preset and species values, and the parts of a decision step
// (buckets, urges, the urge choice and its commands, needs, calls, scripts, hold).
#include <gtest/gtest.h>

#include <cmath>

#include "game/ai/mind/ai_item.h"
#include "game/ai/ai_mind_fixture.h"

namespace quarn {
namespace {

using test::ai_mind_fixture_t;
using test::fake_animal_t;
using test::key_changes_t;

constexpr float RATE = 0.0013888889f;

class ai_mind : public ai_mind_fixture_t {
protected:
    // Sets the urges through the needs they read (buckets and levels at 0).
    void urges(float hunger, float thirst, float tiredness, float sex, float mate, float flight) {
        for (uint32_t b = 0; b < AI_BUCKET_COUNT; ++b) mind->set_bucket(b, 0.0f);
        mind->set_food_level(0.0f);
        mind->set_sexual_level(0.0f);
        mind->set_need(AI_NEED_HUNGER, hunger);
        mind->set_need(AI_NEED_THIRST, thirst);
        mind->set_need(AI_NEED_TIREDNESS, tiredness);
        mind->set_need(AI_NEED_SEX, sex);
        mind->set_bucket(AI_BUCKET_MATE, mate);
        mind->set_need(AI_NEED_STRESS, flight);
        mind->compute_urges();
    }
    // The urge choice from a running command of the urge's kind.
    void running(int32_t urge, int32_t kind) {
        mind->set_current_urge(urge);
        mind->get_command() = ai_command_t();
        mind->get_command().kind = kind;
        mind->get_command().phase = 1;
    }
    // The kinds and phases handed to the animal since the last call.
    std::vector<std::pair<int32_t, int32_t>> handled() {
        std::vector<std::pair<int32_t, int32_t>> out;
        for (const auto &c : self->commands) out.push_back({c.kind, c.phase});
        self->commands.clear();
        return out;
    }
};

// ---- set-up ----

TEST_F(ai_mind, init_reads_the_preset_the_instance_and_the_species_type) {
    EXPECT_FLOAT_EQ(mind->get_need(AI_NEED_HUNGER), 0.5f);
    EXPECT_FLOAT_EQ(mind->get_need(AI_NEED_STRESS), 0.3f);
    EXPECT_FLOAT_EQ(mind->get_need(AI_NEED_FATIGUE), 0.0f);
    EXPECT_FLOAT_EQ(mind->get_attack_probability(), 0.25f);
    for (uint32_t i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(mind->get_factors().fades[i], float(i + 1) * 0.1f) << i;
        EXPECT_FLOAT_EQ(mind->get_factors().facts[i], float(i + 11) * 0.1f) << i;
        EXPECT_FLOAT_EQ(mind->get_factors().perceptions[i], float(i + 1) * 0.2f) << i;
    }
    EXPECT_FLOAT_EQ(mind->get_factors().perceptions[AI_FACTOR_CALL], 1.4f);
    // "fact_hunger" "8": 0.0013888889 / 8 per second.
    EXPECT_FLOAT_EQ(mind->get_fact_rate(AI_NEED_HUNGER), RATE / 8.0f);
    EXPECT_FLOAT_EQ(mind->get_fade_rate(AI_NEED_HUNGER), RATE / 4.0f);
    EXPECT_FLOAT_EQ(mind->get_fade_rate(AI_NEED_FATIGUE), RATE / 8.0f);
    EXPECT_FLOAT_EQ(mind->get_activity_factor(), 1.0f);
    EXPECT_FLOAT_EQ(mind->get_call_weight(), 0.1f);
    EXPECT_FLOAT_EQ(mind->get_call_back(), 0.3f);

    // The instance's own values win; its "ai_presets" names the preset.
    ASSERT_TRUE(init({}, {}, "val_hunger: \"0.9\"\nfact_enemy_perception: \"1\"\nai_presets: \"shy\""));
    EXPECT_FLOAT_EQ(mind->get_need(AI_NEED_HUNGER), 0.9f);
    EXPECT_FLOAT_EQ(mind->get_need(AI_NEED_STRESS), 0.6f) << "shy";
    EXPECT_FLOAT_EQ(mind->get_factors().perceptions[AI_BUCKET_ENEMY], 2.0f);
    EXPECT_FLOAT_EQ(mind->get_factors().perceptions[AI_BUCKET_PREY], 0.4f);
    // The gender's presets come before the species'.
    ASSERT_TRUE(init({}, {}, "", "moose"));
    EXPECT_FLOAT_EQ(mind->get_need(AI_NEED_HUNGER), 0.7f);
    // Needs are clamped to 0..1.
    ASSERT_TRUE(init({}, {}, "val_thirst: \"1.5\"\nval_sex: \"-1\""));
    EXPECT_FLOAT_EQ(mind->get_need(AI_NEED_THIRST), 1.0f);
    EXPECT_FLOAT_EQ(mind->get_need(AI_NEED_SEX), 0.0f);
}

TEST_F(ai_mind, an_unknown_preset_leaves_the_instance_alone_to_give_the_values) {
    test::message_capture_t log;
    EXPECT_FALSE(init({}, {}, "ai_presets: \"bold\""));
    EXPECT_TRUE(log.contains("[ai] no AI preset (bold) for whitetail.male"));
    EXPECT_TRUE(log.contains("[ai] missing AI parameter val_hunger"));
    std::string own;
    for (const auto &[key, value] : test::mind_preset_keys()) own += key + ": \"" + value + "\"\n";
    EXPECT_TRUE(init({}, {}, own + "ai_presets: \"bold\""));
    EXPECT_FLOAT_EQ(mind->get_factors().facts[AI_BUCKET_PAIN], 1.6f);
    // A factor given by nobody counts as 0.
    EXPECT_TRUE(init({{"fact_rival", ""}}, {}));
    EXPECT_EQ(mind->get_factors().facts[AI_BUCKET_RIVAL], 0.0f);
}

TEST_F(ai_mind, the_sexual_reaction_timer_starts_below_two) {
    for (int i = 0; i < 20; ++i) {
        randomizer_t r = draws();
        ASSERT_TRUE(init());
        const float t = mind->get_sexual_timer();
        EXPECT_FLOAT_EQ(t, 2.0f * r.rand());
        EXPECT_GE(t, 0.0f);
        EXPECT_LT(t, 2.0f);
    }
}

TEST_F(ai_mind, init_names_each_missing_or_invalid_key) {
    struct case_t {
        bool preset;
        std::string key, value, message;
    };
    std::vector<case_t> cases;
    for (const char *k : {"val_hunger", "val_thirst", "val_tiredness", "val_aggression", "val_sex", "val_stress",
                          "val_attack_probability"})
        cases.push_back({true, k, "", std::string("missing AI parameter ") + k});
    for (const auto &[key, value] : test::mind_species_keys())
        cases.push_back({false, key, "", "missing AI species parameter " + key});
    // Rates divide by their value: 0 or below, or no number, is refused.
    for (const auto &[key, value] : test::mind_species_keys()) {
        if (key.rfind("fact_", 0) != 0 && key.rfind("fade_", 0) != 0 && key != "calls_w_length") continue;
        cases.push_back({false, key, "0", "invalid AI species parameter " + key});
        cases.push_back({false, key, "-2", "invalid AI species parameter " + key});
    }
    // The definition layer refuses a number out of range; that counts as missing.
    cases.push_back({false, "fact_hunger", "1e99", "missing AI species parameter fact_hunger"});
    cases.push_back({false, "calls_ideal", "2.5", "missing AI species parameter calls_ideal"});
    for (const case_t &c : cases) {
        test::message_capture_t log;
        const key_changes_t change = {{c.key, c.value}};
        EXPECT_FALSE(c.preset ? init(change, {}) : init({}, change)) << c.key << " " << c.value;
        EXPECT_TRUE(log.contains("[ai] " + c.message)) << c.message;
    }
    // The rest of the values alone are enough.
    EXPECT_TRUE(init());
}

// ---- buckets, levels and urges ----

TEST_F(ai_mind, buckets_rise_at_their_fact_rates_and_fall_at_their_fade_rates_to_their_targets) {
    for (uint32_t i = 0; i < AI_BUCKET_COUNT; ++i) mind->set_target(i, 1.0f);
    mind->update_buckets(0.5f);
    for (uint32_t i = 0; i < AI_BUCKET_COUNT; ++i)
        EXPECT_FLOAT_EQ(mind->get_bucket(i), 0.5f * float(i + 11) * 0.1f) << i;
    mind->update_buckets(0.5f);
    for (uint32_t i = 0; i < AI_BUCKET_COUNT; ++i) EXPECT_FLOAT_EQ(mind->get_bucket(i), 1.0f) << "stops at " << i;
    for (uint32_t i = 0; i < AI_BUCKET_COUNT; ++i) mind->set_target(i, 0.2f);
    mind->update_buckets(1.0f);
    for (uint32_t i = 0; i < AI_BUCKET_COUNT; ++i)
        EXPECT_FLOAT_EQ(mind->get_bucket(i), 1.0f - float(i + 1) * 0.1f) << i;
    mind->update_buckets(10.0f);
    for (uint32_t i = 0; i < AI_BUCKET_COUNT; ++i) EXPECT_FLOAT_EQ(mind->get_bucket(i), 0.2f) << "stops at " << i;

    // The attraction levels decay towards their sums, 0.02 and 0.05 a second.
    mind->set_food_level(0.5f);
    mind->set_sexual_level(0.5f);
    mind->update_buckets(2.0f);
    EXPECT_FLOAT_EQ(mind->get_food_level(), 0.46f);
    EXPECT_FLOAT_EQ(mind->get_sexual_level(), 0.4f);
    mind->update_buckets(100.0f);
    EXPECT_EQ(mind->get_food_level(), 0.0f);
    EXPECT_EQ(mind->get_sexual_level(), 0.0f);
}

TEST_F(ai_mind, stimuli_raise_the_attraction_levels_and_run_the_sexual_timer) {
    auto pool = test::def_text("def carcass { attract00: \"whitetail:0.5:food\"\nattract01: \"whitetail:0.25:sex\" }\n"
                               "def doe { attract00: \"whitetail:0.5:food\" }\n");
    ai_item_t item;
    ASSERT_TRUE(item.load(*pool->find("carcass"), game.get(), *world));
    item.emit({10, 0, 0}, *world);
    mind->set_sexual_timer(0.1f);
    mind->get_command().kind = AI_CMD_APPETITE;
    randomizer_t r = draws();
    mind->sense_stimuli(1.0f);
    EXPECT_FLOAT_EQ(mind->get_food_sum(), 0.5f);
    EXPECT_FLOAT_EQ(mind->get_sexual_sum(), 0.25f * 0.8f) << "times the partner perception";
    EXPECT_EQ(mind->get_stimulus_point(0), vec3_t(10, 0, 0));
    // 0.1 - 0.2: below 0: the appetite reaction, and a new timer.
    EXPECT_EQ(self->appetite_reactions, 1);
    EXPECT_FLOAT_EQ(mind->get_sexual_timer(), 10.0f * r.rand() + 0.5f);
    mind->update_buckets(1.0f);
    EXPECT_FLOAT_EQ(mind->get_food_level(), 0.5f);
    EXPECT_FLOAT_EQ(mind->get_sexual_level(), 0.2f);
    // Not in "appetite": no reaction.
    mind->get_command().kind = AI_CMD_FEED;
    mind->set_sexual_timer(0.1f);
    mind->sense_stimuli(1.0f);
    EXPECT_EQ(self->appetite_reactions, 1);

    // Food alone zeroes the timer; nothing at all leaves it.
    world->remove_stimuli_of(&item);
    ai_item_t food;
    ASSERT_TRUE(food.load(*pool->find("doe"), game.get(), *world));
    food.emit({10, 0, 0}, *world);
    mind->set_sexual_timer(3.0f);
    mind->sense_stimuli(1.0f);
    EXPECT_EQ(mind->get_sexual_timer(), 0.0f);
    world->remove_stimuli_of(&food);
    mind->set_sexual_timer(3.0f);
    mind->sense_stimuli(1.0f);
    EXPECT_EQ(mind->get_sexual_timer(), 3.0f);
    EXPECT_EQ(mind->get_food_sum(), 0.0f);
}

TEST_F(ai_mind, urges_follow_needs_buckets_levels_and_calls) {
    mind->set_need(AI_NEED_HUNGER, 0.4f);
    mind->set_need(AI_NEED_THIRST, 0.3f);
    mind->set_need(AI_NEED_TIREDNESS, 0.5f);
    mind->set_need(AI_NEED_SEX, 0.2f);
    mind->set_need(AI_NEED_STRESS, 0.1f);
    mind->set_bucket(AI_BUCKET_PREY, 0.5f);
    mind->set_bucket(AI_BUCKET_PAIN, 1.0f);
    mind->set_bucket(AI_BUCKET_PARTNER, 0.25f);
    mind->set_bucket(AI_BUCKET_MATE, 0.6f);
    mind->set_bucket(AI_BUCKET_ENEMY, 0.3f);
    mind->set_food_level(0.05f);
    mind->set_sexual_level(0.07f);
    mind->on_call(0.5f);  // calls level 0.5 × 1.4 × 0.1
    mind->compute_urges();
    EXPECT_FLOAT_EQ(mind->get_urge(AI_URGE_HUNGER), 1.5f * 0.4f + 0.05f);
    EXPECT_FLOAT_EQ(mind->get_urge(AI_URGE_THIRST), 0.3f);
    EXPECT_FLOAT_EQ(mind->get_urge(AI_URGE_TIREDNESS), 2.0f * 0.5f);
    EXPECT_FLOAT_EQ(mind->get_urge(AI_URGE_AGGRESSION), 0.0f);
    EXPECT_FLOAT_EQ(mind->get_urge(AI_URGE_SEX), 1.25f * 0.2f + 0.07f + 0.07f);
    EXPECT_FLOAT_EQ(mind->get_urge(AI_URGE_MATE), 0.6f);
    EXPECT_FLOAT_EQ(mind->get_urge(AI_URGE_FLIGHT), 0.4f);
    mind->set_need(AI_NEED_FATIGUE, 0.4f);
    EXPECT_FLOAT_EQ(mind->flight_level(), 0.2f);
    mind->set_need(AI_NEED_FATIGUE, 1.0f);
    EXPECT_EQ(mind->flight_level(), 0.0f);
}

// ---- the urge choice ----

TEST_F(ai_mind, the_current_urge_holds_against_a_little_more_but_panic_always_wins) {
    urges(0.5f, 0.55f, 0.0f, 0.0f, 0.0f, 0.0f);
    running(AI_URGE_HUNGER, AI_CMD_FEED);
    mind->choose_urge();
    EXPECT_EQ(mind->get_current_urge(), AI_URGE_HUNGER);
    EXPECT_TRUE(handled().empty()) << "nothing changes";
    // Forced, there is no head start.
    mind->get_command().phase = AI_PHASE_FORCED;
    mind->choose_urge();
    EXPECT_EQ(mind->get_current_urge(), AI_URGE_THIRST);
    EXPECT_EQ(mind->get_command().kind, AI_CMD_DRINK);
    // Flight wins above 0.8 even against a stronger urge; below, it needs to be ahead.
    urges(1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.81f);
    running(AI_URGE_HUNGER, AI_CMD_FEED);
    mind->choose_urge();
    EXPECT_EQ(mind->get_current_urge(), AI_URGE_FLIGHT);
    urges(0.7f, 0.0f, 0.0f, 0.0f, 0.0f, 0.75f);
    running(AI_URGE_HUNGER, AI_CMD_FEED);
    mind->choose_urge();
    EXPECT_EQ(mind->get_current_urge(), AI_URGE_HUNGER);
    // The first of equals wins.
    urges(0.5f, 0.5f, 0.0f, 0.0f, 0.0f, 0.0f);
    running(AI_URGE_INJURY, AI_CMD_SERIOUS_INJURY);
    mind->choose_urge();
    EXPECT_EQ(mind->get_current_urge(), AI_URGE_HUNGER);
}

TEST_F(ai_mind, a_weak_best_urge_means_rest_lower_for_the_young) {
    const struct {
        int32_t gender;
        float best;
        int32_t urge;
    } cases[] = {{0, 0.25f, AI_URGE_TIREDNESS}, {0, 0.3f, AI_URGE_THIRST}, {1, 0.29f, AI_URGE_TIREDNESS},
                 {2, 0.25f, AI_URGE_THIRST},     {2, 0.09f, AI_URGE_TIREDNESS}};
    for (const auto &c : cases) {
        self->gender = c.gender;
        urges(0.0f, c.best, 0.0f, 0.0f, 0.0f, 0.0f);
        running(AI_URGE_HUNGER, AI_CMD_FEED);
        mind->get_command().phase = AI_PHASE_FORCED;
        mind->choose_urge();
        EXPECT_EQ(mind->get_current_urge(), c.urge) << c.gender << " " << c.best;
    }
}

TEST_F(ai_mind, each_urge_gives_its_command) {
    fake_animal_t *other = made[3];
    other->position = {20, 0, 0};
    other->species = 3;
    struct case_t {
        const char *what;
        int32_t species;       // of the animal
        int32_t urge;          // that wins
        float food_level;
        bool prey, partner, threat, leader;
        float calls;           // chance of a sexual appetite
        int32_t kind;
        int32_t argument;      // -1: the other animal's index
    };
    const case_t cases[] = {
        {"feed", 3, AI_URGE_HUNGER, 0, false, false, false, false, 0, AI_CMD_FEED, 0},
        {"food appetite", 3, AI_URGE_HUNGER, 0.2f, false, false, false, false, 0, AI_CMD_APPETITE, AI_APPETITE_FOOD},
        {"a deer does not hunt", 3, AI_URGE_HUNGER, 0, true, false, false, false, 0, AI_CMD_FEED, 0},
        {"grizzly", 7, AI_URGE_HUNGER, 0, true, false, false, false, 0, AI_CMD_PURSUE_ANIMAL, -1},
        {"predator 11", 11, AI_URGE_HUNGER, 0, true, false, false, false, 0, AI_CMD_PURSUE_ANIMAL, -1},
        {"predator 12", 12, AI_URGE_HUNGER, 0, true, false, false, false, 0, AI_CMD_PURSUE_ANIMAL, -1},
        {"food in mind first", 7, AI_URGE_HUNGER, 0.9f, true, false, false, false, 0, AI_CMD_APPETITE, 0},
        {"no prey seen", 7, AI_URGE_HUNGER, 0, false, false, false, false, 0, AI_CMD_FEED, 0},
        {"drink", 3, AI_URGE_THIRST, 0, false, false, false, false, 0, AI_CMD_DRINK, 0},
        {"rest", 3, AI_URGE_TIREDNESS, 0, false, false, false, false, 0, AI_CMD_REST, 0},
        {"sexual appetite", 3, AI_URGE_SEX, 0, false, true, false, false, 1.0f, AI_CMD_APPETITE, AI_APPETITE_SEXUAL},
        {"sex", 3, AI_URGE_SEX, 0, false, true, false, false, 0, AI_CMD_SEX, -1},
        {"scrape", 3, AI_URGE_SEX, 0, false, false, false, false, 0, AI_CMD_SCRAPE, 0},
        {"search mate", 3, AI_URGE_MATE, 0, false, false, false, true, 0, AI_CMD_SEARCH_MATE, 0},
        {"no mate", 3, AI_URGE_MATE, 0, false, false, false, false, 0, AI_CMD_REST, 0},
        {"flee", 3, AI_URGE_FLIGHT, 0, false, false, true, true, 0, AI_CMD_FLEE, -1},
        {"follow", 3, AI_URGE_FLIGHT, 0, false, false, false, true, 0, AI_CMD_SEARCH_MATE, 0},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.what);
        self->species = c.species;
        self->leader = c.leader ? other : nullptr;
        self->relations.clear();
        other->gender = c.partner ? 1 : 0;
        if (c.prey) self->relations[3] = 1.0f;
        if (c.threat) self->relations[3] = -1.0f;
        mind->perceive();
        ASSERT_EQ(mind->get_seen_prey() != nullptr, c.prey);
        ASSERT_EQ(mind->get_seen_partner() != nullptr, c.partner);
        ASSERT_EQ(mind->get_seen_threat() != nullptr, c.threat);
        const float u[7] = {c.urge == 0 ? 0.6f : 0, c.urge == 1 ? 0.6f : 0, c.urge == 2 ? 0.6f : 0, 0,
                            c.urge == 4 ? 0.6f : 0, c.urge == 5 ? 0.6f : 0, c.urge == 6 ? 0.6f : 0};
        urges(u[0], u[1], u[2], u[4], u[5], u[6]);
        mind->set_bucket(AI_BUCKET_PREY, 0.5f);
        mind->set_food_level(c.food_level);
        mind->set_sexual_level(c.calls);
        mind->compute_urges();
        running(AI_URGE_INJURY, AI_CMD_HIDE);
        mind->choose_urge();
        EXPECT_EQ(mind->get_current_urge(), c.urge);
        EXPECT_EQ(handled(), (std::vector<std::pair<int32_t, int32_t>>{{AI_CMD_HIDE, AI_PHASE_ENDING}}))
            << "the running command is told to end, once";
        const ai_command_t &cmd = mind->get_command();
        EXPECT_EQ(cmd.kind, c.kind);
        EXPECT_EQ(cmd.phase, AI_PHASE_NEW);
        EXPECT_EQ(cmd.argument, c.argument < 0 ? 3 : c.argument);
        EXPECT_EQ(cmd.target, c.argument < 0 ? other : nullptr);
    }
    // Without a mate the mate bucket is emptied.
    self->leader = nullptr;
    self->relations.clear();
    urges(0, 0, 0, 0, 0.6f, 0);
    running(AI_URGE_HUNGER, AI_CMD_FEED);
    mind->choose_urge();
    EXPECT_EQ(mind->get_bucket(AI_BUCKET_MATE), 0.0f);
    // A mortal wound wins over everything.
    self->mortal = true;
    urges(0, 0, 0, 0, 0, 0.95f);
    mind->choose_urge();
    EXPECT_EQ(mind->get_current_urge(), AI_URGE_INJURY);
    EXPECT_EQ(mind->get_command().kind, AI_CMD_SERIOUS_INJURY);
}

TEST_F(ai_mind, flight_with_nothing_to_flee_or_follow_restarts_the_previous_command) {
    urges(0, 0, 0, 0, 0, 0.9f);
    running(AI_URGE_HUNGER, AI_CMD_MOVE);
    mind->get_command().argument = 5;
    mind->choose_urge();
    EXPECT_EQ(mind->get_current_urge(), AI_URGE_FLIGHT);
    EXPECT_EQ(mind->get_command().kind, AI_CMD_MOVE);
    EXPECT_EQ(mind->get_command().argument, 5);
    EXPECT_EQ(mind->get_command().phase, AI_PHASE_NEW);
    EXPECT_EQ(handled(), (std::vector<std::pair<int32_t, int32_t>>{{AI_CMD_MOVE, AI_PHASE_ENDING}}));
}

// ---- the step ----

TEST_F(ai_mind, start_forces_a_decision_and_each_step_dispatches) {
    scene.time = 100.0f;
    urges(0.0f, 0.9f, 0.0f, 0.0f, 0.0f, 0.0f);
    mind->start();
    EXPECT_EQ(mind->get_step_time(), 0.0f);
    EXPECT_EQ(mind->get_current_urge(), AI_URGE_THIRST);
    EXPECT_EQ(handled(), (std::vector<std::pair<int32_t, int32_t>>{{AI_CMD_DRINK, AI_PHASE_NEW}}))
        << "undefined has no handler; the new command is dispatched";
    scene.time = 102.5f;
    mind->step();
    EXPECT_FLOAT_EQ(mind->get_step_time(), 2.5f);
    EXPECT_EQ(handled(), (std::vector<std::pair<int32_t, int32_t>>{{AI_CMD_DRINK, AI_PHASE_NEW}}));
    EXPECT_FLOAT_EQ(mind->get_command_timer(), -2.5f);
    // A clock that went back steps by 0.
    scene.time = 50.0f;
    mind->step();
    EXPECT_EQ(mind->get_step_time(), 0.0f);
}

TEST_F(ai_mind, a_scripts_command_comes_before_the_urges) {
    auto script = test::def_text("def script { def cmd00 { action: \"rest\" } def cmd01 { action: \"hide\" } }");
    mind->load_script(*script->find("script"));
    urges(0.0f, 0.9f, 0.0f, 0.0f, 0.0f, 0.0f);
    mind->start();
    EXPECT_EQ(mind->get_command().kind, AI_CMD_REST);
    EXPECT_EQ(handled(), (std::vector<std::pair<int32_t, int32_t>>{{AI_CMD_REST, AI_PHASE_NEW}}));
    // Finished by its handler (phase 3), the next command of the script starts.
    mind->get_command().phase = AI_PHASE_FORCED;
    mind->step();
    EXPECT_EQ(mind->get_command().kind, AI_CMD_HIDE);
    EXPECT_EQ(handled(), (std::vector<std::pair<int32_t, int32_t>>{{AI_CMD_REST, AI_PHASE_ENDING},
                                                                   {AI_CMD_HIDE, AI_PHASE_NEW}}));
    // Past its end the urges decide again.
    mind->get_command().phase = AI_PHASE_FORCED;
    mind->step();
    EXPECT_EQ(mind->get_command().kind, AI_CMD_DRINK);
}

TEST_F(ai_mind, the_hold_flag_keeps_pursuit_sex_and_fights_going) {
    for (int32_t kind = 0; kind < AI_CMD_COUNT; ++kind) {
        urges(0.0f, 0.9f, 0.0f, 0.0f, 0.0f, 0.0f);
        running(AI_URGE_HUNGER, kind);
        mind->set_hold(true);
        handled();
        mind->decide();
        const bool held = kind == AI_CMD_PURSUE_ANIMAL || kind == AI_CMD_SEX || kind == AI_CMD_FIGHT_ANIMAL;
        EXPECT_EQ(mind->get_hold(), held) << kind;
        EXPECT_EQ(mind->get_command().kind, held ? kind : AI_CMD_DRINK) << kind;
        if (held) {
            EXPECT_EQ(handled(), (std::vector<std::pair<int32_t, int32_t>>{{kind, 1}})) << kind;
        }
    }
}

TEST_F(ai_mind, dispatch_reaches_the_handler_of_each_kind) {
    for (int32_t kind = 0; kind < AI_CMD_COUNT; ++kind) {
        ai_command_t c;
        c.kind = kind;
        c.phase = 2;
        mind->dispatch(c);
        const auto h = handled();
        if (kind == 11 || kind == 13 || kind == 19) {
            EXPECT_TRUE(h.empty()) << kind;
        } else {
            ASSERT_EQ(h.size(), 1u) << kind;
            EXPECT_EQ(h[0].first, kind);
        }
    }
}

// ---- needs and calls ----

TEST_F(ai_mind, needs_change_with_the_processor) {
    // Rates per second of this species: fact / fade of hunger 8/4, thirst 6/3,
    // tiredness 10/5, aggression 12/6, sex 20/10, stress 2/1, fatigue 16/8.
    const float fact[7] = {RATE / 8, RATE / 6, RATE / 10, RATE / 12, RATE / 20, RATE / 2, RATE / 16};
    const float fade[7] = {RATE / 4, RATE / 3, RATE / 5, RATE / 6, RATE / 10, RATE / 1, RATE / 8};
    // Per need: the change in rates (+ fact, - fade), in this order: hunger, thirst,
    // tiredness, aggression, sex, stress, fatigue.
    struct row_t {
        uint32_t processor;
        float fact_times[7], fade_times[7];
        float activity;
    };
    const row_t rows[] = {
        {0, {1, 1, 0, 0, 1, 0, 0}, {0, 0, 1, 1, 0, 1, 1}, 0.5f},
        {1, {0, 2, 1, 0, 1, 0, 0}, {1, 0, 0, 1, 0, 1, 1}, 0.7f},
        {2, {1, 0, 1, 0, 1, 0, 0}, {0, 1, 0, 1, 0, 1, 1}, 0.7f},
        {3, {1, 1, 1, 0, 1, 0, 0}, {0, 0, 0, 1, 0, 1, 0.2f}, 0.8f},
        {4, {1, 1, 2, 0, 1, 0, 1}, {0, 0, 0, 2, 0, 2, 0}, 1.0f},
        {5, {1, 1, 2, 0, 1, 0, 1}, {0, 0, 0, 2, 0, 2, 0}, 1.0f},
        {6, {1, 1, 1, 0, 0, 0, 0}, {0, 0, 0, 1, 1, 1, 1}, 0.5f},
        {7, {0, 0, 1, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 1, -1}, 0.3f},  // fatigue rises by its fade rate
        {8, {0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}, 0.5f},  // the factor rest left
    };
    const float dt = 30.0f;
    for (const row_t &row : rows) {
        for (uint32_t n = 0; n < AI_NEED_COUNT; ++n) mind->set_need(n, 0.5f);
        // "undefined" leaves the activity factor as it was.
        mind->update_needs(0.0f, 0);
        mind->update_needs(dt, row.processor);
        for (uint32_t n = 0; n < AI_NEED_COUNT; ++n) {
            const float expected = 0.5f + (row.fact_times[n] * fact[n] - row.fade_times[n] * fade[n]) * dt;
            EXPECT_NEAR(mind->get_need(n), expected, 1e-6f) << row.processor << " need " << n;
        }
        EXPECT_FLOAT_EQ(mind->get_activity_factor(), row.activity) << row.processor;
    }
    // Increases stop at 1, decreases at 0.
    for (uint32_t n = 0; n < AI_NEED_COUNT; ++n) mind->set_need(n, 0.5f);
    mind->update_needs(1e6f, 4);
    EXPECT_EQ(mind->get_need(AI_NEED_HUNGER), 1.0f);
    EXPECT_EQ(mind->get_need(AI_NEED_STRESS), 0.0f);
}

TEST_F(ai_mind, calls_are_forgotten_one_by_one_and_washed_out) {
    // Ideal 2, maximal 4; forgotten after 60 s; washing starts past the ideal count,
    // after 30 s, at 1/10 a second.
    for (int i = 0; i < 3; ++i) mind->on_call(1.0f);
    EXPECT_EQ(mind->get_call_count(), 3);
    EXPECT_FLOAT_EQ(mind->get_calls_level(), 3 * 0.14f);
    EXPECT_TRUE(mind->is_washing());
    for (int i = 0; i < 3; ++i) mind->on_call(0.0f);
    EXPECT_EQ(mind->get_call_count(), 4) << "at most calls_maximal";

    mind->update_calls(29.0f);
    EXPECT_FLOAT_EQ(mind->get_calls_level(), 0.42f) << "not yet washing out";
    mind->update_calls(2.0f);  // wash clock 31: 0.2 washed out
    EXPECT_FLOAT_EQ(mind->get_calls_level(), 0.22f);
    mind->update_calls(30.0f);  // call clock 61: one forgotten; the level is washed out
    EXPECT_EQ(mind->get_call_count(), 3);
    EXPECT_EQ(mind->get_calls_level(), 0.0f);
    EXPECT_FALSE(mind->is_washing());
    for (int i = 0; i < 3; ++i) mind->update_calls(61.0f);
    EXPECT_EQ(mind->get_call_count(), 0);
    EXPECT_FLOAT_EQ(mind->get_call_weight(), 0.1f);
    mind->update_calls(61.0f);
    EXPECT_EQ(mind->get_call_count(), 0);
}

TEST_F(ai_mind, the_last_forgotten_call_takes_the_calls_level_with_it) {
    mind->on_call(1.0f);
    EXPECT_FALSE(mind->is_washing()) << "one call is below the ideal count";
    mind->update_calls(60.0f);
    EXPECT_EQ(mind->get_call_count(), 1) << "forgotten only past the time";
    mind->update_calls(0.5f);
    EXPECT_EQ(mind->get_call_count(), 0);
    EXPECT_EQ(mind->get_calls_level(), 0.0f);
}

}  // namespace
}  // namespace quarn

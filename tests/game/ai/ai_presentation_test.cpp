// The behaviour presentation: manners bound from behaviour files, the species' state
// graphs, playing with repetition, queues and short stands, overlays and death.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/ai/mind/ai_animal_presentation.h"
#include "game/ai/mind/ai_manners.h"
#include "game/ai/ai_presentation_fixture.h"

namespace quarn {
namespace {

using test::ai_presentation_fixture_t;
using test::animal_file;
using test::behavior_text;

class ai_presentation : public ai_presentation_fixture_t {
protected:
    // Binds the whitetail with its graphs.
    void whitetail() {
        load_whitetail();
        ASSERT_TRUE(p.bind(&animation));
        ASSERT_TRUE(p.load_processors(&ai_def(), "whitetail"));
    }
    uint8_t body(ai_presentation_t::body_state_t s) const { return p.get_body_state_id(s); }
    void body_is(ai_presentation_t::body_state_t s) {
        animation.set_state(0, uint32_t(p.get_body_feature()), p.get_body_state_id(s));
    }

    ai_presentation_t p{random};
};

// ---- binding ----

TEST_F(ai_presentation, the_whitetail_binds_every_manner_in_its_groups) {
    load_whitetail();
    ASSERT_TRUE(p.bind(&animation));
    EXPECT_TRUE(log.entries().empty()) << log.entries()[0].text;
    const zba_info_t info = animation.info;
    for (uint32_t b = 0; b < info.behavior_count(); ++b) {
        const int32_t m = p.manner_of(int32_t(b));
        ASSERT_GE(m, 0) << info.behavior(b).name();
        EXPECT_STREQ(ai_manner_name(m), info.behavior(b).name());
        const auto &g = p.get_group(m);
        EXPECT_LE(g.first, int32_t(b));
        EXPECT_GT(g.first + g.count, int32_t(b));
    }
    const auto &graze = p.get_group(ai_manner_id("stand_graze"));
    EXPECT_EQ(graze.first, info.find_behavior("stand_graze"));
    EXPECT_EQ(graze.count, 2);
    EXPECT_EQ(p.manner_of(-1), -1);
    EXPECT_EQ(p.get_body_feature(), 0);
    EXPECT_EQ(p.get_head_feature(), 1);
    EXPECT_EQ(p.get_body_state_id(ai_presentation_t::BODY_WOUND), 6);
    EXPECT_EQ(p.get_head_state_id(ai_presentation_t::HEAD_LAY), 4);
    EXPECT_EQ(p.find_behavior("STAND_GRAZE"), graze.first) << "names without regard to case";
    EXPECT_EQ(p.find_behavior("nothing"), -1);
}

TEST_F(ai_presentation, a_manner_split_in_the_file_restarts_its_group_with_an_error) {
    const std::string graze = behavior_text("stand_graze", "\"body\" : \"stand\" .");
    load_text(animal_file(graze + graze + graze + behavior_text("walk") + behavior_text("mystery") + graze));
    ASSERT_TRUE(p.bind(&animation));
    EXPECT_TRUE(log.contains("[ai] Manner group for behavior (mystery) not found."));
    EXPECT_EQ(p.manner_of(4), -1);
    EXPECT_TRUE(log.contains("[ai] behavior (stand_graze) from manner (stand_graze) is not together with others in "
                             "ZBA file. Behaviors are badly sorted."));
    const auto &g = p.get_group(ai_manner_id("stand_graze"));
    EXPECT_EQ(g.first, 5);
    EXPECT_EQ(g.count, 1);
    // Before the fourth, the three in a row were one group of 3.
    log.clear();
    load_text(animal_file(graze + graze + graze + behavior_text("walk")));
    ASSERT_TRUE(p.bind(&animation));
    EXPECT_TRUE(log.entries().empty());
    EXPECT_EQ(p.get_group(ai_manner_id("stand_graze")).first, 0);
    EXPECT_EQ(p.get_group(ai_manner_id("stand_graze")).count, 3);
    EXPECT_EQ(p.get_group(ai_manner_id("walk")).first, 3);
}

TEST_F(ai_presentation, a_file_of_more_than_a_hundred_behaviours_maps_them_all) {
    std::string behaviors;
    for (int i = 0; i < 150; ++i) behaviors += behavior_text(i < 149 ? "walk" : "lay");
    load_text(animal_file(behaviors));
    ASSERT_TRUE(p.bind(&animation));
    EXPECT_EQ(p.get_group(ai_manner_id("walk")).count, 149);
    EXPECT_EQ(p.manner_of(149), ai_manner_id("lay"));
    EXPECT_EQ(p.manner_of(150), -1);
}

TEST_F(ai_presentation, binding_fails_without_instance_file_features_or_states) {
    EXPECT_FALSE(p.bind(nullptr));
    EXPECT_TRUE(log.contains("[ai] cannot obtain zba_inst"));
    EXPECT_FALSE(p.bind(&animation));
    EXPECT_TRUE(log.contains("[ai] cannot obtain zba_info"));
    const struct {
        const char *features;
        const char *message;
    } cases[] = {
        {R"("body" { "stand" "lay" "walk" "trott" "gallop" "ramp" "wound" })", "cannot identify 'head' feature"},
        {R"("head" { "left" "right" "up" "down" "lay" })", "cannot identify 'body' feature"},
        {R"("body" { "stand" "lay" "walk" "trott" "gallop" "ramp" } "head" { "left" "right" "up" "down" "lay" })",
         "cannot identify 'body' state 'wound'"},
        {R"("body" { "stand" "lay" "walk" "trott" "gallop" "ramp" "wound" } "head" { "left" "right" "up" "down" })",
         "cannot identify 'head' state 'lay'"},
    };
    for (const auto &c : cases) {
        log.clear();
        const std::string header = std::string("features { ") + c.features + " }\nanimations { \"a\" : \"a.zma\" }\n";
        load_text(animal_file(behavior_text("stand"), header));
        EXPECT_FALSE(p.bind(&animation)) << c.message;
        EXPECT_TRUE(log.contains(c.message)) << c.message;
        EXPECT_EQ(p.play(0, 0, false), -1) << "an unbound presentation plays nothing";
    }
}

// ---- processors ----

TEST_F(ai_presentation, the_species_graphs_load_and_run_away_falls_back_on_attack) {
    ASSERT_TRUE(p.load_processors(&ai_def(), "whitetail"));
    EXPECT_TRUE(log.entries().empty()) << log.entries()[0].text;
    for (uint32_t i = 0; i < AI_PROCESSOR_UNDEFINED; ++i) EXPECT_NE(p.get_processor(i), nullptr) << i;
    EXPECT_EQ(p.get_processor(AI_PROCESSOR_UNDEFINED), nullptr);
    EXPECT_EQ(p.get_current_processor(), AI_PROCESSOR_UNDEFINED);

    ai_presentation_t moose(random);
    ASSERT_TRUE(moose.load_processors(&ai_def(), "moose"));
    ASSERT_NE(moose.get_processor(5), nullptr) << "run_away";
    // The moose's attack graph is a single chain whose entry state gallops.
    EXPECT_EQ(moose.get_processor(5)->get_chain_count(), moose.get_processor(4)->get_chain_count());
    EXPECT_EQ(moose.get_processor(5)->force(0.5f, -1), moose.get_processor(4)->force(0.5f, -1));
    EXPECT_TRUE(log.entries().empty()) << log.entries()[0].text;
    // The squirrel has no scrape or injury graph (nor drink, nor attack).
    ai_presentation_t squirrel(random);
    ASSERT_TRUE(squirrel.load_processors(&ai_def(), "squirrel"));
    EXPECT_TRUE(log.contains("[ai] processor (scrape) not defined !"));
    EXPECT_TRUE(log.contains("[ai] processor (injury) not defined !"));
    EXPECT_FALSE(log.contains("processor (run_away) not defined"));
    EXPECT_FALSE(log.contains("processor (undefined) not defined"));

    for (const char *species : {"unicorn", "whitetail.rest", ""}) {
        log.clear();
        EXPECT_FALSE(p.load_processors(&ai_def(), species));
        EXPECT_TRUE(log.contains(std::string("[ai] error loading ai processors for species (") + species + ")"));
    }
    EXPECT_FALSE(p.load_processors(nullptr, "whitetail"));
}

TEST_F(ai_presentation, changing_processor_forces_it_with_the_urge_value) {
    whitetail();
    EXPECT_FALSE(p.change_processor(9, 0.0f));
    EXPECT_TRUE(log.contains("[ai] invalid processor 9"));
    // "rest" has two chains: calm below 0.5 (stand), lying above (lay).
    ASSERT_TRUE(p.change_processor(0, 0.75f));
    EXPECT_EQ(p.get_current_processor(), 0u);
    EXPECT_EQ(p.get_processor(0)->get_current_chain(), 1);
    EXPECT_EQ(p.get_processor(0)->get_steps(), 0) << "forced";
    // Already current: nothing is forced again.
    p.get_processor(0)->set_current(0, 0, 7);
    ASSERT_TRUE(p.change_processor(0, 0.75f));
    EXPECT_EQ(p.get_processor(0)->get_steps(), 7);
    ASSERT_TRUE(p.change_processor(3, 0.9f));
    EXPECT_EQ(p.get_processor(3)->get_current_chain(), 2) << "move: run";
    ASSERT_TRUE(p.back_to_rest(0.1f));
    EXPECT_EQ(p.get_current_processor(), 0u);
    EXPECT_EQ(p.get_processor(0)->get_current_chain(), 0);

    ai_presentation_t squirrel(random);
    ASSERT_TRUE(squirrel.load_processors(&ai_def(), "squirrel"));
    log.clear();
    EXPECT_FALSE(squirrel.change_processor(7, 0.0f));
    EXPECT_TRUE(log.contains("[ai] cannot change to no existing processor (injury)"));
    EXPECT_EQ(squirrel.get_current_processor(), AI_PROCESSOR_UNDEFINED);
}

TEST_F(ai_presentation, a_command_behaviour_is_the_manner_the_processor_steps_to) {
    whitetail();
    ASSERT_TRUE(p.change_processor(3, 0.2f));  // move: walk
    EXPECT_EQ(p.start_command_behavior(0.2f, false), 0);
    ASSERT_EQ(animation.played(0).size(), 1u);
    const int32_t walk = animation.played(0)[0];
    const int32_t manner = p.manner_of(walk);
    EXPECT_TRUE(manner == ai_manner_id("walk") || manner == ai_manner_id("walk_look")) << manner;
    EXPECT_EQ(p.get_channel(0).current, walk);
    // A failure to start is reported.
    p.on_behavior_end(0);
    animation.play_results = {-6};
    EXPECT_LT(p.start_command_behavior(0.2f, false), 0);
    EXPECT_TRUE(log.contains("[ai] Error in behavior starting!"));
}

// ---- playing ----

TEST_F(ai_presentation, the_same_manner_repeats_its_behaviour_less_and_less) {
    whitetail();
    const int32_t walk = ai_manner_id("walk");
    const auto &g = p.get_group(walk);
    ASSERT_EQ(g.count, 2);
    // The first request draws among the two walks; each later request of the same
    // manner draws once more: the same behaviour again while draw × repeats < 0.7,
    // else a new draw among the walks.
    randomizer_t r = random;
    p.play_manner(walk, 2, false);
    EXPECT_EQ(p.get_last_behavior(), g.first + int32_t(r.rand() * 2.0f));
    int32_t repeats = 1;
    bool repeated = false, drawn_again = false;
    for (int i = 0; i < 20; ++i) {
        p.on_behavior_end(2);
        int32_t expected = p.get_last_behavior();
        if (r.rand() * float(repeats) < 0.7f) {
            ++repeats;
            repeated = true;
        } else {
            repeats = 1;
            expected = g.first + int32_t(r.rand() * 2.0f);
            drawn_again = true;
        }
        p.play_manner(walk, 2, false);
        EXPECT_EQ(p.get_last_behavior(), expected) << i;
        EXPECT_EQ(p.get_repeat_count(), repeats) << i;
        EXPECT_EQ(animation.played(2).back(), expected) << i;
    }
    EXPECT_TRUE(repeated);
    EXPECT_TRUE(drawn_again);
    // Another manner starts over; a manner of one behaviour draws nothing.
    p.on_behavior_end(2);
    const uint32_t seed = random.seed;
    p.play_manner(ai_manner_id("lay"), 2, false);
    EXPECT_EQ(p.get_repeat_count(), 1);
    EXPECT_EQ(p.get_last_manner(), ai_manner_id("lay"));
    EXPECT_EQ(random.seed, seed);
}

TEST_F(ai_presentation, a_busy_channel_queues_one_request_and_refuses_the_next) {
    whitetail();
    const int32_t stand = behavior("stand"), graze = behavior("stand_graze"), look = behavior("stand_look");
    EXPECT_EQ(p.play(stand, 2, false), 0);
    EXPECT_EQ(p.play(graze, 2, true), 1);
    EXPECT_EQ(p.play(look, 2, false), -1);
    EXPECT_EQ(animation.played(2), std::vector<int32_t>{stand});
    EXPECT_EQ(p.get_channel(2).queued, graze);
    // The end of the behaviour starts the queued one.
    EXPECT_TRUE(p.on_behavior_end(2));
    EXPECT_EQ(animation.played(2), (std::vector<int32_t>{stand, graze}));
    EXPECT_EQ(p.get_channel(2).current, graze);
    EXPECT_EQ(p.get_channel(2).queued, -1);
    EXPECT_FALSE(p.on_behavior_end(2));
    EXPECT_EQ(p.get_channel(2).current, -1);
    EXPECT_EQ(p.play(-1, 2, false), 0) << "-1 plays nothing";
    EXPECT_EQ(animation.played(2).size(), 2u);
}

TEST_F(ai_presentation, the_instance_answers_busy_or_bad_behaviour) {
    whitetail();
    const int32_t walk = behavior("walk");
    animation.play_results = {-4};
    EXPECT_EQ(p.play(walk, 0, false), -1);
    EXPECT_EQ(p.get_channel(0).current, -1) << "busy: the channel is cleared";
    // A bad behaviour on the body channel falls back on a short stand.
    animation.play_results = {-1};
    EXPECT_EQ(p.play(walk, 0, false), 0);
    EXPECT_EQ(p.manner_of(p.get_channel(0).current), AI_MANNER_SSTAND);
    EXPECT_EQ(animation.calls.back().behavior, p.get_channel(0).current);
    // Elsewhere, and when the stand fails too, the channel is cleared.
    animation.play_results = {-1};
    EXPECT_EQ(p.play(walk, 3, false), -1);
    EXPECT_EQ(p.get_channel(3).current, -1);
    p.on_behavior_end(0);
    animation.play_results = {-1, -1};
    EXPECT_EQ(p.play(walk, 0, false), -1);
    EXPECT_EQ(p.get_channel(0).current, -1);
    // Other answers pass through.
    animation.play_results = {-6};
    EXPECT_EQ(p.play(walk, 0, true), -6);
    EXPECT_TRUE(animation.calls.back().force);
}

TEST_F(ai_presentation, a_short_stand_comes_between_lying_and_walking) {
    whitetail();
    const int32_t walk = behavior("walk"), lay = behavior("lay"), gallop = behavior("gallop");
    body_is(ai_presentation_t::BODY_LAY);
    EXPECT_EQ(p.play(walk, 0, false), 0);
    ASSERT_EQ(animation.played(0).size(), 1u);
    EXPECT_EQ(p.manner_of(animation.played(0)[0]), AI_MANNER_SSTAND);
    EXPECT_EQ(p.get_channel(0).queued, walk);
    EXPECT_TRUE(p.on_behavior_end(0));
    EXPECT_EQ(animation.played(0).back(), walk);

    // Walking to gallop needs none; walking to lying does; from a stand nothing does.
    const struct {
        ai_presentation_t::body_state_t from;
        int32_t to;
        bool stand_between;
    } cases[] = {
        {ai_presentation_t::BODY_WALK, gallop, false}, {ai_presentation_t::BODY_WALK, lay, true},
        {ai_presentation_t::BODY_STAND, lay, false},   {ai_presentation_t::BODY_RAMP, walk, true},
        {ai_presentation_t::BODY_WALK, behavior("wound"), true}, {ai_presentation_t::BODY_LAY, behavior("lay_look"), false},
    };
    for (const auto &c : cases) {
        ai_presentation_t q(random);
        ASSERT_TRUE(q.bind(&animation));
        animation.calls.clear();
        body_is(c.from);
        EXPECT_EQ(q.play(c.to, 0, false), 0);
        EXPECT_EQ(q.manner_of(animation.played(0)[0]) == AI_MANNER_SSTAND, c.stand_between) << c.from << " " << c.to;
    }
    // A posture change that waited behind a busy channel stands up first too.
    {
        body_is(ai_presentation_t::BODY_LAY);
        ai_presentation_t q(random);
        ASSERT_TRUE(q.bind(&animation));
        animation.calls.clear();
        EXPECT_EQ(q.play(lay, 0, false), 0);
        EXPECT_EQ(q.play(walk, 0, false), 1);
        EXPECT_TRUE(q.on_behavior_end(0));
        EXPECT_EQ(q.manner_of(animation.played(0).back()), AI_MANNER_SSTAND);
        EXPECT_TRUE(q.on_behavior_end(0));
        EXPECT_EQ(animation.played(0).back(), walk);
    }
    // Only the body channel stands up first.
    body_is(ai_presentation_t::BODY_LAY);
    animation.calls.clear();
    ai_presentation_t q(random);
    ASSERT_TRUE(q.bind(&animation));
    EXPECT_EQ(q.play(walk, 2, false), 0);
    EXPECT_EQ(animation.played(2), std::vector<int32_t>{walk});
}

TEST_F(ai_presentation, a_soft_request_waits_behind_a_short_stand) {
    whitetail();
    const int32_t walk = behavior("walk"), trot = behavior("trott"), stand = behavior("sstand");
    ASSERT_EQ(p.play(stand, 0, false), 0);
    EXPECT_EQ(p.play_soft(walk, 0), 0);
    EXPECT_EQ(p.play_soft(trot, 0), 0) << "the later request replaces the waiting one";
    EXPECT_EQ(p.get_channel(0).queued, trot);
    EXPECT_EQ(animation.played(0), std::vector<int32_t>{stand});
    EXPECT_TRUE(p.on_behavior_end(0));
    EXPECT_EQ(animation.played(0).back(), trot);
    // Behind anything else it is an ordinary forced request.
    EXPECT_EQ(p.play_soft(walk, 0), 1);
    EXPECT_TRUE(p.on_behavior_end(0));
    EXPECT_TRUE(animation.calls.back().force == false);
    EXPECT_FALSE(p.on_behavior_end(0));
    EXPECT_EQ(p.play_soft(walk, 0), 0);
    EXPECT_TRUE(animation.calls.back().force);
}

TEST_F(ai_presentation, a_behaviour_scripted_c_asked_for_on_the_alert_channel_plays_on_the_body) {
    load_text(animal_file(behavior_text("alert", "", "\"script\" : \"Cbody\"") + behavior_text("alert_nw")));
    ASSERT_TRUE(p.bind(&animation));
    EXPECT_TRUE(p.behavior_is_c(0));
    EXPECT_FALSE(p.behavior_is_c(1));
    EXPECT_FALSE(p.behavior_is_c(2));
    EXPECT_TRUE(log.contains("[ai] missing behavior (2)"));
    EXPECT_EQ(p.play(0, 1, false), 0);
    EXPECT_EQ(p.play(1, 1, false), 0);
    EXPECT_EQ(animation.played(0), std::vector<int32_t>{0});
    EXPECT_EQ(animation.played(1), std::vector<int32_t>{1});

    const std::string header = "features { \"body\" { \"stand\" \"lay\" \"walk\" \"trott\" \"gallop\" \"ramp\" \"wound\" } "
                               "\"head\" { \"left\" \"right\" \"up\" \"down\" \"lay\" } }\nanimations { \"a\" : \"a.zma\" }\n";
    load_text(animal_file(behavior_text("alert"), header));
    ASSERT_TRUE(p.bind(&animation));
    EXPECT_FALSE(p.behavior_is_c(0));
    EXPECT_TRUE(log.contains("[ai] behavior (0) missing attributes"));
}

// ---- overlays ----

TEST_F(ai_presentation, addons_build_up_at_the_processor_rates_and_follow_each_other) {
    whitetail();
    // rest, calm: eyes, ears, shake and tail may play (groups 0, 1, 2, 6); at urge
    // value 0 their rates are 0.3, 0.5, 0.02 and 0.2 per second.
    ASSERT_TRUE(p.change_processor(0, 0.0f));
    ASSERT_EQ(p.get_processor(0)->get_current_state(), 0);
    const int32_t groups[] = {0, 1, 2, 6};
    const float rates[] = {0.3f, 0.5f, 0.02f, 0.2f};
    // The instance starts the first overlay and refuses the second (features).
    const std::vector<int32_t> answers = {0, -5, 0, 0, 0, 0, 0, 0, 0, 0};
    animation.add_results.assign(answers.begin(), answers.end());
    size_t answered = 0;
    float expected[4] = {};
    bool playing[4] = {};
    for (int frame = 0; frame < 24; ++frame) {
        randomizer_t r = random;
        const size_t added = animation.added().size();
        p.update_addons(0.5f, 0.0f);
        std::vector<int32_t> manners;
        for (int i = 0; i < 4; ++i) {
            const int32_t manner = AI_MANNER_ADDON_FIRST + groups[i];
            expected[i] += (r.rand() + 1.0f) * rates[i] * 0.5f * 0.5f;
            if (expected[i] >= 1.0f && !playing[i]) {
                if (p.get_group(manner).count > 1) r.rand();
                manners.push_back(manner);
                expected[i] -= 1.0f;
                playing[i] = answers[answered++] == 0;
            }
            EXPECT_NEAR(p.get_addon_slot(manner).accumulator, expected[i], 1e-5f) << frame << " " << i;
            EXPECT_EQ(p.get_addon_slot(manner).playing, playing[i]) << frame << " " << i;
        }
        ASSERT_EQ(animation.added().size() - added, manners.size()) << frame;
        for (size_t k = 0; k < manners.size(); ++k) EXPECT_EQ(p.manner_of(animation.added()[added + k]), manners[k]);
    }
    EXPECT_GE(answered, 3u) << "a refused group played later";
    EXPECT_TRUE(log.entries().empty()) << log.entries()[0].text;
    for (const auto &c : animation.calls) {
        EXPECT_EQ(c.op, "add");
        EXPECT_EQ(c.channel, 0u);
    }

    // The end of an overlay starts the next one when one is due, else stops.
    for (int i = 0; i < 4; ++i) {
        const int32_t manner = AI_MANNER_ADDON_FIRST + groups[i];
        if (!playing[i]) continue;
        const size_t before = animation.added().size();
        const bool due = p.get_addon_slot(manner).accumulator >= 1.0f;
        p.on_overlay_done(p.get_group(manner).first);
        EXPECT_EQ(animation.added().size(), before + (due ? 1u : 0u)) << i;
        EXPECT_EQ(p.get_addon_slot(manner).playing, due) << i;
    }
}

TEST_F(ai_presentation, an_overlay_due_at_its_end_follows_at_once) {
    whitetail();
    ASSERT_TRUE(p.change_processor(0, 0.0f));
    const int32_t eyes = AI_MANNER_ADDON_FIRST;
    // Eyes reach 1 within a long frame and start; the rest of a second long frame is
    // due when the first ends.
    p.update_addons(10.0f, 0.0f);
    ASSERT_TRUE(p.get_addon_slot(eyes).playing);
    p.update_addons(10.0f, 0.0f);
    ASSERT_GE(p.get_addon_slot(eyes).accumulator, 1.0f);
    const float due = p.get_addon_slot(eyes).accumulator;
    const size_t before = animation.added().size();
    p.on_overlay_done(p.get_group(eyes).first);
    EXPECT_EQ(animation.added().size(), before + 1);
    EXPECT_EQ(p.manner_of(animation.added().back()), eyes);
    EXPECT_FLOAT_EQ(p.get_addon_slot(eyes).accumulator, due - 1.0f);
    EXPECT_TRUE(p.get_addon_slot(eyes).playing);
    // A behaviour of no manner is ignored.
    p.on_overlay_done(-1);
}

TEST_F(ai_presentation, an_addon_group_without_rates_is_reported) {
    const std::string text = R"(
def ai { def deer { def rest {
    chains_count: "1"
    states_count: "0"
    chains: "calm:stand"
    chain00: "calm:0:1"
    states: ""
    allowed_addons00: "calm:eyes:tail"
    addon00: "eyes:0:1:1:1"
} } }
)";
    def_pool_t pool;
    ASSERT_TRUE(pool.read_text(text.data(), text.size(), "/test.def"));
    whitetail();
    ASSERT_TRUE(p.load_processors(&pool, "deer"));
    ASSERT_TRUE(p.change_processor(0, 0.0f));
    log.clear();
    p.update_addons(0.1f, 0.0f);
    EXPECT_TRUE(log.contains("[ai] trying to play not well defined addon group tail"));
    EXPECT_GT(p.get_addon_slot(AI_MANNER_ADDON_FIRST).accumulator, 0.0f);
    EXPECT_EQ(p.get_addon_slot(AI_MANNER_ADDON_FIRST + 6).accumulator, 0.0f);
}

// ---- death and what the body shows ----

TEST_F(ai_presentation, death_is_chosen_by_the_part_hit) {
    whitetail();
    const struct {
        int32_t kind;
        const char *manner;
    } cases[] = {{4, "lungshot"},  {11, "headshot"},  {14, "headshot"},  {13, "spineshot"}, {0, "heartshot"},
                 {1, "heartshot"}, {2, "heartshot"},  {12, "heartshot"}, {5, "heartshot"},  {-1, "heartshot"}};
    for (const auto &c : cases) {
        ai_presentation_t q(random);
        ASSERT_TRUE(q.bind(&animation));
        animation.calls.clear();
        log.clear();
        EXPECT_EQ(q.play_death(c.kind), 0);
        ASSERT_EQ(animation.calls.size(), 1u);
        EXPECT_EQ(animation.calls[0].channel, 4u);
        EXPECT_TRUE(animation.calls[0].force);
        EXPECT_STREQ(ai_manner_name(q.manner_of(animation.calls[0].behavior)), c.manner) << c.kind;
        const bool known = c.kind == 4 || c.kind >= 11 || (c.kind >= 0 && c.kind <= 2) || c.kind == 12;
        EXPECT_EQ(log.contains("Undefined death animation for part (" + std::to_string(c.kind) + ")!"), !known);
    }
    ai_presentation_t q(random);
    ASSERT_TRUE(q.bind(&animation));
    animation.calls.clear();
    body_is(ai_presentation_t::BODY_WOUND);
    EXPECT_EQ(q.play_death(4), 0);
    EXPECT_STREQ(ai_manner_name(q.manner_of(animation.calls[0].behavior)), "wound2dead");
}

TEST_F(ai_presentation, the_head_turns_with_the_behaviours_and_gallops_are_known) {
    whitetail();
    EXPECT_EQ(p.head_direction(), vec3_t(0, 0, -1));
    EXPECT_FALSE(p.is_galloping());
    ASSERT_EQ(p.play(behavior("look_nw"), 0, false), 0);
    EXPECT_EQ(p.head_direction(), vec3_t(-1, 0, 0));
    // The queued behaviour's head counts first.
    ASSERT_EQ(p.play(behavior("look_ne"), 0, false), 1);
    EXPECT_EQ(p.head_direction(), vec3_t(1, 0, 0));
    p.on_behavior_end(0);
    p.on_behavior_end(0);
    ASSERT_EQ(p.play(behavior("stand_look"), 0, false), 0);
    EXPECT_EQ(p.head_direction(), vec3_t(0, 0, -1));
    p.on_behavior_end(0);
    for (const char *name : {"gallop", "trott"}) {
        const int32_t first = behavior(name);
        for (int32_t b = first; b < first + p.get_group(p.manner_of(first)).count; ++b) {
            ASSERT_EQ(p.play(b, 0, false), 0);
            EXPECT_TRUE(p.is_galloping()) << name << " " << b;
            p.on_behavior_end(0);
        }
    }
    ASSERT_EQ(p.play(behavior("walk"), 0, false), 0);
    EXPECT_FALSE(p.is_galloping());
}

}  // namespace
}  // namespace quarn

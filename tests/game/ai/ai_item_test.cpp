// Attractant items: reading their entries, the reactions of species and genders,
// their stimuli, and what an animal senses of them.
#include <gtest/gtest.h>

#include "game/ai/ai_fakes.h"
#include "game/ai/mind/ai_item.h"
#include "support/message_capture.h"

namespace quarn {
namespace {

using ai_item_load = test::ai_world_fixture_t;

// Indices of the fixture's game definition.
constexpr int32_t WHITETAIL = 3, GRIZZLY = 7;
constexpr int32_t MALE = 0, FEMALE = 1, YOUNG = 2;

struct item_t {
    std::unique_ptr<def_pool_t> pool;
    ai_item_t item;
};

std::unique_ptr<item_t> item(ai_world_t &world, const def_pool_t *game, const std::string &keys) {
    auto i = std::make_unique<item_t>();
    i->pool = test::def_text("def carcass {\n" + keys + "\n}\n");
    EXPECT_TRUE(i->item.load(*i->pool->find("carcass"), game, world));
    return i;
}

TEST_F(ai_item_load, the_carcass_draws_a_grizzly_and_repels_a_whitetail) {
    auto c = item(*world, game.get(), "attract00: \"grizzly:0.3:food\"\nrepell00: \"all:0.2:food\"");
    ai_reaction_t r;
    c->item.react(GRIZZLY, MALE, r);
    EXPECT_TRUE(r.reacts);
    EXPECT_TRUE(r.channel[0]);
    EXPECT_FALSE(r.channel[1]);
    EXPECT_FLOAT_EQ(r.value[0], 0.3f);
    c->item.react(WHITETAIL, FEMALE, r);
    EXPECT_TRUE(r.reacts);
    EXPECT_FLOAT_EQ(r.value[0], -0.2f);
    EXPECT_EQ(c->item.get_sensing_mode(), 1);  // smell by default
    EXPECT_FLOAT_EQ(c->item.get_effect_range(), 500.0f);
    EXPECT_FALSE(c->item.is_timed());
}

TEST_F(ai_item_load, gender_entries_match_their_own_gender_only) {
    auto c = item(*world, game.get(),
                  "attract00: \"whitetail:female:0.5:sex\"\nattract01: \"whitetail:young:0.25:food\"\n"
                  "attract02: \"whitetail:female:0.125:sex\"");
    struct case_t {
        int32_t species, gender;
        bool reacts;
        int channel;
        float value;
    } cases[] = {
        {WHITETAIL, FEMALE, true, 1, 0.625f},  // both female entries add up
        {WHITETAIL, YOUNG, true, 0, 0.25f},
        {WHITETAIL, MALE, false, 0, 0.0f},
        {GRIZZLY, FEMALE, false, 0, 0.0f},
    };
    for (const case_t &k : cases) {
        ai_reaction_t r;
        c->item.react(k.species, k.gender, r);
        EXPECT_EQ(r.reacts, k.reacts) << k.species << " " << k.gender;
        if (!k.reacts) continue;
        EXPECT_TRUE(r.channel[k.channel]);
        EXPECT_FALSE(r.channel[1 - k.channel]);
        EXPECT_FLOAT_EQ(r.value[k.channel], k.value);
    }
}

TEST_F(ai_item_load, bad_entries_are_reported_and_skipped) {
    test::message_capture_t log;
    auto c = item(*world, game.get(), std::string(R"(
attract00: "unicorn:0.3:food"
attract01: "unicorn:male:0.3:food"
attract02: "whitetail:elder:0.3:food"
attract03: "whitetail:nogender:0.3:food"
attract04: "whitetail:0.3"
attract05: "whitetail:much:food"
attract06: "grizzly:0.5:food"
repell00: ")") + std::string(2000, 'x') + R"("
repell01: "all:1:food")");
    EXPECT_TRUE(log.contains("invalid animal species (unicorn) for (carcass) !"));
    EXPECT_TRUE(log.contains("invalid animal species (unicorn) of (carcass) !"));
    EXPECT_TRUE(log.contains("invalid animal species (whitetail) gender (elder) for (carcass) !"));
    EXPECT_TRUE(log.contains("cannot find animal (whitetail.nogender) gender value index"));
    EXPECT_TRUE(log.contains("invalid (carcass)"));
    EXPECT_TRUE(log.contains("invalid (repell0) of (carcass)"));
    EXPECT_TRUE(log.contains("See above error message for (attract. 4)"));
    EXPECT_EQ(c->item.get_attract().get_count(), 1u);
    EXPECT_EQ(c->item.get_repell().get_count(), 1u);
}

TEST_F(ai_item_load, without_the_game_definition_the_item_stays_empty) {
    test::message_capture_t log;
    auto pool = test::def_text("def carcass { attract00: \"all:1:food\" }");
    ai_item_t i;
    EXPECT_FALSE(i.load(*pool->find("carcass"), nullptr, *world));
    EXPECT_TRUE(log.contains("cannot load game.def !"));
    auto empty = test::def_text("def other { }");
    EXPECT_FALSE(i.load(*pool->find("carcass"), empty.get(), *world));
    EXPECT_TRUE(log.contains("cannot find (species) section in game.def"));
    EXPECT_EQ(i.get_attract().get_count(), 0u);
}

TEST_F(ai_item_load, ids_come_from_the_world_and_stimuli_fade_or_last) {
    auto lasting = item(*world, game.get(), "fadeout_time: \"0\"\nattract_type: \"Visual\"\neffect_range: \"40\"");
    test::message_capture_t log;
    auto fading = item(*world, game.get(), "fadeout_time: \"8\"");
    EXPECT_EQ(lasting->item.get_id(), 0);
    EXPECT_EQ(fading->item.get_id(), 1);
    EXPECT_FALSE(lasting->item.is_timed());
    EXPECT_EQ(lasting->item.get_sensing_mode(), 0);
    lasting->item.emit({1, 2, 3}, *world);
    fading->item.emit({4, 5, 6}, *world);
    ASSERT_EQ(world->get_stimulus_count(), 2u);
    const ai_stimulus_t &f = *world->get_stimuli().begin();  // the newest first
    EXPECT_EQ(f.kind, 1);
    EXPECT_EQ(f.source, &fading->item);
    EXPECT_TRUE(f.timed);
    EXPECT_FLOAT_EQ(f.duration, 8.0f);
    EXPECT_FLOAT_EQ(f.remaining, 8.0f);
    EXPECT_FLOAT_EQ(f.intensity, 1.0f);
    EXPECT_FLOAT_EQ(f.position.z, 6.0f);
    world->update(1000.0f);
    ASSERT_EQ(world->get_stimulus_count(), 1u);
    const ai_stimulus_t &l = *world->get_stimuli().begin();
    EXPECT_EQ(l.source, &lasting->item);
    EXPECT_FLOAT_EQ(l.intensity, 1.0f);
    EXPECT_FLOAT_EQ(l.range, 40.0f);
    world->remove_stimuli_of(&lasting->item);
    EXPECT_EQ(world->get_stimulus_count(), 0u);
}

TEST_F(ai_item_load, a_fadeout_time_not_above_zero_is_reported) {
    test::message_capture_t log;
    auto c = item(*world, game.get(), "fadeout_time: \"-3\"");
    EXPECT_TRUE(log.contains("invalid item fadout time (-3.000000)"));
    EXPECT_FALSE(c->item.is_timed());
}

// ---- sensing ----

using ai_item_sense = test::ai_world_fixture_t;

TEST_F(ai_item_sense, sums_per_channel_and_the_strongest_stimulus) {
    auto made = create({"bear"});
    test::fake_animal_t &bear = *made[0];
    bear.species = GRIZZLY;
    ai_sensed_t sensed;
    EXPECT_FALSE(world->sense_stimuli(bear, sensed));  // nothing in the world
    EXPECT_EQ(sensed.sum[0], 0.0f);

    auto food = item(*world, game.get(), "attract00: \"grizzly:0.5:food\"\neffect_range: \"100\"");
    auto mate = item(*world, game.get(), "attract00: \"all:2:sex\"\nattract_type: \"visual\"\neffect_range: \"100\"");
    auto other = item(*world, game.get(), "attract00: \"whitetail:1:food\"");
    food->item.emit({10, 0, 0}, *world);
    food->item.emit({20, 0, 0}, *world);
    ai_stimulus_t *strong = world->add_stimulus(food->item.get_id(), &food->item);
    strong->intensity = 3.0f;
    strong->range = 100.0f;
    strong->sensing = ai_stimulus_t::SMELL;
    strong->position = {0, 0, 30};
    food->item.emit({500, 0, 0}, *world);  // out of smelling range: adds 0
    other->item.emit({1, 0, 0}, *world);   // the bear does not react
    mate->item.emit({0, 0, 7}, *world);
    ASSERT_TRUE(world->sense_stimuli(bear, sensed));
    EXPECT_TRUE(sensed.found[0]);
    EXPECT_TRUE(sensed.found[1]);
    EXPECT_FLOAT_EQ(sensed.sum[0], 0.5f + 0.5f + 1.5f);
    EXPECT_FLOAT_EQ(sensed.strongest[0].z, 30.0f);
    EXPECT_FLOAT_EQ(sensed.sum[1], 2.0f);
    EXPECT_FLOAT_EQ(sensed.strongest[1].z, 7.0f);
    // Each item's reaction is worked out once and kept.
    ai_sensed_t again;
    world->sense_stimuli(bear, again);
    EXPECT_EQ(bear.reaction_queries, 12);
    EXPECT_FLOAT_EQ(again.sum[0], sensed.sum[0]);

    // A whitetail reacts only to its own item and the mating call.
    test::fake_animal_t &deer = *create({"deer"})[0];
    ai_sensed_t d;
    ASSERT_TRUE(world->sense_stimuli(deer, d));
    EXPECT_FLOAT_EQ(d.sum[0], 1.0f);  // its item, 1 away, smelt at full strength
    EXPECT_FLOAT_EQ(d.sum[1], 2.0f);
    EXPECT_FLOAT_EQ(d.strongest[0].x, 1.0f);
}

}  // namespace
}  // namespace quarn

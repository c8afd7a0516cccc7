// State graphs of "/def/ai.def": loading, edge weights, selection and the random walk.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "game/ai/ai_fakes.h"
#include "game/ai/mind/ai_manners.h"
#include "game/ai/mind/ai_processor.h"
#include "game/ai/mind/ai_value_tokens.h"
#include "support/message_capture.h"

namespace quarn {
namespace {

// A processor block "p" with the keys given as def lines.
struct loaded_t {
    std::unique_ptr<def_pool_t> pool;
    ai_processor_t processor;
    test::message_capture_t log;
    bool ok = false;
};

std::unique_ptr<loaded_t> load(const std::string &keys) {
    auto l = std::make_unique<loaded_t>();
    l->pool = test::def_text("def p {\n" + keys + "\n}\n");
    l->ok = l->processor.load(*l->pool->find("p"));
    EXPECT_EQ(l->ok, l->processor.is_valid());
    return l;
}

// The grizzly's "drink" graph of the samples.
const char *const drink = R"(
chains_count: "1"
states_count: "2"
chains: "normal:stand"
chain00: "normal:0.0:1.0"
states: "stand_graze:stand_graze, look:stand_look"
edge00: "normal:stand_graze:0:0.21052632:4:0.9594595:0.0:0.0:0.72687227:-1.0"
edge01: "stand_graze:normal:0:0.1:5:0.6"
edge02: "stand_graze:look"
edge03: "look:normal:2:0.5:1:1.0"
layout: "normal 10 20 ; stand_graze 30 40 !!"
)";

TEST(ai_value_tokens, fields_items_and_skipped_bytes) {
    ai_value_tokens_t t(" a b:c_1 ,-2.5:\x01x");
    EXPECT_EQ(t.next(), ai_value_tokens_t::FIELD);
    EXPECT_STREQ(t.get_token(), "ab");
    EXPECT_EQ(t.next(), ai_value_tokens_t::ITEM);
    EXPECT_STREQ(t.get_token(), "c_1");
    EXPECT_EQ(t.next(), ai_value_tokens_t::FIELD);
    EXPECT_STREQ(t.get_token(), "-2.5");
    EXPECT_EQ(t.next(), ai_value_tokens_t::END);
    EXPECT_STREQ(t.get_token(), "x");
    EXPECT_EQ(t.next(), ai_value_tokens_t::END);
    EXPECT_STREQ(t.get_token(), "");
    std::string long_token(ai_value_tokens_t::MAX_TOKEN + 1, 'a');
    ai_value_tokens_t l(long_token.c_str());
    EXPECT_EQ(l.next(), ai_value_tokens_t::TOO_LONG);
    EXPECT_EQ(ai_value_tokens_t::count_items(long_token.c_str()), -1);
    struct {
        const char *text;
        int32_t items;
    } counts[] = {{"", 0}, {"a:b", 1}, {"a:b,c:d", 2}, {"a:b,", 1}, {" , ", 1}, {"a,,b", 3}};
    for (const auto &c : counts) EXPECT_EQ(ai_value_tokens_t::count_items(c.text), c.items) << c.text;
}

TEST(ai_manners, table) {
    EXPECT_EQ(ai_manner_id("stand"), 0);
    EXPECT_EQ(ai_manner_id("stand_graze"), 8);
    EXPECT_EQ(ai_manner_id("tail_up"), 27);
    EXPECT_EQ(ai_manner_id("limp_rr"), 63);
    EXPECT_EQ(ai_manner_id("Stand"), -1);  // exact
    EXPECT_EQ(ai_manner_id("tailup"), -1);  // an addon group, not a manner
    EXPECT_STREQ(ai_manner_name(45), "sstand");
    EXPECT_EQ(ai_manner_name(18), nullptr);
    EXPECT_EQ(ai_addon_group("TAILUP"), 7);
    EXPECT_EQ(ai_addon_group("tail_up"), -1);
    EXPECT_STREQ(ai_processor_name(5), "run_away");
    EXPECT_EQ(ai_processor_name(AI_PROCESSOR_COUNT), nullptr);
}

TEST(ai_processor_load, the_drink_edge_weighs_by_steps_and_urge) {
    auto l = load(drink);
    ASSERT_TRUE(l->ok);
    const ai_processor_t &p = l->processor;
    ASSERT_EQ(p.get_state_count(), 3u);
    EXPECT_EQ(p.find_state("normal"), 0);
    EXPECT_EQ(p.find_state("look"), 2);
    const uint32_t from = 0, to = 1;
    const float start = 0.21052632f, end = 0.9594595f;
    EXPECT_FLOAT_EQ(p.edge_weight(from, to, 0, 0.0f), start);
    for (int t = 1; t <= 3; ++t)
        EXPECT_FLOAT_EQ(p.edge_weight(from, to, t, 0.0f), start + (end - start) * float(t) / 4) << t;
    EXPECT_FLOAT_EQ(p.edge_weight(from, to, 4, 0.0f), end);
    EXPECT_FLOAT_EQ(p.edge_weight(from, to, 9, 0.0f), end);
    // The urge turns the edge off: halfway by about half, at 0.72687227 wholly.
    EXPECT_FLOAT_EQ(p.edge_weight(from, to, 4, 0.36343613f), end * 0.5f);
    EXPECT_FLOAT_EQ(p.edge_weight(from, to, 2, 0.72687227f), 0.0f);
    EXPECT_FLOAT_EQ(p.edge_weight(from, to, 2, 1.0f), 0.0f);
    // from:to alone weighs 1 from the start; start steps beyond end steps: end wins.
    EXPECT_FLOAT_EQ(p.edge_weight(1, 2, 0, 0.5f), 1.0f);
    EXPECT_FLOAT_EQ(p.edge_weight(2, 0, 1, 0.5f), 1.0f);
    EXPECT_FLOAT_EQ(p.edge_weight(2, 1, 1, 0.5f), 0.0f);  // no such edge
    EXPECT_FALSE(l->log.contains("layout"));
    EXPECT_TRUE(l->log.entries().empty());
}

TEST(ai_processor_load, chains_counts_and_lists_must_agree) {
    struct case_t {
        const char *keys;
        const char *message;
    } cases[] = {
        {"chains: \"a:stand\"", "has no chains_count"},
        {"chains_count: \"1\"", "has no chains"},
        {"chains_count: \"2\"\nchains: \"a:stand\"", "do not match"},
        {"chains_count: \"1\"\nchains: \"a:stand,b:walk\"\nchain00: \"a:0:1\"", "do not match"},
        {"chains_count: \"1\"\nstates_count: \"2\"\nchains: \"a:stand\"\nchain00: \"a:0:1\"\nstates: \"b:walk\"",
         "do not match"},
        {"chains_count: \"-1\"\nchains: \"\"", "not between 0 and 100"},
        {"chains_count: \"2000000000\"\nchains: \"a:stand\"", "not between 0 and 100"},
        {"chains_count: \"1\"\nstates_count: \"101\"\nchains: \"a:stand\"", "not between 0 and 100"},
        {"chains_count: \"1\"\nchains: \"a:stand\"", "cannot find chain00"},
        {"chains_count: \"1\"\nchains: \"a:stomp\"", "invalid manner (stomp)"},
        {"chains_count: \"1\"\nchains: \"a:stand:x\"", "invalid ai definition file !"},
        {"chains_count: \"1\"\nchains: \"a:stand\"\nchain00: \"b:0:1\"", "invalid chain00 item name (b)"},
        {"chains_count: \"1\"\nchains: \"a:stand\"\nchain00: \"a:0\"", "invalid chain00 item"},
        {"chains_count: \"1\"\nchains: \"a:stand\"\nchain00: \"a:low:1\"", "invalid chain00 item"},
    };
    for (const case_t &c : cases) {
        auto l = load(c.keys);
        EXPECT_FALSE(l->ok) << c.keys;
        EXPECT_TRUE(l->log.contains(c.message)) << c.keys;
        if (strstr(c.message, "between") || strstr(c.message, "match") || strstr(c.message, "no chains")) {
            EXPECT_EQ(l->processor.get_state_count(), 0u) << "nothing sized: " << c.keys;
        }
    }
}

TEST(ai_processor_load, ranges_are_clamped_and_states_without_a_states_list_are_none) {
    auto l = load("chains_count: \"2\"\nchains: \"low:stand, high:walk\"\n"
                  "chain01: \"low:-0.5:0.25\"\nchain00: \"high:0.25:7\"\nedge00: \"low:high\"");
    ASSERT_TRUE(l->ok);
    // chain00 names "high": the names, not the numbers, pick the record.
    EXPECT_FLOAT_EQ(l->processor.get_chain(0).low, 0.0f);
    EXPECT_FLOAT_EQ(l->processor.get_chain(0).high, 0.25f);
    EXPECT_FLOAT_EQ(l->processor.get_chain(1).high, 1.0f);
    EXPECT_EQ(l->processor.get_state_count(), 2u);
    EXPECT_FALSE(l->processor.get_edge(0, 1).exists);  // no "states": edges are not read
}

TEST(ai_processor_load, duplicate_names_invalidate_but_the_load_goes_on) {
    auto l = load(R"(chains_count: "1"
states_count: "2"
chains: "a:stand"
chain00: "a:0:1"
states: "b:walk, b:trott"
edge00: "a:b")");
    EXPECT_FALSE(l->ok);
    EXPECT_TRUE(l->log.contains("duplicate state name (b) !"));
    EXPECT_TRUE(l->processor.get_edge(0, 1).exists);  // read after the duplicate
}

TEST(ai_processor_load, chain_membership_and_its_messages) {
    auto l = load(R"(chains_count: "2"
states_count: "4"
chains: "c0:stand, c1:walk"
chain00: "c0:0:0.5"
chain01: "c1:0.5:1"
states: "near:stand_look, far:stand_sniff, lone:lay, both:walk_look"
edge00: "c0:near"
edge01: "near:far"
edge02: "c0:c1"
edge03: "c1:both"
edge04: "both:c0"
edge05: "lone:lone"
edge06: "x:near"
edge07: "near"
edge08: "near:far:1:2"
edge09: "near:far:1:0.5:3:0.9:0:1:1:0:9")");
    const ai_processor_t &p = l->processor;
    EXPECT_TRUE(l->ok);  // the messages are not fatal
    EXPECT_TRUE(l->log.contains("<p> some chain00 and chain01 are connected !"));
    EXPECT_FALSE(p.get_edge(0, 1).exists);
    EXPECT_TRUE(l->log.contains("<p> state05 is accesible from chain01 and chain00"));
    EXPECT_FALSE(p.get_edge(1, 5).exists);  // the edge from the later chain goes
    EXPECT_TRUE(l->log.contains("<p> some izolated states !!!"));
    EXPECT_TRUE(l->log.contains("cannot find manner x - invalid edge06"));
    EXPECT_TRUE(l->log.contains("invalid edge07"));
    EXPECT_TRUE(l->log.contains("invalid edge08"));
    EXPECT_TRUE(l->log.contains("invalid edge09"));
    EXPECT_EQ(p.get_state(2).chain, 0);  // near
    EXPECT_EQ(p.get_state(3).chain, 0);  // far, through near
    EXPECT_FALSE(p.get_state(4).assigned);  // lone keeps no chain
    EXPECT_EQ(p.get_state(5).chain, 0);
}

TEST(ai_processor_load, addons_and_allowed_addons) {
    auto l = load(std::string(drink) + R"(
allowed_addons00: "stand_graze:EARS:tail:wings"
allowed_addons01: "nobody:eyes"
allowed_addons02: "normal:tailup"
addon00: "ears:0.2:1.0:0.6:3.0"
addon01: "wings:0:1:1:1"
addon02: "tail:0:1"
addon03: "tail:0:0.5:1:0.5")");
    ASSERT_TRUE(l->ok);
    const ai_processor_t &p = l->processor;
    EXPECT_EQ(p.get_state(1).addon_mask, (1u << 1) | (1u << 6));
    EXPECT_EQ(p.get_state(0).addon_mask, 1u << 7);
    EXPECT_TRUE(l->log.contains("invalid state nobody for allowed_addons01"));
    EXPECT_TRUE(l->log.contains("invalid addon group wings for addon01"));
    EXPECT_TRUE(l->log.contains("invalid addon02"));
    EXPECT_FLOAT_EQ(p.addon_rate(1, 0.1f), 1.0f);
    EXPECT_FLOAT_EQ(p.addon_rate(1, 0.4f), 2.0f);
    EXPECT_FLOAT_EQ(p.addon_rate(1, 0.9f), 3.0f);
    EXPECT_FLOAT_EQ(p.addon_rate(6, 0.3f), 0.5f);
    EXPECT_FLOAT_EQ(p.addon_rate(0, 0.3f), -1.0f);
    EXPECT_FLOAT_EQ(p.addon_rate(99, 0.3f), -1.0f);
    EXPECT_EQ(p.current_addon_mask(), 1u << 7);  // state 0 at the start
}

// ---- selection and stepping ----

const char *const two_chains = R"(
chains_count: "2"
states_count: "3"
chains: "quiet:stand, busy:walk"
chain00: "quiet:0:0.5"
chain01: "busy:0.6:1"
states: "look:stand_look, graze:stand_graze, busy_look:stand_look"
edge00: "quiet:look"
edge01: "quiet:graze"
edge02: "busy:busy_look"
)";

TEST(ai_processor_select, by_range_forced_and_with_a_preferred_manner) {
    auto l = load(two_chains);
    ASSERT_TRUE(l->ok);
    ai_processor_t &p = l->processor;
    struct case_t {
        float value;
        int32_t manner;
        bool forced;
        int32_t chain, state, steps;
    } cases[] = {
        {0.2f, -1, false, 0, 0, 1},
        {0.2f, -1, true, 0, 0, 0},
        {0.2f, 8, false, 0, 3, 1},   // stand_graze: the graze state of quiet
        {0.2f, 8, true, 0, 0, 0},    // forced: the entry state
        {0.8f, 5, false, 1, 4, 1},   // stand_look in busy: busy_look, not look
        {0.8f, 1, false, 1, 1, 1},   // walk is the entry's own manner: the entry
        {0.8f, 42, false, 1, 1, 1},  // nothing of that manner
    };
    for (const case_t &c : cases) {
        p.set_current(0, 2, 7);
        p.select(c.value, c.manner, c.forced);
        EXPECT_EQ(p.get_current_chain(), c.chain) << c.value << " " << c.manner << " " << c.forced;
        EXPECT_EQ(p.get_current_state(), c.state) << c.value << " " << c.manner << " " << c.forced;
        EXPECT_EQ(p.get_steps(), c.steps) << c.value << " " << c.manner << " " << c.forced;
    }
    // Between the ranges no chain holds the value: nothing changes.
    p.set_current(1, 4, 3);
    p.select(0.55f, -1, false);
    EXPECT_TRUE(l->log.contains("appropriate chain not found !!!"));
    EXPECT_EQ(p.get_current_state(), 4);
    EXPECT_EQ(p.get_steps(), 3);
}

TEST(ai_processor_select, step_walks_inside_the_range_and_selects_outside_it) {
    auto l = load(two_chains);
    ai_processor_t &p = l->processor;
    randomizer_t random(7);
    p.set_current(0, 0, 0);
    EXPECT_EQ(p.force(0.9f, 5), ai_manner_id("walk"));  // forced: the entry of busy, t = 0
    EXPECT_EQ(p.get_steps(), 0);
    // In range: a random walk to the only target.
    EXPECT_EQ(p.step(0.7f, -1, random), ai_manner_id("stand_look"));
    EXPECT_EQ(p.get_current_state(), 4);
    EXPECT_EQ(p.get_steps(), 1);
    // No edge out of busy_look: t counts on.
    p.step(0.7f, -1, random);
    EXPECT_EQ(p.get_steps(), 2);
    // Out of range: selected anew, with the preferred manner.
    EXPECT_EQ(p.step(0.1f, 8, random), ai_manner_id("stand_graze"));
    EXPECT_EQ(p.get_current_chain(), 0);
}

TEST(ai_processor_select, one_chain_forced_starts_over_at_the_entry) {
    auto l = load(drink);
    ai_processor_t &p = l->processor;
    p.set_current(0, 2, 5);
    EXPECT_EQ(p.force(0.3f, 8), ai_manner_id("stand"));
    EXPECT_EQ(p.get_current_state(), 0);
    EXPECT_EQ(p.get_steps(), 0);
}

TEST(ai_processor_select, without_chains_step_and_force_answer_minus_one) {
    for (const char *keys : {"chains_count: \"0\"\nchains: \"\"", "states: \"a:stand\""}) {
        auto l = load(keys);
        ai_processor_t &p = l->processor;
        randomizer_t random(1);
        const uint32_t seed = random.seed;
        EXPECT_EQ(p.step(0.5f, -1, random), -1) << keys;
        EXPECT_EQ(p.force(0.5f, 1), -1) << keys;
        EXPECT_EQ(p.get_current_state(), 0);
        EXPECT_EQ(p.get_steps(), 0);
        EXPECT_EQ(random.seed, seed);  // nothing drawn
        EXPECT_EQ(p.current_addon_mask(), 0u);
    }
}

TEST(ai_processor_walk, frequencies_follow_the_weights) {
    auto l = load(R"(chains_count: "1"
states_count: "3"
chains: "hub:stand"
chain00: "hub:0:1"
states: "a:walk, b:trott, c:lay"
edge00: "hub:a:0:1:0:1"
edge01: "hub:b:0:3:0:3"
edge02: "hub:c:0:0:0:0"
edge03: "hub:hub:0:4:0:4"
edge04: "a:hub"
edge05: "b:hub"
edge06: "c:hub")");
    ASSERT_TRUE(l->ok);
    ai_processor_t &p = l->processor;
    randomizer_t random(2024);
    std::map<int32_t, int> seen;
    const int walks = 16000;
    for (int i = 0; i < walks; ++i) {
        p.set_current(0, 0, 3);
        p.random_walk(0.5f, random);
        ++seen[p.get_current_state()];
        EXPECT_EQ(p.get_steps(), p.get_current_state() == 0 ? 4 : 1);
    }
    EXPECT_EQ(seen[3], 0);  // weight 0: never
    EXPECT_NEAR(seen[1] / double(walks), 1.0 / 8, 0.015);
    EXPECT_NEAR(seen[2] / double(walks), 3.0 / 8, 0.015);
    EXPECT_NEAR(seen[0] / double(walks), 4.0 / 8, 0.015);
    EXPECT_FALSE(p.get_edge(0, 3).active);
    EXPECT_TRUE(p.get_edge(0, 2).active);
    EXPECT_FLOAT_EQ(p.get_edge(0, 2).weight, 3.0f);
}

}  // namespace
}  // namespace quarn

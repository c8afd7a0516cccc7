// Transition plans of animation instances: which transitions carry the features from
// the states a channel is in to the states a behaviour needs, what is refused, what is
// reported when nothing fits, and the cache of plans per pair of behaviours.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/ai/zba/zba_transition.h"
#include "zba_inst_fixture.h"

namespace quarn::test {
namespace {

using lines_t = std::vector<std::string>;
using zba_inst_plan = zba_inst_test;

TEST_F(zba_inst_plan, plans_over_three_features) {
    struct case_t {
        const char *name;
        const char *from;  // switched to and run to its end: the channel's states are its end states
        const char *to;
        lines_t transition;  // the listing of the transition's program; empty: none runs
        lines_t warnings;
    };
    const lines_t unable_flick = {"[zba_inst] unable to complete transition:", "\\g(body) stand -> *",
                                  "\\g(head) up -> down", "\\r(tail) still -> flick",
                                  "[zba_inst] unable to build transition. Skipped..."};
    const case_t cases[] = {
        {"equal states play at once", "start", "graze", {}, {}},
        {"one simple transition", "start", "walk", {"wgh 0 / wgs 1.66667 / anm walk_a / ans 0 / wtt 0.6 / wgh 1 / hlt"}, {}},
        {"the complex transition that reaches most", "start", "lay_down",
         {"wgh 1 / wgs 0 / anm stand_lay_head_a / wtt 1 / wgh 1 / hlt"}, {}},
        {"a complex transition that changes an unasked feature is refused", "start", "lay",
         {"wgh 1 / wgs 0 / anm stand_lay_a / wtt 1 / wgh 1 / hlt"}, {}},
        {"it is taken where the feature is asked for", "start", "lay_flick",
         {"wgh 1 / wgs 0 / anm lay_tail_a / wtt 1 / wgh 1 / hlt"}, {}},
        {"from any state in the second pass", "start_walk", "lay",
         {"wgh 1 / wgs 0 / anm any_lay_a / wtt 1 / wgh 1 / hlt"}, {}},
        {"a complex transition, then a simple one", "start_walk", "lay_down",
         {"wgh 1 / wgs 0 / anm any_lay_a / wtt 1 / wgh 1 / hlt", "wtt 0.3 / hlt"}, {}},
        {"two simple transitions in feature order", "lay_down", "graze",
         {"wgh 1 / wgs 0 / anm rise_a / ans 0 / wtt 0.5 / wgh 1 / hlt",
          "wgh 1 / wgs 0 / anm head_a / ans 0 / wtt 0.25 / wgh 1 / hlt"}, {}},
        {"a missing simple transition is reported", "start", "flick", {}, unable_flick},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.name);
        make();
        ASSERT_EQ(inst->switch_behavior(behavior(c.from), 0), ZBA_OK);
        steps(4, 0.25f);
        ASSERT_FALSE(inst->is_running(0));
        log.clear();
        listener.take();
        const uint32_t before = inst->get_process_count();
        listener.take();
        ASSERT_EQ(play(c.to), ZBA_OK);
        EXPECT_EQ(inst->in_transition(0), !c.transition.empty());
        EXPECT_EQ(inst->get_behavior(0), behavior(c.to)) << "playing, or waiting behind the transition";
        EXPECT_EQ(inst->get_process_count(), before + 1);
        if (!c.transition.empty()) {
            EXPECT_EQ(listing(header_of(newest()).source), c.transition);
        }
        EXPECT_EQ(warnings(), c.warnings);
        EXPECT_TRUE(listener.take().empty()) << "the old behaviour had ended: nothing is reported";
    }
}

// Back from lying with a flicked tail: body and head have simple transitions, the tail
// none. Every feature with a known state gets its line, those reached in green.
TEST_F(zba_inst_plan, the_report_names_every_feature_with_a_state) {
    ASSERT_EQ(inst->switch_behavior(behavior("lay_flick"), 0), ZBA_OK);
    steps(4, 0.25f);
    log.clear();
    ASSERT_EQ(play("start"), ZBA_OK);
    EXPECT_FALSE(inst->in_transition(0));
    EXPECT_EQ(warnings(), (lines_t{"[zba_inst] unable to complete transition:", "\\g(body) lay -> stand",
                                   "\\g(head) * -> up", "\\r(tail) flick -> still",
                                   "[zba_inst] unable to build transition. Skipped..."}));
}

TEST_F(zba_inst_plan, a_second_plan_for_the_same_pair_comes_from_the_cache) {
    ASSERT_EQ(inst->switch_behavior(behavior("start"), 0), ZBA_OK);
    steps(4, 0.25f);
    ASSERT_EQ(play("lay"), ZBA_OK);
    const c_item_t *first = header_of(newest()).source;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(info().runtime()->programs.find_transition(behavior("start"), behavior("lay")), first);

    make();
    log.clear();
    ASSERT_EQ(inst->switch_behavior(behavior("start"), 0), ZBA_OK);
    steps(4, 0.25f);
    ASSERT_EQ(play("lay"), ZBA_OK);
    ASSERT_TRUE(inst->in_transition(0));
    EXPECT_EQ(header_of(newest()).source, first) << "the same program";
    EXPECT_FALSE(log.contains("[zba_vm] transition")) << "nothing compiled, nothing listed";
}

// The planner itself, from states nobody knows: complex transitions that name a start
// state do not fit them, and the report shows them as "*".
TEST_F(zba_inst_plan, the_planner_from_unknown_states) {
    const zba_info_t file = info();
    zba_transition_plan_t plan;
    const uint8_t unknown[3] = {zba_layout::NO_STATE, zba_layout::NO_STATE, zba_layout::NO_STATE};
    // Nothing names a start state: nothing to do.
    EXPECT_TRUE(zba_plan_transition(file, unknown, file.behavior(uint32_t(behavior("empty"))), plan));
    EXPECT_EQ(plan.complex_count + plan.simple_count, 0u);
    // Body walk from an unknown state: the simple transition.
    EXPECT_TRUE(zba_plan_transition(file, unknown, file.behavior(uint32_t(behavior("walk"))), plan));
    EXPECT_EQ(plan.complex_count, 0u);
    ASSERT_EQ(plan.simple_count, 1u);
    EXPECT_EQ(plan.simple[0], file.feature(0).simple_transition(1));
    // Lay from an unknown state: only "any_lay" fits; the tail has no way: reported.
    log.clear();
    EXPECT_FALSE(zba_plan_transition(file, unknown, file.behavior(uint32_t(behavior("lay_flick"))), plan));
    ASSERT_EQ(plan.complex_count, 1u);
    EXPECT_EQ(plan.complex[0], 3);
    EXPECT_EQ(warnings(), (lines_t{"[zba_inst] unable to complete transition:", "\\g(body) * -> lay",
                                   "\\r(tail) * -> flick"}));
}

}  // namespace
}  // namespace quarn::test

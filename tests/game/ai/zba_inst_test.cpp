// Animation instances over recorded channels, with fixed frame steps: what the listener
// is told and when, the feature states, forced plays under transitions, overlays, the
// return codes, and a listener that acts on the instance from inside its notices.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "zba_inst_fixture.h"

namespace quarn::test {
namespace {

using lines_t = std::vector<std::string>;
using zba_inst = zba_inst_test;

// The recorded calls on one model channel ("weight 0 1" is on channel 0).
lines_t on_channel(const lines_t &calls, int32_t channel) {
    lines_t out;
    const std::string wanted = std::to_string(channel);
    for (const std::string &call : calls) {
        const size_t from = call.find(' ') + 1;
        if (from == 0) continue;
        const size_t to = call.find(' ', from);
        if (call.substr(from, to == std::string::npos ? std::string::npos : to - from) == wanted) out.push_back(call);
    }
    return out;
}

TEST_F(zba_inst, a_behaviour_that_ends_reports_kind_0_and_its_targets_become_the_states) {
    ASSERT_EQ(play("graze"), ZBA_OK);
    EXPECT_FALSE(inst->in_transition(0)) << "a channel's first behaviour sets its states: nothing to change";
    EXPECT_EQ(states(0), "stand up *");
    EXPECT_EQ(states(0, true), "stand down *");
    EXPECT_EQ(channels.take(), (lines_t{"play idle_a 35 0 1 -> 0", "flags 0 0x800", "stop_frame 0 -1", "weight 0 1"}));
    steps(3, 0.25f);
    EXPECT_TRUE(listener.lines.empty());
    EXPECT_TRUE(inst->is_running(0));
    step(0.25f);
    EXPECT_EQ(listener.take(), lines_t{"4 0 graze ch0"});
    EXPECT_FALSE(inst->is_running(0));
    EXPECT_EQ(inst->get_behavior(0), behavior("graze")) << "the ended behaviour stays until the next play";
    EXPECT_EQ(states(0), "stand down *");
    EXPECT_EQ(states(0, true), "* * *");
    // Playing what the states allow starts it at once, with nothing reported.
    ASSERT_EQ(play("stand"), ZBA_OK);
    EXPECT_FALSE(inst->in_transition(0));
    EXPECT_TRUE(listener.lines.empty());
    EXPECT_EQ(states(0, true), "stand down *") << "a feature the behaviour does not name keeps its state";
}

TEST_F(zba_inst, a_transition_reports_kind_1_then_its_behaviour_runs_from_the_overshoot) {
    ASSERT_EQ(inst->switch_behavior(behavior("start"), 0), ZBA_OK);
    steps(4, 0.25f);
    EXPECT_EQ(listener.take(), lines_t{"4 0 start ch0"});
    listener.frame = 0;
    ASSERT_EQ(play("walk"), ZBA_OK);
    EXPECT_TRUE(inst->in_transition(0));
    EXPECT_EQ(inst->get_behavior(0), behavior("walk"));
    EXPECT_EQ(states(0), "walk up still") << "the transition takes the body into the behaviour's start";
    EXPECT_EQ(states(0, true), "walk up still");
    // The transition (0.6 s) ends in the third update, 0.15 s into it; walk takes up
    // those 0.15 s at once and runs its own time from the next update on: its "drop"
    // at 0.5 comes in the fifth update, its end at 1 in the seventh.
    steps(3, 0.25f);
    EXPECT_EQ(listener.take(), lines_t{"3 1 walk ch0"});
    EXPECT_FALSE(inst->in_transition(0));
    EXPECT_TRUE(inst->is_running(0));
    EXPECT_FLOAT_EQ(thread_of(newest(), 0).time, 0.15f);
    steps(4, 0.25f);
    EXPECT_EQ(listener.take(), (lines_t{"5 6 drop ch0", "7 0 walk ch0"}));
    EXPECT_EQ(states(0), "walk up still");
}

TEST_F(zba_inst, a_forced_play_holds_the_old_behaviour_frozen_under_the_transition) {
    ASSERT_EQ(inst->switch_behavior(behavior("start"), 0), ZBA_OK);
    step(0.25f);
    listener.frame = 0;
    EXPECT_EQ(play("walk"), ZBA_ERR_BUSY);
    EXPECT_FALSE(inst->in_transition(0)) << "refused: nothing changed";
    EXPECT_EQ(inst->get_behavior(0), behavior("start"));
    channels.take();

    ASSERT_EQ(play("walk", 0, true), ZBA_OK);
    ASSERT_TRUE(inst->in_transition(0));
    // Priority 1: the channel's 0, over the replaced behaviour's 0, plus 1.
    EXPECT_EQ(channels.take(), (lines_t{"play walk_a 35 1 1 -> 1", "flags 1 0x800", "stop_frame 1 -1", "weight 1 0"}));
    for (int frame = 1; frame <= 2; ++frame) {
        step(0.25f);
        EXPECT_EQ(on_channel(channels.take(), 0), lines_t{"weight 0 1"}) << "held at full weight, not advanced";
    }
    step(0.25f);
    const lines_t calls = channels.take();
    // The held behaviour's last hold, then it goes when the transition ends; walk takes
    // the channel and catches up 0.15 s at twice the speed (a 2 s animation over 1 s).
    EXPECT_EQ(on_channel(calls, 0), (lines_t{"weight 0 1", "free 0", "flags 0 0x800", "stop_frame 0 -1", "weight 0 1",
                                             "free 0", "flags 0 0x800", "stop_frame 0 -1", "weight 0 1",
                                             "advance 0 0.3"}));
    EXPECT_EQ(listener.take(), lines_t{"3 1 walk ch0"}) << "the held behaviour goes unreported";
    EXPECT_EQ(channels.in_use(), 1u) << "only walk's channel";
}

TEST_F(zba_inst, overlays_sounds_and_infos_reach_the_listener) {
    ASSERT_EQ(inst->switch_behavior(behavior("start"), 0), ZBA_OK);
    ASSERT_EQ(inst->add_behavior(behavior("ear"), 0), ZBA_OK);
    EXPECT_EQ(inst->get_overlay_count(0), 1u);
    ASSERT_EQ(inst->switch_behavior(behavior("walk"), 2), ZBA_OK);
    EXPECT_EQ(channels.channels.back().priority, 20) << "channel 2 plays at priority 20";
    steps(2, 0.25f);
    EXPECT_EQ(listener.take(), (lines_t{"1 5 snort.wav ch0", "2 3 ear ch0", "2 6 drop ch2"}));
    EXPECT_EQ(inst->get_overlay_count(0), 0u);
    EXPECT_TRUE(inst->is_running(0)) << "the overlay's end leaves the behaviour under it alone";
}

TEST_F(zba_inst, switching_reports_what_it_lets_go_and_a_crossfade_fades_it_out) {
    ASSERT_EQ(inst->switch_behavior(behavior("start"), 0), ZBA_OK);
    step(0.25f);
    listener.frame = 0;
    ASSERT_EQ(inst->switch_behavior(behavior("walk"), 0), ZBA_OK);
    EXPECT_EQ(listener.take(), lines_t{"0 2 start ch0"});
    EXPECT_EQ(states(0), "stand up still") << "only the first use sets the states";
    EXPECT_EQ(states(0, true), "walk up still");
    channels.take();

    // A crossfade of 0.5 s: the old behaviour fades at 2 a second under the new one,
    // unreported, and its channel goes when the weight is spent.
    ASSERT_EQ(inst->switch_behavior(behavior("stand"), 0, 0.5f), ZBA_OK);
    EXPECT_TRUE(listener.lines.empty());
    step(0.25f);
    EXPECT_EQ(on_channel(channels.take(), 0), lines_t{"weight 0 0.5"});
    steps(2, 0.25f);
    EXPECT_EQ(on_channel(channels.take(), 0), (lines_t{"weight 0 0", "free 0"}));
    EXPECT_TRUE(listener.lines.empty());
}

TEST_F(zba_inst, return_codes) {
    const int32_t count = int32_t(info().behavior_count());
    const int32_t start = behavior("start");
    const int32_t ear = behavior("ear");
    // What a listener called from inside a notice got, in order.
    std::vector<int32_t> inside;
    struct case_t {
        const char *name;
        std::function<int32_t()> op;
        int32_t expected;
    };
    const case_t cases[] = {
        {"play -1", [&] { return inst->play_behavior(-1, 0, false); }, ZBA_ERR_BEHAVIOR},
        {"play past the last", [&] { return inst->play_behavior(count, 0, true); }, ZBA_ERR_BEHAVIOR},
        {"play on no channel", [&] { return inst->play_behavior(start, 3, false); }, ZBA_ERR_BEHAVIOR},
        {"add -1", [&] { return inst->add_behavior(-1, 0); }, ZBA_ERR_BEHAVIOR},
        {"switch past the last", [&] { return inst->switch_behavior(count, 0); }, ZBA_ERR_BEHAVIOR},
        {"play on a running behaviour",
         [&] {
             inst->switch_behavior(start, 0);
             return play("stand");
         },
         ZBA_ERR_BUSY},
        {"an overlay on a channel that played nothing", [&] { return inst->add_behavior(ear, 1); }, ZBA_ERR_FEATURES},
        {"an overlay whose start states do not match",
         [&] {
             inst->switch_behavior(behavior("start_walk"), 0);
             return inst->add_behavior(ear, 0);
         },
         ZBA_ERR_FEATURES},
        {"an overlay whose start states match",
         [&] {
             inst->switch_behavior(start, 0);
             return inst->add_behavior(ear, 0);
         },
         ZBA_OK},
        {"calls on a channel while its stop is reported",
         [&] {
             inst->switch_behavior(start, 0);
             listener.on_notify = [&](uint32_t kind, zba_value_t, uint32_t c) {
                 if (kind != ZBA_NOTICE_RELEASED) return;
                 inside.push_back(inst->play_behavior(start, c, true));
                 inside.push_back(inst->add_behavior(ear, c));
                 inside.push_back(inst->switch_behavior(start, c));
                 inst->clear_channel(c);
                 inside.push_back(inst->has_features(c) ? 1 : 0);
                 inside.push_back(inst->play_behavior(start, 1, false));  // another channel
             };
             const int32_t result = inst->switch_behavior(behavior("walk"), 0);
             listener.on_notify = nullptr;
             EXPECT_EQ(inside, (std::vector<int32_t>{ZBA_ERR_CHANNEL, ZBA_ERR_CHANNEL, ZBA_ERR_CHANNEL, 1, ZBA_OK}));
             EXPECT_EQ(inst->get_behavior(0), behavior("walk"));
             return result;
         },
         ZBA_OK},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.name);
        make();
        EXPECT_EQ(c.op(), c.expected);
    }
}

TEST_F(zba_inst, fading_a_channel_out_drops_what_waits_and_keeps_the_states) {
    ASSERT_EQ(inst->switch_behavior(behavior("start"), 0), ZBA_OK);
    step(0.25f);
    ASSERT_EQ(play("walk", 0, true), ZBA_OK);
    channels.take();
    inst->fade_out_channel(0, 2.0f);
    EXPECT_EQ(inst->get_behavior(0), -1) << "the behaviour behind the transition is dropped";
    steps(3, 0.25f);
    EXPECT_EQ(channels.in_use(), 0u) << "held behaviour and transition faded out";
    EXPECT_TRUE(listener.lines.empty()) << "a fade's end is not reported";
    EXPECT_EQ(states(0), "walk up still");
    // The faded channel takes a new behaviour without force.
    EXPECT_EQ(play("walk"), ZBA_OK);
}

// ---- the listener acts on the instance ----

TEST_F(zba_inst, a_listener_plays_the_next_behaviour_from_inside_kind_0) {
    // stand and walk take turns, each started from the end of the other; the times
    // between updates do not divide the lengths.
    const int32_t stand = behavior("stand"), walk = behavior("walk");
    uint32_t started = 0;
    listener.on_notify = [&](uint32_t kind, zba_value_t value, uint32_t c) {
        if (kind != ZBA_NOTICE_ENDED) return;
        EXPECT_EQ(inst->play_behavior(value.behavior == stand ? walk : stand, c, false), ZBA_OK);
        ++started;
    };
    ASSERT_EQ(play("stand"), ZBA_OK);
    for (int i = 0; i < 100; ++i) {
        step(i % 3 == 0 ? 0.37f : 0.11f);
        EXPECT_LE(inst->get_node_count(), 2u) << "a behaviour and, at most, what it replaces";
        EXPECT_LE(inst->get_process_count(), 3u) << "released processes leave the list";
    }
    EXPECT_GT(started, 10u);
    EXPECT_TRUE(log.texts(message_t::WARNING).empty());
}

TEST_F(zba_inst, a_listener_plays_another_behaviour_from_inside_kind_1) {
    ASSERT_EQ(inst->switch_behavior(behavior("start"), 0), ZBA_OK);
    steps(4, 0.25f);
    listener.take();
    listener.frame = 0;
    listener.on_notify = [&](uint32_t kind, zba_value_t, uint32_t c) {
        if (kind == ZBA_NOTICE_TRANSITION_END) {
            EXPECT_EQ(inst->play_behavior(behavior("stand"), c, false), ZBA_OK);
        }
    };
    ASSERT_EQ(play("walk"), ZBA_OK);
    steps(3, 0.25f);
    EXPECT_EQ(listener.take(), lines_t{"3 1 walk ch0"});
    EXPECT_TRUE(inst->in_transition(0)) << "back to stand: walk never starts";
    EXPECT_EQ(inst->get_behavior(0), behavior("stand"));
    // The new transition (0.5 s) took up the 0.15 s past the old one's end: it ends in
    // the fifth update, and stand (1 s), 0.15 s on again, in the ninth.
    steps(6, 0.25f);
    EXPECT_EQ(listener.take(), (lines_t{"5 1 stand ch0", "9 0 stand ch0"}));
    EXPECT_EQ(inst->get_node_count(), 1u);
}

// A listener that lets go of a process the update has yet to reach (another channel's)
// and of the instance itself: the update walks on over the dead process, and the
// instance goes only when the update returns.
TEST_F(zba_inst, a_listener_releases_processes_and_the_instance_during_the_update) {
    ASSERT_EQ(play("graze", 0), ZBA_OK);
    ASSERT_EQ(play("lay", 1), ZBA_OK);
    ASSERT_EQ(inst->add_behavior(behavior("lay"), 1), ZBA_OK);
    ASSERT_EQ(play("walk", 2), ZBA_OK);
    EXPECT_EQ(channels.in_use(), 4u);
    c_item_t *item = instance.get();
    const uint32_t before = mm_get_process()->get_manager().get_item_count();
    listener.on_notify = [&](uint32_t kind, zba_value_t, uint32_t c) {
        if (kind != ZBA_NOTICE_ENDED || c != 0) return;
        inst->clear_channel(1);
        inst->clear_channel(2);
        EXPECT_EQ(inst->play_behavior(behavior("stand"), 0, false), ZBA_OK);
        instance.release();
        EXPECT_EQ(zba_inst_t::of(item), inst) << "alive until the update returns";
    };
    zba_inst_update_item(item, 1.0f);
    EXPECT_EQ(listener.take(), lines_t{"0 0 graze ch0"});
    EXPECT_EQ(channels.in_use(), 0u);
    EXPECT_LT(mm_get_process()->get_manager().get_item_count(), before) << "the instance and its processes went";
}

TEST_F(zba_inst, clearing_a_channel_and_destroying_the_instance_free_every_model_channel) {
    ASSERT_EQ(inst->switch_behavior(behavior("start"), 0), ZBA_OK);
    ASSERT_EQ(inst->add_behavior(behavior("ear"), 0), ZBA_OK);
    step(0.1f);
    ASSERT_EQ(play("walk", 0, true), ZBA_OK);  // start held, transition running
    ASSERT_EQ(play("graze", 1), ZBA_OK);
    EXPECT_EQ(channels.in_use(), 4u);
    inst->clear_channel(0);
    EXPECT_EQ(channels.in_use(), 1u) << "only channel 1's";
    EXPECT_FALSE(inst->has_features(0));
    EXPECT_EQ(states(0), "* * *");
    EXPECT_EQ(inst->get_behavior(0), -1);
    EXPECT_EQ(inst->get_node_count(), 1u);
    EXPECT_TRUE(listener.lines.empty()) << "clearing reports nothing";
    step(0.1f);
    EXPECT_EQ(inst->get_process_count(), 1u) << "the update dropped the dead processes";

    ASSERT_EQ(play("walk", 0), ZBA_OK);
    ASSERT_EQ(play("flick", 2), ZBA_OK);
    EXPECT_EQ(channels.in_use(), 3u);
    instance.release();
    EXPECT_EQ(channels.in_use(), 0u);
    EXPECT_TRUE(listener.lines.empty()) << "the instance's end reports nothing";
}

TEST_F(zba_inst, follow_on_chains_of_empty_behaviours_stop_within_an_update) {
    // "empty" ends at its first step without running any time; a listener that plays
    // it again at every end goes on in the next update instead of without end.
    uint32_t ends = 0;
    listener.on_notify = [&](uint32_t kind, zba_value_t value, uint32_t c) {
        if (kind == ZBA_NOTICE_ENDED) {
            ++ends;
            inst->play_behavior(value.behavior, c, false);
        }
    };
    ASSERT_EQ(play("empty"), ZBA_OK);
    steps(3, 0.25f);
    EXPECT_EQ(ends, 3u);
}

}  // namespace
}  // namespace quarn::test

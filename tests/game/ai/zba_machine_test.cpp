// The behaviour machine: processes cloned from compiled programs and stepped with
// fixed frame steps over recorded channels; what they report to their host; stopping,
// fading, suspending and releasing them.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "zba_program_fixture.h"

namespace quarn::test {
namespace {

using lines_t = std::vector<std::string>;

const char *const behaviors = R"(
    "one" { channels { "body" { 0 anim { anim : "walk_a" length : "2" s_weight : "1" e_weight : "0" } } } }
    "key" { channels { "body" {
        0 anim { anim : "walk_a" length : "0.30" s_weight : "0" e_weight : "1" }
        0.10 weight { weight : "0.8" } } } }
    "flat" { channels { "body" { 0 anim { anim : "walk_a" length : "1" s_weight : "0.5" e_weight : "0.505" } } } }
    "up" { channels { "body" { 0 anim { anim : "walk_a" length : "1" s_weight : "0" e_weight : "3" } } } }
    "down" { channels { "body" { 0 anim { anim : "walk_a" length : "1" s_weight : "1" e_weight : "-2" } } } }
    "two" { channels {
        "legs" { 0 anim { anim : "run_a" length : "1" } }
        "head" { 0 anim { anim : "look_a" length : "2" s_weight : "0" } }
        "steps" { 00:00.35 info { info : "footstep" } 0.6 sound { sound : "step.wav" } } } }
    "warp" { channels { "body" {
        0 anim { anim : "walk_a" length : "1" s_weight : "1" e_weight : "0" }
        0.2 warp { warp : "100" } } } }
    "extreme" { channels {
        "a" { 0 anim { anim : "look_a" length : "1e-40" s_weight : "-1e39" e_weight : "1e39" }
              0.5 warp { warp : "1e39" } 1 anim { anim : "walk_a" length : "1e39" } }
        "b" { 0 anim { anim : "run_a" length : "1" } 0.5 warp { warp : "-3" } 0.2 weight { weight : "-5" }
              9e99 info { info : "never" } } } }
)";

class zba_machine : public zba_program_test {
protected:
    void SetUp() override {
        zba_program_test::SetUp();
        ASSERT_TRUE(load(file_text(behaviors)));
        host = std::make_unique<recording_host_t>(file.get(), &channels);
    }
    void TearDown() override {
        host.reset();
        EXPECT_EQ(channels.in_use(), 0u) << "the host's end frees every channel";
        EXPECT_EQ(channels.faults, 0u);
        zba_program_test::TearDown();
    }
    // A process of the named behaviour at priority 0; the clone's calls are dropped
    // from the recording.
    c_item_ptr_t start(const char *name, int32_t priority = 0) {
        const c_item_ptr_t program = compile(name);
        EXPECT_TRUE(program);
        c_item_ptr_t process = zba_clone(*host, program.get(), nullptr, priority);
        EXPECT_TRUE(process);
        channels.take();
        return process;
    }

    zba_recorder_t channels;
    std::unique_ptr<recording_host_t> host;
};

TEST_F(zba_machine, clone_pre_runs_to_the_first_animation) {
    const c_item_ptr_t program = compile("key");
    ASSERT_TRUE(program);
    const c_item_ptr_t process = zba_clone(*host, program.get(), nullptr, 0);
    ASSERT_TRUE(process);
    EXPECT_EQ(channels.take(), (lines_t{"play walk_a 35 0 1 -> 0", "flags 0 0x800", "stop_frame 0 -1", "weight 0 0"}));
    const zba_thread_t t = thread_of(process.get(), 0);
    EXPECT_EQ(t.weight, 0.0f) << "the leading wgh";
    EXPECT_TRUE(t.slope_on) << "the leading wgs";
    EXPECT_EQ(t.slope, 8.0f);
    EXPECT_EQ(t.pc, 2) << "on the anm, which the first step runs again";
    EXPECT_EQ(t.channel, 0);
    EXPECT_EQ(t.time, 0.0f);
    const zba_proc_t p = header_of(process.get());
    EXPECT_EQ(p.state, uint32_t(ZBA_PROC_RUNNING));
    EXPECT_EQ(p.source, program.get());
    EXPECT_EQ(p.file, file.get());
    EXPECT_EQ(host->get_process_count(), 1u);
    EXPECT_EQ(host->get_process(0), process.get());

    // A thread that begins with a wait starts nothing; animation priorities add to the
    // process's, and the animation's super weight is the strength.
    const c_item_ptr_t two_program = compile("two");
    const c_item_ptr_t two = zba_clone(*host, two_program.get(), nullptr, 20);
    ASSERT_TRUE(two);
    EXPECT_EQ(channels.take(), (lines_t{"play run_a 35 23 0.75 -> 1", "flags 1 0x800", "stop_frame 1 -1", "weight 1 1",
                                        "play look_a 35 20 1 -> 2", "flags 2 0x800", "stop_frame 2 -1", "weight 2 0"}));
    EXPECT_EQ(thread_of(two.get(), 2).pc, 0);
    EXPECT_EQ(thread_of(two.get(), 2).channel, -1);
}

// A priority sum past the range of a priority stays at its end.
TEST_F(zba_machine, priorities_add_up_to_the_ends_of_their_range) {
    ASSERT_TRUE(load(R"("m" : "m.zmd" {
  features { "body" { "stand" } }
  animations { "high" : "walk.zma" { priority : "2147483647" } "low" : "look.zma" { priority : "-2147483648" } }
  behaviors { "both" { channels { "a" { 0 anim { anim : "high" } } "b" { 0 anim { anim : "low" } } } } }
})",
                     "/p.zba"));
    recording_host_t other(file.get(), &channels);
    for (const int32_t priority : {10, -10}) {
        const c_item_ptr_t program = compile("both");
        ASSERT_TRUE(program);
        c_item_ptr_t process = zba_clone(other, program.get(), nullptr, priority);
        ASSERT_TRUE(process);
        EXPECT_EQ(channels.channels[0].priority, priority > 0 ? INT32_MAX : INT32_MAX - 10);
        EXPECT_EQ(channels.channels[1].priority, priority > 0 ? INT32_MIN + 10 : INT32_MIN);
        zba_proc_t::release(other, process);
    }
}

TEST_F(zba_machine, a_wait_not_yet_due_keeps_pc) {
    const c_item_ptr_t process = start("one");
    host->frame_step(0.5f);
    EXPECT_EQ(channels.take(), (lines_t{"free 0", "play walk_a 35 0 1 -> 0", "flags 0 0x800", "stop_frame 0 -1",
                                        "weight 0 0.75", "advance 0 0.5"}));
    EXPECT_EQ(thread_of(process.get(), 0).pc, 3) << "on wtt 2";
    host->frame_step(0.5f);
    EXPECT_EQ(channels.take(), (lines_t{"weight 0 0.5", "advance 0 0.5"}));
    EXPECT_EQ(thread_of(process.get(), 0).pc, 3);
    EXPECT_EQ(thread_of(process.get(), 0).time, 1.0f);
    EXPECT_EQ(header_of(process.get()).state, uint32_t(ZBA_PROC_RUNNING));
}

TEST_F(zba_machine, slopes_clamp_at_0_and_1_and_turn_themselves_off) {
    struct case_t {
        const char *behavior;
        std::vector<float> weights;  // the thread's weight after each step of 0.25 s
        std::vector<bool> slope_on;
    };
    const case_t cases[] = {
        {"up", {0.75f, 1.0f, 1.0f}, {true, false, false}},
        {"down", {0.25f, 0.0f, 0.0f}, {true, false, false}},
        // A slope within 0.01 leaves the slope off.
        {"flat", {0.5f, 0.5f, 0.5f}, {false, false, false}},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.behavior);
        c_item_ptr_t process = start(c.behavior);
        for (size_t i = 0; i < c.weights.size(); ++i) {
            host->frame_step(0.25f);
            const zba_thread_t t = thread_of(process.get(), 0);
            EXPECT_EQ(t.weight, c.weights[i]) << "step " << i;
            EXPECT_EQ(bool(t.slope_on), c.slope_on[i]) << "step " << i;
            EXPECT_EQ(channels.channels[size_t(t.channel)].weight, c.weights[i]);
        }
        zba_proc_t::release(*host, process);
        channels.take();
    }
}

TEST_F(zba_machine, halting_sets_the_stop_frame_and_the_overshoot_and_ends_once) {
    const c_item_ptr_t process = start("one");
    host->frame_step(0.7f);
    host->frame_step(0.7f);
    channels.take();
    host->frame_step(0.7f);
    EXPECT_EQ(channels.take(), (lines_t{"weight 0 0", "advance 0 0.6", "stop_frame 0 -1"}))
        << "the wait's piece moves the channel; the rest after hlt does not";
    const zba_proc_t p = header_of(process.get());
    EXPECT_EQ(p.state, uint32_t(ZBA_PROC_ENDED));
    EXPECT_NEAR(p.overshoot, 0.1f, 1e-5f);
    EXPECT_EQ(thread_of(process.get(), 0).running, 0);
    EXPECT_EQ(thread_of(process.get(), 0).pc, -1);
    host->frame_step(0.7f);
    host->frame_step(0.7f);
    EXPECT_EQ(host->events, lines_t{"3 ended"}) << "kind 0 exactly once";
    EXPECT_TRUE(channels.take().empty()) << "an ended process runs nothing";
    EXPECT_EQ(channels.in_use(), 1u) << "the channel plays out its loop";
}

TEST_F(zba_machine, events_reach_the_host_at_their_time) {
    const c_item_ptr_t process = start("two");
    for (int i = 0; i < 20; ++i) host->frame_step(0.125f);
    EXPECT_EQ(host->events, (lines_t{"3 info footstep", "5 sound step.wav", "16 ended"}));
    EXPECT_EQ(header_of(process.get()).overshoot, 0.0f) << "the last thread halted on time";
}

// The clock shift of `tsh` draws again at run time; a wait that the shift has passed
// moves neither the channel nor the weight back.
TEST_F(zba_machine, a_shift_past_a_wait_moves_nothing_back) {
    sys_reset_random();
    const float r1 = sys_rand(), r2 = sys_rand();
    sys_reset_random();
    const c_item_ptr_t process = start("warp");
    const float shift = r2 * (r1 * 100.0f);
    ASSERT_GT(shift, 0.8f) << "the shift passes the animation's end";
    host->frame_step(0.3f);
    EXPECT_EQ(channels.take(), (lines_t{"free 0", "play walk_a 35 0 1 -> 0", "flags 0 0x800", "stop_frame 0 -1",
                                        "weight 0 0.8", "advance 0 0.4", "stop_frame 0 -1"}));
    const zba_thread_t t = thread_of(process.get(), 0);
    EXPECT_FLOAT_EQ(t.time, 0.3f + shift);
    EXPECT_EQ(t.weight, 0.0f) << "the final wgh";
    EXPECT_NEAR(header_of(process.get()).overshoot, 0.1f, 1e-5f);
    EXPECT_EQ(host->events, lines_t{"1 ended"});
}

// Numbers at the ends of the float range: weights stay within 0..1, advances are never
// negative or infinite, clocks never run back.
TEST_F(zba_machine, extreme_numbers_keep_weights_and_clocks_sane) {
    const c_item_ptr_t process = start("extreme");
    for (float dt : {0.25f, 0.25f, 0.5f, 1.0f, 100.0f}) {
        const float before = thread_of(process.get(), 1).time;
        host->frame_step(dt);
        EXPECT_GE(thread_of(process.get(), 1).time, before + dt) << "a negative warp shifts nothing";
        for (uint32_t i = 0; i < 2; ++i) {
            const float w = thread_of(process.get(), i).weight;
            EXPECT_TRUE(w >= 0.0f && w <= 1.0f) << w;
        }
    }
    EXPECT_EQ(channels.faults, 0u);
    EXPECT_EQ(host->events, lines_t{}) << "the info at 9e99 s is not reached";
}

TEST_F(zba_machine, stopping_fades_or_holds) {
    struct case_t {
        const char *what;
        bool fade;
        float rate;
        std::vector<lines_t> frames;  // the channel calls of each step of 0.25 s after the stop
        uint32_t end_state;
    };
    const case_t cases[] = {
        {"a fade frees the channels once the weight falls below 0",
         true,
         2.0f,
         {{"weight 0 0.375"}, {"weight 0 0"}, {"free 0"}, {}},
         ZBA_PROC_ENDED},
        {"a rate of 0 holds the pose", true, 0.0f, {{"weight 0 0.75"}, {"weight 0 0.75"}}, ZBA_PROC_STOPPED},
        {"no fade holds the pose", false, 0.0f, {{"weight 0 0.75"}}, ZBA_PROC_STOPPED},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.what);
        c_item_ptr_t process = start("one");
        host->frame_step(0.5f);
        channels.take();
        host->events.clear();
        zba_proc_t::stop(*host, process.get(), c.fade, c.rate);
        for (const lines_t &frame : c.frames) {
            host->frame_step(0.25f);
            EXPECT_EQ(channels.take(), frame);
        }
        EXPECT_EQ(header_of(process.get()).state, c.end_state);
        EXPECT_EQ(thread_of(process.get(), 0).weight, 0.75f) << "the thread does not run";
        EXPECT_TRUE(host->events.empty()) << "the end of a fade is not reported";
        zba_proc_t::release(*host, process);
        channels.take();
    }

    // While the process fades, its running threads' channels get the thread weight
    // times the master weight. A stopped ended process fades too.
    c_item_ptr_t process = start("one");
    host->frame_step(2.5f);
    ASSERT_EQ(header_of(process.get()).state, uint32_t(ZBA_PROC_ENDED));
    channels.take();
    zba_proc_t::stop(*host, process.get(), true, 0.5f);
    EXPECT_EQ(header_of(process.get()).state, uint32_t(ZBA_PROC_STOPPED_ENDED));
    EXPECT_EQ(header_of(process.get()).flags, uint32_t(ZBA_PROC_FADE | ZBA_PROC_WEIGHT_CHANGING));
    zba_proc_t::release(*host, process);
    channels.take();

    process = start("key");
    host->frame_step(0.05f);
    channels.take();
    const float thread_weight = thread_of(process.get(), 0).weight;
    zba_proc_t::stop(*host, process.get(), true, 0.5f);
    host->frame_step(0.2f);
    EXPECT_FLOAT_EQ(header_of(process.get()).weight, 0.9f);
    EXPECT_FLOAT_EQ(channels.channels[0].weight, 0.9f * thread_weight);
    zba_proc_t::release(*host, process);
}

TEST_F(zba_machine, release_frees_every_channel_and_the_host_drops_the_dead) {
    c_item_ptr_t process = start("two", 20);
    host->frame_step(0.125f);
    EXPECT_EQ(channels.in_use(), 2u);
    const c_item_ptr_t kept = process;  // to look at it after the release
    channels.take();
    zba_proc_t::release(*host, process);
    EXPECT_FALSE(process) << "the holder's reference is dropped";
    EXPECT_EQ(channels.take(), (lines_t{"free 0", "free 1"}));
    EXPECT_EQ(header_of(kept.get()).state, uint32_t(ZBA_PROC_DEAD));
    EXPECT_EQ(host->get_process_count(), 1u) << "listed until the next update";
    host->frame_step(0.125f);
    EXPECT_EQ(host->get_process_count(), 0u);
    EXPECT_TRUE(channels.take().empty());
    EXPECT_EQ(kept->ref_count, 1u);
}

TEST_F(zba_machine, a_suspended_process_is_resumed_before_a_stop_or_a_release) {
    c_item_ptr_t process = start("one");
    zba_proc_t::suspend(process.get());
    host->frame_step(0.5f);
    EXPECT_TRUE(channels.take().empty()) << "the update skips it";
    EXPECT_EQ(thread_of(process.get(), 0).time, 0.0f);

    zba_proc_t::stop(*host, process.get(), true, 1.0f);
    EXPECT_EQ(host->events, lines_t{"1 resumed"});
    EXPECT_EQ(header_of(process.get()).flags & ZBA_PROC_SUSPENDED, 0u);

    zba_proc_t::suspend(process.get());
    zba_proc_t::release(*host, process);
    EXPECT_EQ(host->events, (lines_t{"1 resumed", "1 resumed"}));
}

TEST_F(zba_machine, a_model_not_loaded_refuses_the_clone) {
    const c_item_ptr_t program = compile("one");
    ASSERT_TRUE(program);
    const uint32_t items = item_count();
    channels.loaded = false;
    EXPECT_FALSE(zba_clone(*host, program.get(), nullptr, 0));
    EXPECT_EQ(log.texts(message_t::ERROR), lines_t{"[zba_vm:clone] model not loaded"});
    EXPECT_EQ(item_count(), items);
    EXPECT_EQ(host->get_process_count(), 0u);
    EXPECT_TRUE(channels.take().empty());
}

TEST_F(zba_machine, the_host_releases_its_processes_when_it_ends) {
    start("two");
    start("one");
    EXPECT_EQ(channels.in_use(), 3u);
    const uint32_t programs_and_processes = item_count();
    host.reset();
    EXPECT_EQ(channels.in_use(), 0u);
    EXPECT_EQ(item_count(), programs_and_processes - 4) << "the processes and the programs only they held";
}

}  // namespace
}  // namespace quarn::test

#include <gtest/gtest.h>

#include <csignal>

#include "kernel/console/commands.h"
#include "kernel/message_pump.h"
#include "kernel/process_table.h"
#include "kernel/sys.h"
#include "kernel_fixture.h"
#include "probe_process.h"

namespace quarn::test {
namespace {

using scheduler = kernel_fixture_t;

// Only the handler calls, in pass order.
call_log_t handlers(const call_log_t &log) {
    call_log_t out;
    for (const auto &e : log)
        if (e.ends_with(":handler")) out.push_back(e.substr(0, e.find(':')));
    return out;
}

TEST_F(scheduler, runs_by_priority_with_ties_in_insertion_order) {
    process_add(new probe_process_t(0, "first0", &log), 0);
    process_add(new probe_process_t(-100, "minus100", &log), 0);
    process_add(new probe_process_t(0, "second0", &log), 0);
    process_add(new probe_process_t(-1500, "minus1500", &log), 0);
    kernel_step();
    EXPECT_EQ(handlers(log), (call_log_t{"minus1500", "minus100", "first0", "second0"}));
}

TEST_F(scheduler, pids_count_up_and_lookups_are_exact) {
    vprocess_t *a = new probe_process_t(5, "alpha", nullptr);
    vprocess_t *b = new probe_process_t(5, "alpha", nullptr);
    process_add(a, 0);
    process_add(b, 7);
    EXPECT_EQ(b->pid, a->pid + 1);
    EXPECT_EQ(b->word, 7);
    EXPECT_EQ(process_get("alpha"), a);
    EXPECT_EQ(process_get("Alpha"), nullptr);
    EXPECT_EQ(process_get("alph"), nullptr);
    EXPECT_EQ(process_pid_get(b->pid), b);
    EXPECT_EQ(process_pid_get(b->pid + 1), nullptr);
    ASSERT_NE(process_get("init"), nullptr) << "the idle process is added at start";
    EXPECT_EQ(process_get("init")->state, vprocess_t::SLEEPING);
}

TEST_F(scheduler, stop_takes_three_passes_and_system_sees_each_stage_once) {
    process_add(new probe_process_t(1, "p", &log), 0);
    process_add(new probe_process_t(2, "q", &log), 0);
    kernel_step();
    log.clear();
    process_terminate_all();
    EXPECT_EQ(kernel_step(), 3u);
    EXPECT_EQ(kernel_step(), 3u);
    EXPECT_EQ(kernel_step(), 0u) << "init, p and q are gone in the third pass";
    EXPECT_EQ(log, (call_log_t{"p:system1", "q:system1", "p:system2", "q:system2", "p:system3", "p:deleted",
                               "q:system3", "q:deleted"}));
}

TEST_F(scheduler, a_sleeping_process_gets_no_handler_but_still_drains) {
    auto *p = new probe_process_t(1, "sleeper", &log);
    process_add(p, 0);
    EXPECT_EQ(process_sleep(p), p);
    kernel_step();
    EXPECT_EQ(log, (call_log_t{"sleeper:system0"}));
    p->shutdown(false);
    kernel_step();
    kernel_step();
    kernel_step();
    EXPECT_EQ(log.back(), "sleeper:deleted");
    EXPECT_EQ(process_get("sleeper"), nullptr);
}

TEST_F(scheduler, a_hold_delays_the_kill_until_released) {
    auto *p = new probe_process_t(1, "held", &log);
    process_add(p, 0);
    p->lock();
    p->shutdown(false);
    for (int i = 0; i < 5; ++i) kernel_step();
    ASSERT_EQ(process_get("held"), p);
    EXPECT_EQ(p->signal, vprocess_t::SIGNAL_DRAINING);
    p->unlock();
    kernel_step();
    EXPECT_EQ(p->signal, vprocess_t::SIGNAL_KILL);
    kernel_step();
    EXPECT_EQ(process_get("held"), nullptr);
}

TEST_F(scheduler, sleep_and_wakeup_only_switch_between_running_and_sleeping) {
    auto *p = new probe_process_t(1, "s", nullptr);
    process_add(p, 0);
    p->state = 7;
    process_sleep(p);
    EXPECT_EQ(p->state, 7);
    process_wakeup(p);
    EXPECT_EQ(p->state, 7);
    p->state = vprocess_t::RUNNING;
    process_wakeup(p);
    EXPECT_EQ(p->state, vprocess_t::RUNNING);
}

TEST_F(scheduler, hardware_and_memory_holds_skip_absent_processes) {
    // No renderer, input or sound process exists: nothing to hold, nothing to crash.
    process_hw_lock();
    process_hw_unlock();
    process_mm_lock();
    process_mm_unlock();
    auto *snd = new probe_process_t(1, "__snd_proc", nullptr);
    auto *mm = new probe_process_t(1, "mm", nullptr);
    process_add(snd, 0);
    process_add(mm, 0);
    process_hw_lock();
    process_mm_lock();
    EXPECT_EQ(snd->hold_count, 1);
    EXPECT_EQ(mm->hold_count, 1);
    process_hw_unlock();
    process_mm_unlock();
    EXPECT_EQ(snd->hold_count, 0);
    EXPECT_EQ(mm->hold_count, 0);
}

TEST_F(scheduler, the_game_module_guard_is_held_only_while_it_exists) {
    game_module_lock();  // no guard yet: nothing happens
    auto *guard = new probe_process_t(1, "guard", nullptr);
    process_add(guard, 0);
    game_module_set_guard(guard);
    game_module_lock();
    EXPECT_EQ(guard->hold_count, 1);
    game_module_unlock();
    EXPECT_EQ(guard->hold_count, 0);
    game_module_set_guard(nullptr);
}

int loop_calls = 0;
void count_loop(void *argument) { loop_calls += *static_cast<int *>(argument); }

TEST_F(scheduler, an_installed_message_loop_runs_every_pass_until_removed) {
    int weight = 1;
    loop_calls = 0;
    EXPECT_EQ(process_register_message_loop(&weight, count_loop), &weight);
    kernel_step();
    kernel_step();
    EXPECT_EQ(loop_calls, 2);
    process_register_message_loop(nullptr, nullptr);
    kernel_step();
    EXPECT_EQ(loop_calls, 2);
}

TEST_F(scheduler, handlers_get_the_clamped_step_of_the_pass) {
    auto *p = new probe_process_t(1, "timed", nullptr);
    process_add(p, 0);
    clock.usec += 500000;
    kernel_step();
    EXPECT_DOUBLE_EQ(p->last_delta, 0.1);
    clock.usec += 20000;
    kernel_step();
    EXPECT_DOUBLE_EQ(p->last_delta, 0.02);
    EXPECT_DOUBLE_EQ(p->time, 0.12);
}

TEST_F(scheduler, pause_wakes_the_idle_process_which_then_gives_time_away) {
    slept_msec = 0;
    vprocess_t *idle = sys_pause(true);
    ASSERT_NE(idle, nullptr);
    EXPECT_EQ(idle->state, vprocess_t::RUNNING);
    kernel_step();
    EXPECT_EQ(slept_msec, 100u);
    EXPECT_EQ(sys_pause(false), idle);
    kernel_step();
    EXPECT_EQ(slept_msec, 100u);
}

int quit_calls = 0;
int record_quit(const cmd_context_t *) {
    ++quit_calls;
    return cmd_t::DONE;
}

TEST_F(scheduler, a_stop_signal_runs_quit_at_the_next_pass) {
    cmd_t quit("quit", record_quit);
    cmd_register_command(&quit);
    kernel_stop_requests_start();
    quit_calls = 0;
    for (int sig : {SIGINT, SIGTERM}) {
        const int before = quit_calls;
        raise(sig);
        EXPECT_EQ(quit_calls, before) << "nothing runs inside the signal handler";
        kernel_step();
        kernel_step();
    }
    EXPECT_EQ(quit_calls, 2) << "one quit per request";
    EXPECT_EQ(process_get("init")->signal, vprocess_t::SIGNAL_NONE) << "quit decides how the run ends";
    cmd_unregister_command(&quit);

    // Without a working "quit" every process is stopped, so a signal always ends the run.
    auto *p = new probe_process_t(1, "p", nullptr);
    process_add(p, 0);
    raise(SIGTERM);
    kernel_step();
    EXPECT_EQ(p->signal, vprocess_t::SIGNAL_DRAINING);
    kernel_step();
    kernel_step();
    EXPECT_EQ(process_count(), 0u);
    sys_init();  // the idle process went with the rest
    kernel_stop_requests_stop();
}

}  // namespace
}  // namespace quarn::test

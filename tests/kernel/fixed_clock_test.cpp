#include "kernel/fixed_clock.h"

#include <gtest/gtest.h>

#include <vector>

#include "kernel/process_table.h"
#include "kernel/sys.h"
#include "platform/clock.h"
#include "qrncore/system/cpu.h"
#include "qrncore/system/timers.h"

namespace quarn::test {
namespace {

TEST(fixed_clock, the_step_is_a_whole_number_of_microseconds_up_to_a_tenth_of_a_second) {
    const struct {
        const char *text;
        bool valid;
        uint32_t step;
    } cases[] = {
        {"1", true, 1},          {"16667", true, 16667},  {"100000", true, 100000}, {"007", true, 7},
        {"0", false, 0},         {"100001", false, 0},    {"-5", false, 0},         {"+5", false, 0},
        {" 5", false, 0},        {"5 ", false, 0},        {"1e3", false, 0},        {"", false, 0},
        {"99999999999999999999999", false, 0},           {nullptr, false, 0},
    };
    for (const auto &c : cases) {
        uint32_t step = 42;
        EXPECT_EQ(fixed_clock_parse_step(c.text, &step), c.valid) << (c.text ? c.text : "null");
        EXPECT_EQ(step, c.valid ? c.step : 42u) << (c.text ? c.text : "null");
    }
}

class fixed_clock_run : public ::testing::Test {
protected:
    void SetUp() override { process_table_setup(); }
    void TearDown() override {
        process_terminate_all();
        for (int i = 0; i < 8 && kernel_step() != 0; ++i) {
        }
        sys_shutdown();
        fixed_clock_stop();
    }
};

// Start-up readings move the clock, so waits for it end: the speed measurement ends
// at once and finds the nominal processor, at any step. From the first pass on the
// clock moves once a pass, and every frame lasts the step.
TEST_F(fixed_clock_run, start_up_readings_move_it_and_then_each_pass_moves_it_once) {
    for (uint32_t step : {1u, 16667u, 40000u, 100000u}) {
        fixed_clock_start(step);
        EXPECT_EQ(cpu_measure_speed(0), FIXED_CLOCK_NOMINAL_MHZ) << step;
    }
    fixed_clock_start(20000);
    EXPECT_EQ(platform::clock_usec(), 1020000u);
    EXPECT_EQ(platform::clock_usec(), 1040000u);
    EXPECT_EQ(cpu_measure_speed(0), FIXED_CLOCK_NOMINAL_MHZ);
    sys_init();
    kernel_step();
    EXPECT_DOUBLE_EQ(sys_get_lastdelta(), 0.02);
    const uint64_t first = tmr_read();
    EXPECT_EQ(tmr_read(), first) << "readings within a pass agree";
    for (int pass = 1; pass <= 3; ++pass) {
        kernel_step();
        EXPECT_DOUBLE_EQ(sys_get_lastdelta(), 0.02) << pass;
        EXPECT_EQ(tmr_read(), first + uint64_t(pass) * 20000u) << pass;
    }
    // The idle process's pause and every other sleep return at once: a minute here
    // would hold the test up for that long.
    platform::clock_sleep_msec(60000);
    fixed_clock_stop();
    EXPECT_GT(platform::clock_usec(), 0u);
}

// The cycle counter runs at the nominal speed over the clock's time and moves by one a
// reading, so the kernel's random sequence, seeded from it, repeats whenever the same
// readings are made; a second start begins afresh.
TEST_F(fixed_clock_run, the_cycle_counter_follows_the_clock_and_the_random_sequence_repeats) {
    std::vector<float> runs[2];
    for (std::vector<float> &draws : runs) {
        fixed_clock_start(16667);
        EXPECT_EQ(platform::clock_cycles(), 1u);
        EXPECT_EQ(platform::clock_cycles(), 2u);
        platform::clock_usec();
        EXPECT_EQ(platform::clock_cycles(), 16000u * FIXED_CLOCK_NOMINAL_MHZ + 3u)
            << "the whole milliseconds of a step in cycles, and a reading";
        sys_reset_random();
        for (int i = 0; i < 8; ++i) draws.push_back(sys_rand());
    }
    EXPECT_EQ(runs[0], runs[1]);
    EXPECT_NE(runs[0][0], runs[0][1]) << "the counter moves between draws";
}

}  // namespace
}  // namespace quarn::test

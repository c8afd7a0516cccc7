#include <gtest/gtest.h>

#include <set>

#include "kernel/sys.h"
#include "support/fake_clock.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

TEST(sys_timers, the_game_step_is_the_real_step_clamped_to_a_tenth_of_a_second) {
    struct step_case_t {
        int64_t real_usec;
        double game_step;
    };
    const step_case_t cases[] = {
        {500000, 0.1},   // a stall advances the game by 0.1 only
        {100000, 0.1},
        {50000, 0.05},
        {0, 0.0},
        {-30000, 0.0},   // a clock that went back gives no step
    };
    for (const auto &c : cases) {
        fake_clock_t clock;
        sys_init();
        const double before = sys_get_time();
        clock.usec = uint64_t(int64_t(clock.usec) + c.real_usec);
        sys_frame();
        EXPECT_DOUBLE_EQ(sys_get_lastdelta(), c.game_step) << c.real_usec;
        EXPECT_DOUBLE_EQ(sys_get_time() - before, c.game_step) << c.real_usec;
        sys_shutdown();
    }
}

TEST(sys_timers, a_frame_before_start_is_refused_and_changes_nothing) {
    message_capture_t log;
    sys_shutdown();
    sys_frame();
    EXPECT_TRUE(log.contains("[sys] sys not initialised!"));
    EXPECT_EQ(sys_get_lastdelta(), 0.0);
}

TEST(sys_random, values_stay_below_one_and_follow_the_cycle_counter) {
    fake_clock_t clock;
    sys_reset_random();
    std::set<float> seen;
    // The multiplier 27 and the modulus 65535 reach every residue; sweep enough cycle
    // counts to hit the top of the range.
    for (uint64_t c = 0; c < 200000; ++c) {
        clock.cycles = c * 7919u;
        const float r = sys_rand();
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
        seen.insert(r);
    }
    EXPECT_GT(seen.size(), 60000u);
    EXPECT_GT(*seen.rbegin(), 0.9999f);

    sys_reset_random();
    clock.cycles = 12345;
    const float first = sys_rand();
    sys_reset_random();
    EXPECT_EQ(sys_rand(), first) << "the same counter from the same seed gives the same value";
    clock.cycles = 12346;
    sys_reset_random();
    EXPECT_NE(sys_rand(), first);
}

TEST(sys_version, fills_only_the_pointers_given) {
    sys_probe_os();
    int major = -1;
    sys_version(nullptr, &major, nullptr);
    int system = -1, minor = -1;
    sys_version(&system, nullptr, &minor);
    EXPECT_EQ(system, SYS_LINUX);
    EXPECT_NE(major, 666);
    EXPECT_NE(minor, 666);
    EXPECT_TRUE(string(sys_get_system_string()).compare("Linux (version ", 15) == 0) << sys_get_system_string();
}

TEST(sys_version, system_names) {
    const std::pair<int, const char *> names[] = {
        {0, "Unknown"},     {1, "Linux"},  {5, "Windows NT"}, {7, "Windows XP"}, {11, "Windows Longhorn"},
        {12, "Console"},    {20, "Console"}, {21, "Mac"},     {22, "OS2"},        {23, "Unknown"},
        {-1, "Unknown"},
    };
    for (const auto &[id, name] : names) EXPECT_STREQ(sys_system_name(id), name) << id;
}

}  // namespace
}  // namespace quarn::test

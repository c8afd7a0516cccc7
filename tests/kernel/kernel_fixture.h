#pragma once
// A booted scheduler for tests: the system timers and the idle process on a fake
// clock. Tear-down stops every process and checks that the table empties.
#include <gtest/gtest.h>

#include "kernel/process_table.h"
#include "kernel/sys.h"
#include "probe_process.h"
#include "support/fake_clock.h"

namespace quarn::test {

class kernel_fixture_t : public ::testing::Test {
protected:
    void SetUp() override {
        process_table_setup();
        sys_set_idle_sleep(record_sleep);
        sys_init();
    }
    void TearDown() override {
        process_terminate_all();
        for (int i = 0; i < 8 && kernel_step() != 0; ++i) {
        }
        EXPECT_EQ(process_count(), 0u) << "a process outlived its shutdown";
        sys_shutdown();
        sys_set_idle_sleep(nullptr);
    }

    static void record_sleep(uint32_t msec) { slept_msec += msec; }
    static inline uint32_t slept_msec = 0;

    fake_clock_t clock;
    // Outlives the tear-down, in which the probes record their last calls.
    call_log_t log;
};

}  // namespace quarn::test

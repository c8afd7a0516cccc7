#include "kernel/fixed_clock.h"

#include "kernel/process_table.h"
#include "platform/clock.h"

namespace quarn {

namespace {

constexpr uint64_t ORIGIN_USEC = 1000000;

struct fixed_clock_t {
    uint64_t step = 0;
    // The pass count when the clock started, and the steps taken by readings before
    // the first pass after it.
    uint64_t first_pass = 0;
    uint64_t start_steps = 0;
    uint64_t cycles = 0;
};

fixed_clock_t clock;

// The clock's time since it started, without moving it.
uint64_t elapsed_usec() { return clock.step * (clock.start_steps + (kernel_pass_count() - clock.first_pass)); }

uint64_t fixed_usec() {
    if (kernel_pass_count() == clock.first_pass) ++clock.start_steps;
    return ORIGIN_USEC + elapsed_usec();
}

// The nominal processor's cycles of the clock's time, plus one a reading, so that no
// two readings agree. The time is taken in whole milliseconds, as the speed
// measurement reads it (tmr_read): measured against the clock, the speed is then the
// nominal speed exactly, whatever the step.
uint64_t fixed_cycles() {
    return elapsed_usec() / 1000u * 1000u * FIXED_CLOCK_NOMINAL_MHZ + ++clock.cycles;
}

// No sleep: clock_sleep_msec returns at once.
const platform::clock_source_t source = {fixed_usec, fixed_cycles, nullptr};

}  // namespace

bool fixed_clock_parse_step(const char *text, uint32_t *step_usec) {
    if (!text || !*text) return false;
    uint64_t value = 0;
    for (const char *c = text; *c; ++c) {
        if (*c < '0' || *c > '9') return false;
        value = value * 10 + uint64_t(*c - '0');
        if (value > FIXED_CLOCK_MAX_STEP_USEC) return false;
    }
    if (value == 0) return false;
    *step_usec = uint32_t(value);
    return true;
}

void fixed_clock_start(uint32_t step_usec) {
    clock = fixed_clock_t{};
    clock.step = step_usec;
    clock.first_pass = kernel_pass_count();
    platform::clock_set_source(&source);
}

void fixed_clock_stop() {
    platform::clock_set_source(nullptr);
    clock.step = 0;
}

uint32_t fixed_clock_step() { return uint32_t(clock.step); }

}  // namespace quarn

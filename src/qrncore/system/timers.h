#pragma once
// Time from two clocks: the millisecond clock read as microseconds, and the cycle
// counter converted with the measured processor speed. vtimer_t is a virtual clock
// that sums steps in seconds; expire_timer_t counts down.
#include <cstdint>

#include "qrncore/api.h"

namespace quarn {

// Microseconds with millisecond resolution; wraps with the 32-bit millisecond clock
// after about 49.7 days, which callers of this clock expect.
QRNCORE_API uint64_t tmr_read();
QRNCORE_API uint64_t tmr_get_cycles();
// Cycles divided by the processor speed in MHz.
QRNCORE_API uint64_t tmr_cycles_to_usec(uint64_t cycles);
// Milliseconds since start (a cycle counter reading).
QRNCORE_API float get_elapsed_time_ms(uint64_t start_cycles);

class QRNCORE_API vtimer_t {
public:
    // Previous = current; current += d; step = d seconds; time += step.
    void advance_usec(uint64_t d);
    // Previous = current; current = t; step = (t - previous) seconds, negative when t
    // is earlier; time += step.
    void set_usec(uint64_t t);
    // Saves time and step into save, then scales the step by factor.
    void change_time_speed(vtimer_t *save, double factor);
    // Takes time and step back from saved.
    void revert_time_speed(const vtimer_t *saved);
    double get_current_time_slow() const { return time; }

    uint64_t previous = 0;  // microseconds
    uint64_t current = 0;   // microseconds
    double time = 0.0;      // seconds, the sum of all steps
    double step = 0.0;      // seconds, the last step
    bool speed_changed = false;
};

class QRNCORE_API expire_timer_t {
public:
    expire_timer_t() = default;
    expire_timer_t(float total_time, float remaining_time) : total(total_time), remaining(remaining_time) {}
    // 1 when the remaining time is 0 or less, else the fraction already gone.
    float get_elapsed_relative() const;

    float total = 0.0f;
    float remaining = 0.0f;
};

}  // namespace quarn

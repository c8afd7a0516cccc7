#pragma once
// Clocks and the processor's cycle counter. Every reading, and every sleep, goes
// through one source that tests (and the program's fixed clock) may replace, so
// nothing that depends on time needs to wait in real time.
#include <cstdint>

#include "platform/api.h"

namespace quarn::platform {

struct clock_source_t {
    uint64_t (*monotonic_usec)();  // microseconds of a monotonic clock
    uint64_t (*cycles)();          // the processor's cycle counter
    // Blocks for the given milliseconds; null: a sleep returns at once (a clock of
    // its own making has no real time to wait for).
    void (*sleep_msec)(uint32_t msec) = nullptr;
};

// Microseconds since an arbitrary start, from CLOCK_MONOTONIC.
QRN_PLATFORM_API uint64_t clock_usec();
// The cycle counter (rdtsc on x86-64; nanoseconds of the monotonic clock elsewhere).
QRN_PLATFORM_API uint64_t clock_cycles();
// True when the cycle counter is a real time-stamp counter.
QRN_PLATFORM_API bool clock_has_cycle_counter();

// Replaces the source of both readings; null restores the system clocks.
// The pointer is kept, not copied.
QRN_PLATFORM_API void clock_set_source(const clock_source_t *source);

// Blocks the calling thread for the given milliseconds, through the source: under a
// source without a sleep it returns at once.
QRN_PLATFORM_API void clock_sleep_msec(uint32_t msec);

}  // namespace quarn::platform

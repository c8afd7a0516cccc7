#pragma once
// Clocks and the processor's cycle counter. Every reading goes through one source
// that tests may replace, so nothing that depends on time needs a test to sleep.
#include <cstdint>

#include "platform/api.h"

namespace quarn::platform {

struct clock_source_t {
    uint64_t (*monotonic_usec)();  // microseconds of a monotonic clock
    uint64_t (*cycles)();          // the processor's cycle counter
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

// Blocks the calling thread for the given milliseconds.
QRN_PLATFORM_API void clock_sleep_msec(uint32_t msec);

}  // namespace quarn::platform

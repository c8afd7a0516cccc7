#include "platform/clock.h"

#include <ctime>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace quarn::platform {

namespace {

uint64_t system_usec() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * 1000000u + uint64_t(ts.tv_nsec) / 1000u;
}

uint64_t system_cycles() {
#if defined(__x86_64__) || defined(__i386__)
    return __rdtsc();
#else
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * 1000000000u + uint64_t(ts.tv_nsec);
#endif
}

void system_sleep_msec(uint32_t msec) {
    timespec ts{time_t(msec / 1000), long(msec % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0) {
    }
}

const clock_source_t system_source = {system_usec, system_cycles, system_sleep_msec};
const clock_source_t *current = &system_source;

}  // namespace

uint64_t clock_usec() { return current->monotonic_usec(); }

uint64_t clock_cycles() { return current->cycles(); }

bool clock_has_cycle_counter() {
#if defined(__x86_64__) || defined(__i386__)
    return true;
#else
    return false;
#endif
}

void clock_set_source(const clock_source_t *source) { current = source ? source : &system_source; }

void clock_sleep_msec(uint32_t msec) {
    if (current->sleep_msec) current->sleep_msec(msec);
}

}  // namespace quarn::platform

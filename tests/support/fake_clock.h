#pragma once
// A clock for tests: both readings come from counters the test sets, and each reading
// may advance them by a fixed amount, so busy-waits end without sleeping.
#include <cstdint>

#include "platform/clock.h"

namespace quarn::test {

class fake_clock_t {
public:
    fake_clock_t();
    ~fake_clock_t();  // restores the system clocks

    uint64_t usec = 1000000;       // current monotonic reading
    uint64_t cycles = 0;           // current cycle counter
    uint64_t usec_per_read = 0;    // added to usec after each monotonic read
    uint64_t cycles_per_usec = 0;  // cycles advance with usec at this rate

private:
    platform::clock_source_t m_source;
};

}  // namespace quarn::test

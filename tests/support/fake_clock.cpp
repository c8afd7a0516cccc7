#include "support/fake_clock.h"

namespace quarn::test {

namespace {
fake_clock_t *active = nullptr;

uint64_t fake_usec() {
    uint64_t now = active->usec;
    active->usec += active->usec_per_read;
    active->cycles += active->usec_per_read * active->cycles_per_usec;
    return now;
}
uint64_t fake_cycles() { return active->cycles; }
}  // namespace

fake_clock_t::fake_clock_t() : m_source{fake_usec, fake_cycles} {
    active = this;
    platform::clock_set_source(&m_source);
}

fake_clock_t::~fake_clock_t() {
    platform::clock_set_source(nullptr);
    active = nullptr;
}

}  // namespace quarn::test

#include "qrncore/system/timers.h"

#include "platform/clock.h"
#include "qrncore/system/cpu.h"

namespace quarn {

uint64_t tmr_read() {
    const uint32_t msec = uint32_t(platform::clock_usec() / 1000u);
    return uint64_t(msec) * 1000u;
}

uint64_t tmr_get_cycles() { return platform::clock_cycles(); }

uint64_t tmr_cycles_to_usec(uint64_t cycles) { return cycles / cpu_get_cpu_speed(); }

float get_elapsed_time_ms(uint64_t start_cycles) {
    const int64_t usec = int64_t(tmr_get_cycles() - start_cycles) / int64_t(cpu_get_cpu_speed());
    return float(double(usec) * 0.001);
}

void vtimer_t::advance_usec(uint64_t d) {
    previous = current;
    current = current + d;
    step = double(d) * 0.000001;
    time += step;
}

void vtimer_t::set_usec(uint64_t t) {
    previous = current;
    current = t;
    step = double(int64_t(t - previous)) * 0.000001;
    time += step;
}

void vtimer_t::change_time_speed(vtimer_t *save, double factor) {
    save->time = time;
    save->step = step;
    step *= factor;
    if (factor != 1.0) speed_changed = true;
}

void vtimer_t::revert_time_speed(const vtimer_t *saved) {
    time = saved->time;
    step = saved->step;
}

float expire_timer_t::get_elapsed_relative() const {
    if (remaining <= 0.0f) return 1.0f;
    return (total - remaining) / total;
}

}  // namespace quarn

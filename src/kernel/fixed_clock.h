#pragma once
// The fixed clock: test support that makes a run repeat. Installed as the platform's
// clock source (platform/clock.h) before the kernel starts, it moves by a fixed step
// once per scheduler pass, so every frame lasts exactly the step however long its work
// took. Its cycle counter is that of a processor of FIXED_CLOCK_NOMINAL_MHZ over the
// clock's time, plus one for each of its readings: the processor's speed measured
// against the clock is the nominal speed, so what the game takes from it (the ragdoll
// base of a hunt) is what real play takes, and the kernel's random sequence (sys_rand,
// seeded from the counter) draws the same numbers whenever the same code runs. Sleeps
// return at once: the idle process never waits in real time.
//
// Before the first pass (while the program starts) each reading of the time moves it
// by the step instead, so that start-up's waits for the clock (the processor's speed
// measurement) end at once.
//
// The program installs it when FERNWOLD_FIXED_STEP_US holds the step (docs/kernel.md);
// nothing of it is stored.
#include <cstdint>

namespace quarn {

// The largest step: the kernel clamps every frame to 0.1 s.
constexpr uint32_t FIXED_CLOCK_MAX_STEP_USEC = 100000;
// The processor's speed on the fixed clock, in MHz: a machine of today's speed, whose
// hunts take a ragdoll base of 4 as real play here does.
constexpr uint32_t FIXED_CLOCK_NOMINAL_MHZ = 2000;

// The step of a text: a whole decimal number of microseconds, 1 to
// FIXED_CLOCK_MAX_STEP_USEC, nothing else (no sign, blanks or suffix). False (step
// untouched) for anything else.
bool fixed_clock_parse_step(const char *text, uint32_t *step_usec);
// Installs the fixed clock with that step, starting at 1 s on the clock and 0 cycles;
// a second start begins afresh.
void fixed_clock_start(uint32_t step_usec);
// Gives the system clocks back.
void fixed_clock_stop();
// The step of the fixed clock while it is the platform's source; 0 when it is not.
uint32_t fixed_clock_step();

}  // namespace quarn

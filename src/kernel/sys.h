#pragma once
// The system services: the two system timers (real time and game time, the frame
// step clamped to 0-0.1 s), the idle process "init", the kernel's random sequence and
// the identification of the operating system.
#include <cstdint>

#include "kernel/api.h"
#include "outside/qrnshared/vprocess.h"

extern "C" {
// Advances the timers by the real time since the last call, clamped to 0-0.1 s.
KERNEL_API void sys_frame();
// The game timer's time / last step, in seconds.
KERNEL_API double sys_get_time();
KERNEL_API double sys_get_lastdelta();
// The millisecond clock in microseconds.
KERNEL_API uint64_t sys_get_random_seed();
// The next value of the kernel's random sequence, in [0, 1).
KERNEL_API float sys_rand();
// true wakes the idle process (each pass then sleeps 100 ms), false puts it to sleep.
// Returns the idle process (null when there is none).
KERNEL_API quarn::vprocess_t *sys_pause(bool pause);
// Stores the system id and the major and minor version into each non-null pointer.
KERNEL_API void sys_version(int *system, int *major, int *minor);
// The description of the operating system (the value of "sys_info").
KERNEL_API const char *sys_get_system_string();
// Fails the run, for a plug-in that finds something it must not run without (a broken
// input script): every process is asked to stop, a library not yet executed is not
// executed, and the program ends with exit code 1. The caller logs the reason.
KERNEL_API void sys_fail_run();
}

namespace quarn {

// Ids of sys_version.
enum sys_id_t : int { SYS_UNKNOWN = 0, SYS_LINUX = 1 };

// The name of a system id; "Unknown" for ids not listed.
const char *sys_system_name(int id);
// Boot step 2: identifies the system, fills "sys_info" and logs it.
void sys_probe_os();
// Boot step 7: the timers, "sys_info" and the idle process, added asleep.
void sys_init();
// Frees the timers.
void sys_shutdown();

// The idle process's pause; replaceable so that tests never sleep.
using sys_sleep_t = void (*)(uint32_t msec);
void sys_set_idle_sleep(sys_sleep_t sleep);
// Back to the first value of the random sequence.
void sys_reset_random();
// True once sys_fail_run was called in this run (sys_init starts a run afresh).
bool sys_run_failed();

}  // namespace quarn

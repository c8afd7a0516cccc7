#pragma once
// The process table and the scheduler. Every process is a vprocess_t kept in one list
// in ascending priority (equal priorities in the order they were added) and visited
// once per pass. A pass advances the system timers, polls the hardware devices, pumps
// the operating system's messages, runs the processes, advances the shutdown of those
// being stopped, frees garbage units and unloads plug-ins that asked for it.
#include <cstdint>

#include "kernel/api.h"
#include "outside/qrnshared/vprocess.h"

extern "C" {

using process_message_loop_t = void (*)(void *argument);

// Inserts the process after every process of equal or lower priority, gives it the
// next pid (from 1, never reused) and stores word. The scheduler owns it from now on
// and deletes it after its shutdown. Returns word.
KERNEL_API int process_add(quarn::vprocess_t *process, int word);
// Running becomes sleeping; any other state stays. Returns the process.
KERNEL_API quarn::vprocess_t *process_sleep(quarn::vprocess_t *process);
// Sleeping becomes running; any other state stays. Returns the process.
KERNEL_API quarn::vprocess_t *process_wakeup(quarn::vprocess_t *process);
// The first process in table order named exactly name, or null.
KERNEL_API quarn::vprocess_t *process_get(const char *name);
// The process with that pid, or null.
KERNEL_API quarn::vprocess_t *process_pid_get(int pid);
// Asks every process to shut down (shutdown(false)), in table order.
KERNEL_API void process_terminate_all();
// Installs a function that each pass calls with argument instead of the default
// message pump; a null function restores the default. Returns argument.
KERNEL_API void *process_register_message_loop(void *argument, process_message_loop_t function);
// Hold and release the graphics, input and sound processes ("__rend_proc",
// "__inp_proc", "__snd_proc", in that order both ways) / the memory manager "mm".
// Processes that do not exist are skipped.
KERNEL_API void process_hw_lock();
KERNEL_API void process_hw_unlock();
KERNEL_API void process_mm_lock();
KERNEL_API void process_mm_unlock();
}

namespace quarn {

// Binds the process list to its node pool (boot step 5); repeating it is harmless,
// and the table sets itself up when a process arrives first.
void process_table_setup();
// One scheduler pass; returns the number of processes left in the table.
uint32_t kernel_step();
// The passes begun since the process started (kernel_step calls, counted as each
// begins): the fixed clock moves with it.
uint64_t kernel_pass_count();
// Runs passes until a pass leaves no process.
void kernel_loop();
uint32_t process_count();

// The game module's guard process: the game module hands it over (null when it goes)
// and the kernel holds it while game objects still need the module.
void game_module_set_guard(vprocess_t *guard);
void game_module_lock();
void game_module_unlock();

}  // namespace quarn

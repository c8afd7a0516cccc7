#pragma once
// The kernel's entry. The program's entry builds the argument list and hands it over;
// the kernel prepares the process (crash log, command-line store, working directory,
// core library with the kernel's allocators), boots every service in a fixed order,
// runs the scheduler until no process is left and tears everything down again.
namespace quarn {

// Returns the program's exit code: 0, or 1 when the "-exec" library failed.
int kernel_main(int argc, char **argv);
// Boots, runs and shuts down; module is the game program's own module handle, handed
// to the outside layers. Returns the exit code as kernel_main does.
int kernel_boot(void *module);

}  // namespace quarn

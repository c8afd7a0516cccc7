#pragma once
// Step 3 of every scheduler pass: the operating system's messages. An installed
// message loop replaces the default pump; requests to stop from outside the program
// (SIGINT, SIGTERM) are taken here either way.
#include "kernel/process_table.h"

namespace quarn {

void kernel_pump_messages();
// Installs the message loop of process_register_message_loop; a null function
// restores the default pump.
void kernel_set_message_loop(void *argument, process_message_loop_t function);
// Catches SIGINT and SIGTERM for the run / puts the previous handlers back.
void kernel_stop_requests_start();
void kernel_stop_requests_stop();

}  // namespace quarn

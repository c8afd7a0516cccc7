#include "kernel/message_pump.h"

#include "kernel/console/commands.h"
#include "kernel/oswindow.h"
#include "platform/stop_signal.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {
void *loop_argument = nullptr;
process_message_loop_t loop_function = nullptr;

// A request to stop from outside is answered as closing the main window is: the
// game's "quit" decides when to end. Without a working "quit" every process is asked
// to stop, so that a signal always ends the run.
void quit_requested() {
    message("[sys] stop requested");
    if (_cmd_execute("quit", -1)) return;
    warning("[sys] \"quit\" failed - stopping every process");
    process_terminate_all();
}
}  // namespace

void kernel_set_message_loop(void *argument, process_message_loop_t function) {
    loop_argument = function ? argument : nullptr;
    loop_function = function;
}

void kernel_pump_messages() {
    if (loop_function) loop_function(loop_argument);
    else oswindow_default_message_step();
    if (platform::stop_signal_take()) quit_requested();
}

void kernel_stop_requests_start() { platform::stop_signal_install(); }

void kernel_stop_requests_stop() { platform::stop_signal_uninstall(); }

}  // namespace quarn

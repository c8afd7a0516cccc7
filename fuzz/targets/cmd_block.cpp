// Runs arbitrary bytes as a command file through the kernel's console: line reading,
// word splitting with quotes, commands, a queue and variables (set, print, "uset").
// "exec" is left out: it would open files of the machine by whatever name the input
// holds.
#include <cstdint>
#include <vector>

#include "kernel/console/commands.h"
#include "kernel/console/cvars.h"

namespace {

int queued_handler(const quarn::cmd_context_t *c) { return c->resume < 1 ? c->resume + 1 : quarn::cmd_t::DONE; }

quarn::cmd_t queued("q", queued_handler);
quarn::cmd_queue_t queue;
quarn::cvar_t variable("v", "1", quarn::cvar_t::STORED);

bool set_up() {
    quarn::cmd_register_builtins();
    quarn::cmd_t exec_name("exec", nullptr);
    cmd_unregister_command(&exec_name);
    cmd_register_command(&queued, 3);
    cmd_register_queue(&queue, 3);
    cvar_register_variable(&variable);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool ready = set_up();
    (void)ready;
    std::vector<char> text(data, data + size);
    _cmd_execute_block(text.data(), int(text.size()));
    for (int i = 0; i < 4 && !queue.is_empty(); ++i) cmd_process_queue(3);
    queue.reset();
    quarn::cvar_free_dynamic();
    return 0;
}

#pragma once
// Console commands and command queues. A line whose first word names a command runs
// that command's handler, at once or, when the command belongs to a queue, later
// through the queue; a line whose first word names a variable prints or sets it.
// Command files are blocks of such lines ('#' starts a comment).
#include <cstdint>

#include "kernel/api.h"
#include "outside/qrnshared/cmd.h"
#include "outside/qrnshared/cmd_queue.h"

extern "C" {
// Registers the record under its name with the queue id (-1: runs at once) at the
// head of the list. When a command of that name exists, nothing changes and that
// command is returned.
KERNEL_API quarn::cmd_t *_cmd_register_command(quarn::cmd_t *command, int queue_id);
// Removes the registered command of the same name.
KERNEL_API void cmd_unregister_command(quarn::cmd_t *command);
// The command of that name (case-sensitive), or null.
KERNEL_API quarn::cmd_t *cmd_get(const char *name);
// The newest command; the rest follow through their next links.
KERNEL_API quarn::cmd_t *cmd_get_list();
// Registers the queue under id; false (logged) when the id is taken or the queue is
// registered already.
KERNEL_API bool cmd_register_queue(quarn::cmd_queue_t *queue, int id);
// Forgets the queue and drops its lines.
KERNEL_API void cmd_unregister_queue(quarn::cmd_queue_t *queue);
// Runs a line now, or appends it to its command's queue (id -1), or appends it to the
// queue of id. False when the line failed, its command is unknown, or there is no
// such queue.
KERNEL_API bool _cmd_execute(const char *line, int queue_id);
// Runs the lines of a queue until one asks to be resumed.
KERNEL_API void cmd_process_queue(int id);
// Runs every line of a text through _cmd_execute(line, -1); size -1: up to the
// terminating zero.
KERNEL_API void _cmd_execute_block(const char *text, int size);
}

// The names by which other code calls these.
inline quarn::cmd_t *cmd_register_command(quarn::cmd_t *command, int queue_id = quarn::cmd_t::NO_QUEUE) {
    return _cmd_register_command(command, queue_id);
}
inline bool cmd_execute(const char *line, int queue_id = -1) { return _cmd_execute(line, queue_id); }
inline void cmd_execute_block(const char *text, int size = -1) { _cmd_execute_block(text, size); }

namespace quarn {

// The name hash of commands: h = h * 31 + byte, over the unsigned bytes.
uint32_t cmd_hash(const char *name);
// Runs one line now with a resume value; the handler's result, or -3 (also for an
// empty line and an unknown command).
int cmd_run_line(const char *line, int32_t resume);
// Boot step 8: "exec", "echo", "set" and "uset".
void cmd_register_builtins();
// How deep "exec" may nest command files that run "exec" themselves.
constexpr int CMD_EXEC_MAX_DEPTH = 16;

}  // namespace quarn

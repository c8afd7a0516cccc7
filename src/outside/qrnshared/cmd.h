#pragma once
// Console commands: a static record per command, registered with the kernel by name,
// and the context its handler receives.
#include <cstdint>

#include "outside/qrnshared/api.h"
#include "outside/qrnshared/arg.h"

namespace quarn {

class cmd_t;

// What a handler receives: its record, the resume value (-1 on the first call of a
// line, otherwise what the handler returned the last time) and the line's words
// (word 0 is the command's name).
struct cmd_context_t {
    cmd_t *command;
    int32_t resume;
    const arg_t *args;

    uint32_t argc() const { return args->count(); }
    const char *argv(uint32_t i) const { return args->c_word(i); }
};

class QRNSHARED_API cmd_t {
public:
    // Handler results: done, failed, or a value of 0 or more to be resumed with.
    static constexpr int DONE = -2;
    static constexpr int FAILED = -3;
    // Queue id of a command that runs at once.
    static constexpr int32_t NO_QUEUE = -1;

    using handler_t = int (*)(const cmd_context_t *context);

    cmd_t(const char *command_name, handler_t command_handler) : name(command_name), handler(command_handler) {}

    // Read and written by the kernel, in this order.
    const char *name;
    handler_t handler;
    uint32_t hash = 0;
    cmd_t *next = nullptr;
    int32_t queue_id = NO_QUEUE;
};

}  // namespace quarn

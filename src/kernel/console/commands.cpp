#include "kernel/console/commands.h"

#include <cinttypes>
#include <cstring>

#include "kernel/console/cvars.h"
#include "kernel/kernel_files.h"
#include "qrncore/strings/text_parser.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

using quarn::cmd_queue_t;
using quarn::cmd_t;

namespace quarn {

namespace {

constexpr uint32_t MAX_LINE = 1024;

cmd_t *commands = nullptr;
cmd_queue_t *queues = nullptr;
int exec_depth = 0;

cmd_queue_t *find_queue(int id) {
    for (cmd_queue_t *q = queues; q; q = q->next)
        if (q->id == id) return q;
    return nullptr;
}

// Runs one command file; false when it could not be opened.
bool exec_file(const char *path) {
    message("[cor] executing %s", path);
    auto_ptr_t<file_t> file = kernel_file_open(path, KERNEL_FILE_READ);
    if (!file) {
        error("failed to open %s", path);
        return false;
    }
    const uint64_t size = file->size();
    if (size > UINT32_MAX) {
        error("The command file '%s' is bigger than we can handle: size %" PRIu64 ".", path, size);
        return true;
    }
    char *text = static_cast<char *>(qrncore_system_new_vector(size_t(size) + 1));
    if (text && file->read(text, uint32_t(size))) {
        text[size] = 0;
        file.reset();  // closed before its lines run: they may write it
        _cmd_execute_block(text, int(size));
    } else {
        error("failed to read %s", path);
    }
    if (text) qrncore_system_delete_vector(text);
    return true;
}

int cmd_exec(const cmd_context_t *c) {
    if (c->argc() < 2) {
        message("execute commands in files : exec filename1 [filename2 [filename3 ...]]");
        return cmd_t::DONE;
    }
    // A command file that executes itself, directly or through others, recursed
    // until the stack ran out; the nesting is capped instead.
    if (exec_depth >= CMD_EXEC_MAX_DEPTH) {
        error("[cmd] exec nested more than %d levels deep - '%s' not run", CMD_EXEC_MAX_DEPTH, c->argv(1));
        return cmd_t::FAILED;
    }
    ++exec_depth;
    for (uint32_t i = 1; i < c->argc(); ++i) {
        if (!exec_file(c->argv(i))) break;
    }
    --exec_depth;
    return cmd_t::DONE;
}

int cmd_echo(const cmd_context_t *c) {
    if (c->argc() >= 2) message("%s", c->argv(1));
    return cmd_t::DONE;
}

int cmd_set(const cmd_context_t *) { return cmd_t::DONE; }

int cmd_uset(const cmd_context_t *c) {
    if (c->argc() != 3) {
        error("uset : wrong param count");
        return cmd_t::DONE;
    }
    cvar_set_or_create(c->argv(1), c->argv(2));
    return cmd_t::DONE;
}

cmd_t builtin_exec("exec", cmd_exec);
cmd_t builtin_echo("echo", cmd_echo);
cmd_t builtin_set("set", cmd_set);
cmd_t builtin_uset("uset", cmd_uset);

}  // namespace

uint32_t cmd_hash(const char *name) {
    uint32_t h = 0;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(name); *p; ++p) h = h * 31u + *p;
    return h;
}

int cmd_run_line(const char *line, int32_t resume) {
    if (!line || !*line) return cmd_t::FAILED;
    if (resume == -1) message("%s", line);
    arg_t args;
    args.split(line, 0, true);
    if (args.count() > 0) {
        if (cmd_t *command = cmd_get(args.c_word(0))) {
            const cmd_context_t context{command, resume, &args};
            return command->handler(&context);
        }
    }
    if (cvar_command(line)) return cmd_t::DONE;
    error("[cmd] '%s' - unknown command", line);
    return cmd_t::FAILED;
}

void cmd_register_builtins() {
    _cmd_register_command(&builtin_exec, cmd_t::NO_QUEUE);
    _cmd_register_command(&builtin_echo, cmd_t::NO_QUEUE);
    _cmd_register_command(&builtin_set, cmd_t::NO_QUEUE);
    _cmd_register_command(&builtin_uset, cmd_t::NO_QUEUE);
}

}  // namespace quarn

using namespace quarn;

cmd_t *_cmd_register_command(cmd_t *command, int queue_id) {
    if (cmd_t *existing = cmd_get(command->name)) return existing;
    command->hash = cmd_hash(command->name);
    command->queue_id = queue_id;
    command->next = commands;
    commands = command;
    return command;
}

void cmd_unregister_command(cmd_t *command) {
    for (cmd_t **link = &commands; *link; link = &(*link)->next) {
        cmd_t *c = *link;
        if (strcmp(c->name, command->name) != 0) continue;
        *link = c->next;
        c->next = nullptr;
        return;
    }
}

cmd_t *cmd_get(const char *name) {
    if (!name) return nullptr;
    const uint32_t hash = cmd_hash(name);
    for (cmd_t *c = commands; c; c = c->next)
        if (c->hash == hash && strcmp(c->name, name) == 0) return c;
    return nullptr;
}

cmd_t *cmd_get_list() { return commands; }

bool cmd_register_queue(cmd_queue_t *queue, int id) {
    if (find_queue(id)) {
        error("Message Queue id: %u already used!", unsigned(id));
        return false;
    }
    if (queue->id != -1) {
        error("Message Queue %u already registered!", unsigned(queue->id));
        return false;
    }
    queue->id = id;
    queue->resume = -1;
    queue->next = queues;
    queues = queue;
    return true;
}

void cmd_unregister_queue(cmd_queue_t *queue) {
    queue->id = -1;
    queue->reset();
    for (cmd_queue_t **link = &queues; *link; link = &(*link)->next) {
        if (*link != queue) continue;
        *link = queue->next;
        queue->next = nullptr;
        return;
    }
}

bool _cmd_execute(const char *line, int queue_id) {
    if (!line) line = "";
    if (queue_id == -1) {
        arg_t args;
        args.split(line, 0, true);
        if (args.count() == 0) return true;
        cmd_t *command = cmd_get(args.c_word(0));
        if (!command || command->queue_id == cmd_t::NO_QUEUE) return cmd_run_line(line, -1) != cmd_t::FAILED;
        queue_id = command->queue_id;
    }
    cmd_queue_t *queue = find_queue(queue_id);
    if (!queue) {
        error("Unknown queue id: %u", unsigned(queue_id));
        return false;
    }
    if (!queue->append(line)) {
        error("[cmd] Out of memory queueing '%s'", line);
        return false;
    }
    return true;
}

void cmd_process_queue(int id) {
    cmd_queue_t *queue = find_queue(id);
    if (!queue) {
        error("Unknown command queue id: %u", unsigned(id));
        return;
    }
    while (!queue->is_empty()) {
        const int result = cmd_run_line(queue->peek(), queue->resume);
        if (result >= 0) {
            queue->resume = result;
            return;
        }
        queue->pop();
        queue->resume = -1;
    }
}

void _cmd_execute_block(const char *text, int size) {
    if (!text) return;
    const uint32_t len = size < 0 ? uint32_t(strlen(text)) : uint32_t(size);
    text_parser_t parser(text, len);
    char line[MAX_LINE + 1];
    while (parser.read_line(line, MAX_LINE) > 0) _cmd_execute(line, -1);
}

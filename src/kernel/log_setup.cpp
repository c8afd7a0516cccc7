#include "kernel/log_setup.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "qrncore/strings/number_text.h"
#include "qrncore/system/cmdline.h"
#include "qrncore/system/host_alloc.h"

namespace quarn {

namespace {

struct kernel_log_t {
    kernel_log_t(const log_options_t &options) : logger(options.file, options.limit) {}
    // Members register as handlers in this order and unregister in reverse.
    file_logger_t logger;
    message_history_t history;
};

kernel_log_t *current_log = nullptr;

void release_log(kernel_log_t *log) {
    if (!log) return;
    log->~kernel_log_t();
    qrncore_system_delete(log);
}

}  // namespace

void message_history_t::process_message(const string &text, message_t::type_t type) {
    message_history_entry_t &entry = m_entries[m_next % CAPACITY];
    entry.text = text;
    entry.type = type;
    if (m_next - m_first == CAPACITY) ++m_first;
    ++m_next;
    if (m_first >= CAPACITY) {
        m_first -= CAPACITY;
        m_next -= CAPACITY;
    }
}

const message_history_entry_t *message_history_t::get(int32_t i) const {
    // An index outside the history has no message (a slot it landed on would hold a
    // stale one).
    if (i < 0 || i >= count()) return nullptr;
    return &m_entries[(m_next - i - 1) % CAPACITY];
}

log_options_t log_options_from_command_line() {
    log_options_t options;
    if (cdl_param("-log", 1) == unsigned(-1)) return options;
    const unsigned values = cdl_argc() - 1;
    if (values == 0) {
        options.file = "quarn3d.log";
    } else {
        // Null: the path did not fit the command-line store, which drops such text.
        const char *path = cdl_argv(1);
        if (!path || strlen(path) > LOG_PATH_MAX) {
            fprintf(stderr, "[log] The path given to -log is too long - no log file is written.\n");
            return options;
        }
        options.file = path;
        if (values >= 2) options.limit = uint32_t(v_strtol(cdl_argv(2), nullptr, 0));
    }
    return options;
}

void kernel_log_start(const log_options_t &options) {
    kernel_log_t *log = nullptr;
    if (void *memory = qrncore_system_new(sizeof(kernel_log_t))) log = new (memory) kernel_log_t(options);
    if (log && !options.file.is_empty() && !log->logger.is_open())
        fprintf(stderr, "[log] Unable to open the log file '%s' - no log file is written.\n", options.file.c_str());
    kernel_log_t *previous = current_log;
    current_log = log;
    release_log(previous);
}

void kernel_log_stop() {
    kernel_log_t *log = current_log;
    current_log = nullptr;
    release_log(log);
}

}  // namespace quarn

using namespace quarn;

int message_history_count() { return current_log ? current_log->history.count() : 0; }

const message_history_entry_t *message_history_get(int i) {
    return current_log ? current_log->history.get(i) : nullptr;
}

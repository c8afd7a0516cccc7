#pragma once
// The kernel's log: one object joining the core's log-file writer (from "-log") with a
// history of the last 256 messages, which the console shows. Both receive every
// message of every module through the core's handler registry.
#include <cstdint>

#include "kernel/api.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/strings/string_fixed.h"
#include "qrncore/system/messages.h"

namespace quarn {

struct message_history_entry_t {
    mstring_dyn_t text;
    int32_t type = message_t::MESSAGE;
};

// The last CAPACITY messages of every level, verbose ones included.
class message_history_t : public message_handler_t {
public:
    static constexpr int32_t CAPACITY = 256;

    void process_message(const string &text, message_t::type_t type) override;
    int32_t count() const { return m_next - m_first; }
    // The i-th most recent message (0 the newest); null outside 0 .. count() - 1.
    const message_history_entry_t *get(int32_t i) const;

private:
    message_history_entry_t m_entries[CAPACITY];
    int32_t m_first = 0;  // the oldest entry
    int32_t m_next = 0;   // one past the newest; m_next - m_first entries are held
};

// The longest log path taken, in bytes: the system's own limit on a path.
inline constexpr size_t LOG_PATH_MAX = 4095;

// What "-log" asks for: the file ("" for none) and its size limit (0 for none).
struct log_options_t {
    string_fixed_t<LOG_PATH_MAX + 1> file;
    uint32_t limit = 0;
};

// Reads "-log" from the command-line store: absent, no file; alone, "quarn3d.log";
// one value, that file; two or more, the file and a limit in bytes (strtol with base
// 0: decimal, "0x" hexadecimal, leading-zero octal; not a number gives 0, no limit).
// A path longer than LOG_PATH_MAX, or than the command-line store keeps
// (CDL_TEXT_SIZE), is refused with a message on standard error (the log is not set
// up yet): cut, it would name another file. The run goes on without a log file.
log_options_t log_options_from_command_line();
// Creates the log object (file writer, then history), then releases the earlier one.
// A log file that cannot be opened is reported on standard error; the history works
// all the same.
void kernel_log_start(const log_options_t &options);
// Releases the history, then the file writer.
void kernel_log_stop();

}  // namespace quarn

extern "C" {
// Messages held in the history (at most 256); 0 without a log.
KERNEL_API int message_history_count();
// The i-th most recent message (0 the newest), or null for an index outside the
// history or without a log.
KERNEL_API const quarn::message_history_entry_t *message_history_get(int i);
}

#pragma once
// Messages, loggers and abort. Every diagnostic goes through four formatted message
// functions, one per level; a message is formatted once and handed to every
// registered handler in registration order. Handlers register in their constructor
// and unregister in their destructor, so a handler is active exactly while it exists.
#include <cstdarg>
#include <cstdint>

#include "platform/files.h"
#include "qrncore/api.h"
#include "qrncore/strings/string.h"

namespace quarn {

struct message_t {
    enum type_t { MESSAGE = 0, WARNING = 1, VERBOSE = 2, ERROR = 3 };
};

class QRNCORE_API message_handler_t {
public:
    message_handler_t();
    virtual ~message_handler_t();
    message_handler_t(const message_handler_t &) = delete;
    message_handler_t &operator=(const message_handler_t &) = delete;

    virtual void process_message(const string &text, message_t::type_t type) = 0;
};

// Writes messages to a log file with an approximate size limit (0: none). Verbose
// messages are not written. Each line is handed to the system at once, so the log
// survives a crash.
class QRNCORE_API file_logger_t : public message_handler_t {
public:
    // An empty path, or a file that cannot be created, gives a logger that ignores
    // every message.
    file_logger_t(const string &path, uint32_t limit);
    ~file_logger_t() override;

    void process_message(const string &text, message_t::type_t type) override;

    bool is_open() const { return m_file.is_open(); }
    uint32_t get_written() const { return m_written; }

private:
    platform::native_file_t m_file;
    uint32_t m_written = 0;
    uint32_t m_limit = 0;
};

// Sends messages (not verbose ones) to an attached debugger.
class QRNCORE_API debug_logger_t : public message_handler_t {
public:
    void process_message(const string &text, message_t::type_t type) override;
};

// Warnings and errors to standard error with a prefix, the rest to standard output.
class QRNCORE_API message_stdio_t : public message_handler_t {
public:
    void process_message(const string &text, message_t::type_t type) override;
};

QRNCORE_API void message_handler_register(message_handler_t *handler);
QRNCORE_API void message_handler_unregister(message_handler_t *handler);

QRNCORE_API void error(const char *fmt, ...) V_PRINTF(1, 2);
QRNCORE_API void warning(const char *fmt, ...) V_PRINTF(1, 2);
QRNCORE_API void message(const char *fmt, ...) V_PRINTF(1, 2);
QRNCORE_API void verbose(const char *fmt, ...) V_PRINTF(1, 2);
QRNCORE_API void verror(const char *fmt, va_list args) V_PRINTF(1, 0);
QRNCORE_API void vwarning(const char *fmt, va_list args) V_PRINTF(1, 0);
QRNCORE_API void vmessage(const char *fmt, va_list args) V_PRINTF(1, 0);
QRNCORE_API void vverbose(const char *fmt, va_list args) V_PRINTF(1, 0);
// Dispatches at a given level.
QRNCORE_API void vdispatch(message_t::type_t type, const char *fmt, va_list args) V_PRINTF(2, 0);

// Logs "%s(%u): %s: %s" (file, line, function, message) as an error, then ends the
// process through the crash reporter. For programming errors, never for bad data.
[[noreturn]] QRNCORE_API void v_abort_fail(const char *msg, const char *file, unsigned line, const char *function);
// Logs "%s(%u): %s: Assertion `%s' failed." and ends the process the same way.
[[noreturn]] QRNCORE_API void v_assert_fail(const char *expr, const char *file, unsigned line, const char *function);

QRNCORE_API const char *v_strerror(int errnum);
QRNCORE_API int *v_errno_addr();
QRNCORE_API void v_debug_break();

}  // namespace quarn

#define V_ABORT(msg) ::quarn::v_abort_fail((msg), __FILE__, __LINE__, __func__)
#define V_ASSERT(expr) \
    ((expr) ? (void)0 : ::quarn::v_assert_fail(#expr, __FILE__, __LINE__, __func__))

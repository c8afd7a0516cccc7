#include "qrncore/system/messages.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/crash.h"
#include "platform/debug.h"
#include "qrncore/system/host_alloc.h"

namespace quarn {

namespace {

// The handler registry: a plain growable array from the host allocator. It is a
// constant-initialised global, so it exists before any handler can register.
struct handler_registry_t {
    message_handler_t **items = nullptr;
    unsigned count = 0;
    unsigned capacity = 0;
    bool closed = false;  // set at exit: later unregistrations find nothing to do

    ~handler_registry_t() {
        if (items) qrncore_system_delete_vector(items);
        items = nullptr;
        count = capacity = 0;
        closed = true;
    }
};

constinit handler_registry_t registry;

// Formats into a stack buffer, or into host memory when the text is longer.
class formatted_t {
public:
    __attribute__((format(printf, 2, 0))) formatted_t(const char *fmt, va_list args) {
        va_list copy;
        va_copy(copy, args);
        int n = vsnprintf(m_local, sizeof m_local, fmt, copy);
        va_end(copy);
        if (n < 0) {
            m_local[0] = 0;
        } else if (size_t(n) >= sizeof m_local) {
            m_heap = static_cast<char *>(qrncore_system_new_vector(size_t(n) + 1));
            if (m_heap) vsnprintf(m_heap, size_t(n) + 1, fmt, args);
        }
    }
    ~formatted_t() {
        if (m_heap) qrncore_system_delete_vector(m_heap);
    }
    const char *text() const { return m_heap ? m_heap : m_local; }

private:
    char m_local[1024];
    char *m_heap = nullptr;
};

void write_all(int fd, const char *s, size_t len) {
    while (len) {
        ssize_t w = ::write(fd, s, len);
        if (w <= 0) return;
        s += w;
        len -= size_t(w);
    }
}

}  // namespace

message_handler_t::message_handler_t() { message_handler_register(this); }

message_handler_t::~message_handler_t() { message_handler_unregister(this); }

void message_handler_register(message_handler_t *handler) {
    if (registry.closed || !handler) return;
    if (registry.count == registry.capacity) {
        unsigned capacity = registry.capacity ? registry.capacity * 2 : 8;
        auto **items = static_cast<message_handler_t **>(
            qrncore_system_new_vector(sizeof(message_handler_t *) * capacity));
        if (!items) return;
        if (registry.count) memcpy(items, registry.items, sizeof(message_handler_t *) * registry.count);
        if (registry.items) qrncore_system_delete_vector(registry.items);
        registry.items = items;
        registry.capacity = capacity;
    }
    registry.items[registry.count++] = handler;
}

void message_handler_unregister(message_handler_t *handler) {
    for (unsigned i = 0; i < registry.count; ++i) {
        if (registry.items[i] != handler) continue;
        memmove(registry.items + i, registry.items + i + 1, sizeof(message_handler_t *) * (registry.count - i - 1));
        --registry.count;
        return;
    }
}

void vdispatch(message_t::type_t type, const char *fmt, va_list args) {
    formatted_t text(fmt, args);
    // A handler may unregister itself while handling; index so that is harmless.
    for (unsigned i = 0; i < registry.count; ++i) {
        message_handler_t *h = registry.items[i];
        h->process_message(string(text.text()), type);
        if (i < registry.count && registry.items[i] != h) --i;
    }
}

void verror(const char *fmt, va_list args) { vdispatch(message_t::ERROR, fmt, args); }
void vwarning(const char *fmt, va_list args) { vdispatch(message_t::WARNING, fmt, args); }
void vmessage(const char *fmt, va_list args) { vdispatch(message_t::MESSAGE, fmt, args); }
void vverbose(const char *fmt, va_list args) { vdispatch(message_t::VERBOSE, fmt, args); }

#define QUARN_DISPATCH(level)             \
    va_list args;                         \
    va_start(args, fmt);                  \
    vdispatch(message_t::level, fmt, args); \
    va_end(args)

void error(const char *fmt, ...) { QUARN_DISPATCH(ERROR); }
void warning(const char *fmt, ...) { QUARN_DISPATCH(WARNING); }
void message(const char *fmt, ...) { QUARN_DISPATCH(MESSAGE); }
void verbose(const char *fmt, ...) { QUARN_DISPATCH(VERBOSE); }

#undef QUARN_DISPATCH

// ---- file logger ----

file_logger_t::file_logger_t(const string &path, uint32_t limit) : m_limit(limit) {
    if (path.is_empty()) return;
    if (!m_file.open(path.c_str(), platform::FILE_WRITE | platform::FILE_CREATE | platform::FILE_TRUNCATE)) return;
    char when[128];
    time_t now = time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    strftime(when, sizeof when, "%A %B %d %Y @ %H:%M:%S", &local);
    char header[256];
    int n = snprintf(header, sizeof header, "******** : log created on : %s\r\n", when);
    if (n > 0) m_file.write(header, size_t(n) < sizeof header ? size_t(n) : sizeof header - 1);
    // The header counts as 70 bytes whatever its length, so the limit stays approximate.
    m_written = 70;
}

file_logger_t::~file_logger_t() { m_file.close(); }

void file_logger_t::process_message(const string &text, message_t::type_t type) {
    if (!m_file.is_open() || type == message_t::VERBOSE) return;
    if (m_limit && m_written > m_limit) return;
    char line[10240];
    time_t now = time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    size_t len = strftime(line, sizeof line, "%X : ", &local);
    int n = snprintf(line + len, sizeof line - len, "%s\r\n", text.c_str());
    // A line longer than the buffer is cut at its end.
    len = n < 0 ? len : (size_t(n) < sizeof line - len ? len + size_t(n) : sizeof line - 1);
    m_file.write(line, len);
    m_file.flush();
    m_written += 10 + uint32_t(text.length());
    if (m_limit && m_written > m_limit) {
        static const char notice[] = "****** The log file exceeded its limit size, truncated.";
        m_file.write(notice, sizeof notice - 1);
        m_file.flush();
    }
}

// ---- debugger output and standard streams ----

void debug_logger_t::process_message(const string &text, message_t::type_t type) {
    if (type == message_t::VERBOSE) return;
    char line[10240];
    snprintf(line, sizeof line, "%s\r\n", text.c_str());
    platform::debug_output(line);
}

void message_stdio_t::process_message(const string &text, message_t::type_t type) {
    const char *prefix = "";
    int fd = STDOUT_FILENO;
    if (type == message_t::WARNING) {
        prefix = "*** WARNING *** : ";
        fd = STDERR_FILENO;
    } else if (type == message_t::ERROR) {
        prefix = "*** ERROR *** : ";
        fd = STDERR_FILENO;
    }
    write_all(fd, prefix, strlen(prefix));
    write_all(fd, text.c_str(), text.length());
    write_all(fd, "\r\n", 2);
}

// ---- abort ----

void v_abort_fail(const char *msg, const char *file, unsigned line, const char *function) {
    error("%s(%u): %s: %s", file, line, function, msg);
    // The report is written directly and the process ends with SIGABRT: a write to
    // address 0 to reach the crash handler would be undefined behaviour.
    platform::crash_abort(msg);
}

void v_assert_fail(const char *expr, const char *file, unsigned line, const char *function) {
    error("%s(%u): %s: Assertion `%s' failed.", file, line, function, expr);
    platform::crash_abort(expr);
}

const char *v_strerror(int errnum) { return strerror(errnum); }

int *v_errno_addr() { return &errno; }

void v_debug_break() { platform::debug_break(); }

}  // namespace quarn

#include "outside/qrnshared/vprocess.h"

#include <cstdarg>
#include <cstdio>

#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn {

vprocess_t::vprocess_t(int prio) : priority(prio) {}

vprocess_t::~vprocess_t() = default;

void *vprocess_t::operator new(size_t bytes) noexcept { return qrncore_system_new(bytes); }

void vprocess_t::operator delete(void *memory) { qrncore_system_delete(memory); }

void vprocess_t::handler() {}

void vprocess_t::system() {}

void vprocess_t::shutdown(bool) {
    if (signal == SIGNAL_NONE) signal = SIGNAL_SHUTDOWN;
}

void vprocess_t::update(double d) {
    delta = d;
    time += d;
}

void vprocess_t::set_name(const char *text) { name = text; }

void vprocess_t::lock() { ++hold_count; }

void vprocess_t::unlock() {
    V_ASSERT(hold_count > 0);
    --hold_count;
}

namespace {

__attribute__((format(printf, 3, 0))) void tagged(message_t::type_t type, const char *tag, const char *fmt,
                                                  va_list args) {
    char text[1024];
    vsnprintf(text, sizeof text, fmt, args);
    switch (type) {
        case message_t::ERROR: quarn::error("[%s] %s", tag, text); break;
        case message_t::VERBOSE: quarn::verbose("[%s] %s", tag, text); break;
        default: quarn::message("[%s] %s", tag, text); break;
    }
}

}  // namespace

#define QRNSHARED_TAGGED(level)                       \
    va_list args;                                     \
    va_start(args, fmt);                              \
    tagged(message_t::level, name.c_str(), fmt, args); \
    va_end(args)

void vprocess_t::message(const char *fmt, ...) const { QRNSHARED_TAGGED(MESSAGE); }
void vprocess_t::error(const char *fmt, ...) const { QRNSHARED_TAGGED(ERROR); }
void vprocess_t::verbose(const char *fmt, ...) const { QRNSHARED_TAGGED(VERBOSE); }

#undef QRNSHARED_TAGGED

}  // namespace quarn

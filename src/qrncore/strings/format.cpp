#include "qrncore/strings/format.h"

#include <cstdio>

namespace quarn {

int v_snprintf(char *buf, size_t size, const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    int n = vsnprintf(buf, size, fmt, args);
    va_end(args);
    return n;
}

int v_vsnprintf(char *buf, size_t size, const char *fmt, va_list args) { return vsnprintf(buf, size, fmt, args); }

int v_scprintf(const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    int n = vsnprintf(nullptr, 0, fmt, args);
    va_end(args);
    return n;
}

int v_vscprintf(const char *fmt, va_list args) { return vsnprintf(nullptr, 0, fmt, args); }

int v_sprintf(char *buf, const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    int n = vsprintf(buf, fmt, args);
    va_end(args);
    return n;
}

}  // namespace quarn

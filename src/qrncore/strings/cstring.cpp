#include "qrncore/strings/cstring.h"

#include <cstring>

namespace quarn {

uint32_t v_strhash(const char *s) {
    uint32_t h = 0;
    for (; *s; ++s) h = h * 29u + uint32_t(int32_t(static_cast<signed char>(*s)));
    h += h >> 16;
    return h & 0xFFFFu;
}

void v_chop(char *s) {
    size_t n = strlen(s);
    while (n && (s[n - 1] == '\t' || s[n - 1] == '\n' || s[n - 1] == '\r' || s[n - 1] == ' ')) --n;
    s[n] = 0;
}

const char *v_skip_wspace(const char *s) {
    while (*s == ' ' || (*s >= '\t' && *s <= '\r')) ++s;
    return s;
}

size_t v_strnlen_impl(const char *s, size_t n) {
    size_t i = 0;
    while (i < n && s[i]) ++i;
    return i;
}

char *v_stpcpy_impl(char *dst, const char *src) {
    while ((*dst = *src++) != 0) ++dst;
    return dst;
}

char *v_stpncpy_impl(char *dst, const char *src, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if ((dst[i] = src[i]) == 0) return dst + i;
    }
    return dst + n;
}

char *v_move_string_impl(char *dst, const char *src) {
    memmove(dst, src, strlen(src) + 1);
    return dst;
}

}  // namespace quarn

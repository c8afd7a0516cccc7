#include "outside/qrnshared/text_format.h"

#include <cstring>

namespace quarn {

namespace {

struct spec_t {
    bool left = false, plus = false, space = false, zero = false, alternate = false;
    uint32_t width = 0;
    char conversion = 0;
};

// Reads flags, width and the conversion letter after a '%'. Returns the length read
// (the letter included), 0 when the text ends first or the width is too large.
size_t parse_spec(const char *p, spec_t &s) {
    const char *start = p;
    for (;; ++p) {
        if (*p == '-') s.left = true;
        else if (*p == '+') s.plus = true;
        else if (*p == ' ') s.space = true;
        else if (*p == '0') s.zero = true;
        else if (*p == '#') s.alternate = true;
        else break;
    }
    for (; *p >= '0' && *p <= '9'; ++p) {
        s.width = s.width * 10 + uint32_t(*p - '0');
        if (s.width > TEXT_FORMAT_MAX_WIDTH) return 0;
    }
    if (!*p) return 0;
    s.conversion = *p;
    return size_t(p - start) + 1;
}

bool pad(mstring_t &out, uint32_t n, char c) {
    for (uint32_t i = 0; i < n; ++i)
        if (!out.append(c)) return false;
    return true;
}

// The field: prefix (sign or "0x"), then digits or text, padded to the width.
bool put_field(mstring_t &out, const spec_t &s, const char *prefix, const char *body, bool numeric) {
    const uint32_t length = uint32_t(strlen(prefix) + strlen(body));
    const uint32_t fill = s.width > length ? s.width - length : 0;
    const bool zeros = numeric && s.zero && !s.left;
    if (!s.left && !zeros && !pad(out, fill, ' ')) return false;
    if (!out.append(string(prefix))) return false;
    if (zeros && !pad(out, fill, '0')) return false;
    if (!out.append(string(body))) return false;
    return !s.left || pad(out, fill, ' ');
}

bool put_integer(mstring_t &out, const spec_t &s, const format_arg_t &arg) {
    char digits[24];
    char *end = digits + sizeof digits;
    char *p = end;
    *--p = 0;
    const char *prefix = "";
    if (s.conversion == 'd' || s.conversion == 'i') {
        const int64_t v = arg.value();
        // The magnitude in unsigned arithmetic: -INT64_MIN does not exist.
        uint64_t m = v < 0 ? uint64_t(0) - uint64_t(v) : uint64_t(v);
        do *--p = char('0' + m % 10);
        while (m /= 10);
        prefix = v < 0 ? "-" : s.plus ? "+" : s.space ? " " : "";
    } else {
        uint64_t m = arg.unsigned_value();
        const unsigned base = s.conversion == 'x' ? 16 : 10;
        if (base == 16 && s.alternate && m != 0) prefix = "0x";
        do *--p = "0123456789abcdef"[m % base];
        while (m /= base);
    }
    return put_field(out, s, prefix, p, true);
}

}  // namespace

bool text_format(mstring_t &out, const char *format, const format_arg_t *args, uint32_t count) {
    out.copy(string());
    if (!format) return true;
    // Room for the format itself at once: appending byte by byte would grow a heap
    // text one byte at a time.
    out.request_capacity(uint32_t(strlen(format)) + 64);
    uint32_t next = 0;
    for (const char *p = format; *p;) {
        if (*p != '%') {
            if (!out.append(*p++)) return false;
            continue;
        }
        if (p[1] == '%') {
            if (!out.append('%')) return false;
            p += 2;
            continue;
        }
        spec_t s;
        const size_t n = parse_spec(p + 1, s);
        const bool text = s.conversion == 's';
        const bool integer = s.conversion && strchr("diux", s.conversion) != nullptr;
        const bool takes = n && next < count &&
                           ((text && args[next].kind() == format_arg_t::TEXT) ||
                            (integer && args[next].kind() == format_arg_t::INTEGER));
        if (!takes) {
            // As written: the '%' alone when nothing valid follows it.
            const uint32_t length = n ? uint32_t(n + 1) : 1;
            if (!out.append(string(p), 0, length)) return false;
            p += length;
            continue;
        }
        const format_arg_t &arg = args[next++];
        if (!(text ? put_field(out, s, "", arg.text(), false) : put_integer(out, s, arg))) return false;
        p += n + 1;
    }
    return true;
}

}  // namespace quarn

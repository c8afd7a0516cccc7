#include "qrncore/strings/number_text.h"

#include <bit>
#include <charconv>
#include <cmath>

namespace quarn {

namespace {

// isspace of the "C" locale, whatever locale the process runs in.
bool c_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool c_digit(char c) { return c >= '0' && c <= '9'; }

int digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return 99;
}

// The integer scan of the 32-bit runtime. Returns the magnitude as it accumulated
// (saturation is the caller's, as it depends on signedness) and whether it overflowed
// 32 bits.
struct scan_t {
    uint32_t value = 0;
    bool negative = false;
    bool overflow = false;
    bool digits = false;
};

scan_t scan_integer(const char *s, const char **end, int base) {
    scan_t r;
    const char *p = s;
    if (end) *end = s;
    if (base < 0 || base == 1 || base > 36) return r;
    while (c_space(*p)) ++p;
    if (*p == '-') {
        r.negative = true;
        ++p;
    } else if (*p == '+') {
        ++p;
    }
    if (base == 0) base = p[0] != '0' ? 10 : (p[1] == 'x' || p[1] == 'X') ? 16 : 8;
    if (base == 16 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) p += 2;
    const uint32_t max_before = UINT32_MAX / uint32_t(base);
    const uint32_t max_digit = UINT32_MAX % uint32_t(base);
    for (;; ++p) {
        int d = digit_value(*p);
        if (d >= base) break;
        r.digits = true;
        if (r.value < max_before || (r.value == max_before && uint32_t(d) <= max_digit))
            r.value = r.value * uint32_t(base) + uint32_t(d);
        else
            r.overflow = true;
    }
    if (!r.digits) {
        r = scan_t{};  // no number: the runtime points back at the start
        return r;
    }
    if (end) *end = p;
    return r;
}

}  // namespace

uint32_t v_strtoul(const char *s, const char **end, int base) {
    scan_t r = scan_integer(s, end, base);
    uint32_t v = r.overflow ? UINT32_MAX : r.value;
    return r.negative ? uint32_t(0u - v) : v;
}

int32_t v_strtol(const char *s, const char **end, int base) {
    scan_t r = scan_integer(s, end, base);
    if (r.negative) {
        if (r.overflow || r.value > 0x80000000u) return INT32_MIN;
        return int32_t(0u - r.value);
    }
    if (r.overflow || r.value > 0x7FFFFFFFu) return INT32_MAX;
    return int32_t(r.value);
}

double v_strtod(const char *s, const char **end) {
    if (end) *end = s;
    const char *p = s;
    while (c_space(*p)) ++p;
    bool negative = false;
    if (*p == '-' || *p == '+') negative = *p++ == '-';
    const char *first = p;
    // Decimal exponent of the leading significant digit, to tell an overflow from an
    // underflow when the value is out of range.
    long magnitude = 0;
    bool significant = false;
    int digits = 0;
    for (; c_digit(*p); ++p, ++digits) {
        if (*p != '0') significant = true;
        if (significant) ++magnitude;
    }
    if (*p == '.') {
        ++p;
        for (; c_digit(*p); ++p, ++digits) {
            if (significant) continue;
            if (*p != '0')
                significant = true;
            else
                --magnitude;
        }
    }
    if (digits == 0) return 0.0;
    if (*p == 'e' || *p == 'E') {
        const char *q = p + 1;
        bool exp_negative = false;
        if (*q == '-' || *q == '+') exp_negative = *q++ == '-';
        if (c_digit(*q)) {
            long exponent = 0;
            for (; c_digit(*q); ++q)
                if (exponent < 100000) exponent = exponent * 10 + (*q - '0');
            magnitude += exp_negative ? -exponent : exponent;
            p = q;
        }
    }
    double value = 0.0;
    auto [ptr, ec] = std::from_chars(first, p, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range)
        value = magnitude > 0 ? HUGE_VAL : 0.0;
    else if (ec != std::errc() || ptr != p)
        return 0.0;  // cannot happen for the grammar above
    if (end) *end = p;
    return negative ? -value : value;
}

bool float_to_string(mstring_t &out, float f) {
    return out.printf("&%08x", std::bit_cast<uint32_t>(f));
}

bool string_to_float(float &out, const string &text) {
    const char *s = text.c_str();
    if (s[0] == '&' || s[0] == '$') {
        const char *end;
        uint32_t bits = v_strtoul(s + 1, &end, 16);
        // A form without digits ("&" alone) is no number.
        if (end == s + 1 || *end) return false;
        if (s[0] == '$') bits = __builtin_bswap32(bits);
        out = std::bit_cast<float>(bits);
        return true;
    }
    const char *end;
    double value = v_strtod(s, &end);
    if (end == s) return false;
    // 'F' too: the unit reader's grammar allows either case and hands the token here.
    if (*end == 'f' || *end == 'F') ++end;
    if (*end) return false;
    out = float(value);
    return true;
}

}  // namespace quarn

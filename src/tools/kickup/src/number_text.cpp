#include "number_text.h"

namespace quarn::kickup {

namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

int digit_value(char c, int base) {
    int d = 99;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    return d < base ? d : -1;
}

// Skips blanks and a sign; the position of the first digit.
size_t skip_sign(std::string_view text, bool *negative) {
    size_t i = 0;
    while (i < text.size() && is_space(text[i])) ++i;
    *negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) *negative = text[i++] == '-';
    return i;
}

// Digits from i on, into a value capped above 2^32; false when there is none.
bool digits(std::string_view text, size_t &i, int base, uint64_t *value) {
    const size_t start = i;
    uint64_t v = 0;
    for (int d; i < text.size() && (d = digit_value(text[i], base)) >= 0; ++i) {
        v = v * uint64_t(base) + uint64_t(d);
        if (v > 0xFFFFFFFFull) v = 0x100000000ull;  // stays "too large" whatever follows
    }
    *value = v;
    return i > start;
}

}  // namespace

bool read_unsigned_prefix(std::string_view text, int base, uint32_t *value, size_t *used) {
    bool negative = false;
    size_t i = skip_sign(text, &negative);
    // "0x" belongs to the number only when a hexadecimal digit follows it; otherwise
    // the "0" alone is read.
    if (base == 16 && i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        digit_value(text[i + 2], 16) >= 0)
        i += 2;
    uint64_t v = 0;
    if (!digits(text, i, base, &v)) return false;
    if (v > 0xFFFFFFFFull) *value = 0xFFFFFFFFu;
    else *value = negative ? uint32_t(0u - uint32_t(v)) : uint32_t(v);
    if (used) *used = i;
    return true;
}

bool read_signed_prefix(std::string_view text, int32_t *value, size_t *used) {
    bool negative = false;
    size_t i = skip_sign(text, &negative);
    uint64_t v = 0;
    if (!digits(text, i, 10, &v)) return false;
    if (negative) *value = v >= 0x80000000ull ? INT32_MIN : -int32_t(v);
    else *value = v > 0x7FFFFFFFull ? INT32_MAX : int32_t(v);
    if (used) *used = i;
    return true;
}

int32_t read_int_or_zero(std::string_view text) {
    int32_t v = 0;
    return read_signed_prefix(text, &v) ? v : 0;
}

}  // namespace quarn::kickup

#include "qrncore/strings/name_token.h"

namespace quarn {

namespace {

constexpr char ALPHABET[] = "0123456789abcdefghijklmnopqrstuvwxyz_";
constexpr uint32_t BASE = NAME_TOKEN_BASE;
constexpr int MAX_CHARS = int(NAME_TOKEN_MAX_CHARS);

// Digit value 1-37 of a character, 0 for a character outside the alphabet.
constexpr uint32_t digit_of(unsigned char c) { return NAME_TOKEN_DIGITS.of[c]; }

bool pack(const char *s, uint32_t n, uint64_t *value) {
    if (n > uint32_t(MAX_CHARS)) return false;
    uint64_t v = 0, scale = 1;
    for (uint32_t i = 0; i < n; ++i) {
        uint32_t d = digit_of((unsigned char)s[i]);
        if (d == 0) return false;
        v += d * scale;
        scale *= BASE;
    }
    *value = v;
    return true;
}

}  // namespace

bool string_to_token(uint64_t &out, const string &text) {
    const size_t n = text.length();
    return n <= size_t(MAX_CHARS) && span_to_token(out, text.c_str(), uint32_t(n));
}

bool span_to_token(uint64_t &out, const char *text, uint32_t length) {
    uint64_t v;
    if (!pack(text, length, &v)) return false;
    out = v;
    return true;
}

bool is_valid_token(const string &text) {
    uint64_t v;
    const size_t n = text.length();
    return n <= size_t(MAX_CHARS) && pack(text.c_str(), uint32_t(n), &v);
}

bool token_to_string(mstring_t &out, uint64_t token) {
    token &= ~(uint64_t(1) << 63);
    char text[MAX_CHARS + 2];
    int n = 0;
    for (; n < MAX_CHARS + 1; ++n) {
        uint32_t d = uint32_t(token % BASE);
        if (d == 0) break;
        text[n] = ALPHABET[d - 1];
        token /= BASE;
    }
    text[n] = 0;
    return out.copy(text);
}

}  // namespace quarn

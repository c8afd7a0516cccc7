#include "qrncore/strings/name_token.h"

namespace quarn {

namespace {

constexpr char ALPHABET[] = "0123456789abcdefghijklmnopqrstuvwxyz_";
constexpr uint32_t BASE = 38;
constexpr int MAX_CHARS = 12;

// Digit value 1-37 of a character, 0 for a character outside the alphabet.
constexpr uint32_t digit_of(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0' + 1;
    if (c >= 'a' && c <= 'z') return c - 'a' + 11;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 11;
    if (c == '_') return 37;
    return 0;
}

bool pack(const char *s, uint64_t *value) {
    uint64_t v = 0, scale = 1;
    for (int i = 0; s[i]; ++i) {
        uint32_t d = digit_of((unsigned char)s[i]);
        if (i >= MAX_CHARS || d == 0) return false;
        v += d * scale;
        scale *= BASE;
    }
    *value = v;
    return true;
}

}  // namespace

bool string_to_token(uint64_t &out, const string &text) {
    uint64_t v;
    if (!pack(text.c_str(), &v)) return false;
    out = v;
    return true;
}

bool is_valid_token(const string &text) {
    uint64_t v;
    return pack(text.c_str(), &v);
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

#include "qrncore/strings/quoted_word.h"

namespace quarn {

namespace {

bool escapable(char c) { return c == '"' || c == '\\'; }

}  // namespace

const char *quoted_word_end(const char *open, const char *end) {
    const char *p = open + 1;
    while (p < end && *p != '"') p += (*p == '\\' && p + 1 < end && escapable(p[1])) ? 2 : 1;
    return p < end ? p : end;
}

uint32_t quoted_word_unescape(char *text, uint32_t len) {
    uint32_t out = 0;
    for (uint32_t i = 0; i < len; ++i) {
        if (text[i] == '\\' && i + 1 < len && escapable(text[i + 1])) ++i;
        text[out++] = text[i];
    }
    return out;
}

uint32_t quoted_comment_start(const char *line, uint32_t len) {
    bool word_start = true;
    for (uint32_t i = 0; i < len;) {
        const char c = line[i];
        if (c == '#') return i;
        if (c == '"' && word_start) {
            const char *close = quoted_word_end(line + i, line + len);
            if (close == line + len) return len;
            i = uint32_t(close - line) + 1;
            continue;  // a new word begins right after the closing quote
        }
        word_start = c == ' ';
        ++i;
    }
    return len;
}

bool quoted_word_append(mstring_t &out, const string &text) {
    bool ok = out.append('"');
    for (const char *p = text.c_str(); *p; ++p) {
        if (escapable(*p)) ok = out.append('\\') && ok;
        ok = out.append(*p) && ok;
    }
    return out.append('"') && ok;
}

}  // namespace quarn

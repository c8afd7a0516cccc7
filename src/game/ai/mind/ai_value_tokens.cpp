#include "game/ai/mind/ai_value_tokens.h"

#include <cmath>

#include "qrncore/strings/number_text.h"

namespace quarn {

namespace {

bool is_token_char(char c) {
    return c == '-' || c == '.' || c == '_' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
           (c >= 'A' && c <= 'Z');
}

}  // namespace

int ai_value_tokens_t::next() {
    uint32_t length = 0;
    m_token[0] = 0;
    for (;;) {
        const char c = *m_at;
        if (c == 0) return END;
        ++m_at;
        if (c == ':') return FIELD;
        if (c == ',') return ITEM;
        if (!is_token_char(c)) continue;
        if (length == MAX_TOKEN) return TOO_LONG;
        m_token[length++] = c;
        m_token[length] = 0;
    }
}

int32_t ai_value_tokens_t::count_items(const char *text) {
    ai_value_tokens_t tokens(text);
    int32_t items = 0;
    bool any = false;
    for (;;) {
        const int r = tokens.next();
        if (r == TOO_LONG) return -1;
        if (tokens.get_token()[0]) any = true;
        if (r == ITEM) {
            ++items;
            any = false;
        } else if (r == END) {
            // A trailing item counts when it holds anything; "a," is one item.
            return items + (any ? 1 : 0);
        } else {
            any = true;
        }
    }
}

bool ai_token_real(const char *token, float &out) {
    if (!token || !*token) return false;
    const char *end = token;
    const double v = v_strtod(token, &end);
    if (end == token || *end != 0) return false;
    const float f = float(v);
    if (!std::isfinite(f)) return false;
    out = f;
    return true;
}

bool ai_token_int(const char *token, int32_t &out) {
    if (!token || !*token) return false;
    const char *end = token;
    const int32_t v = v_strtol(token, &end, 10);
    if (end == token || *end != 0) return false;
    out = v;
    return true;
}

}  // namespace quarn

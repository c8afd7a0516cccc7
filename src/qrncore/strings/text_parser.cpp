#include "qrncore/strings/text_parser.h"

#include <cstring>

#include "qrncore/strings/number_text.h"
#include "qrncore/strings/quoted_word.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

const char EMPTY_TEXT[] = "";

bool is_white(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
// isspace of the "C" locale: the delimiter of unquoted string values.
bool is_c_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

constexpr uint32_t NUMBER_TOKEN = 16;
constexpr uint32_t VECTOR_TOKEN = 64;
constexpr uint32_t BLOCK_TOKEN = 1024;

}  // namespace

text_parser_t::text_parser_t() { set_buffer(EMPTY_TEXT, 0); }

text_parser_t::text_parser_t(const char *data, uint32_t len) { set_buffer(data, len); }

void text_parser_t::set_buffer(const char *data, uint32_t len) {
    m_length = len;
    m_start = m_cur = m_undo = data;
    m_end = data + len;
    m_line = m_undo_line = 0;
}

void text_parser_t::reset() {
    m_cur = m_undo = m_start;
    m_line = m_undo_line = 0;
}

void text_parser_t::undo_read() {
    m_cur = m_undo;
    m_line = m_undo_line;
}

int text_parser_t::read_char() {
    save();
    if (m_cur >= m_end) return -1;
    return (unsigned char)*m_cur++;
}

void text_parser_t::skip_spaces() {
    save();
    while (m_cur < m_end && (*m_cur == ' ' || *m_cur == '\t')) ++m_cur;
}

void text_parser_t::skip_line() {
    save();
    while (m_cur < m_end && *m_cur != '\n') ++m_cur;
}

void text_parser_t::skip_whitespace() {
    save();
    whitespace();
}

void text_parser_t::whitespace() {
    while (m_cur < m_end) {
        char c = *m_cur;
        if (c == '#') {
            while (m_cur < m_end && *m_cur != '\n') ++m_cur;
        } else if (is_white(c)) {
            if (c == '\n') ++m_line;
            ++m_cur;
        } else {
            break;
        }
    }
}

uint32_t text_parser_t::token(char *buf, uint32_t max) {
    whitespace();
    uint32_t n = 0;
    while (m_cur < m_end && n < max && !is_white(*m_cur) && *m_cur != '#') buf[n++] = *m_cur++;
    buf[n] = 0;
    whitespace();
    return n;
}

uint32_t text_parser_t::read_token(char *buf, uint32_t max) {
    save();
    return token(buf, max);
}

uint32_t text_parser_t::read_one_line(char *buf, uint32_t max) {
    save();
    uint32_t n = 0;
    // The rest of a line longer than max is consumed with it: it is never a line of
    // its own.
    for (; m_cur < m_end && *m_cur != '\n'; ++m_cur)
        if (n < max) buf[n++] = *m_cur;
    buf[n] = 0;
    if (m_cur < m_end) {
        ++m_cur;
        ++m_line;
    }
    return n;
}

uint32_t text_parser_t::read_line(char *buf, uint32_t max) {
    save();
    while (m_cur < m_end) {
        while (m_cur < m_end && (*m_cur == ' ' || *m_cur == '\t')) ++m_cur;
        uint32_t n = 0;
        // A line longer than max is cut and its rest consumed, as in read_one_line.
        for (; m_cur < m_end && *m_cur != '\n'; ++m_cur)
            if (n < max) buf[n++] = *m_cur;
        n = quoted_comment_start(buf, n);
        while (n && (buf[n - 1] == ' ' || buf[n - 1] == '\t' || buf[n - 1] == '\r')) --n;
        buf[n] = 0;
        for (; m_cur < m_end && (*m_cur == '\r' || *m_cur == '\n'); ++m_cur)
            if (*m_cur == '\n') ++m_line;
        if (n) return n;
    }
    buf[0] = 0;
    return 0;
}

int text_parser_t::read_int(int32_t *values, int count, int base) {
    save();
    if (count <= 0) return 0;
    char buf[NUMBER_TOKEN + 1];
    for (int i = 0; i < count; ++i) {
        if (!token(buf, NUMBER_TOKEN)) return -1;
        const char *end;
        int32_t v = v_strtol(buf, &end, base);
        if (end == buf || *end) return -1;
        values[i] = v;
    }
    return count;
}

int text_parser_t::read_float(float *values, int count) {
    save();
    if (count <= 0) return count;
    char buf[NUMBER_TOKEN + 1];
    for (int i = 0; i < count; ++i) {
        if (!token(buf, NUMBER_TOKEN)) return -1;
        const char *end;
        double v = v_strtod(buf, &end);
        if (end == buf || *end) return -1;
        values[i] = float(v);
    }
    return count;
}

int text_parser_t::read_vector(float *values, int min, int max) {
    save();
    char buf[VECTOR_TOKEN + 1];
    if (!token(buf, VECTOR_TOKEN) || strcmp(buf, "<") != 0) return -1;
    int n = 0;
    for (;;) {
        if (!token(buf, VECTOR_TOKEN)) return -1;
        if (strcmp(buf, ">") == 0) return n < min ? -1 : n;
        const char *end;
        double v = v_strtod(buf, &end);
        if (end == buf || *end || n >= max) return -1;
        values[n++] = float(v);
    }
}

int text_parser_t::read_string(char *buf, uint32_t len, char quote) {
    V_ASSERT(buf && len > 0);
    save();
    bool blank_delimited = true;
    char delimiter = 0;
    if (quote == 0) {
        whitespace();
        if (m_cur < m_end && (*m_cur == '\'' || *m_cur == '"')) {
            blank_delimited = false;
            delimiter = *m_cur++;
        }
    } else if (quote == ' ') {
        if (m_cur < m_end && is_white(*m_cur)) {
            whitespace();
            buf[0] = 0;
            return 0;
        }
    } else {
        blank_delimited = false;
        delimiter = quote;
    }
    buf[0] = 0;
    if (m_cur >= m_end) return -1;

    const bool escapes = blank_delimited || delimiter == '"';
    uint32_t n = 0;
    bool truncated = false;
    for (;;) {
        if (m_cur >= m_end) {
            // The end of the text delimits a blank-delimited value, so the last word
            // of a text is read.
            if (blank_delimited) break;
            buf[n] = 0;
            return -1;
        }
        char c = *m_cur;
        if (blank_delimited ? is_c_space(c) : c == delimiter) {
            if (c == '\n') ++m_line;
            ++m_cur;
            break;
        }
        if (escapes && c == '\\') {
            if (++m_cur >= m_end) continue;
            c = *m_cur;
        }
        if (c == '\n') ++m_line;
        ++m_cur;
        // The value is cut to len - 1 bytes and terminated, and the result len reports
        // the cut: a value without its terminator would be read past.
        if (n + 1 < len)
            buf[n++] = c;
        else
            truncated = true;
    }
    buf[n] = 0;
    whitespace();
    return truncated ? int(len) : int(n);
}

bool text_parser_t::block() {
    char buf[BLOCK_TOKEN + 1];
    int depth = 1;
    for (;;) {
        if (!token(buf, BLOCK_TOKEN)) return false;
        if (strcmp(buf, "{") == 0)
            ++depth;
        else if (strcmp(buf, "}") == 0 && --depth == 0)
            return true;
    }
}

bool text_parser_t::skip_block() {
    save();
    return block();
}

uint32_t text_parser_t::measure_block() {
    const char *cur = m_cur, *undo = m_undo;
    int32_t line = m_line, undo_line = m_undo_line;
    uint32_t n = block() ? uint32_t(m_cur - cur) : 0;
    m_cur = cur;
    m_line = line;
    m_undo = undo;
    m_undo_line = undo_line;
    return n;
}

}  // namespace quarn

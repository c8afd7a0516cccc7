#include "qrncore/units/unit_scanner.h"

#include <strings.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <new>

#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/strings/name_token.h"
#include "qrncore/strings/number_text.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// Character classes, one table lookup each: the scanner asks them of every byte.
enum : uint8_t { C_LETTER = 1, C_DIGIT = 2, C_HEX = 4, C_WORD = 8, C_NAME = 16, C_BLANK = 32 };

struct char_classes_t {
    uint8_t of[256] = {};
    constexpr char_classes_t() {
        for (int c = 0; c < 256; ++c) {
            const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
            const bool digit = c >= '0' && c <= '9';
            const bool hex = digit || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
            const bool word = letter || digit || c == '_';
            of[c] = uint8_t((letter ? C_LETTER : 0) | (digit ? C_DIGIT : 0) | (hex ? C_HEX : 0) |
                            (word ? C_WORD : 0) | (word || c == '.' ? C_NAME : 0) |
                            (c == ' ' || c == '\t' || c == '\r' ? C_BLANK : 0));
        }
    }
};
constexpr char_classes_t CHARS;

// Values of hexadecimal digits, 0xFF for other bytes.
struct hex_values_t {
    uint8_t of[256] = {};
    constexpr hex_values_t() {
        for (int c = 0; c < 256; ++c) of[c] = 0xFF;
        for (int c = 0; c < 10; ++c) of['0' + c] = uint8_t(c);
        for (int c = 0; c < 6; ++c) of['a' + c] = of['A' + c] = uint8_t(10 + c);
    }
};
constexpr hex_values_t HEX_VALUES;

inline bool has(char c, uint8_t cls) { return CHARS.of[static_cast<unsigned char>(c)] & cls; }
inline bool is_letter(char c) { return has(c, C_LETTER); }
inline bool is_digit(char c) { return has(c, C_DIGIT); }
inline bool is_hex(char c) { return has(c, C_HEX); }
inline bool is_word(char c) { return has(c, C_WORD); }
inline bool is_name(char c) { return has(c, C_NAME); }
inline bool is_blank(char c) { return has(c, C_BLANK); }
int hex_value(char c) { return is_digit(c) ? c - '0' : (c | 0x20) - 'a' + 10; }

// A keyword of the text at p in any letter case, not followed by a word character.
bool keyword_at(const char *p, const char *word) {
    size_t n = strlen(word);
    for (size_t i = 0; i < n; ++i)
        if ((p[i] | 0x20) != word[i]) return false;
    return !is_word(p[n]) && p[n] != '.';
}

// Digits of a base into a 64-bit magnitude; false on overflow or when none is there.
bool read_magnitude(const char *&p, int base, uint64_t &out) {
    uint64_t v = 0;
    const char *start = p;
    for (; base == 16 ? is_hex(*p) : is_digit(*p); ++p) {
        // The overflow flags of the multiplication and the addition, not a division
        // for every digit.
        if (__builtin_mul_overflow(v, uint64_t(base), &v) || __builtin_add_overflow(v, uint64_t(hex_value(*p)), &v)) {
            while (is_hex(*p)) ++p;
            return false;
        }
    }
    out = v;
    return p != start;
}

// The bytes [start, end) into out, sized once.
void assign(mstring_dyn_t &out, const char *start, const char *end) {
    const uint32_t n = uint32_t(end - start);
    if (!out.request_capacity(n + 1)) {
        out.copy(string(start), 0, 0, n);  // cut short, as far as it goes
        return;
    }
    memcpy(out.data(), start, n);
    out.data()[n] = 0;
}

void free_text(char *text) {
    if (text) qrncore_system_delete_vector(text);
}

}  // namespace

unit_scanner_t::unit_scanner_t(unit_file_opener_t &opener, uint32_t realm) : m_opener(opener), m_realm(realm) {}

unit_scanner_t::~unit_scanner_t() { reset(); }

void unit_scanner_t::start(const char *path, char *text, uint64_t size) {
    reset();
    m_top_path.copy(path);
    void *memory = qrncore_system_new(sizeof(source_t));
    if (!memory) {
        free_text(text);
        return;
    }
    m_source = new (memory) source_t;
    m_source->path.copy(path);
    m_source->text = text;
    m_source->pos = text;
    m_source->end = text + size;
    m_depth = 1;
}

void unit_scanner_t::reset() {
    while (m_source) pop();
    free_retired();
    m_finished = false;
}

void unit_scanner_t::pop() {
    source_t *s = m_source;
    m_source = s->parent;
    s->retired = m_retired;
    m_retired = s;
    --m_depth;
}

void unit_scanner_t::free_retired() {
    while (source_t *s = m_retired) {
        m_retired = s->retired;
        free_text(s->text);
        s->~source_t();
        qrncore_system_delete(s);
    }
}

const uint8_t unit_scanner_t::SKIP_CLASS[256] = {
    1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0, 0,  // zero, tab, line feed, carriage return
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  //
    1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1,  // space, '#', '/'
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  //
    1,                                               // '@'
};

const char *&unit_scanner_t::pos() { return m_source->pos; }

uint64_t unit_scanner_t::bytes_left() const { return m_source ? uint64_t(m_source->end - m_source->pos) : 0; }

bool unit_scanner_t::report_location() const {
    if (m_hook && !m_hook(m_hook_context)) return false;
    report_location_at(location());
    return true;
}

void unit_scanner_t::report_location_at(const location_t &where) const {
    const source_t *s = static_cast<const source_t *>(where.source);
    if (!s) {
        error("[unit] File '%s':", m_top_path.c_str());
        return;
    }
    error("[unit] File '%s', line %u:", s->path.c_str(), where.line);
    for (; s->parent; s = s->parent) error("Included at '%s', line %u:", s->parent->path.c_str(), s->directive_line);
}

void unit_scanner_t::report_expecting(const char *word) const {
    if (!report_location()) return;
    char found[48] = "";
    if (m_source && m_source->pos < m_source->end) {
        const char *p = m_source->pos;
        size_t n = 0;
        // The offending token: a run of word-like characters, or one other character.
        auto token_char = [](char c) { return is_name(c) || c == '+' || c == '-' || c == '&' || c == '$' || c == '@'; };
        if (token_char(*p)) {
            while (p + n < m_source->end && token_char(p[n]) && n < sizeof(found) - 1) ++n;
        } else {
            n = 1;
        }
        memcpy(found, p, n);
        found[n] = 0;
        // A line end shows as nothing; other control bytes (a zero byte would end the
        // message early) as their escape.
        if (n == 1 && (found[0] == '\n' || found[0] == '\r')) found[0] = 0;
        else if (n == 1 && static_cast<unsigned char>(found[0]) < ' ')
            snprintf(found, sizeof(found), "\\x%02x", static_cast<unsigned char>(*p));
    }
    error("Expecting %s, found '%s'", word, found);
}

// A character that skip has to look at: a blank, a line end, the start of a comment
// or of an include line.
static inline bool skip_start(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '#' || c == '/' || c == '@';
}

bool unit_scanner_t::skip_slow() {
    {
        // Blanks and line ends, up to a token: most calls find nothing else, and they
        // need not ask at every character whether an include line starts there. A
        // comment, an '@' or the end of the text go to the loop below, from where
        // this one stopped (the line count kept).
        // The text's closing zero byte ends the run, so no bound is tested.
        source_t *s = m_source;
        const char *p = s->pos;
        for (;; ++p) {
            if (*p == '\n')
                ++s->line;
            else if (!is_blank(*p))
                break;
        }
        s->pos = p;
        if (!SKIP_CLASS[static_cast<unsigned char>(*p)]) return true;
        if (p < s->end && !skip_start(*p)) return true;
    }
    for (;;) {
        source_t *s = m_source;
        const char *p = s->pos;
        for (;;) {
            if ((p == s->text || p[-1] == '\n') && *p == '@' && s->end - p >= 8 && memcmp(p, "@include", 8) == 0 &&
                !is_word(p[8])) {
                s->pos = p;
                if (!include_line(p)) return false;
                break;
            }
            const char c = *p;
            if (c == ' ' || c == '\t' || c == '\r') {
                ++p;
                while (*p == ' ' || *p == '\t' || *p == '\r') ++p;
            } else if (c == '\n') {
                ++p;
                ++s->line;
            } else if (c == '#' || (c == '/' && p[1] == '/')) {
                while (p < s->end && *p != '\n') ++p;
            } else if (c == '/' && p[1] == '*') {
                p += 2;
                while (p < s->end && !(p[0] == '*' && p[1] == '/')) {
                    if (*p == '\n') ++s->line;
                    ++p;
                }
                if (p < s->end) p += 2;
            } else {
                s->pos = p;
                if (p < s->end) return true;
                if (!s->parent) {
                    m_finished = true;
                    return true;
                }
                pop();  // the end of an included file: on in the including one
                break;
            }
        }
    }
}

// An include line at p (column 0): '@include', blanks, a quoted name, blanks, the line
// end. A malformed line fails the load: reading on would load part of the file.
bool unit_scanner_t::include_line(const char *&p) {
    source_t *s = m_source;
    const char *q = p + 8;
    bool blank = false;
    while (is_blank(*q)) ++q, blank = true;
    auto refuse = [&](const char *at) {
        s->pos = at;
        report_expecting("include file name");
        return false;
    };
    if (!blank || *q != '"') return refuse(q);
    const char *name = ++q;
    while (q < s->end && *q != '"' && *q != '\n') ++q;
    if (q >= s->end || *q != '"' || q == name) return refuse(q);
    const char *name_end = q++;
    while (is_blank(*q)) ++q;
    if (q >= s->end || *q != '\n') return refuse(q);
    mstring_dyn_t file_name;
    if (!file_name.copy(string(name), 0, 0, uint32_t(name_end - name))) return refuse(name);
    return push(file_name.c_str(), q + 1);
}

bool unit_scanner_t::push(const char *name, const char *after) {
    source_t *s = m_source;
    mstring_dyn_t path;
    if (name[0] == '/') {
        if (m_realm != 1) {
            if (report_location()) error("Could not include a file, absolute paths are forbidden: '%s'.", name);
            return false;
        }
        path.copy(name);
    } else {
        const char *slash = strrchr(s->path.c_str(), '/');
        if (slash) path.copy(s->path, 0, 0, uint32_t(slash - s->path.c_str() + 1));
        path.append(name);
    }
    if (m_depth >= MAX_INCLUDE_DEPTH) {
        if (report_location())
            error("[unit] Includes nest deeper than %u files at '%s'.", MAX_INCLUDE_DEPTH, path.c_str());
        return false;
    }
    for (const source_t *o = s; o; o = o->parent) {
        if (strcmp(o->path.c_str(), path.c_str()) == 0) {
            if (report_location()) error("[unit] The file '%s' includes itself.", path.c_str());
            return false;
        }
    }
    file_t *file = m_opener.open(path.c_str(), m_realm);
    if (!file) {
        if (report_location()) error("Failed to open the file '%s'.", path.c_str());
        return false;
    }
    const uint64_t size = file->size();
    char *text = nullptr;
    bool ok = false;
    if (size >= (uint64_t(1) << 32)) {
        if (report_location())
            error("[unit] Error while reading units from file '%s'. (Size %" PRIu64 " too big!)", path.c_str(), size);
    } else if (!(text = static_cast<char *>(qrncore_system_new_vector(size_t(size) + TEXT_PADDING))) ||
               (size && !file->read(text, uint32_t(size)))) {
        if (report_location()) error("[unit] Error while reading units from file '%s'.", path.c_str());
    } else {
        ok = true;
    }
    m_opener.close(file);
    void *memory = ok ? qrncore_system_new(sizeof(source_t)) : nullptr;
    if (!memory) {
        if (ok) {
            if (report_location()) error("[unit] Error while reading units from file '%s'.", path.c_str());
        }
        free_text(text);
        return false;
    }
    memset(text + size, 0, TEXT_PADDING);
    // The include's line end belongs to the including file.
    s->pos = after;
    auto *n = new (memory) source_t;
    n->path = std::move(path);
    n->text = text;
    n->pos = text;
    n->end = text + size;
    n->directive_line = s->line++;
    n->parent = s;
    m_source = n;
    ++m_depth;
    return true;
}

bool unit_scanner_t::token_ahead() {
    if (!m_finished) return true;
    if (report_location()) error("Unexpected end of file.");
    return false;
}

bool unit_scanner_t::magic() {
    const char *&p = pos();
    if (m_source->end - p < 8 || strncasecmp(p, "RozErere", 8) != 0) {
        report_expecting("file magic value");
        return false;
    }
    p += 8;
    return true;
}

bool unit_scanner_t::expect(char c, const char *word) {
    if (!skip() || !token_ahead()) return false;
    if (*pos() != c) {
        report_expecting(word);
        return false;
    }
    ++pos();
    return true;
}

int unit_scanner_t::identifier_or_close(const char *&start, uint32_t &length, const char *word) {
    if (!skip() || !token_ahead()) return -1;
    const char *&p = pos();
    if (*p == '}') {
        ++p;
        return 0;
    }
    if (!is_letter(*p)) {
        report_expecting(word);
        return -1;
    }
    start = p;
    while (is_word(*p)) ++p;
    length = uint32_t(p - start);
    return 1;
}

unit_scanner_t::word_key_t unit_scanner_t::expect_word(const char *word, bool colon) {
    word_key_t key;
    key.colon = colon;
    const size_t n = strlen(word);
    if (n == 0 || n > UINT32_MAX || !is_letter(word[0])) return key;
    for (size_t i = 0; i < n; ++i)
        if (!is_word(word[i])) return key;
    for (size_t i = 0; i < n && i < 8; ++i) {
        key.head |= uint64_t(static_cast<unsigned char>(word[i])) << (8 * i);
        key.mask |= uint64_t(0xFF) << (8 * i);
    }
    key.word = word;
    key.length = uint32_t(n);
    return key;
}

int unit_scanner_t::unit_name(const char *&start, uint32_t &length, uint64_t dot_token, unit_name_tokens_t &out) {
    if (!skip() || !token_ahead()) return -1;
    const char *&p = pos();
    const char *q = p;
    const bool quoted = *q == '"';
    if (quoted) ++q;
    start = q;
    // The bytes of a name are exactly the token characters and dots: one pass finds
    // its end and packs its tokens (unit_name_t::append_tokens's rule), reading on to
    // the end of a name whose form is refused.
    uint32_t count = 0;
    bool formed = true;
    if (*q == '.') out.token[count++] = dot_token;
    for (;;) {
        uint64_t digit = NAME_TOKEN_DIGITS.of[static_cast<unsigned char>(*q)];
        if (digit) {
            const char *first = q;
            uint64_t token = digit, scale = NAME_TOKEN_BASE;
            while ((digit = NAME_TOKEN_DIGITS.of[static_cast<unsigned char>(*++q)]) != 0) {
                token += digit * scale;
                scale *= NAME_TOKEN_BASE;
            }
            if (uint32_t(q - first) > NAME_TOKEN_MAX_CHARS || count == unit_name_tokens_t::MAX_TOKENS)
                formed = false;
            else
                out.token[count++] = token;
        } else if (*q == '.') {
            ++q;
        } else {
            break;
        }
    }
    if (q == start || (quoted && *q != '"')) {
        report_expecting("unit name");
        return -1;
    }
    out.count = count;
    length = uint32_t(q - start);
    p = quoted ? q + 1 : q;
    return formed && count ? 1 : 0;
}

bool unit_scanner_t::string_value(mstring_dyn_t &out) {
    if (!skip() || !token_ahead()) return false;
    source_t *s = m_source;
    const char *p = s->pos;
    if (*p != '"') {
        const char *start = p;
        while (is_name(*p)) ++p;
        if (p == start) {
            report_expecting("string value");
            return false;
        }
        assign(out, start, p);
        s->pos = p;
        return true;
    }
    // Find the closing quote first, so the text is sized once.
    const char *q = p + 1;
    while (q < s->end && *q != '"') q += (*q == '\\' && q + 1 < s->end) ? 2 : 1;
    if (q >= s->end || q - p > INT32_MAX) {
        report_expecting("string literal");
        return false;
    }
    if (!out.request_capacity(uint32_t(q - p))) {
        report_expecting("string literal");
        return false;
    }
    char *w = out.data();
    uint32_t lines = 0;
    for (const char *r = p + 1; r < q; ++r) {
        char c = *r;
        if (c == '\n') ++lines;
        if (c == 0) {  // a zero byte cannot stand in a text
            s->pos = r;
            out.copy(string::EMPTY);
            report_expecting("string literal");
            return false;
        }
        if (c != '\\') {
            *w++ = c;
            continue;
        }
        const char e = *++r;
        if (e == 'n') *w++ = '\n';
        else if (e == 'r') *w++ = '\r';
        else if (e == '"') *w++ = '"';
        else if (e == '\\') *w++ = '\\';
        else if ((e == 'x' || e == 'X') && r + 2 < q && is_hex(r[1]) && is_hex(r[2]) && (r[1] != '0' || r[2] != '0')) {
            *w++ = char(hex_value(r[1]) * 16 + hex_value(r[2]));
            r += 2;
        } else {
            s->pos = r - 1;
            out.copy(string::EMPTY);
            report_expecting("string literal");
            return false;
        }
    }
    *w = 0;
    s->line += lines;
    s->pos = q + 1;
    return true;
}

bool unit_scanner_t::integer(int64_t &out) {
    if (!skip() || !token_ahead()) return false;
    const char *p = pos();
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    const bool hex = p[0] == '0' && (p[1] | 0x20) == 'x' && is_hex(p[2]);
    if (hex) p += 2;
    if (!(hex ? is_hex(*p) : is_digit(*p))) {
        report_expecting("integral value");
        return false;
    }
    uint64_t magnitude = 0;
    const bool fits = read_magnitude(p, hex ? 16 : 10, magnitude);
    if (is_name(*p)) {
        report_expecting("integral value");
        return false;
    }
    if (!fits || magnitude > (negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX))) {
        report_expecting("integer number");
        return false;
    }
    out = negative ? int64_t(0 - magnitude) : int64_t(magnitude);
    pos() = p;
    return true;
}

bool unit_scanner_t::unsigned_value(uint64_t &out) {
    if (!skip() || !token_ahead()) return false;
    const char *p = pos();
    if (keyword_at(p, "nil")) {
        out = UINT64_MAX;
        pos() = p + 3;
        return true;
    }
    bool hex = false;
    if (*p == '+') {
        ++p;
    } else if (p[0] == '0' && (p[1] | 0x20) == 'x' && is_hex(p[2])) {
        hex = true;
        p += 2;
    }
    if (!is_digit(*p) && !(hex && is_hex(*p))) {
        report_expecting("unsigned value");
        return false;
    }
    uint64_t v = 0;
    const bool fits = read_magnitude(p, hex ? 16 : 10, v);
    if (is_name(*p)) {
        report_expecting("unsigned value");
        return false;
    }
    if (!fits) {
        report_expecting("positive integer number");
        return false;
    }
    out = v;
    pos() = p;
    return true;
}

bool unit_scanner_t::boolean(bool &out) {
    if (!skip() || !token_ahead()) return false;
    const char *&p = pos();
    static const struct {
        const char *word;
        bool value;
    } words[] = {{"true", true}, {"yes", true}, {"1", true}, {"false", false}, {"no", false}, {"0", false}};
    for (const auto &w : words) {
        if (keyword_at(p, w.word)) {
            out = w.value;
            p += strlen(w.word);
            return true;
        }
    }
    report_expecting("Boolean value");
    return false;
}

namespace {

// A real token at p: sign, digits, fraction, exponent and an 'f' after a fraction; or
// '&' and eight hexadecimal digits. The token must end there. False (p unchanged)
// when there is none or it does not convert.
bool read_real(const char *&p, float &out) {
    const char *q = p;
    if (*q == '&') {
        // The writer's form for fractions: the bits themselves, taken here directly.
        uint32_t bits = 0;
        for (int i = 1; i <= 8; ++i) {
            const uint8_t v = HEX_VALUES.of[static_cast<unsigned char>(q[i])];
            if (v > 15) return false;
            bits = bits << 4 | v;
        }
        q += 9;
        if (is_name(*q) || *q == '&' || *q == '$') return false;
        memcpy(&out, &bits, sizeof(out));
        p = q;
        return true;
    }
    const bool negative = *q == '-';
    if (*q == '+' || *q == '-') ++q;
    bool digits = false, fraction = false, exponent = false;
    uint32_t whole = 0, count = 0;
    while (is_digit(*q)) {
        whole = whole * 10 + uint32_t(*q++ - '0');
        ++count;
        digits = true;
    }
    if (*q == '.') {
        ++q;
        fraction = true;
        while (is_digit(*q)) ++q, digits = true;
    }
    if (!digits) return false;
    if ((*q | 0x20) == 'e') {
        const char *e = q + 1;
        if (*e == '+' || *e == '-') ++e;
        if (is_digit(*e)) {
            while (is_digit(*e)) ++e;
            q = e;
            exponent = true;
        }
    }
    if (fraction && !exponent && (*q | 0x20) == 'f') ++q;
    if (is_name(*q) || *q == '&' || *q == '$') return false;
    if (!fraction && !exponent && count <= 7) {
        // A plain integer below 2^24 is a float exactly: the writer's form for them.
        out = negative ? -float(whole) : float(whole);
        p = q;
        return true;
    }
    char token[64];
    if (size_t(q - p) >= sizeof(token)) return false;
    memcpy(token, p, size_t(q - p));
    token[q - p] = 0;
    if (!string_to_float(out, token)) return false;
    p = q;
    return true;
}

}  // namespace

bool unit_scanner_t::real(float &out) {
    if (!skip() || !token_ahead()) return false;
    if (!read_real(pos(), out)) {
        report_expecting("real number");
        return false;
    }
    return true;
}

bool unit_scanner_t::vector(float *out, int n) {
    static const char *const words[] = {"", "", "2D vector", "3D vector", "4D vector"};
    const char *word = words[n];
    if (!skip() || !token_ahead()) return false;
    if (*pos() != '(') {
        report_expecting(word);
        return false;
    }
    ++pos();
    for (int i = 0; i < n; ++i) {
        if (!skip() || !token_ahead()) return false;
        if (i > 0) {
            if (*pos() != ',') {
                report_expecting(word);
                return false;
            }
            ++pos();
            if (!skip() || !token_ahead()) return false;
        }
        if (!read_real(pos(), out[i])) {
            report_expecting(word);
            return false;
        }
    }
    if (!skip() || !token_ahead()) return false;
    if (*pos() != ')') {
        report_expecting(word);
        return false;
    }
    ++pos();
    return true;
}

bool unit_scanner_t::quaternion(float *out) {
    static const char separators[] = {0, ';', ',', ','};
    if (!skip() || !token_ahead()) return false;
    if (*pos() != '(') {
        report_expecting("quaternion");
        return false;
    }
    ++pos();
    for (int i = 0; i < 4; ++i) {
        if (!skip() || !token_ahead()) return false;
        if (i > 0) {
            if (*pos() != separators[i]) {
                report_expecting("quaternion");
                return false;
            }
            ++pos();
            if (!skip() || !token_ahead()) return false;
        }
        if (!read_real(pos(), out[i])) {
            report_expecting("quaternion");
            return false;
        }
    }
    if (!skip() || !token_ahead()) return false;
    if (*pos() != ')') {
        report_expecting("quaternion");
        return false;
    }
    ++pos();
    return true;
}

int unit_scanner_t::index(uint32_t &out) {
    if (!skip() || !token_ahead()) return -1;
    if (*pos() == ':') return 0;
    if (*pos() != '[') {
        report_expecting("index");
        return -1;
    }
    ++pos();
    if (!skip() || !token_ahead()) return -1;
    if (*pos() == ']') {
        ++pos();
        return 1;
    }
    const char *p = pos();
    uint64_t v = 0;
    if (!read_magnitude(p, 10, v) || v > UINT32_MAX || is_name(*p)) {
        report_expecting("index");
        return -1;
    }
    pos() = p;
    if (!skip() || !token_ahead()) return -1;
    if (*pos() != ']') {
        report_expecting("index");
        return -1;
    }
    ++pos();
    out = uint32_t(v);
    return 2;
}

bool unit_scanner_t::enum_value(bool &is_symbol, mstring_dyn_t &symbol, int64_t &number) {
    if (!skip() || !token_ahead()) return false;
    const char *p = pos();
    if (*p == '"' || is_letter(*p) || *p == '_') {
        const bool quoted = *p == '"';
        const char *start = quoted ? p + 1 : p;
        const char *q = start;
        while (is_word(*q)) ++q;
        if (q == start || (quoted && *q != '"') || (!quoted && *q == '.')) {
            report_expecting("enum value");
            return false;
        }
        assign(symbol, start, q);
        is_symbol = true;
        pos() = quoted ? q + 1 : q;
        return true;
    }
    if (*p == '+' || *p == '-' || is_digit(*p)) {
        is_symbol = false;
        const bool negative = *p == '-';
        if (*p == '+' || *p == '-') ++p;
        const bool hex = p[0] == '0' && (p[1] | 0x20) == 'x' && is_hex(p[2]);
        if (hex) p += 2;
        uint64_t magnitude = 0;
        if (!read_magnitude(p, hex ? 16 : 10, magnitude) || is_name(*p) ||
            magnitude > (negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX))) {
            report_expecting("enum value");
            return false;
        }
        number = negative ? int64_t(0 - magnitude) : int64_t(magnitude);
        pos() = p;
        return true;
    }
    report_expecting("enum value");
    return false;
}

bool unit_scanner_t::end_of_file() {
    if (!skip()) return false;
    if (m_finished) return true;
    report_expecting("end of file");
    return false;
}

}  // namespace quarn

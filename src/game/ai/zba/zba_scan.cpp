#include "game/ai/zba/zba_scan.h"

#include <cstring>

#include "qrncore/strings/number_text.h"
#include "qrncore/strings/string_fixed.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn {

const char *const zba_keyword_names[ZBA_KEYWORD_COUNT] = {
    "features", "attributes", "init",   "animations", "priority", "super_weight", "behaviors", "channels",
    "probability", "anim",    "s_weight", "e_weight", "length",   "proportional", "weight",    "warp",
    "info",     "sound",      "transitions", "simple", "complex",  "single_frame",
};

namespace {

constexpr uint32_t FIRST_KEYWORD = uint32_t(zba_token_kind_t::FEATURES);

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_hex(char c) { return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool is_word_start(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool is_word(char c) { return is_word_start(c) || is_digit(c); }

// The value of count bytes that form a decimal number, read in full from a terminated
// copy: the text may go on right after the number, or end there without a terminator.
double read_decimal(const char *s, size_t count) {
    char local[128];
    char *copy = count < sizeof local ? local : static_cast<char *>(qrncore_system_new_vector(count + 1));
    if (!copy) return 0.0;
    memcpy(copy, s, count);
    copy[count] = 0;
    const double value = v_strtod(copy, nullptr);
    if (copy != local) qrncore_system_delete_vector(copy);
    return value;
}

}  // namespace

const char *zba_keyword_name(zba_token_kind_t kind) {
    const uint32_t k = uint32_t(kind);
    return k >= FIRST_KEYWORD && k < FIRST_KEYWORD + ZBA_KEYWORD_COUNT ? zba_keyword_names[k - FIRST_KEYWORD]
                                                                        : nullptr;
}

zba_scanner_t::zba_scanner_t(const char *text, size_t length, const char *file_name, const char *base_dir)
    : m_base_dir(base_dir) {
    frame_t &f = m_frames[0];
    f.text = text ? text : "";
    f.length = text ? length : 0;
    f.file = keep_name(file_name);
    f.line = 1;
    m_token.file = f.file;
}

zba_scanner_t::~zba_scanner_t() = default;

void zba_scanner_t::absolute_path(mstring_t &out, const char *path, const char *base_dir) {
    string_fixed_t<PATH_CHARS + 1> cut;
    if (path[0] == '/') {
        cut.copy(path);
    } else {
        cut.copy(base_dir);
        cut.append('/');
        cut.append(path);
    }
    out.copy(cut.c_str());
}

const char *zba_scanner_t::keep_name(const char *name) {
    const string_dyn_t<> *kept = m_names.append(string_dyn_t<>(name ? name : ""));
    return kept ? kept->c_str() : "";
}

void zba_scanner_t::set_text(const char *bytes, size_t count) {
    if (count > zba_token_t::TEXT_CHARS) count = zba_token_t::TEXT_CHARS;
    memcpy(m_token.text, bytes, count);
    m_token.text[count] = 0;
}

void zba_scanner_t::stop() {
    // Unwinds every open include: their buffers go now, not with the scanner.
    while (m_depth > 0) m_texts[m_depth--].release();
    m_failed = true;
    m_done = true;
    m_token.kind = zba_token_kind_t::STOP;
    m_token.text[0] = 0;
}

void zba_scanner_t::report_unknown(const char *bytes, size_t count) {
    // Control and high bytes are shown as \xNN, so the log line stays one line of text.
    string_fixed_t<4 * zba_token_t::TEXT_CHARS + 1> shown;
    if (count > zba_token_t::TEXT_CHARS) count = zba_token_t::TEXT_CHARS;
    for (size_t i = 0; i < count; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c < 0x7f)
            shown.append(char(c));
        else
            shown.printf_append("\\x%02X", c);
    }
    const frame_t &f = m_frames[m_depth];
    error("[zba scan] %s:%d unknown token : '%s'", f.file, f.line, shown.c_str());
}

bool zba_scanner_t::skip_space() {
    frame_t &f = top();
    while (f.pos < f.length) {
        const char c = f.text[f.pos];
        if (c == '\n') {
            ++f.line;
            ++f.pos;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            ++f.pos;
        } else if (c == '#' || (c == '/' && f.pos + 1 < f.length && f.text[f.pos + 1] == '/')) {
            while (f.pos < f.length && f.text[f.pos] != '\n') ++f.pos;
        } else {
            return true;
        }
    }
    return false;
}

const zba_token_t &zba_scanner_t::next() {
    if (m_done) return m_token;
    for (;;) {
        if (!skip_space()) {
            if (m_depth == 0) {
                m_done = true;
                m_token.kind = zba_token_kind_t::END;
                m_token.text[0] = 0;
                m_token.file = top().file;
                m_token.line = top().line;
                return m_token;
            }
            m_texts[m_depth--].release();
            continue;
        }
        frame_t &f = top();
        m_token.file = f.file;
        m_token.line = f.line;
        m_token.integer = 0;
        m_token.decimal = 0.0;
        const char c = f.text[f.pos];
        const char n = f.pos + 1 < f.length ? f.text[f.pos + 1] : 0;
        if (c == '"') {
            scan_string();
            return m_token;
        }
        if (is_digit(c) || (c == '.' && is_digit(n))) {
            scan_number();
            return m_token;
        }
        if (is_word_start(c)) {
            scan_word();
            if (m_token.kind != zba_token_kind_t::END) return m_token;
            continue;  // an unknown word, reported and skipped
        }
        zba_token_kind_t kind = zba_token_kind_t::END;
        size_t width = 1;
        switch (c) {
            case '{': kind = zba_token_kind_t::LBRACE; break;
            case '}': kind = zba_token_kind_t::RBRACE; break;
            case ':': kind = zba_token_kind_t::COLON; break;
            case '.': kind = zba_token_kind_t::DOT; break;
            case '-':
                if (n == '>') {
                    kind = zba_token_kind_t::ARROW;
                    width = 2;
                }
                break;
            case '@':
                if (try_include()) {
                    if (m_done) return m_token;
                    continue;
                }
                break;
            default: break;
        }
        if (kind == zba_token_kind_t::END) {
            report_unknown(f.text + f.pos, 1);
            ++f.pos;
            continue;
        }
        m_token.kind = kind;
        set_text(f.text + f.pos, width);
        f.pos += width;
        return m_token;
    }
}

void zba_scanner_t::scan_string() {
    frame_t &f = top();
    const int32_t start_line = f.line;
    ++f.pos;  // the opening quote
    size_t kept = 0;
    bool reported = false;
    while (f.pos < f.length && f.text[f.pos] != '"') {
        const char c = f.text[f.pos++];
        if (c == '\n') ++f.line;
        if (kept < zba_token_t::TEXT_CHARS) {
            m_token.text[kept++] = c;
        } else if (!reported) {
            error("[zba scan] %s:%d string length exceeds buffer size (%zu bytes)", f.file, f.line,
                  size_t(zba_token_t::TEXT_CHARS + 1));
            reported = true;
        }
    }
    if (f.pos >= f.length) {
        error("[zba scan] %s:%d unterminated string constant", f.file, start_line);
        stop();
        return;
    }
    ++f.pos;  // the closing quote
    m_token.text[kept] = 0;
    m_token.kind = zba_token_kind_t::STRING;
    m_token.line = start_line;
}

void zba_scanner_t::scan_number() {
    frame_t &f = top();
    const char *s = f.text + f.pos;
    const size_t left = f.length - f.pos;
    size_t i = 0;
    if (left >= 3 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X') && is_hex(s[2])) {
        i = 2;
        uint64_t v = 0;
        for (; i < left && is_hex(s[i]); ++i) {
            const char h = s[i];
            const uint32_t d = is_digit(h) ? uint32_t(h - '0') : uint32_t((h | 0x20) - 'a' + 10);
            v = v * 16 + d;
            if (v > 0xFFFFFFFFu) v = 0xFFFFFFFFu;
        }
        m_token.kind = zba_token_kind_t::INTEGER;
        m_token.integer = uint32_t(v);
        set_text(s, i);
        f.pos += i;
        return;
    }
    bool decimal = false;
    while (i < left && is_digit(s[i])) ++i;
    if (i < left && s[i] == '.') {
        decimal = true;
        ++i;
        while (i < left && is_digit(s[i])) ++i;
    }
    // An exponent belongs to the number only with its digits: "1e" is 1 and a word.
    if (i < left && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < left && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < left && is_digit(s[j])) {
            decimal = true;
            i = j;
            while (i < left && is_digit(s[i])) ++i;
        }
    }
    if (decimal) {
        m_token.kind = zba_token_kind_t::DECIMAL;
        m_token.decimal = read_decimal(s, i);
    } else {
        uint64_t v = 0;
        for (size_t k = 0; k < i; ++k) {
            v = v * 10 + uint32_t(s[k] - '0');
            if (v > 0xFFFFFFFFu) v = 0xFFFFFFFFu;
        }
        m_token.kind = zba_token_kind_t::INTEGER;
        m_token.integer = uint32_t(v);
    }
    set_text(s, i);
    f.pos += i;
}

void zba_scanner_t::scan_word() {
    frame_t &f = top();
    const char *s = f.text + f.pos;
    size_t i = 0;
    while (f.pos + i < f.length && is_word(s[i])) ++i;
    for (uint32_t k = 0; k < ZBA_KEYWORD_COUNT; ++k) {
        if (strlen(zba_keyword_names[k]) == i && memcmp(zba_keyword_names[k], s, i) == 0) {
            m_token.kind = zba_token_kind_t(FIRST_KEYWORD + k);
            set_text(s, i);
            f.pos += i;
            return;
        }
    }
    report_unknown(s, i);
    f.pos += i;
    m_token.kind = zba_token_kind_t::END;
}

bool zba_scanner_t::try_include() {
    frame_t &f = top();
    static const char directive[] = "@include";
    const size_t n = sizeof directive - 1;
    if (f.length - f.pos < n || memcmp(f.text + f.pos, directive, n) != 0) return false;
    size_t i = f.pos + n;
    const size_t blanks = i;
    while (i < f.length && (f.text[i] == ' ' || f.text[i] == '\t')) ++i;
    if (i == blanks || i >= f.length || f.text[i] != '"') return false;
    const size_t path_start = ++i;
    while (i < f.length && f.text[i] != '"' && f.text[i] != ' ' && f.text[i] != '\t' && f.text[i] != '\n' &&
           f.text[i] != '\r')
        ++i;
    if (i >= f.length || f.text[i] != '"') return false;
    // The joined path keeps PATH_CHARS at most, so more of the written path is never
    // needed.
    char path[PATH_CHARS + 1];
    const size_t kept = i - path_start < PATH_CHARS ? i - path_start : PATH_CHARS;
    memcpy(path, f.text + path_start, kept);
    path[kept] = 0;
    f.pos = i + 1;
    push_include(path, f.line);
    return true;
}

void zba_scanner_t::push_include(const char *path, int32_t line) {
    const char *from = top().file;
    if (m_depth >= MAX_INCLUDE_DEPTH) {
        error("[zba scan] %s:%d include nested too deeply", from, line);
        stop();
        return;
    }
    string_fixed_t<PATH_CHARS + 1> full;
    absolute_path(full, path, m_base_dir.c_str());
    zba_text_t &text = m_texts[m_depth + 1];
    if (text.read(full.c_str()) != zba_text_t::READ_OK) {
        // A file without its include is not the file that was written: the load fails.
        error("[zba scan] %s:%d can't load : %s", from, line, full.c_str());
        stop();
        return;
    }
    ++m_depth;
    frame_t &f = m_frames[m_depth];
    f.text = text.data();
    f.length = text.size();
    f.pos = 0;
    f.file = keep_name(full.c_str());
    f.line = 1;
}

}  // namespace quarn

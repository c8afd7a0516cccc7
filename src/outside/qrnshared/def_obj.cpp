#include "outside/qrnshared/def_obj.h"

#include <charconv>
#include <cstring>
#include <strings.h>

#include "outside/qrnshared/def_core.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The text without blanks at either end, as [*begin, *end).
void trim(const char *text, const char **begin, const char **end) {
    const char *b = text;
    const char *e = text + strlen(text);
    while (b < e && is_blank(*b)) ++b;
    while (e > b && is_blank(e[-1])) --e;
    *begin = b;
    *end = e;
}

// A decimal or "0x" hexadecimal integer filling [b, e) exactly. Decimals must fit 32
// signed bits; hexadecimals may use all 32 bits.
bool parse_int(const char *b, const char *e, int32_t &out) {
    bool negative = false;
    if (b < e && (*b == '+' || *b == '-')) negative = *b++ == '-';
    if (b == e || *b < '0' || *b > '9') return false;
    if (e - b > 2 && b[0] == '0' && (b[1] == 'x' || b[1] == 'X')) {
        uint32_t value = 0;
        const auto r = std::from_chars(b + 2, e, value, 16);
        if (r.ec != std::errc() || r.ptr != e) return false;
        out = int32_t(negative ? 0u - value : value);
        return true;
    }
    int64_t value = 0;
    const auto r = std::from_chars(b, e, value, 10);
    if (r.ec != std::errc() || r.ptr != e) return false;
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return false;
    out = int32_t(value);
    return true;
}

// A finite decimal real filling [b, e) exactly (from_chars takes no '+').
bool parse_real(const char *b, const char *e, float &out) {
    if (b < e && *b == '+') ++b;
    // Digits or a point must follow the sign: no "inf", "nan" or second sign.
    const char *d = b < e && *b == '-' ? b + 1 : b;
    if (d == e || !((*d >= '0' && *d <= '9') || *d == '.')) return false;
    float value = 0.0f;
    const auto r = std::from_chars(b, e, value, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != e) return false;
    out = value;
    return true;
}

bool equals_word(const char *b, const char *e, const char *word) {
    const size_t n = strlen(word);
    return size_t(e - b) == n && strncasecmp(b, word, n) == 0;
}

// The shortest text that reads back as the same float.
uint32_t real_text(char *buffer, uint32_t size, float value) {
    const auto r = std::to_chars(buffer, buffer + size - 1, value);
    *r.ptr = 0;
    return uint32_t(r.ptr - buffer);
}

}  // namespace

const char *def_value_t::get_file() const { return m_core ? m_core->file_name(m_file) : nullptr; }

const char *def_obj_t::get_file() const { return m_core ? m_core->file_name(m_file) : nullptr; }

def_obj_t *def_obj_t::get_parent() const { return m_parent == &m_core->root ? nullptr : m_parent; }

bool def_obj_t::get_path(char *buffer, uint32_t size) const {
    if (size == 0) return false;
    mstring_dyn_t path;
    const bool ok = m_core->path_of(this, path);
    const uint32_t n = path.length();
    const uint32_t kept = n < size ? n : size - 1;
    memcpy(buffer, path.c_str(), kept);
    buffer[kept] = 0;
    return ok && kept == n;
}

def_obj_t *def_obj_t::find(const char *name, int index) const { return m_core->follow(this, name, index, true); }

def_value_t *def_obj_t::own_value(const char *key, uint32_t length) const {
    return m_core->own_value(this, key, length);
}

const def_value_t *def_obj_t::find_value(const char *key, int index) const {
    if (!key) return nullptr;
    const uint32_t length = uint32_t(strnlen(key, DEF_NAME_MAX + 1));
    def_key_t k;
    if (!k.build(0, key, length, index)) return nullptr;
    for (const def_obj_t *o = this; o; o = o->m_base) {
        for (int i = 0; i < 4; ++i) k.bytes[i] = char(o->m_serial >> (8 * i));
        if (void *found = m_core->values.find(k.bytes, k.length)) return static_cast<const def_value_t *>(found);
    }
    return nullptr;
}

const char *def_obj_t::get_value(const char *key, int index) const {
    const def_value_t *v = find_value(key, index);
    return v ? v->m_text : nullptr;
}

const char *def_obj_t::get_dvalue(const char *key, const char *default_text, int index) const {
    const char *text = get_value(key, index);
    return text ? text : default_text;
}

void def_obj_t::malformed(const def_value_t *value, const char *kind) const {
    mstring_dyn_t path;
    m_core->path_of(this, path);
    const char *where = path.is_empty() ? m_name : path.c_str();
    if (const char *file = value->get_file())
        error("[def] %s:%u: '%s' of '%s' is not %s: \"%s\"", file, value->m_line, value->m_key, where, kind,
              value->m_text);
    else
        error("[def] '%s' of '%s' is not %s: \"%s\"", value->m_key, where, kind, value->m_text);
}

bool def_obj_t::get_int(const char *key, int32_t &out) const {
    const def_value_t *v = find_value(key, -1);
    if (!v) return false;
    const char *b, *e;
    trim(v->m_text, &b, &e);
    if (!parse_int(b, e, out)) {
        malformed(v, "an integer");
        return false;
    }
    return true;
}

bool def_obj_t::get_real(const char *key, float &out) const {
    const def_value_t *v = find_value(key, -1);
    if (!v) return false;
    const char *b, *e;
    trim(v->m_text, &b, &e);
    if (!parse_real(b, e, out)) {
        malformed(v, "a number");
        return false;
    }
    return true;
}

bool def_obj_t::get_bool(const char *key, bool &out) const {
    const def_value_t *v = find_value(key, -1);
    if (!v) return false;
    const char *b, *e;
    trim(v->m_text, &b, &e);
    int32_t number = 0;
    if (equals_word(b, e, "true") || equals_word(b, e, "yes") || equals_word(b, e, "on")) out = true;
    else if (equals_word(b, e, "false") || equals_word(b, e, "no") || equals_word(b, e, "off")) out = false;
    else if (parse_int(b, e, number)) out = number != 0;
    else {
        malformed(v, "a truth value");
        return false;
    }
    return true;
}

bool def_obj_t::get_point(const char *key, float *out, int count) const {
    const def_value_t *v = find_value(key, -1);
    if (!v || count <= 0) return false;
    float values[16];
    if (count > 16) V_ABORT("[def] get_point reads at most 16 numbers");
    const char *p = v->m_text;
    int n = 0;
    bool ok = true;
    for (;;) {
        while (is_blank(*p)) ++p;
        if (!*p) break;
        if (n > 0) {
            // Numbers are parted by blanks, or by one comma between blanks.
            if (*p == ',') {
                ++p;
                while (is_blank(*p)) ++p;
            }
        }
        const char *b = p;
        while (*p && !is_blank(*p) && *p != ',') ++p;
        if (n == count || !parse_real(b, p, values[n])) {
            ok = false;
            break;
        }
        ++n;
    }
    if (!ok || n != count) {
        char kind[32];
        snprintf(kind, sizeof kind, "%d numbers", count);
        malformed(v, kind);
        return false;
    }
    memcpy(out, values, sizeof(float) * size_t(count));
    return true;
}

bool def_obj_t::set_value(const char *key, const char *text) {
    const uint32_t length = key ? uint32_t(strnlen(key, DEF_NAME_MAX + 1)) : 0;
    if (!key || !def_core_t::is_word(key, length)) {
        error("[def] '%s' is no key name: keys are words of letters, digits and '_'", key ? key : "(null)");
        return false;
    }
    if (!text) text = "";
    if (!m_core->set_value(this, key, length, text, strlen(text), 0, 0)) {
        error("[def] out of memory setting '%s' of '%s'", key, m_name);
        return false;
    }
    return true;
}

bool def_obj_t::set_int(const char *key, int32_t value) {
    char text[16];
    snprintf(text, sizeof text, "%d", value);
    return set_value(key, text);
}

bool def_obj_t::set_real(const char *key, float value) {
    char text[64];
    real_text(text, sizeof text, value);
    return set_value(key, text);
}

bool def_obj_t::set_bool(const char *key, bool value) { return set_value(key, value ? "true" : "false"); }

bool def_obj_t::set_point(const char *key, const float *values, int count) {
    char text[16 * 64];
    uint32_t length = 0;
    if (count < 0 || count > 16) V_ABORT("[def] set_point writes at most 16 numbers");
    for (int i = 0; i < count; ++i) {
        if (i) text[length++] = ' ';
        length += real_text(text + length, uint32_t(sizeof text) - length, values[i]);
    }
    text[length] = 0;
    return set_value(key, text);
}

}  // namespace quarn

#include "zm_def_reader.h"

#include <strings.h>

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "qrncore/math/ypr.h"
#include "qrncore/system/messages.h"

namespace zmgen {

namespace {

const quarn::def_value_t *find_value(const def_obj_t *o, const char *key) {
    for (; o; o = o->get_base())
        for (const quarn::def_value_t *v = o->get_first_value(); v; v = v->get_next())
            if (strcmp(v->get_key(), key) == 0) return v;
    return nullptr;
}

bool listed(const char *name, std::initializer_list<const char *> names) {
    for (const char *n : names)
        if (strcmp(n, name) == 0) return true;
    return false;
}

}  // namespace

std::vector<std::string> zm_split(const std::string &text, bool commas) {
    std::vector<std::string> out;
    std::string word;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || (commas && c == ',')) {
            if (!word.empty()) out.push_back(std::move(word)), word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) out.push_back(std::move(word));
    return out;
}

bool zm_parse_float(const std::string &text, float &out) {
    const char *first = text.data(), *last = first + text.size();
    if (first != last && *first == '+') ++first;
    const auto r = std::from_chars(first, last, out);
    return r.ec == std::errc() && r.ptr == last && std::isfinite(out);
}

bool zm_parse_uint(const std::string &text, uint32_t &out, int base) {
    const char *first = text.data(), *last = first + text.size();
    if (base == 16 && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) first += 2;
    const auto r = std::from_chars(first, last, out, base);
    return r.ec == std::errc() && r.ptr == last && first != last;
}

std::string zm_def_reader_t::where(const def_obj_t *o, const char *key) const {
    const quarn::def_value_t *v = key ? find_value(o, key) : nullptr;
    const char *file = v ? v->get_file() : o->get_file();
    const uint32_t line = v ? v->get_line() : o->get_line();
    return std::string(file ? file : m_name.c_str()) + ":" + std::to_string(line);
}

bool zm_def_reader_t::fail(const def_obj_t *o, const char *key, const char *fmt, ...) {
    char what[512];
    va_list args;
    va_start(args, fmt);
    vsnprintf(what, sizeof what, fmt, args);
    va_end(args);
    quarn::error("%s %s: %s", m_tag.c_str(), where(o, key).c_str(), what);
    return false;
}

bool zm_def_reader_t::check(const def_obj_t *o, std::initializer_list<const char *> keys,
                            std::initializer_list<const char *> children, bool any_child) {
    for (const quarn::def_value_t *v = o->get_first_value(); v; v = v->get_next())
        if (!listed(v->get_key(), keys))
            return fail(o, v->get_key(), "unknown key '%s' in '%s'", v->get_key(), o->get_name());
    if (!any_child)
        for (const def_obj_t *c = o->get_first_child(); c; c = c->get_next())
            if (!listed(c->get_name(), children))
                return fail(c, nullptr, "unknown block '%s' in '%s'", c->get_name(), o->get_name());
    return true;
}

bool zm_def_reader_t::reals(const def_obj_t *o, const char *key, float *out, size_t count) {
    const char *t = text(o, key);
    if (!t) return true;
    const std::vector<std::string> parts = zm_split(t, true);
    float v[16];
    if (parts.size() != count || count > 16) return fail(o, key, "'%s' needs %zu numbers, not \"%s\"", key, count, t);
    for (size_t i = 0; i < count; ++i)
        if (!zm_parse_float(parts[i], v[i])) return fail(o, key, "'%s' is not a number in \"%s\"", parts[i].c_str(), t);
    for (size_t i = 0; i < count; ++i) out[i] = v[i];
    return true;
}

bool zm_def_reader_t::real(const def_obj_t *o, const char *key, float &out) { return reals(o, key, &out, 1); }

bool zm_def_reader_t::vec2(const def_obj_t *o, const char *key, quarn::vec2_t &out) {
    float v[2] = {out.x, out.y};
    if (!reals(o, key, v, 2)) return false;
    out = {v[0], v[1]};
    return true;
}

bool zm_def_reader_t::vec3(const def_obj_t *o, const char *key, quarn::vec3_t &out) {
    float v[3] = {out.x, out.y, out.z};
    if (!reals(o, key, v, 3)) return false;
    out = {v[0], v[1], v[2]};
    return true;
}

bool zm_def_reader_t::vec4(const def_obj_t *o, const char *key, quarn::vec4_t &out) {
    float v[4] = {out.x, out.y, out.z, out.w};
    if (!reals(o, key, v, 4)) return false;
    out = {v[0], v[1], v[2], v[3]};
    return true;
}

bool zm_def_reader_t::rotation(const def_obj_t *o, const char *quat_key, const char *ypr_key, quarn::quat_t &out) {
    if (has(o, quat_key) && has(o, ypr_key))
        return fail(o, ypr_key, "'%s' and '%s' both give the rotation", quat_key, ypr_key);
    if (has(o, quat_key)) {
        float q[4];
        if (!reals(o, quat_key, q, 4)) return false;
        quarn::quat_t r(q[0], q[1], q[2], q[3]);
        if (std::fabs(r.dot(r) - 1.0f) > 0.001f)
            return fail(o, quat_key, "'%s' is not a unit quaternion (w x y z)", quat_key);
        r.normalize();
        out = r;
    } else if (has(o, ypr_key)) {
        float a[3];
        if (!reals(o, ypr_key, a, 3)) return false;
        out.set(quarn::ypr_t(a[0], a[1], a[2]));
    }
    return true;
}

bool zm_def_reader_t::count(const def_obj_t *o, const char *key, uint32_t &out, uint32_t min, uint32_t max) {
    const char *t = text(o, key);
    if (!t) return true;
    uint32_t v;
    const std::vector<std::string> parts = zm_split(t);
    if (parts.size() != 1 || !zm_parse_uint(parts[0], v) || v < min || v > max)
        return fail(o, key, "'%s' needs a whole number from %u to %u, not \"%s\"", key, min, max, t);
    out = v;
    return true;
}

bool zm_def_reader_t::boolean(const def_obj_t *o, const char *key, bool &out) {
    const char *t = text(o, key);
    if (!t) return true;
    static const char *const yes[] = {"yes", "true", "on", "1"}, *const no[] = {"no", "false", "off", "0"};
    for (const char *w : yes)
        if (strcasecmp(t, w) == 0) return out = true, true;
    for (const char *w : no)
        if (strcasecmp(t, w) == 0) return out = false, true;
    return fail(o, key, "'%s' needs yes or no, not \"%s\"", key, t);
}

bool zm_def_reader_t::color(const def_obj_t *o, const char *key, uint32_t &out) {
    const char *t = text(o, key);
    if (!t) return true;
    const std::vector<std::string> parts = zm_split(t);
    if (parts.size() != 1 || !zm_parse_uint(parts[0], out, 16))
        return fail(o, key, "'%s' needs a colour of hexadecimal digits (AARRGGBB), not \"%s\"", key, t);
    return true;
}

void zm_def_reader_t::words(const def_obj_t *o, const char *key, std::vector<std::string> &out) const {
    if (const char *t = text(o, key)) out = zm_split(t);
}

bool zm_def_reader_t::numbers(const def_obj_t *o, const char *key, std::vector<float> &out, size_t group) {
    const char *t = text(o, key);
    if (!t) return true;
    std::vector<float> values;
    for (const std::string &w : zm_split(t, true)) {
        float f;
        if (!zm_parse_float(w, f)) return fail(o, key, "'%s' is not a number in '%s'", w.c_str(), key);
        values.push_back(f);
    }
    if (values.size() % group)
        return fail(o, key, "'%s' holds %zu numbers, not a multiple of %zu", key, values.size(), group);
    out = std::move(values);
    return true;
}

}  // namespace zmgen

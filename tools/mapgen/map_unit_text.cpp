#include "map_unit_text.h"

#include <cstdio>

#include "qrncore/strings/name_token.h"

namespace mapgen {

std::string map_real_text(float value) {
    char text[32];
    snprintf(text, sizeof text, "%.9g", double(value));
    return text;
}

bool map_is_unit_name(const std::string &name) {
    size_t start = 0;
    for (;;) {
        const size_t dot = name.find('.', start);
        const std::string part = name.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        if (part.empty() || !quarn::is_valid_token(quarn::string(part.c_str()))) return false;
        if (dot == std::string::npos) return true;
        start = dot + 1;
    }
}

bool map_is_plain_text(const std::string &text) {
    for (unsigned char c : text)
        if (c == '"' || c == '\\' || c < 0x20 || c == 0x7F) return false;
    return true;
}

map_unit_text_t::map_unit_text_t(const std::string &source) {
    m_text = "RozErere\n{\n# Written by mapgen from " + source + ".\n";
}

void map_unit_text_t::begin(const char *type, const std::string &name) {
    m_text += type;
    m_text += " : " + name + " {";
}

void map_unit_text_t::end() { m_text += " }\n"; }

void map_unit_text_t::put(const char *key, const std::string &value) {
    m_text += ' ';
    m_text += key;
    m_text += ": " + value;
}

void map_unit_text_t::text(const char *key, const std::string &value) { put(key, "\"" + value + "\""); }
void map_unit_text_t::word(const char *key, const std::string &value) { put(key, value); }
void map_unit_text_t::real(const char *key, float value) { put(key, map_real_text(value)); }
void map_unit_text_t::whole(const char *key, uint32_t value) { put(key, std::to_string(value)); }
void map_unit_text_t::boolean(const char *key, bool value) { put(key, value ? "yes" : "no"); }

void map_unit_text_t::vec3(const char *key, const quarn::vec3_t &v) {
    put(key, "(" + map_real_text(v.x) + ", " + map_real_text(v.y) + ", " + map_real_text(v.z) + ")");
}

void map_unit_text_t::quat(const char *key, const quarn::quat_t &q) {
    put(key, "(" + map_real_text(q.w) + "; " + map_real_text(q.x) + ", " + map_real_text(q.y) + ", " +
                 map_real_text(q.z) + ")");
}

void map_unit_text_t::placement(const char *key, const quarn::vec3_t &p, float scale, const quarn::quat_t &q) {
    put(key, "(" + map_real_text(p.x) + ", " + map_real_text(p.y) + ", " + map_real_text(p.z) + ") " +
                 map_real_text(scale) + " (" + map_real_text(q.w) + "; " + map_real_text(q.x) + ", " +
                 map_real_text(q.y) + ", " + map_real_text(q.z) + ")");
}

std::string map_unit_text_t::finish() { return m_text + "}\n"; }

}  // namespace mapgen

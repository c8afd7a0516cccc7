#pragma once
// Typed reading of a model description's definition objects (docs/formats/def.md),
// with errors that name the file and line: "[zmgen] file:line: what is wrong" (the
// map writer reads its descriptions with it too, under its own tag). Keys
// are looked up in the object and then along its base chain; children are the
// object's own. Every reading leaves its output alone when the key is missing and
// returns false only for a malformed value, which it reports.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "outside/qrnshared/def_obj.h"
#include "qrncore/api.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/vec.h"

namespace zmgen {

using quarn::def_obj_t;

class zm_def_reader_t {
public:
    // name stands for the file of objects that were made by code; tag opens every
    // error line (the tool's own, "[zmgen]" by default).
    explicit zm_def_reader_t(std::string name, std::string tag = "[zmgen]")
        : m_name(std::move(name)), m_tag(std::move(tag)) {}

    // Reports a fault at the key of the object (its line), or at the object when the
    // key is null or missing; returns false.
    bool fail(const def_obj_t *o, const char *key, const char *fmt, ...) V_PRINTF(4, 5);

    // Every own key of o is one of keys and every own child one of children (any
    // name when any_child is set); reports the first stranger.
    bool check(const def_obj_t *o, std::initializer_list<const char *> keys,
               std::initializer_list<const char *> children = {}, bool any_child = false);

    bool has(const def_obj_t *o, const char *key) const { return o->get_value(key) != nullptr; }
    const char *text(const def_obj_t *o, const char *key) const { return o->get_value(key); }

    bool real(const def_obj_t *o, const char *key, float &out);
    bool reals(const def_obj_t *o, const char *key, float *out, size_t count);
    bool vec2(const def_obj_t *o, const char *key, quarn::vec2_t &out);
    bool vec3(const def_obj_t *o, const char *key, quarn::vec3_t &out);
    bool vec4(const def_obj_t *o, const char *key, quarn::vec4_t &out);
    // A rotation given as a quaternion "w x y z" under quat_key or as yaw, pitch and
    // roll in degrees under ypr_key (not both).
    bool rotation(const def_obj_t *o, const char *quat_key, const char *ypr_key, quarn::quat_t &out);
    // A decimal count from min to max.
    bool count(const def_obj_t *o, const char *key, uint32_t &out, uint32_t min, uint32_t max);
    bool boolean(const def_obj_t *o, const char *key, bool &out);
    // A colour of eight hexadecimal digits, 0xAARRGGBB ("0x" optional).
    bool color(const def_obj_t *o, const char *key, uint32_t &out);
    // The words of the value, parted by blanks.
    void words(const def_obj_t *o, const char *key, std::vector<std::string> &out) const;
    // Every number of the value, parted by blanks or commas; a multiple of group.
    bool numbers(const def_obj_t *o, const char *key, std::vector<float> &out, size_t group = 1);

private:
    // Where a key (or the object) was given: "file:line".
    std::string where(const def_obj_t *o, const char *key) const;

    std::string m_name;
    std::string m_tag;
};

// Splits text at blanks, tabs and (when commas) commas.
std::vector<std::string> zm_split(const std::string &text, bool commas = false);
// A whole text as a float / a decimal unsigned; false when it is not one.
bool zm_parse_float(const std::string &text, float &out);
bool zm_parse_uint(const std::string &text, uint32_t &out, int base = 10);

}  // namespace zmgen

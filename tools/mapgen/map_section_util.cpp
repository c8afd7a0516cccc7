#include "map_section_util.h"

#include <cmath>
#include <set>

#include "map_unit_text.h"

namespace mapgen {

using quarn::def_obj_t;
using zmgen::zm_def_reader_t;

bool map_read_points(const map_t &map, const def_obj_t *o, const char *key, zm_def_reader_t &r,
                     std::vector<vec2_t> &out) {
    if (!r.has(o, key)) return r.fail(o, nullptr, "'%s' has no '%s'", o->get_name(), key);
    std::vector<float> values;
    if (!r.numbers(o, key, values, 2)) return false;
    if (values.empty()) return r.fail(o, key, "'%s' names no point", key);
    out.clear();
    for (size_t i = 0; i < values.size(); i += 2) {
        const vec2_t p{values[i], values[i + 1]};
        if (!map.on_terrain(p.x, p.y))
            return r.fail(o, key, "the point %g %g of '%s' lies off the terrain", double(p.x), double(p.y), key);
        out.push_back(p);
    }
    return true;
}

bool map_read_per_point(const def_obj_t *o, const char *key, zm_def_reader_t &r, size_t count, float fallback,
                        float min, float max, std::vector<float> &out) {
    std::vector<float> values;
    if (!r.numbers(o, key, values)) return false;
    if (!r.has(o, key)) values = {fallback};
    if (values.size() != 1 && values.size() != count)
        return r.fail(o, key, "'%s' needs one number or one a point (%zu), not %zu", key, count, values.size());
    for (float v : values)
        if (!(v >= min && v <= max))
            return r.fail(o, key, "'%s' holds %g, outside %g to %g", key, double(v), double(min), double(max));
    out.assign(count, values[0]);
    if (values.size() == count) out = values;
    return true;
}

bool map_read_unit_name(const def_obj_t *o, zm_def_reader_t &r, std::string &out) {
    const char *name = r.text(o, "name");
    if (!name) return r.fail(o, nullptr, "'%s' has no 'name'", o->get_name());
    if (!map_is_unit_name(name))
        return r.fail(o, "name", "'%s' is no unit name (dotted parts of 1 to 12 letters, digits or '_')", name);
    out = name;
    return true;
}

bool map_read_path(const def_obj_t *o, const char *key, zm_def_reader_t &r, bool required, std::string &out) {
    const char *t = r.text(o, key);
    if (!t) return required ? r.fail(o, nullptr, "'%s' has no '%s'", o->get_name(), key) : true;
    if (t[0] != '/' || !map_is_plain_text(t))
        return r.fail(o, key, "'%s' needs a path that begins with '/' and holds no quote or control byte", key);
    out = t;
    return true;
}

bool map_read_real(const def_obj_t *o, const char *key, zm_def_reader_t &r, float min, float max, float &out) {
    float v = out;
    if (!r.real(o, key, v)) return false;
    if (!(v >= min && v <= max))
        return r.fail(o, key, "'%s' is %g, outside %g to %g", key, double(v), double(min), double(max));
    out = v;
    return true;
}

bool map_read_area(const def_obj_t *o, const char *key, zm_def_reader_t &r, vec2_t &lo, vec2_t &hi) {
    if (!r.has(o, key)) return r.fail(o, nullptr, "'%s' has no '%s'", o->get_name(), key);
    float a[4];
    if (!r.reals(o, key, a, 4)) return false;
    if (!(a[2] > a[0] && a[3] > a[1]))
        return r.fail(o, key, "'%s' needs x0 z0 x1 z1 with x1 > x0 and z1 > z0", key);
    lo = {a[0], a[1]};
    hi = {a[2], a[3]};
    return true;
}

bool map_read_range(const def_obj_t *o, const char *key, zm_def_reader_t &r, map_range_t &out) {
    if (!r.has(o, key)) return true;
    std::vector<float> v;
    if (!r.numbers(o, key, v)) return false;
    if (v.empty() || v.size() > 2 || (v.size() == 2 && !(v[1] >= v[0])))
        return r.fail(o, key, "'%s' needs the least value, or the least and the most (not below it)", key);
    out.min = v[0];
    if (v.size() == 2) out.max = v[1];
    return true;
}

vec3_t map_on_ground(const map_t &map, const vec2_t &at, float lift) {
    return {at.x, map.ground_at(at.x, at.y) + lift, at.y};
}

bool map_unique_names(const def_obj_t &block, zm_def_reader_t &r, const std::vector<std::string> &names) {
    std::set<std::string> seen;
    for (const std::string &n : names) {
        std::string key;
        for (char c : n) key += char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);  // names ignore case
        if (!seen.insert(key).second) return r.fail(&block, nullptr, "the unit name '%s' is given twice", n.c_str());
    }
    return true;
}

bool map_is_word(const std::string &s) {
    if (s.empty() || s.size() > 64) return false;
    for (char c : s)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
    return true;
}

}  // namespace mapgen

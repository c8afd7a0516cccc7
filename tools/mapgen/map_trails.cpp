// The sections `starts` and `trails`: start points and trails, written as
// "landscape.start.unit" and "landscape.trail.unit".
#include <cmath>
#include <cstring>

#include "map_objects.h"
#include "map_section_util.h"
#include "map_unit_text.h"
#include "map_writer.h"
#include "zm_writer.h"

namespace mapgen {

using quarn::def_obj_t;
using zmgen::zm_def_reader_t;

namespace {

constexpr const char *GAIT_NAMES[] = {"walk", "run", "leap", "charge"};
constexpr const char *GAIT_SYMBOLS[] = {"BEHAVIOR_walk", "BEHAVIOR_run", "BEHAVIOR_leap", "BEHAVIOR_charge"};
// Consecutive trail points closer than this are refused (the game refuses segments of
// no length).
constexpr float MIN_SEGMENT = 0.01f;
constexpr float MAX_SPEED = 100.0f;
constexpr float MAX_LIFT = 500.0f;

std::string source_of(const map_t &map) { return map.name + ".def"; }

bool write_unit_file(const std::string &folder, const char *file, const std::string &text) {
    const std::vector<uint8_t> bytes(text.begin(), text.end());
    return zmgen::zm_write_file(folder + "/" + file, bytes);
}

bool read_start(const map_t &map, const def_obj_t *o, zm_def_reader_t &r, map_start_t &s) {
    if (!r.check(o, {"name", "category", "at", "lift", "facing", "view_limit"})) return false;
    if (!map_read_unit_name(o, r, s.name)) return false;
    if (const char *category = r.text(o, "category")) {
        if (strcmp(category, "hunter") != 0 && strcmp(category, "animal") != 0)
            return r.fail(o, "category", "'category' is hunter or animal, not \"%s\"", category);
        s.animal = strcmp(category, "animal") == 0;
    }
    std::vector<vec2_t> at;
    if (!map_read_points(map, o, "at", r, at)) return false;
    if (at.size() != 1) return r.fail(o, "at", "a start point stands at one point");
    s.at = at[0];
    if (!map_read_real(o, "lift", r, -MAX_LIFT, MAX_LIFT, s.lift)) return false;
    if (!r.vec2(o, "facing", s.facing)) return false;
    if (!(std::hypot(s.facing.x, s.facing.y) > 0.0f)) return r.fail(o, "facing", "'facing' needs a direction");
    return map_read_real(o, "view_limit", r, 0.0f, 180.0f, s.view_limit);
}

bool read_trail(const map_t &map, const def_obj_t *o, zm_def_reader_t &r, map_trail_t &t) {
    if (!r.check(o, {"name", "points", "lift", "speed", "gait"})) return false;
    if (!map_read_unit_name(o, r, t.name) || !map_read_points(map, o, "points", r, t.points)) return false;
    const size_t n = t.points.size();
    if (n < 2) return r.fail(o, "points", "a trail needs two points at least");
    for (size_t i = 0; i + 1 < n; ++i) {
        const vec2_t d = t.points[i + 1] - t.points[i];
        if (!(std::hypot(d.x, d.y) >= MIN_SEGMENT))
            return r.fail(o, "points", "points %zu and %zu of the trail lie on one another", i, i + 1);
    }
    if (!map_read_per_point(o, "lift", r, n, 0.0f, -MAX_LIFT, MAX_LIFT, t.lifts)) return false;
    if (!map_read_per_point(o, "speed", r, n, 1.0f, 0.0f, MAX_SPEED, t.speeds)) return false;
    std::vector<std::string> gaits;
    r.words(o, "gait", gaits);
    if (gaits.empty()) gaits = {"walk"};
    if (gaits.size() != 1 && gaits.size() != n)
        return r.fail(o, "gait", "'gait' needs one word or one a point (%zu), not %zu", n, gaits.size());
    for (const std::string &g : gaits) {
        int32_t value = -1;
        for (int32_t k = 0; k < 4; ++k)
            if (g == GAIT_NAMES[k]) value = k;
        if (value < 0) return r.fail(o, "gait", "'%s' is no gait (walk, run, leap or charge)", g.c_str());
        t.gaits.push_back(value);
    }
    if (t.gaits.size() == 1) t.gaits.assign(n, t.gaits[0]);
    return true;
}

}  // namespace

bool map_read_starts(const map_t &map, const def_obj_t &block, zm_def_reader_t &r, std::vector<map_start_t> &out) {
    if (!r.check(&block, {}, {}, true)) return false;
    out.clear();
    std::vector<std::string> names;
    for (const def_obj_t *o = block.get_first_child(); o; o = o->get_next()) {
        map_start_t s;
        if (!read_start(map, o, r, s)) return false;
        names.push_back(s.name);
        out.push_back(std::move(s));
    }
    return map_unique_names(block, r, names);
}

bool map_read_trails(const map_t &map, const def_obj_t &block, zm_def_reader_t &r, std::vector<map_trail_t> &out) {
    if (!r.check(&block, {}, {}, true)) return false;
    out.clear();
    std::vector<std::string> names;
    for (const def_obj_t *o = block.get_first_child(); o; o = o->get_next()) {
        map_trail_t t;
        if (!read_trail(map, o, r, t)) return false;
        names.push_back(t.name);
        out.push_back(std::move(t));
    }
    return map_unique_names(block, r, names);
}

std::string map_starts_text(const map_t &map, const std::vector<map_start_t> &starts) {
    map_unit_text_t text(source_of(map));
    for (const map_start_t &s : starts) {
        quarn::quat_t rotation;
        rotation.set_cartes(quarn::normalized(vec3_t{s.facing.x, 0.0f, s.facing.y}));
        text.begin("start_point", s.name);
        text.placement("placement", map_on_ground(map, s.at, s.lift), 1.0f, rotation);
        text.word("category", s.animal ? "CATEGORY_animal" : "CATEGORY_hunter");
        text.real("view_limit", s.view_limit);
        text.end();
    }
    return text.finish();
}

std::string map_trails_text(const map_t &map, const std::vector<map_trail_t> &trails) {
    map_unit_text_t text(source_of(map));
    for (const map_trail_t &t : trails) {
        // The game turns every node along its segment (fixed rotations); the stored
        // rotations only fill the array.
        text.begin("trail", t.name);
        for (size_t i = 0; i < t.points.size(); ++i)
            text.vec3("position[]", map_on_ground(map, t.points[i], t.lifts[i]));
        for (size_t i = 0; i < t.points.size(); ++i) text.quat("rotation[]", quarn::quat_t());
        for (float s : t.speeds) text.real("speed[]", s);
        for (int32_t g : t.gaits) text.word("behavior[]", GAIT_SYMBOLS[g]);
        text.end();
    }
    return text.finish();
}

bool map_check_starts(const map_t &map, const def_obj_t &block, zm_def_reader_t &r) {
    std::vector<map_start_t> starts;
    return map_read_starts(map, block, r, starts);
}

bool map_write_starts(const map_t &map, const def_obj_t &block, const std::string &folder, zm_def_reader_t &r) {
    std::vector<map_start_t> starts;
    return map_read_starts(map, block, r, starts) &&
           write_unit_file(folder, "landscape.start.unit", map_starts_text(map, starts));
}

bool map_check_trails(const map_t &map, const def_obj_t &block, zm_def_reader_t &r) {
    std::vector<map_trail_t> trails;
    return map_read_trails(map, block, r, trails);
}

bool map_write_trails(const map_t &map, const def_obj_t &block, const std::string &folder, zm_def_reader_t &r) {
    std::vector<map_trail_t> trails;
    return map_read_trails(map, block, r, trails) &&
           write_unit_file(folder, "landscape.trail.unit", map_trails_text(map, trails));
}

}  // namespace mapgen

// The section `objects`: bodies and plants, their placements, sound loops, attraction
// areas and particle emitters, written as "landscape.game.unit".
#include "map_objects.h"

#include <cmath>
#include <cstring>

#include "map_section_util.h"
#include "map_unit_text.h"
#include "qrncore/math/ypr.h"
#include "qrncore/numerics/randomizer.h"
#include "zm_writer.h"

namespace mapgen {

using quarn::def_obj_t;
using zmgen::zm_def_reader_t;

namespace {

constexpr const char *SPECIES[] = {"all", "deer", "bear", "elk", "goat", "buffalo"};
constexpr const char *SPECIES_SYMBOLS[] = {"SPECIES_all",  "SPECIES_deer", "SPECIES_bear",
                                           "SPECIES_elk",  "SPECIES_goat", "SPECIES_buffalo"};
constexpr float MAX_LIFT = 500.0f;
constexpr float MAX_SCALE = 100.0f;
constexpr float MAX_RADIUS = 1000.0f;
constexpr float MAX_RANGE = 250.0f;  // the sound loop's ranges
constexpr float MAX_EMIT_TIME = 60.0f;

class objects_reader_t {
public:
    objects_reader_t(const map_t &map, zm_def_reader_t &r, map_objects_t &out) : m(map), r(r), out(out) {}

    bool read(const def_obj_t &block);

private:
    bool read_kind(const def_obj_t *o, bool plant);
    bool read_place(const def_obj_t *o);
    bool read_sound(const def_obj_t *o);
    bool read_area(const def_obj_t *o);
    bool read_emitter(const def_obj_t *o);
    // The single point of a key.
    bool read_point(const def_obj_t *o, const char *key, vec2_t &out);

    const map_t &m;
    zm_def_reader_t &r;
    map_objects_t &out;
};

bool objects_reader_t::read(const def_obj_t &block) {
    if (!r.check(&block, {}, {}, true)) return false;
    std::vector<std::string> names;
    for (const def_obj_t *o = block.get_first_child(); o; o = o->get_next()) {
        const char *kind = r.text(o, "kind");
        if (!kind) return r.fail(o, nullptr, "'%s' has no 'kind'", o->get_name());
        bool ok;
        if (strcmp(kind, "body") == 0 || strcmp(kind, "plant") == 0) {
            ok = read_kind(o, strcmp(kind, "plant") == 0);
            if (ok) names.push_back(out.kinds.back().name);
        } else if (strcmp(kind, "place") == 0) {
            ok = read_place(o);
        } else if (strcmp(kind, "sound") == 0) {
            ok = read_sound(o);
        } else if (strcmp(kind, "area") == 0) {
            ok = read_area(o);
        } else if (strcmp(kind, "emitter") == 0) {
            ok = read_emitter(o);
            if (ok) names.push_back(out.emitters.back().name);
        } else {
            return r.fail(o, "kind", "'%s' is no kind of object (body, plant, place, sound, area, emitter)", kind);
        }
        if (!ok) return false;
    }
    return map_unique_names(block, r, names);
}

bool objects_reader_t::read_point(const def_obj_t *o, const char *key, vec2_t &p) {
    std::vector<vec2_t> points;
    if (!map_read_points(m, o, key, r, points)) return false;
    if (points.size() != 1) return r.fail(o, key, "'%s' stands at one point", o->get_name());
    p = points[0];
    return true;
}

bool objects_reader_t::read_kind(const def_obj_t *o, bool plant) {
    if (!r.check(o, {"kind", "name", "model", "animation", "look", "variant", "instances", "collidable"})) return false;
    map_body_kind_t k;
    k.block = o->get_name();
    k.plant = plant;
    for (const map_body_kind_t &other : out.kinds)
        if (other.block == k.block) return r.fail(o, nullptr, "a body or plant '%s' is given twice", o->get_name());
    if (!map_read_unit_name(o, r, k.name) || !map_read_path(o, "model", r, true, k.model) ||
        !map_read_path(o, "animation", r, false, k.animation))
        return false;
    for (const char *key : {"look", "variant"}) {
        const char *t = r.text(o, key);
        if (!t) continue;
        if (!map_is_plain_text(t)) return r.fail(o, key, "'%s' holds a quote or control byte", key);
        (strcmp(key, "look") == 0 ? k.look : k.variant) = t;
    }
    if (!r.count(o, "instances", k.instances, 1, 8) || !r.boolean(o, "collidable", k.collidable)) return false;
    out.kinds.push_back(std::move(k));
    return true;
}

bool objects_reader_t::read_place(const def_obj_t *o) {
    if (!r.check(o, {"kind", "of", "at", "scale", "yaw", "seed", "lift"})) return false;
    map_place_t p;
    const char *of = r.text(o, "of");
    if (!of) return r.fail(o, nullptr, "'%s' has no 'of'", o->get_name());
    p.kind = uint32_t(out.kinds.size());
    for (size_t i = 0; i < out.kinds.size(); ++i)
        if (out.kinds[i].block == of) p.kind = uint32_t(i);
    if (p.kind == out.kinds.size()) return r.fail(o, "of", "no body or plant '%s' is given before", of);
    if (!map_read_points(m, o, "at", r, p.points)) return false;
    const size_t n = p.points.size();
    if (!map_read_per_point(o, "scale", r, n, 1.0f, 0.0f, MAX_SCALE, p.scales)) return false;
    for (float s : p.scales)
        if (!(s > 0.0f)) return r.fail(o, "scale", "'scale' must be above 0");
    if (!map_read_per_point(o, "lift", r, n, 0.0f, -MAX_LIFT, MAX_LIFT, p.lifts)) return false;
    const char *yaw = r.text(o, "yaw");
    if (yaw && strcmp(yaw, "random") == 0) {
        // Turned at random, the same way each time the map is written.
        uint32_t seed = 1;
        if (!r.count(o, "seed", seed, 0, 139967)) return false;
        quarn::randomizer_t random(seed);
        for (size_t i = 0; i < n; ++i) p.yaws.push_back(360.0f * random.rand());
    } else {
        if (r.has(o, "seed")) return r.fail(o, "seed", "'seed' goes with yaw \"random\"");
        if (!map_read_per_point(o, "yaw", r, n, 0.0f, -360.0f, 360.0f, p.yaws)) return false;
    }
    out.places.push_back(std::move(p));
    return true;
}

bool objects_reader_t::read_sound(const def_obj_t *o) {
    if (!r.check(o, {"kind", "file", "at", "lift", "volume", "min_range", "max_range", "ambient"})) return false;
    map_sound_t s;
    if (!map_read_path(o, "file", r, true, s.file) || !read_point(o, "at", s.at)) return false;
    if (!map_read_real(o, "lift", r, -MAX_LIFT, MAX_LIFT, s.lift) || !map_read_real(o, "volume", r, 0, 1, s.volume) ||
        !map_read_real(o, "min_range", r, 0, MAX_RANGE, s.min_range) ||
        !map_read_real(o, "max_range", r, 0, MAX_RANGE, s.max_range) || !r.boolean(o, "ambient", s.ambient))
        return false;
    if (s.min_range > s.max_range) return r.fail(o, "min_range", "'min_range' lies beyond 'max_range'");
    out.sounds.push_back(std::move(s));
    return true;
}

bool objects_reader_t::read_area(const def_obj_t *o) {
    if (!r.check(o, {"kind", "at", "radius", "resource", "species"})) return false;
    map_area_t a;
    if (!read_point(o, "at", a.at) || !map_read_real(o, "radius", r, 0, MAX_RADIUS, a.radius)) return false;
    if (!(a.radius > 0.0f)) return r.fail(o, "radius", "'radius' must be above 0");
    if (const char *resource = r.text(o, "resource")) {
        if (strcmp(resource, "food") != 0 && strcmp(resource, "water") != 0)
            return r.fail(o, "resource", "'resource' is food or water, not \"%s\"", resource);
        a.water = strcmp(resource, "water") == 0;
    }
    if (const char *species = r.text(o, "species")) {
        a.species = -1;
        for (int32_t k = 0; k < 6; ++k)
            if (strcmp(species, SPECIES[k]) == 0) a.species = k;
        if (a.species < 0)
            return r.fail(o, "species", "'%s' is no species (all, deer, bear, elk, goat, buffalo)", species);
    }
    out.areas.push_back(a);
    return true;
}

bool objects_reader_t::read_emitter(const def_obj_t *o) {
    if (!r.check(o, {"kind", "name", "hookup", "at", "lift", "yaw", "pitch", "init_time", "emit_stop_times",
                     "autostart", "loop"}))
        return false;
    map_emitter_t e;
    if (!map_read_unit_name(o, r, e.name) || !read_point(o, "at", e.at)) return false;
    const char *hookup = r.text(o, "hookup");
    if (!hookup || !map_is_unit_name(hookup))
        return r.fail(o, "hookup", "'%s' needs a 'hookup': the unit name of a particle set", o->get_name());
    e.hookup = hookup;
    if (!map_read_real(o, "lift", r, -MAX_LIFT, MAX_LIFT, e.lift) || !map_read_real(o, "yaw", r, -360, 360, e.yaw) ||
        !map_read_real(o, "pitch", r, -90, 90, e.pitch) ||
        !map_read_real(o, "init_time", r, 0, MAX_EMIT_TIME, e.init_time) ||
        !r.numbers(o, "emit_stop_times", e.emit_stop_times) || !r.boolean(o, "autostart", e.autostart) ||
        !r.boolean(o, "loop", e.loop))
        return false;
    for (float t : e.emit_stop_times)
        if (!(t >= 0.0f && t <= MAX_EMIT_TIME))
            return r.fail(o, "emit_stop_times", "'emit_stop_times' holds %g, outside 0 to 60", double(t));
    out.emitters.push_back(std::move(e));
    return true;
}

quarn::quat_t yaw_rotation(float yaw, float pitch = 0.0f) {
    quarn::quat_t q;
    q.set(quarn::ypr_t(yaw, pitch, 0.0f));
    return q;
}

}  // namespace

bool map_read_objects(const map_t &map, const def_obj_t &block, zm_def_reader_t &r, map_objects_t &out) {
    out = map_objects_t();
    return objects_reader_t(map, r, out).read(block);
}

std::string map_objects_text(const map_t &map, const map_objects_t &objects) {
    map_unit_text_t text(map.name + ".def");
    for (const map_body_kind_t &k : objects.kinds) {
        text.begin(k.plant ? "plant_desc" : "body_desc", k.name);
        text.text("model_file", k.model);
        if (!k.animation.empty()) text.text("model_anim", k.animation);
        text.text("look", k.look);
        text.text("variant", k.variant);
        text.whole("unique_instances", k.instances);
        text.boolean("is_collidable", k.collidable);
        text.end();
    }
    uint32_t local = 0;  // file-local names of the nameless units
    for (const map_place_t &p : objects.places) {
        const map_body_kind_t &k = objects.kinds[p.kind];
        for (size_t i = 0; i < p.points.size(); ++i) {
            text.begin(k.plant ? "plant_inst" : "body_inst", ".u" + std::to_string(local++));
            text.word("body_desc", k.name);
            text.placement("placement", map_on_ground(map, p.points[i], p.lifts[i]), p.scales[i],
                           yaw_rotation(p.yaws[i]));
            text.end();
        }
    }
    for (const map_sound_t &s : objects.sounds) {
        text.begin("sound_loop", ".u" + std::to_string(local++));
        text.placement("placement", map_on_ground(map, s.at, s.lift), 1.0f, quarn::quat_t());
        text.text("sound_file", s.file);
        text.real("volume", s.volume);
        text.real("min_range", s.min_range);
        text.real("max_range", s.max_range);
        text.boolean("ambient", s.ambient);
        text.end();
    }
    // An area's radius is its placement's scale.
    for (const map_area_t &a : objects.areas) {
        text.begin("attract_area", ".u" + std::to_string(local++));
        text.placement("placement", map_on_ground(map, a.at, 0.0f), a.radius, quarn::quat_t());
        text.word("species", SPECIES_SYMBOLS[a.species]);
        text.word("resource_type", a.water ? "RESOURCE_TYPE_water" : "RESOURCE_TYPE_food");
        text.end();
    }
    for (const map_emitter_t &e : objects.emitters) {
        text.begin("particle_emitter", e.name);
        text.text("hookup", e.hookup);
        text.real("init_time", e.init_time);
        for (float t : e.emit_stop_times) text.real("emit_stop_times[]", t);
        text.boolean("autostart", e.autostart);
        text.boolean("loop", e.loop);
        text.placement("placement", map_on_ground(map, e.at, e.lift), 1.0f, yaw_rotation(e.yaw, e.pitch));
        text.end();
    }
    return text.finish();
}

bool map_check_objects(const map_t &map, const def_obj_t &block, zm_def_reader_t &r) {
    map_objects_t objects;
    return map_read_objects(map, block, r, objects);
}

bool map_write_objects(const map_t &map, const def_obj_t &block, const std::string &folder, zm_def_reader_t &r) {
    map_objects_t objects;
    if (!map_read_objects(map, block, r, objects)) return false;
    const std::string text = map_objects_text(map, objects);
    return zmgen::zm_write_file(folder + "/landscape.game.unit", std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace mapgen

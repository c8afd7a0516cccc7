// The section `objects`: bodies and plants, their placements, sound loops, attraction
// areas and particle emitters, written as "landscape.game.unit".
#include "map_objects.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "map_section_util.h"
#include "map_sections.h"
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
constexpr float MAX_DENSITY = 1.0f;        // objects a square unit
constexpr float MAX_SPACING = 100.0f;
constexpr float MAX_CANDIDATES = 4.0e6f;  // places a rule may try

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
    bool read_scatter(const def_obj_t *o);
    bool read_clearance(const def_obj_t *o);
    // The single point of a key.
    bool read_point(const def_obj_t *o, const char *key, vec2_t &out);
    // The index of the body or plant of that block, given before o (reported when none).
    bool find_kind(const def_obj_t *o, const char *block, uint32_t &out);

    const map_t &m;
    zm_def_reader_t &r;
    map_objects_t &out;
};

bool objects_reader_t::read(const def_obj_t &block) {
    if (!r.check(&block, {}, {}, true)) return false;
    std::vector<std::string> names;
    uint32_t clearances = 0;
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
        } else if (strcmp(kind, "scatter") == 0) {
            ok = read_scatter(o);
        } else if (strcmp(kind, "clearance") == 0) {
            if (clearances++) return r.fail(o, nullptr, "a second 'clearance'");
            ok = read_clearance(o);
        } else {
            return r.fail(o, "kind",
                          "'%s' is no kind of object (body, plant, place, scatter, clearance, sound, area, emitter)",
                          kind);
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

bool objects_reader_t::find_kind(const def_obj_t *o, const char *block, uint32_t &index) {
    for (size_t i = 0; i < out.kinds.size(); ++i)
        if (out.kinds[i].block == block) {
            index = uint32_t(i);
            return true;
        }
    return r.fail(o, "of", "no body or plant '%s' is given before", block);
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
    if (!find_kind(o, of, p.kind)) return false;
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

bool objects_reader_t::read_scatter(const def_obj_t *o) {
    if (!r.check(o, {"kind", "of", "weights", "area", "round", "density", "edge", "patches", "spacing", "slope",
                     "height", "water", "scale", "lift", "seed"}))
        return false;
    map_scatter_t s;
    s.block = o->get_name();
    std::vector<std::string> of;
    r.words(o, "of", of);
    if (of.empty()) return r.fail(o, nullptr, "'%s' has no 'of'", o->get_name());
    for (const std::string &name : of) {
        uint32_t kind;
        if (!find_kind(o, name.c_str(), kind)) return false;
        s.kinds.push_back(kind);
    }
    s.weights.assign(s.kinds.size(), 1.0f);
    if (r.has(o, "weights")) {
        if (!r.numbers(o, "weights", s.weights)) return false;
        if (s.weights.size() != s.kinds.size())
            return r.fail(o, "weights", "'weights' needs one number a kind of 'of' (%zu), not %zu", s.kinds.size(),
                          s.weights.size());
        for (float w : s.weights)
            if (!(w > 0.0f && w <= 1e6f)) return r.fail(o, "weights", "'weights' must be above 0");
    }
    s.lo = m.landscape.lo;
    s.hi = m.landscape.hi;
    if (r.has(o, "area") && !map_read_area(o, "area", r, s.lo, s.hi)) return false;
    if (!r.has(o, "density")) return r.fail(o, nullptr, "'%s' has no 'density'", o->get_name());
    if (!r.boolean(o, "round", s.round) || !map_read_real(o, "density", r, 0.0f, MAX_DENSITY, s.density) ||
        !map_read_real(o, "edge", r, 0.0f, MAX_RADIUS, s.edge) ||
        !map_read_real(o, "spacing", r, 0.0f, MAX_SPACING, s.spacing) || !map_read_range(o, "slope", r, s.slope) ||
        !map_read_range(o, "height", r, s.height) || !map_read_real(o, "water", r, 0.0f, MAX_SPACING, s.water) ||
        !map_read_real(o, "lift", r, -MAX_LIFT, MAX_LIFT, s.lift) || !r.count(o, "seed", s.seed, 0, 0xFFFFFFFFu))
        return false;
    if (!(s.density > 0.0f)) return r.fail(o, "density", "'density' must be above 0");
    // Every candidate is a cell of 1 / density square units over the area: bounded, so
    // that a broken rule cannot make the writer run without end.
    if ((s.hi.x - s.lo.x) * (s.hi.y - s.lo.y) * s.density > MAX_CANDIDATES)
        return r.fail(o, "density", "'%s' would try more than %g places", o->get_name(), double(MAX_CANDIDATES));
    if (r.has(o, "patches")) {
        float v[2];
        if (!r.reals(o, "patches", v, 2)) return false;
        if (!(v[0] > 0.0f && v[0] <= MAX_RADIUS && v[1] >= 0.0f && v[1] <= 1.0f))
            return r.fail(o, "patches", "'patches' needs a wavelength above 0 and a share from 0 to 1");
        s.patch_wavelength = v[0];
        s.patch_share = v[1];
    }
    if (r.has(o, "scale")) {
        std::vector<float> v;
        if (!r.numbers(o, "scale", v)) return false;
        if (v.empty() || v.size() > 2 || !(v[0] > 0.0f) || !(v.back() >= v[0]) || v.back() > MAX_SCALE)
            return r.fail(o, "scale", "'scale' needs a size above 0, or the least and the most");
        s.scale_min = v[0];
        s.scale_max = v.back();
    }
    out.scatters.push_back(std::move(s));
    return true;
}

bool objects_reader_t::read_clearance(const def_obj_t *o) {
    if (!r.check(o, {"kind", "trails", "starts", "sight", "sight_trails", "areas"})) return false;
    map_clearance_t &c = out.clearance;
    if (!map_read_real(o, "trails", r, 0.0f, MAX_SPACING, c.trails) ||
        !map_read_real(o, "starts", r, 0.0f, MAX_SPACING, c.starts))
        return false;
    if (r.has(o, "sight")) {
        float v[2];
        if (!r.reals(o, "sight", v, 2)) return false;
        if (!(v[0] >= 0.0f && v[0] <= MAX_SPACING && v[1] >= 0.0f && v[1] <= MAX_RADIUS))
            return r.fail(o, "sight", "'sight' needs a half-width and a range, neither below 0");
        c.sight = v[0];
        c.sight_range = v[1];
    }
    r.words(o, "sight_trails", c.sight_trails);
    std::vector<float> areas;
    if (!r.numbers(o, "areas", areas, 4)) return false;
    for (size_t i = 0; i < areas.size(); i += 4) {
        if (!(areas[i + 2] > areas[i] && areas[i + 3] > areas[i + 1]))
            return r.fail(o, "areas", "'areas' needs x0 z0 x1 z1 with x1 > x0 and z1 > z0, each");
        c.areas.push_back({areas[i], areas[i + 1]});
        c.areas.push_back({areas[i + 2], areas[i + 3]});
    }
    return true;
}

// The lowest ground of every chunk. A chunk's box reaches no lower, and the game puts
// a body or plant on the first chunk whose box holds its position: one sunk deeper
// than the floor of the chunks it stands on would find none and be lost.
class chunk_floors_t {
public:
    explicit chunk_floors_t(const map_t &map) : m(map.landscape) {
        if (!map.has_landscape) return;
        const uint32_t nx = uint32_t(std::lround((m.hi.x - m.lo.x) / float(m.chunks_x) / m.spacing));
        const uint32_t nz = uint32_t(std::lround((m.hi.y - m.lo.y) / float(m.chunks_z) / m.spacing));
        m_size = {float(nx) * m.spacing, float(nz) * m.spacing};
        for (uint32_t row = 0; row < m.chunks_z; ++row)
            for (uint32_t column = 0; column < m.chunks_x; ++column) {
                float lowest = 3.4e38f;
                for (uint32_t j = 0; j <= nz; ++j)
                    for (uint32_t i = 0; i <= nx; ++i)
                        lowest = std::min(lowest, map.height_at(m.lo.x + float(column * nx + i) * m.spacing,
                                                                m.lo.y + float(row * nz + j) * m.spacing));
                m_floors.push_back(lowest);
            }
    }
    // The lowest floor of the chunks whose area holds p (two or four on their edges).
    float at(const vec2_t &p) const {
        if (m_floors.empty()) return -3.4e38f;
        float lowest = 3.4e38f;
        for (uint32_t row = 0; row < m.chunks_z; ++row)
            for (uint32_t column = 0; column < m.chunks_x; ++column) {
                const float x0 = m.lo.x + float(column) * m_size.x, z0 = m.lo.y + float(row) * m_size.y;
                if (p.x >= x0 && p.x <= x0 + m_size.x && p.y >= z0 && p.y <= z0 + m_size.y)
                    lowest = std::min(lowest, m_floors[row * m.chunks_x + column]);
            }
        return lowest;
    }

private:
    const map_landscape_t &m;
    vec2_t m_size;
    std::vector<float> m_floors;  // row by row from the lowest z
};

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
    const chunk_floors_t floors(map);
    for (const map_place_t &p : objects.places) {
        const map_body_kind_t &k = objects.kinds[p.kind];
        for (size_t i = 0; i < p.points.size(); ++i) {
            vec3_t at = map_on_ground(map, p.points[i], p.lifts[i]);
            at.y = std::max(at.y, floors.at(p.points[i]));
            text.begin(k.plant ? "plant_inst" : "body_inst", ".u" + std::to_string(local++));
            text.word("body_desc", k.name);
            text.placement("placement", at, p.scales[i], yaw_rotation(p.yaws[i]));
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

bool map_read_layout(const map_t &map, const quarn::def_pool_t &description, zm_def_reader_t &r,
                     map_layout_t &out) {
    out = map_layout_t();
    const def_obj_t *starts = map_find_block(description, "starts");
    const def_obj_t *trails = map_find_block(description, "trails");
    return (!starts || map_read_starts(map, *starts, r, out.starts)) &&
           (!trails || map_read_trails(map, *trails, r, out.trails));
}

bool map_check_objects(const map_t &map, const quarn::def_pool_t &, const def_obj_t &block, zm_def_reader_t &r) {
    map_objects_t objects;
    return map_read_objects(map, block, r, objects);
}

bool map_write_objects(const map_t &map, const quarn::def_pool_t &description, const def_obj_t &block,
                       const std::string &folder, zm_def_reader_t &r) {
    map_objects_t objects;
    map_layout_t layout;
    if (!map_read_objects(map, block, r, objects) || !map_read_layout(map, description, r, layout)) return false;
    map_plant(map, layout, objects);
    const std::string text = map_objects_text(map, objects);
    return zmgen::zm_write_file(folder + "/landscape.game.unit", std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace mapgen

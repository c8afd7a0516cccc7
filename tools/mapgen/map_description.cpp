#include "map_description.h"

#include <cmath>
#include <cstring>
#include <filesystem>

#include "map_section_util.h"
#include "map_sections.h"
#include "qrncore/system/messages.h"
#include "zm_def_reader.h"

namespace mapgen {

using quarn::def_obj_t;
using zmgen::zm_def_reader_t;

namespace {

constexpr uint32_t MAX_CHUNKS_PER_AXIS = 256;
constexpr uint32_t MAX_GRID_COUNT = 4096;

class map_reader_t {
public:
    map_reader_t(const char *name, map_t &out) : r(name, "[mapgen]"), m(out) {}

    bool read(const quarn::def_pool_t &pool);

private:
    bool read_texture(const def_obj_t *o);
    bool read_material(const def_obj_t *o);
    bool read_landscape(const def_obj_t *o);
    bool read_feature(const def_obj_t *o);
    bool read_grid(const def_obj_t *o, map_feature_t &f);
    bool read_layer(const def_obj_t *o, map_layer_rule_t &rule);
    bool read_ramp(const def_obj_t *o, const char *key, map_ramp_t &ramp);
    bool read_area(const def_obj_t *o, vec2_t &lo, vec2_t &hi);
    bool positive(const def_obj_t *o, const char *key, float &out);
    bool non_negative(const def_obj_t *o, const char *key, float &out);
    // The material of a key naming one of the given kind; required.
    bool material_of(const def_obj_t *o, const char *key, map_material_t::kind_t kind, uint32_t &out);

    zm_def_reader_t r;
    map_t &m;
};

bool map_reader_t::read(const quarn::def_pool_t &pool) {
    // Textures first, then materials, then the landscape, whatever the order of the
    // blocks: each refers to what the one before defines.
    for (const char *block : {"textures", "materials", "landscape"}) {
        for (const def_obj_t *o = pool.get_first_object(); o; o = o->get_next()) {
            if (strcmp(o->get_name(), block) != 0) continue;
            if (strcmp(block, "landscape") == 0) {
                if (!read_landscape(o)) return false;
                continue;
            }
            if (!r.check(o, {}, {}, true)) return false;
            for (const def_obj_t *c = o->get_first_child(); c; c = c->get_next())
                if (!(strcmp(block, "textures") == 0 ? read_texture(c) : read_material(c))) return false;
        }
    }
    for (const def_obj_t *o = pool.get_first_object(); o; o = o->get_next()) {
        const char *name = o->get_name();
        if (strcmp(name, "textures") == 0 || strcmp(name, "materials") == 0 || strcmp(name, "landscape") == 0)
            continue;
        const map_section_t *section = map_find_section(name);
        if (!section) return r.fail(o, nullptr, "unknown block '%s'", name);
        if (section->check && !section->check(m, pool, *o, r)) return false;
    }
    return true;
}

bool map_reader_t::positive(const def_obj_t *o, const char *key, float &out) {
    if (!r.real(o, key, out)) return false;
    if (!(out > 0.0f)) return r.fail(o, key, "'%s' must be above 0", key);
    return true;
}

bool map_reader_t::non_negative(const def_obj_t *o, const char *key, float &out) {
    if (!r.real(o, key, out)) return false;
    if (!(out >= 0.0f)) return r.fail(o, key, "'%s' must not be below 0", key);
    return true;
}

bool map_reader_t::read_area(const def_obj_t *o, vec2_t &lo, vec2_t &hi) { return map_read_area(o, "area", r, lo, hi); }

bool map_reader_t::material_of(const def_obj_t *o, const char *key, map_material_t::kind_t kind, uint32_t &out) {
    const char *name = r.text(o, key);
    if (!name) return r.fail(o, nullptr, "'%s' has no '%s'", o->get_name(), key);
    out = m.find_material(name);
    if (out == MAP_NONE) return r.fail(o, key, "no material '%s'", name);
    if (m.materials[out].kind != kind)
        return r.fail(o, key, "'%s' is not a %s material", name, kind == map_material_t::WATER ? "water" : "terrain");
    return true;
}

// ---- textures and materials ----

bool map_reader_t::read_texture(const def_obj_t *o) {
    if (!r.check(o, {"file", "normal", "substance", "scale"})) return false;
    if (m.find_texture(o->get_name()) != MAP_NONE) return r.fail(o, nullptr, "texture '%s' twice", o->get_name());
    map_texture_t t;
    t.name = o->get_name();
    if (!r.has(o, "file")) return r.fail(o, nullptr, "texture '%s' has no 'file'", o->get_name());
    if (!r.has(o, "substance")) return r.fail(o, nullptr, "texture '%s' has no 'substance'", o->get_name());
    t.file = r.text(o, "file");
    if (t.file.empty() || t.file[0] != '/') return r.fail(o, "file", "'file' needs a path that begins with '/'");
    if (const char *n = r.text(o, "normal")) t.normal = n;
    t.substance = r.text(o, "substance");
    if (t.substance.empty() || t.substance.find_first_of(": \t\r\n") != std::string::npos)
        return r.fail(o, "substance", "'substance' needs one word");
    if (!positive(o, "scale", t.scale)) return false;
    m.textures.push_back(std::move(t));
    return true;
}

bool map_reader_t::read_material(const def_obj_t *o) {
    if (!r.check(o, {"kind", "layers", "pass", "texture", "colour", "reflection", "tile"})) return false;
    if (m.find_material(o->get_name()) != MAP_NONE) return r.fail(o, nullptr, "material '%s' twice", o->get_name());
    map_material_t mat;
    mat.name = o->get_name();
    const char *kind = r.text(o, "kind");
    if (!kind || strcmp(kind, "terrain") == 0) {
        mat.kind = map_material_t::TERRAIN;
    } else if (strcmp(kind, "water") == 0) {
        mat.kind = map_material_t::WATER;
    } else {
        return r.fail(o, "kind", "'kind' needs terrain or water, not \"%s\"", kind);
    }
    if (mat.kind == map_material_t::TERRAIN) {
        for (const char *key : {"texture", "colour", "reflection", "tile"})
            if (r.has(o, key)) return r.fail(o, key, "'%s' belongs to water materials", key);
        std::vector<std::string> layers;
        r.words(o, "layers", layers);
        if (layers.empty() || layers.size() > 3) return r.fail(o, "layers", "a terrain material needs 1 to 3 'layers'");
        for (const std::string &name : layers) {
            const uint32_t t = m.find_texture(name);
            if (t == MAP_NONE) return r.fail(o, "layers", "no texture '%s'", name.c_str());
            mat.layers.push_back(t);
        }
        if (const char *pass = r.text(o, "pass")) mat.pass = pass;
    } else {
        for (const char *key : {"layers", "pass"})
            if (r.has(o, key)) return r.fail(o, key, "'%s' belongs to terrain materials", key);
        const char *texture = r.text(o, "texture");
        if (!texture) return r.fail(o, nullptr, "water material '%s' has no 'texture'", o->get_name());
        mat.texture = m.find_texture(texture);
        if (mat.texture == MAP_NONE) return r.fail(o, "texture", "no texture '%s'", texture);
        if (!r.vec4(o, "colour", mat.colour) || !r.vec2(o, "reflection", mat.reflection) || !r.vec2(o, "tile", mat.tile))
            return false;
        if (!(mat.tile.x > 0.0f && mat.tile.y > 0.0f)) return r.fail(o, "tile", "'tile' sizes must be above 0");
    }
    m.materials.push_back(std::move(mat));
    return true;
}

// ---- the landscape ----

bool map_reader_t::read_landscape(const def_obj_t *o) {
    if (m.has_landscape) return r.fail(o, nullptr, "a second 'landscape' block");
    if (!r.check(o, {"area", "chunks", "spacing", "material", "tint", "collision"},
                 {"heights", "layers", "zones", "water"}))
        return false;
    m.has_landscape = true;
    map_landscape_t &l = m.landscape;
    if (!read_area(o, l.lo, l.hi)) return false;
    if (r.has(o, "chunks")) {
        std::vector<float> counts;
        if (!r.numbers(o, "chunks", counts) || counts.size() != 2 || counts[0] < 1 || counts[1] < 1 ||
            counts[0] > MAX_CHUNKS_PER_AXIS || counts[1] > MAX_CHUNKS_PER_AXIS ||
            counts[0] != std::floor(counts[0]) || counts[1] != std::floor(counts[1]))
            return r.fail(o, "chunks", "'chunks' needs two whole numbers from 1 to %u", MAX_CHUNKS_PER_AXIS);
        l.chunks_x = uint32_t(counts[0]);
        l.chunks_z = uint32_t(counts[1]);
    }
    if (!positive(o, "spacing", l.spacing)) return false;
    for (const float size : {(l.hi.x - l.lo.x) / float(l.chunks_x), (l.hi.y - l.lo.y) / float(l.chunks_z)}) {
        const float steps = size / l.spacing;
        if (std::fabs(steps - std::round(steps)) > 1e-3f || std::round(steps) < 1.0f)
            return r.fail(o, "spacing", "the chunk size %g is not a whole number of spacings %g", double(size),
                          double(l.spacing));
        if ((std::round(steps) + 1.0f) * (std::round(steps) + 1.0f) > float(MAP_PIECE_VERTICES))
            return r.fail(o, "spacing", "a chunk of %g spacings a side needs more than %u vertices", double(steps),
                          MAP_PIECE_VERTICES);
    }
    if (!material_of(o, "material", map_material_t::TERRAIN, l.material)) return false;
    if (!r.color(o, "tint", l.tint) || !r.boolean(o, "collision", l.collision)) return false;
    for (const def_obj_t *c = o->get_first_child(); c; c = c->get_next()) {
        if (strcmp(c->get_name(), "heights") == 0) {
            if (!r.check(c, {}, {}, true)) return false;
            for (const def_obj_t *f = c->get_first_child(); f; f = f->get_next())
                if (!read_feature(f)) return false;
        } else if (strcmp(c->get_name(), "layers") == 0) {
            if (!r.check(c, {}, {"layer1", "layer2"})) return false;
            for (const def_obj_t *f = c->get_first_child(); f; f = f->get_next())
                if (!read_layer(f, l.layers[strcmp(f->get_name(), "layer1") == 0 ? 0 : 1])) return false;
        } else if (strcmp(c->get_name(), "zones") == 0) {
            if (!r.check(c, {}, {}, true)) return false;
            for (const def_obj_t *z = c->get_first_child(); z; z = z->get_next()) {
                if (!r.check(z, {"area", "round", "slope", "height", "material"})) return false;
                map_zone_t zone;
                zone.name = z->get_name();
                if (r.has(z, "round") && !r.has(z, "area"))
                    return r.fail(z, "round", "'round' needs an 'area'");
                if (!r.has(z, "area") && !r.has(z, "slope") && !r.has(z, "height"))
                    return r.fail(z, nullptr, "zone '%s' needs an 'area', a 'slope' or a 'height'", z->get_name());
                if ((r.has(z, "area") && !read_area(z, zone.lo, zone.hi)) || !r.boolean(z, "round", zone.round) ||
                    !map_read_range(z, "slope", r, zone.slope) || !map_read_range(z, "height", r, zone.height) ||
                    !material_of(z, "material", map_material_t::TERRAIN, zone.material))
                    return false;
                l.zones.push_back(std::move(zone));
            }
        } else {
            if (!r.check(c, {}, {}, true)) return false;
            for (const def_obj_t *w = c->get_first_child(); w; w = w->get_next()) {
                if (!r.check(w, {"area", "level", "material"})) return false;
                map_water_t water;
                water.name = w->get_name();
                if (!r.has(w, "level")) return r.fail(w, nullptr, "'%s' has no 'level'", w->get_name());
                if (!read_area(w, water.lo, water.hi) || !r.real(w, "level", water.level) ||
                    !material_of(w, "material", map_material_t::WATER, water.material))
                    return false;
                l.water.push_back(std::move(water));
            }
        }
    }
    return true;
}

bool map_reader_t::read_feature(const def_obj_t *o) {
    map_feature_t f;
    f.name = o->get_name();
    const char *kind = r.text(o, "kind");
    if (!kind) return r.fail(o, nullptr, "height feature '%s' has no 'kind'", o->get_name());
    if (strcmp(kind, "noise") == 0) {
        f.kind = map_feature_t::NOISE;
        if (!r.check(o, {"kind", "seed", "amplitude", "wavelength", "octaves", "persistence"}) ||
            !r.count(o, "seed", f.seed, 0, 0xFFFFFFFFu) || !r.real(o, "amplitude", f.amplitude) ||
            !positive(o, "wavelength", f.wavelength) || !r.count(o, "octaves", f.octaves, 1, 8) ||
            !non_negative(o, "persistence", f.persistence))
            return false;
    } else if (strcmp(kind, "hill") == 0) {
        f.kind = map_feature_t::HILL;
        if (!r.check(o, {"kind", "centre", "radius", "height"}) || !r.vec2(o, "centre", f.centre)) return false;
        std::vector<float> radius;
        if (!r.numbers(o, "radius", radius)) return false;
        if (radius.size() < 1 || radius.size() > 2 || !(radius[0] > 0.0f) || !(radius.back() > 0.0f))
            return r.fail(o, "radius", "a hill needs a 'radius' of one or two numbers above 0");
        f.radius = {radius[0], radius.back()};
        if (!r.real(o, "height", f.height)) return false;
    } else if (strcmp(kind, "ramp") == 0) {
        f.kind = map_feature_t::RAMP;
        if (!r.check(o, {"kind", "from", "to", "height"}) || !r.vec2(o, "from", f.from) || !r.vec2(o, "to", f.to) ||
            !r.real(o, "height", f.height))
            return false;
        if (f.from == f.to) return r.fail(o, "to", "a ramp needs 'from' and 'to' apart");
    } else if (strcmp(kind, "line") == 0) {
        f.kind = map_feature_t::LINE;
        if (!r.check(o, {"kind", "from", "to", "radius", "height"}) || !r.vec2(o, "from", f.from) ||
            !r.vec2(o, "to", f.to) || !positive(o, "radius", f.radius.x) || !r.real(o, "height", f.height))
            return false;
    } else if (strcmp(kind, "flatten") == 0) {
        f.kind = map_feature_t::FLATTEN;
        f.radius = {0.0f, 0.0f};
        if (!r.check(o, {"kind", "centre", "radius", "blend", "height"}) || !r.vec2(o, "centre", f.centre) ||
            !non_negative(o, "radius", f.radius.x) || !non_negative(o, "blend", f.blend) ||
            !r.real(o, "height", f.height))
            return false;
    } else if (strcmp(kind, "grid") == 0) {
        f.kind = map_feature_t::GRID;
        if (!read_grid(o, f)) return false;
    } else {
        return r.fail(o, "kind", "unknown height feature kind \"%s\"", kind);
    }
    m.landscape.heights.push_back(std::move(f));
    return true;
}

bool map_reader_t::read_grid(const def_obj_t *o, map_feature_t &f) {
    if (!r.vec2(o, "origin", f.origin) || !positive(o, "step", f.step)) return false;
    std::vector<float> counts;
    if (!r.numbers(o, "counts", counts)) return false;
    if (counts.size() != 2 || !(counts[0] >= 1 && counts[1] >= 1 && counts[0] <= MAX_GRID_COUNT &&
                                counts[1] <= MAX_GRID_COUNT && counts[0] == std::floor(counts[0]) &&
                                counts[1] == std::floor(counts[1])))
        return r.fail(o, r.has(o, "counts") ? "counts" : nullptr, "a grid needs 'counts' of two whole numbers from 1 to %u",
                      MAX_GRID_COUNT);
    f.count_x = uint32_t(counts[0]);
    f.count_z = uint32_t(counts[1]);
    // Keys: kind, origin, step, counts and one "row<n>" per row, n from 0.
    for (const quarn::def_value_t *v = o->get_first_value(); v; v = v->get_next()) {
        const char *key = v->get_key();
        if (strcmp(key, "kind") == 0 || strcmp(key, "origin") == 0 || strcmp(key, "step") == 0 ||
            strcmp(key, "counts") == 0)
            continue;
        uint32_t row;
        if (strncmp(key, "row", 3) != 0 || !zmgen::zm_parse_uint(key + 3, row) || row >= f.count_z)
            return r.fail(o, key, "unknown key '%s' in grid '%s' (rows are row0 to row%u)", key, o->get_name(),
                          f.count_z - 1);
    }
    f.values.resize(size_t(f.count_x) * f.count_z);
    for (uint32_t row = 0; row < f.count_z; ++row) {
        const std::string key = "row" + std::to_string(row);
        std::vector<float> values;
        if (!r.has(o, key.c_str())) return r.fail(o, nullptr, "grid '%s' has no '%s'", o->get_name(), key.c_str());
        if (!r.numbers(o, key.c_str(), values)) return false;
        if (values.size() != f.count_x)
            return r.fail(o, key.c_str(), "'%s' needs %u heights, not %zu", key.c_str(), f.count_x, values.size());
        std::copy(values.begin(), values.end(), f.values.begin() + ptrdiff_t(row) * f.count_x);
    }
    return true;
}

bool map_reader_t::read_ramp(const def_obj_t *o, const char *key, map_ramp_t &ramp) {
    if (!r.has(o, key)) return true;
    float v[2];
    if (!r.reals(o, key, v, 2)) return false;
    ramp = {true, v[0], v[1]};
    return true;
}

bool map_reader_t::read_layer(const def_obj_t *o, map_layer_rule_t &rule) {
    if (!r.check(o, {"slope", "height", "noise"}) || !read_ramp(o, "slope", rule.slope) ||
        !read_ramp(o, "height", rule.height))
        return false;
    if (r.has(o, "noise")) {
        std::vector<float> v;
        if (!r.numbers(o, "noise", v)) return false;
        if (v.size() != 3 || v[0] < 0 || v[0] != std::floor(v[0]) || v[0] > 4294967295.0f || !(v[2] > 0.0f))
            return r.fail(o, "noise", "'noise' needs a seed (a whole number), an amplitude and a wavelength above 0");
        rule.noise = true;
        rule.noise_seed = uint32_t(v[0]);
        rule.noise_amplitude = v[1];
        rule.noise_wavelength = v[2];
    }
    return true;
}

std::string stem_of(const char *name) { return std::filesystem::path(name).stem().string(); }

}  // namespace

bool map_read(const quarn::def_pool_t &pool, const char *name, map_t &out) {
    out = map_t{};
    out.name = stem_of(name);
    return map_reader_t(name, out).read(pool);
}

bool map_read_description(const char *path, map_source_t &out) {
    if (!out.pool.read_from(path, quarn::FS_REALM_SYSTEM)) return false;
    return map_read(out.pool, path, out.map);
}

bool map_read_description_text(const std::string &text, const char *name, map_source_t &out) {
    if (!out.pool.read_text(text.data(), text.size(), name)) return false;
    return map_read(out.pool, name, out.map);
}

}  // namespace mapgen

#include "map_grass.h"

#include <algorithm>
#include <cmath>

#include "map_section_util.h"
#include "map_unit_text.h"
#include "zm_writer.h"

namespace mapgen {

using quarn::def_obj_t;

namespace {

bool is_word(const std::string &s) {
    if (s.empty() || s.size() > 64) return false;
    for (char c : s)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
    return true;
}

bool contains(const std::vector<std::string> &list, const std::string &s) {
    return std::find(list.begin(), list.end(), s) != list.end();
}

}  // namespace

bool map_read_grass(const def_obj_t &block, zmgen::zm_def_reader_t &r, std::vector<map_grass_kind_t> &out) {
    if (!r.check(&block, {}, {}, true)) return false;
    out.clear();
    std::vector<std::string> names;
    for (const def_obj_t *o = block.get_first_child(); o; o = o->get_next()) {
        if (!r.check(o, {"substance", "model", "part", "density", "density_range", "seed_dir", "seed_range", "yaw",
                         "yaw_range", "scale", "scale_variability", "align"}))
            return false;
        map_grass_kind_t k;
        k.name = o->get_name();
        if (!is_word(k.name)) return r.fail(o, nullptr, "the grass kind '%s' needs a name of letters, digits and '_'", k.name.c_str());
        for (const char *key : {"substance", "model", "part"})
            if (!r.has(o, key)) return r.fail(o, nullptr, "the grass kind '%s' has no '%s'", k.name.c_str(), key);
        k.substance = r.text(o, "substance");
        if (!is_word(k.substance)) return r.fail(o, "substance", "'substance' needs a substance name of letters, digits and '_'");
        if (!map_read_path(o, "model", r, true, k.model)) return false;
        k.part = r.text(o, "part");
        if (!is_word(k.part)) return r.fail(o, "part", "'part' needs a part name of letters, digits and '_'");
        if (!map_read_real(o, "density", r, 0.0f, 1000.0f, k.density) ||
            !map_read_real(o, "density_range", r, 0.0f, 1000.0f, k.density_range) ||
            !map_read_real(o, "seed_range", r, 0.0f, 180.0f, k.seed_range) ||
            !map_read_real(o, "yaw", r, -360.0f, 360.0f, k.yaw) ||
            !map_read_real(o, "yaw_range", r, 0.0f, 360.0f, k.yaw_range) ||
            !map_read_real(o, "scale", r, 0.0f, 100.0f, k.scale) ||
            !map_read_real(o, "scale_variability", r, 0.0f, 1.0f, k.scale_variability))
            return false;
        if (r.has(o, "seed_dir")) {
            if (!r.vec3(o, "seed_dir", k.seed_dir)) return false;
            const float l = std::sqrt(k.seed_dir.x * k.seed_dir.x + k.seed_dir.y * k.seed_dir.y + k.seed_dir.z * k.seed_dir.z);
            if (!(std::fabs(l - 1.0f) < 0.001f)) return r.fail(o, "seed_dir", "'seed_dir' must be a direction of length 1");
        }
        if (r.has(o, "align")) {
            k.align = r.text(o, "align");
            if (k.align != "vertical" && k.align != "surface" && k.align != "modulated_surface")
                return r.fail(o, "align", "'align' is one of vertical, surface and modulated_surface");
        }
        names.push_back(k.name);
        out.push_back(std::move(k));
    }
    return map_unique_names(block, r, names);
}

std::vector<std::string> map_terrain_substances(const map_t &map) {
    std::vector<std::string> out;
    if (!map.has_landscape) return out;
    std::vector<uint32_t> materials{map.landscape.material};
    for (const map_zone_t &z : map.landscape.zones) materials.push_back(z.material);
    for (uint32_t m : materials) {
        if (m >= map.materials.size() || map.materials[m].kind != map_material_t::TERRAIN) continue;
        for (uint32_t t : map.materials[m].layers)
            if (t < map.textures.size() && !contains(out, map.textures[t].substance))
                out.push_back(map.textures[t].substance);
    }
    return out;
}

std::string map_grass_text(const std::vector<map_grass_kind_t> &kinds, const std::vector<std::string> &substances,
                           const std::string &source) {
    // The sets in the order their substances first come, the models likewise.
    std::vector<std::string> sets, models;
    for (const map_grass_kind_t &k : kinds) {
        if (!contains(substances, k.substance)) continue;
        if (!contains(sets, k.substance)) sets.push_back(k.substance);
        if (!contains(models, k.model)) models.push_back(k.model);
    }
    auto index_of = [](const std::vector<std::string> &list, const std::string &s) {
        return std::to_string(std::find(list.begin(), list.end(), s) - list.begin());
    };
    map_unit_text_t t(source);
    t.begin("grass", ".grass");
    t.whole("sets", uint32_t(sets.size()));
    for (size_t i = 0; i < sets.size(); ++i) t.word(("sets[" + std::to_string(i) + "]").c_str(), ".set" + std::to_string(i));
    t.whole("models", uint32_t(models.size()));
    for (size_t i = 0; i < models.size(); ++i) t.word(("models[" + std::to_string(i) + "]").c_str(), ".model" + std::to_string(i));
    t.end();
    // Templates before the kinds that point to them, so that they are made first.
    for (size_t i = 0; i < models.size(); ++i) {
        t.begin("model_template", ".model" + std::to_string(i));
        t.text("model_desc", models[i]);
        t.end();
    }
    for (size_t i = 0; i < sets.size(); ++i) {
        t.begin("grass_set", ".set" + std::to_string(i));
        t.text("substance", sets[i]);
        std::vector<size_t> own;
        for (size_t k = 0; k < kinds.size(); ++k)
            if (kinds[k].substance == sets[i]) own.push_back(k);
        t.whole("properties", uint32_t(own.size()));
        for (size_t p = 0; p < own.size(); ++p)
            t.word(("properties[" + std::to_string(p) + "]").c_str(), ".kind" + std::to_string(own[p]));
        t.end();
    }
    for (size_t n = 0; n < kinds.size(); ++n) {
        const map_grass_kind_t &k = kinds[n];
        if (!contains(substances, k.substance)) continue;
        t.begin("grass_property", ".kind" + std::to_string(n));
        t.word("model_template", ".model" + index_of(models, k.model));
        t.text("model_part_name", k.part);
        t.real("density", k.density);
        t.real("density_range", k.density_range);
        t.vec3("seed_dir", k.seed_dir);
        t.real("seed_range", k.seed_range);
        t.real("yaw", k.yaw);
        t.real("yaw_range", k.yaw_range);
        t.real("scale", k.scale);
        t.real("scale_variability", k.scale_variability);
        t.word("align", k.align);
        t.end();
    }
    return t.finish();
}

bool map_check_grass(const map_t &, const def_obj_t &block, zmgen::zm_def_reader_t &r) {
    std::vector<map_grass_kind_t> kinds;
    return map_read_grass(block, r, kinds);
}

bool map_write_grass(const map_t &map, const def_obj_t &block, const std::string &folder, zmgen::zm_def_reader_t &r) {
    std::vector<map_grass_kind_t> kinds;
    if (!map_read_grass(block, r, kinds)) return false;
    const std::string text = map_grass_text(kinds, map_terrain_substances(map), "the map '" + map.name + "'");
    return zmgen::zm_write_file(folder + "/grass.unit", zmgen::bytes_t(text.begin(), text.end()));
}

}  // namespace mapgen

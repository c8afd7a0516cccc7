#include "map_writer.h"

#include <cstdio>
#include <filesystem>

#include "map_sections.h"
#include "qrncore/system/messages.h"
#include "zm_writer.h"

namespace mapgen {

namespace {

std::string number(float v) {
    char text[32];
    snprintf(text, sizeof text, "%g", double(v));
    return text;
}

std::string numbers(std::initializer_list<float> values) {
    std::string out;
    for (float v : values) out += (out.empty() ? "" : " ") + number(v);
    return out;
}

bool write_text(const std::string &path, const std::string &text) {
    return zmgen::zm_write_file(path, zmgen::bytes_t(text.begin(), text.end()));
}

bool make_folder(const std::string &folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        quarn::error("[mapgen] Cannot make the folder '%s': %s", folder.c_str(), error.message().c_str());
        return false;
    }
    return true;
}

}  // namespace

std::string map_texture_table(const map_t &map) {
    std::string out;
    for (const map_texture_t &t : map.textures) {
        const size_t slash = t.file.rfind('/');
        const size_t dot = t.file.rfind('.');
        const std::string key = dot != std::string::npos && dot > slash ? t.file.substr(0, dot) : t.file;
        out += key + ": " + t.substance + "\n";
    }
    return out;
}

std::string map_material_text(const map_t &map, const map_material_t &material) {
    std::string out = "# Written by mapgen from the material '" + material.name + "' of the map descriptions.\n";
    out += "def material {\n";
    if (material.kind == map_material_t::TERRAIN) {
        const std::string pass =
            material.pass.empty() ? "single_" + std::to_string(material.layers.size()) + "l" : material.pass;
        out += "    effect: \"/effect/fw4/fw_terrain\"\n";
        out += "    pass: \"" + pass + "\"\n";
        out += "    def textures {\n";
        for (size_t k = 0; k < material.layers.size(); ++k) {
            const map_texture_t &t = map.textures[material.layers[k]];
            const std::string n = std::to_string(k);
            out += "        def layer" + n + " {\n            sampler: \"texture_sampler[" + n + "]\"\n";
            out += "            file: \"" + t.file + "\"\n        }\n";
            if (!t.normal.empty()) {
                out += "        def normal" + n + " {\n            sampler: \"normal_sampler[" + n + "]\"\n";
                out += "            file: \"" + t.normal + "\"\n        }\n";
            }
        }
        out += "    }\n";
    } else {
        const map_texture_t &t = map.textures[material.texture];
        out += "    effect: \"/effect/fw4/fw_water\"\n";
        out += "    substance: \"" + std::to_string(MAP_WATER_SUBSTANCE) + "\"\n";
        out += "    water_colour: \"" +
               numbers({material.colour.x, material.colour.y, material.colour.z, material.colour.w}) + "\"\n";
        out += "    reflection: \"" + numbers({material.reflection.x, material.reflection.y}) + "\"\n";
        out += "    tile: \"" + numbers({material.tile.x, material.tile.y}) + "\"\n";
        out += "    def textures {\n";
        out += "        texture_sampler: \"" + t.file + "\"\n";
        out += "        normal_sampler: \"" + (t.normal.empty() ? std::string("/procedural/water_noise.tobj") : t.normal) +
               "\"\n";
        out += "    }\n";
    }
    out += "}\n";
    return out;
}

bool map_write_landscape(const map_build_t &build, const std::string &folder) {
    if (!make_folder(folder)) return false;
    const std::string path = folder + "/landscape.lnd";
    if (!zmgen::zm_write_file(path, lnd_write(build.landscape))) return false;
    for (const map_chunk_t &chunk : build.chunks) {
        const std::string zmd = lnd_chunk_path(path, chunk.index, "");
        const std::string base = std::filesystem::path(zmd).filename().string();
        if (!zmgen::zm_write_model(chunk.model, folder, base)) return false;
    }
    return true;
}

bool map_write_folder(const map_source_t &source, const std::string &folder) {
    map_build_t build;
    if (!map_build(source.map, build) || !map_write_landscape(build, folder)) return false;
    zmgen::zm_def_reader_t reader(source.map.name, "[mapgen]");
    for (const map_section_t &section : map_sections())
        for (const quarn::def_obj_t *o = source.pool.get_first_object(); o; o = o->get_next())
            if (std::string(o->get_name()) == section.block &&
                !section.write(source.map, source.pool, *o, folder, reader))
                return false;
    return true;
}

bool map_write_materials(const map_t &map, const std::string &base) {
    const std::string folder = base + "/material/map";
    if (!make_folder(folder)) return false;
    if (!write_text(folder + "/texture.db", map_texture_table(map))) return false;
    for (const map_material_t &material : map.materials)
        if (!write_text(folder + "/" + material.name + ".mat", map_material_text(map, material))) return false;
    return true;
}

}  // namespace mapgen

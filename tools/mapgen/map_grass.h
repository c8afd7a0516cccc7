#pragma once
// The section `grass` of a map description: the plant kinds that grow by themselves on
// the terrain's substances, one block per kind. The map's "grass.unit" holds one set
// for each substance that a kind names and that a texture of the map's terrain
// materials has, the kinds in the order given, and one model template for each model
// the written kinds use (docs/formats/map-description.md, "The grass").
#include <string>
#include <vector>

#include "map_model.h"
#include "outside/qrnshared/def_obj.h"
#include "zm_def_reader.h"

namespace mapgen {

struct map_grass_kind_t {
    std::string name;       // the block's name
    std::string substance;  // a substance name of "/material/material.db"
    std::string model;      // the model's ".zmd" path
    std::string part;       // the model's part to copy
    float density = 5.0f;
    float density_range = 5.0f;
    vec3_t seed_dir{0.0f, 1.0f, 0.0f};
    float seed_range = 90.0f;
    float yaw = 0.0f;
    float yaw_range = 180.0f;
    float scale = 1.0f;
    float scale_variability = 0.3f;
    std::string align = "surface";  // vertical, surface, modulated_surface
};

// Reads and checks the kinds of the block; false, reported, for a fault.
bool map_read_grass(const quarn::def_obj_t &block, zmgen::zm_def_reader_t &reader,
                    std::vector<map_grass_kind_t> &out);
// The substances the map's terrain has (the textures of the materials its landscape
// and zones use), each once.
std::vector<std::string> map_terrain_substances(const map_t &map);
// The unit file of the kinds whose substance is one of the listed ones.
std::string map_grass_text(const std::vector<map_grass_kind_t> &kinds, const std::vector<std::string> &substances,
                           const std::string &source);

bool map_check_grass(const map_t &map, const quarn::def_obj_t &block, zmgen::zm_def_reader_t &reader);
// Writes "<folder>/grass.unit".
bool map_write_grass(const map_t &map, const quarn::def_obj_t &block, const std::string &folder,
                     zmgen::zm_def_reader_t &reader);

}  // namespace mapgen

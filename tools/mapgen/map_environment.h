#pragma once
// The section `environment` of a map description: its weather presets, one block per
// preset, each written as "environment/<preset>.unit" in the map folder
// (docs/formats/environment-preset.md). The sun tables, the temperature's change
// speed and the drift settings are the shared includes under "/map/common/".
#include <string>
#include <vector>

#include "map_model.h"
#include "outside/qrnshared/def_obj.h"
#include "zm_def_reader.h"

namespace mapgen {

struct map_weather_t {
    std::string name;         // the preset's file name without ".unit"
    std::string pretty_name;  // "@@df_weather_<name>@@" unless given
    std::string sun;          // the sun table included from "/map/common/"
    bool has_cond = false;    // weather_cond is written only when given (0 otherwise)
    float cond = 0.0f;
    std::string skybox;
    bool fog_by_visibility = false;
    float fog = 0.0f;  // max_intensity, or max_visibility
    quarn::vec3_t fog_colour{0.5f, 0.5f, 0.5f};
    bool fog_dims_sun = false;
    float min_temperature = 0.0f, max_temperature = 0.0f;
    float wind = 0.0f;
    std::string sun_name;  // the map's name unless given
};

// Reads and checks one preset block; false, reported, for a fault.
bool map_read_weather(const map_t &map, const quarn::def_obj_t &block, zmgen::zm_def_reader_t &reader,
                      map_weather_t &out);
// The preset's unit file.
std::string map_weather_text(const map_weather_t &weather);

// The section's row functions: every block of `environment` a sound preset; each
// written into "<folder>/environment/".
bool map_check_environment(const map_t &map, const quarn::def_obj_t &block, zmgen::zm_def_reader_t &reader);
bool map_write_environment(const map_t &map, const quarn::def_obj_t &block, const std::string &folder,
                           zmgen::zm_def_reader_t &reader);

}  // namespace mapgen

#pragma once
// Readings the map objects' sections share: point lists, values given once or once a
// point, unit names and texts, positions on the ground.
#include <string>
#include <vector>

#include "map_model.h"
#include "outside/qrnshared/def_obj.h"
#include "zm_def_reader.h"

namespace mapgen {

// The points "x z, x z ..." of a key (at least one; each on the terrain).
bool map_read_points(const map_t &map, const quarn::def_obj_t *o, const char *key, zmgen::zm_def_reader_t &r,
                     std::vector<vec2_t> &out);
// A key of one number for every point or one number a point; a missing key gives the
// default for every point. Each value within [min, max].
bool map_read_per_point(const quarn::def_obj_t *o, const char *key, zmgen::zm_def_reader_t &r, size_t count,
                        float fallback, float min, float max, std::vector<float> &out);
// A required unit name (map_is_unit_name).
bool map_read_unit_name(const quarn::def_obj_t *o, zmgen::zm_def_reader_t &r, std::string &out);
// A required text that can stand in a unit file's quotes and begins with '/'.
bool map_read_path(const quarn::def_obj_t *o, const char *key, zmgen::zm_def_reader_t &r, bool required,
                   std::string &out);
// One real within [min, max]; a missing key leaves out alone.
bool map_read_real(const quarn::def_obj_t *o, const char *key, zmgen::zm_def_reader_t &r, float min, float max,
                   float &out);
// An area "x0 z0 x1 z1" with x1 > x0 and z1 > z0 (required: a missing key is a fault).
bool map_read_area(const quarn::def_obj_t *o, const char *key, zmgen::zm_def_reader_t &r, vec2_t &lo, vec2_t &hi);
// A range "least" or "least most" (the most not below the least); a missing key
// leaves out alone.
bool map_read_range(const quarn::def_obj_t *o, const char *key, zmgen::zm_def_reader_t &r, map_range_t &out);
// The ground under (x, z), raised by lift.
vec3_t map_on_ground(const map_t &map, const vec2_t &at, float lift);
// A word of 1 to 64 letters, digits and '_' (preset, kind, substance and part names).
bool map_is_word(const std::string &s);
// Names given twice in a list of names: reports the second and gives false.
bool map_unique_names(const quarn::def_obj_t &block, zmgen::zm_def_reader_t &r, const std::vector<std::string> &names);

}  // namespace mapgen

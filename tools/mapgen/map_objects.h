#pragma once
// The map objects' sections of a map description (docs/formats/map-description.md):
// - `starts` → "landscape.start.unit": start points of the hunter and the animals;
// - `trails` → "landscape.trail.unit": the trails animals and cameras follow;
// - `objects` → "landscape.game.unit": body and plant descriptions and their
//   placements (given point by point, or strewn by placement rules), sound loops,
//   attraction areas and particle emitters.
// Every position is given as x z and dropped onto the written ground (plus a lift).
// The readers give plain data, which the writers turn into unit files
// (docs/formats/map-units.md) and tests may look at.
#include <cstdint>
#include <string>
#include <vector>

#include "map_model.h"
#include "outside/qrnshared/def_obj.h"
#include "outside/qrnshared/def_pool.h"
#include "zm_def_reader.h"

namespace mapgen {

struct map_start_t {
    std::string name;      // the unit's name ("PlayerStart.startPoint0")
    bool animal = false;   // CATEGORY_animal, else CATEGORY_hunter
    vec2_t at;             // x z
    float lift = 0.0f;     // above the ground
    vec2_t facing{0.0f, -1.0f};  // the direction faced, x z
    float view_limit = 55.0f;    // degrees, 0..180
};

struct map_trail_t {
    std::string name;
    std::vector<vec2_t> points;  // x z
    std::vector<float> lifts;    // one per point
    std::vector<float> speeds;   // one per point
    std::vector<int32_t> gaits;  // one per point: 0 walk, 1 run, 2 leap, 3 charge
};

struct map_body_kind_t {
    std::string block;   // the block's name, by which placements name it
    std::string name;    // the unit's name
    bool plant = false;  // plant_desc, else body_desc
    std::string model;   // base model file ("/model/plant/oak/plant.ma")
    std::string animation;
    std::string look = "default", variant = "default";
    uint32_t instances = 1;  // unique_instances, 1..8
    bool collidable = false;
};

struct map_place_t {
    uint32_t kind = 0;  // index into map_objects_t::kinds
    std::vector<vec2_t> points;
    std::vector<float> scales;  // one per point
    std::vector<float> yaws;    // degrees, one per point
    std::vector<float> lifts;   // one per point
};

struct map_sound_t {
    std::string file;
    vec2_t at;
    float lift = 1.0f;
    float volume = 1.0f, min_range = 5.0f, max_range = 20.0f;
    bool ambient = false;
};

struct map_area_t {
    vec2_t at;
    float radius = 10.0f;
    bool water = false;
    int32_t species = 0;  // SPECIES_all 0, deer 1, bear 2, elk 3, goat 4, buffalo 5
};

struct map_emitter_t {
    std::string name;
    std::string hookup;  // the particle set's unit name
    vec2_t at;
    float lift = 0.0f;
    float yaw = 0.0f, pitch = 0.0f;
    float init_time = 0.0f;
    std::vector<float> emit_stop_times;
    bool autostart = false, loop = false;
};

// What placement rules keep clear of (docs/formats/map-description.md, "Placement
// rules"): corridors along the trails, rings around the start points and the hunter's
// sight from each hunter's start to the trail points within its view.
struct map_clearance_t {
    float trails = 3.0f;          // half-width of the corridor along a trail
    float starts = 6.0f;          // radius around a start point
    float sight = 2.0f;           // half-width of a sight line
    float sight_range = 100.0f;   // how far from the start sight lines reach
    // Name prefixes (letter case ignored) of the trails the hunter watches; empty: all.
    std::vector<std::string> sight_trails;
    // Areas kept clear whole (x and z of their low and high corners): where the
    // navigation has water that the terrain keeps dry, say.
    std::vector<vec2_t> areas;  // lo, hi, lo, hi ...
};

// A placement rule (`scatter`): objects of one or more kinds strewn over an area.
struct map_scatter_t {
    std::string block;
    std::vector<uint32_t> kinds;   // indices into map_objects_t::kinds
    std::vector<float> weights;    // one per kind
    vec2_t lo, hi;                 // the area, x and z
    bool round = false;            // the ellipse within the area
    float density = 0.0f;          // objects a square unit where nothing thins them
    float edge = 0.0f;             // width over which the density fades out at the edge
    float patch_wavelength = 0.0f; // stands and gaps: value noise of this wavelength ...
    float patch_share = 0.0f;      // ... leaves about this share of the area bare
    float spacing = 2.0f;          // least distance between two of the rule's objects
    map_range_t slope, height;     // of the ground
    float water = 2.0f;            // distance kept from standing water
    float scale_min = 1.0f, scale_max = 1.0f;
    float lift = 0.0f;
    uint32_t seed = 1;
};

struct map_objects_t {
    std::vector<map_body_kind_t> kinds;
    std::vector<map_place_t> places;
    std::vector<map_sound_t> sounds;
    std::vector<map_area_t> areas;
    std::vector<map_emitter_t> emitters;
    map_clearance_t clearance;
    std::vector<map_scatter_t> scatters;
};

// The map's starts and trails, which placement rules keep clear of.
struct map_layout_t {
    std::vector<map_start_t> starts;
    std::vector<map_trail_t> trails;
};

// Readers: false (reported through the reader) for a fault.
bool map_read_starts(const map_t &map, const quarn::def_obj_t &block, zmgen::zm_def_reader_t &r,
                     std::vector<map_start_t> &out);
bool map_read_trails(const map_t &map, const quarn::def_obj_t &block, zmgen::zm_def_reader_t &r,
                     std::vector<map_trail_t> &out);
bool map_read_objects(const map_t &map, const quarn::def_obj_t &block, zmgen::zm_def_reader_t &r,
                      map_objects_t &out);
// The starts and trails of a description (none for a missing section).
bool map_read_layout(const map_t &map, const quarn::def_pool_t &description, zmgen::zm_def_reader_t &r,
                     map_layout_t &out);
// Runs the placement rules in order: their objects join objects.places (a place per
// rule and kind), each kept apart from what stands before it. The same map, layout and
// rules give the same places.
void map_plant(const map_t &map, const map_layout_t &layout, map_objects_t &objects);

// The unit files' texts.
std::string map_starts_text(const map_t &map, const std::vector<map_start_t> &starts);
std::string map_trails_text(const map_t &map, const std::vector<map_trail_t> &trails);
std::string map_objects_text(const map_t &map, const map_objects_t &objects);

// The rows of map_sections.cpp.
bool map_check_starts(const map_t &map, const quarn::def_obj_t &block, zmgen::zm_def_reader_t &r);
bool map_write_starts(const map_t &map, const quarn::def_obj_t &block, const std::string &folder,
                      zmgen::zm_def_reader_t &r);
bool map_check_trails(const map_t &map, const quarn::def_obj_t &block, zmgen::zm_def_reader_t &r);
bool map_write_trails(const map_t &map, const quarn::def_obj_t &block, const std::string &folder,
                      zmgen::zm_def_reader_t &r);
bool map_check_objects(const map_t &map, const quarn::def_pool_t &description, const quarn::def_obj_t &block,
                       zmgen::zm_def_reader_t &r);
bool map_write_objects(const map_t &map, const quarn::def_pool_t &description, const quarn::def_obj_t &block,
                       const std::string &folder, zmgen::zm_def_reader_t &r);

}  // namespace mapgen

#pragma once
// A map as its description gives it (docs/formats/map-description.md), as plain data:
// the terrain textures with their substances, the terrain and water materials, and the
// landscape (extent, chunks, height features, layer weights, material zones, water
// bodies). The reader (map_description.h) fills it; tests may fill or change one in
// code before the builder (map_builder.h) turns it into chunk models.
#include <cstdint>
#include <string>
#include <vector>

#include "qrncore/math/vec.h"

namespace mapgen {

using quarn::vec2_t;
using quarn::vec3_t;
using quarn::vec4_t;

constexpr uint32_t MAP_NONE = 0xFFFFFFFFu;
// The substance index of water in "/material/material.db": the terrain code keeps
// pieces of materials of this substance out of its triangle walks.
constexpr uint32_t MAP_WATER_SUBSTANCE = 16;
// The collision model's physics materials: terrain triangles, water surfaces.
constexpr uint32_t MAP_GROUND_PHYSICS = 1;
constexpr uint32_t MAP_WATER_PHYSICS = 16;
// Vertices one piece may hold (16-bit indices).
constexpr uint32_t MAP_PIECE_VERTICES = 65535;

struct map_texture_t {
    std::string name;       // the block's name
    std::string file;       // the texture's path ("/texture/map/grass.tga")
    std::string normal;     // its normal map, or empty
    std::string substance;  // a substance name of "/material/material.db"
    float scale = 8.0f;     // world units one repeat of the texture covers
};

struct map_material_t {
    enum kind_t { TERRAIN, WATER };

    std::string name;  // the block's name; the file is "/material/map/<name>.mat"
    kind_t kind = TERRAIN;
    // Terrain: one to three textures (indices into map_t::textures), layer 0 first.
    std::vector<uint32_t> layers;
    std::string pass;  // empty: "single_<layer count>l"
    // Water.
    uint32_t texture = MAP_NONE;
    vec4_t colour{0.1f, 0.25f, 0.3f, 0.6f};
    vec2_t reflection{0.5f, 0.5f};
    vec2_t tile{8.0f, 8.0f};

    std::string path() const { return "/material/map/" + name + ".mat"; }
};

struct map_feature_t {
    enum kind_t { NOISE, HILL, RAMP, FLATTEN, LINE, GRID };

    std::string name;
    kind_t kind = NOISE;
    // noise
    uint32_t seed = 1;
    float amplitude = 1.0f;
    float wavelength = 64.0f;
    uint32_t octaves = 3;
    float persistence = 0.5f;
    // hill, flatten
    vec2_t centre;
    vec2_t radius{1.0f, 1.0f};  // flatten, line: x only
    float height = 0.0f;        // hill, ramp, line: added; flatten: the level
    float blend = 0.0f;         // flatten: width of the edge
    // ramp, line
    vec2_t from, to;
    // grid: counts.x × counts.y values, rows of increasing z, each of increasing x
    vec2_t origin;
    float step = 1.0f;
    uint32_t count_x = 0, count_z = 0;
    std::vector<float> values;
};

// A ramp of a value: 0 at `from`, 1 at `to` (descending when from > to).
struct map_ramp_t {
    bool set = false;
    float from = 0.0f, to = 1.0f;
};

// How one extra layer's weight comes about at a vertex.
struct map_layer_rule_t {
    map_ramp_t slope;   // slope = 1 - normal.y
    map_ramp_t height;  // the ground's height
    bool noise = false;
    uint32_t noise_seed = 1;
    float noise_amplitude = 0.0f;
    float noise_wavelength = 32.0f;
};

// A range of a value, its ends included.
struct map_range_t {
    float min = -3.4e38f, max = 3.4e38f;
    bool holds(float v) const { return v >= min && v <= max; }
};

// Where a material other than the landscape's lies: triangles whose centre is in the
// area (or the ellipse within it), whose face slope (1 - normal.y) and centre height
// are in their ranges.
struct map_zone_t {
    std::string name;
    vec2_t lo{-3.4e38f, -3.4e38f}, hi{3.4e38f, 3.4e38f};  // x and z; everywhere by default
    bool round = false;
    map_range_t slope, height;
    uint32_t material = MAP_NONE;

    bool holds(const vec2_t &centre, float slope_of, float height_of) const {
        if (!(centre.x >= lo.x && centre.x <= hi.x && centre.y >= lo.y && centre.y <= hi.y)) return false;
        if (round) {
            const float dx = (2.0f * centre.x - lo.x - hi.x) / (hi.x - lo.x);
            const float dz = (2.0f * centre.y - lo.y - hi.y) / (hi.y - lo.y);
            if (dx * dx + dz * dz > 1.0f) return false;
        }
        return slope.holds(slope_of) && height.holds(height_of);
    }
};

struct map_water_t {
    std::string name;
    vec2_t lo, hi;  // x and z
    float level = 0.0f;
    uint32_t material = MAP_NONE;
};

struct map_landscape_t {
    vec2_t lo{-64.0f, -64.0f}, hi{64.0f, 64.0f};  // x and z of the terrain's corners
    uint32_t chunks_x = 1, chunks_z = 1;
    float spacing = 4.0f;
    uint32_t material = MAP_NONE;  // of every terrain triangle outside the zones
    uint32_t tint = 0xFF808080u;   // vertex colour (red, green, blue)
    bool collision = true;         // chunks get collision models
    std::vector<map_feature_t> heights;
    map_layer_rule_t layers[2];    // layer 1 (colour alpha), layer 2 (further alpha)
    std::vector<map_zone_t> zones;
    std::vector<map_water_t> water;
};

struct map_t {
    std::string name;  // the description's file name without extension
    std::vector<map_texture_t> textures;
    std::vector<map_material_t> materials;
    bool has_landscape = false;
    map_landscape_t landscape;

    // The terrain's height at (x, z): every feature in order (map_terrain.cpp).
    float height_at(float x, float z) const;
    // The normal of the height field at (x, z), from differences one spacing apart.
    vec3_t normal_at(float x, float z) const;
    // The height of the written ground mesh at (x, z): the heights of the sample grid
    // (one spacing apart from the terrain's low corner) on the triangle of its cell
    // that holds the point, as the builder splits cells. Points beyond the terrain
    // take its edge.
    float ground_at(float x, float z) const;
    // Whether (x, z) lies on the terrain (edges included).
    bool on_terrain(float x, float z) const;

    uint32_t find_texture(const std::string &name) const;
    uint32_t find_material(const std::string &name) const;
};

}  // namespace mapgen

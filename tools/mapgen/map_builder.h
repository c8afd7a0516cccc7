#pragma once
// Turns a map's landscape into chunk models and the landscape file's records
// (docs/formats/map-description.md, "What the writer makes"):
// - the terrain of each chunk is a grid of height samples `spacing` apart, two
//   triangles a cell, one indexed piece per material (zones choose it per triangle),
//   with normals, chunk-local texture coordinates, the tint with layer 1's weight in
//   the colour's alpha and layer 2's weight in the further stream's alpha;
// - each water body adds, over the cells of its area where the ground lies below its
//   level, a flat piece at the level with its water material;
// - one part per piece; one look "default" naming each slot's material; one variant;
// - the collision model: set 0 holds the terrain mesh (collision material 0, physics
//   material 1) and one mesh per water body (material 1, physics material 16);
// - the chunk's record: its box, both flags, and per material slot the texture
//   transforms of the slot's terrain layers.
#include <cstdint>
#include <string>
#include <vector>

#include "map_landscape_file.h"
#include "map_model.h"
#include "zm_model.h"

namespace mapgen {

struct map_chunk_t {
    uint32_t index = 0;
    uint32_t cell_x = 0, cell_z = 0;  // the chunk's column (x) and row (z)
    vec2_t lo, hi;                    // its x and z extent
    zmgen::zm_model_t model;          // geometry, descriptor and (when wanted) collision
    lnd_chunk_t record;
};

struct map_build_t {
    std::vector<map_chunk_t> chunks;  // row by row: chunk index = row × chunks_x + column
    lnd_file_t landscape;
};

// Builds every chunk of a map with a landscape; false (logged "[mapgen]") when a
// chunk cannot be made (a piece over 65535 vertices).
bool map_build(const map_t &map, map_build_t &out);
// The texture transform of one material slot of a chunk whose low corner is (x0, z0):
// layer k of a terrain material gets scale 1 / the texture's scale and offsets that
// continue the texture across chunk edges; other layers and water slots are identity.
lnd_slot_t map_slot_record(const map_t &map, const map_material_t &material, float x0, float z0);

}  // namespace mapgen

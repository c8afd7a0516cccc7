#pragma once
// Writes what a map description makes:
// - the map folder: "landscape.lnd" and each chunk's "landscape_%04u.zmd", ".zmg" and
//   (with collision) ".zmc", then the files of the description's other sections;
// - the shared terrain files: the texture table "material/map/texture.db" (one line
//   "key: substance" per texture, key = the texture's path without its extension) and
//   one material file "material/map/<name>.mat" per material.
// Paths are operating-system paths; folders are made when needed. Failures are logged
// with "[mapgen]".
#include <string>

#include "map_builder.h"
#include "map_description.h"

namespace mapgen {

// The texture table's lines for the map's textures, in the order they are given.
std::string map_texture_table(const map_t &map);
// The text of one material file.
std::string map_material_text(const map_t &map, const map_material_t &material);

// Writes the landscape of a built map into folder.
bool map_write_landscape(const map_build_t &build, const std::string &folder);
// Builds and writes the whole map folder: the landscape, then every section.
bool map_write_folder(const map_source_t &source, const std::string &folder);
// Writes the texture table and the material files below base (the folder that
// mirrors the virtual tree's root).
bool map_write_materials(const map_t &map, const std::string &base);

}  // namespace mapgen

#pragma once
// The sections a map description may hold besides `textures`, `materials` and
// `landscape`: each is a top-level block that one part of the map reads and turns
// into files of the map folder (the map objects' unit files, the grass, the
// environment presets). A part adds one row to the table in map_sections.cpp; the
// reader then accepts the block, checks it before anything is written, and the writer
// calls it after the landscape, in table order.
#include <string>
#include <vector>

#include "map_model.h"
#include "outside/qrnshared/def_obj.h"
#include "outside/qrnshared/def_pool.h"
#include "zm_def_reader.h"

namespace mapgen {

// Each function gets the whole description beside its block: a section may read the
// blocks of others (the objects' placement rules keep clear of the starts and trails).
struct map_section_t {
    const char *block;  // the top-level block's name
    // Checks the block against the map; reports through the reader and returns false
    // for a fault. Null: nothing to check.
    bool (*check)(const map_t &map, const quarn::def_pool_t &description, const quarn::def_obj_t &block,
                  zmgen::zm_def_reader_t &reader);
    // Writes the section's files into the map folder (an operating-system path); the
    // landscape is written by then, so map.height_at gives the ground.
    bool (*write)(const map_t &map, const quarn::def_pool_t &description, const quarn::def_obj_t &block,
                  const std::string &folder, zmgen::zm_def_reader_t &reader);
};

const std::vector<map_section_t> &map_sections();
// The row of a block name, or null.
const map_section_t *map_find_section(const char *block);
// The description's first top-level block of that name, or null.
const quarn::def_obj_t *map_find_block(const quarn::def_pool_t &description, const char *block);

}  // namespace mapgen

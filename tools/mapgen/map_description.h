#pragma once
// Map descriptions: readable texts in the definition-file syntax from which the map
// writer makes a map folder (docs/formats/map-description.md). The top-level blocks
// are sections: `textures` and `materials` (usually from a shared file included with
// extdefs), `landscape`, and the sections of map_sections.h that other parts of the
// map (objects, grass, weather) add. Errors read "[mapgen] file:line: what is wrong".
#include <memory>
#include <string>

#include "map_model.h"
#include "outside/qrnshared/def_pool.h"

namespace mapgen {

// A read description: the pool stays with the map, because sections read their
// blocks from it when they write.
struct map_source_t {
    quarn::def_pool_t pool;
    map_t map;
};

// Fills out from a description read into pool; name stands for the description in
// messages about objects made by code and gives the map its name (its file name
// without folder and extension). False, logged, for a broken description.
bool map_read(const quarn::def_pool_t &pool, const char *name, map_t &out);
// Reads the description file at path (an operating-system path; includes are
// relative to it).
bool map_read_description(const char *path, map_source_t &out);
// The same from text; name is its file name in messages.
bool map_read_description_text(const std::string &text, const char *name, map_source_t &out);

}  // namespace mapgen

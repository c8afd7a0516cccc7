#pragma once
// The readable description of a navigation mesh, as the map sources hold it
// (docs/formats/sector-ai.md): named points and cells over them, and grid blocks
// that lay out square cells from a character map of kinds.
#include <cstdint>
#include <string>
#include <vector>

namespace sectorgen {

struct point_t {
    std::string name;  // empty for the corners of a grid
    float x = 0.0f, y = 0.0f, z = 0.0f;
};

struct cell_t {
    uint32_t kind = 0;
    std::vector<uint32_t> corners;  // indices into the description's points
    std::string where;              // "file:line" (and the column of a grid cell), for messages
};

struct description_t {
    std::vector<point_t> points;
    std::vector<cell_t> cells;
};

// Grid map characters: the letters of the navigation debug view, and '.' for no cell.
// Returns false for any other character.
bool grid_kind(char c, bool *has_cell, uint32_t *kind);

// Reads a description. source names it in messages ("file:line: what is wrong").
// Points and cells keep the order of the text; a grid adds its cells row by row (z
// from the origin on, x along each row) and the corners they use as it meets them.
bool read_description(const std::string &text, const std::string &source, description_t *out, std::string *error);

}  // namespace sectorgen

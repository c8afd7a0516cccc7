#pragma once
// Turns a description into the records of a "sector.ai" file: checks every cell,
// orders its corners the way the reader expects and links the edges that cells
// share.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sector_description.h"

namespace sectorgen {

struct link_t {
    uint32_t point = 0;
    bool has_neighbour = false;
    uint32_t neighbour_cell = 0;
    uint32_t neighbour_edge = 0;
};

struct sector_cell_t {
    uint32_t kind = 0;
    std::vector<link_t> links;
};

// The records of a sector file, as written (sector_file.h) and read.
struct sector_t {
    std::vector<std::array<float, 3>> points;
    std::vector<sector_cell_t> cells;
};

// Corners closer than this in x and z (squared distance) count as equal; the reader
// refuses an edge that short.
inline constexpr float MIN_EDGE_LENGTH_SQUARED = 0.00001f;

// Builds the sector. A cell is refused (error "where: what is wrong") when two of
// its corners are equal, when it is not convex (a corner turning the other way or
// folding back, corners that go round more than once, no area) or when it overlaps
// another cell; cells may share edges and corners. Corners listed the other way
// round are reversed. Two cells become neighbours across an edge whose two end
// corners they share (by position in x and z).
bool build_sector(const description_t &description, sector_t *out, std::string *error);

}  // namespace sectorgen

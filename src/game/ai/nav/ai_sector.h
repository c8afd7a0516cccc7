#pragma once
// ai_sector_t: a map's navigation mesh as read from its "sector.ai" file: points, and
// convex cells over the ground (polygons in the horizontal x-z plane) that share
// edges. Each cell has a kind that limits which animals may enter it.
//
// A cell's corners run so that its inside lies on the negative side of every edge
// plane (see edge_plane): an edge running along +x has the cell on its +z side. The
// file layout and the rules the reader enforces are in docs/formats/sector-ai.md.
#include <cstdint>

#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/geometry/aabox.h"
#include "qrncore/geometry/plane.h"
#include "qrncore/math/vec.h"

namespace quarn {

class file_t;

// Cell kinds that movement modes restrict (ai_nav_kind_allowed).
inline constexpr uint32_t AI_NAV_KIND_WATER = 3;
inline constexpr uint32_t AI_NAV_KIND_MOUNTAIN = 4;
// No edge: a step that has not chosen one yet.
inline constexpr uint32_t AI_NAV_NO_EDGE = UINT32_MAX;

// Whether an animal of the movement mode may enter a cell of the kind: mode 0 not
// kind 4, mode 1 neither 3 nor 4, mode 2 not 3. Other modes and kinds are free.
bool ai_nav_kind_allowed(uint32_t kind, uint32_t mode);
// Whether locating a position for the mode looks at a cell of the kind: mode 1 skips
// kinds 3 and 4, mode 2 skips kind 3, every other mode skips none.
bool ai_nav_kind_locatable(uint32_t kind, uint32_t mode);

// One corner of a cell and the edge from it to the next corner.
struct ai_nav_link_t {
    uint32_t point = 0;           // index into the sector's points
    bool has_neighbour = false;   // the edge is shared with another cell
    uint32_t neighbour_cell = 0;  // that cell
    uint32_t neighbour_edge = 0;  // the index of the same edge among its links
};

struct ai_nav_cell_t {
    uint32_t kind = 0;
    bool visited = false;  // set only while a path search runs
    vec3_t centre;         // mean of the corners in x and z, top of the box in y
    float radius = 0.0f;   // from the centre to the farther corner of the box
    aabox_t box;           // hull of the corners
    uint32_t first_link = 0;  // the cell's links are link_count entries from here
    uint32_t link_count = 0;
};

class ai_sector_t {
public:
    // Refused file sizes: a count that cannot fit the bytes left, at the smallest size
    // of what it counts (a point, a cell without links, a link without neighbour).
    static constexpr uint32_t FILE_POINT_SIZE = 12;
    static constexpr uint32_t FILE_CELL_SIZE = 12;
    static constexpr uint32_t FILE_LINK_SIZE = 8;
    static constexpr uint32_t FILE_NEIGHBOUR_SIZE = 8;
    static constexpr uint32_t MIN_LINKS = 3;
    // Larger coordinates are refused: far beyond any map, they would overflow the
    // squared lengths of the cell set-up and the queries.
    static constexpr float MAX_COORDINATE = 1e9f;
    // Edges whose squared length in x and z is not above this count as zero-length:
    // their plane would have no direction.
    static constexpr float MIN_EDGE_LENGTH_SQUARED = vec_traits_t<float>::EPSILON;

    ai_sector_t() = default;
    ai_sector_t(ai_sector_t &&) noexcept = default;
    ai_sector_t &operator=(ai_sector_t &&) noexcept = default;

    // Reads a sector from the file's position to its end and replaces this one with
    // it. Every count is checked against the bytes left before anything is taken for
    // it, every index against its array, every coordinate must be finite and within
    // MAX_COORDINATE, and every cell must have at least 3 links, no zero-length edge
    // and its centre on the inner side of every edge. A file that breaks a rule fails
    // the read with an error naming the file and the cell or link ("[nav]"); this
    // sector is then left as it was.
    bool read(file_t &file);
    void clear();

    bool is_empty() const { return m_cells.is_empty(); }
    uint32_t get_point_count() const { return m_points.get_count(); }
    uint32_t get_cell_count() const { return m_cells.get_count(); }
    // Indices are checked by the arrays: a bad one is a programming error and aborts.
    const vec3_t &get_point(uint32_t index) const { return m_points[index]; }
    const ai_nav_cell_t &get_cell(uint32_t index) const { return m_cells[index]; }
    ai_nav_cell_t &get_cell(uint32_t index) { return m_cells[index]; }
    const ai_nav_link_t &get_link(uint32_t cell, uint32_t edge) const;

    // The edge after / before the given one around the cell.
    uint32_t next_edge(uint32_t cell, uint32_t edge) const;
    uint32_t previous_edge(uint32_t cell, uint32_t edge) const;
    // The two ends of an edge: the corner of its link and the next corner.
    void edge_points(uint32_t cell, uint32_t edge, vec3_t *start, vec3_t *end) const;
    // The vertical plane through an edge, its normal the normalised (dz, 0, -dx) of
    // the edge vector: it points out of the cell, and the cell lies where the signed
    // distance is at most 0.
    plane_t edge_plane(uint32_t cell, uint32_t edge) const;
    // The position lies in the cell's box in x and z and on the inner side of every
    // edge. Both tests include the boundary, so a point on an edge that two cells
    // share lies in both.
    bool contains(uint32_t cell, const vec3_t &position) const;

    // Whether a path may go from the cell through the edge: the edge has a
    // neighbour that is not visited and whose kind the mode may enter.
    bool is_passable(uint32_t cell, uint32_t edge, uint32_t mode) const;
    // Clears every visited mark.
    void clear_visited();

private:
    // Box, centre and radius of a cell from its corners.
    void set_up_cell(ai_nav_cell_t &cell) const;

    array_dyn_t<vec3_t> m_points;
    array_dyn_t<ai_nav_cell_t> m_cells;
    array_dyn_t<ai_nav_link_t> m_links;  // all cells' links, cell after cell
};

}  // namespace quarn

#pragma once
// ai_navigation_t: the navigation queries over a map's sector (ai_sector.h): which
// cell a point is in, a path of cells towards or away from a point, how an animal
// must turn so as not to walk off the mesh, and how far along an edge an animal of a
// given width may cross it.
#include <cstdint>

#include "game/ai/nav/ai_nav_path.h"
#include "game/ai/nav/ai_sector.h"
#include "qrncore/math/vec.h"
#include "qrncore/numerics/randomizer.h"
#include "qrncore/strings/string.h"

namespace quarn {

class file_t;

// What a path search looks for.
struct ai_nav_request_t {
    // WALK_TO and its two sisters walk towards the point and end in its cell; any other
    // kind walks away from it and never ends at a target.
    static constexpr uint32_t WALK_TO = 0;
    static constexpr uint32_t WALK_AWAY = 3;

    uint32_t kind = WALK_TO;
    vec3_t point;
    uint32_t cell = 0;  // the target's cell, once a search has reached it

    bool walks_away() const { return kind > 2; }
};

// Where an animal may cross an edge from start point p to end point q. The limits
// are measured along the edge's horizontal direction d (d · point). A wide edge gives
// the passage from p + start_offset to q + end_offset; a narrow one a single crossing
// point, which both offsets reach and both limits measure.
struct ai_nav_crossing_t {
    vec3_t direction;     // d, horizontal and of unit length
    vec3_t start_offset;  // from p towards q
    vec3_t end_offset;    // from q towards p
    float start = 0.0f;
    float end = 0.0f;
    bool narrow = false;
};

class ai_navigation_t {
public:
    // find_path results.
    static constexpr int PATH_NONE = 0;
    static constexpr int PATH_REACHED = 1;
    static constexpr int PATH_LIMIT = 2;
    // Edges steer looks at: those whose plane is at most this far from the position.
    static constexpr float STEER_RANGE = 4.0f;
    // Edge tests one find_path call may make before it stops with PATH_LIMIT; the
    // search state stays in the path, so the next call goes on where this one ended.
    static constexpr uint32_t DEFAULT_SEARCH_BUDGET = 1u << 16;

    // Opens the file in the virtual tree and reads it as the sector ("cannot load
    // sector (%i) file (%s)" when it does not open). On failure the navigation is
    // left empty.
    bool load(int sector, const string &path);
    // The same from an open file, read from its position.
    bool load(int sector, file_t &file);

    const ai_sector_t &get_sector() const { return m_sector; }

    // The first cell in file order that the mode may locate in and that contains the
    // position (inside true); else, among those cells, the one whose centre is
    // nearest in x and z (inside false); with none of them, cell 0 and inside false.
    // False, nothing written, when the mesh is empty.
    bool locate(const vec3_t &position, uint32_t mode, uint32_t *cell, bool *inside) const;
    // The cell's centre; false for a cell that does not exist.
    bool cell_centre(uint32_t cell, vec3_t *out) const;
    bool contains(const vec3_t &position, uint32_t cell) const { return m_sector.contains(cell, position); }

    // Extends the path from its current step until it reaches the request's target
    // cell (PATH_REACHED, the cell stored in the request), fills the ring or uses up
    // the search budget (PATH_LIMIT: ask again once the head has moved on), or finds
    // no way at all (PATH_NONE). A blocked cell is walked around in a direction drawn
    // from random. Allocates nothing; every visited mark is cleared on return.
    int find_path(ai_nav_path_t &path, ai_nav_request_t &request, uint32_t mode, randomizer_t &random);
    void set_search_budget(uint32_t edge_tests) { m_search_budget = edge_tests ? edge_tests : 1; }

    // Keeps an animal at the position, heading so, on the mesh. Looks at the edges of
    // the head step's cell that the heading points out of and whose plane is within
    // STEER_RANGE, and takes the nearest. False when there is none, or when it is the
    // edge the path already leaves through (with two steps or more). An edge into a
    // cell the mode may enter restarts the path into that cell: true, the heading
    // unchanged. Otherwise the animal slides along the wall: with t = distance / 4
    // (clamped to 0..1) the direction becomes the blend (1 - t) tangent + t heading,
    // normalised, the tangent taken the way the heading goes along the edge, and the
    // speed factor falls to 1 - t unless it is lower already; true.
    bool steer(ai_nav_path_t &path, const vec3_t &position, const vec3_t &heading, uint32_t mode,
               vec3_t *direction, float *speed_factor) const;

    // Where an animal of the half width at the position may cross the cell's edge.
    // Each end of the edge is moved inwards far enough that the line of sight from
    // the position to it shifts sideways by the half width; when the two moved ends
    // pass each other, the edge is narrow and the crossing point divides it in the
    // ratio of the two moves.
    ai_nav_crossing_t edge_crossing(uint32_t cell, uint32_t edge, float half_width, const vec3_t &position) const;

private:
    // The edge of the cell where the walking line leaves it: the first, from start on
    // around the cell, whose start point lies on the negative side of the line and
    // whose end point does not (the sides swapped when walking away). None when no
    // edge crosses the line.
    uint32_t find_exit(uint32_t cell, uint32_t start, const vec3_t &walk, const vec3_t &dir, bool away) const;
    // The edge of the current step's cell where its search begins: 0 at the head,
    // else two edges on from the edge it was entered through.
    uint32_t search_start(const ai_nav_path_t &path, uint32_t index) const;
    void mark_path(const ai_nav_path_t &path, bool visited);

    ai_sector_t m_sector;
    uint32_t m_search_budget = DEFAULT_SEARCH_BUDGET;
};

}  // namespace quarn

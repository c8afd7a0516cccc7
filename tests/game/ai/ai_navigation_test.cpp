// Navigation queries: locating a point, path search, steering and edge crossing.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <string>
#include <vector>

#include "game/ai/nav/ai_navigation.h"
#include "game/ai/nav_mesh.h"
#include "support/math_compare.h"

namespace quarn {
namespace {

using test::grid_point;
using test::load_grid;
using test::no_visited_marks;

// ---- locate ----

TEST(ai_navigation_locate, modes_filter_kinds_and_the_nearest_centre_stands_in) {
    ai_navigation_t nav;
    // Cells 0 N, 1 W (kind 3), 2 M (kind 4), 3 F (kind 2).
    load_grid(nav, {"NW", "MF"});
    struct case_t {
        vec3_t position;
        uint32_t mode;
        uint32_t cell;
        bool inside;
    } cases[] = {
        {{0.5f, 0, 0.5f}, 0, 0, true},
        {{1.5f, 7, 0.5f}, 0, 1, true},    // the height plays no part
        {{1.5f, 0, 0.9f}, 1, 3, false},   // water skipped: the nearest centre
        {{1.5f, 0, 0.9f}, 2, 3, false},
        {{0.5f, 0, 1.5f}, 0, 2, true},    // mode 0 locates in mountains
        {{0.5f, 0, 1.5f}, 1, 0, false},   // mode 1 skips them; equal distances: the first
        {{0.5f, 0, 1.5f}, 2, 2, true},
        {{1.5f, 0, 0.5f}, 9, 1, true},    // other modes skip nothing
        {{1.0f, 0, 0.5f}, 0, 0, true},    // on the edge of 0 and 1: inside both, the first wins
        {{1.0f, 0, 0.5f}, 1, 0, true},
        {{1.5f, 0, 1.0f}, 1, 3, true},    // on the edge of water and forest
        {{1.0f, 0, 1.0f}, 0, 0, true},    // the corner of all four
        {{2.0f, 0, 2.0f}, 0, 3, true},    // the mesh's outer corner
        {{5.0f, 0, 5.0f}, 0, 3, false},   // outside every cell
        {{-3.0f, 0, 0.6f}, 0, 0, false},
    };
    for (const case_t &c : cases) {
        uint32_t cell = 99;
        bool inside = !c.inside;
        ASSERT_TRUE(nav.locate(c.position, c.mode, &cell, &inside));
        EXPECT_EQ(cell, c.cell) << c.position.x << ", " << c.position.z << " mode " << c.mode;
        EXPECT_EQ(inside, c.inside) << c.position.x << ", " << c.position.z << " mode " << c.mode;
    }
}

TEST(ai_navigation_locate, no_cell_for_the_mode_gives_cell_0_and_an_empty_mesh_false) {
    ai_navigation_t nav;
    load_grid(nav, {"WM"});
    uint32_t cell = 5;
    bool inside = true;
    ASSERT_TRUE(nav.locate({1.5f, 0, 0.5f}, 1, &cell, &inside));
    EXPECT_EQ(cell, 0u);
    EXPECT_FALSE(inside);

    ai_navigation_t empty;
    ASSERT_TRUE(test::load_bytes(empty, test::sector_file("")));
    cell = 5;
    EXPECT_FALSE(empty.locate({0, 0, 0}, 0, &cell, &inside));
    EXPECT_EQ(cell, 5u);
    vec3_t centre;
    EXPECT_FALSE(empty.cell_centre(0, &centre));
}

TEST(ai_navigation_locate, cell_centre_and_edge_planes) {
    ai_navigation_t nav;
    load_grid(nav, {"NN"}, 4.0f);
    vec3_t centre;
    ASSERT_TRUE(nav.cell_centre(1, &centre));
    EXPECT_EQ(centre, (vec3_t{6, 0, 2}));
    EXPECT_FALSE(nav.cell_centre(2, &centre));
    // Edge 1 of cell 0 runs from (4, 0) to (4, 4): its normal (dz, 0, -dx) points out
    // along +x, and the plane passes through its start.
    const plane_t plane = nav.get_sector().edge_plane(0, 1);
    EXPECT_EQ(plane.get_normal(), (vec3_t{1, 0, 0}));
    EXPECT_EQ(plane.get_signed_distance({4, 0, 0}), 0.0f);
    EXPECT_LT(plane.get_signed_distance(centre - vec3_t{4, 0, 0}), 0.0f);
}

// ---- find_path ----

struct search_t {
    ai_navigation_t nav;
    ai_nav_path_t path;
    ai_nav_request_t request;
    randomizer_t random{12345};

    // A fresh path from the cell at the position.
    void start(const vec3_t &from, uint32_t limit = 32) {
        uint32_t cell = 0;
        bool inside = false;
        ASSERT_TRUE(nav.locate(from, 0, &cell, &inside));
        ASSERT_TRUE(path.reset(limit, cell));
        path.set_current_waypoint(from);
    }
    int find(const vec3_t &target, uint32_t mode = 1, uint32_t kind = ai_nav_request_t::WALK_TO) {
        request.kind = kind;
        request.point = target;
        return nav.find_path(path, request, mode, random);
    }
    std::vector<uint32_t> cells() const {
        std::vector<uint32_t> out;
        for (uint32_t i = 0; i < path.get_count(); ++i) out.push_back(path.get_step(i).cell);
        return out;
    }
    // Every step after the head lies behind the exit edge of the step before it.
    ::testing::AssertionResult chained(uint32_t mode) const {
        const ai_sector_t &s = nav.get_sector();
        for (uint32_t i = 1; i < path.get_count(); ++i) {
            const ai_nav_step_t &before = path.get_step(i - 1), &step = path.get_step(i);
            const ai_nav_link_t &link = s.get_link(before.cell, before.exit_edge);
            if (!link.has_neighbour || link.neighbour_cell != step.cell)
                return ::testing::AssertionFailure() << "step " << i << " does not follow step " << i - 1;
            if (!ai_nav_kind_allowed(s.get_cell(step.cell).kind, mode))
                return ::testing::AssertionFailure() << "step " << i << " enters kind " << s.get_cell(step.cell).kind;
        }
        return ::testing::AssertionSuccess();
    }
};

TEST(ai_navigation_find_path, corridor_reaches_the_target_cell) {
    search_t s;
    load_grid(s.nav, {"NNNNN"});
    s.start(grid_point(0, 0));
    EXPECT_EQ(s.find(grid_point(4, 0)), ai_navigation_t::PATH_REACHED);
    EXPECT_EQ(s.request.cell, 4u);
    EXPECT_EQ(s.cells(), (std::vector<uint32_t>{0, 1, 2, 3, 4}));
    EXPECT_TRUE(s.chained(1));
    EXPECT_TRUE(s.path.is_target_reached());
    vec3_t waypoint;
    EXPECT_FALSE(s.path.next_waypoint(&waypoint));  // a straight way needs none
    EXPECT_TRUE(no_visited_marks(s.nav));
    // Once reached, asking again changes nothing.
    EXPECT_EQ(s.find(grid_point(4, 0)), ai_navigation_t::PATH_REACHED);
    EXPECT_EQ(s.path.get_count(), 5u);

    // A target in the start cell is reached at once.
    s.start(grid_point(2, 0));
    EXPECT_EQ(s.find({2.9f, 0, 0.1f}), ai_navigation_t::PATH_REACHED);
    EXPECT_EQ(s.cells(), (std::vector<uint32_t>{2}));
}

// The straight line leads into a pocket walled by water: the search backs out of it
// and goes round, for either turn direction the random source picks.
TEST(ai_navigation_find_path, dead_end_backtracks_and_goes_round) {
    const std::vector<std::string> rows = {"NWWWN", "NNNWN", "NWWWN", "NNNNN"};
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        search_t s;
        load_grid(s.nav, rows);
        s.random.seed = seed;
        s.start(grid_point(0, 1));
        ASSERT_EQ(s.find(grid_point(4, 1)), ai_navigation_t::PATH_REACHED) << "seed " << seed;
        EXPECT_EQ(s.request.cell, 9u);
        EXPECT_TRUE(s.chained(1));
        for (uint32_t cell : s.cells()) {
            EXPECT_NE(cell, 6u) << "seed " << seed;  // the pocket
            EXPECT_NE(cell, 7u) << "seed " << seed;
        }
        EXPECT_EQ(s.cells().back(), 9u);
        // The way round turns a corner, so the path carries waypoints.
        vec3_t waypoint;
        EXPECT_TRUE(s.path.next_waypoint(&waypoint));
        EXPECT_TRUE(no_visited_marks(s.nav));
    }
}

TEST(ai_navigation_find_path, no_way_out_gives_0) {
    search_t s;
    // The start cell is ringed by water and mountains.
    load_grid(s.nav, {"NWN", "MNW", "NWN"});
    s.start(grid_point(1, 1));
    EXPECT_EQ(s.find(grid_point(0, 0)), ai_navigation_t::PATH_NONE);
    EXPECT_EQ(s.cells(), (std::vector<uint32_t>{4}));
    EXPECT_TRUE(no_visited_marks(s.nav));
    // Mode 2 may climb into the mountain cell to the left, and on from there.
    s.start(grid_point(1, 1));
    EXPECT_EQ(s.find(grid_point(0, 0), 2), ai_navigation_t::PATH_REACHED);
    EXPECT_EQ(s.cells(), (std::vector<uint32_t>{4, 3, 0}));

    // A target beyond reach after a walk: every way is tried, then 0.
    search_t t;
    load_grid(t.nav, {"NNNWN", "NNNWN"});
    t.start(grid_point(0, 0));
    EXPECT_EQ(t.find(grid_point(4, 1)), ai_navigation_t::PATH_NONE);
    EXPECT_EQ(t.path.get_count(), 1u);
    EXPECT_TRUE(no_visited_marks(t.nav));
}

TEST(ai_navigation_find_path, step_limit_gives_2_and_the_search_goes_on_as_the_head_moves) {
    search_t s;
    load_grid(s.nav, {"NNNNNNNNNN"});
    s.start(grid_point(0, 0), 4);
    EXPECT_EQ(s.find(grid_point(9, 0)), ai_navigation_t::PATH_LIMIT);
    EXPECT_EQ(s.cells(), (std::vector<uint32_t>{0, 1, 2, 3}));
    EXPECT_TRUE(no_visited_marks(s.nav));
    // The animal walks on: the ring frees the steps behind it and is reused.
    for (uint32_t walked = 0; walked < 6; ++walked) {
        s.path.advance_head();
        const int result = s.find(grid_point(9, 0));
        EXPECT_TRUE(s.chained(1));
        EXPECT_TRUE(no_visited_marks(s.nav));
        EXPECT_EQ(result, walked < 5 ? ai_navigation_t::PATH_LIMIT : ai_navigation_t::PATH_REACHED);
    }
    EXPECT_EQ(s.cells(), (std::vector<uint32_t>{6, 7, 8, 9}));
}

TEST(ai_navigation_find_path, walking_away_leaves_the_point_behind) {
    search_t s;
    load_grid(s.nav, {"NNNNNNN"});
    s.start(grid_point(3, 0), 3);
    // The point lies in the start cell, yet walking away never ends there.
    EXPECT_EQ(s.find({3.8f, 0, 0.5f}, 1, ai_nav_request_t::WALK_AWAY), ai_navigation_t::PATH_LIMIT);
    EXPECT_EQ(s.cells(), (std::vector<uint32_t>{3, 2, 1}));
    EXPECT_FALSE(s.path.is_target_reached());

    s.start(grid_point(3, 0), 3);
    EXPECT_EQ(s.find(grid_point(0, 0), 1, ai_nav_request_t::WALK_AWAY), ai_navigation_t::PATH_LIMIT);
    EXPECT_EQ(s.cells(), (std::vector<uint32_t>{3, 4, 5}));
    EXPECT_TRUE(no_visited_marks(s.nav));
}

// A search cut into pieces by a small budget ends as one uncut search does, and each
// piece clears its marks.
TEST(ai_navigation_find_path, search_budget_splits_a_search_without_changing_it) {
    const std::vector<std::string> rows = {"NNNWNN", "NWNWNN", "NNNWNN"};
    for (const vec3_t &target : {grid_point(5, 1), grid_point(2, 2)}) {
        search_t whole, pieces;
        load_grid(whole.nav, rows);
        load_grid(pieces.nav, rows);
        whole.start(grid_point(0, 0), 40);
        pieces.start(grid_point(0, 0), 40);
        pieces.nav.set_search_budget(3);
        const int expected = whole.find(target);
        int result = ai_navigation_t::PATH_LIMIT, calls = 0;
        while (result == ai_navigation_t::PATH_LIMIT && calls < 100000) {
            result = pieces.find(target);
            ++calls;
            ASSERT_TRUE(no_visited_marks(pieces.nav));
        }
        EXPECT_EQ(result, expected);
        EXPECT_GT(calls, 1);
        EXPECT_EQ(pieces.cells(), whole.cells());
    }
}

// Breadth-first reachability from the cell for the mode, for the property check.
std::vector<bool> reachable(const ai_sector_t &s, uint32_t from, uint32_t mode) {
    std::vector<bool> seen(s.get_cell_count());
    std::deque<uint32_t> queue{from};
    seen[from] = true;
    while (!queue.empty()) {
        const uint32_t c = queue.front();
        queue.pop_front();
        for (uint32_t e = 0; e < s.get_cell(c).link_count; ++e) {
            const ai_nav_link_t &l = s.get_link(c, e);
            if (l.has_neighbour && !seen[l.neighbour_cell] && ai_nav_kind_allowed(s.get_cell(l.neighbour_cell).kind, mode)) {
                seen[l.neighbour_cell] = true;
                queue.push_back(l.neighbour_cell);
            }
        }
    }
    return seen;
}

// Random grids with holes and every kind: every path is a chain of neighbours the
// mode may enter, steering never turns into a cell the mode may not enter, no mark
// survives, and the answer agrees with plain reachability.
TEST(ai_navigation_find_path, random_grids_keep_paths_chained_and_allowed) {
    randomizer_t dice(777);
    const char kinds[] = "NNNNNFFWM.";
    for (int round = 0; round < 300; ++round) {
        std::vector<std::string> rows(2 + dice.rand_u(7));
        const uint32_t width = 2 + dice.rand_u(7);
        for (std::string &r : rows)
            for (uint32_t i = 0; i < width; ++i) r += kinds[dice.rand_u(10)];
        rows[0][0] = 'N';
        search_t s;
        load_grid(s.nav, rows);
        s.random.seed = round;
        const uint32_t mode = dice.rand_u(3);
        const ai_sector_t &sector = s.nav.get_sector();
        const vec3_t from{0.5f, 0, 0.5f};
        const vec3_t target{dice.rand() * float(width), 0, dice.rand() * float(rows.size())};
        s.start(from, 8 + dice.rand_u(40));
        const int result = s.find(target, mode);
        ASSERT_TRUE(s.chained(mode)) << "round " << round;
        ASSERT_TRUE(no_visited_marks(s.nav)) << "round " << round;
        const std::vector<bool> seen = reachable(sector, 0, mode);
        bool target_reachable = false;
        for (uint32_t c = 0; c < sector.get_cell_count(); ++c)
            if (seen[c] && sector.contains(c, target)) target_reachable = true;
        if (result == ai_navigation_t::PATH_REACHED) {
            EXPECT_TRUE(sector.contains(s.request.cell, target)) << "round " << round;
            EXPECT_EQ(s.cells().back(), s.request.cell);
        }
        if (result == ai_navigation_t::PATH_NONE) {
            EXPECT_FALSE(target_reachable) << "round " << round;
        }

        // Steering from the head cell in random directions never enters a closed kind.
        for (int k = 0; k < 8; ++k) {
            ASSERT_TRUE(s.path.reset(8, 0));
            const vec3_t position{dice.rand(), 0, dice.rand()};
            const float angle = dice.rand() * 6.2831853f;
            const vec3_t heading{std::cos(angle), 0, std::sin(angle)};
            vec3_t direction = heading;
            float speed = 1.0f;
            if (s.nav.steer(s.path, position, heading, mode, &direction, &speed) && s.path.get_count() == 2) {
                ASSERT_TRUE(s.chained(mode)) << "round " << round;
            }
            ASSERT_TRUE(no_visited_marks(s.nav));
        }
    }
}

// ---- steer ----

// One cell of 10 x 10 without neighbours, and two side by side.
const char *const ROOM = "point a 0 0 0\npoint b 10 0 0\npoint c 10 0 10\npoint d 0 0 10\ncell 0 a b c d\n";

TEST(ai_navigation_steer, wall_slides_the_heading_and_slows_down) {
    ai_navigation_t nav;
    ASSERT_TRUE(test::load_bytes(nav, test::sector_file(ROOM)));
    ai_nav_path_t path;
    ASSERT_TRUE(path.reset(8, 0));
    // Straight at the wall z = 10 from 2 units: t = 0.5, half tangent, half heading.
    vec3_t direction;
    float speed = 1.0f;
    ASSERT_TRUE(nav.steer(path, {5, 0, 8}, {0, 0, 1}, 1, &direction, &speed));
    EXPECT_TRUE(test::vec_near(direction, vec3_t{-std::sqrt(0.5f), 0, std::sqrt(0.5f)}, test::TOL_UNIT));
    EXPECT_FLOAT_EQ(speed, 0.5f);
    // A lower speed factor stays; the tangent follows the heading's side.
    speed = 0.25f;
    const vec3_t right = normalized(vec3_t{0.2f, 0, 1});
    ASSERT_TRUE(nav.steer(path, {5, 0, 8}, right, 1, &direction, &speed));
    EXPECT_GT(direction.x, 0.0f);
    EXPECT_FLOAT_EQ(speed, 0.25f);
    // At the wall the heading runs along it; 4 units off it is left as it was.
    ASSERT_TRUE(nav.steer(path, {5, 0, 10}, right, 1, &direction, &speed));
    EXPECT_TRUE(test::vec_near(direction, vec3_t{1, 0, 0}, test::TOL_UNIT));
    speed = 1.0f;
    ASSERT_TRUE(nav.steer(path, {5, 0, 6}, right, 1, &direction, &speed));
    EXPECT_TRUE(test::vec_near(direction, right, test::TOL_UNIT));
    EXPECT_FLOAT_EQ(speed, 0.0f);
    // Farther than 4 units, or heading away: nothing to do.
    EXPECT_FALSE(nav.steer(path, {5, 0, 5}, {0, 0, 1}, 1, &direction, &speed));
    EXPECT_FALSE(nav.steer(path, {5, 0, 8}, {0, 0, -1}, 1, &direction, &speed));
    EXPECT_EQ(path.get_count(), 1u);
}

TEST(ai_navigation_steer, heading_out_through_an_allowed_neighbour_restarts_the_path) {
    ai_navigation_t nav;
    load_grid(nav, {"NNW"}, 10.0f);
    ai_nav_path_t path;
    ASSERT_TRUE(path.reset(8, 0));
    vec3_t direction{1, 0, 0};
    float speed = 1.0f;
    ASSERT_TRUE(nav.steer(path, {8, 0, 5}, {1, 0, 0}, 1, &direction, &speed));
    EXPECT_EQ(direction, (vec3_t{1, 0, 0}));
    EXPECT_FLOAT_EQ(speed, 1.0f);
    ASSERT_EQ(path.get_count(), 2u);
    EXPECT_EQ(path.head_step().exit_edge, 1u);
    EXPECT_EQ(path.current_step().cell, 1u);
    EXPECT_TRUE(path.current_step().fresh);
    EXPECT_TRUE(path.has_moved());
    // That edge is now the path's own way out: steering leaves it alone.
    EXPECT_FALSE(nav.steer(path, {8, 0, 5}, {1, 0, 0}, 1, &direction, &speed));

    // From cell 1 towards water: mode 1 slides along the edge, mode 0 goes in.
    ASSERT_TRUE(path.reset(8, 1));
    ASSERT_TRUE(nav.steer(path, {18, 0, 5}, {1, 0, 0}, 1, &direction, &speed));
    EXPECT_EQ(path.get_count(), 1u);
    EXPECT_FLOAT_EQ(speed, 0.5f);
    ASSERT_TRUE(nav.steer(path, {18, 0, 5}, {1, 0, 0}, 0, &direction, &speed));
    EXPECT_EQ(path.current_step().cell, 2u);
}

// ---- edge_crossing ----

// How far an end must move along the edge (direction d) to shift the line of sight
// from x sideways by w: w over the sine of the angle between the edge and the sight.
float sight_move(const vec3_t &end, const vec3_t &d, float w, const vec3_t &x) {
    const vec3_t v = end - x;
    return w / (std::fabs(d.x * v.z - d.z * v.x) / std::sqrt(v.x * v.x + v.z * v.z));
}

TEST(ai_navigation_edge_crossing, wide_edge_gives_a_passage_narrow_one_a_point) {
    ai_navigation_t nav;
    ASSERT_TRUE(test::load_bytes(nav, test::sector_file(ROOM)));
    const vec3_t p{0, 0, 0}, q{10, 0, 0}, d{1, 0, 0};
    const float tol = 1e-4f;

    // Edge 0 from (0, 0) to (10, 0), seen from the middle of the room at 45 degrees.
    ai_nav_crossing_t wide = nav.edge_crossing(0, 0, 1.0f, {5, 0, 5});
    EXPECT_FALSE(wide.narrow);
    EXPECT_EQ(wide.direction, d);
    EXPECT_NEAR(wide.start, std::sqrt(2.0f), tol);
    EXPECT_NEAR(wide.end, 10 - std::sqrt(2.0f), tol);
    EXPECT_TRUE(test::vec_near(wide.start_offset, vec3_t{std::sqrt(2.0f), 0, 0}, tol));
    EXPECT_TRUE(test::vec_near(wide.end_offset, vec3_t{-std::sqrt(2.0f), 0, 0}, tol));

    // Seen from near p, with a half width the edge cannot hold: one crossing point,
    // dividing the edge in the ratio of the two moves, nearer the end that needs less.
    const vec3_t x{1, 0, 5};
    const float w = 6.0f;
    const float u = sight_move(p, d, w, x), k = sight_move(q, d, w, x);
    ai_nav_crossing_t narrow = nav.edge_crossing(0, 0, w, x);
    ASSERT_TRUE(narrow.narrow);
    const float r = 1.0f / (u / k + 1.0f);
    const vec3_t c = q * (1 - r) + p * r;
    EXPECT_NEAR(narrow.start, c.x, tol);
    EXPECT_NEAR(narrow.end, c.x, tol);
    EXPECT_TRUE(test::vec_near(p + narrow.start_offset, c, tol));
    EXPECT_TRUE(test::vec_near(q + narrow.end_offset, c, tol));
    EXPECT_LT(c.x, 5.0f);

    // No width: the whole edge.
    ai_nav_crossing_t whole = nav.edge_crossing(0, 0, 0.0f, x);
    EXPECT_FALSE(whole.narrow);
    EXPECT_EQ(whole.start, 0.0f);
    EXPECT_EQ(whole.end, 10.0f);
}

}  // namespace
}  // namespace quarn

// The path's rings: steps and waypoints pushed at the current end, the head moving
// on behind them, and the starts over that steering and re-planning make.
#include <gtest/gtest.h>

#include <vector>

#include "game/ai/nav/ai_nav_path.h"
#include "game/ai/nav/ai_navigation.h"
#include "game/ai/nav_mesh.h"
#include "qrncore/collections/host_alloc_hook.h"

namespace quarn {
namespace {

std::vector<uint32_t> cells(const ai_nav_path_t &path) {
    std::vector<uint32_t> out;
    for (uint32_t i = 0; i < path.get_count(); ++i) out.push_back(path.get_step(i).cell);
    return out;
}

TEST(ai_nav_path, reset_starts_one_fresh_step) {
    ai_nav_path_t path;
    ASSERT_TRUE(path.reset(0, 7));  // raised to the smallest limit
    EXPECT_EQ(path.get_limit(), ai_nav_path_t::MIN_STEP_LIMIT);
    EXPECT_EQ(path.get_count(), 1u);
    EXPECT_TRUE(path.at_head());
    EXPECT_EQ(path.head_step().cell, 7u);
    EXPECT_TRUE(path.head_step().fresh);
    EXPECT_EQ(path.head_step().exit_edge, AI_NAV_NO_EDGE);
    path.set_current_waypoint({1, 2, 3});
    EXPECT_EQ(path.current_waypoint(), (vec3_t{1, 2, 3}));
    vec3_t next;
    EXPECT_FALSE(path.next_waypoint(&next));
    EXPECT_FALSE(path.has_moved());
    EXPECT_FALSE(path.is_target_reached());
}

TEST(ai_nav_path, steps_carry_waypoints_and_the_ring_wraps) {
    ai_nav_path_t path;
    ASSERT_TRUE(path.reset(3, 0));
    path.set_current_waypoint({0, 0, 0});
    path.push_step(1, 2);
    EXPECT_EQ(path.head_step().exit_edge, 2u);
    EXPECT_EQ(path.current_waypoint(), (vec3_t{0, 0, 0}));  // carried on
    EXPECT_FALSE(path.current_step().has_waypoint);
    path.push_step_with_waypoint(2, 1, {5, 0, 5});
    EXPECT_EQ(path.get_step(1).exit_edge, 1u);
    EXPECT_EQ(path.current_waypoint(), (vec3_t{5, 0, 5}));
    vec3_t next;
    ASSERT_TRUE(path.next_waypoint(&next));
    EXPECT_EQ(next, (vec3_t{5, 0, 5}));
    EXPECT_EQ(cells(path), (std::vector<uint32_t>{0, 1, 2}));

    // Walking on frees the head's slot, which the next step takes.
    path.advance_head();
    path.advance_head();
    EXPECT_TRUE(path.at_head());
    EXPECT_FALSE(path.next_waypoint(&next));
    path.push_step(3, 0);
    path.push_step_with_waypoint(4, 3, {9, 0, 9});
    EXPECT_EQ(cells(path), (std::vector<uint32_t>{2, 3, 4}));
    EXPECT_EQ(path.get_step(1).exit_edge, 3u);
    ASSERT_TRUE(path.next_waypoint(&next));
    EXPECT_EQ(next, (vec3_t{9, 0, 9}));

    // Backing out of the last cell.
    path.drop_step();
    EXPECT_EQ(cells(path), (std::vector<uint32_t>{2, 3}));
    EXPECT_EQ(path.current_waypoint(), (vec3_t{5, 0, 5}));

    // The head never passes the current step.
    path.advance_head();
    EXPECT_FALSE(path.advance_head());
    EXPECT_EQ(cells(path), (std::vector<uint32_t>{3}));
}

TEST(ai_nav_path, restart_and_rewind) {
    ai_nav_path_t path;
    ASSERT_TRUE(path.reset(8, 0));
    path.push_step(1, 1);
    path.push_step(2, 1);
    path.set_target_reached();

    // Steering turns the animal into another neighbour: the head and one step.
    path.restart_at(5, 2);
    EXPECT_EQ(cells(path), (std::vector<uint32_t>{0, 5}));
    EXPECT_EQ(path.head_step().exit_edge, 2u);
    EXPECT_TRUE(path.current_step().fresh);
    EXPECT_TRUE(path.has_moved());
    EXPECT_FALSE(path.is_target_reached());
    path.push_step(6, 0);

    // Re-planning while the animal heads into cell 5 keeps that step, made fresh.
    path.current_step().fresh = false;
    path.get_step(1).fresh = false;
    path.rewind();
    EXPECT_EQ(cells(path), (std::vector<uint32_t>{0, 5}));
    EXPECT_TRUE(path.current_step().fresh);
    EXPECT_EQ(path.current_step().exit_edge, AI_NAV_NO_EDGE);
    EXPECT_EQ(path.head_step().exit_edge, 2u);

    // Once it is in, the moved flag is taken and a rewind keeps the head alone.
    EXPECT_TRUE(path.advance_head());
    EXPECT_FALSE(path.has_moved());
    path.push_step(7, 3);
    path.rewind();
    EXPECT_EQ(cells(path), (std::vector<uint32_t>{5}));
    EXPECT_TRUE(path.head_step().fresh);
}

// Rings are sized once; searching, walking and starting over take nothing more.
TEST(ai_nav_path, search_and_walk_allocate_nothing_after_reset) {
    ai_navigation_t nav;
    test::load_grid(nav, {"NNNNNNNN", "NWWWWWWN", "NNNNNNNN"});
    ai_nav_path_t path;
    ASSERT_TRUE(path.reset(6, 8));
    path.set_current_waypoint(test::grid_point(0, 1));
    randomizer_t random(3);
    ai_nav_request_t request;
    request.point = test::grid_point(7, 1);

    test::host_alloc_hook_t hook;
    int result = ai_navigation_t::PATH_LIMIT;
    for (int i = 0; i < 20 && result == ai_navigation_t::PATH_LIMIT; ++i) {
        result = nav.find_path(path, request, 1, random);
        path.advance_head();
    }
    EXPECT_EQ(result, ai_navigation_t::PATH_REACHED);
    vec3_t direction;
    float speed = 1.0f;
    nav.steer(path, test::grid_point(7, 1), {1, 0, 0}, 1, &direction, &speed);
    path.rewind();
    ASSERT_TRUE(path.reset(4, 8));  // a smaller limit keeps the storage
    EXPECT_TRUE(hook.requests().empty());
}

}  // namespace
}  // namespace quarn

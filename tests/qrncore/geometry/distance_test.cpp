#include "qrncore/geometry/distance.h"

#include <gtest/gtest.h>

#include "support/math_compare.h"

namespace quarn {
namespace {

using test::TOL_UNIT;
using test::vec_near;

TEST(distance, point_and_segment_table) {
    const vec3_t a{0, 0, 0}, b{4, 0, 0};
    const struct {
        vec3_t p;
        float line, segment;
        vec3_t line_foot, segment_foot;
    } cases[] = {
        {{2, 3, 0}, 3, 3, {2, 0, 0}, {2, 0, 0}},
        {{-3, 4, 0}, 4, 5, {-3, 0, 0}, {0, 0, 0}},  // before a: from a
        {{7, 0, 4}, 4, 5, {7, 0, 0}, {4, 0, 0}},    // beyond b: from b
        {{4, 0, 0}, 0, 0, {4, 0, 0}, {4, 0, 0}},
    };
    for (const auto &c : cases) {
        vec3_t foot;
        EXPECT_NEAR(point_line_distance(a, b, c.p, &foot), c.line, TOL_UNIT);
        EXPECT_TRUE(vec_near(foot, c.line_foot, TOL_UNIT));
        EXPECT_NEAR(point_line_distance(a, b, c.p), c.line, TOL_UNIT);
        EXPECT_NEAR(point_line_distance_squared(a, b, c.p), c.line * c.line, TOL_UNIT);
        EXPECT_NEAR(get_edge_dist(a, b, c.p), c.line, TOL_UNIT);
        EXPECT_NEAR(get_edge_squaredist(a, b, c.p), c.line * c.line, TOL_UNIT);
        EXPECT_NEAR(get_line_point_squaredist(a, b, c.p, &foot), c.line * c.line, TOL_UNIT);
        EXPECT_TRUE(vec_near(foot, c.line_foot, TOL_UNIT));
        EXPECT_NEAR(point_segment_distance(a, b, c.p, &foot), c.segment, TOL_UNIT);
        EXPECT_TRUE(vec_near(foot, c.segment_foot, TOL_UNIT));
        EXPECT_NEAR(point_segment_distance_squared(a, b, c.p), c.segment * c.segment, TOL_UNIT);
    }
    vec3_t out;
    EXPECT_FLOAT_EQ(project_point_on_line(a, b, {6, 1, 1}, &out), 1.5f);
    EXPECT_TRUE(vec_near(out, {6, 0, 0}, 0.0f));
    // A segment of one point: the distance to that point, not NaN.
    EXPECT_FLOAT_EQ(point_segment_distance({1, 1, 1}, {1, 1, 1}, {1, 4, 5}, &out), 5.0f);
    EXPECT_TRUE(vec_near(out, {1, 1, 1}, 0.0f));
}

TEST(distance, foot_on_a_plane) {
    const vec4_t plane{0, 2, 0, -4};  // y = 2, normal of length 2
    vec3_t foot;
    float dist = -1;
    EXPECT_TRUE(get_plane_normal_point({1, 5, 1}, plane, &foot, &dist));
    EXPECT_TRUE(vec_near(foot, {1, 2, 1}, TOL_UNIT));
    EXPECT_NEAR(dist, 3.0f, TOL_UNIT);
    EXPECT_TRUE(get_plane_normal_point({1, -1, 1}, plane, &foot, nullptr));  // from behind
    EXPECT_TRUE(vec_near(foot, {1, 2, 1}, TOL_UNIT));
    EXPECT_NEAR(get_plane_dist({0, -1, 0}, plane), 3.0f, TOL_UNIT);

    // The box form measures to the plane pushed out by the support radius.
    EXPECT_TRUE(get_plane_normal_point({0, 5, 0}, vec4_t{0, 1, 0, -2}, vec3_t{1, 0.5f, 1}, &foot, &dist));
    EXPECT_TRUE(vec_near(foot, {0, 1.5f, 0}, TOL_UNIT));
    EXPECT_NEAR(dist, 3.5f, TOL_UNIT);

    // Degenerate normals: both outputs defined and a failure.
    const vec4_t degenerate[] = {{0, 0.05f, 0, 1}, {0, 0, 0, 1}};
    for (const auto &d : degenerate) {
        foot = {9, 9, 9};
        dist = 9;
        EXPECT_FALSE(get_plane_normal_point({1, 2, 3}, d, &foot, &dist));
        EXPECT_TRUE(vec_near(foot, {1, 2, 3}, 0.0f));
        EXPECT_EQ(dist, 0.0f);
        EXPECT_EQ(get_plane_dist({1, 2, 3}, d), 0.0f);
    }
    // The box form cuts with a finer threshold: only the zero normal fails there.
    dist = 9;
    EXPECT_FALSE(get_plane_normal_point({1, 2, 3}, degenerate[1], vec3_t{1, 1, 1}, &foot, &dist));
    EXPECT_EQ(dist, 0.0f);
    EXPECT_TRUE(get_plane_normal_point({1, 2, 3}, degenerate[0], vec3_t{1, 1, 1}, &foot, &dist));
}

TEST(distance, vector_projections) {
    vec3_t out;
    project_vector2vector({0, 0, 5}, {1, 2, 3}, &out);
    EXPECT_TRUE(vec_near(out, {0, 0, 3}, 0.0f));
    project_vector({0, 0, 5}, {1, 2, 3}, &out);
    EXPECT_TRUE(vec_near(out, {1, 2, 0}, TOL_UNIT));
    project_vector({0, 0, 5}, {0, 0, -3}, &out);  // parallel
    EXPECT_TRUE(vec_near(out, {0, 0, 0}, 0.0f));
    project_vector({0, 0, 5}, {0, 0, 0}, &out);
    EXPECT_TRUE(vec_near(out, {0, 0, 0}, 0.0f));
    get_edge_point({0, 0, 0}, {0, 0, 10}, {3, 3, 4}, &out);
    EXPECT_TRUE(vec_near(out, {0, 0, 4}, 0.0f));
}

}  // namespace
}  // namespace quarn

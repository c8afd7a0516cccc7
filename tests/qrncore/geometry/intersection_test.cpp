#include "qrncore/geometry/intersection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "support/math_compare.h"

namespace quarn {
namespace {

using test::TOL_UNIT;
using test::vec_near;

const vec4_t GROUND{0, 1, 0, 0};  // y = 0
const vec3_t UNTOUCHED{9, 9, 9};

TEST(intersection, line_against_plane) {
    const struct {
        const char *name;
        vec3_t a, b;
        int result;
        vec3_t out;
    } cases[] = {
        {"a = b", {1, 2, 3}, {1, 2, 3}, 1, {1, 2, 3}},
        {"parallel", {0, 1, 0}, {1, 1, 0}, 0, UNTOUCHED},
        {"ahead", {0, 2, 0}, {0, 1, 0}, 1, {0, 0, 0}},
        {"behind a", {0, 2, 0}, {0, 3, 0}, -1, {0, 0, 0}},
        {"on a", {5, 0, 5}, {5, 1, 5}, 1, {5, 0, 5}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        vec3_t out = UNTOUCHED;
        EXPECT_EQ(compute_edge_plane_intersection(c.a, c.b, GROUND, &out, 0.00001f), c.result);
        EXPECT_TRUE(vec_near(out, c.out, TOL_UNIT));
    }
    EXPECT_EQ(compute_edge_intersection_coef({0, 2, 0}, {0, 1, 0}, GROUND, 0.00001f), 2.0f);
    EXPECT_EQ(compute_edge_intersection_coef({0, 2, 0}, {1, 2, 0}, GROUND, 0.00001f), 0.0f);
    // Box form: the plane moves out to y = -1 for half extents 1.
    vec3_t out;
    EXPECT_TRUE(compute_edge_plane_intersection({0, 2, 0}, {0, 1, 0}, GROUND, &out, vec3_t{1, 1, 1}, 0.00001f));
    EXPECT_TRUE(vec_near(out, {0, -1, 0}, 0.0f));
    EXPECT_FALSE(compute_edge_plane_intersection({0, 2, 0}, {0, 3, 0}, GROUND, &out, vec3_t{1, 1, 1}, 0.00001f));
}

TEST(intersection, segment_against_plane) {
    const struct {
        const char *name;
        vec3_t a, b;
        vec4_t plane;
        float eps;
        bool result;
        vec3_t out;
    } cases[] = {
        {"crossing", {0, 1, 0}, {0, -1, 0}, GROUND, 0.0f, true, {0, 0, 0}},
        {"shorter than 0.001", {0, 1, 0}, {0, 1.0009f, 0}, GROUND, 0.5f, false, {0, 1.0009f, 0}},
        {"parallel within 0.0001", {0, 1, 0}, {10, 1.00001f, 0}, GROUND, 0.5f, false, {10, 1.00001f, 0}},
        {"plane eps beyond b", {0, 3, 0}, {0, 1, 0}, {0, 1, 0, -0.6f}, 0.5f, true, {0, 0.6f, 0}},
        {"plane further beyond b", {0, 3, 0}, {0, 1, 0}, GROUND, 0.5f, false, {0, 0, 0}},
        {"plane eps before a", {0, 1, 0}, {0, 3, 0}, {0, 1, 0, -0.6f}, 0.5f, true, {0, 0.6f, 0}},
        {"plane further before a", {0, 1, 0}, {0, 3, 0}, {0, 1, 0, -0.4f}, 0.5f, false, {0, 0.4f, 0}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        vec3_t out = UNTOUCHED;
        EXPECT_EQ(compute_limited_plane_intersection(c.a, c.b, c.plane, &out, c.eps), c.result);
        EXPECT_TRUE(vec_near(out, c.out, TOL_UNIT));
    }
    // Box forms against n·x + d + r = 0, here y = -1.
    const vec3_t e{1, 1, 1};
    vec3_t out = UNTOUCHED;
    compute_limited_plane_intersection_c({0, 3, 0}, {0, 1, 0}, GROUND, &out, e, 0.0001f);
    EXPECT_TRUE(vec_near(out, {0, -1, 0}, 0.0f));
    out = UNTOUCHED;
    compute_limited_plane_intersection_c({0, 3, 0}, {1, 3, 0}, GROUND, &out, e, 0.0001f);
    EXPECT_TRUE(vec_near(out, UNTOUCHED, 0.0f));
    EXPECT_TRUE(compute_limited_plane_intersection({0, 3, 0}, {0, -3, 0}, GROUND, &out, e, 0.0f));
    EXPECT_TRUE(vec_near(out, {0, -1, 0}, 0.0f));
    EXPECT_FALSE(compute_limited_plane_intersection({0, 3, 0}, {0, 0, 0}, GROUND, &out, e, 0.5f));
    out = UNTOUCHED;
    EXPECT_FALSE(compute_limited_plane_intersection({0, 3, 0}, {1, 3, 0}, GROUND, &out, e, 0.5f));
    EXPECT_TRUE(vec_near(out, UNTOUCHED, 0.0f));
}

TEST(intersection, three_planes_snap_and_reject) {
    auto axis_planes = [](float x, float y, float z) {
        return std::array<vec4_t, 3>{vec4_t{1, 0, 0, -x}, vec4_t{0, 1, 0, -y}, vec4_t{0, 0, 1, -z}};
    };
    const struct {
        vec3_t solution, expected;
    } cases[] = {
        {{3.004f, 1, 2}, {3, 1, 2}},          // x snaps from above
        {{2.996f, 1, 2}, {3, 1, 2}},          // and from below
        {{1, 3.004f, 2}, {1, 3.004f, 2}},     // y only from below
        {{1, 2.995f, 2}, {1, 3, 2}},
        {{1, 2, 4.006f}, {1, 2, 4.006f}},     // z likewise
        {{1, 2, 3.992f}, {1, 2, 3.99f}},      // snapped to two decimals, not to the integer
        {{3.3f, 1, 2}, {3.3f, 1, 2}},
    };
    for (const auto &c : cases) {
        const auto p = axis_planes(c.solution.x, c.solution.y, c.solution.z);
        vec3_t out;
        ASSERT_TRUE(plane_intersection(p[0], p[1], p[2], &out, 0.001f));
        EXPECT_TRUE(vec_near(out, c.expected, test::TOL_ULPS * 4)) << c.solution.x << " " << c.solution.y << " "
                                                                   << c.solution.z;
    }
    vec3_t out = UNTOUCHED;
    EXPECT_FALSE(plane_intersection({1, 0, 0, 0}, {1, 0.0001f, 0, 1}, {0, 0, 1, 0}, &out, 0.001f));
    EXPECT_TRUE(vec_near(out, UNTOUCHED, 0.0f));

    // Any order of the same planes gives exactly the same point.
    std::array<vec4_t, 3> planes = {vec4_t{0.6f, 0.8f, 0, -3.7f}, vec4_t{0, 0.28f, 0.96f, 1.3f},
                                    vec4_t{0.48f, -0.6f, 0.64f, 0.55f}};
    vec3_t first;
    ASSERT_TRUE(plane_intersection(planes[0], planes[1], planes[2], &first, 0.001f));
    std::array<int, 3> perm = {0, 1, 2};
    while (std::next_permutation(perm.begin(), perm.end())) {
        vec3_t again;
        ASSERT_TRUE(plane_intersection(planes[perm[0]], planes[perm[1]], planes[perm[2]], &again, 0.001f));
        EXPECT_TRUE(vec_near(again, first, 0.0f));
    }
    for (const auto &p : planes) EXPECT_NEAR(p.x * first.x + p.y * first.y + p.z * first.z + p.w, 0.0f, test::TOL_TRIG);
}

TEST(intersection, solve_formulas) {
    float x = -1, y = -1, z = -1;
    ASSERT_TRUE(solve_formulas({1, 0, 0}, {0, 2, 0}, {0, 0, 4}, {1, 2, 3}, &x, &y, &z));
    EXPECT_EQ(x, 1.0f);
    EXPECT_EQ(y, 1.0f);
    EXPECT_EQ(z, 0.75f);
    ASSERT_TRUE(solve_formulas({1, 0, 0}, {1, 1, 0}, {0, 0, 1}, {0, 2, 0}, &x, &y, nullptr));
    EXPECT_EQ(x, -2.0f);
    EXPECT_EQ(y, 2.0f);
    // A zero numerator gives exactly +0, whatever the sign of the determinant.
    ASSERT_TRUE(solve_formulas({-1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 1, 1}, &x, &y, &z));
    EXPECT_EQ(x, 0.0f);
    EXPECT_FALSE(std::signbit(x));
    EXPECT_FALSE(solve_formulas({1, 2, 3}, {2, 4, 6}, {0, 0, 1}, {1, 1, 1}, &x, &y, &z));
    EXPECT_EQ(x, 0.0f);
    EXPECT_EQ(y, 0.0f);
    EXPECT_EQ(z, 0.0f);
}

TEST(intersection, point_inside_triangle_table) {
    const vec3_t a{0, 0, 7}, b{1, 0, 7}, c{0, 1, 7};
    const struct {
        vec3_t p;
        bool inside;
        float u, v;  // weights of c and b
    } cases[] = {
        {{0.25f, 0.25f, 0}, true, 0.25f, 0.25f}, {{0, 0, 0}, true, 0, 0},       {{0, 1, 0}, true, 1, 0},
        {{0.5f, 0.5f, 0}, true, 0.5f, 0.5f},     {{0.6f, 0.6f, 0}, false, 0, 0}, {{-0.1f, 0.5f, 0}, false, 0, 0},
        {{0.5f, -0.1f, 0}, false, 0, 0},         {{0.2f, 1.1f, 0}, false, 0, 0},
    };
    for (const auto &cs : cases) {
        SCOPED_TRACE(testing::Message() << cs.p.x << "," << cs.p.y);
        float u = -9, v = -9;
        // Both solving branches: b - a along the first axis, and (swapped) not.
        EXPECT_EQ(point_inside_triangle(cs.p, a, b, c, 0, 1, &u, &v), cs.inside);
        if (cs.inside) {
            EXPECT_FLOAT_EQ(u, cs.u);
            EXPECT_FLOAT_EQ(v, cs.v);
        } else {
            EXPECT_EQ(u, -9.0f);
        }
        EXPECT_EQ(point_inside_triangle(cs.p, a, c, b, 0, 1, &u, &v), cs.inside);
        if (cs.inside) {
            EXPECT_FLOAT_EQ(u, cs.v);
        }
        EXPECT_EQ(point_inside_triangle(cs.p, a, b, c, 0, 1), cs.inside);
    }
    // Seen edge-on (on the x and z axes) the triangle has no area.
    EXPECT_FALSE(point_inside_triangle({0, 0, 7}, {0, 0, 0}, {0, 1, 0}, {0, 0, 1}, 0, 1));
}

TEST(intersection, segments_and_lines_against_triangles) {
    const vec3_t t0{-10, -10, 0}, t1{10, -10, 0}, t2{0, 10, 0};
    const struct {
        const char *name;
        vec3_t a, b;
        bool hit;
    } cases[] = {
        {"through", {0, 0, 5}, {0, 0, -5}, true},
        {"through an edge", {0, -10, 5}, {0, -10, -5}, true},
        {"hit within one unit of b", {0, 0, 5}, {0, 0, -0.5f}, false},
        {"outside the triangle", {20, 0, 5}, {20, 0, -5}, false},
        {"stops short", {0, 0, 5}, {0, 0, 2}, false},
    };
    vec4_t plane{0, 0, 1, 0};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        vec3_t out;
        EXPECT_EQ(triangle_interval_intersection(t0, t1, t2, c.a, c.b, &out), c.hit);
        EXPECT_EQ(triangle_interval_intersection(t0, t1, t2, plane, c.a, c.b, &out), c.hit);
        if (c.hit) {
            EXPECT_NEAR(out.z, 0.0f, TOL_UNIT);
        }
    }
    // The line test counts a triangle behind a, and the clockwise winding too.
    vec3_t out;
    EXPECT_TRUE(compute_triangle_intersection(t0, t2, t1, {1, 1, 5}, {1, 1, 10}, &out));
    EXPECT_TRUE(vec_near(out, {1, 1, 0}, TOL_UNIT));
    EXPECT_FALSE(compute_triangle_intersection(t0, t1, t2, {1, 1, 5}, {2, 1, 5}, &out));  // parallel
    EXPECT_FALSE(compute_triangle_intersection(t0, t1, t2, {30, 1, 5}, {30, 1, 10}, &out));
}

TEST(intersection, point_on_line_2d_table) {
    const struct {
        float pu, pv;
        int result;
    } cases[] = {
        {2, 0, 1},   // between
        {2, 0.1f, 1},  // near enough for the cross-product test, scaled by |P - A|
        {-2, 0, 3},  // before A
        {6, 0, 2},   // beyond B
        {4, 0, 2},   // on B
        {0, 0, 0},   // equal to A
        {2, 1, 0},   // off the line
        {2, 0.5f, 0},
    };
    for (const auto &c : cases) EXPECT_EQ(point_on_line_2d(c.pu, c.pv, 0, 0, 4, 0), c.result) << c.pu << "," << c.pv;
    EXPECT_EQ(point_on_line_xz({2, 99, 0}, {0, 0, 0}, {4, 0, 0}), 1);
    EXPECT_EQ(point_on_line_xy({0, 2, 99}, {0, 0, 0}, {0, 4, 0}), 1);
    EXPECT_EQ(point_on_line_zy({99, 0, 6}, {0, 0, 0}, {0, 0, 4}), 2);
}

}  // namespace
}  // namespace quarn

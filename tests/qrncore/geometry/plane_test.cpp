// Plane equations and the classification of points and boxes against them.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "qrncore/geometry/plane_equation.h"
#include "qrncore/geometry/plane_side.h"
#include "qrncore/math/matrix.h"
#include "qrncore/math/matrix_table.h"
#include "support/math_compare.h"

namespace quarn {
namespace {

using test::TOL_UNIT;
using test::vec_near;

float value(const vec4_t &plane, const vec3_t &p) { return plane.x * p.x + plane.y * p.y + plane.z * p.z + plane.w; }

TEST(plane_equation, construction) {
    vec4_t out{9, 9, 9, 9};
    EXPECT_FALSE(construct_equation({1, 2, 3}, {0, 0, 0}, &out));
    EXPECT_TRUE(vec_near(out, {9, 9, 9, 9}, 0.0f));
    EXPECT_TRUE(construct_equation({1, 2, 3}, {0, 2, 0}, &out));
    EXPECT_TRUE(vec_near(out, {0, 2, 0, -4}, 0.0f));  // not normalised

    // Counter-clockwise seen from +Y: the normal points up.
    const vec3_t p0{0, 1, 0}, p1{0, 1, 1}, p2{1, 1, 0};
    points_compute_normal(p0, p1, p2, &out);
    EXPECT_GT(out.y, 0.0f);
    EXPECT_EQ(value(out, {5, 1, 5}), 0.0f);
    vec3_t unit;
    points_compute_normal(p0, p1, p2, &unit);
    EXPECT_TRUE(vec_near(unit, {0, 1, 0}, 0.0f));
    ASSERT_TRUE(points_compute_equation(p0, p1, p2, &out, 0.01f));
    EXPECT_TRUE(vec_near(out, {0, 1, 0, -1}, 0.0f));  // same orientation, unit

    get_plane_equation({0, 0, 0}, {0, 0, 2}, {7, 7, 3}, &out);  // through p2, along p0→p1
    EXPECT_TRUE(vec_near(out, {0, 0, 2, -6}, 0.0f));

    // Degenerate: the raw cross product in xyz, d untouched.
    out = {9, 9, 9, 9};
    EXPECT_FALSE(compute_equation({0, 0, 0}, {0.001f, 0, 0}, {0, 0.001f, 0}, &out, 0.01f));
    EXPECT_TRUE(vec_near(out, {0, 0, 0.000001f, 9}, 1e-9f));
}

TEST(plane_equation, moving_and_transforming) {
    const vec4_t plane{0, 2, 0, -4};  // y = 2, unnormalised
    vec4_t unit;
    plane_normalize(&unit, plane);
    EXPECT_TRUE(vec_near(unit, {0, 1, 0, -2}, 0.0f));
    vec3_t pp;
    plane_point(&pp, plane);
    EXPECT_TRUE(vec_near(pp, {0, 2, 0}, 0.0f));
    vec4_t moved;
    translate_plane(&moved, unit, {5, 3, 5});
    EXPECT_TRUE(vec_near(moved, {0, 1, 0, -5}, 0.0f));
    translate_plane(&moved, {0, -3, 0});
    EXPECT_TRUE(vec_near(moved, unit, 0.0f));

    // Points on the plane stay on the transformed plane.
    mat4_t m;
    fptr_matrix_set_rotate(&m, {30, 45, 10});
    matrix_translate_right(&m, {1, -2, 3});
    vec4_t t;
    transform_plane(&t, unit, m);
    for (const vec3_t p : {vec3_t{0, 2, 0}, vec3_t{4, 2, -1}, vec3_t{-3, 2, 8}}) {
        vec3_t q;
        fptr_mult_point_matrix_fast(&q, &p, m, 1, 12, 12);
        EXPECT_NEAR(value(t, q), 0.0f, 1e-4f);
    }
    vec4_t in_place = unit;
    transform_plane(&in_place, m);
    EXPECT_TRUE(vec_near(in_place, t, 0.0f));
}

TEST(plane_equation, reorder_gives_one_order_for_every_permutation) {
    std::array<vec4_t, 3> planes = {vec4_t{0, 1, 0, 5}, vec4_t{0, 1, 0, -5}, vec4_t{-1, 0, 0, 0}};
    std::array<int, 3> perm = {0, 1, 2};
    do {
        vec4_t a = planes[perm[0]], b = planes[perm[1]], c = planes[perm[2]];
        reorder_equations(&a, &b, &c);
        EXPECT_TRUE(vec_near(a, planes[2], 0.0f));
        EXPECT_TRUE(vec_near(b, planes[1], 0.0f));
        EXPECT_TRUE(vec_near(c, planes[0], 0.0f));
    } while (std::next_permutation(perm.begin(), perm.end()));
}

TEST(plane_side, points) {
    const vec4_t plane{0, 1, 0, -1};  // y = 1
    const float eps = 0.25f;
    const struct {
        float y;
        int side_eps, side;
        bool left, right, left_eps, right_eps, on;
    } cases[] = {
        {1.0f, 0, 0, true, true, true, true, true},
        {1.25f, 0, 1, false, true, true, true, false},  // s = eps: on the plane for point_side
        {1.5f, 1, 1, false, true, false, true, false},
        {0.75f, 0, -1, true, false, true, true, false},
        {0.5f, -1, -1, true, false, true, false, false},
    };
    for (const auto &c : cases) {
        const vec3_t p{3, c.y, -2};
        SCOPED_TRACE(c.y);
        EXPECT_EQ(point_side(p, plane, eps), c.side_eps);
        EXPECT_EQ(point_side(p, plane), c.side);
        EXPECT_EQ(point_left(p, plane), c.left);
        EXPECT_EQ(point_right(p, plane), c.right);
        EXPECT_EQ(point_left(p, plane, eps), c.left_eps);
        EXPECT_EQ(point_right(p, plane, eps), c.right_eps);
        EXPECT_EQ(point_on_plane(p, plane, eps), c.on);
        const vec4_t h{p.x, p.y, p.z, 1.0f};
        EXPECT_EQ(point_left(h, plane), c.left);
        EXPECT_EQ(point_right(h, plane), c.right);
        EXPECT_EQ(point_left(h, plane, eps), c.left_eps);
        EXPECT_EQ(point_right(h, plane, eps), c.right_eps);
    }
}

TEST(plane_side, boxes) {
    const vec4_t plane{0, 1, 0, 0};  // y = 0; a box of half height 1
    const vec3_t e{5, 1, 5};
    const struct {
        float y;
        bool some_behind, all_behind, all_front, some_front, straddles;
        int side;
    } cases[] = {
        {3.0f, false, false, true, true, false, 1},
        {1.0f, true, false, true, true, true, 0},  // touches from above
        {0.0f, true, false, false, true, true, -1},
        {-1.0f, true, true, false, true, true, -1},
        {-3.0f, true, true, false, false, false, -1},
    };
    for (const auto &c : cases) {
        const vec3_t p{7, c.y, 7};
        SCOPED_TRACE(c.y);
        EXPECT_EQ(point_left(p, plane, e), c.some_behind);
        EXPECT_EQ(point_left_inv(p, plane, e, 0.0f), c.all_behind);
        EXPECT_EQ(point_left_inv(p, plane, 1.0f, 0.0f), c.all_behind);  // cube of half size 1
        EXPECT_EQ(point_right(p, plane, e), c.all_front);
        EXPECT_EQ(point_right_inv(p, plane, e, 0.0f), c.some_front);
        EXPECT_EQ(point_on_plane(p, plane, e, 0.0f), c.straddles);
        EXPECT_EQ(point_side(p, plane, e), c.side);
    }
    // eps widens each test by that much.
    EXPECT_TRUE(point_left(vec3_t{0, 1.1f, 0}, plane, e, 0.2f));
    EXPECT_TRUE(point_right(vec3_t{0, 0.9f, 0}, plane, e, 0.2f));
    EXPECT_EQ(point_side(vec3_t{0, 1.1f, 0}, plane, e, 0.2f), 0);
}

TEST(plane_side, comparisons) {
    EXPECT_TRUE(valid_point({0.1f, -0.1f, 0.1f}, 0.1f));
    EXPECT_FALSE(valid_point({0.1f, -0.11f, 0}, 0.1f));
    EXPECT_TRUE(compare_vpoint({1, 2, 3}, {1.009f, 2, 3}));
    EXPECT_FALSE(compare_vpoint({1, 2, 3}, {1.011f, 2, 3}));
    EXPECT_FALSE(compare_vpoint({1, 2, 3}, {1.5f, 2, 3}, 0.5f));  // strict

    const vec3_t amin{0, 0, 0}, amax{1, 1, 1};
    EXPECT_FALSE(min_max_separated(amin, amax, {1, 0, 0}, {2, 1, 1}));  // shared face
    EXPECT_TRUE(min_max_separated(amin, amax, {0, 1.01f, 0}, {1, 2, 1}));
    EXPECT_TRUE(min_max_separated(amin, amax, {0, 0, -2}, {1, 1, -0.01f}));

    const vec4_t p{0, 1, 0, -2}, same{0, 1, 0, -2.0005f}, reversed{0, -1, 0, 2}, other{0, 1, 0, -3};
    // dot4 includes d·d, so it is far above 1 for planes away from the origin.
    EXPECT_TRUE(planes_identical(p, same, 0.001f));
    EXPECT_FALSE(planes_identical(p, other, 0.001f));
    EXPECT_FALSE(planes_identical(p, reversed, 0.001f));
    EXPECT_TRUE(planes_touch(p, same, 0.001f));
    EXPECT_FALSE(planes_touch(p, other, 0.001f));
    const vec4_t through{1, 0, 0, 0}, through_rev{-1, 0, 0, 0};
    EXPECT_TRUE(planes_touch(through, through_rev, 0.001f));
    EXPECT_TRUE(planes_reversed_identical(through, through_rev, 0.001f));
    EXPECT_FALSE(planes_reversed_identical(through, through, 0.001f));
}

}  // namespace
}  // namespace quarn

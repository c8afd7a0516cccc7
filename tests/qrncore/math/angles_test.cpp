#include "qrncore/math/angles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "qrncore/math/axes.h"
#include "qrncore/math/scalar.h"
#include "qrncore/math/tangent.h"
#include "support/math_compare.h"

namespace quarn {
namespace {

using test::TOL_TRIG;
using test::TOL_ULPS;
using test::vec_near;

TEST(angles, between_vectors) {
    const struct {
        vec3_t a, b;
        float cos, angle4;
    } cases[] = {
        {{0, 0, 0}, {1, 0, 0}, 1.0f, 0.0f},        // zero vector: cos 1, angle 0
        {{1, 0, 0}, {-1, 0, 0}, -1.0f, PI_F},      // opposite
        {{2, 0, 0}, {0, 3, 0}, 0.0f, HALF_PI_F},   // perpendicular, lengths ignored
        {{0.0004f, 0, 0}, {1, 0, 0}, 1.0f, 0.0f},  // |a|·|b| below 0.001 counts as zero for cos
    };
    for (const auto &c : cases) {
        EXPECT_NEAR(vec3_cos(c.a, c.b), c.cos, TOL_ULPS);
        EXPECT_NEAR(vec4_angle(c.a, c.b), c.angle4, TOL_TRIG);
        EXPECT_NEAR(vec3_angle(c.a, c.b), std::acos(c.cos), TOL_TRIG);
    }
    // Rounding past ±1 is clamped.
    const vec3_t u{0.1f, 0.2f, 0.3f};
    EXPECT_LE(std::fabs(vec3_cos(u, u * 3.0f)), 1.0f);
    EXPECT_FALSE(std::isnan(vec4_angle(u, u * 3.0f)));
}

TEST(angles, determine_angle_table) {
    const struct {
        float s, c, degrees;
    } cases[] = {
        {1, 0, 90}, {0, -1, 180}, {-0.5f, -0.866f, -150}, {1.2f, 0, 90}, {0, 1, 0}, {-1, 0, -90}, {0.5f, -0.866f, 150},
    };
    for (const auto &c : cases) EXPECT_NEAR(determine_angle(c.s, c.c), c.degrees, 0.01f) << c.s << " " << c.c;
    EXPECT_EQ(sin_2_cos(0.6), cos_2_sin(0.6));
    EXPECT_NEAR(sin_2_cos(0.6), 0.8, 1e-12);
    EXPECT_EQ(sin_2_cos(1.5), 0.0);
}

TEST(angles, rounding_and_clamping) {
    const struct {
        float x;
        int n;
        float expected;
    } cases[] = {
        {2.789f, 2, 2.78f}, {-2.789f, 1, -2.7f}, {1234.5f, -2, 1200.0f}, {2.0f, 0, 2.0f},
        // Beyond the int range the value is still cut rather than undefined.
        {3.0e9f, 0, 3.0e9f}, {-5.5e12f, -3, -5.5e12f},
    };
    for (const auto &c : cases) EXPECT_FLOAT_EQ(round(c.x, c.n), c.expected) << c.x << " " << c.n;
    EXPECT_TRUE(vec_near(v_round(vec2_t{-0.5f, 0.5f}), {0, 1}, 0.0f));
    EXPECT_TRUE(vec_near(v_round(vec4_t{1.49f, -1.5f, 2.5f, -0.49f}), {1, -1, 3, 0}, 0.0f));
    vec3_t v{-1, std::numeric_limits<float>::quiet_NaN(), 2};
    vector_positive(&v);
    EXPECT_TRUE(vec_near(v, {0, 0, 2}, 0.0f));
}

TEST(angles, ground_plane_measures) {
    EXPECT_EQ(xz_length(vec3_t{3, 100, 4}), 5.0f);
    EXPECT_EQ(xz_length_squared(vec3_t{3, 100, 4}), 25.0f);
    EXPECT_EQ(xz_distance(vec3_t{1, 0, 1}, vec3_t{4, -7, 5}), 5.0f);
    EXPECT_EQ(get_2d_dist(vec3_t{1, 1, 50}, vec3_t{4, 5, -50}), 5.0f);
    EXPECT_EQ(get_2d_dist(vec2_t{1, 1}, vec2_t{4, 5}), 5.0f);
}

TEST(angles, spherical_coordinates) {
    vec3_t s;
    cartes_2_spheric(&s, {0, 0, 0});
    EXPECT_TRUE(vec_near(s, {0, 0, 0}, 0.0f));
    cartes_2_spheric(&s, {1, 1, 0});
    EXPECT_TRUE(vec_near(s, {PI_F / 4, PI_F / 4, std::sqrt(2.0f)}, TOL_TRIG));
    // For x <= 0 the azimuth keeps going round instead of being a sign.
    cartes_2_spheric(&s, {-1, 1, 0});
    EXPECT_NEAR(s.y, 3 * PI_F / 4, TOL_TRIG);

    vec3_t a, b, zero;
    spheric_2_cartes(&a, {0.7f, 0.3f, 5});
    spheric_2_cartes(&b, {0.7f, 0.3f, 1});
    EXPECT_TRUE(vec_near(a, b, TOL_ULPS));
    EXPECT_NEAR(length(a), 1.0f, TOL_ULPS);
    spheric_2_cartes(&zero, {0.7f, 0.3f, 0});
    EXPECT_TRUE(vec_near(zero, {0, 0, 0}, 0.0f));
}

TEST(axes, importance_table) {
    const struct {
        vec3_t v;
        int first, second, third;
    } cases[] = {
        {{1, 1, 1}, 0, 1, 2},  {{1, -3, 2}, 1, 2, 0}, {{0, 0, -1}, 2, 0, 1},
        {{0, 2, 2}, 1, 2, 0},  {{-5, 1, 2}, 0, 2, 1}, {{1, 0, 2}, 2, 0, 1},
    };
    for (const auto &c : cases) {
        int f = -1, s = -1, t = -1;
        axis_importance(c.v, &f, &s, &t);
        EXPECT_EQ(f, c.first);
        EXPECT_EQ(s, c.second);
        EXPECT_EQ(t, c.third);
        axis_importance(vec4_t{c.v.x, c.v.y, c.v.z, 100}, &f, &s, &t);
        EXPECT_EQ(f, c.first);
    }
    int f = -1, s = -1, t = -1;
    axis_importance(vec3_t{std::numeric_limits<float>::quiet_NaN(), 1, 2}, &f, &s, &t);
    EXPECT_EQ(f, -1);  // nothing written
}

TEST(axes, axis_aligned_table) {
    const struct {
        vec3_t v;
        bool aligned;
        vec3_t out;
    } cases[] = {
        {{0, 0.5f, 0.001f}, true, {0, 1, 0}},
        {{0.5f, 0.5f, 0}, false, {9, 9, 9}},
        {{0, 0.5f, 0.01f}, false, {9, 9, 9}},  // a component equal to eps
        {{0, 0, -3}, true, {0, 0, -1}},
        {{0, 0, 0}, false, {9, 9, 9}},
    };
    for (const auto &c : cases) {
        vec3_t out{9, 9, 9};
        EXPECT_EQ(get_axis_aligned(c.v, &out, 0.01f), c.aligned);
        EXPECT_TRUE(vec_near(out, c.out, 0.0f));
    }
    EXPECT_TRUE(get_axis_aligned(vec3_t{2, 0, 0}, nullptr, 0.01f));
}

TEST(tangent, handedness_and_degenerate_coordinates) {
    const vec3_t n{0, 1, 0}, p0{0, 0, 0}, p1{1, 0, 0}, p2{0, 0, -1};
    vec4_t t;
    compute_tangent(&t, n, p0, p1, p2, {0, 0}, {1, 0}, {0, 1});
    EXPECT_TRUE(vec_near(t, {1, 0, 0, 1}, TOL_ULPS));
    compute_tangent(&t, n, p0, p1, p2, {0, 0}, {1, 0}, {0, -1});  // mirrored v
    EXPECT_TRUE(vec_near(t, {1, 0, 0, -1}, TOL_ULPS));
    compute_tangent(&t, n, p0, p1, p2, {0, 0}, {2, 0}, {0, 1});  // u runs twice as fast: still unit
    EXPECT_TRUE(vec_near(t, {1, 0, 0, 1}, TOL_ULPS));
    compute_tangent(&t, n, p0, p1, p2, {0, 0}, {1, 1}, {2, 2});  // collinear coordinates
    EXPECT_TRUE(vec_near(t, {1, 0, 0, 1}, 0.0f));
    // A tangent with a part along the normal is made perpendicular to it.
    compute_tangent(&t, n, p0, {1, 1, 0}, p2, {0, 0}, {1, 0}, {0, 1});
    EXPECT_TRUE(vec_near(t, {1, 0, 0, 1}, TOL_ULPS));
}

}  // namespace
}  // namespace quarn

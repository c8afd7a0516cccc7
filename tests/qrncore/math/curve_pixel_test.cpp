#include <gtest/gtest.h>

#include <vector>

#include "qrncore/math/curve.h"
#include "qrncore/math/pixel.h"
#include "support/math_compare.h"

namespace quarn {
namespace {

using test::TOL_UNIT;
using test::vec_near;

TEST(curve, end_points_and_tangents) {
    const vec3_t a{-1, 0, 0}, b{0, 0, 0}, c{1, 1, 0}, d{2, 1, 5};
    vec3_t out, tangent;
    cr_curve(a, b, c, d, 0.0f, &out, &tangent);
    EXPECT_TRUE(vec_near(out, b, 0.0f));
    EXPECT_TRUE(vec_near(tangent, normalized(c - a), TOL_UNIT));  // Catmull-Rom: along c - a
    cr_curve(a, b, c, d, 1.0f, &out, nullptr);
    EXPECT_TRUE(vec_near(out, c, TOL_UNIT));

    bezier_curve(&out, a, b, c, d, 0.5f);
    EXPECT_TRUE(vec_near(out, (a + 3.0f * b + 3.0f * c + d) * 0.125f, TOL_UNIT));

    const vec3_t start{0, 0, 0}, st{0, 0, 2}, end{4, 0, 4}, et{2, 0, 0};
    smooth_curve(start, st, end, et, 0.0f, &out, &tangent);
    EXPECT_TRUE(vec_near(out, start, 0.0f));
    EXPECT_TRUE(vec_near(tangent, {0, 0, 1}, TOL_UNIT));
    smooth_curve(start, st, end, et, 1.0f, &out, &tangent);
    EXPECT_TRUE(vec_near(out, end, TOL_UNIT));
    EXPECT_TRUE(vec_near(tangent, {1, 0, 0}, TOL_UNIT));
    // Degenerate: all points equal gives a zero tangent, not NaN.
    smooth_curve(start, {}, start, {}, 0.5f, &out, &tangent);
    EXPECT_TRUE(vec_near(tangent, {0, 0, 0}, 0.0f));
}

TEST(curve, planar_curvature) {
    EXPECT_EQ(smooth_curve_planar_curvature({0, 0, 0}, {1, 0, 0}, {3, 0, 0}, {1, 0, 0}, 0.5f), 0.0f);
    EXPECT_EQ(smooth_curve_planar_curvature({1, 2, 3}, {}, {1, 2, 3}, {}, 0.5f), 0.0f);
    // A quarter turn from +Z to +X bends one way, its mirror the other; y is ignored.
    const float k = smooth_curve_planar_curvature({0, 0, 0}, {0, 0, 2}, {4, 0, 4}, {2, 0, 0}, 0.5f);
    const float mirror = smooth_curve_planar_curvature({0, 0, 0}, {0, 0, 2}, {-4, 0, 4}, {-2, 0, 0}, 0.5f);
    const float lifted = smooth_curve_planar_curvature({0, 7, 0}, {0, 1, 2}, {4, -3, 4}, {2, 5, 0}, 0.5f);
    EXPECT_NE(k, 0.0f);
    EXPECT_FLOAT_EQ(mirror, -k);
    EXPECT_FLOAT_EQ(lifted, k);
}

TEST(pixel, conversions) {
    const uint8_t rgb[6] = {1, 2, 3, 4, 5, 6};
    const uint8_t rgba[8] = {1, 2, 3, 9, 4, 5, 6, 8};
    uint8_t out[8] = {};
    rgb_rgba(out, rgb, 2);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 8), (std::vector<uint8_t>{1, 2, 3, 255, 4, 5, 6, 255}));
    rgb_bgra(out, rgb, 2);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 8), (std::vector<uint8_t>{3, 2, 1, 255, 6, 5, 4, 255}));
    rgba_bgra(out, rgba, 2);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 8), (std::vector<uint8_t>{3, 2, 1, 9, 6, 5, 4, 8}));
    uint8_t three[6];
    rgba_rgb(three, rgba, 2);
    EXPECT_EQ(std::vector<uint8_t>(three, three + 6), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    rgb_bgr(three, rgb, 2);
    EXPECT_EQ(std::vector<uint8_t>(three, three + 6), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
}

TEST(pixel, scale_drops_the_remainder) {
    EXPECT_EQ(rgb_scale(0xFFFFFFFFu, 0x80808080u), 0x80808080u);
    EXPECT_EQ(rgb_scale(0x80808080u, 0x80808080u), 0x40404040u);
    EXPECT_EQ(rgb_scale(0x12345678u, 0xFFFFFFFFu), 0x12345678u);
    EXPECT_EQ(rgb_scale(0x12345678u, 0xFF00FF00u), 0x12005600u);  // bytes stay apart
    EXPECT_EQ(rgb_scale(0x00000001u, 0x000000FEu), 0u);
}

}  // namespace
}  // namespace quarn

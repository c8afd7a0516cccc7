#include "qrncore/math/vec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <type_traits>

#include "support/math_compare.h"

namespace quarn {
namespace {

using test::vec_near;

static_assert(std::is_trivially_copyable_v<vec3_t> && std::is_standard_layout_v<vec4_t>);

TEST(vec, min_max_take_the_other_value_only_when_strictly_beyond) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const vec3_t a{1, 5, -2}, b{3, nan, -2};
    const vec3_t lo = v_min(a, b), hi = v_max(a, b);
    EXPECT_TRUE(vec_near(lo, {1, 5, -2}, 0.0f));  // NaN never replaces
    EXPECT_TRUE(vec_near(hi, {3, 5, -2}, 0.0f));
    EXPECT_TRUE(in_range(vec3_t{1, 2, 3}, vec3_t{1, 2, 3}, vec3_t{1, 2, 3}));  // inclusive
    EXPECT_FALSE(in_range(vec3_t{1, 2, 3.0001f}, vec3_t{0, 0, 0}, vec3_t{3, 3, 3}));
    EXPECT_TRUE(in_range(2.0f, 2.0f, 4.0f));
}

TEST(vec, normalize_leaves_near_zero_vectors) {
    vec3_t tiny{0, 0, 0.000009f};
    EXPECT_FLOAT_EQ(normalize(tiny), 0.000009f);
    EXPECT_EQ(tiny.z, 0.000009f);
    vec3_t v{3, 0, 4};
    EXPECT_EQ(normalize(v), 5.0f);
    EXPECT_TRUE(vec_near(v, {0.6f, 0, 0.8f}, test::TOL_ULPS));
    EXPECT_TRUE(vec_near(cross(vec3_t{1, 0, 0}, vec3_t{0, 1, 0}), {0, 0, 1}, 0.0f));  // right-handed
    EXPECT_TRUE(vec_near(lerp(vec2_t{1, 2}, vec2_t{3, 6}, 1.0f), {3, 6}, 0.0f));
    EXPECT_EQ((vec4_t{1, 2, 3, 4}[3]), 4.0f);
}

TEST(vec, solve_2d) {
    float s = -1, t = -1;
    ASSERT_TRUE(solve_2d(vec2_t{1, 0}, vec2_t{1, 1}, vec2_t{3, 2}, &s, &t));
    EXPECT_EQ(s, 1.0f);
    EXPECT_EQ(t, 2.0f);
    EXPECT_FALSE(solve_2d(vec2_t{1, 2}, vec2_t{2, 4}, vec2_t{3, 2}, &s, &t));
    EXPECT_EQ(s, 1.0f);  // untouched
}

}  // namespace
}  // namespace quarn

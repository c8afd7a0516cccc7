#include "qrncore/math/rotation.h"

#include <gtest/gtest.h>

#include "qrncore/math/matrix.h"
#include "qrncore/math/matrix_table.h"
#include "support/math_compare.h"

namespace quarn {
namespace {

using test::TOL_TRIG;
using test::vec_near;

TEST(rotation, all_forms_agree_and_inverses_undo) {
    const ypr_t ypr{35, -20, 60};
    quat_t q;
    q.set(ypr);
    mat4_t m;
    fptr_matrix_set_rotate(&m, ypr);
    const vec3_t v{1, -2, 3};

    vec3_t by_quat, by_ypr, back;
    normal_rotate(&by_quat, v, q);
    normal_rotate(&by_ypr, v, ypr);
    EXPECT_TRUE(vec_near(by_quat, by_ypr, TOL_TRIG));
    EXPECT_TRUE(vec_near(point_rotate(v, q), by_quat, 0.0f));
    EXPECT_TRUE(vec_near(normal_rotate(v, m), by_quat, TOL_TRIG));

    normal_rotate_inv(&back, by_quat, q);
    EXPECT_TRUE(vec_near(back, v, TOL_TRIG));
    EXPECT_TRUE(vec_near(point_rotate_inv(by_quat, q), v, TOL_TRIG));
    normal_rotate_inv(&back, by_quat, ypr);
    EXPECT_TRUE(vec_near(back, v, TOL_TRIG));
    EXPECT_TRUE(vec_near(normal_rotate_inv(by_quat, m), v, TOL_TRIG));

    // Point forms add the translation, normal forms do not.
    matrix_translate_right(&m, {10, 0, 0});
    EXPECT_TRUE(vec_near(point_rotate(v, m), by_quat + vec3_t{10, 0, 0}, TOL_TRIG));
    EXPECT_TRUE(vec_near(point_rotate_inv(point_rotate(v, m), m), v, TOL_TRIG));
    EXPECT_TRUE(vec_near(normal_rotate(v, m), by_quat, TOL_TRIG));
}

TEST(rotation, singular_matrix_inverse_leaves_the_vector) {
    mat4_t flat;
    fptr_matrix_set_scale(&flat, {1, 0, 1});
    EXPECT_TRUE(vec_near(normal_rotate_inv(vec3_t{1, 2, 3}, flat), {1, 2, 3}, 0.0f));
    EXPECT_TRUE(vec_near(point_rotate_inv(vec3_t{1, 2, 3}, flat), {1, 2, 3}, 0.0f));
}

TEST(rotation, axis_to_matrix_fills_rows) {
    mat4_t m;
    m.m[3] = m.m[12] = 9.0f;
    axis_to_matrix(&m, {1, 2, 3}, {4, 5, 6}, {7, 8, 9});
    const float expected[16] = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m.m[i], expected[i]) << i;
}

}  // namespace
}  // namespace quarn

#include "qrncore/geometry/placement.h"

#include <gtest/gtest.h>

#include "qrncore/math/matrix.h"
#include "qrncore/math/matrix_table.h"
#include "support/math_compare.h"

namespace quarn {
namespace {

using test::axis_angle;
using test::mat_near;
using test::quat_near;
using test::same_rotation;
using test::TOL_TRIG;
using test::TOL_UNIT;
using test::vec_near;

vec3_t by_matrix(const mat4_t &m, const vec3_t &p) {
    vec3_t out;
    fptr_mult_point_matrix(&out, &p, m, 1, 12, 12);
    return out;
}

// A parent turned 90° about Y and moved; a child in its frame.
const placement_t PARENT{{10, 0, 0}, axis_angle({0, 1, 0}, 90)};
const placement_t CHILD{{0, 0, -2}, axis_angle({1, 0, 0}, 90)};

TEST(placement, compose_and_invert_under_a_rotated_parent) {
    const placement_t world = PARENT.from_local_space(CHILD);
    // Two units ahead of the parent, whose forward (-Z) is turned to -X.
    EXPECT_TRUE(vec_near(world.position, {8, 0, 0}, TOL_UNIT));
    EXPECT_TRUE(quat_near(world.rotation, PARENT.rotation * CHILD.rotation, 0.0f));
    const placement_t back = PARENT.to_local_space(world);
    EXPECT_TRUE(vec_near(back.position, CHILD.position, TOL_UNIT));
    EXPECT_TRUE(same_rotation(back.rotation, CHILD.rotation, TOL_UNIT));

    // The matrices agree with the point maps and compose the same way.
    const vec3_t local{1, 2, 3};
    EXPECT_TRUE(vec_near(by_matrix(PARENT.compute_matrix(), local), PARENT.from_local_space(local), TOL_UNIT));
    EXPECT_TRUE(vec_near(by_matrix(PARENT.compute_inverse_matrix(), PARENT.from_local_space(local)), local, TOL_UNIT));
    EXPECT_TRUE(vec_near(PARENT.to_local_space(PARENT.from_local_space(local)), local, TOL_UNIT));
    mat4_t composed;
    mult_matrix_matrix(&composed, CHILD.compute_matrix(), PARENT.compute_matrix());
    EXPECT_TRUE(mat_near(composed, world.compute_matrix(), TOL_UNIT));

    // A placement read back from its matrix is the same placement.
    const placement_t read = placement_t::from_matrix(world.compute_matrix());
    EXPECT_TRUE(vec_near(read.position, world.position, TOL_UNIT));
    EXPECT_TRUE(same_rotation(read.rotation, world.rotation, TOL_UNIT));
}

TEST(placement, moves_and_turns) {
    placement_t p{{1, 0, 0}, axis_angle({0, 1, 0}, 90)};
    p.translate_locally({0, 0, -1});  // forward is -X now
    EXPECT_TRUE(vec_near(p.position, {0, 0, 0}, TOL_UNIT));

    placement_t g{{1, 0, 0}, quat_t{}};
    g.rotate_globally(axis_angle({0, 1, 0}, 90));  // about the world origin
    EXPECT_TRUE(vec_near(g.position, {0, 0, -1}, TOL_UNIT));
    EXPECT_TRUE(same_rotation(g.rotation, axis_angle({0, 1, 0}, 90), TOL_UNIT));

    // Turning about the local point v keeps q·v where it was.
    placement_t l{{5, 0, 0}, quat_t{}};
    l.rotate_locally({1, 0, 0}, axis_angle({0, 1, 0}, 180));
    EXPECT_TRUE(vec_near(l.position, {-3, 0, 0}, TOL_UNIT));  // 5 turned about x = 1

    placement_t mid;
    mid.interpolate(placement_t{{0, 0, 0}, quat_t{}}, placement_t{{4, 0, 0}, axis_angle({0, 1, 0}, 90)}, 0.5f);
    EXPECT_TRUE(vec_near(mid.position, {2, 0, 0}, TOL_UNIT));
    EXPECT_TRUE(quat_near(mid.rotation, axis_angle({0, 1, 0}, 45), TOL_UNIT));
}

TEST(placement, scaled_forms) {
    const placement_scale_t s{{1, 2, 3}, 2.0f, axis_angle({0, 0, 1}, 90)};
    const vec3_t local{1, 0, 0};
    EXPECT_TRUE(vec_near(s.from_local_space(local), {1, 4, 3}, TOL_UNIT));  // scaled, turned, moved
    EXPECT_TRUE(vec_near(s.to_local_space(s.from_local_space(local)), local, TOL_UNIT));
    EXPECT_TRUE(vec_near(by_matrix(s.compute_matrix(), local), s.from_local_space(local), TOL_UNIT));
    mat4_t product;
    mult_matrix_matrix(&product, s.compute_matrix(), s.compute_inverse_matrix());
    EXPECT_TRUE(mat_near(product, mat4_t::identity(), TOL_UNIT));
    const placement_t child{{1, 0, 0}, axis_angle({1, 0, 0}, 30)};
    const placement_t world = s.from_local_space(child);
    EXPECT_TRUE(vec_near(world.position, {1, 4, 3}, TOL_UNIT));
    const placement_t back = s.to_local_space(world);
    EXPECT_TRUE(vec_near(back.position, child.position, TOL_UNIT));
    EXPECT_TRUE(same_rotation(back.rotation, child.rotation, TOL_UNIT));
    placement_scale_t mid;
    mid.interpolate(placement_scale_t{{0, 0, 0}, 1, quat_t{}}, s, 0.5f);
    EXPECT_FLOAT_EQ(mid.scale, 1.5f);

    const placement_nonuniform_t n{{1, 2, 3}, {2, 3, 4}, axis_angle({0, 1, 0}, 90)};
    const vec3_t q{1, 1, 1};
    EXPECT_TRUE(vec_near(n.from_local_space(q), vec3_t{1, 2, 3} + axis_angle({0, 1, 0}, 90).rotate({2, 3, 4}), TOL_UNIT));
    EXPECT_TRUE(vec_near(n.to_local_space(n.from_local_space(q)), q, TOL_UNIT));
    EXPECT_TRUE(vec_near(by_matrix(n.compute_matrix(), q), n.from_local_space(q), TOL_UNIT));
    mult_matrix_matrix(&product, n.compute_inverse_matrix(), n.compute_matrix());
    EXPECT_TRUE(mat_near(product, mat4_t::identity(), TOL_UNIT));
    placement_nonuniform_t nmid;
    nmid.interpolate(placement_nonuniform_t{}, n, 0.5f);
    EXPECT_TRUE(vec_near(nmid.scale, {1.5f, 2, 2.5f}, TOL_UNIT));
    EXPECT_TRUE(vec_near(nmid.position, {0.5f, 1, 1.5f}, TOL_UNIT));
}

}  // namespace
}  // namespace quarn

// frustum_t and the projection matrices.
#include "qrncore/geometry/frustum.h"

#include <gtest/gtest.h>

#include <cmath>

#include "qrncore/geometry/projection.h"
#include "qrncore/math/matrix.h"
#include "qrncore/math/matrix_table.h"
#include "qrncore/math/scalar.h"
#include "support/math_compare.h"

namespace quarn {
namespace {

using test::mat_near;
using test::TOL_UNIT;
using test::vec_near;

TEST(frustum, default_containment_at_the_origin) {
    frustum_t f;
    f.update({0, 0, 0}, quat_t{});
    const struct {
        vec3_t p;
        bool inside;
    } cases[] = {
        {{0, 0, -2}, true},   {{0, 0, -0.5f}, false}, {{0, 0, -1001}, false}, {{3, 0, -2}, false},
        {{1.5f, 0, -2}, true}, {{-1.5f, 0, -2}, true}, {{0, 1.5f, -2}, true},  {{0, -3, -2}, false},
        {{0, 0, 2}, false},   {{0, 0, -1}, true},     {{0, 0, -1000}, true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(f.contains(c.p), c.inside) << c.p.x << "," << c.p.y << "," << c.p.z;
}

TEST(frustum, planes_follow_the_camera) {
    frustum_t f(60, 0.75f, 0.5f, 100);
    // Camera at (10, 0, 0) looking along +X (yaw 270).
    quat_t look;
    look.set(ypr_t{270, 0, 0});
    f.update({10, 0, 0}, look);
    EXPECT_TRUE(f.contains({15, 0, 0}));
    EXPECT_FALSE(f.contains({5, 0, 0}));
    EXPECT_FALSE(f.contains({10.2f, 0, 0}));  // before the near plane
    EXPECT_FALSE(f.contains({111, 0, 0}));
    // Horizontal half-angle 30°: tan 30 ≈ 0.577 at distance 10.
    EXPECT_TRUE(f.contains({20, 0, 5.5f}));
    EXPECT_FALSE(f.contains({20, 0, 6}));
    // Vertical half-extent is aspect·tan(30°) ≈ 0.433 per unit.
    EXPECT_TRUE(f.contains({20, 4.2f, 0}));
    EXPECT_FALSE(f.contains({20, 4.5f, 0}));
    for (int i = 0; i < frustum_t::PLANE_COUNT; ++i) {
        EXPECT_NEAR(length(f.get_plane(i).get_normal()), 1.0f, TOL_UNIT);
        EXPECT_EQ(f.get_octant(i), f.get_plane(i).get_normal_octant());
    }

    // Behind the camera; the near plane is 5.5 away.
    EXPECT_TRUE(f.intersects(sphere_t{{5, 0, 0}, 5.6f}));
    EXPECT_FALSE(f.intersects(sphere_t{{5, 0, 0}, 5.4f}));
    EXPECT_TRUE(f.intersects(aabox_t{{14, -1, -1}, {16, 1, 1}}));
    EXPECT_TRUE(f.intersects(aabox_t{{20, 0, 5}, {21, 1, 7}}));  // straddling the side
    EXPECT_FALSE(f.intersects(aabox_t{{0, -1, -1}, {9, 1, 1}}));  // behind the camera
}

TEST(frustum, setters_mark_dirty_only_on_change) {
    frustum_t f;
    EXPECT_FALSE(f.is_dirty());
    f.set_fov(90);
    f.set_aspect_ratio(1);
    f.set_near_plane(1);
    f.set_far_plane(1000);
    EXPECT_FALSE(f.is_dirty());
    f.set_far_plane(10);
    EXPECT_TRUE(f.is_dirty());
    EXPECT_EQ(f.get_far_plane(), 10.0f);
    f.update({0, 0, 0}, quat_t{});
    EXPECT_FALSE(f.is_dirty());
    EXPECT_FALSE(f.contains({0, 0, -11}));
    EXPECT_TRUE(f.contains({0, 0, -9}));
    // A narrower view recomputes the side planes.
    f.set_fov(30);
    f.update({0, 0, 0}, quat_t{});
    EXPECT_FALSE(f.contains({1.5f, 0, -2}));
    EXPECT_EQ(f.get_fov(), 30.0f);
}

TEST(projection, perspective_and_its_inverse) {
    const rectangle_t<float> screen{0, 800, 600, 0};
    mat4_t p, inv, product;
    // Aspect 0 takes it from the rectangle: 800/600.
    r_frustum_projection_matrix(&p, screen, 1, 100, 90, 0);
    mat4_t explicit_aspect;
    r_frustum_projection_matrix(&explicit_aspect, screen, 1, 100, 90, 800.0f / 600.0f);
    EXPECT_TRUE(mat_near(p, explicit_aspect, 0.0f));
    EXPECT_NEAR(p.m[0], 1.0f, TOL_UNIT);             // near/tan(45°)
    EXPECT_NEAR(p.m[5], 800.0f / 600.0f, TOL_UNIT);  // near/(g/aspect)
    EXPECT_EQ(p.m[14], -1.0f);
    r_frustum_projection_inverse_matrix(&inv, screen, 1, 100, 90, 0);
    mult_matrix_matrix(&product, p, inv);
    EXPECT_TRUE(mat_near(product, mat4_t::identity(), TOL_UNIT));
    // The near plane maps to depth -1, the far plane to +1.
    vec3_t ndc;
    const vec3_t near_point{0, 0, -1}, far_point{0, 0, -100};
    fptr_mult_point_matrix(&ndc, &near_point, p, 1, 12, 12);
    EXPECT_NEAR(ndc.z, -1.0f, TOL_UNIT);
    fptr_mult_point_matrix(&ndc, &far_point, p, 1, 12, 12);
    EXPECT_NEAR(ndc.z, 1.0f, TOL_UNIT);

    const plane_t near_plane = r_extract_near_plane(p);
    EXPECT_TRUE(vec_near(near_plane.as_vec4(), {0, 0, -1, -1}, TOL_UNIT));
}

TEST(projection, orthographic_and_its_inverse) {
    const rectangle_t<float> rect{-4, 4, 3, -3};
    mat4_t p, inv, product;
    r_ortho_projection_matrix(&p, rect, 1, 11);
    r_ortho_projection_inverse_matrix(&inv, rect, 1, 11);
    const vec3_t corner{4, 3, -1}, far_corner{-4, -3, -11};
    vec3_t ndc;
    fptr_mult_point_matrix(&ndc, &corner, p, 1, 12, 12);
    EXPECT_TRUE(vec_near(ndc, {1, 1, -1}, TOL_UNIT));
    fptr_mult_point_matrix(&ndc, &far_corner, p, 1, 12, 12);
    EXPECT_TRUE(vec_near(ndc, {-1, -1, 1}, TOL_UNIT));
    // A true inverse: depth -1 goes back to -near, not to +far.
    mult_matrix_matrix(&product, p, inv);
    EXPECT_TRUE(mat_near(product, mat4_t::identity(), TOL_UNIT));
    const vec3_t back_ndc{1, 1, -1};
    fptr_mult_point_matrix(&ndc, &back_ndc, inv, 1, 12, 12);
    EXPECT_TRUE(vec_near(ndc, corner, TOL_UNIT));
    EXPECT_TRUE(vec_near(r_extract_near_plane(p).as_vec4(), {0, 0, -1, -1}, TOL_UNIT));
}

}  // namespace
}  // namespace quarn

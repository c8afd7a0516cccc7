#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "game/physics/physics_fixture.h"
#include "support/math_compare.h"

namespace quarn::test {
namespace {

const vec3_t DOWN{0, -1, 0};

// A static shape and a body's shape of the same size at the same place: the first hit
// keeps the static one.
TEST_F(physics_test, the_first_hit_keeps_the_static_shape_at_equal_depth) {
    body_ptr body = make_body();
    shape_ptr owned = make_shape();
    ASSERT_TRUE(owned->create_box(body.get(), {1, 1, 1}, nullptr));
    shape_ptr fixed = make_shape();
    ASSERT_TRUE(fixed->create_box(nullptr, {1, 1, 1}, nullptr));
    physics_ray_hit_t hit;
    ASSERT_TRUE(scene().ray_first_hit_local(0, {0, 5, 0}, DOWN, 10.0f, &hit));
    EXPECT_EQ(hit.shape, fixed.get());
    EXPECT_FLOAT_EQ(hit.depth, 4.5f);
    EXPECT_TRUE(vec_near(hit.position, {0, 0.5f, 0}, TOL_UNIT));
    EXPECT_TRUE(vec_near(hit.normal, {0, 1, 0}, TOL_UNIT));

    array_dyn_t<physics_ray_hit_t> hits;
    EXPECT_EQ(scene().ray_all_hits_local(0, {0, 5, 0}, DOWN, 10.0f, hits), 2u);
    EXPECT_EQ(hits[0].shape, fixed.get());
    EXPECT_EQ(hits[1].shape, owned.get());
}

// Three spheres stacked under the ray, a disabled one above them, a body's among them.
TEST_F(physics_test, all_hits_come_nearest_first_without_disabled_shapes) {
    shape_ptr low = make_shape(), mid = make_shape(), off = make_shape();
    const physics_pose_t at0{{0, 0, 0}, {}}, at6{{0, 6, 0}, {}}, at9{{0, 9, 0}, {}};
    ASSERT_TRUE(low->create_sphere(nullptr, 1.0f, &at0));
    ASSERT_TRUE(mid->create_sphere(nullptr, 1.0f, &at6));
    ASSERT_TRUE(off->create_sphere(nullptr, 1.0f, &at9));
    off->disable();
    body_ptr body = make_body();
    ASSERT_TRUE(body->set_position({0, 3, 0}));
    shape_ptr high = make_shape();
    ASSERT_TRUE(high->create_sphere(body.get(), 1.0f, nullptr));

    array_dyn_t<physics_ray_hit_t> hits;
    ASSERT_EQ(scene().ray_all_hits_local(0, {0, 20, 0}, DOWN, 40.0f, hits), 3u);
    EXPECT_EQ(hits[0].shape, mid.get());
    EXPECT_EQ(hits[1].shape, high.get());
    EXPECT_EQ(hits[2].shape, low.get());
    EXPECT_FLOAT_EQ(hits[0].depth, 13.0f);
    EXPECT_FLOAT_EQ(hits[1].depth, 16.0f);
    EXPECT_FLOAT_EQ(hits[2].depth, 19.0f);

    // The query group: a pair that does not collide is not hit.
    high->set_collision_group(3);
    scene().set_pair_collides(6, 3, false);
    hits.clear();
    EXPECT_EQ(scene().ray_all_hits_local(6, {0, 20, 0}, DOWN, 40.0f, hits), 2u);
    EXPECT_EQ(scene().get_query_group(), 6);
}

TEST_F(physics_test, a_miss_gives_no_shape_at_the_far_depth) {
    shape_ptr sphere = make_shape();
    ASSERT_TRUE(sphere->create_sphere(nullptr, 1.0f, nullptr));
    physics_ray_hit_t hit;
    hit.shape = sphere.get();
    EXPECT_FALSE(scene().ray_first_hit_local(0, {5, 5, 0}, DOWN, 10.0f, &hit));
    EXPECT_EQ(hit.shape, nullptr);
    EXPECT_EQ(hit.depth, 3.37e38f);
    EXPECT_TRUE(vec_near(hit.position, {}, 0.0f));
    EXPECT_TRUE(vec_near(hit.normal, {}, 0.0f));
    // Too short to reach, or of no length at all.
    for (float length : {3.0f, 0.0f, -1.0f}) {
        EXPECT_FALSE(scene().ray_first_hit_local(0, {0, 5, 0}, DOWN, length, &hit));
        EXPECT_EQ(hit.shape, nullptr);
    }
    EXPECT_FALSE(log.contains("[phys]"));
}

// A ray without a direction (a trace from a point to itself) never reaches the
// library.
TEST_F(physics_test, rays_without_a_finite_direction_are_refused) {
    shape_ptr sphere = make_shape();
    ASSERT_TRUE(sphere->create_sphere(nullptr, 1.0f, nullptr));
    const float NaN = std::numeric_limits<float>::quiet_NaN();
    struct case_t {
        vec3_t start, direction;
        float length;
    };
    const case_t cases[] = {
        {{0, 5, 0}, {0, 0, 0}, 10.0f},
        {{0, 5, 0}, {0, NaN, 0}, 10.0f},
        {{0, NaN, 0}, DOWN, 10.0f},
        {{0, 5, 0}, DOWN, NaN},
    };
    for (const case_t &c : cases) {
        log.clear();
        physics_ray_hit_t hit;
        EXPECT_FALSE(scene().ray_first_hit_local(0, c.start, c.direction, c.length, &hit));
        EXPECT_EQ(hit.shape, nullptr);
        array_dyn_t<physics_ray_hit_t> hits;
        EXPECT_EQ(scene().ray_all_hits(0, c.start, c.direction, c.length, hits), 0u);
        EXPECT_EQ(log.texts(message_t::ERROR).size(), 2u);
        EXPECT_TRUE(log.contains("[phys] ray_"));
    }
}

TEST_F(physics_test, world_ray_queries_convert_positions_and_depths) {
    make_scene(2.0f);
    scene().set_origin({10, 0, 0});
    shape_ptr sphere = make_shape();
    ASSERT_TRUE(sphere->create_sphere(nullptr, 1.0f, nullptr));  // world: radius 2 at (10, 0, 0)
    physics_ray_hit_t hit;
    ASSERT_TRUE(scene().ray_first_hit_world(0, {10, 10, 0}, DOWN, 20.0f, &hit));
    EXPECT_TRUE(vec_near(hit.position, {10, 2, 0}, TOL_UNIT));
    EXPECT_FLOAT_EQ(hit.depth, 8.0f);
    EXPECT_TRUE(vec_near(hit.normal, {0, 1, 0}, TOL_UNIT));
    // 8 world units are not enough to reach it.
    EXPECT_FALSE(scene().ray_first_hit_world(0, {10, 10, 0}, DOWN, 7.9f, &hit));
    EXPECT_EQ(hit.depth, 3.37e38f);

    array_dyn_t<physics_ray_hit_t> hits;
    hits.append(physics_ray_hit_t{});  // emptied first
    ASSERT_EQ(scene().ray_all_hits(0, {10, 10, 0}, DOWN, 20.0f, hits), 1u);
    EXPECT_TRUE(vec_near(hits[0].position, {10, 2, 0}, TOL_UNIT));
    EXPECT_FLOAT_EQ(hits[0].depth, 8.0f);
}

// Hit from above, a normal points out of the surface: against the ray; a mesh's
// outside is where cross(v1 - v0, v2 - v0) points.
TEST_F(physics_test, ray_normals_point_out_of_the_surface_hit) {
    const vec3_t corners[3] = {{-1, 0, -1}, {-1, 0, 1}, {1, 0, -1}};
    const uint32_t facing_up[3] = {0, 1, 2};
    const uint32_t facing_down[3] = {0, 2, 1};
    struct case_t {
        const char *name;
        std::function<bool(physics_shape_t *)> create;
        vec3_t normal;  // the side the normal points to
    };
    const physics_pose_t upright{{}, axis_angle({1, 0, 0}, 90)};
    const case_t cases[] = {
        {"sphere", [](physics_shape_t *s) { return s->create_sphere(nullptr, 1.0f, nullptr); }, {0, 1, 0}},
        {"box", [](physics_shape_t *s) { return s->create_box(nullptr, {2, 2, 2}, nullptr); }, {0, 1, 0}},
        {"capsule", [&](physics_shape_t *s) { return s->create_capsule(nullptr, 1.0f, 0.5f, &upright); }, {0, 1, 0}},
        {"plane", [](physics_shape_t *s) { return s->create_plane(nullptr, {0, 1, 0, 0}, nullptr); }, {0, 1, 0}},
        {"triangle facing up",
         [&](physics_shape_t *s) { return s->create_trimesh(nullptr, corners, 3, facing_up, 3, nullptr); },
         {0, 1, 0}},
        {"triangle facing down",
         [&](physics_shape_t *s) { return s->create_trimesh(nullptr, corners, 3, facing_down, 3, nullptr); },
         {0, -1, 0}},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.name);
        shape_ptr shape = make_shape();
        ASSERT_TRUE(c.create(shape.get()));
        physics_ray_hit_t hit;
        ASSERT_TRUE(scene().ray_first_hit_local(0, {-0.3f, 5, -0.3f}, DOWN, 10.0f, &hit));
        EXPECT_EQ(hit.shape, shape.get());
        // Off the top of round shapes the normal leans, but stays on the hit side.
        EXPECT_NEAR(length(hit.normal), 1.0f, TOL_UNIT);
        EXPECT_GT(dot(hit.normal, c.normal), 0.5f);
    }
}

// The triangles of the static meshes that a shape touches, placed by the meshes'
// poses; collide flags play no part.
TEST_F(physics_test, collect_triangles_gathers_from_every_static_mesh) {
    const vec3_t corners[4] = {{-2, 0, -2}, {-2, 0, 2}, {2, 0, -2}, {2, 0, 2}};
    const uint32_t indices[6] = {0, 1, 2, 2, 1, 3};
    shape_ptr ground = make_shape();
    ASSERT_TRUE(ground->create_trimesh(nullptr, corners, 4, indices, 6, nullptr));
    shape_ptr raised = make_shape();
    const physics_pose_t up{{0, 0.2f, 0}, {}};
    ASSERT_TRUE(raised->create_trimesh_copy(nullptr, corners, 4, indices, 6, &up));
    raised->set_collision_group(9);
    shape_ptr far = make_shape();
    const physics_pose_t away{{50, 0, 0}, {}};
    ASSERT_TRUE(far->create_trimesh(nullptr, corners, 4, indices, 6, &away));

    body_ptr body = make_body();
    ASSERT_TRUE(body->set_position({0.5f, 0.1f, 0.5f}));
    shape_ptr probe = make_shape();
    ASSERT_TRUE(probe->create_sphere(body.get(), 0.5f, nullptr));
    scene().set_pair_collides(0, 9, false);

    array_dyn_t<physics_triangle_t> triangles;
    const uint32_t n = scene().collect_triangles(triangles, probe.get());
    EXPECT_EQ(n, triangles.get_count());
    int at_zero = 0, raised_by = 0;
    for (uint32_t i = 0; i < n; ++i) {
        for (const vec3_t &v : triangles[i].v) EXPECT_LT(std::fabs(v.x), 2.5f);  // none of the far mesh
        if (triangles[i].v[0].y == 0.0f) ++at_zero;
        if (std::fabs(triangles[i].v[0].y - 0.2f) < 1e-6f) ++raised_by;
    }
    EXPECT_GE(at_zero, 1);
    EXPECT_GE(raised_by, 1);
    EXPECT_EQ(at_zero + raised_by, int(n));
    // Appended to what the array held.
    EXPECT_EQ(scene().collect_triangles(triangles, probe.get()), 2 * n);
}

// A fast small sphere passing through a thin wall within one step is put back and
// thrown back; its own shape in the ray does not count.
TEST_F(physics_test, the_sweep_throws_back_a_body_that_passed_through_a_shape) {
    scene().set_gravity({0, 0, 0});
    struct case_t {
        const char *name;
        bool wall;
    };
    for (const case_t &c : {case_t{"through a wall", true}, case_t{"own shape only", false}}) {
        SCOPED_TRACE(c.name);
        make_scene(1.0f);
        scene().set_gravity({0, 0, 0});
        shape_ptr wall = make_shape();
        const physics_pose_t at{{5, 0, 0}, {}};
        if (c.wall) {
            ASSERT_TRUE(wall->create_box(nullptr, {0.1f, 10, 10}, &at));
        }
        body_ptr body = make_body();
        shape_ptr ball = make_shape();
        ASSERT_TRUE(ball->create_sphere(body.get(), 0.1f, nullptr));
        body->set_sweep(true);
        ASSERT_TRUE(body->set_world_linear_velocity({300, 0, 0}));  // 10 a step
        scene().step(1.5f / 30.0f);
        if (c.wall) {
            EXPECT_TRUE(vec_near(body->get_current_pose().position, {}, TOL_UNIT));
            EXPECT_TRUE(vec_near(body->get_linear_velocity(), {-100, 0, 0}, 0.01f));
        } else {
            EXPECT_TRUE(vec_near(body->get_current_pose().position, {10, 0, 0}, TOL_UNIT));
            EXPECT_TRUE(vec_near(body->get_linear_velocity(), {300, 0, 0}, 0.01f));
        }
    }
    // A body that did not move is not swept (a ray of no length).
    body_ptr still = make_body();
    still->set_sweep(true);
    still->wake();
    log.clear();
    scene().step(1.5f / 30.0f);
    EXPECT_FALSE(log.contains("[phys]"));
}

}  // namespace
}  // namespace quarn::test

#include <gtest/gtest.h>

#include "game/physics/physics_fixture.h"
#include "support/math_compare.h"

namespace quarn::test {
namespace {

// A scene of 2 world units a scene unit, its origin at (10, 0, 0).
class world_units_test : public physics_test {
protected:
    void SetUp() override {
        make_scene(2.0f);
        scene().set_origin({10, 0, 0});
    }
};

TEST_F(world_units_test, points_and_poses_round_trip) {
    EXPECT_TRUE(vec_near(scene().world_to_local({12, 4, -2}), {1, 2, -1}, 0.0f));
    EXPECT_TRUE(vec_near(scene().local_to_world({1, 2, -1}), {12, 4, -2}, 0.0f));
    const physics_pose_t world{{14, 2, 0}, axis_angle({0, 1, 0}, 30)};
    const physics_pose_t local = scene().world_to_local_placement(world);
    EXPECT_TRUE(vec_near(local.position, {2, 1, 0}, 0.0f));
    EXPECT_TRUE(quat_near(local.rotation, world.rotation, 0.0f));
    EXPECT_TRUE(vec_near(scene().pose_to_world(local).position, world.position, 0.0f));

    ASSERT_TRUE(scene().set_gravity({0, -9.81f, 0}));
    EXPECT_TRUE(vec_near(scene().get_gravity_local(), {0, -4.905f, 0}, TOL_ULPS * 4));
    EXPECT_TRUE(vec_near(scene().get_gravity(), {0, -9.81f, 0}, TOL_ULPS * 8));
}

TEST_F(world_units_test, bodies_take_world_poses_velocities_and_forces) {
    body_ptr body = make_body();
    ASSERT_TRUE(body->set_world_pose({{14, 2, 0}, {}}));
    EXPECT_TRUE(vec_near(body->get_current_pose().position, {2, 1, 0}, 0.0f));
    EXPECT_TRUE(vec_near(library_position(body.get()), {2, 1, 0}, 0.0f));
    EXPECT_TRUE(vec_near(body->get_world_pose().position, {14, 2, 0}, 0.0f));
    EXPECT_TRUE(vec_near(body->get_world_interpolated_pose().position, {14, 2, 0}, 0.0f));

    ASSERT_TRUE(body->set_world_linear_velocity({4, 0, 0}));
    EXPECT_TRUE(vec_near(body->get_linear_velocity(), {2, 0, 0}, 0.0f));
    EXPECT_TRUE(vec_near(body->get_world_linear_velocity(), {4, 0, 0}, 0.0f));
    ASSERT_TRUE(body->set_world_force({0, 6, 0}));
    EXPECT_TRUE(vec_near(body->get_force(), {0, 3, 0}, 0.0f));
    // 2 world units above the reference point: 1 scene unit.
    ASSERT_TRUE(body->add_force_at_position({2, 0, 0}, {14, 4, 0}));
    EXPECT_TRUE(vec_near(body->get_torque(), {0, 0, -1}, 0.0f));

    // Sizes are world units.
    shape_ptr shape = make_shape();
    const physics_pose_t offset{{0, 2, 0}, {}};
    ASSERT_TRUE(shape->init_sphere_world(body.get(), 1.0f, &offset));
    EXPECT_EQ(shape->get_sizes()[0], 0.5f);
    // The owned shape's offset is relative to its body, not to the origin.
    EXPECT_TRUE(vec_near(body->get_com_offset(), {0, 1, 0}, 0.0f));
    EXPECT_TRUE(vec_near(shape->get_world_position(), {14, 4, 0}, 0.0f));
}

// Moving the origin keeps world positions: scene positions move against it.
TEST_F(world_units_test, set_origin_moves_bodies_and_body_less_shapes_in_the_scene) {
    body_ptr body = make_body();
    ASSERT_TRUE(body->set_world_pose({{14, 2, 0}, {}}));
    shape_ptr ground = make_shape();
    const physics_pose_t at{{16, 0, 0}, {}};
    ASSERT_TRUE(ground->init_box_world(nullptr, {2, 2, 2}, &at));
    EXPECT_TRUE(vec_near(ground->get_placement().position, {3, 0, 0}, 0.0f));
    EXPECT_EQ(ground->get_sizes()[0], 1.0f);
    ASSERT_TRUE(ground->set_pose({{14, 0, 0}, {}}));
    EXPECT_TRUE(vec_near(ground->get_placement().position, {2, 0, 0}, 0.0f));

    scene().set_origin({20, 0, 4});
    EXPECT_TRUE(vec_near(body->get_current_pose().position, {-3, 1, -2}, 0.0f));
    EXPECT_TRUE(vec_near(body->get_previous_pose().position, {-3, 1, -2}, 0.0f));
    EXPECT_TRUE(vec_near(body->get_interpolated_pose().position, {-3, 1, -2}, 0.0f));
    EXPECT_TRUE(vec_near(library_position(body.get()), {-3, 1, -2}, 0.0f));
    EXPECT_TRUE(vec_near(body->get_world_pose().position, {14, 2, 0}, 0.0f));
    EXPECT_TRUE(vec_near(ground->get_placement().position, {-3, 0, -2}, 0.0f));
    const dReal *g = dGeomGetPosition(geom(ground.get()));
    EXPECT_EQ(g[0], -3.0);
    EXPECT_EQ(g[2], -2.0);
    EXPECT_TRUE(vec_near(ground->get_world_position(), {14, 0, 0}, 0.0f));
}

}  // namespace
}  // namespace quarn::test

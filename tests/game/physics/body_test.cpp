#include <gtest/gtest.h>

#include <functional>

#include "game/physics/physics_fixture.h"
#include "support/math_compare.h"

namespace quarn::test {
namespace {

// With no contacts the library's semi-implicit steps give v_n = g·n·h and
// y_n = g·h²·n(n+1)/2.
float fallen(int steps) { return -9.81f / 900.0f * float(steps * (steps + 1) / 2); }

TEST_F(physics_test, a_sphere_falls_under_gravity_and_interpolates_between_steps) {
    scene().set_gravity({0, -9.81f, 0});
    shape_ptr shape;
    body_ptr body = make_ball(&shape);
    EXPECT_TRUE(body->is_disabled());
    ASSERT_TRUE(body->set_world_linear_velocity({0, 0, 0}));
    EXPECT_FALSE(body->is_disabled());

    scene().step(30.5f / 30.0f);
    EXPECT_NEAR(body->get_current_pose().position.y, fallen(30), 1e-3f);
    EXPECT_NEAR(body->get_previous_pose().position.y, fallen(29), 1e-3f);
    EXPECT_NEAR(body->get_linear_velocity().y, -9.81f, 1e-3f);
    body->interpolate(0.0f);
    EXPECT_TRUE(vec_near(body->get_interpolated_pose().position, body->get_previous_pose().position, 0.0f));
    body->interpolate(1.0f);
    EXPECT_TRUE(vec_near(body->get_interpolated_pose().position, body->get_current_pose().position, 0.0f));
    EXPECT_TRUE(vec_near(body->get_world_pose().position, body->get_current_pose().position, 0.0f));
}

// A new body sleeps; the world-unit velocity and force calls wake it.
TEST_F(physics_test, world_unit_calls_wake_a_sleeping_body) {
    const std::pair<const char *, std::function<bool(physics_body_t &)>> calls[] = {
        {"set_world_linear_velocity", [](physics_body_t &b) { return b.set_world_linear_velocity({1, 0, 0}); }},
        {"add_force_at_position", [](physics_body_t &b) { return b.add_force_at_position({1, 0, 0}, {0, 1, 0}); }},
        {"set_world_force", [](physics_body_t &b) { return b.set_world_force({0, 1, 0}); }},
    };
    for (const auto &[name, call] : calls) {
        SCOPED_TRACE(name);
        body_ptr body = make_body();
        EXPECT_TRUE(body->is_disabled());
        EXPECT_TRUE(body->get_auto_disable());
        EXPECT_TRUE(call(*body));
        EXPECT_FALSE(body->is_disabled());
    }
}

// The first shape off the reference point takes the mass centre; the reference point
// stays where it is.
TEST_F(physics_test, first_offset_shape_moves_the_mass_centre) {
    body_ptr body = make_body();
    ASSERT_TRUE(body->set_pose({{1, 2, 3}, axis_angle({0, 0, 1}, 90)}));
    shape_ptr first = make_shape();
    const physics_pose_t up{{0, 0.5f, 0}, {}};
    ASSERT_TRUE(first->create_sphere(body.get(), 0.25f, &up));
    EXPECT_TRUE(vec_near(body->get_com_offset(), {0, 0.5f, 0}, 0.0f));
    // Turned a quarter about z, the body's y axis points along -x.
    EXPECT_TRUE(vec_near(library_position(body.get()), {0.5f, 2, 3}, TOL_UNIT));
    EXPECT_TRUE(vec_near(body->get_current_pose().position, {1, 2, 3}, 0.0f));
    body->pull_pose();
    EXPECT_TRUE(vec_near(body->get_current_pose().position, {1, 2, 3}, TOL_UNIT));
    // The geometry sits on the mass centre itself.
    EXPECT_EQ(dGeomGetClass(geom(first.get())), dSphereClass);

    shape_ptr second = make_shape();
    const physics_pose_t side{{0.3f, 0, 0}, {}};
    ASSERT_TRUE(second->create_box(body.get(), {0.1f, 0.1f, 0.1f}, &side));
    EXPECT_TRUE(vec_near(body->get_com_offset(), {0, 0.5f, 0}, 0.0f));
    EXPECT_EQ(scene().count_shapes_of(body.get()), 2u);

    // set_rotation keeps the reference point.
    ASSERT_TRUE(body->set_rotation({}));
    EXPECT_TRUE(vec_near(library_position(body.get()), {1, 2.5f, 3}, TOL_UNIT));
    body->pull_pose();
    EXPECT_TRUE(vec_near(body->get_current_pose().position, {1, 2, 3}, TOL_UNIT));
}

// A force at a position relative to the reference point: at the mass centre it
// turns nothing.
TEST_F(physics_test, relative_positions_are_taken_from_the_reference_point) {
    body_ptr body = make_body();
    shape_ptr shape = make_shape();
    const physics_pose_t up{{0, 0.5f, 0}, {}};
    ASSERT_TRUE(shape->create_sphere(body.get(), 0.25f, &up));
    ASSERT_TRUE(body->add_force_at_relative_pos({1, 0, 0}, {0, 0.5f, 0}));
    EXPECT_TRUE(vec_near(body->get_torque(), {0, 0, 0}, 0.0f));
    ASSERT_TRUE(body->add_relative_force_at_relative_pos({1, 0, 0}, {0, 0, 0}));
    EXPECT_TRUE(vec_near(body->get_torque(), {0, 0, 0.5f}, TOL_UNIT));
    EXPECT_TRUE(vec_near(body->get_force(), {2, 0, 0}, 0.0f));
}

// The offset of the geometry from the mass centre is negligible below 1% of its size.
TEST_F(physics_test, geometry_offsets_wrap_in_a_transform_when_not_negligible) {
    struct case_t {
        float offset;
        int geom_class;
    };
    for (const case_t &c : {case_t{0.005f, dSphereClass}, case_t{0.02f, dGeomTransformClass}}) {
        SCOPED_TRACE(c.offset);
        body_ptr body = make_body();
        // The first shape keeps the mass centre on the reference point.
        shape_ptr first = make_shape();
        ASSERT_TRUE(first->create_sphere(body.get(), 1.0f, nullptr));
        shape_ptr shape = make_shape();
        const physics_pose_t local{{c.offset, 0, 0}, {}};
        ASSERT_TRUE(shape->create_sphere(body.get(), 1.0f, &local));
        EXPECT_EQ(dGeomGetClass(geom(shape.get())), c.geom_class);
        EXPECT_EQ(dGeomGetBody(geom(shape.get())), ode(body.get()));
        EXPECT_EQ(dGeomGetData(geom(shape.get())), shape.get());
    }
}

TEST_F(physics_test, mass_by_shape_takes_world_sizes) {
    body_ptr body = make_body();
    ASSERT_TRUE(body->set_mass_by_shape(4.0f, PHYSICS_SHAPE_CAPSULE, {0.3f, 1.8f, 0}));
    dMass got, want;
    dBodyGetMass(ode(body.get()), &got);
    dMassSetCapsuleTotal(&want, 4.0, 3, 0.3f, 1.8f);
    EXPECT_EQ(got.mass, 4.0);
    for (int i = 0; i < 12; ++i) EXPECT_NEAR(got.I[i], want.I[i], 1e-9) << i;
    EXPECT_GT(got.I[0], got.I[10]);  // long along z

    ASSERT_TRUE(body->set_mass(2.0f));
    EXPECT_FLOAT_EQ(body->get_mass(), 2.0f);
    EXPECT_TRUE(body->set_mass_by_shape(3.0f, PHYSICS_SHAPE_PLANE, {1, 1, 1}));  // nothing for other types
    EXPECT_FLOAT_EQ(body->get_mass(), 2.0f);
}

TEST_F(physics_test, damping_slows_both_velocities) {
    body_ptr body = make_body();
    body->set_linear_velocity({1, 2, 3});
    body->set_angular_velocity({1, 2, 3});
    body->apply_damping();
    EXPECT_TRUE(vec_near(body->get_linear_velocity(), {0.99f, 1.98f, 2.97f}, TOL_ULPS * 4));
    EXPECT_TRUE(vec_near(body->get_angular_velocity(), {0.95f, 1.9f, 2.85f}, TOL_ULPS * 4));
}

// A rotation that is not of unit length is normalised.
TEST_F(physics_test, rotations_are_normalised) {
    body_ptr body = make_body();
    ASSERT_TRUE(body->set_rotation({0, 0, 0, 2}));
    EXPECT_TRUE(quat_near(body->get_current_rotation(), {0, 0, 0, 1}, 0.0f));
    const dReal *q = dBodyGetQuaternion(ode(body.get()));
    EXPECT_EQ(q[3], 1.0);
}

}  // namespace
}  // namespace quarn::test

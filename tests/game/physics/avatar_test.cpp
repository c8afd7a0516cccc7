#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "game/physics/physics_fixture.h"
#include "game/physics/recording_listener.h"
#include "game/visuals/physics/ode_physics_avatar.h"
#include "support/math_compare.h"

namespace quarn::test {
namespace {

constexpr float STEP = 1.0f / 30.0f;
// Ground whose normal has y = 0.9: a slope turned about x.
const vec3_t SLOPE_NORMAL{0, 0.9f, std::sqrt(1.0f - 0.81f)};

// The player's avatar: mass 50, a capsule of length 0.8 and radius 0.5, group 4.
class avatar_test : public physics_test {
protected:
    void SetUp() override {
        physics_test::SetUp();
        scene().set_gravity({0, -9.81f, 0});
        avatar.reset(static_cast<ode_physics_avatar_t *>(scene().create_avatar()));
        ASSERT_TRUE(avatar);
        ASSERT_TRUE(avatar->create(50.0f, 0.8f, 0.5f));
        ASSERT_TRUE(avatar->set_collision_group(4));
        scene().step(STEP * 0.5f);  // the accumulator at half a step: each STEP runs one
    }
    void TearDown() override {
        avatar.reset();
        ground.reset();
        physics_test::TearDown();
    }
    // A wide static box whose top face passes through the origin with the normal.
    void make_ground(const vec3_t &normal) {
        quat_t turn;
        const float angle = std::acos(normal.y);
        if (angle > 0.0f) turn.set_axis_angle(normalized(cross(vec3_t{0, 1, 0}, normal)), angle);
        ground = make_shape();
        const physics_pose_t pose{normal * -0.5f, turn};
        ASSERT_TRUE(ground->create_box(nullptr, {20, 1, 20}, &pose));
    }
    // The avatar on the ground through the origin: its capsule's lowest point gap off
    // the plane of the normal.
    void stand_on(const vec3_t &normal, float gap = 0.01f) {
        const float height = (0.4f * normal.y + 0.5f + gap) / normal.y;
        ASSERT_TRUE(avatar->set_position({0, height, 0}));
    }
    void step(int steps) {
        for (int i = 0; i < steps; ++i) scene().step(STEP);
    }

    std::unique_ptr<ode_physics_avatar_t> avatar;
    shape_ptr ground;
};

TEST_F(avatar_test, create_makes_an_upright_capsule_that_never_sleeps) {
    physics_body_t *body = avatar->get_body();
    physics_shape_t *shape = avatar->get_shape();
    EXPECT_EQ(scene().get_avatar(), avatar.get());
    EXPECT_FLOAT_EQ(body->get_mass(), 50.0f);
    EXPECT_TRUE(body->get_sweep());
    EXPECT_FALSE(body->get_auto_disable());
    EXPECT_FALSE(body->is_disabled());
    EXPECT_EQ(shape->get_type(), PHYSICS_SHAPE_CAPSULE);
    EXPECT_EQ(shape->get_owner(), body);
    EXPECT_EQ(shape->get_collision_group(), 4);
    EXPECT_EQ(body->get_collision_group(), 4);
    // The capsule's axis (body z) points along y.
    EXPECT_TRUE(vec_near(body->get_current_rotation().rotate({0, 0, 1}), {0, -1, 0}, TOL_UNIT));

    avatar->deactivate();
    EXPECT_TRUE(body->is_disabled());
    EXPECT_FALSE(shape->is_enabled());
    avatar->activate();
    EXPECT_FALSE(body->is_disabled());
    EXPECT_TRUE(shape->is_enabled());
    EXPECT_TRUE(vec_near(body->get_linear_velocity(), {}, 0.0f));

    // A second create replaces both.
    ASSERT_TRUE(avatar->create(60.0f, 1.0f, 0.4f));
    EXPECT_EQ(scene().get_body_count(), 1u);
    EXPECT_EQ(scene().get_shape_count(), 1u);
    EXPECT_FLOAT_EQ(avatar->get_body()->get_mass(), 60.0f);
    EXPECT_FALSE(avatar->create(0.0f, 1.0f, 0.4f));
    EXPECT_TRUE(log.contains("[phys] avatar create"));
    EXPECT_FLOAT_EQ(avatar->get_body()->get_mass(), 60.0f);
}

TEST_F(avatar_test, move_sets_the_moving_flag_from_0_001) {
    struct case_t {
        vec3_t velocity;
        bool moving;
    };
    for (const case_t &c : {case_t{{0.03f, 0, 0}, false}, case_t{{0.04f, 0, 0}, true}, case_t{{0, 0, 0}, false}}) {
        EXPECT_TRUE(avatar->move(c.velocity));
        EXPECT_EQ(avatar->is_moving(), c.moving) << c.velocity.x;
    }
    EXPECT_FALSE(avatar->move({std::nanf(""), 0, 0}));
    EXPECT_TRUE(log.contains("[phys] avatar move"));
}

// After its last contact the avatar counts down half a second of ground, then gets
// damping only.
TEST_F(avatar_test, the_ground_timer_counts_down_over_15_steps) {
    scene().set_gravity({0, 0, 0});
    avatar->move({1, 0, 0});
    physics_shape_t *shape = avatar->get_shape();
    shape->get_contact_listener()->on_contact(shape, shape, {}, {0, 2, 0});
    EXPECT_FLOAT_EQ(avatar->get_ground_timer(), 0.5f);
    EXPECT_TRUE(vec_near(avatar->get_ground_normal(), {0, 1, 0}, 0.0f));
    for (int i = 0; i < 15; ++i) {
        step(1);
        EXPECT_NEAR(avatar->get_ground_timer(), 0.5f - float(i + 1) * STEP, 1e-5f);
        EXPECT_TRUE(vec_near(avatar->get_ground_normal(), ode_physics_avatar_t::NO_GROUND, 0.0f));
    }
    EXPECT_NEAR(avatar->get_ground_timer(), 0.0f, 1e-5f);
    step(2);
    EXPECT_LE(avatar->get_ground_timer(), 0.0f);
    EXPECT_TRUE(vec_near(avatar->get_body()->get_force(), {}, 0.0f));
}

TEST_F(avatar_test, a_falling_avatar_keeps_its_downward_speed) {
    physics_body_t *body = avatar->get_body();
    ASSERT_TRUE(body->set_linear_velocity({1, -5, 1}));
    avatar->update();
    EXPECT_TRUE(vec_near(body->get_linear_velocity(), {0.8f, -5, 0.8f}, TOL_UNIT));
    ASSERT_TRUE(body->set_linear_velocity({0, 5, 0}));
    avatar->update();
    EXPECT_TRUE(vec_near(body->get_linear_velocity(), {0, 4, 0}, TOL_UNIT));
}

// Contacts from below report the ground's normal, upwards; the owner hears them too.
TEST_F(avatar_test, contacts_give_the_ground_normal_and_reach_the_owner) {
    make_ground({0, 1, 0});
    stand_on({0, 1, 0});
    recording_listener_t owner;
    avatar->set_owner_listener(&owner);
    step(3);
    ASSERT_FALSE(owner.calls.empty());
    for (const auto &call : owner.calls) {
        EXPECT_EQ(call.self, avatar->get_shape());
        EXPECT_EQ(call.other, ground.get());
        EXPECT_GT(normalized(call.normal).y, 0.99f);
    }
    EXPECT_NEAR(avatar->get_ground_timer(), 0.5f - STEP, 1e-5f);
}

// Standing still on a slope of normal y 0.9, the avatar is held where it stands, even
// on a slope without friction.
TEST_F(avatar_test, a_standing_avatar_is_held_on_a_slope) {
    make_ground(SLOPE_NORMAL);
    stand_on(SLOPE_NORMAL, -0.002f);
    recording_listener_t owner;
    avatar->set_owner_listener(&owner);
    avatar->move({});
    avatar->move({});
    step(30);
    ASSERT_FALSE(owner.calls.empty());
    EXPECT_TRUE(vec_near(normalized(owner.calls.back().normal), SLOPE_NORMAL, 1e-3f));
    const vec3_t held = avatar->get_body()->get_current_pose().position;
    step(30);
    const vec3_t later = avatar->get_body()->get_current_pose().position;
    EXPECT_NEAR(later.x, held.x, 1e-4f);
    EXPECT_NEAR(later.z, held.z, 1e-4f);
    EXPECT_NEAR(later.y, held.y, 0.01f);
    EXPECT_LT(length_squared(avatar->get_body()->get_linear_velocity()), 0.0625f);
}

// Walking along a (frictionless) slope, the avatar moves at the desired speed along
// the ground.
TEST_F(avatar_test, walking_on_a_slope_reaches_the_target_speed) {
    make_ground(SLOPE_NORMAL);
    stand_on(SLOPE_NORMAL);
    step(5);
    avatar->move({2, 0, 0});
    avatar->move({2, 0, 0});
    step(20);
    const vec3_t from = avatar->get_body()->get_current_pose().position;
    step(10);
    const vec3_t to = avatar->get_body()->get_current_pose().position;
    const vec3_t velocity = (to - from) / (10 * STEP);
    EXPECT_NEAR(velocity.x, 2.0f, 0.05f);
    // Still on the ground.
    EXPECT_GT(avatar->get_ground_timer(), 0.4f);
}

TEST_F(avatar_test, a_deleted_avatar_is_no_longer_the_scenes) {
    avatar.reset();
    EXPECT_EQ(scene().get_avatar(), nullptr);
    EXPECT_EQ(scene().get_body_count(), 0u);
    EXPECT_EQ(scene().get_shape_count(), 0u);
    step(2);
    // A newer avatar takes over; the older one, deleted later, leaves it alone.
    std::unique_ptr<physics_avatar_t> first(scene().create_avatar());
    std::unique_ptr<physics_avatar_t> second(scene().create_avatar());
    first.reset();
    EXPECT_EQ(scene().get_avatar(), second.get());
}

}  // namespace
}  // namespace quarn::test

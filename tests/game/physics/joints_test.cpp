#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <memory>

#include "game/physics/physics_fixture.h"
#include "game/visuals/physics/ode_physics_joint.h"
#include "support/math_compare.h"

namespace quarn::test {
namespace {

using joint_ptr = std::unique_ptr<physics_joint_t>;

class joint_test : public physics_test {
protected:
    void SetUp() override {
        physics_test::SetUp();
        scene().set_gravity({0, 0, 0});
        a = make_body();
        b = make_body();
        a->set_position({0, 0, 0});
        b->set_position({1, 0, 0});
    }
    void TearDown() override {
        a.reset();
        b.reset();
        physics_test::TearDown();
    }
    joint_ptr make_joint() { return joint_ptr(scene().create_joint()); }
    // A made joint of the kind between a and b.
    joint_ptr made(int kind) {
        joint_ptr j = make_joint();
        const vec3_t anchor{0.5f, 0, 0};
        switch (kind) {
        case PHYSICS_JOINT_BALL: j->create_ball(a.get(), b.get(), anchor); break;
        case PHYSICS_JOINT_SLIDER: j->create_slider(a.get(), b.get(), anchor, {1, 0, 0}); break;
        case PHYSICS_JOINT_HINGE: j->create_hinge(a.get(), b.get(), anchor, {0, 0, 1}); break;
        case PHYSICS_JOINT_HINGE2: j->create_hinge2(a.get(), b.get(), anchor, {0, 1, 0}, {1, 0, 0}); break;
        case PHYSICS_JOINT_UNIVERSAL: j->create_universal(a.get(), b.get(), anchor, {0, 1, 0}, {0, 0, 1}); break;
        case PHYSICS_JOINT_LMOTOR: j->create_lmotor(a.get(), b.get(), {1, 0, 0}, {0, 1, 0}, {0, 0, 1}); break;
        case PHYSICS_JOINT_AMOTOR: j->create_amotor(a.get(), b.get(), {0, 1, 0}); break;
        default: break;
        }
        EXPECT_EQ(j->get_kind(), kind);
        return j;
    }
    static dJointID id(physics_joint_t *j) { return static_cast<ode_physics_joint_t *>(j)->get_joint_id(); }

    body_ptr a, b;
};

// set_limits over kind and axis, with the stops read back from the library.
TEST_F(joint_test, set_limits_sets_the_stops_of_the_axis) {
    using getter_t = dReal (*)(dJointID, int);
    struct case_t {
        int kind;
        int axis;
        int result;
        getter_t get;
        int high_param, low_param;
    };
    const case_t cases[] = {
        {PHYSICS_JOINT_HINGE, 0, 0, dJointGetHingeParam, dParamHiStop, dParamLoStop},
        {PHYSICS_JOINT_HINGE, 1, 1, dJointGetHingeParam, dParamHiStop, dParamLoStop},
        {PHYSICS_JOINT_HINGE2, 0, 0, dJointGetHinge2Param, dParamHiStop, dParamLoStop},
        {PHYSICS_JOINT_HINGE2, 1, 0, dJointGetHinge2Param, dParamHiStop2, dParamLoStop2},
        {PHYSICS_JOINT_UNIVERSAL, 0, 0, dJointGetUniversalParam, dParamHiStop, dParamLoStop},
        {PHYSICS_JOINT_UNIVERSAL, 1, 0, dJointGetUniversalParam, dParamHiStop2, dParamLoStop2},
        {PHYSICS_JOINT_BALL, 0, -1, nullptr, 0, 0},
        {PHYSICS_JOINT_SLIDER, 0, -1, nullptr, 0, 0},
        {PHYSICS_JOINT_AMOTOR, 0, -1, nullptr, 0, 0},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " axis " << c.axis);
        joint_ptr j = made(c.kind);
        log.clear();
        EXPECT_EQ(j->set_limits(c.axis, 0.5f, -0.5f), c.result);
        EXPECT_EQ(log.texts(message_t::ERROR).empty(), c.result == 0);
        if (!c.get) continue;
        const bool set = c.result == 0;
        EXPECT_EQ(c.get(id(j.get()), c.high_param), set ? 0.5 : dInfinity);
        EXPECT_EQ(c.get(id(j.get()), c.low_param), set ? -0.5 : -dInfinity);
        // The other axis keeps its stops.
        if (c.kind != PHYSICS_JOINT_HINGE) {
            EXPECT_EQ(c.get(id(j.get()), c.high_param == dParamHiStop ? dParamHiStop2 : dParamHiStop), dInfinity);
        }
    }
}

TEST_F(joint_test, anchors_of_hinges_and_none_for_balls) {
    joint_ptr ball = made(PHYSICS_JOINT_BALL);
    EXPECT_TRUE(vec_near(ball->get_anchor(), {0, 0, 0}, 0.0f));
    dVector3 real;
    dJointGetBallAnchor(id(ball.get()), real);
    EXPECT_EQ(real[0], 0.5);
    for (int kind : {PHYSICS_JOINT_HINGE, PHYSICS_JOINT_HINGE2, PHYSICS_JOINT_UNIVERSAL}) {
        joint_ptr j = made(kind);
        EXPECT_TRUE(vec_near(j->get_anchor(), {0.5f, 0, 0}, TOL_UNIT)) << kind;
    }
    joint_ptr hinge2 = made(PHYSICS_JOINT_HINGE2);
    dVector3 axis;
    dJointGetHinge2Axis1(id(hinge2.get()), axis);
    EXPECT_EQ(axis[1], 1.0);
    dJointGetHinge2Axis2(id(hinge2.get()), axis);
    EXPECT_EQ(axis[0], 1.0);
    joint_ptr lmotor = made(PHYSICS_JOINT_LMOTOR);
    EXPECT_TRUE(lmotor->set_lmotor_velocity({1, 2, 3}));
    EXPECT_EQ(dJointGetLMotorParam(id(lmotor.get()), dParamVel2), 2.0);
    EXPECT_EQ(dJointGetLMotorParam(id(lmotor.get()), dParamFMax3), 3.37e38);
    EXPECT_TRUE(hinge2->set_suspension_erp(0.4f));
    EXPECT_FLOAT_EQ(float(dJointGetHinge2Param(id(hinge2.get()), dParamSuspensionERP)), 0.4f);
    EXPECT_TRUE(hinge2->set_suspension_cfm(0.01f));
    EXPECT_FLOAT_EQ(float(dJointGetHinge2Param(id(hinge2.get()), dParamSuspensionCFM)), 0.01f);
}

// With the second body null the joint holds the first to the world.
TEST_F(joint_test, a_joint_without_a_second_body_ties_the_first_to_the_world) {
    scene().set_gravity({0, -9.81f, 0});
    a->set_mass_sphere(1.0f, 0.1f);
    ASSERT_TRUE(a->set_position({1, 0, 0}));
    a->wake();
    joint_ptr j = make_joint();
    ASSERT_TRUE(j->create_ball(a.get(), nullptr, {0, 0, 0}));
    for (int i = 0; i < 10; ++i) scene().step(1.0f / 30.0f + 1e-6f);
    // It swings on a circle about the anchor (as closely as the solver holds it).
    const vec3_t p = a->get_current_pose().position;
    EXPECT_NEAR(length(p), 1.0f, 0.05f);
    EXPECT_LT(p.y, -0.3f);
    EXPECT_LT(p.x, 1.0f);
}

// The angular motor holds the relative orientation with a force of 1 an axis.
TEST_F(joint_test, the_angular_motor_slows_a_spinning_body) {
    for (bool against_world : {true, false}) {
        SCOPED_TRACE(against_world ? "against the world" : "against a second body");
        make_scene(1.0f);
        scene().set_gravity({0, 0, 0});
        a = make_body();
        b = make_body();
        a->set_mass_sphere(1.0f, 0.5f);
        b->set_mass_sphere(1.0f, 0.5f);
        ASSERT_TRUE(b->set_position({2, 0, 0}));
        ASSERT_TRUE(a->set_angular_velocity({0, 3, 0}));
        a->wake();
        b->wake();
        joint_ptr motor = make_joint();
        ASSERT_TRUE(motor->create_amotor(a.get(), against_world ? nullptr : b.get(), {0, 1, 0}));
        EXPECT_EQ(dJointGetAMotorMode(id(motor.get())), dAMotorEuler);
        EXPECT_EQ(dJointGetAMotorParam(id(motor.get()), dParamFMax2), 1.0);
        for (int i = 0; i < 30; ++i) scene().step(1.0f / 30.0f + 1e-6f);
        const vec3_t wa = a->get_angular_velocity();
        const vec3_t wb = b->get_angular_velocity();
        if (against_world) {
            EXPECT_TRUE(vec_near(wa, {}, 0.05f));
        } else {
            // Turning together, the spin shared.
            EXPECT_TRUE(vec_near(wa, wb, 0.05f));
            EXPECT_NEAR(wa.y, 1.5f, 0.05f);
        }
        motor.reset();
    }
}

// What the library would abort on, and misuse of a joint: logged, failed, unchanged.
TEST_F(joint_test, calls_the_library_aborts_on_are_refused) {
    const float NaN = std::numeric_limits<float>::quiet_NaN();
    physics_scene_t *other = server.create_scene(1.0f);
    body_ptr stranger(other->create_body());
    const vec3_t anchor{0.5f, 0, 0};
    struct case_t {
        const char *name;
        std::function<bool(physics_joint_t *)> call;
    };
    const case_t fresh_cases[] = {
        {"zero hinge axis", [&](physics_joint_t *j) { return j->create_hinge(a.get(), b.get(), anchor, {}); }},
        {"NaN hinge axis", [&](physics_joint_t *j) { return j->create_hinge(a.get(), b.get(), anchor, {NaN, 0, 1}); }},
        {"NaN anchor", [&](physics_joint_t *j) { return j->create_ball(a.get(), b.get(), {0, NaN, 0}); }},
        {"zero slider axis", [&](physics_joint_t *j) { return j->create_slider(a.get(), b.get(), anchor, {}); }},
        {"parallel hinge2 axes",
         [&](physics_joint_t *j) { return j->create_hinge2(a.get(), b.get(), anchor, {0, 1, 0}, {0, -2, 0}); }},
        {"parallel universal axes",
         [&](physics_joint_t *j) { return j->create_universal(a.get(), b.get(), anchor, {1, 0, 0}, {3, 0, 0}); }},
        {"hinge2 without a second body",
         [&](physics_joint_t *j) { return j->create_hinge2(a.get(), nullptr, anchor, {0, 1, 0}, {1, 0, 0}); }},
        {"hinge2 without a first body",
         [&](physics_joint_t *j) { return j->create_hinge2(nullptr, b.get(), anchor, {0, 1, 0}, {1, 0, 0}); }},
        {"one body twice", [&](physics_joint_t *j) { return j->create_ball(a.get(), a.get(), anchor); }},
        {"a body of another scene", [&](physics_joint_t *j) { return j->create_ball(a.get(), stranger.get(), anchor); }},
        {"zero motor axis",
         [&](physics_joint_t *j) { return j->create_lmotor(a.get(), b.get(), {1, 0, 0}, {}, {0, 0, 1}); }},
        {"angular motor without its first body",
         [&](physics_joint_t *j) { return j->create_amotor(nullptr, b.get(), {0, 1, 0}); }},
        {"angular motor of a zero axis", [&](physics_joint_t *j) { return j->create_amotor(a.get(), b.get(), {}); }},
        {"limits before the create", [&](physics_joint_t *j) { return j->set_limits(0, 1, -1) == 0; }},
        {"suspension before the create", [&](physics_joint_t *j) { return j->set_suspension_erp(0.5f); }},
        {"motor velocity before the create", [&](physics_joint_t *j) { return j->set_lmotor_velocity({1, 0, 0}); }},
    };
    for (const case_t &c : fresh_cases) {
        SCOPED_TRACE(c.name);
        joint_ptr j = make_joint();
        log.clear();
        EXPECT_FALSE(c.call(j.get()));
        ASSERT_FALSE(log.texts(message_t::ERROR).empty());
        EXPECT_EQ(log.texts(message_t::ERROR).front().rfind("[phys] ", 0), 0u);
        EXPECT_EQ(j->get_kind(), PHYSICS_JOINT_NONE);
        EXPECT_EQ(id(j.get()), nullptr);
    }

    struct made_case_t {
        const char *name;
        int kind;
        std::function<bool(physics_joint_t *)> call;
    };
    const made_case_t made_cases[] = {
        {"a second create", PHYSICS_JOINT_HINGE, [&](physics_joint_t *j) { return j->create_ball(a.get(), b.get(), anchor); }},
        {"suspension of a universal joint", PHYSICS_JOINT_UNIVERSAL,
         [](physics_joint_t *j) { return j->set_suspension_cfm(0.1f); }},
        {"suspension of a ball", PHYSICS_JOINT_BALL, [](physics_joint_t *j) { return j->set_suspension_erp(0.1f); }},
        {"motor velocity of a hinge", PHYSICS_JOINT_HINGE,
         [](physics_joint_t *j) { return j->set_lmotor_velocity({1, 0, 0}); }},
        {"motor velocity of an angular motor", PHYSICS_JOINT_AMOTOR,
         [](physics_joint_t *j) { return j->set_lmotor_velocity({1, 0, 0}); }},
        {"NaN suspension", PHYSICS_JOINT_HINGE2, [&](physics_joint_t *j) { return j->set_suspension_erp(NaN); }},
        {"NaN stops", PHYSICS_JOINT_HINGE, [&](physics_joint_t *j) { return j->set_limits(0, NaN, 0) == 0; }},
    };
    for (const made_case_t &c : made_cases) {
        SCOPED_TRACE(c.name);
        joint_ptr j = made(c.kind);
        const dJointID before = id(j.get());
        log.clear();
        EXPECT_FALSE(c.call(j.get()));
        ASSERT_FALSE(log.texts(message_t::ERROR).empty());
        EXPECT_EQ(log.texts(message_t::ERROR).front().rfind("[phys] ", 0), 0u);
        EXPECT_EQ(j->get_kind(), c.kind);
        EXPECT_EQ(id(j.get()), before);
    }
    stranger.reset();
    delete other;
}

// A scene deleted with a joint still listed takes the library joint along.
TEST_F(joint_test, a_scene_deleted_first_detaches_its_joints) {
    physics_scene_t *other = server.create_scene(1.0f);
    physics_body_t *body = other->create_body();
    physics_joint_t *joint = other->create_joint();
    ASSERT_TRUE(joint->create_hinge(body, nullptr, {}, {0, 0, 1}));
    log.clear();
    delete other;
    EXPECT_TRUE(log.contains("[phys] There are 1 unremoved joints!"));
    EXPECT_EQ(id(joint), nullptr);
    delete joint;
    delete body;
    EXPECT_FALSE(log.contains("not in"));
}

}  // namespace
}  // namespace quarn::test

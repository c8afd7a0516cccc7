#include <gtest/gtest.h>

#include <limits>

#include "support/math_compare.h"
#include "game/physics/physics_fixture.h"

namespace quarn::test {
namespace {

struct step_counter_t : physics_step_listener_t {
    void on_step(physics_body_t *) override { ++steps; }
    int steps = 0;
};

// Steps run, what the accumulator keeps and the interpolation factor, for a frame
// time and a fixed step.
TEST_F(physics_test, step_runs_whole_steps_strictly_below_the_accumulator) {
    struct case_t {
        const char *name;
        float dt;
        uint32_t steps_per_second;
        bool paused;
        int steps;
        float accumulator;
        float alpha;
    };
    const case_t cases[] = {
        {"0.05 at 1/30", 0.05f, 30, false, 1, 0.05f - 1.0f / 30.0f, 0.5f},
        {"dt equal to the step", 1.0f / 30.0f, 30, false, 0, 1.0f / 30.0f, 1.0f},
        {"20 steps a second", 0.12f, 20, false, 2, 0.02f, 0.4f},
        {"nothing", 0.0f, 30, false, 0, 0.0f, 0.0f},
        {"paused", 1.0f, 30, true, 0, 0.0f, 0.0f},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.name);
        make_scene(1.0f);
        ASSERT_TRUE(scene().set_steps_per_second(c.steps_per_second));
        EXPECT_FLOAT_EQ(scene().get_step_time(), 1.0f / float(c.steps_per_second));
        step_counter_t counter;
        body_ptr body = make_body();
        body->set_step_listener(&counter);
        // A body moving at 1 unit a step along x, to read the interpolation off.
        scene().set_gravity({0, 0, 0});
        body->set_world_linear_velocity({float(c.steps_per_second), 0, 0});
        if (c.paused) scene().pause();
        scene().step(c.dt);
        EXPECT_EQ(counter.steps, c.steps);
        EXPECT_NEAR(scene().get_accumulator(), c.accumulator, 1e-6f);
        EXPECT_NEAR(scene().get_alpha(), c.alpha, 1e-5f);
        if (c.steps > 0) {
            const float expected = float(c.steps - 1) + c.alpha;
            EXPECT_NEAR(body->get_interpolated_pose().position.x, expected, 1e-4f);
        }
    }
}

TEST_F(physics_test, pause_and_resume_pair_up) {
    scene().pause();
    scene().pause();
    scene().resume();
    scene().step(0.1f);
    EXPECT_EQ(scene().get_accumulator(), 0.0f);
    scene().resume();
    scene().resume();  // more resumes than pauses do not bank a pause
    EXPECT_FALSE(scene().is_paused());
    scene().step(0.01f);
    EXPECT_FLOAT_EQ(scene().get_accumulator(), 0.01f);
}

// A frame time that is not a finite value of 0 or more counts as 0.
TEST_F(physics_test, step_refuses_bad_frame_times) {
    scene().step(0.01f);
    for (float dt : {-1.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        log.clear();
        scene().step(dt);
        EXPECT_TRUE(log.contains("[phys] step"));
        EXPECT_FLOAT_EQ(scene().get_accumulator(), 0.01f);
    }
}

TEST_F(physics_test, collide_tables_write_both_halves) {
    for (int a = 0; a < PHYSICS_GROUPS; ++a)
        for (int b = 0; b < PHYSICS_GROUPS; ++b) ASSERT_TRUE(scene().get_pair_collides(a, b));
    EXPECT_TRUE(scene().set_pair_collides(3, 7, false));
    EXPECT_FALSE(scene().get_pair_collides(3, 7));
    EXPECT_FALSE(scene().get_pair_collides(7, 3));
    EXPECT_TRUE(scene().get_pair_collides(3, 6));

    EXPECT_TRUE(scene().set_group_collides(10, false));
    for (int g = 0; g < PHYSICS_GROUPS; ++g) {
        EXPECT_FALSE(scene().get_pair_collides(10, g));
        EXPECT_FALSE(scene().get_pair_collides(g, 10));
    }
    EXPECT_TRUE(scene().set_pair_collides(10, 0, true));
    EXPECT_TRUE(scene().get_pair_collides(10, 0));
    EXPECT_TRUE(scene().get_pair_collides(0, 10));
    EXPECT_FALSE(scene().get_pair_collides(10, 1));

    EXPECT_FALSE(scene().get_pair_no_response(2, 5));
    EXPECT_TRUE(scene().set_pair_no_response(2, 5, true));
    EXPECT_TRUE(scene().get_pair_no_response(5, 2));
}

// Indices outside the tables: "no collision" and null.
TEST_F(physics_test, table_getters_answer_nothing_outside_the_tables) {
    EXPECT_FALSE(scene().get_pair_collides(-1, 0));
    EXPECT_FALSE(scene().get_pair_collides(0, 32));
    EXPECT_FALSE(scene().get_pair_no_response(32, 32));
    EXPECT_EQ(scene().get_material(32), nullptr);
    EXPECT_EQ(scene().get_material(-1), nullptr);
    physics_material_t m;
    m.bounce = 0.5f;
    m.friction = 2.0f;
    EXPECT_TRUE(scene().set_material(31, m));
    EXPECT_EQ(scene().get_material(31)->friction, 2.0f);
}

}  // namespace
}  // namespace quarn::test

#include <gtest/gtest.h>

#include <vector>

#include "game/physics/physics_fixture.h"
#include "game/visuals/physics/physics_debug_draw.h"
#include "kernel/gfx/debug_lines.h"
#include "outside/visbase/transform_stack.h"
#include "support/math_compare.h"

namespace quarn::test {
namespace {

// Debug lines queued by the server's drawing: colour and points of each strip.
class debug_draw_test : public physics_test {
protected:
    void SetUp() override {
        physics_test::SetUp();
        debug_lines_flush(nullptr);
    }
    void TearDown() override {
        debug_lines_flush(nullptr);
        physics_test::TearDown();
    }
    std::vector<uint32_t> colours() {
        std::vector<uint32_t> out;
        for (debug_strip_t *s = debug_lines_first(); s; s = s->next) out.push_back(s->colour);
        debug_lines_flush(nullptr);
        return out;
    }
};

TEST_F(debug_draw_test, a_box_draws_its_twelve_edges_in_world_units) {
    make_scene(2.0f);
    scene().set_debug_draw_mode(PHYSICS_DRAW_ALWAYS);
    body_ptr body = make_body();
    body->set_draw_mode(PHYSICS_DRAW_NEVER);
    ASSERT_TRUE(body->set_world_pose({{4, 0, 0}, {}}));
    shape_ptr box = make_shape();
    ASSERT_TRUE(box->create_box(body.get(), {1, 2, 3}, nullptr));
    body->wake();
    server.draw();
    EXPECT_EQ(gfx_transform_depth(), 0u);
    ASSERT_EQ(debug_lines_count(), 12u);
    // Every edge runs between corners of the box (half sizes 1, 2, 3 in world units
    // about (4, 0, 0)).
    for (debug_strip_t *s = debug_lines_first(); s; s = s->next) {
        ASSERT_EQ(s->count, 2u);
        for (int i = 0; i < 2; ++i) {
            const vec3_t p = s->points()[i];
            EXPECT_NEAR(std::fabs(p.x - 4), 1.0f, TOL_UNIT);
            EXPECT_NEAR(std::fabs(p.y), 2.0f, TOL_UNIT);
            EXPECT_NEAR(std::fabs(p.z), 3.0f, TOL_UNIT);
        }
    }
    EXPECT_EQ(colours(), std::vector<uint32_t>(12, PHYS_COLOUR_BOX));

    body->set_disabled(true);
    server.draw();
    EXPECT_EQ(colours(), std::vector<uint32_t>(12, PHYS_COLOUR_BOX_ASLEEP));

    scene().set_debug_draw_mode(PHYSICS_DRAW_NEVER);
    box->set_draw_mode(PHYSICS_DRAW_ALWAYS);
    server.draw();
    EXPECT_EQ(debug_lines_count(), 0u);
}

// Mode 0 draws only while the scene is not in mode 0; mode 1 always; mode 2 never.
TEST_F(debug_draw_test, draw_modes_choose_what_draws) {
    struct case_t {
        int scene_mode;
        int object_mode;
        bool draws;
    };
    const case_t cases[] = {
        {0, 0, false}, {0, 1, true}, {0, 2, false}, {1, 0, true}, {1, 1, true}, {1, 2, false}, {2, 1, false},
    };
    for (const case_t &c : cases) EXPECT_EQ(phys_draw_allowed(c.object_mode, c.scene_mode), c.draws);

    body_ptr body = make_body();
    scene().set_debug_draw_mode(PHYSICS_DRAW_ALWAYS);
    server.draw();
    EXPECT_EQ(colours(), (std::vector<uint32_t>{PHYS_COLOUR_AXIS_X, PHYS_COLOUR_AXIS_Y, PHYS_COLOUR_AXIS_Z}));
}

TEST_F(debug_draw_test, spheres_capsules_and_meshes_draw_in_their_colours) {
    scene().set_debug_draw_mode(PHYSICS_DRAW_ALWAYS);
    body_ptr body = make_body();
    body->set_draw_mode(PHYSICS_DRAW_NEVER);
    shape_ptr sphere = make_shape();
    ASSERT_TRUE(sphere->create_sphere(body.get(), 1.0f, nullptr));
    server.draw();
    // Asleep: three circles of two halves each.
    const uint32_t c = PHYS_COLOUR_ASLEEP;
    EXPECT_EQ(colours(), (std::vector<uint32_t>{c & 0xFFFF0000u, c & 0xFF500000u, c & 0xFF0000FFu, c & 0xFF000050u,
                                                c & 0xFF00FF00u, c & 0xFF005000u}));
    sphere.reset();

    shape_ptr capsule = make_shape();
    ASSERT_TRUE(capsule->create_capsule(body.get(), 2.0f, 0.5f, nullptr));
    body->wake();
    server.draw();
    for (uint32_t colour : colours()) EXPECT_EQ(colour, 0xFF00FF00u);
    capsule.reset();

    const vec3_t vertices[4] = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {1, 0, 1}};
    const uint32_t indices[6] = {0, 2, 1, 1, 2, 3};
    shape_ptr mesh = make_shape();
    ASSERT_TRUE(mesh->create_trimesh(nullptr, vertices, 4, indices, 6, nullptr));
    server.draw();
    EXPECT_EQ(colours(), std::vector<uint32_t>(2, PHYS_COLOUR_MESH));
}

// draw_near draws only what lies strictly within the radius.
TEST_F(debug_draw_test, draw_near_keeps_to_the_radius) {
    scene().set_debug_draw_mode(PHYSICS_DRAW_ALWAYS);
    shape_ptr near_box = make_shape();
    const physics_pose_t at_one{{1, 0, 0}, {}};
    ASSERT_TRUE(near_box->create_box(nullptr, {1, 1, 1}, &at_one));
    shape_ptr edge_box = make_shape();
    const physics_pose_t at_two{{2, 0, 0}, {}};
    ASSERT_TRUE(edge_box->create_box(nullptr, {1, 1, 1}, &at_two));
    body_ptr body = make_body();
    ASSERT_TRUE(body->set_pose({{0, 1.5f, 0}, {}}));
    server.draw_near({0, 0, 0}, 2.0f);
    EXPECT_EQ(debug_lines_count(), 12u + 3u);
    debug_lines_flush(nullptr);
    server.draw_near({0, 0, 0}, 1.5f);
    EXPECT_EQ(debug_lines_count(), 12u);
}

}  // namespace
}  // namespace quarn::test

#include <gtest/gtest.h>

#include <functional>

#include "game/physics/physics_fixture.h"
#include "game/physics/recording_listener.h"
#include "game/visuals/physics/physics_joint.h"
#include "support/math_compare.h"

namespace quarn::test {
namespace {

// One step of scenes made of two overlapping shapes: how far contact generation went.
TEST_F(physics_test, contacts_follow_bodies_joints_groups_and_responses) {
    struct made_t {
        body_ptr b1, b2;
        shape_ptr s1, s2;
        std::unique_ptr<physics_joint_t> joint;
    };
    struct case_t {
        const char *name;
        std::function<void(physics_test *, made_t &)> build;
        bool reached;
        bool joints;
    };
    // Spheres of radius 0.5 whose centres are 0.8 apart: they overlap.
    auto sphere = [](physics_test *t, physics_body_t *owner, const vec3_t &at) {
        shape_ptr s = t->make_shape();
        const physics_pose_t pose{at, {}};
        s->create_sphere(owner, 0.5f, owner ? nullptr : &pose);
        return s;
    };
    auto body = [](physics_test *t, const vec3_t &at) {
        body_ptr b = t->make_body();
        b->set_mass_sphere(1.0f, 0.5f);
        b->set_position(at);
        b->wake();
        return b;
    };
    const case_t cases[] = {
        {"two body-less shapes",
         [&](physics_test *t, made_t &m) {
             m.s1 = sphere(t, nullptr, {0, 0, 0});
             m.s2 = sphere(t, nullptr, {0.8f, 0, 0});
         },
         false, false},
        {"a body and a static shape",
         [&](physics_test *t, made_t &m) {
             m.b1 = body(t, {0, 0, 0});
             m.s1 = sphere(t, m.b1.get(), {});
             m.s2 = sphere(t, nullptr, {0.8f, 0, 0});
         },
         true, true},
        {"two bodies joined by a hinge",
         [&](physics_test *t, made_t &m) {
             m.b1 = body(t, {0, 0, 0});
             m.b2 = body(t, {0.8f, 0, 0});
             m.s1 = sphere(t, m.b1.get(), {});
             m.s2 = sphere(t, m.b2.get(), {});
             m.joint.reset(t->scene().create_joint());
             m.joint->create_hinge(m.b1.get(), m.b2.get(), {0.4f, 0, 0}, {0, 0, 1});
         },
         false, false},
        {"two bodies touching by contact only",
         [&](physics_test *t, made_t &m) {
             m.b1 = body(t, {0, 0, 0});
             m.b2 = body(t, {0.8f, 0, 0});
             m.s1 = sphere(t, m.b1.get(), {});
             m.s2 = sphere(t, m.b2.get(), {});
         },
         true, true},
        {"groups that do not collide",
         [&](physics_test *t, made_t &m) {
             m.b1 = body(t, {0, 0, 0});
             m.b2 = body(t, {0.8f, 0, 0});
             m.s1 = sphere(t, m.b1.get(), {});
             m.s2 = sphere(t, m.b2.get(), {});
             m.s1->set_collision_group(3);
             m.s2->set_collision_group(7);
             t->scene().set_pair_collides(3, 7, false);
         },
         false, false},
        {"a no-response pair",
         [&](physics_test *t, made_t &m) {
             m.b1 = body(t, {0, 0, 0});
             m.s1 = sphere(t, m.b1.get(), {});
             m.s2 = sphere(t, nullptr, {0.8f, 0, 0});
             m.s2->set_collision_group(2);
             t->scene().set_pair_no_response(0, 2, true);
         },
         true, false},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.name);
        make_scene(1.0f);
        scene().set_gravity({0, 0, 0});
        made_t m;
        c.build(this, m);
        recording_listener_t first, second;
        m.s1->set_contact_listener(&first);
        m.s2->set_contact_listener(&second);
        scene().step(1.5f / 30.0f);
        const ode_contact_stats_t &stats = ode_scene().get_contact_stats();
        EXPECT_EQ(stats.pairs, c.reached ? 1u : 0u);
        if (c.reached) {
            EXPECT_GE(stats.contacts, 1u);
        }
        EXPECT_EQ(stats.joints, c.joints ? stats.contacts : 0u);
        // Both listeners hear every contact, from their own side.
        EXPECT_EQ(first.calls.size(), stats.contacts);
        EXPECT_EQ(second.calls.size(), stats.contacts);
        EXPECT_EQ(stats.listened, 2 * stats.contacts);
        for (size_t i = 0; i < first.calls.size() && i < second.calls.size(); ++i) {
            EXPECT_EQ(first.calls[i].self, m.s1.get());
            EXPECT_EQ(first.calls[i].other, m.s2.get());
            EXPECT_EQ(second.calls[i].self, m.s2.get());
            EXPECT_TRUE(vec_near(second.calls[i].normal, -first.calls[i].normal, 0.0f));
            EXPECT_TRUE(vec_near(second.calls[i].position, first.calls[i].position, 0.0f));
            // From the other shape towards self: s2 lies along +x of s1.
            EXPECT_LT(first.calls[i].normal.x, 0.0f);
        }
        // A contact joint pushes the pair apart.
        if (c.joints) {
            EXPECT_LT(m.s1->get_world_position().x, 0.0f);
        }
        m.joint.reset();
    }
}

// Bounce only above a product of 0.0001; friction is the product of the rows.
TEST(ode_contact_surface, bounce_needs_a_product_above_the_threshold) {
    struct case_t {
        float bounce1, bounce2, friction1, friction2;
        int mode;
        float bounce, mu;
    };
    const case_t cases[] = {
        {0.01f, 0.01f, 0.5f, 0.4f, 0, 0.01f * 0.01f, 0.2f},
        {0.02f, 0.01f, 1.0f, 3.0f, dContactBounce, 0.0002f, 3.0f},
        {0.0f, 1.0f, 0.0f, 2.0f, 0, 0.0f, 0.0f},
    };
    for (const case_t &c : cases) {
        const dSurfaceParameters s = ode_physics_scene_t::contact_surface({c.bounce1, c.friction1, 0},
                                                                          {c.bounce2, c.friction2, 0});
        EXPECT_EQ(s.mode, c.mode);
        EXPECT_FLOAT_EQ(float(s.bounce), c.bounce);
        EXPECT_FLOAT_EQ(float(s.mu), c.mu);
        EXPECT_GT(s.bounce_vel, 0.0);
    }
}

TEST_F(physics_test, a_box_dropped_on_a_plane_comes_to_rest_and_sleeps) {
    scene().set_gravity({0, -9.81f, 0});
    scene().set_material(0, {0.0f, 1.0f, 0.0f});
    shape_ptr ground = make_shape();
    ASSERT_TRUE(ground->create_plane(nullptr, {0, 1, 0, 0}, nullptr));
    body_ptr box = make_body();
    ASSERT_TRUE(box->set_mass_box(1.0f, {1, 1, 1}));
    ASSERT_TRUE(box->set_pose({{0, 2, 0}, axis_angle({1, 1, 0}, 10)}));
    shape_ptr shape = make_shape();
    ASSERT_TRUE(shape->create_box(box.get(), {1, 1, 1}, nullptr));
    box->wake();
    for (int i = 0; i < 150 && !box->is_disabled(); ++i) scene().step(1.0f / 30.0f + 1e-6f);
    EXPECT_TRUE(box->is_disabled());
    EXPECT_NEAR(box->get_current_pose().position.y, 0.5f, 0.02f);
    EXPECT_LT(length(box->get_linear_velocity()), 0.1f);
}

TEST_F(physics_test, a_bouncy_sphere_rebounds) {
    scene().set_gravity({0, -9.81f, 0});
    scene().set_material(0, {0.9f, 0.5f, 0.0f});
    shape_ptr ground = make_shape();
    ASSERT_TRUE(ground->create_plane(nullptr, {0, 1, 0, 0}, nullptr));
    shape_ptr shape;
    body_ptr ball = make_ball(&shape);
    ASSERT_TRUE(ball->set_position({0, 2, 0}));
    ball->wake();
    float fastest_up = 0.0f;
    for (int i = 0; i < 60; ++i) {
        scene().step(1.0f / 30.0f + 1e-6f);
        fastest_up = std::max(fastest_up, ball->get_linear_velocity().y);
    }
    // Falling 1.5 gives about 5.4 a second; 0.81 of that comes back.
    EXPECT_GT(fastest_up, 3.0f);
}

// A listener that starts a query inside the collision pass is refused.
TEST_F(physics_test, queries_from_a_contact_listener_are_refused) {
    struct querying_t : physics_contact_listener_t {
        void on_contact(physics_shape_t *self, physics_shape_t *, const vec3_t &, const vec3_t &) override {
            physics_ray_hit_t hit;
            ray_found |= self->get_scene()->ray_first_hit_local(0, {0, 5, 0}, {0, -1, 0}, 10.0f, &hit);
            array_dyn_t<physics_triangle_t> triangles;
            triangles_found += self->get_scene()->collect_triangles(triangles, self);
            ++calls;
        }
        bool ray_found = false;
        uint32_t triangles_found = 0;
        int calls = 0;
    } listener;
    scene().set_gravity({0, 0, 0});
    shape_ptr shape;
    body_ptr ball = make_ball(&shape);
    ball->wake();
    shape_ptr ground = make_shape();
    const physics_pose_t below{{0, -0.9f, 0}, {}};
    ASSERT_TRUE(ground->create_box(nullptr, {4, 1, 4}, &below));
    shape->set_contact_listener(&listener);
    scene().step(1.5f / 30.0f);
    EXPECT_GT(listener.calls, 0);
    EXPECT_FALSE(listener.ray_found);
    EXPECT_EQ(listener.triangles_found, 0u);
    EXPECT_TRUE(log.contains("[phys] ray_first_hit: a query cannot start while the scene collides"));
    EXPECT_TRUE(log.contains("[phys] collect_triangles: a query cannot start while the scene collides"));
    // Outside the pass the same query works.
    physics_ray_hit_t hit;
    EXPECT_TRUE(scene().ray_first_hit_local(0, {0, 5, 0}, {0, -1, 0}, 10.0f, &hit));
}

}  // namespace
}  // namespace quarn::test

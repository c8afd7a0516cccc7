// Bodies and plants: descriptions with their model instances, animation and collision
// model, instances with their world boxes, physics shapes and segment tests, plant
// shadows, parts and heights.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "game/visuals/effects/projected_decal.h"
#include "game/visuals/physics/physics_shape.h"
#include "game/visuals/physics/physics_body.h"
#include "game/world/body.h"
#include "game/world/body_actor.h"
#include "game/world/flagpole.h"
#include "game/world/environment.h"
#include "game/world/wind.h"
#include "map_objects_fixture.h"
#include "game/world/plant.h"
#include "support/math_compare.h"

namespace quarn::test {
namespace {

class body_test : public map_objects_fixture_t {
protected:
    void SetUp() override {
        map_objects_fixture_t::SetUp();
        write_fixture_models();
        // The slope map's ground at x / 4 over (0, 0)-(16, 16), all chunks active.
        load_map(map_slope_text(), "slope");
        view_at({8, 2, 8});
        landscape->update(0.1f);
    }
};

// A description line: type, name, model, further attributes.
std::string desc(const char *type, const char *name, const char *model, const std::string &more = "") {
    return std::string(type) + " : " + name + " { model_file: \"/map/model/" + model + "\" look: \"default\"" +
           " variant: \"default\" " + more + " }\n";
}

TEST_F(body_test, a_description_makes_its_instances_and_the_instances_take_the_first_one) {
    ASSERT_TRUE(load(desc("body_desc", "d.oak", "tree/oak.ma",
                          "unique_instances: 3 is_collidable: yes model_anim: \"/map/model/tree/sway.ma\"") +
                     "body_inst : .i { body_desc: d.oak placement: (10, 0, 4) 2 (1; 0, 0, 0) }"));
    body_desc_u *d = root<body_desc_u>(0);
    body_inst_u *inst = root<body_inst_u>(1);
    ASSERT_TRUE(d && inst);
    EXPECT_STREQ(d->m_model_file.c_str(), "/map/model/tree/oak.zmc") << "the extension is replaced in place";
    EXPECT_STREQ(d->m_model_anim.c_str(), "/map/model/tree/sway.zma");
    ASSERT_EQ(d->get_instance_count(), 3u);
    EXPECT_NE(d->get_instance(0), d->get_instance(2));
    EXPECT_NE(d->get_collision(), nullptr);
    EXPECT_EQ(d->get_look_index(), 0);
    EXPECT_EQ(d->get_part_indices(), nullptr);
    EXPECT_EQ(d->make_ground_shadow(*landscape, inst->get_placement()), nullptr) << "bodies cast no shadow";
    // Every instance plays the animation in a loop at full weight.
    for (uint32_t i = 0; i < 3; ++i) {
        model_inst_u *m = d->get_instance(i);
        ASSERT_EQ(m->get_active_count(), 1u);
        EXPECT_FLOAT_EQ(m->get_channel(m->get_active(0)).weight, 1.0f);
        EXPECT_FALSE(m->is_static());
    }

    // The world box: the model box (x -2..2, y 0..12) through the placement (scale 2).
    ASSERT_TRUE(d->init_unit());
    ASSERT_TRUE(inst->init_unit());
    EXPECT_TRUE(vec_near(inst->get_world_box().min, vec3_t{6, 0, 0}, TOL_UNIT));
    EXPECT_TRUE(vec_near(inst->get_world_box().max, vec3_t{14, 24, 8}, TOL_UNIT));

    // The scene animates the description's instances once it has queued it.
    const model_inst_u *first = d->get_instance(0);
    ctrl()->update(0.25f);
    EXPECT_FLOAT_EQ(first->get_channel(first->get_active(0)).animation_time, 0.25f);
    d->cleanup_unit();
    ctrl()->update(0.25f);
    EXPECT_FLOAT_EQ(first->get_channel(first->get_active(0)).animation_time, 0.25f) << "out of the list";
}

TEST_F(body_test, plants_size_their_shadow_from_the_model_width_and_are_tall_above_ten) {
    struct case_t {
        const char *model;
        float scale;
        vec3_t half_size;  // before the instance's scale
        bool tall;
    } cases[] = {
        {"tree/acatia.ma", 1.0f, {1.6f, 8.0f, 1.6f}, true},
        {"tree/oak.ma", 1.0f, {2.64f, 8.0f, 2.64f}, true},
        {"tree/oak.ma", 0.5f, {2.64f, 8.0f, 2.64f}, true},
        {"bush/bush.ma", 1.0f, {0.66f, 2.0f, 0.66f}, false},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.model);
        ASSERT_TRUE(load(desc("plant_desc", "p", c.model) + "plant_inst : .i { body_desc: p placement: (6, 1.5, 6) " +
                         std::to_string(c.scale) + " (1; 0, 0, 0) }"));
        plant_desc_u *p = root<plant_desc_u>(0);
        plant_inst_u *inst = root<plant_inst_u>(1);
        ASSERT_TRUE(p && inst);
        EXPECT_TRUE(vec_near(p->get_shadow_size(), c.half_size, TOL_UNIT));
        EXPECT_EQ(p->is_tall(), c.tall);
        ASSERT_NE(p->get_part_indices(), nullptr);
        ASSERT_EQ(p->get_part_indices()->get_count(), 1u);
        EXPECT_EQ((*p->get_part_indices())[0], 1u);
        ASSERT_NE(p->get_shadow_material(), nullptr);

        // The shadow: the slope's triangles within the box × the scale, unrotated,
        // drawn with the shadow material.
        std::unique_ptr<decal_mesh_t> shadow = p->make_ground_shadow(*landscape, inst->get_placement());
        ASSERT_NE(shadow, nullptr);
        EXPECT_EQ(shadow->get_material(), p->get_shadow_material());
        const vec3_t half = c.half_size * c.scale;
        for (uint32_t v = 0; v < shadow->get_vertex_count(); ++v) {
            const vec3_t q = shadow->get_position(v);
            EXPECT_LE(std::fabs(q.x - 6.0f), half.x + TOL_TRIG);
            EXPECT_LE(std::fabs(q.z - 6.0f), half.z + TOL_TRIG);
            EXPECT_NEAR(q.y, q.x / 4, TOL_TRIG);
        }
        loader.reset();
    }
}

TEST_F(body_test, load_failures_name_what_is_missing) {
    struct case_t {
        const char *what;
        std::string text;
        bool loads;
        const char *message;
    } cases[] = {
        {"no model", desc("body_desc", "d", "tree/elm.ma"), false,
         "[d] unable to load model '/map/model/tree/elm.zmd'"},
        {"no animation", desc("body_desc", "d", "tree/oak.ma", "model_anim: \"/map/model/tree/none.ma\""), false,
         "[d] unable to load model anim '/map/model/tree/none.zma'"},
        {"an unknown look", desc("body_desc", "d", "tree/oak.ma", "look: \"winter\""), false,
         "[d] unable to allocate instance"},
        {"no collision model: a warning only", desc("body_desc", "d", "rock/rock.ma", "is_collidable: yes"), true,
         nullptr},
        {"a plant without DefaultPart", desc("plant_desc", "d", "tree/bare.ma"), false,
         "Cannot find part 'DefaultPart' in model /map/model/tree/bare.zmc"},
        {"a plant instance of a body", desc("body_desc", "d", "tree/oak.ma") + "plant_inst : .i { body_desc: d }",
         false, "plant_inst_u body_desc should point to plant_desc not body_desc!"},
        {"an instance without description", "body_inst : .i { }", false, "[body_inst_u] no body_desc specified."},
        {"an instance of scale 0",
         desc("body_desc", "d", "tree/oak.ma") + "body_inst : .i { body_desc: d placement: (0, 0, 0) 0 (1; 0, 0, 0) }",
         false, "scale 0: it must be a finite number above 0"},
        {"an instance of scale -1",
         desc("body_desc", "d", "tree/oak.ma") + "body_inst : .i { body_desc: d placement: (0, 0, 0) -1 (1; 0, 0, 0) }",
         false, "scale -1"},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.what);
        messages.clear();
        EXPECT_EQ(load(c.text), c.loads);
        if (c.message) {
            EXPECT_TRUE(messages.contains(c.message));
        }
    }
    // The last loadable case: a warning, and a body without shapes.
    ASSERT_TRUE(load(desc("body_desc", "d", "rock/rock.ma", "is_collidable: yes")));
    EXPECT_TRUE(messages.contains("Failed to load collision model for (/map/model/rock/rock.zmc)"));
    body_desc_u *d = root<body_desc_u>(0);
    EXPECT_EQ(d->get_collision(), nullptr);
    array_dyn_t<physics_shape_t *> shapes;
    EXPECT_FALSE(d->build_instance_shapes(placement_scale_t(), *scene, shapes));
    EXPECT_EQ(shapes.get_count(), 0u);
}

TEST_F(body_test, an_instance_without_a_model_instance_has_the_box_of_its_position) {
    owner_ptr_t<body_desc_u> d(body_desc_u::create());
    owner_ptr_t<body_inst_u> inst(body_inst_u::create());
    inst->m_body_desc = d.get();
    inst->m_placement.position = {3, 4, 5};
    ASSERT_TRUE(inst->init_unit());
    EXPECT_EQ(inst->get_world_box().min, (vec3_t{3, 4, 5}));
    EXPECT_EQ(inst->get_world_box().max, (vec3_t{3, 4, 5}));
    model_hit_t hit;
    EXPECT_FALSE(inst->test_segment_world(hit, {3, 10, 5}, {3, -10, 5}));
}

TEST_F(body_test, instance_shapes_are_map_objects_that_carry_their_instance) {
    ASSERT_TRUE(load(desc("body_desc", "d", "tree/oak.ma", "is_collidable: yes") +
                     "body_inst : .i { body_desc: d placement: (4, 1, 4) 2 (1; 0, 0, 0) }"));
    body_inst_u *inst = root<body_inst_u>(1);
    const uint32_t before = scene->get_shape_count();
    ASSERT_TRUE(inst->create_shapes(*scene));
    ASSERT_EQ(inst->get_shape_count(), 1u);
    physics_shape_t *shape = inst->get_shape(0);
    EXPECT_EQ(shape->get_material(), 2);
    EXPECT_EQ(shape->get_collision_group(), 2);
    EXPECT_EQ(shape->get_user_data(), inst);
    EXPECT_EQ(shape->get_type(), PHYSICS_SHAPE_BOX);
    EXPECT_TRUE(vec_near(shape->get_world_position(), vec3_t{4, 13, 4}, TOL_UNIT)) << "the box's centre, scaled";
    EXPECT_FLOAT_EQ(shape->get_sizes()[1], 24.0f);
    inst->disable_shapes();
    EXPECT_FALSE(shape->is_enabled());
    inst->enable_shapes();
    EXPECT_TRUE(shape->is_enabled());
    ASSERT_TRUE(inst->create_shapes(*scene)) << "again: the old shapes go first";
    EXPECT_EQ(scene->get_shape_count(), before + 1);
    inst->delete_shapes();
    EXPECT_EQ(inst->get_shape_count(), 0u);
    EXPECT_EQ(scene->get_shape_count(), before);
    ASSERT_TRUE(inst->create_shapes(*scene));
    loader.reset();
    unit_system_t::clean_garbage();
    EXPECT_EQ(scene->get_shape_count(), before) << "an instance's shapes go with it";
}

TEST_F(body_test, segment_tests_go_through_the_placement_and_plants_test_their_default_part) {
    const quat_t turn = axis_angle({0, 1, 0}, 90);
    ASSERT_TRUE(load(desc("plant_desc", "p", "tree/oak.ma") +
                     "plant_inst : .i { body_desc: p placement: (20, 5, 0) 2 (" + std::to_string(turn.w) + "; 0, " +
                     std::to_string(turn.y) + ", 0) }"));
    plant_desc_u *p = root<plant_desc_u>(0);
    plant_inst_u *inst = root<plant_inst_u>(1);
    // Down through the crown beside the trunk (world x 16..24, y 17..25): its top at 25.
    model_hit_t hit;
    ASSERT_TRUE(inst->test_segment_world(hit, {23, 40, 1}, {23, -40, 1}));
    EXPECT_TRUE(vec_near(hit.point, vec3_t{23, 25, 1}, TOL_TRIG));
    EXPECT_TRUE(vec_near(vec3_t{hit.plane.x, hit.plane.y, hit.plane.z}, vec3_t{0, 1, 0}, TOL_TRIG));
    EXPECT_NEAR(hit.distance, 15.0f, TOL_TRIG) << "world units from p0";
    // Along x at the height of the trunk, beside the crown: the trunk's face at x 19.
    ASSERT_TRUE(inst->test_segment_world(hit, {0, 9, 0}, {40, 9, 0}));
    EXPECT_TRUE(vec_near(hit.point, vec3_t{19, 9, 0}, TOL_TRIG));
    EXPECT_TRUE(vec_near(vec3_t{hit.plane.x, hit.plane.y, hit.plane.z}, vec3_t{-1, 0, 0}, TOL_TRIG));
    EXPECT_FALSE(inst->test_segment_world(hit, {0, 40, 30}, {40, 40, 30}));

    // In model space: the trunk alone is no hit of the default part, the crown is.
    array_dyn_t<model_hit_t> hits;
    hits.append(model_hit_t{});
    EXPECT_FALSE(p->test_segment_part({-5, 2, 0}, {5, 2, 0}, hits));
    EXPECT_EQ(hits.get_count(), 0u);
    ASSERT_TRUE(p->test_segment_part({-5, 8, 0}, {5, 8, 0}, hits));
    ASSERT_EQ(hits.get_count(), 1u);
    EXPECT_EQ(hits[0].part, 1);
    EXPECT_TRUE(vec_near(hits[0].point, vec3_t{-2, 8, 0}, TOL_TRIG));
}

TEST_F(body_test, a_body_actor_falls_in_the_scene_and_its_speed_is_capped) {
    ASSERT_TRUE(load("body_actor_desc : .d { model_file: \"/map/model/tree/oak.ma\" look: \"default\" }\n"
                     "body_actor_inst : .i { body_actor_desc: .d placement: (4, 30, 4) 1 (1; 0, 0, 0) }"));
    body_actor_inst_u *actor = root<body_actor_inst_u>(1);
    ASSERT_NE(actor, nullptr);
    EXPECT_STREQ(actor->get_desc()->m_model_file.c_str(), "/map/model/tree/oak.zmc");
    messages.clear();
    EXPECT_FALSE(actor->init_unit()) << "the test's scene has no world";
    EXPECT_TRUE(messages.contains("finds no world to move in"));

    scene->set_gravity_local({0, -9.81f, 0});
    const uint32_t shapes_before = scene->get_shape_count();
    ASSERT_TRUE(actor->init_in_scene(*scene));
    physics_body_t *body = actor->get_body();
    ASSERT_NE(body, nullptr);
    ASSERT_EQ(actor->get_shape_count(), 1u);
    EXPECT_EQ(scene->get_shape_count(), shapes_before + 1);
    // The model's sphere (about the trunk and crown) and its distance from the origin.
    const sphere_t sphere = actor->get_object()->get_geom()->get_bounding_sphere(-1);
    EXPECT_FLOAT_EQ(actor->get_radius(), sphere.radius + length(sphere.center));
    EXPECT_NE(actor->get_object()->get_model_packet(), nullptr) << "a model packet of its own";

    // Falling: the scene carries it down and its update takes the pose.
    for (int i = 0; i < 10; ++i) {
        server.step(0.1f);
        ctrl()->update(0.1f);
    }
    EXPECT_LT(actor->get_placement().position.y, 29.0f);
    EXPECT_TRUE(vec_near(actor->get_placement().position, body->get_world_interpolated_pose().position, 0.0f));

    // The caps: a component above its limit is cut to it; one below stays.
    ASSERT_TRUE(body->set_linear_velocity({30, -50, 2}));
    ASSERT_TRUE(body->set_angular_velocity({100, 0, 0}));
    actor->on_step(body);
    EXPECT_TRUE(vec_near(body->get_linear_velocity(), vec3_t{10, -50, 2}, TOL_UNIT));
    EXPECT_TRUE(vec_near(body->get_angular_velocity(), vec3_t{62.831856f, 0, 0}, TOL_TRIG));

    actor->cleanup_unit();
    EXPECT_EQ(actor->get_body(), nullptr);
    EXPECT_EQ(scene->get_shape_count(), shapes_before);
}

TEST_F(body_test, a_flag_pole_turns_into_the_wind_and_switches_its_animation_only_out_of_view) {
    ASSERT_TRUE(load("flagpole_inst : .f { placement: (8, 2, 8) 1 (1; 0, 0, 0)"
                     " model_file: \"/map/model/tree/oak.ma\" look: \"default\""
                     " no_wind_animation: \"/map/model/tree/calm.ma\" wind_animation: \"/map/model/tree/sway\" }"));
    flagpole_inst_u *pole = root<flagpole_inst_u>(0);
    ASSERT_NE(pole, nullptr);
    EXPECT_TRUE(vec_near(pole->get_world_box().max, vec3_t{10, 14, 10}, TOL_UNIT));
    ASSERT_TRUE(pole->init_unit());
    EXPECT_EQ(pole->get_current_animation(), flagpole_inst_u::ANIMATION_CALM);

    // A view that sees the pole: looking down at it from above.
    movable_view_t &v = ctrl()->view;
    v.has_frustum = true;
    v.frustum.update({8, 40, 8}, axis_angle({1, 0, 0}, -90));
    wind_u *wind = ctrl()->get_environment()->get_wind();
    ASSERT_TRUE(wind->set_value(&wind_u::unit_attributes[0], 3.0f));
    wind->set_base_direction({1, 0, 1});
    ASSERT_GT(wind->get_strength(), 0);

    ctrl()->update(1.0f);
    const vec3_t facing = pole->get_placement().rotation.get_cartes();
    vec3_t along = wind->get_direction();
    along.y = 0;
    EXPECT_TRUE(vec_near(facing, normalized(along), TOL_TRIG)) << "it faces the wind";
    for (int i = 0; i < 5; ++i) ctrl()->update(1.0f);
    EXPECT_EQ(pole->get_current_animation(), flagpole_inst_u::ANIMATION_CALM) << "in view: no switch at the check";
    EXPECT_NEAR(pole->get_check_timer(), 4.0f, TOL_UNIT);

    v.frustum.update({8, 40, 8}, axis_angle({1, 0, 0}, 90));  // looking up, away
    for (int i = 0; i < 3; ++i) ctrl()->update(1.0f);
    EXPECT_EQ(pole->get_current_animation(), flagpole_inst_u::ANIMATION_CALM) << "not before the check";
    ctrl()->update(1.0f);
    EXPECT_EQ(pole->get_current_animation(), flagpole_inst_u::ANIMATION_WIND);

    ASSERT_TRUE(wind->set_value(&wind_u::unit_attributes[0], 0.0f));
    wind->reinitialise();
    for (int i = 0; i < 5; ++i) ctrl()->update(1.0f);
    EXPECT_EQ(pole->get_current_animation(), flagpole_inst_u::ANIMATION_CALM) << "calm again, out of view";
    pole->cleanup_unit();

    messages.clear();
    EXPECT_FALSE(load("flagpole_inst : .f { model_file: \"/map/model/rock/rock.ma\" }"));
    EXPECT_TRUE(messages.contains("Failed to load collision model for (/map/model/rock/rock.zmc)"));
}

}  // namespace
}  // namespace quarn::test

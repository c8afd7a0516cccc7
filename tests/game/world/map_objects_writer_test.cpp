// The map writer's object sections: start points, trails and the map's game units
// written from a description, dropped onto the ground, and read back by the game's
// classes; the sections' errors.
#include <gtest/gtest.h>

#include <string>

#include "map_objects.h"
#include "map_objects_fixture.h"
#include "support/math_compare.h"

namespace quarn::test {
namespace {

using map_objects_writer = map_objects_fixture_t;

// The slope (ground at x / 4 over 0..16) with one of each object.
std::string objects_map() {
    return map_slope_text() + R"(
def starts {
    def player { name: "PlayerStart.startPoint0" at: "8 8" facing: "1 0" view_limit: "70" }
    def deer { name: "AnimalStart.point1" category: "animal" at: "12 4" lift: "0.5" }
}
def trails {
    def walk {
        name: "slope.walk"
        points: "2 2, 10 2, 14 10"
        speed: "1.5 2 2.5"
        gait: "walk run leap"
    }
    def camera { name: "slope.camera" points: "0 0, 16 16" lift: "5 8" }
}
def objects {
    def oak { kind: "plant" name: "plant.oak" model: "/map/model/tree/oak.ma" collidable: "yes" instances: "2" }
    def rock { kind: "body" name: "body.rock" model: "/map/model/rock/rock.ma" }
    def oaks { kind: "place" of: "oak" at: "4 4, 12 12" scale: "1 1.5" yaw: "random" seed: "7" }
    def rocks { kind: "place" of: "rock" at: "8 14" yaw: "90" lift: "-0.25" }
    def brook { kind: "sound" file: "/sound/environment/brook.ogg" at: "6 10" volume: "0.7" max_range: "30" }
    def wind { kind: "sound" file: "/sound/environment/wind.ogg" at: "8 8" ambient: "yes" }
    def pond { kind: "area" at: "4 12" radius: "6" resource: "water" species: "deer" }
    def grass { kind: "area" at: "12 4" }
}
)";
}

TEST_F(map_objects_writer, the_three_files_load_with_every_position_on_the_ground) {
    write_fixture_models();
    ASSERT_TRUE(put_map(objects_map(), "objs"));

    ASSERT_TRUE(load_path("/map/objs/landscape.start.unit"));
    ASSERT_EQ(root_count(), 2u);
    const start_point_u *player = root<start_point_u>(0), *deer = root<start_point_u>(1);
    ASSERT_TRUE(player && deer);
    EXPECT_EQ(unit_system_t::find_unit("PlayerStart.startPoint0"), player);
    EXPECT_TRUE(vec_near(player->get_placement().position, vec3_t{8, 2, 8}, TOL_UNIT));
    EXPECT_TRUE(vec_near(player->get_placement().rotation.get_cartes(), vec3_t{1, 0, 0}, TOL_UNIT));
    EXPECT_EQ(player->get_category(), start_point_u::CATEGORY_hunter);
    EXPECT_FLOAT_EQ(player->get_view_limit(), 70.0f);
    EXPECT_EQ(deer->get_category(), start_point_u::CATEGORY_animal);
    EXPECT_TRUE(vec_near(deer->get_placement().position, vec3_t{12, 3.5f, 4}, TOL_UNIT));

    ASSERT_TRUE(load_path("/map/objs/landscape.trail.unit"));
    ASSERT_EQ(root_count(), 2u);
    const trail_u *walk = root<trail_u>(0), *camera = root<trail_u>(1);
    ASSERT_TRUE(walk && camera);
    ASSERT_EQ(walk->get_node_count(), 3u);
    EXPECT_TRUE(vec_near(walk->get_position(2), vec3_t{14, 3.5f, 10}, TOL_UNIT));
    EXPECT_FLOAT_EQ(walk->get_speed(1), 2.0f);
    EXPECT_EQ(walk->get_behavior(0), BEHAVIOR_walk);
    EXPECT_EQ(walk->get_behavior(2), BEHAVIOR_leap);
    EXPECT_TRUE(vec_near(walk->get_rotation(0).get_cartes(), normalized(vec3_t{8, 2, 0}), TOL_UNIT)) << "up the slope";
    EXPECT_TRUE(vec_near(camera->get_position(1), vec3_t{16, 12, 16}, TOL_UNIT)) << "lifted per point";
    EXPECT_FLOAT_EQ(camera->get_speed(0), 1.0f);

    ASSERT_TRUE(load_path("/map/objs/landscape.game.unit"));
    ASSERT_EQ(root_count(), 9u);
    const plant_desc_u *oak = root<plant_desc_u>(0);
    const body_desc_u *rock = root<body_desc_u>(1);
    ASSERT_TRUE(oak && rock);
    EXPECT_EQ(unit_system_t::find_unit("plant.oak"), oak);
    EXPECT_EQ(oak->get_instance_count(), 2u);
    EXPECT_NE(oak->get_collision(), nullptr);
    EXPECT_FALSE(rock->m_is_collidable);
    const plant_inst_u *a = root<plant_inst_u>(2), *b = root<plant_inst_u>(3);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->get_desc(), oak);
    EXPECT_TRUE(vec_near(b->get_placement().position, vec3_t{12, 3, 12}, TOL_UNIT));
    EXPECT_FLOAT_EQ(b->get_placement().scale, 1.5f);
    EXPECT_FALSE(quat_near(a->get_placement().rotation, b->get_placement().rotation, 0.01f)) << "random yaws";
    EXPECT_NEAR(a->get_placement().rotation.get_cartes().y, 0.0f, TOL_UNIT) << "turned about y only";
    const body_inst_u *r = root<body_inst_u>(4);
    ASSERT_NE(r, nullptr);
    EXPECT_TRUE(vec_near(r->get_placement().position, vec3_t{8, 1.75f, 14}, TOL_UNIT));
    EXPECT_TRUE(same_rotation(r->get_placement().rotation, axis_angle({0, 1, 0}, 90), TOL_UNIT));

    const sound_loop_u *brook = root<sound_loop_u>(5), *wind = root<sound_loop_u>(6);
    ASSERT_TRUE(brook && wind);
    EXPECT_STREQ(brook->m_sound_file.c_str(), "/sound/environment/brook.ogg");
    EXPECT_TRUE(vec_near(brook->m_placement.position, vec3_t{6, 2.5f, 10}, TOL_UNIT)) << "1 above the ground";
    EXPECT_FLOAT_EQ(brook->m_volume, 0.7f);
    EXPECT_FLOAT_EQ(brook->m_max_range, 30.0f);
    EXPECT_FALSE(brook->m_ambient);
    EXPECT_TRUE(wind->m_ambient);
    const attract_area_u *pond = root<attract_area_u>(7), *grass = root<attract_area_u>(8);
    ASSERT_TRUE(pond && grass);
    EXPECT_TRUE(vec_near(pond->get_centre(), vec3_t{4, 1, 12}, TOL_UNIT));
    EXPECT_FLOAT_EQ(pond->get_radius(), 6.0f);
    EXPECT_EQ(pond->get_resource_type(), ai_attract_area_t::WATER);
    EXPECT_EQ(pond->get_category(), 1);
    EXPECT_FLOAT_EQ(grass->get_radius(), 10.0f);
    EXPECT_EQ(grass->get_category(), ai_attract_area_t::ANY_CATEGORY);
    EXPECT_EQ(grass->get_resource_type(), ai_attract_area_t::FOOD);
}

TEST_F(map_objects_writer, the_ground_is_the_written_mesh_between_its_samples) {
    // A hill over a coarse grid: between samples the mesh, not the smooth height.
    const mapgen::map_source_t source = read_map(std::string(MAP_TERRAIN) + R"(
def landscape {
    area: "0 0 16 16"
    spacing: "8"
    material: "meadow"
    def heights { def hill { kind: "hill" centre: "8 8" radius: "8" height: "4" } }
}
)",
                                                 "hill");
    const mapgen::map_t &m = source.map;
    EXPECT_FLOAT_EQ(m.ground_at(8, 8), m.height_at(8, 8)) << "on a sample";
    // Cell (0, 0): corners a (0, 0), b (8, 0), c (0, 8), d (8, 8); the diagonal b-c.
    const float a = m.height_at(0, 0), b = m.height_at(8, 0), c = m.height_at(0, 8), d = m.height_at(8, 8);
    EXPECT_FLOAT_EQ(m.ground_at(2, 2), 0.5f * a + 0.25f * b + 0.25f * c) << "the first triangle";
    EXPECT_FLOAT_EQ(m.ground_at(6, 6), 0.5f * d + 0.25f * b + 0.25f * c) << "the second";
    EXPECT_NE(m.ground_at(6, 6), m.height_at(6, 6));
    EXPECT_FLOAT_EQ(m.ground_at(16, 16), m.height_at(16, 16)) << "the far corner";
    EXPECT_FLOAT_EQ(m.ground_at(40, -3), m.height_at(16, 0)) << "beyond the terrain: its edge";
}

TEST(map_object_sections, faults_are_reported_with_their_place_and_nothing_is_written) {
    struct case_t {
        const char *what;
        const char *section;
        const char *message;
    } cases[] = {
        {"no name", "def starts { def p { at: \"1 1\" } }", "'p' has no 'name'"},
        {"a bad name", "def starts { def p { name: \"a.thirteenchars\" at: \"1 1\" } }", "is no unit name"},
        {"off the terrain", "def starts { def p { name: \"p\" at: \"40 1\" } }", "lies off the terrain"},
        {"two points", "def starts { def p { name: \"p\" at: \"1 1 2 2\" } }", "a start point stands at one point"},
        {"names twice, any case",
         "def trails { def a { name: \"t.a\" points: \"1 1 2 2\" } def b { name: \"T.A\" points: \"1 1 2 2\" } }",
         "the unit name 'T.A' is given twice"},
        {"one point", "def trails { def a { name: \"t\" points: \"1 1\" } }", "a trail needs two points at least"},
        {"points on one another", "def trails { def a { name: \"t\" points: \"1 1, 3 3, 3 3\" } }",
         "points 1 and 2 of the trail lie on one another"},
        {"a gait", "def trails { def a { name: \"t\" points: \"1 1 2 2\" gait: \"trot\" } }", "'trot' is no gait"},
        {"speeds", "def trails { def a { name: \"t\" points: \"1 1 2 2\" speed: \"1 2 3\" } }",
         "'speed' needs one number or one a point (2), not 3"},
        {"a kind", "def objects { def a { kind: \"tree\" } }", "'tree' is no kind of object"},
        {"a place of nothing", "def objects { def a { kind: \"place\" of: \"oak\" at: \"1 1\" } }",
         "no body or plant 'oak' is given before"},
        {"scale 0",
         "def objects { def oak { kind: \"plant\" name: \"p\" model: \"/m.ma\" }"
         " def a { kind: \"place\" of: \"oak\" at: \"1 1\" scale: \"0\" } }",
         "'scale' must be above 0"},
        {"a model path", "def objects { def oak { kind: \"body\" name: \"b\" model: \"m.ma\" } }",
         "'model' needs a path that begins with '/'"},
        {"ranges", "def objects { def s { kind: \"sound\" file: \"/s.ogg\" at: \"1 1\" min_range: \"30\" } }",
         "'min_range' lies beyond 'max_range'"},
        {"a species", "def objects { def a { kind: \"area\" at: \"1 1\" species: \"wolf\" } }",
         "'wolf' is no species"},
        {"an unknown key", "def objects { def a { kind: \"area\" at: \"1 1\" size: \"3\" } }", "size"},
    };
    message_capture_t log;
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.what);
        log.clear();
        mapgen::map_source_t source;
        EXPECT_FALSE(mapgen::map_read_description_text(map_slope_text() + c.section, "faults", source));
        EXPECT_TRUE(log.contains(c.message));
        EXPECT_TRUE(log.contains("[mapgen] faults:")) << "the place of the fault";
    }
}

}  // namespace
}  // namespace quarn::test

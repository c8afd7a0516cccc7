// The world unit: its physics set-up, map loading and start points.
#include <gtest/gtest.h>

#include <algorithm>

#include "game/visuals/physics/physics_scene.h"
#include "game/visuals/physics/physics_server.h"
#include "game/world/landscape.h"
#include "kernel/console/cvars.h"
#include "kernel/gfx/debug_lines.h"
#include "game/visuals/physics/physics_shape.h"
#include "world_unit_fixture.h"

namespace quarn::test {
namespace {

class world_test : public world_unit_fixture_t {};

// Two plants and a rock on the slope, two attraction areas between them.
std::string objects_map() {
    return map_slope_text() + R"(
def objects {
    def oak { kind: "plant" name: "plant.oak" model: "/map/model/tree/oak.ma" collidable: "yes" }
    def rock { kind: "body" name: "body.rock" model: "/map/model/rock/rock.ma" }
    def area1 { kind: "area" at: "4 12" radius: "6" resource: "water" }
    def oaks { kind: "place" of: "oak" at: "4 4, 12 12" }
    def rocks { kind: "place" of: "rock" at: "8 14" }
    def area2 { kind: "area" at: "12 4" }
}
def trails {
    def t { name: "trail.one" points: "2 2, 14 2" }
}
def starts {
    def p { name: "start.player" at: "8 8" }
}
)";
}

TEST_F(world_test, the_physics_set_up_gives_the_group_table_the_frictions_and_the_step) {
    world_u *w = make_world();
    physics_scene_t *scene = w->get_physics_scene();
    ASSERT_NE(scene, nullptr);
    // Row a, column b: whether groups a and b collide.
    static const char *const golden[32] = {
        "11111111111011111111111111111111", "11100011000111111111111111111111", "11111111110011111111111111111111",
        "10111111110011111111111111111111", "10111110100011111111111111111111", "10111011110011111111111111111111",
        "11111111110011111111111111111111", "11110111110011111111111111111111", "10111111110011111111111111111111",
        "10110111110011111111111111111111", "10000000000000000000000000000000", "01000000000000000000000000000000",
        "11111111110011111111111111111111", "11111111110011111111111111111111", "11111111110011111111111111111111",
        "11111111110011111111111111111111", "11111111110011111111111111111111", "11111111110011111111111111111111",
        "11111111110011111111111111111111", "11111111110011111111111111111111", "11111111110011111111111111111111",
        "11111111110011111111111111111111", "11111111110011111111111111111111", "11111111110011111111111111111111",
        "11111111110011111111111111111111", "11111111110011111111111111111111", "11111111110011111111111111111111",
        "11111111110011111111111111111111", "11111111110011111111111111111111", "11111111110011111111111111111111",
        "11111111110011111111111111111111", "11111111110011111111111111111111"};
    for (int a = 0; a < 32; ++a) {
        std::string row;
        for (int b = 0; b < 32; ++b) row += scene->get_pair_collides(a, b) ? '1' : '0';
        EXPECT_EQ(row, golden[a]) << "group " << a;
    }
    const float frictions[6] = {10.0f, 1.0f, 50.0f, 100.0f, 0.0f, 0.0f};
    for (int m = 0; m < 6; ++m) {
        EXPECT_FLOAT_EQ(scene->get_material(m)->friction, frictions[m]) << m;
        EXPECT_FLOAT_EQ(scene->get_material(m)->bounce, 0.0f) << m;
    }
    EXPECT_FLOAT_EQ(scene->get_step_time(), 1.0f / 20.0f);
    EXPECT_FLOAT_EQ(scene->get_gravity().y, -9.81f);
    EXPECT_FLOAT_EQ(scene->get_scale(), 1.0f);
    EXPECT_EQ(scene->get_debug_draw_mode(), 1);
}

TEST_F(world_test, two_worlds_live_at_once_and_the_global_server_follows_the_live_ones) {
    owner_ptr_t<world_u> older(world_u::create());
    owner_ptr_t<world_u> newer(world_u::create());
    EXPECT_NE(older->get_physics_server(), newer->get_physics_server());
    EXPECT_EQ(physics_server_t::get_global(), newer->get_physics_server());
    older.reset();
    unit_system_t::clean_garbage();
    EXPECT_EQ(physics_server_t::get_global(), newer->get_physics_server());
    newer->update(0.1f);  // steps its own scene
    newer.reset();
    unit_system_t::clean_garbage();
    EXPECT_EQ(physics_server_t::get_global(), &server) << "the fixture's server is the one left";
}

TEST_F(world_test, collision_shapes_near_the_camera_are_drawn_only_with_g_colbox) {
    ASSERT_TRUE(put_map(map_slope_text(), "bare"));
    world_u *w = make_world();
    w->load("/map/bare/");
    physics_scene_t *scene = w->get_physics_scene();
    physics_shape_t *near = scene->create_shape(), *far = scene->create_shape();
    const physics_pose_t near_at({4, 1, 4}, quat_t()), far_at({4, 1, 60}, quat_t());
    ASSERT_TRUE(near->create_box(nullptr, {1, 1, 1}, &near_at));
    ASSERT_TRUE(far->create_box(nullptr, {1, 1, 1}, &far_at));
    view_at({4, 2, 8});
    cvar_t colbox{"g_colbox", "0"};
    cvar_register_variable(&colbox);
    debug_lines_flush(nullptr);
    w->draw();
    EXPECT_EQ(debug_lines_count(), 0u) << "g_colbox 0: the landscape only";
    colbox.set_value_text("1");
    w->draw();
    EXPECT_EQ(debug_lines_count(), 12u) << "the near box's edges; the far one is beyond 30";
    debug_lines_flush(nullptr);
    cvar_unregister_variable(&colbox);
    delete near;
    delete far;
}

TEST_F(world_test, a_folder_without_game_units_gives_terrain_and_no_message) {
    ASSERT_TRUE(put_map(map_slope_text(), "bare"));
    messages.clear();
    world_u *w = make_world();
    w->load("/map/bare/");
    EXPECT_EQ(w->get_landscape()->get_chunk_count(), 4u);
    EXPECT_EQ(w->get_game_unit_count(), 0u);
    EXPECT_EQ(w->get_attract_areas().get_area_count(), 0u);
    EXPECT_EQ(messages.texts(message_t::ERROR), std::vector<std::string>{});
    EXPECT_EQ(messages.texts(message_t::WARNING), std::vector<std::string>{});
}

TEST_F(world_test, attraction_areas_move_out_of_the_game_units_and_the_rest_keep_their_order) {
    write_fixture_models();
    world_u *w = load_world(objects_map(), "objs");
    ASSERT_EQ(w->get_attract_areas().get_area_count(), 2u);
    EXPECT_EQ(w->get_attract_areas().get_unit(0)->get_resource_type(), attract_area_u::RESOURCE_TYPE_water);
    EXPECT_EQ(w->get_attract_areas().get_unit(1)->get_resource_type(), attract_area_u::RESOURCE_TYPE_food);
    // The file: descriptions, placements, (areas); then the trail file.
    std::vector<std::string> types;
    for (uint32_t i = 0; i < w->get_game_unit_count(); ++i)
        types.push_back(w->get_game_unit(i)->get_descriptor()->class_name->c_str());
    EXPECT_EQ(types, (std::vector<std::string>{"plant_desc", "body_desc", "plant_inst", "plant_inst", "body_inst",
                                               "trail"}));
    EXPECT_EQ(messages.texts(message_t::ERROR), std::vector<std::string>{});
}

TEST_F(world_test, a_second_load_replaces_the_first) {
    write_fixture_models();
    world_u *w = load_world(objects_map(), "objs");
    const uint32_t units = w->get_game_unit_count();
    w->load("/map/objs/");
    EXPECT_EQ(w->get_game_unit_count(), units);
    EXPECT_EQ(w->get_attract_areas().get_area_count(), 2u);
    uint32_t plants = 0;
    for (uint32_t c = 0; c < w->get_landscape()->get_chunk_count(); ++c)
        plants += w->get_landscape()->get_chunk(c)->get_plant_count();
    EXPECT_EQ(plants, 2u);
}

TEST_F(world_test, a_copy_is_a_fresh_world) {
    write_fixture_models();
    world_u *w = load_world(objects_map(), "objs");
    owner_ptr_t<world_u> copy(unit_cast<world_u>(w->clone()));
    ASSERT_TRUE(copy);
    EXPECT_NE(copy->get_physics_server(), w->get_physics_server());
    EXPECT_NE(copy->get_landscape(), w->get_landscape());
    EXPECT_EQ(copy->get_landscape()->get_chunk_count(), 0u);
    EXPECT_EQ(copy->get_game_unit_count(), 0u);
    EXPECT_EQ(copy->get_attract_areas().get_area_count(), 0u);
    EXPECT_FLOAT_EQ(copy->get_physics_scene()->get_material(3)->friction, 100.0f);
}

TEST_F(world_test, unit_files_that_fail_stop_the_load_with_their_message) {
    ASSERT_TRUE(put_map(map_slope_text(), "broken"));
    put_text("broken/landscape.game.unit", "RozErere\n{\n  nonsense\n");
    messages.clear();
    make_world()->load("/map/broken/");
    EXPECT_TRUE(messages.contains("Failed to load game units."));
    EXPECT_EQ(world->get_game_unit_count(), 0u);

    put_text("broken/landscape.game.unit", "RozErere\n{\n}\n");
    put_text("broken/landscape.trail.unit", "RozErere\n{\n  nonsense\n");
    messages.clear();
    make_world()->load("/map/broken/");
    EXPECT_TRUE(messages.contains("Failed to load trail units."));
}

TEST_F(world_test, a_failing_unit_init_empties_the_units_and_logs_once) {
    ASSERT_TRUE(put_map(map_slope_text(), "noisy"));
    // A sound loop cannot start without the sound front-end's sounds.
    put_text("noisy/landscape.game.unit",
             "RozErere\n{\nsound_loop : loop.one { sound_file: \"/sound/missing.ogg\" }\n}\n");
    put_text("noisy/landscape.trail.unit", "RozErere\n{\n}\n");
    messages.clear();
    world_u *w = make_world();
    w->load("/map/noisy/");
    EXPECT_EQ(w->get_game_unit_count(), 0u);
    const auto errors = messages.texts(message_t::ERROR);
    EXPECT_EQ(std::count_if(errors.begin(), errors.end(),
                            [](const std::string &t) {
                                return t.find("Failed to initialize world units.") != std::string::npos;
                            }),
              1);
}

TEST_F(world_test, a_body_outside_every_chunk_is_warned_with_its_name) {
    write_fixture_models();
    ASSERT_TRUE(put_map(map_slope_text(), "edge"));
    put_text("edge/landscape.game.unit",
             "RozErere\n{\nbody_desc : rock.desc { model_file: \"/map/model/rock/rock.ma\" }\n"
             "body_inst : rock.far { body_desc: rock.desc placement: (100, 0, 100) 1 (1; 0, 0, 0) }\n}\n");
    put_text("edge/landscape.trail.unit", "RozErere\n{\n}\n");
    messages.clear();
    world_u *w = make_world();
    w->load("/map/edge/");
    ASSERT_EQ(w->get_game_unit_count(), 2u) << "the body stays with the world";
    // Instances are units without a name of their own: the warning names what the
    // unit system calls them.
    const std::string name = w->get_game_unit(1)->name_text().c_str();
    EXPECT_TRUE(messages.contains("failed to add unit (" + name + ") to any chunk"));
}

TEST_F(world_test, start_points_are_taken_from_the_start_file) {
    write_fixture_models();
    ASSERT_TRUE(put_map(objects_map(), "objs"));
    array_dyn_t<owner_ptr_t<unit_base_t>> starts;
    ASSERT_TRUE(load_start_points(starts, "objs"));
    ASSERT_EQ(starts.get_count(), 1u);
    EXPECT_STREQ(starts[0]->name_text().c_str(), "start.player");

    // A start file holding no start point: true and nothing.
    put_text("trailonly/landscape.start.unit", "RozErere\n{\ntrail : lonely.trail { }\n}\n");
    EXPECT_TRUE(load_start_points(starts, "trailonly"));
    EXPECT_EQ(starts.get_count(), 0u);

    messages.clear();
    EXPECT_FALSE(load_start_points(starts, "nowhere"));
    EXPECT_TRUE(messages.entries().empty());
    put_text("broken/landscape.start.unit", "RozErere\n{\n  start_point\n");
    EXPECT_FALSE(load_start_points(starts, "broken"));
    EXPECT_TRUE(messages.contains("Failed to load start positions."));
}

TEST_F(world_test, extracting_keeps_the_order_of_both_arrays) {
    write_fixture_models();
    ASSERT_TRUE(put_map(objects_map(), "objs"));
    ASSERT_TRUE(load_path("/map/objs/landscape.game.unit"));
    array_dyn_t<owner_ptr_t<unit_base_t>> source, dest;
    for (uint32_t i = 0; i < root_count(); ++i) source.append(owner_ptr_t<unit_base_t>(loader->take_root(i)));
    // Descriptions are bodies' bases: plant_desc_u is a body_desc_u.
    extract_units_of_type(dest, source, body_desc_u::unit_descriptor);
    ASSERT_EQ(dest.get_count(), 2u);
    EXPECT_STREQ(dest[0]->name_text().c_str(), "plant.oak");
    EXPECT_STREQ(dest[1]->name_text().c_str(), "body.rock");
    std::vector<std::string> rest;
    for (const auto &u : source) rest.push_back(u->get_descriptor()->class_name->c_str());
    EXPECT_EQ(rest,
              (std::vector<std::string>{"plant_inst", "plant_inst", "body_inst", "attract_area", "attract_area"}));
    extract_units_of_type(dest, source, trail_u::unit_descriptor);
    EXPECT_EQ(dest.get_count(), 2u);
    EXPECT_EQ(source.get_count(), 5u);
}

}  // namespace
}  // namespace quarn::test

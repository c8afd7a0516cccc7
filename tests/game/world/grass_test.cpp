// Grass: the grid, the density rules, the sets' and kinds' load checks, obstacles, the
// cell cache and its limits, drawing and the density setting, on maps mapgen writes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

#include "game/ctrl/ctrl_parts.h"
#include "game/scene/scene_view.h"
#include "game/world/landscape.h"
#include "grass_fixture.h"
#include "map_builder.h"
#include "qrncore/qrnutils/substance/substance_db.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "support/test_paths.h"
#include "support/math_compare.h"

namespace quarn::test {
namespace {

class grass_test : public grass_fixture_t {
protected:
    // Plants of one cell by their first vertex (the tuft's blade stands on its origin).
    std::vector<vec3_t> plant_positions(const grass_cell_u *cell, uint32_t vertices_a_plant = 4) {
        std::vector<vec3_t> out;
        for (uint32_t v = 0; v < cell->get_vertex_count(); v += vertices_a_plant)
            out.push_back(cell->get_vertex(v).position);
        return out;
    }
    grass_cell_u *generate_at(const vec3_t &viewer, int32_t x, int32_t z) {
        grass->update_cells(viewer);
        return grass->find_cell(x, z);
    }
};

TEST(grass_grid, cell_indices_boxes_and_reach) {
    struct row_t {
        float x;
        int32_t cell;
    };
    // Truncating division: cell 0 reaches from -29 up to 30.
    for (const row_t &r : {row_t{-20.0f, 0}, row_t{20.0f, 0}, row_t{30.0f, 1}, row_t{29.9f, 0}, row_t{-29.0f, 0},
                           row_t{-29.5f, -1}, row_t{-59.0f, -1}, row_t{-60.0f, -2}, row_t{61.0f, 2}})
        EXPECT_EQ(grass_u::cell_index(r.x), r.cell) << r.x;
    const aabox_t box = grass_u::cell_box(0, 0);
    EXPECT_EQ(box.min.x, -15.0f);
    EXPECT_EQ(box.max.x, 15.0f);
    EXPECT_EQ(box.min.y, -4999.5f);
    EXPECT_EQ(grass_u::cell_box(-1, 2).get_center().z, 60.0f);
    for (const vec3_t &v : {vec3_t{NAN, 0, 0}, vec3_t{0, INFINITY, 0}, vec3_t{0, 0, -2e9f}})
        EXPECT_FALSE(grass_u::viewer_usable(v));
    EXPECT_TRUE(grass_u::viewer_usable({-1e6f, 1e6f, 1e6f}));
    // Seeds: the bit pattern of x × 30 + z; 0 (which would draw only zeros) the
    // generator's default.
    EXPECT_EQ(grass_cell_u::seed_of(-1, 1), uint32_t(-29));
    EXPECT_EQ(grass_cell_u::seed_of(2, 3), 63u);
    EXPECT_EQ(grass_cell_u::seed_of(0, 0), grass_cell_u::DEFAULT_SEED);
    EXPECT_EQ(grass_cell_u::seed_of(1, -30), grass_cell_u::DEFAULT_SEED);
}

TEST_F(grass_test, density_follows_tilt_distance_and_setting) {
    owner_ptr_t<grass_property_u> p(grass_property_u::create());
    p->m_seed_range = 1.0f;  // 90 degrees after the load
    const vec3_t up{0, 1, 0}, side{1, 0, 0};
    struct row_t {
        const char *what;
        vec3_t normal;
        float distance;
        float setting;
        float density;
    };
    const float f10 = ((1.0f - 100.0f / 22500.0f) * 0.8f + 0.2f) * 2.0f;
    const float f16 = (1.0f - 256.0f / 22500.0f) * 0.8f + 0.2f;
    for (const row_t &r : {
             row_t{"a vertical face (tilt 1)", side, 0.0f, 1.0f, 0.0f},
             row_t{"a flat face at the viewer (doubled)", up, 0.0f, 1.0f, 10.0f},
             row_t{"10 units away", up, 10.0f, 1.0f, 5.0f * f10},
             row_t{"16 units away", up, 16.0f, 1.0f, 5.0f * f16},
             row_t{"at half the setting", up, 16.0f, 0.5f, 2.5f * f16},
             row_t{"facing down (tilt 2)", vec3_t{0, -1, 0}, 0.0f, 1.0f, 0.0f},
             row_t{"setting 0", up, 0.0f, 0.0f, 0.0f},
             row_t{"setting NaN", up, 0.0f, NAN, 0.0f},
         }) {
        EXPECT_NEAR(p->density_at(r.normal, r.distance * r.distance, r.setting), r.density, 1e-4f) << r.what;
    }
    // 10 units away doubles what 16 units away gets, besides the falloff.
    EXPECT_NEAR(p->density_at(up, 100.0f, 1.0f) / p->density_at(up, 256.0f, 1.0f), 2.0f * f10 / 2.0f / f16, 1e-5f);
    // Half the tilt of the range loses half the density range.
    EXPECT_NEAR(p->density_at(vec3_t{std::sqrt(0.75f), 0.5f, 0}, 0.0f, 0.5f), 2.5f * 1.0f, 1e-4f);
}

TEST_F(grass_test, the_carried_part_gives_small_triangles_plants) {
    owner_ptr_t<grass_property_u> p(grass_property_u::create());
    // 0.3 plants a triangle: one on every third or fourth.
    std::string counts;
    for (int i = 0; i < 10; ++i) counts += char('0' + p->take_count(3.0f, 0.1f));
    EXPECT_EQ(counts, "0001001001");
    EXPECT_NEAR(p->carry, 0.0f, 1e-5f);
    // A count beyond any batch: capped, nothing carried on.
    p->carry = 0.5f;
    EXPECT_EQ(p->take_count(1e30f, 10.0f), grass_property_u::MAX_PLANTS);
    EXPECT_EQ(p->carry, 0.0f);
    EXPECT_EQ(p->take_count(INFINITY, 1.0f), grass_property_u::MAX_PLANTS);
    EXPECT_EQ(p->take_count(NAN, 1.0f), 0u);
    EXPECT_EQ(p->carry, 0.0f);
}

TEST_F(grass_test, flat_ground_grows_the_kinds_of_its_substance_only) {
    ASSERT_TRUE(load_grass(grass_map(tuft_kind("g", "grass", "blade", "density: \"1\" density_range: \"1\"") +
                                     tuft_kind("s", "sand", "blade")),
                           "flat"));
    // The map's terrain has no sand: one set, one template.
    ASSERT_EQ(grass->get_set_count(), 1u);
    EXPECT_EQ(grass->get_set(0)->get_substance_index(), 5);
    EXPECT_EQ(grass->m_models.get_count(), 1u);
    // In the scene's update list, drawn with its first camera, its fog, its second
    // light and a model packet of its own.
    EXPECT_TRUE(grass->is_listed());
    ctrl()->apply_list_changes();
    const updatable_t *listed = grass.get();
    EXPECT_TRUE(ctrl()->get_update_list().contains(listed));
    EXPECT_EQ(grass->get_packets().get(FW_SLOT_CAMERA), ctrl()->get_camera_packet(0));
    EXPECT_EQ(grass->get_packets().get(FW_SLOT_FOG), ctrl()->get_fog_packet());
    EXPECT_EQ(grass->get_packets().get(FW_SLOT_LIGHT), ctrl()->get_light_packet(1));
    EXPECT_EQ(grass->get_packets().get(FW_SLOT_MODEL), grass->get_own_packet());

    grass_cell_u *cell = generate_at({0, 0, 0}, 0, 0);
    ASSERT_NE(cell, nullptr);
    ASSERT_EQ(cell->get_batch_count(), 1u);
    EXPECT_TRUE(vec_near(cell->get_mean_normal(), vec3_t{0, 1, 0}, 1e-4f));
    // 900 square units, density 1 times the falloff (doubled within 15 units).
    const uint32_t plants = cell->get_vertex_count() / 4;
    EXPECT_GT(plants, 900u);
    EXPECT_LT(plants, 1800u);
    // On the triangles whose centroids lie in the box (x and z -15..15): the ground's
    // squares are 4 wide from -32, so they reach to 16.
    for (const vec3_t &p : plant_positions(cell)) {
        EXPECT_LE(std::fabs(p.x), 16.02f);
        EXPECT_LE(std::fabs(p.z), 16.02f);
        EXPECT_NEAR(p.y, 0.0f, 0.02f);
    }
    const grass_cell_u::batch_t &b = cell->get_batch(0);
    EXPECT_EQ(b.vertex_count, cell->get_vertex_count());
    EXPECT_EQ(b.index_count, plants * 6);
    EXPECT_NE(cell->get_vertex_buffer(), nullptr);
    EXPECT_NE(cell->get_index_buffer(), nullptr);
    EXPECT_GT(cell->get_sphere().radius, 14.0f);
    // Grey levels lit by the ground: the tint's blue 0x80 caps at half, so k = 1.
    const uint32_t c = cell->get_vertex(0).colour;
    EXPECT_EQ(c >> 24, 0xFFu);
    EXPECT_GE((c >> 16) & 0xFF, 119u * 203u / 255u);
    EXPECT_LE((c >> 16) & 0xFF, 128u * 203u / 255u);

    // Gone: it leaves the list.
    grass.reset();
    ctrl()->apply_list_changes();
    EXPECT_FALSE(ctrl()->get_update_list().contains(listed));
}

// The ground's colour lights what grows and stands on it by one byte, its red: on flat
// ground tinted red 0x20, blue 0x60 (below the cap of one half), the grass and a bush
// take the light of red 0x20.
TEST_F(grass_test, grass_and_plants_take_their_light_from_the_grounds_red) {
    write_fixture_models();
    const std::string map = std::string(MAP_TERRAIN) + R"(
def landscape {
    area: "-32 -32 32 32"
    chunks: "2 2"
    spacing: "4"
    material: "meadow"
    tint: "0xFF204060"
}
def grass {
)" + tuft_kind("g", "grass", "blade", "density: \"0.2\" density_range: \"0.2\"") + R"(
}
def objects {
    def bush { kind: "plant" name: "plant.bush" model: "/map/model/bush/bush.ma" }
    def bushes { kind: "place" of: "bush" at: "8 8" }
}
def trails {
    def t { name: "trail.tinted" points: "2 2, 14 2" }
}
)";
    ASSERT_TRUE(load_grass(map, "tinted"));
    EXPECT_EQ(messages.texts(message_t::WARNING), std::vector<std::string>{});
    const float k = 2.0f * 0x20 / 255.0f;  // the red's share of full light

    ground_probe_t probe;
    ASSERT_TRUE(world->get_ground_probe(probe, {8, 1, 8}));
    EXPECT_EQ(probe.ground_colour[0], 0x20u);
    EXPECT_EQ(probe.ground_colour[2], 0x60u);
    landscape_chunk_u *chunk = nullptr;
    for (uint32_t c = 0; c < world->get_landscape()->get_chunk_count() && !chunk; ++c)
        if (world->get_landscape()->get_chunk(c)->get_plant_count() > 0) chunk = world->get_landscape()->get_chunk(c);
    ASSERT_NE(chunk, nullptr);
    const float d = (k + 0.2f) * 0.8333333f;  // the sun's factor at base 1 is 1
    EXPECT_NEAR(chunk->get_plant(0)->get_light(), d + 0.3f * (1.0f - d), 1e-5f);

    grass_cell_u *cell = generate_at({0, 0, 0}, 0, 0);
    ASSERT_NE(cell, nullptr);
    ASSERT_GT(cell->get_vertex_count(), 0u);
    // Grey levels of 119 to 127, times the light 25.5 (1 - k) + 204 k over 255.
    const uint32_t light = uint32_t(25.5f * (1.0f - k) + 204.0f * k);
    for (uint32_t v = 0; v < cell->get_vertex_count(); v += 4)
        for (int shift : {0, 8, 16}) {
            const uint32_t level = (cell->get_vertex(v).colour >> shift) & 0xFFu;
            EXPECT_GE(level, 119u * light / 255u) << v;
            EXPECT_LE(level, 127u * light / 255u) << v;
        }
}

TEST_F(grass_test, the_same_terrain_viewer_and_carry_give_the_same_cell) {
    const std::string map = grass_map(tuft_kind("g", "grass", "blade", "density: \"0.2\" density_range: \"0.2\""));
    ASSERT_TRUE(load_grass(map, "same"));
    // A cell at negative indices: its seed is the bit pattern of -29.
    grass_cell_u *cell = generate_at({-20, 0, 20}, -1, 1);
    ASSERT_NE(cell, nullptr);
    auto summary = [](const grass_cell_u *c) {
        double sum = 0;
        for (uint32_t v = 0; v < c->get_vertex_count(); ++v) {
            const vec3_t &p = c->get_vertex(v).position;
            sum += p.x + 2.0 * p.y + 3.0 * p.z;
        }
        return std::make_pair(c->get_vertex_count(), std::round(sum * 100) / 100);
    };
    const auto first = summary(cell);
    EXPECT_GT(first.first, 0u);
    ASSERT_TRUE(reload_grass("same"));
    EXPECT_EQ(summary(generate_at({-20, 0, 20}, -1, 1)), first);
}

TEST_F(grass_test, update_cells_makes_the_cells_within_reach_and_caches_242) {
    ASSERT_TRUE(load_grass(grass_map(tuft_kind("g", "grass", "blade", "density: \"0.01\" density_range: \"0.01\"")),
                           "reach"));
    grass->update_cells({0, 0, 0});
    // Within 5 cells and 153 units: (5, 1) at 152.97, not (5, 2) at 158.1.
    EXPECT_EQ(grass->get_cell_count(), 89u);
    struct row_t {
        int32_t x, z;
        bool kept;
    };
    for (const row_t &r : {row_t{5, 1, true}, row_t{5, 2, false}, row_t{4, 3, true}, row_t{4, 4, false},
                           row_t{-5, -1, true}, row_t{0, -5, true}, row_t{6, 0, false}})
        EXPECT_EQ(grass->find_cell(r.x, r.z) != nullptr, r.kept) << r.x << " " << r.z;
    grass_cell_u *origin = grass->find_cell(0, 0);
    grass->update_cells({1, 0, 1});
    EXPECT_EQ(grass->find_cell(0, 0), origin) << "kept cells are not made again";

    // A second viewer far off: 89 more. The first viewer again: its cells are the
    // most recently used. A third: 267 cells, so the 25 least recently used (of the
    // second viewer) go.
    grass->update_cells({3000, 0, 0});
    ASSERT_EQ(grass->get_cell_count(), 178u);
    const int32_t second_first_x = grass->get_cell(89)->get_x(), second_first_z = grass->get_cell(89)->get_z();
    grass->update_cells({0, 0, 0});
    grass->update_cells({-3000, 0, 0});
    EXPECT_EQ(grass->get_cell_count(), grass_u::MAX_CELLS);
    EXPECT_EQ(grass->find_cell(0, 0), origin);
    EXPECT_EQ(grass->find_cell(second_first_x, second_first_z), nullptr);
    EXPECT_NE(grass->find_cell(100, 0), nullptr);

    // A viewer whose cell cannot be told changes nothing.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    grass->release_cells();
    for (const vec3_t &v : {vec3_t{nan, 0, 0}, vec3_t{0, 0, INFINITY}, vec3_t{3e9f, 0, 0}}) grass->update_cells(v);
    EXPECT_EQ(grass->get_cell_count(), 0u);
}

// The menu's and the screensaver's camera: the grass grows around it at the first
// frame, then only where it moves. A camera standing still asks nothing more (seen
// here by taking its cells away: no frame grows them again); one that could not grow
// yet (the setting at 0) asks again each frame.
TEST_F(grass_test, a_controllers_camera_grows_the_grass_once_where_it_stands) {
    ASSERT_TRUE(load_grass(grass_map(tuft_kind("g", "grass", "blade", "density: \"0.01\" density_range: \"0.01\"")),
                           "camera"));
    struct view_t : scene_view_t {
        placement_t get_placement() const override { return placement; }
        placement_t placement;
    } view;
    view.placement.position = {0, 2, 0};
    EXPECT_TRUE(grass_grow_around(grass.get(), &view));
    EXPECT_EQ(grass->get_cell_count(), 89u);
    grass->release_cells();
    for (int frame = 0; frame < 5; ++frame) EXPECT_FALSE(grass_grow_around(grass.get(), &view)) << frame;
    EXPECT_EQ(grass->get_cell_count(), 0u);
    view.placement.position = {1, 2, 1};
    EXPECT_TRUE(grass_grow_around(grass.get(), &view));
    const uint32_t moved = grass->get_cell_count();
    EXPECT_GT(moved, 80u);

    density_variable.set("0");
    ASSERT_TRUE(reload_grass("camera"));
    EXPECT_TRUE(grass_grow_around(grass.get(), &view));
    EXPECT_TRUE(grass_grow_around(grass.get(), &view)) << "nothing grown yet: asked again";
    density_variable.set("1");
    EXPECT_TRUE(grass_grow_around(grass.get(), &view));
    EXPECT_EQ(grass->get_cell_count(), moved);
    EXPECT_FALSE(grass_grow_around(grass.get(), &view));

    EXPECT_FALSE(grass_grow_around(nullptr, &view));
    EXPECT_FALSE(grass_grow_around(grass.get(), nullptr));
}

TEST_F(grass_test, density_zero_generates_and_draws_nothing_and_a_change_regenerates) {
    ASSERT_TRUE(load_grass(grass_map(tuft_kind("g", "grass", "blade", "density: \"0.5\" density_range: \"0.5\"")),
                           "setting"));
    view_at({0, 2, 0});
    density_variable.set("0");
    grass->update_cells({0, 0, 0});
    EXPECT_EQ(grass->get_cell_count(), 0u);
    density_variable.set("1");
    grass->update_cells({0, 0, 0});
    const uint32_t at_one = grass->find_cell(0, 0)->get_vertex_count();
    grass->draw();
    EXPECT_TRUE(grass->find_cell(0, 0)->is_drawn());

    density_variable.set("0");
    grass->draw();
    EXPECT_FALSE(grass->find_cell(0, 0)->is_drawn());

    // A change: every cell goes and the draw makes them anew around the last viewer.
    density_variable.set("0.5");
    grass_set_density_changed();
    grass->draw();
    EXPECT_FALSE(grass_density_change_pending());
    ASSERT_NE(grass->find_cell(0, 0), nullptr);
    EXPECT_EQ(grass->get_cell_count(), 89u);
    EXPECT_LT(grass->find_cell(0, 0)->get_vertex_count(), at_one * 3 / 4);
    EXPECT_TRUE(grass->find_cell(0, 0)->is_drawn());

    // Turned off: the change throws the cells away and makes none.
    density_variable.set("0");
    grass_set_density_changed();
    grass->draw();
    EXPECT_EQ(grass->get_cell_count(), 0u);
}

TEST_F(grass_test, cells_are_drawn_when_in_view) {
    ASSERT_TRUE(load_grass(grass_map(tuft_kind("g", "grass", "blade", "density: \"0.05\" density_range: \"0.05\"")),
                           "view"));
    grass->update_cells({0, 2, 0});
    // Looking along -z from the origin.
    movable_view_t &v = ctrl()->view;
    v.has_frustum = true;
    v.placement.position = {0, 2, 0};
    v.frustum = frustum_t(60.0f, 0.75f, 0.5f, 500.0f);
    v.frustum.update(v.placement.position, quat_t());
    grass->draw();
    EXPECT_TRUE(grass->find_cell(0, -1)->is_drawn());
    EXPECT_FALSE(grass->find_cell(0, 1)->is_drawn());
    EXPECT_FALSE(grass->find_cell(0, -3)->is_drawn()) << "no terrain, no plants, nothing to draw";
    // A broken camera draws nothing.
    v.placement.position = {NAN, 0, 0};
    grass->draw();
    EXPECT_FALSE(grass->find_cell(0, -1)->is_drawn());
}

TEST_F(grass_test, sets_and_kinds_check_themselves_at_load) {
    load_world(grass_map(""), "checks");
    struct row_t {
        const char *what;
        const char *set;
        const char *property;
        bool loads;
        const char *message;
    };
    const std::string model = "model_template : .m { model_desc: \"/map/model/grass/tuft.zmd\" }\n";
    for (const row_t &r : {
             row_t{"unknown substance", "substance: \"lava\"", "model_part_name: \"blade\"", false,
                   "[grass_set_u] invalid substance 'lava' referenced"},
             row_t{"unknown part", "substance: \"grass\"", "model_part_name: \"stem\"", false,
                   "[grass_property_u] invalid part name 'stem'"},
             row_t{"no template", "substance: \"grass\"", "model_part_name: \"blade\" model_template: .none", false,
                   "[grass_property_u] invalid part name 'blade'"},
             row_t{"two pieces", "substance: \"grass\"", "model_part_name: \"pair\"", true,
                   "[grass_property_u] part 'pair' has too many pieces (only 1 piece is supported)"},
             row_t{"substance 18", "substance: \"slush\"", "model_part_name: \"blade\"", true,
                   "[grass_u] invalid substance index for 'slush'"},
         }) {
        SCOPED_TRACE(r.what);
        messages.clear();
        substance_db_load_text("18 slush\n", 9, "test");
        std::string property = r.property;
        if (property.find("model_template") == std::string::npos) property += " model_template: .m";
        else property = "model_part_name: \"blade\"";
        put_text("checks/grass.unit", "RozErere\n{\ngrass : .g { sets: 1 sets[0]: .s models: 1 models[0]: .m }\n" +
                                          model + "grass_set : .s { " + r.set +
                                          " properties: 1 properties[0]: .p }\ngrass_property : .p { " + property +
                                          " }\n}\n");
        EXPECT_EQ(reload_grass("checks") != nullptr, r.loads);
        EXPECT_TRUE(messages.contains(r.message)) << r.message;
    }
    // The set of substance 18 is ignored; the kind of two pieces uses the first.
    ASSERT_NE(grass, nullptr);
    EXPECT_EQ(grass->set_for(18), nullptr);
    EXPECT_EQ(grass->get_cell_count(), 0u);
}

TEST_F(grass_test, a_kind_of_two_pieces_uses_the_first) {
    ASSERT_TRUE(load_grass(grass_map(tuft_kind("g", "grass", "pair", "density: \"0.1\" density_range: \"0.1\"")),
                           "pair"));
    grass_property_u *p = grass->get_set(0)->get_property(0);
    EXPECT_EQ(p->get_first_piece(), 1) << "the blade is piece 0";
    grass_cell_u *cell = generate_at({0, 0, 0}, 0, 0);
    ASSERT_GT(cell->get_vertex_count(), 0u);
    EXPECT_EQ(cell->get_vertex_count() % 4, 0u);
    EXPECT_EQ(cell->get_batch(0).material, p->get_material());
}

TEST_F(grass_test, water_grows_nothing) {
    // The pond map: flat ground at 0 with a basin holding water at -1.
    ASSERT_TRUE(put_map(map_pond_text(), "pond"));
    make_world()->load("/map/pond/");
    put_text("pond/grass.unit",
             "RozErere\n{\ngrass : .g { sets: 2 sets[0]: .w sets[1]: .s models: 1 models[0]: .m }\n"
             "model_template : .m { model_desc: \"/map/model/grass/tuft.zmd\" }\n"
             "grass_set : .w { substance: \"water\" properties: 1 properties[0]: .p }\n"
             "grass_set : .s { substance: \"grass\" properties: 1 properties[0]: .q }\n"
             "grass_property : .p { model_template: .m model_part_name: \"ball\" density: 1 }\n"
             "grass_property : .q { model_template: .m model_part_name: \"blade\" density: 1 }\n}\n");
    ASSERT_TRUE(reload_grass("pond"));
    grass_cell_u *cell = generate_at({8, 0, 8}, 0, 0);
    ASSERT_NE(cell, nullptr);
    for (uint32_t i = 0; i < cell->get_batch_count(); ++i)
        EXPECT_NE(cell->get_batch(i).material, grass->get_set(0)->get_property(0)->get_material()) << "water";
    EXPECT_GT(cell->get_vertex_count(), 0u) << "the ground around and under the water grows";
}

TEST_F(grass_test, bodies_and_plants_keep_grass_away) {
    const std::string objects = R"(
def objects {
    def rock { kind: "body" name: "body.rock" model: "/map/model/rock/rock.ma" }
    def bush { kind: "plant" name: "plant.bush" model: "/map/model/bush/bush.ma" }
    def rocks { kind: "place" of: "rock" at: "10 0" }
    def bushes { kind: "place" of: "bush" at: "-10 -10" }
}
def trails {
    def t { name: "trail.grass" points: "-30 -30, -25 -30" }
}
)";
    write_fixture_models();
    view_at({1000, 1, 1000});
    ASSERT_TRUE(load_grass(grass_map(tuft_kind("g", "grass", "blade", "density: \"4\" density_range: \"4\""), objects),
                           "rocks"));
    grass_cell_u *cell = generate_at({0, 0, 0}, 0, 0);
    ASSERT_NE(cell, nullptr);
    grass_obstacles_t o;
    o.collect(*world->get_landscape(), grass_u::cell_box(0, 0));
    ASSERT_EQ(o.get_count(), 2u);
    // The chunks in order: the bush's (x and z below 0), then the rock's.
    // The body 5 units inside the cell's box (x 10 of 15).
    EXPECT_TRUE(vec_near(o.get(1).centre, vec3_t{10, 0, 0}, 0.01f));
    EXPECT_EQ(o.get(1).inner, 1.5f);
    EXPECT_EQ(o.get(1).outer, 1.5f);
    // The bush: 0.75 × its shadow's x size (0.66 × its model's width).
    plant_inst_u *bush = nullptr;
    for (uint32_t i = 0; i < world->get_landscape()->get_chunk_count() && !bush; ++i)
        if (world->get_landscape()->get_chunk(i)->get_plant_count()) bush = world->get_landscape()->get_chunk(i)->get_plant(0);
    ASSERT_NE(bush, nullptr);
    EXPECT_TRUE(vec_near(o.get(0).centre, vec3_t{-10, 0, -10}, 0.01f));
    EXPECT_EQ(o.get(0).inner, 1.0f);
    EXPECT_NEAR(o.get(0).outer, 0.75f * bush->get_plant_desc()->get_shadow_size().x, 1e-5f);

    // A plant keeps grass within its inner radius away, but never beyond its outer
    // one: this small bush only within 0.495.
    const float bush_reach = std::min(o.get(0).inner, o.get(0).outer);
    uint32_t near_rock = 0, near_bush = 0;
    for (const vec3_t &p : plant_positions(cell)) {
        const float to_rock = std::hypot(p.x - 10.0f, p.z), to_bush = std::hypot(p.x + 10.0f, p.z + 10.0f);
        EXPECT_GT(to_rock, 1.49f);
        EXPECT_GT(to_bush, bush_reach - 0.01f);
        near_rock += to_rock < 2.5f;
        near_bush += to_bush < 2.0f;
    }
    EXPECT_GT(near_rock, 10u) << "plants right outside the body's reach";
    EXPECT_GT(near_bush, 10u);
}

TEST(grass_obstacles, the_sphere_test_and_the_list_limit) {
    grass_obstacles_t o;
    ASSERT_TRUE(o.add({0, 0, 0}, 1.0f, 3.0f));
    float fade = -1;
    struct row_t {
        vec3_t centre;
        float radius;
        grass_obstacles_t::result_t result;
        float fade;
    };
    for (const row_t &r : {row_t{{0.5f, 0, 0}, 0.0f, grass_obstacles_t::INSIDE, 1.0f},
                           row_t{{0.5f, 0, 0}, 0.2f, grass_obstacles_t::INSIDE, 1.0f},
                           row_t{{2.0f, 0, 0}, 0.0f, grass_obstacles_t::FADING, 0.5f},
                           row_t{{0.5f, 0, 0}, 0.8f, grass_obstacles_t::FADING, 1.0f},
                           row_t{{3.5f, 0, 0}, 1.0f, grass_obstacles_t::TOUCHING, -1.0f},
                           row_t{{5.0f, 0, 0}, 1.0f, grass_obstacles_t::CLEAR, -1.0f}}) {
        fade = -1;
        EXPECT_EQ(o.test(r.centre, r.radius, &fade), r.result) << r.centre.x << " " << r.radius;
        EXPECT_NEAR(fade, r.fade, 1e-5f);
    }
    for (uint32_t i = 1; i < 300; ++i) o.add({float(i) * 10, 0, 0}, 1.0f, 1.0f);
    EXPECT_EQ(o.get_count(), grass_obstacles_t::MAX_OBSTACLES);
    EXPECT_FALSE(o.add({0, 0, 0}, 1, 1));
}

TEST_F(grass_test, a_batch_stops_at_65534_vertices) {
    ASSERT_TRUE(load_grass(grass_map(tuft_kind("b", "grass", "ball", "density: \"1\" density_range: \"1\"") +
                                     tuft_kind("g", "grass", "blade", "density: \"0.1\" density_range: \"0.1\"")),
                           "limit"));
    grass_cell_u *cell = generate_at({0, 0, 0}, 0, 0);
    ASSERT_NE(cell, nullptr);
    EXPECT_TRUE(messages.contains("too many vertexes/plants in grass block - some plants will be omitted"));
    ASSERT_EQ(cell->get_batch_count(), 2u);
    const grass_cell_u::batch_t &balls = cell->get_batch(0);
    EXPECT_EQ(balls.vertex_count, 15u * 4225u);
    EXPECT_GT(cell->get_batch(1).vertex_count, 0u) << "the next kind goes on in a batch of its own";
    for (uint32_t b = 0; b < cell->get_batch_count(); ++b) {
        const grass_cell_u::batch_t &batch = cell->get_batch(b);
        EXPECT_LE(batch.vertex_count, grass_cell_u::MAX_BATCH_VERTICES);
        for (uint32_t i = batch.first_index; i < batch.first_index + batch.index_count; ++i)
            ASSERT_LT(cell->get_index(i), batch.vertex_count);
    }
}

TEST_F(grass_test, a_piece_without_its_second_stream_still_checks_its_layers) {
    // "turf": grass and dirt, two layers; its chunks are written again without their
    // further streams. With the dirt layer everywhere, nothing grows.
    const std::string turf = "def materials { def turf { layers: \"grass dirt\" } }\n";
    const std::string kinds = tuft_kind("g", "grass", "blade", "density: \"0.5\" density_range: \"0.5\"");
    std::string map = grass_map(kinds, turf);
    map.replace(map.find("material: \"meadow\""), 18, "material: \"turf\"");
    std::string dirt = map;
    dirt.replace(dirt.find("material: \"turf\""), 16,
                 "material: \"turf\"\n def layers { def layer1 { height: \"-1 -0.5\" } }");
    for (const auto &[text, name, grows] : {std::tuple{map, "turf", true}, std::tuple{dirt, "turf_dirt", false}}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(put_map(text, name));
        mapgen::map_build_t build;
        ASSERT_TRUE(mapgen::map_build(read_map(text, name).map, build));
        for (mapgen::map_chunk_t &c : build.chunks)
            for (zmgen::zm_piece_t &p : c.model.geometry.pieces) p.further = false;
        ASSERT_TRUE(mapgen::map_write_landscape(build, base.file(std::string("map/") + name)));
        make_world()->load(("/map/" + std::string(name) + "/").c_str());
        ASSERT_TRUE(reload_grass(name));
        landscape_chunk_piece_u *piece = world->get_landscape()->get_chunk(0)->get_piece(0);
        ASSERT_EQ(piece->get_layer_count(), 2u);
        EXPECT_EQ(piece->get_streams().further, nullptr);
        EXPECT_EQ(generate_at({0, 0, 0}, 0, 0)->get_vertex_count() > 0, grows);
    }
}

}  // namespace
}  // namespace quarn::test

namespace quarn::test {
namespace {

// The maps' grass as the build packs it into "base.tzk", with the grass models.
class grass_content : public grass_fixture_t {
protected:
    void SetUp() override {
        grass_fixture_t::SetUp();
        previous = fs_set_archive_factory(zip_device_create);
        archive = ufs_mount(FS_DEVICE_ZIP, (test_bin_dir() + "/base.tzk").c_str(), "", true, 50);
        ASSERT_NE(archive, nullptr);
    }
    void TearDown() override {
        grass.reset();
        world.reset();
        free_cached();
        if (archive) ufs_unmount(archive);
        fs_set_archive_factory(previous);
        grass_fixture_t::TearDown();
    }

    fs_device_t *archive = nullptr;
    fs_archive_factory_t previous = nullptr;
};

TEST_F(grass_content, every_map_grows_grass_around_its_start) {
    for (const char *map : {"valley", "peaks", "cross"}) {
        SCOPED_TRACE(map);
        messages.clear();
        make_world()->load(("/map/" + std::string(map) + "/").c_str());
        ASSERT_TRUE(reload_grass(map));
        ASSERT_GT(grass->get_set_count(), 0u);
        for (uint32_t s = 0; s < grass->get_set_count(); ++s) {
            grass_set_u *set = grass->get_set(s);
            EXPECT_GE(set->get_substance_index(), 0);
            for (uint32_t p = 0; p < set->get_property_count(); ++p)
                EXPECT_NE(set->get_property(p)->get_material(), nullptr);
        }
        // Around every hunter's start: the hunting ground grows grass in most of the
        // cells within 60 units.
        array_dyn_t<owner_ptr_t<unit_base_t>> starts;
        ASSERT_TRUE(load_start_points(starts, map));
        uint32_t hunters = 0;
        for (uint32_t i = 0; i < starts.get_count(); ++i) {
            const start_point_u *start = unit_cast<start_point_u>(starts[i].get());
            if (!start || start->get_category() != start_point_u::CATEGORY_hunter) continue;
            ++hunters;
            SCOPED_TRACE(start->name_text().c_str());
            const vec3_t at = start->get_placement().position;
            grass->update_cells(at + vec3_t{0, 2, 0});
            uint32_t near = 0, grown = 0;
            for (uint32_t c = 0; c < grass->get_cell_count(); ++c) {
                const grass_cell_u *cell = grass->get_cell(c);
                if (std::hypot(float(cell->get_x()) * 30.0f - at.x, float(cell->get_z()) * 30.0f - at.z) > 60.0f)
                    continue;
                ++near;
                grown += cell->get_vertex_count() > 0;
            }
            EXPECT_GE(near, 9u);
            EXPECT_GE(grown * 4, near * 3) << grown << " of " << near << " cells";
        }
        EXPECT_GE(hunters, 2u);
        EXPECT_FALSE(messages.contains("too many vertexes"));
        grass.reset();
        world.reset();
        free_cached();
    }
}

}  // namespace
}  // namespace quarn::test

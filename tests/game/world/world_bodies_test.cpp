// Bodies and plants on the chunks of a loaded world: which chunk takes them, their
// shapes as queries and the viewer ask for them (masks, regions, idle delays), their
// lighting and their merged models.
#include <gtest/gtest.h>

#include <cmath>

#include "game/visuals/physics/physics_scene.h"
#include "game/visuals/physics/physics_shape.h"
#include "game/world/landscape.h"
#include "world_unit_fixture.h"

namespace quarn::test {
namespace {

// One flat chunk of 64 × 64 units at height 0, oaks near its four corners and a bush
// in the middle.
std::string grove_map() {
    return std::string(MAP_TERRAIN) + R"(
def landscape {
    area: "0 0 64 64"
    spacing: "8"
    material: "meadow"
}
def objects {
    def oak { kind: "plant" name: "plant.oak" model: "/map/model/tree/oak.ma" collidable: "yes" }
    def bush { kind: "plant" name: "plant.bush" model: "/map/model/bush/bush.ma" collidable: "yes" }
    def oaks { kind: "place" of: "oak" at: "8 8, 56 8, 8 56, 56 56" }
    def bushes { kind: "place" of: "bush" at: "32 32" }
}
def trails {
    def t { name: "trail.grove" points: "2 2, 14 2" }
}
)";
}

class world_bodies_test : public world_unit_fixture_t {
protected:
    world_u *load_grove() {
        write_fixture_models();
        view_at({1000, 1, 1000});  // nothing near the viewer until a test moves it
        world_u *w = load_world(grove_map(), "grove");
        chunk = w->get_landscape()->get_chunk(0);
        return w;
    }
    // Whether the shapes of plant i (0-3 the oaks, 4 the bush) exist / are enabled.
    plant_inst_u *plant(uint32_t i) { return chunk->get_plant(i); }
    bool enabled(uint32_t i) {
        plant_inst_u *p = plant(i);
        return p->get_shape_count() > 0 && p->get_shape(0)->is_enabled();
    }
    std::string enabled_row() {
        std::string row;
        for (uint32_t i = 0; i < chunk->get_plant_count(); ++i) row += enabled(i) ? '1' : '0';
        return row;
    }

    landscape_chunk_u *chunk = nullptr;
};

TEST_F(world_bodies_test, the_chunk_under_a_plant_takes_it_and_grows_its_box) {
    world_u *w = load_grove();
    ASSERT_EQ(w->get_landscape()->get_chunk_count(), 1u);
    ASSERT_EQ(chunk->get_plant_count(), 5u);
    EXPECT_EQ(chunk->get_body_count(), 0u);
    // The current box holds the plants' boxes (the oaks are 12 high).
    EXPECT_GE(chunk->get_current_box().max.y, 12.0f);
    // Loading retires every chunk: no shape exists yet.
    EXPECT_FALSE(chunk->is_bodies_ready());
    EXPECT_EQ(plant(0)->get_shape_count(), 0u);
    EXPECT_TRUE(messages.texts(message_t::WARNING).empty());
}

// The chunk index is rebuilt in place: each rebuild finds the chunks by their boxes of
// that moment, never by the boxes an earlier rebuild gave them.
TEST_F(world_bodies_test, a_rebuilt_chunk_index_finds_chunks_by_their_new_boxes) {
    write_fixture_models();
    view_at({1000, 1, 1000});
    std::string text = grove_map();
    // An oak at the chunk's east edge: its crown reaches beyond the chunk.
    const std::string place = "at: \"8 8, 56 8, 8 56, 56 56\"";
    text.replace(text.find(place), place.size(), "at: \"8 8, 56 8, 8 56, 56 56, 63 32\"");
    world_u *w = load_world(text, "edge");
    landscape_u *l = w->get_landscape();
    ASSERT_EQ(l->get_chunk_count(), 1u);
    const aabox_t beyond({64.2f, 1.0f, 32.0f}, {64.2f, 1.0f, 32.0f});
    ASSERT_GT(l->get_chunk(0)->get_current_box().max.x, beyond.max.x);
    array_dyn_t<landscape_chunk_u *> found;
    EXPECT_EQ(l->find_chunks(beyond, found), 1u) << "the chunk is found where only its oak stands";

    // Without its plants the chunk has its file box again, and the index follows.
    l->release_units();
    l->rebuild_chunk_index(nullptr);
    EXPECT_EQ(l->find_chunks(beyond, found), 0u);
    EXPECT_EQ(l->find_chunks(aabox_t({63.0f, 1.0f, 32.0f}, {63.0f, 1.0f, 32.0f}), found), 1u);
    l->rebuild_chunk_index(nullptr);
    EXPECT_EQ(l->find_chunks(aabox_t({32.0f, 1.0f, 32.0f}, {32.0f, 1.0f, 32.0f}), found), 1u);
}

TEST_F(world_bodies_test, masks_that_see_no_map_objects_make_no_body_shapes) {
    world_u *w = load_grove();
    physics_ray_hit_t hit;
    ASSERT_TRUE(w->find_ground(hit, {8, 5, 8}, world_u::MASK_TERRAIN));
    EXPECT_TRUE(chunk->is_collision_ready());
    EXPECT_FALSE(chunk->is_bodies_ready());
    EXPECT_EQ(enabled_row(), "00000");
    // A shot sees map objects: the shapes around it are made and enabled.
    ASSERT_TRUE(w->trace_segment(hit, {8, 5, 0}, {8, 5, 16}, world_u::MASK_SHOT));
    EXPECT_TRUE(chunk->is_bodies_ready());
    EXPECT_EQ(enabled_row(), "10000");
    EXPECT_NEAR(hit.position.z, 7.5f, 1e-3f) << "the trunk's box";
    EXPECT_EQ(hit.shape->get_collision_group(), world_u::GROUP_OBJECTS);
    EXPECT_EQ(hit.shape->get_user_data(), static_cast<void *>(static_cast<unit_base_t *>(plant(0))));
}

TEST_F(world_bodies_test, a_fourth_region_disables_the_chunks_shapes_before_enabling_its_own) {
    world_u *w = load_grove();
    physics_scene_t *scene = w->get_physics_scene();
    const vec3_t corners[4] = {{8, 1, 8}, {56, 1, 8}, {8, 1, 56}, {56, 1, 56}};
    const char *rows[4] = {"10000", "11000", "11100", "00010"};
    for (int k = 0; k < 4; ++k) {
        chunk->activate(scene, aabox_t(corners[k], corners[k]), world_u::MASK_SHOT);
        EXPECT_EQ(enabled_row(), rows[k]) << "region " << k;
        EXPECT_EQ(chunk->get_region_count(), k < 3 ? uint32_t(k + 1) : 1u) << k;
    }
    // A box within a known region brings it to the front and changes nothing else.
    chunk->activate(scene, aabox_t({56, 3, 56}, {56, 3, 56}), world_u::MASK_SHOT);
    EXPECT_EQ(enabled_row(), "00010");
    EXPECT_EQ(chunk->get_region_count(), 1u);
}

TEST_F(world_bodies_test, shots_from_where_the_viewer_stood_hit_the_plants_along_them) {
    world_u *w = load_grove();
    // The viewer stands for a second between the bush and the southern oaks: its
    // region (the viewer's box widened by 5) holds none of the plants.
    const vec3_t eye{32, 3, 20};
    view_at(eye);
    for (int frame = 0; frame < 25; ++frame) w->update(0.04f);
    ASSERT_EQ(chunk->get_region_count(), 1u);
    ASSERT_EQ(enabled_row(), "00000");
    // Every shot starts in the viewer's region; each must still find the plant it is
    // aimed at (a fourth shot's region starts the list anew).
    for (uint32_t i : {3u, 2u, 4u, 1u, 0u}) {
        SCOPED_TRACE(i);
        const vec3_t aim = plant(i)->get_placement().position + vec3_t{0, 2, 0};
        const vec3_t end = eye + normalized(aim - eye) * 1000.0f;
        physics_ray_hit_t hit;
        ASSERT_TRUE(w->trace_segment_filtered(hit, eye, end, world_u::MASK_SHOT));
        EXPECT_EQ(hit.shape->get_user_data(), static_cast<void *>(static_cast<unit_base_t *>(plant(i))));
        EXPECT_LT(length(hit.position - eye), length(aim - eye));
    }
}

TEST_F(world_bodies_test, regions_go_off_after_a_second_idle_and_shapes_after_five) {
    world_u *w = load_grove();
    view_at({8, 1, 8});
    w->update(0.1f);
    ASSERT_EQ(enabled_row(), "10000");
    view_at({1000, 1, 1000});
    const struct {
        float dt;
        const char *enabled;
        bool shapes;
    } steps[] = {
        {0.0f, "10000", true},  // the idle clock starts
        {0.6f, "10000", true},  {0.6f, "00000", true},   // 1.2 s: regions off
        {3.0f, "00000", true},                           // 4.2 s
        {0.9f, "00000", false},                          // 5.1 s: everything released
    };
    for (const auto &s : steps) {
        w->update(s.dt);
        EXPECT_EQ(enabled_row(), s.enabled) << chunk->get_idle_time();
        EXPECT_EQ(plant(0)->get_shape_count() > 0, s.shapes) << chunk->get_idle_time();
    }
    EXPECT_FALSE(chunk->is_bodies_ready());
    EXPECT_FALSE(chunk->is_collision_ready());
}

TEST_F(world_bodies_test, plants_are_lit_by_the_ground_under_them) {
    world_u *w = load_grove();
    // The oak (12 high) is tall, the bush (3 high) is not.
    ASSERT_TRUE(plant(0)->get_plant_desc()->is_tall());
    ASSERT_FALSE(plant(4)->get_plant_desc()->is_tall());
    ground_probe_t probe;
    ASSERT_TRUE(w->get_ground_probe(probe, plant(0)->get_placement().position));
    // The sun's factor with base 1 is 1: the ground's red decides.
    auto expected = [](uint8_t red, float k) {
        const float c = std::min(red * 2.0f / 255.0f, 1.0f);
        const float d = (c + 0.2f) * 0.8333333f;
        return d + k * (1.0f - d);
    };
    EXPECT_NEAR(plant(0)->get_light(), expected(probe.ground_colour[0], 0.6f), 1e-5f);
    EXPECT_NEAR(plant(4)->get_light(), expected(probe.ground_colour[0], 0.3f), 1e-5f);

    // Where no ground is found the preset colour (127) stays: c = 254/255.
    body_inst_u *oak = plant(0);
    const placement_scale_t at = oak->get_placement();
    oak->m_placement.position = {1000, 0, 1000};
    w->update_light(*oak);
    const float d = (254.0f / 255.0f + 0.2f) * 0.8333333f;
    EXPECT_NEAR(oak->get_light(), 0.6f + 0.4f * d, 1e-5f);
    oak->m_placement = at;
}

TEST_F(world_bodies_test, the_first_draw_merges_the_plants_by_model_and_cuts_their_shadows) {
    world_u *w = load_grove();
    EXPECT_EQ(chunk->get_merged_model_count(), 0u);
    view_at({32, 1, 32});
    w->draw();
    // One merged model of the oaks, one of the bush.
    ASSERT_EQ(chunk->get_merged_model_count(), 2u);
    EXPECT_EQ(chunk->get_merged_model(0)->get_model(), plant(0)->get_desc()->get_instance(0));
    EXPECT_EQ(chunk->get_merged_model(1)->get_model(), plant(4)->get_desc()->get_instance(0));
    // Every plant's shadow lies on the ground under it, drawn with the shadow material.
    ASSERT_EQ(chunk->get_shadow_count(), 5u);
    for (uint32_t i = 0; i < 5; ++i) {
        EXPECT_GT(chunk->get_shadow(i)->get_index_count(), 0u) << i;
        EXPECT_EQ(chunk->get_shadow(i)->get_material(), plant(i)->get_plant_desc()->get_shadow_material()) << i;
    }
    w->draw();
    EXPECT_EQ(chunk->get_merged_model_count(), 2u) << "built once";
    EXPECT_EQ(chunk->get_shadow_count(), 5u);
}

}  // namespace
}  // namespace quarn::test

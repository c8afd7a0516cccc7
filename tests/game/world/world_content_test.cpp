// The shipped maps load into worlds as the build packs them into "base.tzk" (after the
// emitters' hookup, as the scene loads them): terrain, units initialised (the sound
// loops with the sound front-end's sounds), every body and plant in a chunk, and ground
// under the player's start. The impact emitters and sounds are in the content too.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "game/visuals/effects/particle_gen.h"
#include "game/visuals/models/model_object.h"
#include "game/visuals/models/model_template.h"
#include "game/visuals/effects/particle_set.h"
#include "game/visuals/physics/physics_shape.h"
#include "game/world/landscape.h"
#include "game/world/start_point.h"
#include "game/world/particle_emitter.h"
#include "kernel/sound/sound.h"
#include "outside/sonbase/sonbase.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "qrncore/system/dl_lib.h"
#include "support/test_paths.h"
#include "world_unit_fixture.h"

namespace quarn::test {
namespace {

class world_content : public world_unit_fixture_t {
protected:
    void SetUp() override {
        world_unit_fixture_t::SetUp();
        sonbase_init(dl_lib_t::get_main_handle());
        snd_start(get_engine_ubank(), unit_system_t::get_default());
        previous = fs_set_archive_factory(zip_device_create);
        archive = ufs_mount(FS_DEVICE_ZIP, (test_bin_dir() + "/base.tzk").c_str(), "", true, 50);
        ASSERT_NE(archive, nullptr);
        // The emitters' templates and particle sets, as the scene loads its hookups
        // before the map (the waterfall of cross copies one).
        for (const unit_descriptor_t *d : particle_classes)
            if (get_engine_ubank()->register_class(d)) registered.push_back(d);
        ASSERT_TRUE(load_path("/script/hookup/emitters.unit"))
            << ::testing::PrintToString(messages.texts(message_t::ERROR));
    }
    void TearDown() override {
        world.reset();
        loader.reset();
        file.reset();
        unit_system_t::clean_garbage();
        for (const unit_descriptor_t *d : registered) get_engine_ubank()->unregister_class(d);
        snd_stop();
        free_cached();
        if (archive) ufs_unmount(archive);
        fs_set_archive_factory(previous);
        world_unit_fixture_t::TearDown();
        sonbase_shutdown();
    }

    fs_archive_factory_t previous = nullptr;
    fs_device_t *archive = nullptr;
    static constexpr const unit_descriptor_t *particle_classes[] = {
        &model_template_u::unit_descriptor, &model_object_u::unit_descriptor, &particle_gen_u::unit_descriptor,
        &particle_set_u::unit_descriptor, &particle_emitter_u::unit_descriptor};
    std::vector<const unit_descriptor_t *> registered;
};

TEST_F(world_content, every_map_loads_into_a_world_with_its_bodies_on_chunks) {
    for (const char *map : {"valley", "peaks", "cross"}) {
        SCOPED_TRACE(map);
        messages.clear();
        world_u *w = make_world();
        w->load(("/map/" + std::string(map) + "/").c_str());
        EXPECT_EQ(messages.texts(message_t::ERROR), std::vector<std::string>{});
        EXPECT_EQ(messages.texts(message_t::WARNING), std::vector<std::string>{});
        landscape_u *l = w->get_landscape();
        ASSERT_EQ(l->get_chunk_count(), 16u);
        uint32_t bodies = 0, in_chunks = 0;
        for (uint32_t i = 0; i < w->get_game_unit_count(); ++i)
            bodies += unit_cast<body_inst_u>(w->get_game_unit(i)) ? 1 : 0;
        for (uint32_t c = 0; c < l->get_chunk_count(); ++c)
            in_chunks += l->get_chunk(c)->get_body_count() + l->get_chunk(c)->get_plant_count();
        EXPECT_GT(bodies, 0u);
        EXPECT_EQ(in_chunks, bodies);
        EXPECT_GT(w->get_attract_areas().get_area_count(), 0u);

        array_dyn_t<owner_ptr_t<unit_base_t>> starts;
        ASSERT_TRUE(load_start_points(starts, map));
        ASSERT_GT(starts.get_count(), 0u);
        ground_probe_t probe;
        const start_point_u *start = unit_cast<start_point_u>(starts[0].get());
        ASSERT_TRUE(w->get_ground_probe(probe, start->get_placement().position + vec3_t{0, 2, 0}));
        EXPECT_NEAR(probe.ground_height, start->get_placement().position.y, 0.1f);
    }
}

TEST_F(world_content, shots_from_valleys_first_start_stop_at_the_bodies_they_are_aimed_at) {
    world_u *w = make_world();
    w->load("/map/valley/");
    array_dyn_t<owner_ptr_t<unit_base_t>> starts;
    ASSERT_TRUE(load_start_points(starts, "valley"));
    const start_point_u *start = unit_cast<start_point_u>(starts[0].get());
    ASSERT_NE(start, nullptr);
    const vec3_t eye = start->get_placement().position + vec3_t{0, 1.5f, 0};
    // The hunter has stood still for a second: the chunks around it hold the viewer's
    // region, which every shot fired from there meets.
    view_at(eye);
    for (int frame = 0; frame < 25; ++frame) w->update(0.04f);

    // Every collidable body and plant within 150 units, aimed low on its trunk, or
    // half-way up a body lower than a unit (a stone, a stump, a log): the shot stops
    // there or before it, never behind it.
    uint32_t aimed = 0, hit_themselves = 0;
    float nearest = 1e9f, farthest = 0.0f;
    for (uint32_t i = 0; i < w->get_game_unit_count(); ++i) {
        auto *body = unit_cast<body_inst_u>(w->get_game_unit(i));
        if (!body || !body->get_desc() || !body->get_desc()->get_collision()) continue;
        const placement_scale_t &at = body->get_placement();
        const aabox_t &box = body->get_world_box();
        const vec3_t aim = at.position + vec3_t{0, std::min(at.scale, (box.max.y - at.position.y) * 0.5f), 0};
        const float distance = length(aim - eye);
        if (distance > 150.0f) continue;
        SCOPED_TRACE(body->name_text().c_str());
        SCOPED_TRACE(distance);
        ++aimed;
        physics_ray_hit_t hit;
        ASSERT_TRUE(w->trace_segment_filtered(hit, eye, eye + normalized(aim - eye) * 1000.0f, world_u::MASK_SHOT));
        EXPECT_LT(length(hit.position - eye), distance);
        if (hit.shape && hit.shape->get_user_data() == static_cast<void *>(static_cast<unit_base_t *>(body))) {
            ++hit_themselves;
            nearest = std::min(nearest, distance);
            farthest = std::max(farthest, distance);
        }
    }
    EXPECT_GT(aimed, 3u);
    EXPECT_GT(hit_themselves, aimed / 2);
    // Near ones and far ones alike (a boulder 36 units out, an oak 126).
    EXPECT_LT(nearest, 40.0f);
    EXPECT_GT(farthest, 120.0f);
}

// A shot into the ground throws up what the eye sees there: the grass of the hunting
// ground a few steps ahead of every hunter's start (the meadow dust of cross's
// pastures), rock on the crags, snow on the top of peaks, leaves under the trees.
TEST_F(world_content, a_shot_into_the_ground_throws_up_what_lies_there) {
    constexpr const char *HIT = "/sound/weapon/pro_bullet_hit.ogg";
    const struct {
        const char *map;
        const char *grass;  // the throw of the hunting ground
        int stages;
    } maps[] = {{"valley", "emitter.throw.grass", 2}, {"peaks", "emitter.throw.grass", 4},
                {"cross", "emitter.throw.meadow", 4}};
    // Ground by the map's zones: a crag of valley's south slope, peaks' snowy top and
    // a crag below it, a hill at cross's corner, the floor of valley's west wood.
    const struct {
        const char *map;
        vec3_t at;
        const char *emitter;
        bool ricochet;
    } spots[] = {{"valley", {10, 0, -222}, "emitter.throw.rock", true},
                 {"peaks", {104, 0, -96}, "emitter.throw.snow", false},
                 {"peaks", {104, 0, -52}, "emitter.throw.rock", true},
                 {"cross", {244, 0, 244}, "emitter.throw.rock", true},
                 {"valley", {-157, 0, -141}, "emitter.throw.leaves", false}};
    auto shoot = [&](world_u *w, const vec3_t &from, const vec3_t &to) {
        impacts.clear();
        shot_record_t record;
        record.reset();
        vec3_t hit;
        const placement_t shot(from, quat_t());
        if (!w->intersect(record, hit, shot, to)) return false;
        w->on_hit(hit, nullptr, record, shot, to);
        return true;
    };
    auto emitter = [&]() { return impacts.emitters.size() == 1 ? impacts.emitters[0].name : std::string("(none)"); };
    for (const auto &m : maps) {
        SCOPED_TRACE(m.map);
        world_u *w = make_world();
        w->load(("/map/" + std::string(m.map) + "/").c_str());
        array_dyn_t<owner_ptr_t<unit_base_t>> starts;
        ASSERT_TRUE(load_start_points(starts, m.map));
        for (int s = 0; s < m.stages; ++s) {
            const std::string name = "PlayerStart.startPoint" + std::to_string(s);
            SCOPED_TRACE(name);
            const start_point_u *start = unit_cast<start_point_u>(unit_system_t::find_unit(name.c_str()));
            ASSERT_NE(start, nullptr);
            // From the eye down to the ground 12 units ahead, and on.
            const vec3_t eye = start->get_placement().position + vec3_t{0, 1.65f, 0};
            const vec3_t ahead = start->get_placement().position + start->get_placement().rotation.get_cartes() * 12.0f;
            physics_ray_hit_t ground;
            ASSERT_TRUE(w->find_ground(ground, ahead, world_u::MASK_TERRAIN));
            ASSERT_TRUE(shoot(w, eye, eye + (ground.position - eye) * 2.0f));
            EXPECT_EQ(emitter(), m.grass);
            ASSERT_EQ(impacts.sounds.size(), 1u);
            EXPECT_EQ(impacts.sounds[0].path, HIT);
            EXPECT_EQ(impacts.marks.size(), 1u);
        }
        for (const auto &spot : spots) {
            if (strcmp(spot.map, m.map) != 0) continue;
            SCOPED_TRACE(::testing::Message() << spot.at.x << " " << spot.at.z);
            physics_ray_hit_t ground;
            ASSERT_TRUE(w->find_ground(ground, spot.at, world_u::MASK_TERRAIN));
            ASSERT_TRUE(shoot(w, ground.position + vec3_t{0.3f, 2.0f, 0}, ground.position - vec3_t{0.3f, 2.0f, 0}));
            EXPECT_EQ(emitter(), spot.emitter);
            ASSERT_EQ(impacts.sounds.size(), 1u);
            EXPECT_EQ(impacts.sounds[0].path.find("ricochet") != std::string::npos, spot.ricochet);
        }
    }
}

TEST_F(world_content, every_throw_emitter_of_the_impacts_is_a_template_of_the_hookups) {
    for (int32_t s = 0; s <= 17; ++s) {
        const char *name = throw_emitter_name(s);
        if (!name) continue;
        auto *emitter = unit_cast<particle_emitter_u>(unit_system_t::find_unit(name));
        EXPECT_NE(emitter, nullptr) << name;
        // The scene's impacts fire a copy of it.
        EXPECT_TRUE(world_scene_impacts().trigger_emitter(name, placement_t({1, 2, 3}, quat_t()))) << name;
    }
    EXPECT_NE(unit_cast<particle_emitter_u>(unit_system_t::find_unit(world_u::WATER_EMITTER)), nullptr);
}

TEST_F(world_content, the_scenes_impacts_play_one_shots_and_leave_marks_only_with_bits) {
    const uint32_t before = snd_oneshot_count();
    world_scene_impacts().play_sound(world_u::BODY_HIT_SOUND, {1, 2, 3});
    EXPECT_EQ(snd_oneshot_count(), before + 1);
    // The test's scene keeps no decals: nothing to add to, nothing happens.
    messages.clear();
    world_scene_impacts().add_mark({1, 2, 3}, {0, 1, 0});
    EXPECT_TRUE(messages.entries().empty());
}

TEST_F(world_content, the_impact_sounds_are_in_the_content) {
    for (int32_t s = -1; s <= 17; ++s)
        for (float r : {0.25f, 0.75f})
            EXPECT_TRUE(fs_stat(bullet_hit_sound(s, r), nullptr, FS_REALM_VIRTUAL)) << bullet_hit_sound(s, r);
    EXPECT_TRUE(fs_stat(world_u::BODY_HIT_SOUND, nullptr, FS_REALM_VIRTUAL));
}

}  // namespace
}  // namespace quarn::test

// Bullet impacts: the tables by substance, then shots into the terrain, water, plants,
// other map objects and loose bodies of loaded worlds (impacts recorded by the test's
// sink; sys_rand restarted so the ricochets are repeatable).
#include <gtest/gtest.h>

#include <cmath>

#include "game/visuals/physics/physics_body.h"
#include "game/visuals/physics/physics_scene.h"
#include "game/visuals/physics/physics_shape.h"
#include "kernel/sys.h"
#include "support/math_compare.h"
#include "world_unit_fixture.h"

namespace quarn::test {
namespace {

constexpr const char *WOOD = "/sound/weapon/pro_bullet_wood.ogg";
constexpr const char *HIT = "/sound/weapon/pro_bullet_hit.ogg";
constexpr const char *RICOCHET_2 = "/sound/weapon/pro_bullet_ricochet_v2.ogg";
constexpr const char *RICOCHET_4 = "/sound/weapon/pro_bullet_ricochet_v4.ogg";

TEST(world_impact_tables, each_substance_has_its_emitter_sound_and_mark) {
    const struct {
        int32_t substance;
        const char *emitter;
        const char *sound_high;  // random above 0.5
        const char *sound_low;   // random at or below 0.5
        bool mark;
    } rows[] = {
        {-1, nullptr, WOOD, WOOD, true},
        {0, nullptr, WOOD, WOOD, false},
        {1, nullptr, WOOD, WOOD, false},
        {2, nullptr, WOOD, WOOD, true},
        {3, "emitter.throw.snow", HIT, HIT, true},
        {4, "emitter.throw.meadow", HIT, HIT, true},
        {5, "emitter.throw.grass", HIT, HIT, true},
        {6, nullptr, WOOD, WOOD, true},
        {7, "emitter.throw.leaves", HIT, HIT, true},
        {8, nullptr, WOOD, WOOD, true},
        {9, "emitter.throw.dirt", HIT, HIT, true},
        {10, "emitter.throw.sand", HIT, HIT, true},
        {11, "emitter.throw.dirt", HIT, HIT, true},
        {12, "emitter.throw.mud_dry", HIT, HIT, true},
        {13, "emitter.throw.gravel", RICOCHET_2, RICOCHET_4, true},
        {14, "emitter.throw.rock", RICOCHET_2, RICOCHET_4, true},
        {15, "emitter.throw.metal", RICOCHET_2, RICOCHET_4, true},
        {16, "emitter.throw.water", WOOD, WOOD, false},
        {17, nullptr, WOOD, WOOD, true},
    };
    for (const auto &r : rows) {
        const char *emitter = throw_emitter_name(r.substance);
        EXPECT_STREQ(emitter ? emitter : "(none)", r.emitter ? r.emitter : "(none)") << r.substance;
        EXPECT_STREQ(bullet_hit_sound(r.substance, 0.75f), r.sound_high) << r.substance;
        EXPECT_STREQ(bullet_hit_sound(r.substance, 0.5f), r.sound_low) << r.substance;
        EXPECT_EQ(takes_bullet_mark(r.substance), r.mark) << r.substance;
    }
}

// A map of one flat chunk: meadow ground (its highest layer rock, 14) with a pond, an
// oak and a block.
const char *BLOCK_MODEL = R"(def model {
    materials: "stone"
    def bones { def root {} }
    def parts {
        def DefaultPart { def stone { def cube { shape: "box" size: "2 2 2" position: "0 1 0" } } }
    }
    def looks { def default { stone: "/t/bark.mat" } }
    def collision {
        materials: "stone"
        def material_sets { def default { stone: "1" } }
        def sets { def hull { def box { shape: "box" size: "2 2 2" position: "0 1 0" } } }
    }
}
)";

class world_impacts_test : public world_unit_fixture_t {
protected:
    void SetUp() override {
        world_unit_fixture_t::SetUp();
        write_fixture_models();
        write_model(BLOCK_MODEL, "rock", "block");
        load_world(std::string(MAP_TERRAIN) + R"(
def landscape {
    area: "0 0 64 64"
    spacing: "4"
    material: "meadow"
    def heights {
        def basin { kind: "hill" centre: "48 48" radius: "8" height: "-4" }
    }
    def water {
        def pond { area: "40 40 56 56" level: "-1" material: "lake" }
    }
}
def objects {
    def oak { kind: "plant" name: "plant.oak" model: "/map/model/tree/oak.ma" collidable: "yes" }
    def block { kind: "body" name: "body.block" model: "/map/model/rock/block.ma" collidable: "yes" }
    def oaks { kind: "place" of: "oak" at: "16 16" }
    def blocks { kind: "place" of: "block" at: "32 16" }
}
def trails {
    def t { name: "trail.range" points: "2 2, 14 2" }
}
)",
                   "range");
        ASSERT_EQ(world->get_game_unit_count(), 5u);
    }

    // Shoots from origin to end as the scene's target list does: intersect, then the
    // hit; false when the world is missed.
    bool shoot(const vec3_t &origin, const vec3_t &end) {
        impacts.clear();
        shot_record_t record;
        record.reset();
        vec3_t hit_point;
        const placement_t shot(origin, quat_t());
        if (!world->intersect(record, hit_point, shot, end)) return false;
        world->on_hit(hit_point, nullptr, record, shot, end);
        last_record = world_u::read_shot_record(record);
        return true;
    }
    std::vector<std::string> emitter_names() const {
        std::vector<std::string> names;
        for (const auto &e : impacts.emitters) names.push_back(e.name);
        return names;
    }

    world_u::shot_hit_t last_record;
};

TEST_F(world_impacts_test, the_terrain_throws_up_its_substance_facing_up_on_flat_ground) {
    sys_reset_random();
    const float drawn = sys_rand();
    sys_reset_random();
    ASSERT_TRUE(shoot({8, 10, 8}, {8, -10, 8}));
    EXPECT_NEAR(last_record.position.y, 0.0f, 1e-3f);
    EXPECT_NEAR(last_record.distance, 10.0f, 1e-3f);
    EXPECT_EQ(emitter_names(), std::vector<std::string>{"emitter.throw.rock"});
    EXPECT_TRUE(vec_near(impacts.emitters[0].placement.rotation.get_cartes(), vec3_t{0, 1, 0}, 1e-4f));
    EXPECT_TRUE(vec_near(impacts.emitters[0].placement.position, vec3_t{8, 0, 8}, 1e-3f));
    ASSERT_EQ(impacts.marks.size(), 1u);
    EXPECT_TRUE(vec_near(impacts.marks[0].normal, vec3_t{0, 1, 0}, 1e-4f));
    ASSERT_EQ(impacts.sounds.size(), 1u);
    EXPECT_EQ(impacts.sounds[0].path, drawn > 0.5f ? RICOCHET_2 : RICOCHET_4);
}

TEST_F(world_impacts_test, water_only_throws_up_spray) {
    ASSERT_TRUE(shoot({48, 10, 48}, {48, -10, 48}));
    EXPECT_NEAR(last_record.position.y, -1.0f, 1e-3f);
    EXPECT_EQ(emitter_names(), std::vector<std::string>{"emitter.throw.water"});
    EXPECT_TRUE(vec_near(impacts.emitters[0].placement.rotation.get_cartes(), vec3_t{0, 1, 0}, 1e-4f));
    EXPECT_TRUE(impacts.sounds.empty());
    EXPECT_TRUE(impacts.marks.empty());
}

TEST_F(world_impacts_test, map_objects_sound_of_wood_for_plants_and_of_metal_otherwise) {
    const struct {
        const char *what;
        vec3_t origin, end;
        std::vector<std::string> emitters;
        bool ricochet;
    } cases[] = {
        {"the oak's trunk", {16, 5, 8}, {16, 5, 24}, {}, false},
        {"the block", {32, 1, 8}, {32, 1, 24}, {"emitter.throw.metal"}, true},
    };
    for (const auto &k : cases) {
        sys_reset_random();
        const float drawn = sys_rand();
        sys_reset_random();
        ASSERT_TRUE(shoot(k.origin, k.end)) << k.what;
        EXPECT_EQ(world->get_last_shot_hit().shape->get_collision_group(), world_u::GROUP_OBJECTS) << k.what;
        EXPECT_EQ(emitter_names(), k.emitters) << k.what;
        ASSERT_EQ(impacts.sounds.size(), 1u) << k.what;
        EXPECT_EQ(impacts.sounds[0].path, k.ricochet ? (drawn > 0.5f ? RICOCHET_2 : RICOCHET_4) : WOOD) << k.what;
        ASSERT_EQ(impacts.marks.size(), 1u) << k.what;
        // The mark faces along the record's normal: back towards the shooter.
        EXPECT_TRUE(vec_near(impacts.marks[0].normal, last_record.normal, 1e-5f)) << k.what;
        EXPECT_TRUE(vec_near(impacts.marks[0].normal, vec3_t{0, 0, -1}, 1e-3f)) << k.what;
    }
}

TEST_F(world_impacts_test, loose_bodies_get_a_push_no_longer_than_one) {
    physics_scene_t *scene = world->get_physics_scene();
    const struct {
        float mass;
        float push;
    } cases[] = {
        {10.0f, 1.0f},
        {360000.0f, 1.0f},
        {1000000.0f, 0.6f},  // 600 × sqrt(m) / m
    };
    for (const auto &k : cases) {
        physics_body_t *body = scene->create_body();
        ASSERT_NE(body, nullptr);
        body->set_world_pose(physics_pose_t({100, 1, 100}, quat_t()));
        physics_shape_t *shape = scene->create_shape();
        ASSERT_TRUE(shape->init_sphere_world(body, 1.0f, nullptr));
        shape->set_collision_group(world_u::GROUP_BODIES);
        ASSERT_TRUE(body->set_mass(k.mass));
        physics_ray_hit_t hit;
        hit.position = {100, 1, 99};
        hit.normal = {0, 0, -1};
        hit.shape = shape;
        world->set_last_shot_hit(hit);
        impacts.clear();
        shot_record_t record;
        record.reset();
        world->on_hit(hit.position, nullptr, record, placement_t({100, 1, 90}, quat_t()), {100, 1, 110});
        EXPECT_NEAR(length(body->get_force()), k.push, 1e-4f) << k.mass;
        EXPECT_NEAR(body->get_force().z, k.push, 1e-4f) << k.mass;
        ASSERT_EQ(impacts.sounds.size(), 1u);
        EXPECT_EQ(impacts.sounds[0].path, WOOD);
        EXPECT_TRUE(impacts.emitters.empty());
        EXPECT_TRUE(impacts.marks.empty());
        delete shape;
        delete body;
    }
}

TEST_F(world_impacts_test, a_hit_without_a_shape_or_a_body_pushes_nothing) {
    physics_scene_t *scene = world->get_physics_scene();
    // No stored hit: nothing at all.
    world->set_last_shot_hit(physics_ray_hit_t{});
    shot_record_t record;
    record.reset();
    impacts.clear();
    world->on_hit({1, 1, 1}, nullptr, record, placement_t({1, 1, 0}, quat_t()), {1, 1, 2});
    EXPECT_TRUE(impacts.sounds.empty() && impacts.emitters.empty() && impacts.marks.empty());

    // A loose-body shape of no body: no mass to push; it still sounds.
    physics_shape_t *shape = scene->create_shape();
    const physics_pose_t at({100, 1, 100}, quat_t());
    ASSERT_TRUE(shape->init_sphere_world(nullptr, 1.0f, &at));
    shape->set_collision_group(world_u::GROUP_BODIES);
    physics_ray_hit_t hit;
    hit.position = {100, 1, 99};
    hit.shape = shape;
    world->set_last_shot_hit(hit);
    world->on_hit(hit.position, nullptr, record, placement_t({100, 1, 90}, quat_t()), {100, 1, 110});
    EXPECT_EQ(impacts.sounds.size(), 1u);
    delete shape;
}

TEST_F(world_impacts_test, a_missed_world_writes_nothing) {
    shot_record_t record;
    record.reset();
    const shot_record_t before = record;
    vec3_t hit_point{7, 7, 7};
    EXPECT_FALSE(world->intersect(record, hit_point, placement_t({8, 10, 8}, quat_t()), {8, 20, 8}));
    EXPECT_EQ(memcmp(record.bytes, before.bytes, shot_record_t::SIZE), 0);
    EXPECT_EQ(hit_point, (vec3_t{7, 7, 7}));
    EXPECT_EQ(world->get_target_info()->position, (vec3_t{0, 0, 0}));
}

}  // namespace
}  // namespace quarn::test

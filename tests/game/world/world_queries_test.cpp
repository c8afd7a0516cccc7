// The world's ground and segment queries on maps written by the map writer.
#include <gtest/gtest.h>

#include <cmath>

#include "game/visuals/physics/physics_scene.h"
#include "game/visuals/physics/physics_shape.h"
#include "game/world/landscape.h"
#include "world_unit_fixture.h"

namespace quarn::test {
namespace {

// A block whose collision box (4 wide, 2 high) is much larger than its model (a cube
// of 1 on the ground).
const char *BLOCK_MODEL = R"(def model {
    materials: "stone"
    def bones { def root {} }
    def parts {
        def DefaultPart { def stone { def cube { shape: "box" size: "1 1 1" position: "0 0.5 0" } } }
    }
    def looks { def default { stone: "/t/bark.mat" } }
    def collision {
        materials: "stone"
        def material_sets { def default { stone: "1" } }
        def sets { def hull { def box { shape: "box" size: "4 2 4" position: "0 1 0" } } }
    }
}
)";

class world_queries_test : public world_unit_fixture_t {
protected:
    world_u *load_flat_with_block() {
        write_model(BLOCK_MODEL, "rock", "block");
        return load_world(std::string(MAP_TERRAIN) + R"(
def landscape {
    area: "0 0 32 32"
    spacing: "4"
    material: "meadow"
}
def objects {
    def block { kind: "body" name: "body.block" model: "/map/model/rock/block.ma" collidable: "yes" }
    def blocks { kind: "place" of: "block" at: "16 16" }
}
def trails {
    def t { name: "trail.flat" points: "2 2, 14 2" }
}
)",
                          "flat");
    }
};

TEST_F(world_queries_test, the_ground_is_found_within_five_doubling_tries) {
    world_u *w = load_world(map_pond_text(), "pond");
    // Flat ground at 0 at (1, 1).
    const struct {
        float height;  // of the point above the ground
        bool found;
    } cases[] = {
        {0.5f, true},     // the first try
        {700.0f, true},   // the fifth: 800 down from 800 above
        {790.0f, true},   //
        {900.0f, false},  // beyond the fifth
        {-300.0f, true},  // below the ground: the fourth starts 400 above the point
        {-790.0f, true},  // the fifth
        {-810.0f, false},
    };
    for (const auto &k : cases) {
        physics_ray_hit_t hit;
        EXPECT_EQ(w->find_ground(hit, {1, k.height, 1}, world_u::MASK_TERRAIN), k.found) << k.height;
        if (k.found) {
            EXPECT_NEAR(hit.position.y, 0.0f, 1e-3f) << k.height;
        }
    }
}

TEST_F(world_queries_test, a_segment_of_no_length_hits_nothing) {
    world_u *w = load_world(map_pond_text(), "pond");
    physics_ray_hit_t hit;
    const vec3_t p{1, 0, 1};
    EXPECT_FALSE(w->trace_segment(hit, p, p, world_u::MASK_TERRAIN));
    EXPECT_FALSE(w->trace_segment_filtered(hit, p, p, world_u::MASK_SHOT));
    EXPECT_FALSE(w->trace_segment(hit, p, p + vec3_t{0, 1e-5f, 0}, world_u::MASK_TERRAIN));
    EXPECT_TRUE(w->trace_segment(hit, p + vec3_t{0, 1, 0}, p - vec3_t{0, 1, 0}, world_u::MASK_TERRAIN));
}

TEST_F(world_queries_test, points_that_are_not_finite_find_nothing_and_log_nothing) {
    world_u *w = load_world(map_pond_text(), "pond");
    messages.clear();
    const float nan = std::nanf(""), inf = INFINITY;
    physics_ray_hit_t hit;
    ground_probe_t probe;
    for (const vec3_t &p : {vec3_t{nan, 0, 1}, vec3_t{1, inf, 1}, vec3_t{1, 0, -inf}}) {
        EXPECT_FALSE(w->find_ground(hit, p, world_u::MASK_TERRAIN));
        EXPECT_FALSE(w->get_ground_probe(probe, p));
        EXPECT_FALSE(w->trace_segment(hit, p, {1, 1, 1}, world_u::MASK_TERRAIN));
        EXPECT_FALSE(w->trace_segment_filtered(hit, {1, 1, 1}, p, world_u::MASK_SHOT));
    }
    EXPECT_TRUE(messages.entries().empty());
}

TEST_F(world_queries_test, the_filtered_trace_counts_a_body_only_where_its_model_is) {
    world_u *w = load_flat_with_block();
    physics_ray_hit_t hit;
    const struct {
        const char *what;
        vec3_t p0, p1;
        bool plain;    // trace_segment
        bool filtered;
        float filtered_y;  // of the filtered hit
    } cases[] = {
        // Down through the box's top beside the cube, onto the ground behind it.
        {"box, then ground", {17.5f, 10, 17.5f}, {17.5f, -1, 17.5f}, true, true, 0.0f},
        // Through the box only: the ground is not reached.
        {"box only", {12, 1.5f, 17.5f}, {20, 1.5f, 17.5f}, true, false, 0.0f},
        // Down onto the cube: the model, 1 below the box's top, is within the re-test's
        // reach, so the box's hit counts.
        {"the model", {16, 10, 16}, {16, -1, 16}, true, true, 2.0f},
    };
    for (const auto &k : cases) {
        EXPECT_EQ(w->trace_segment(hit, k.p0, k.p1, world_u::MASK_SHOT), k.plain) << k.what;
        if (k.plain) {
            EXPECT_EQ(hit.shape->get_collision_group(), world_u::GROUP_OBJECTS) << k.what;
        }
        EXPECT_EQ(w->trace_segment_filtered(hit, k.p0, k.p1, world_u::MASK_SHOT), k.filtered) << k.what;
        if (k.filtered) {
            EXPECT_NEAR(hit.position.y, k.filtered_y, 1e-3f) << k.what;
        }
    }
}

TEST_F(world_queries_test, the_probe_reads_ground_surface_and_water) {
    world_u *w = load_world(map_pond_text(), "pond");
    const float preset = -3.4e38f;
    const struct {
        const char *what;
        vec3_t p;
        bool water;
        float ground;
    } cases[] = {
        {"dry ground", {1, 3, 1}, false, 0.0f},
        {"the pond's middle", {8, 3, 8}, true, -4.0f},
    };
    for (const auto &k : cases) {
        ground_probe_t probe;
        probe.water_height = probe.water_depth = preset;
        ASSERT_TRUE(w->get_ground_probe(probe, k.p)) << k.what;
        EXPECT_EQ(probe.position, k.p) << k.what;
        EXPECT_NEAR(probe.ground_height, k.ground, 0.01f) << k.what;
        EXPECT_GE(probe.triangle, 0) << k.what;
        // The meadow's highest layer substance: rock.
        EXPECT_EQ(probe.surface_kind, 14) << k.what;
        EXPECT_EQ(probe.ground_colour[3], 255) << k.what;
        if (k.water) {
            EXPECT_NEAR(probe.water_height, -1.0f, 1e-3f) << k.what;
            EXPECT_NEAR(probe.water_depth, -1.0f - probe.ground_height, 1e-3f) << k.what;
        } else {
            EXPECT_EQ(probe.water_height, preset) << k.what;
            EXPECT_EQ(probe.water_depth, preset) << k.what;
        }
    }
    ground_probe_t nowhere;
    EXPECT_FALSE(w->get_ground_probe(nowhere, {500, 0, 500}));
}

}  // namespace
}  // namespace quarn::test

// The map writer's placement rules: instances strewn by density over an area, kept
// apart, thinned at the edge and into patches, held to the ground's slope and height
// and off the water, clear of the trails, the starts and the hunter's sight lines;
// the same rules give the same instances; the rules' faults.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "map_fixtures.h"
#include "map_objects.h"
#include "map_sections.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"

namespace quarn::test {
namespace {

using mapgen::map_objects_t;
using mapgen::map_source_t;
using mapgen::vec2_t;

// 128 × 128 units of flat ground at 0, or of the given heights and water.
std::string field(const std::string &heights = "", const std::string &water = "") {
    return std::string(MAP_TERRAIN) + R"(
def landscape {
    area: "0 0 128 128"
    spacing: "4"
    material: "meadow"
    def heights {
        def base { kind: "noise" seed: "3" amplitude: "0.01" wavelength: "64" }
)" + heights + "    }\n" +
           (water.empty() ? "" : "    def water {\n" + water + "    }\n") + "}\n";
}

// An oak and a rock to place.
constexpr const char *KINDS = R"(
    def oak { kind: "plant" name: "p.oak" model: "/m/oak.ma" collidable: "yes" }
    def rock { kind: "body" name: "b.rock" model: "/m/rock.ma" }
)";

struct planted_t {
    mapgen::map_t map;
    map_objects_t objects;
    std::vector<vec2_t> points;           // every instance, in the file's order
    std::map<std::string, size_t> count;  // by body or plant block
    std::vector<float> scales;
};

// The description read, its objects read and the rules run, as the writer does.
planted_t plant(const std::string &text) {
    planted_t out;
    const map_source_t source = read_map(text, "rules.def");
    out.map = source.map;
    zmgen::zm_def_reader_t reader("rules.def", "[mapgen]");
    const quarn::def_obj_t *block = mapgen::map_find_block(source.pool, "objects");
    EXPECT_NE(block, nullptr);
    mapgen::map_layout_t layout;
    if (!block || !mapgen::map_read_objects(out.map, *block, reader, out.objects) ||
        !mapgen::map_read_layout(out.map, source.pool, reader, layout)) {
        ADD_FAILURE() << "the rules do not read";
        return out;
    }
    mapgen::map_plant(out.map, layout, out.objects);
    for (const mapgen::map_place_t &p : out.objects.places) {
        out.count[out.objects.kinds[p.kind].block] += p.points.size();
        out.points.insert(out.points.end(), p.points.begin(), p.points.end());
        out.scales.insert(out.scales.end(), p.scales.begin(), p.scales.end());
    }
    return out;
}

float distance(const vec2_t &a, const vec2_t &b) { return std::hypot(a.x - b.x, a.y - b.y); }

float nearest_pair(const std::vector<vec2_t> &a, const std::vector<vec2_t> &b) {
    float best = 1e30f;
    for (const vec2_t &p : a)
        for (const vec2_t &q : b)
            if (&p != &q) best = std::fmin(best, distance(p, q));
    return best;
}

TEST(map_planting, a_rule_strews_its_density_apart_by_its_spacing_and_the_same_seed_gives_the_same) {
    const std::string rule = R"(
    def wood {
        kind: "scatter" of: "oak rock" weights: "3 1" area: "16 16 112 112" density: "0.02"
        spacing: "4" scale: "0.8 1.2" seed: "5"
    }
)";
    const planted_t a = plant(field() + "def objects {" + KINDS + rule + "}\n");
    // 96 × 96 at 0.02: 184 cells, each a candidate; the spacing refuses some.
    ASSERT_GT(a.points.size(), 120u);
    EXPECT_LE(a.points.size(), 185u);
    EXPECT_GE(nearest_pair(a.points, a.points), 4.0f);
    for (const vec2_t &p : a.points) {
        EXPECT_TRUE(p.x >= 16 && p.x <= 112 && p.y >= 16 && p.y <= 112) << p.x << " " << p.y;
    }
    for (float s : a.scales) {
        EXPECT_TRUE(s >= 0.8f && s <= 1.2f) << s;
    }
    // The weights share the kinds three to one.
    const float oaks = float(a.count.at("oak")), rocks = float(a.count.at("rock"));
    EXPECT_NEAR(oaks / (oaks + rocks), 0.75f, 0.1f);

    const planted_t again = plant(field() + "def objects {" + KINDS + rule + "}\n");
    ASSERT_EQ(again.points.size(), a.points.size());
    for (size_t i = 0; i < a.points.size(); ++i) EXPECT_EQ(again.points[i], a.points[i]);
    std::string other = rule;
    other.replace(other.find("seed: \"5\""), 9, "seed: \"6\"");
    const planted_t b = plant(field() + "def objects {" + KINDS + other + "}\n");
    EXPECT_NE(b.points.front(), a.points.front());
}

TEST(map_planting, the_edge_fades_a_round_area_and_patches_leave_gaps) {
    auto count = [](const std::string &keys) {
        return plant(field() + "def objects {" + KINDS + "def w { kind: \"scatter\" of: \"oak\" area: \"0 0 128 128\" " +
                     "density: \"0.05\" spacing: \"0\" seed: \"9\" " + keys + " } }\n");
    };
    const planted_t full = count("");
    const planted_t round = count("round: \"yes\"");
    const planted_t faded = count("round: \"yes\" edge: \"32\"");
    const planted_t patchy = count("patches: \"32 0.5\"");
    EXPECT_NEAR(float(full.points.size()), 0.05f * 128 * 128, 25.0f);
    // The ellipse holds π / 4 of the square; a fade over half its radius keeps about
    // half of that; patches of share 0.5 leave about half bare.
    EXPECT_NEAR(float(round.points.size()) / float(full.points.size()), 0.785f, 0.06f);
    EXPECT_NEAR(float(faded.points.size()) / float(round.points.size()), 0.5f, 0.12f);
    EXPECT_NEAR(float(patchy.points.size()) / float(full.points.size()), 0.5f, 0.2f);
    for (const vec2_t &p : round.points) EXPECT_LE(distance(p, {64, 64}), 64.0f);
    // Faded: denser within 32 units of the centre than in the ring beyond.
    size_t inner = 0;
    for (const vec2_t &p : faded.points) inner += distance(p, {64, 64}) < 32.0f;
    const float inner_density = float(inner) / (3.1416f * 32 * 32);
    const float outer_density = float(faded.points.size() - inner) / (3.1416f * (64 * 64 - 32 * 32));
    EXPECT_GT(inner_density, 2.0f * outer_density);
}

TEST(map_planting, rules_keep_to_their_slope_and_height_and_off_the_water) {
    // A hill in the west, a pond in the east.
    const std::string heights = R"(
        def hill { kind: "hill" centre: "32 64" radius: "30" height: "12" }
        def basin { kind: "hill" centre: "96 64" radius: "20" height: "-4" }
)";
    const std::string water = "        def pond { area: \"64 32 128 96\" level: \"-1\" material: \"lake\" }\n";
    const planted_t p = plant(field(heights, water) + "def objects {" + KINDS + R"(
    def flat { kind: "scatter" of: "oak" density: "0.05" spacing: "0" slope: "0 0.05" water: "3" seed: "1" }
    def low { kind: "scatter" of: "rock" density: "0.05" spacing: "0" height: "4 8" seed: "2" }
}
)");
    const mapgen::map_t &m = p.map;
    ASSERT_GT(p.count.at("oak"), 300u);
    ASSERT_GT(p.count.at("rock"), 30u);
    for (const mapgen::map_place_t &place : p.objects.places) {
        const bool oak = p.objects.kinds[place.kind].block == "oak";
        for (const vec2_t &at : place.points) {
            if (oak) {
                EXPECT_LE(1.0f - m.normal_at(at.x, at.y).y, 0.05f);
                // Three units off the pond's wet ground.
                for (float a = 0; a < 6.3f; a += 0.2f) {
                    const vec2_t q{at.x + 2.9f * std::cos(a), at.y + 2.9f * std::sin(a)};
                    EXPECT_FALSE(q.x >= 64 && q.x <= 128 && q.y >= 32 && q.y <= 96 && m.ground_at(q.x, q.y) < -1.0f)
                        << at.x << " " << at.y;
                }
            } else {
                const float h = m.ground_at(at.x, at.y);
                EXPECT_TRUE(h >= 4 && h <= 8) << h;
            }
        }
    }
}

TEST(map_planting, rules_keep_clear_of_trails_starts_and_the_hunters_sight) {
    // A hunter at (16, 64) faces +x, view 45°; a trail runs across at x 64; a camera's
    // trail further out has its corridor, but the hunter does not watch it; a corner is
    // kept clear whole.
    const std::string layout = R"(
def starts {
    def hunter { name: "PlayerStart.startPoint0" at: "16 64" facing: "1 0" view_limit: "45" }
    def deer { name: "AnimalStart.point01" category: "animal" at: "100 20" }
}
def trails {
    def walk { name: "trails0.trail0" points: "64 8, 64 120" }
    def camera { name: "cameras0.trail0" points: "100 8, 100 120" lift: "8" }
}
)";
    const planted_t p = plant(field() + layout + "def objects {" + KINDS + R"(
    def clear { kind: "clearance" trails: "3" starts: "6" sight: "2 100" sight_trails: "trails" areas: "0 100 30 128" }
    def everywhere { kind: "scatter" of: "oak" density: "0.1" spacing: "0" seed: "4" }
}
)");
    ASSERT_GT(p.points.size(), 1000u);
    size_t by_camera = 0, behind_trail = 0;
    for (const vec2_t &at : p.points) {
        const bool along = at.y >= 8.0f && at.y <= 120.0f;  // beside the trails, not beyond their ends
        EXPECT_TRUE(!along || std::fabs(at.x - 64.0f) >= 3.0f) << "on the trail: " << at.x << " " << at.y;
        EXPECT_GE(distance(at, {16, 64}), 6.0f);
        EXPECT_GE(distance(at, {100, 20}), 6.0f);
        // The view's fan reaches the trail between z 16 and 112 (45° each way, 48
        // ahead, and within 100 units): nothing stands in it, nor within 2 of its sides.
        EXPECT_FALSE(at.x <= 30.0f && at.y >= 100.0f) << "in the area kept clear: " << at.x << " " << at.y;
        const float dx = at.x - 16.0f, dz = at.y - 64.0f;
        if (dx > 0 && at.x < 64.0f) {
            const float half_width = dx;  // 45°
            EXPECT_GT(std::fabs(dz), half_width + 1.9f) << "in the hunter's sight: " << at.x << " " << at.y;
        }
        EXPECT_TRUE(!along || std::fabs(at.x - 100.0f) >= 3.0f) << "on the camera's trail: " << at.x << " " << at.y;
        by_camera += std::fabs(at.x - 100.0f) < 6.0f && std::fabs(dz) < 20.0f;
        behind_trail += at.x > 70.0f && at.x < 94.0f && std::fabs(dz) < 20.0f;
    }
    EXPECT_GT(by_camera, 0u) << "beside the camera's trail, in the hunter's view: not watched";
    EXPECT_GT(behind_trail, 0u) << "the sight stops at the trail";
}

TEST(map_planting, rules_keep_apart_from_earlier_rules_and_from_placements_by_hand) {
    const planted_t p = plant(field() + "def objects {" + KINDS + R"(
    def hand { kind: "place" of: "rock" at: "64 64, 30 90" }
    def trees { kind: "scatter" of: "oak" density: "0.02" spacing: "8" seed: "1" }
    def stones { kind: "scatter" of: "rock" density: "0.05" spacing: "2" seed: "2" }
}
)");
    ASSERT_EQ(p.objects.places.size(), 3u);
    const std::vector<vec2_t> &hand = p.objects.places[0].points, &trees = p.objects.places[1].points,
                              &stones = p.objects.places[2].points;
    ASSERT_GT(trees.size(), 100u);
    ASSERT_GT(stones.size(), 200u);
    EXPECT_GE(nearest_pair(trees, trees), 8.0f);
    EXPECT_GE(nearest_pair(stones, stones), 2.0f);
    EXPECT_GE(nearest_pair(trees, stones), 5.0f) << "the mean of 8 and 2";
    EXPECT_GE(nearest_pair(hand, trees), 6.0f) << "a placement by hand keeps 4";
    EXPECT_GE(nearest_pair(hand, stones), 3.0f);
}

TEST(map_planting, the_written_file_holds_the_rules_instances) {
    const std::string text = field() + "def objects {" + KINDS + R"(
    def trees { kind: "scatter" of: "oak" density: "0.01" spacing: "6" seed: "1" }
}
)";
    temp_dir_t base;
    ASSERT_TRUE(write_map(text, "rules", base.path()));
    const planted_t p = plant(text);
    const std::string unit = read_file(base.file("map/rules/landscape.game.unit"));
    size_t instances = 0;
    for (size_t at = unit.find("plant_inst"); at != std::string::npos; at = unit.find("plant_inst", at + 1)) ++instances;
    EXPECT_EQ(instances, p.points.size());
    EXPECT_GT(instances, 80u);
}

// A rock sunk by its lift stops at the lowest ground of its chunk: the game keeps a
// body on a chunk whose box holds its position, and the box goes no deeper.
TEST(map_planting, no_instance_sinks_below_its_chunks_lowest_ground) {
    const std::string text = field("        def dip { kind: \"hill\" centre: \"64 64\" radius: \"8\" height: \"-2\" }\n") +
                             "def objects {" + KINDS + R"(
    def sunk { kind: "place" of: "rock" at: "20 20, 64 64" lift: "-0.5 -3" }
}
)";
    const planted_t p = plant(text);
    const std::string unit = mapgen::map_objects_text(p.map, p.objects);
    std::vector<float> heights;
    for (size_t at = unit.find("placement: ("); at != std::string::npos; at = unit.find("placement: (", at + 1)) {
        float x, y, z;
        ASSERT_EQ(sscanf(unit.c_str() + at, "placement: (%f, %f, %f)", &x, &y, &z), 3);
        heights.push_back(y);
    }
    ASSERT_EQ(heights.size(), 2u);
    float lowest = 1e9f;
    for (float x = 0; x <= 128; x += 4)
        for (float z = 0; z <= 128; z += 4) lowest = std::fmin(lowest, p.map.height_at(x, z));
    EXPECT_NEAR(lowest, -2.0f, 0.05f);
    EXPECT_NEAR(heights[0], p.map.ground_at(20, 20) - 0.5f, 1e-4f) << "above the floor: as lifted";
    EXPECT_NEAR(heights[1], lowest, 1e-4f) << "3 under the bottom of the dip: on the floor";
}

TEST(map_planting, faults_of_rules_are_reported_with_their_place) {
    const struct {
        const char *rule;
        const char *message;
    } cases[] = {
        {"def w { kind: \"scatter\" density: \"0.1\" }", "'w' has no 'of'"},
        {"def w { kind: \"scatter\" of: \"elm\" density: \"0.1\" }", "no body or plant 'elm' is given before"},
        {"def w { kind: \"scatter\" of: \"oak\" }", "'w' has no 'density'"},
        {"def w { kind: \"scatter\" of: \"oak\" density: \"0\" }", "'density' must be above 0"},
        {"def w { kind: \"scatter\" of: \"oak\" density: \"2\" }", "'density' is 2, outside 0 to 1"},
        {"def w { kind: \"scatter\" of: \"oak rock\" weights: \"1\" density: \"0.1\" }",
         "'weights' needs one number a kind of 'of' (2), not 1"},
        {"def w { kind: \"scatter\" of: \"oak\" weights: \"0\" density: \"0.1\" }", "'weights' must be above 0"},
        {"def w { kind: \"scatter\" of: \"oak\" density: \"0.1\" area: \"9 9 1 1\" }", "'area' needs x0 z0 x1 z1"},
        {"def w { kind: \"scatter\" of: \"oak\" density: \"0.1\" scale: \"2 1\" }", "'scale' needs a size above 0"},
        {"def w { kind: \"scatter\" of: \"oak\" density: \"0.1\" patches: \"0 0.5\" }",
         "'patches' needs a wavelength above 0"},
        {"def w { kind: \"scatter\" of: \"oak\" density: \"0.1\" slope: \"0.5 0.1\" }", "'slope' needs the least value"},
        {"def w { kind: \"scatter\" of: \"oak\" density: \"0.5\" area: \"-9000 -9000 9000 9000\" }",
         "'w' would try more than"},
        {"def w { kind: \"scatter\" of: \"oak\" density: \"0.1\" rows: \"2\" }", "unknown key 'rows'"},
        {"def c { kind: \"clearance\" sight: \"-1 50\" }", "'sight' needs a half-width and a range"},
        {"def c { kind: \"clearance\" areas: \"0 0 9 9, 5 5 1 9\" }", "'areas' needs x0 z0 x1 z1"},
        {"def c { kind: \"clearance\" } def d { kind: \"clearance\" }", "a second 'clearance'"},
    };
    message_capture_t log;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.rule);
        log.clear();
        map_source_t source;
        EXPECT_FALSE(mapgen::map_read_description_text(field() + "def objects {" + KINDS + c.rule + "}\n", "rules.def",
                                                       source));
        EXPECT_TRUE(log.contains(c.message)) << (log.entries().empty() ? "" : log.entries().back().text);
        EXPECT_TRUE(log.contains("[mapgen] rules.def:")) << "the place of the fault";
    }
}

}  // namespace
}  // namespace quarn::test

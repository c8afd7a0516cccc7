// The herd writer of random missions and the species' day curves: start points split
// around the centre, the herds written with a fixed generator (golden text), and the
// curve's readings and refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "../world/world_unit_fixture.h"
#include "game/scene/herd_writer.h"
#include "outside/qrnshared/def_obj.h"
#include "outside/qrnshared/def_pool.h"
#include "qrncore/numerics/randomizer.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "support/test_paths.h"

namespace quarn::test {

// A model description as the hookup files name them: only its "scale" matters here.
class herd_desc_u : public unit_t {
    QRN_UNIT_CLASS(herd_desc_u, unit_t);

public:
    float scale = 1.0f;
};
QRN_UNIT_DEFINE(herd_desc_u, "herd_desc", QRN_ATTR(scale, UNIT_ATTR_FLOAT, "scale"));

namespace {

TEST(species_curve, values_before_between_and_after_the_hours_and_refused_lists) {
    def_pool_t pool;
    const char text[] = "def s {\n"
                        "  curve: \"6:0.4:12:0.2:18:0.5\"\n"
                        "  falls: \"6:0.4:6:0.2\"\n"
                        "  zero: \"0:0.4:6:0.2\"\n"
                        "  odd: \"6:0.4:12\"\n"
                        "  word: \"6:x\"\n"
                        "}\n";
    ASSERT_TRUE(pool.read_text(text, sizeof text - 1, "/t/curve.def"));
    const def_obj_t *s = pool.find("s");
    ASSERT_NE(s, nullptr);
    const struct {
        const char *key;
        float x, expected;
        const char *error;
    } cases[] = {
        {"curve", 2, 0.4f, nullptr},      // before the first hour: the first value
        {"curve", 9, 0.3f, nullptr},      // halfway between 6 and 12
        {"curve", 16, 0.4f, nullptr},     // two thirds from 12 to 18
        {"curve", 23, 0.5f, nullptr},     // after the last: the last value
        {"missing", 9, 0.7f, "[game] cannot get (missing) value of species (s)"},
        {"falls", 9, 0.7f, "[game] invalid (falls) value of species (s)"},
        {"zero", 9, 0.7f, "[game] invalid (zero) value of species (s)"},
        {"odd", 9, 0.7f, "[game] invalid (odd) value of species (s)"},
        {"word", 9, 0.7f, "[game] invalid (word) value of species (s)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + std::to_string(c.x));
        message_capture_t log;
        EXPECT_NEAR(read_species_curve(*s, c.key, c.x, 0.7f), c.expected, 1e-6f);
        const std::vector<std::string> errors = log.texts(message_t::ERROR);
        if (c.error) EXPECT_EQ(errors, std::vector<std::string>{c.error});
        else EXPECT_TRUE(errors.empty());
    }
}

TEST(species_curve, the_shipped_species_have_their_day_curves_and_a_default_preset) {
    fs_startup();
    fs_device_t *mount = ufs_mount(FS_DEVICE_DIRECTORY, (test_source_dir() + "/data/builtin").c_str(), "/", true, 0);
    ASSERT_NE(mount, nullptr);
    {
        def_pool_t game;
        ASSERT_TRUE(game.read_from("/def/game.def"));
        message_capture_t log;
        for (const char *name : {"whitetail", "moose", "grizzly"}) {
            SCOPED_TRACE(name);
            const def_obj_t *species = game.find((std::string("species.") + name).c_str());
            ASSERT_NE(species, nullptr);
            for (const char *key : {"thirst_pattern", "rest_pattern"})
                for (float hour : {0.0f, 7.5f, 12.0f, 23.0f}) {
                    const float v = read_species_curve(*species, key, hour, -1.0f);
                    EXPECT_GE(v, 0.0f);
                    EXPECT_LE(v, 1.0f);
                }
            EXPECT_NE(species->find("ai_presets.default"), nullptr);
        }
        EXPECT_TRUE(log.texts(message_t::ERROR).empty());
    }
    ufs_unmount(mount);
    fs_shutdown();
}

class herd_writer : public world_unit_fixture_t {
protected:
    void SetUp() override {
        world_unit_fixture_t::SetUp();
        ASSERT_TRUE(get_engine_ubank()->register_class(&herd_desc_u::unit_descriptor));
    }
    void TearDown() override {
        loader.reset();
        unit_system_t::clean_garbage();
        get_engine_ubank()->unregister_class(&herd_desc_u::unit_descriptor);
        world_unit_fixture_t::TearDown();
    }
    // Start points at these positions (x z) of "/map/herd".
    void put_starts(const std::vector<std::pair<float, float>> &points) {
        std::string text = "RozErere\n{\n";
        for (size_t i = 0; i < points.size(); ++i)
            text += "start_point : s" + std::to_string(i) + " { placement: (" + std::to_string(points[i].first) +
                    ", 0, " + std::to_string(points[i].second) + ") 1 (1; 0, 0, 0) }\n";
        put_text("herd/landscape.start.unit", text + "}\n");
    }
    // Every written object, its own keys in order.
    static std::string dump(const def_obj_t &parent) {
        std::string out;
        for (const def_obj_t *o = parent.get_first_child(); o; o = o->get_next()) {
            out += std::string(o->get_name()) + "\n";
            for (const def_value_t *v = o->get_first_value(); v; v = v->get_next())
                out += std::string("  ") + v->get_key() + ": " + v->get_text() + "\n";
            for (const def_obj_t *c = o->get_first_child(); c; c = c->get_next()) out += "  [" + std::string(c->get_name()) + "]\n";
        }
        return out;
    }
};

TEST_F(herd_writer, start_points_split_near_and_far_around_the_centre) {
    put_starts({{1.5f, 0}, {5, 0}, {0, 1000}, {1001, 0}, {-3, 4}});
    array_dyn_t<vec3_t> near_list, far_list;
    ASSERT_TRUE(collect_start_points(vec3_t{0, 0, 0}, "herd", near_list, far_list));
    ASSERT_EQ(near_list.get_count(), 3u) << "1.5 from the centre is in neither list";
    EXPECT_EQ(near_list[0].x, 5.0f);
    EXPECT_EQ(near_list[1].z, 1000.0f) << "1000 away is still near";
    EXPECT_EQ(near_list[2].x, -3.0f);
    ASSERT_EQ(far_list.get_count(), 1u);
    EXPECT_EQ(far_list[0].x, 1001.0f);

    messages.clear();
    EXPECT_FALSE(collect_start_points(vec3_t{}, "nowhere", near_list, far_list));
    EXPECT_TRUE(messages.contains("[game] no start points found"));
}

TEST_F(herd_writer, herds_are_written_around_the_nearest_start_point_until_the_points_run_out) {
    put_starts({{1.5f, 0}, {12, 0}, {5, 0}, {0, 20}, {3000, 0}});
    ASSERT_TRUE(load("herd_desc : whitetail.male.animal.model.desc { scale: 1.2 }"));
    def_pool_t game;
    const char game_text[] =
        "def species {\n"
        "  def whitetail {\n"
        "    thirst_pattern: \"6:0.4:12:0.2:18:0.5:24:0.2\"\n"
        "    rest_pattern: \"6:0.1:12:0.4\"\n"
        "    def carcass {}\n"
        "    def female { gender: \"2\" }\n"
        "    def male { gender: \"1\" type: \"deer\" scoring_type: \"size\" score_range: \"10:20\"\n"
        "               weight_range: \"60:130\" fact_enemy: \"2\"\n"
        "               def ai_presets { def default { val_stress: \"0.5\" fact_enemy: \"8\" } } }\n"
        "  }\n"
        "  def moose {\n"
        "    def ai_presets { def default { fade_pain: \"0.5\" } }\n"
        "    def male { gender: \"1\" scoring_type: \"size\" score_range: \"100:200\" weight_range: \"300:600\" }\n"
        "  }\n"
        "}\n";
    ASSERT_TRUE(game.read_text(game_text, sizeof game_text - 1, "/t/game.def"));
    def_pool_t mission;
    def_obj_t *animals = mission.create_object("animals");
    ASSERT_NE(animals, nullptr);
    randomizer_t random(42);
    const herd_request_t requests[] = {{"whitetail", 3}, {"moose", 2}};
    herd_order_t order;
    order.pool = &mission;
    order.parent = animals;
    order.game = &game;
    order.map = "herd";
    order.hour = 9.0f;
    order.random = &random;
    messages.clear();
    EXPECT_EQ(write_herds(order, requests, 2), 4u) << "four start points for five animals";
    EXPECT_TRUE(messages.contains("[game] no start point left on herd: the herds end after 4 animals"));
    EXPECT_TRUE(messages.contains("[game] cannot get (thirst_pattern) value of species (moose)"));
    // The first animal of a herd stands nearest the centre (near list, then far); the
    // whitetail's description scales it by 1.2, the moose has none; the preset's
    // values come first, scaled by the gender's own (fact_enemy 8 x 2). Scores and
    // weights by size: the whitetails of 1.24 to 1.40 at the top of 10:20 (clamped
    // from 1.3) and beyond 60:130, the moose of 0.93 a little past a third of 100:200.
    EXPECT_EQ(dump(*animals), R"(whitetail_male00
  name: whitetail_male00
  species: whitetail
  type: male
  position: 5 0 0
  orientation: -0.7086606 0 0.7055495
  val_stress: 0.3
  fact_enemy: 16
  val_hunger: 0.52290237
  val_thirst: 0.30818802
  val_tiredness: 0.26467407
  val_sex: 0
  val_aggression: 0.02968107
  val_mate: 0
  scale: 1.2378362
  weight: 124.140495
  score: 19.342825
whitetail_male01
  name: whitetail_male01
  species: whitetail
  type: male
  mate: whitetail_male00
  position: 0 0 20
  orientation: -0.9540538 0 -0.2996353
  val_stress: 0.3
  fact_enemy: 16
  val_hunger: 0.5188486
  val_thirst: 0.2982763
  val_tiredness: 0.24164237
  val_sex: 0
  val_aggression: 0.037897233
  val_mate: 0
  scale: 1.3675961
  weight: 138.18513
  score: 20
whitetail_male02
  name: whitetail_male02
  species: whitetail
  type: male
  mate: whitetail_male00
  position: 12 0 0
  orientation: -0.71834725 0 0.6956848
  val_stress: 0.3
  fact_enemy: 16
  val_hunger: 0.46976736
  val_thirst: 0.30554572
  val_tiredness: 0.2277842
  val_sex: 0
  val_aggression: 0.019433012
  val_mate: 0
  scale: 1.4017184
  weight: 151.7938
  score: 19.999058
moose_male03
  name: moose_male03
  species: moose
  type: male
  position: 3000 0 0
  orientation: -0.3777014 0 0.9259274
  fade_pain: 0.5
  val_hunger: 0.52226865
  val_thirst: 0.18269147
  val_tiredness: 0.0916448
  val_sex: 0
  val_aggression: 0.16208991
  val_stress: 0.3
  val_mate: 0
  scale: 0.92964685
  weight: 398.11444
  score: 135.81972
)");
}

TEST_F(herd_writer, a_herd_is_shared_among_the_genders_by_their_shares) {
    std::vector<std::pair<float, float>> points;
    for (int i = 0; i < 30; ++i) points.emplace_back(float(10 + i), 0.0f);
    put_starts(points);
    def_pool_t game;
    const char game_text[] =
        "def species {\n"
        "  def deer {\n"
        "    def carcass {}\n"
        "    def male { gender: \"1\" herd_share: \"0.2\" }\n"
        "    def female { gender: \"2\" herd_share: \"0.8\" }\n"
        "    def young { gender: \"3\" }\n"
        "  }\n"
        "  def bear {\n"
        "    def male { gender: \"1\" herd_share: \"1\" }\n"
        "    def female { gender: \"2\" herd_share: \"1\" }\n"
        "    def young { gender: \"3\" herd_share: \"1\" }\n"
        "  }\n"
        "  def hare { def female { gender: \"2\" } def male { gender: \"1\" } }\n"
        "  def odd { def male { gender: \"1\" herd_share: \"x\" } def female { gender: \"2\" herd_share: \"2\" } }\n"
        "}\n";
    ASSERT_TRUE(game.read_text(game_text, sizeof game_text - 1, "/t/game.def"));
    const struct {
        const char *species;
        uint32_t count;
        const char *types;  // each animal's type, in the order written
    } cases[] = {
        {"deer", 5, "male female female female female"},
        {"deer", 2, "female female"},  // 0.4 and 1.6: the larger remainder
        {"deer", 1, "female"},
        {"bear", 4, "male male female young"},  // a third each; the tie to the earlier
        {"bear", 5, "male male female female young"},
        {"hare", 3, "male male male"},  // no shares: the male takes the herd
        {"odd", 2, "female female"},    // a share that does not read is none
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.species) + " " + std::to_string(c.count));
        def_pool_t mission;
        def_obj_t *animals = mission.create_object("animals");
        ASSERT_NE(animals, nullptr);
        randomizer_t random(7);
        herd_order_t order;
        order.pool = &mission;
        order.parent = animals;
        order.game = &game;
        order.map = "herd";
        order.random = &random;
        messages.clear();
        const herd_request_t request{c.species, c.count};
        ASSERT_EQ(write_herds(order, &request, 1), c.count);
        std::string types, leader;
        for (const def_obj_t *o = animals->get_first_child(); o; o = o->get_next()) {
            types += (types.empty() ? "" : " ") + std::string(o->get_dvalue("type", ""));
            if (leader.empty()) {
                leader = o->get_name();
                EXPECT_EQ(o->get_value("mate"), nullptr) << "the first leads";
            } else {
                EXPECT_STREQ(o->get_dvalue("mate", ""), leader.c_str()) << "all follow the first";
            }
        }
        // Each type's animals together, the types in file order.
        EXPECT_EQ(types, c.types);
        if (std::string(c.species) == "odd") {
            EXPECT_TRUE(messages.contains("[game] invalid (herd_share) value of species (odd.male)"));
        }
    }
}

// The shipped game definition's herds hold both genders, and their trophy scores and
// weights reach across the natural ranges of each gender (times the draws' random
// factors): a herd of sizes 0.8 to 1.2 does not all score the low end.
TEST_F(herd_writer, the_shipped_herds_hold_both_genders_across_their_score_and_weight_ranges) {
    fs_device_t *builtin =
        ufs_mount(FS_DEVICE_DIRECTORY, (test_source_dir() + "/data/builtin").c_str(), "/", true, 0);
    ASSERT_NE(builtin, nullptr);
    def_pool_t game;
    const bool read = game.read_from("/def/game.def");
    ufs_unmount(builtin);
    ASSERT_TRUE(read);
    messages.clear();
    std::vector<std::pair<float, float>> points;
    for (int i = 0; i < 800; ++i) points.emplace_back(float(10 + i % 40), float(i / 40));
    put_starts(points);

    // A herd of five of each kind (what a random mission writes), then large ones.
    const struct {
        const char *species;
        const char *five;  // the types of a herd of five
    } herds[] = {{"whitetail", "male female female female female"},
                 {"moose", "male male female female female"},
                 {"grizzly", "male male female female female"}};
    for (const auto &h : herds) {
        SCOPED_TRACE(h.species);
        def_pool_t mission;
        def_obj_t *animals = mission.create_object("animals");
        randomizer_t random(3);
        herd_order_t order{&mission, animals, &game, "herd", vec3_t{}, 11.0f, &random};
        const herd_request_t request{h.species, 5};
        ASSERT_EQ(write_herds(order, &request, 1), 5u);
        std::string types;
        for (const def_obj_t *o = animals->get_first_child(); o; o = o->get_next())
            types += (types.empty() ? "" : " ") + std::string(o->get_dvalue("type", ""));
        EXPECT_EQ(types, h.five);
    }

    // The natural ranges: score (0 0 for antlered bucks, scored by their antlers) and weight.
    const struct {
        const char *species, *type;
        float score_lo, score_hi, weight_lo, weight_hi;
    } ranges[] = {
        {"whitetail", "male", 0, 0, 60, 130},     {"whitetail", "female", 10, 20, 40, 85},
        {"moose", "male", 150, 220, 380, 600},    {"moose", "female", 100, 150, 300, 450},
        {"grizzly", "male", 20, 27, 180, 360},    {"grizzly", "female", 17, 23, 120, 230},
    };
    def_pool_t mission;
    def_obj_t *animals = mission.create_object("animals");
    randomizer_t random(99);
    herd_order_t order{&mission, animals, &game, "herd", vec3_t{}, 11.0f, &random};
    const herd_request_t requests[] = {{"whitetail", 250}, {"moose", 250}, {"grizzly", 250}};
    ASSERT_EQ(write_herds(order, requests, 3), 750u);
    // The draws log nothing (the antler files are not mounted here: the bucks get none).
    for (const std::string &e : messages.texts(message_t::ERROR)) EXPECT_EQ(e.find("[animal]"), std::string::npos) << e;
    for (const auto &r : ranges) {
        SCOPED_TRACE(std::string(r.species) + "." + r.type);
        float score[2] = {1e9f, -1e9f}, weight[2] = {1e9f, -1e9f};
        uint32_t n = 0;
        for (const def_obj_t *o = animals->get_first_child(); o; o = o->get_next()) {
            if (strcmp(o->get_dvalue("species", ""), r.species) || strcmp(o->get_dvalue("type", ""), r.type)) continue;
            ++n;
            float s = 0, w = 0;
            ASSERT_TRUE(o->get_real("score", s) && o->get_real("weight", w));
            score[0] = std::min(score[0], s), score[1] = std::max(score[1], s);
            weight[0] = std::min(weight[0], w), weight[1] = std::max(weight[1], w);
        }
        ASSERT_GE(n, 50u);
        // Within the range times the random factors, and reaching near both its ends.
        const float sw = r.score_hi - r.score_lo, ww = r.weight_hi - r.weight_lo;
        EXPECT_GE(score[0], r.score_lo * 0.98f);
        EXPECT_LE(score[1], r.score_hi * 1.02f);
        EXPECT_LE(score[0], r.score_lo + 0.1f * sw + 0.02f * r.score_lo);
        EXPECT_GE(score[1], r.score_hi - 0.1f * sw - 0.02f * r.score_hi);
        EXPECT_GE(weight[0], r.weight_lo * 0.93f);
        EXPECT_LE(weight[1], r.weight_hi * 1.07f);
        EXPECT_LE(weight[0], r.weight_lo + 0.1f * ww);
        EXPECT_GE(weight[1], r.weight_hi - 0.1f * ww);
    }
}

TEST_F(herd_writer, nothing_is_written_without_animals_species_or_start_points) {
    def_pool_t game, mission;
    const char game_text[] = "def other {}\n";
    ASSERT_TRUE(game.read_text(game_text, sizeof game_text - 1, "/t/game.def"));
    herd_order_t order;
    order.pool = &mission;
    order.game = &game;
    order.map = "herd";
    const herd_request_t requests[] = {{"whitetail", 0}};
    EXPECT_EQ(write_herds(order, requests, 1), 0u);
    EXPECT_TRUE(messages.contains("[game] cannot find game.def (species) section"));
    const char species_text[] = "def species { def whitetail { def male { gender: \"1\" } } }\n";
    ASSERT_TRUE(game.read_text(species_text, sizeof species_text - 1, "/t/game.def"));
    EXPECT_EQ(write_herds(order, requests, 1), 0u);
    EXPECT_TRUE(messages.contains("[game] no animals created"));
    const herd_request_t one[] = {{"whitetail", 1}};
    EXPECT_EQ(write_herds(order, one, 1), 0u) << "no start file";
    EXPECT_TRUE(messages.contains("[game] no start points found"));
    EXPECT_EQ(mission.get_object_count(), 0u);
}

}  // namespace
}  // namespace quarn::test

// The live animals on the content map "valley" with its navigation mesh and the
// whitetail, headless with a fixed step and fixed seeds: a hungry herd feeds at an
// attraction area, a herd flees a bear without setting foot on ground it may not
// walk, a gunshot raises stress and plays the alert, the content mission's doe runs her
// script to its end, and two runs of one seed take the same ways.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <set>
#include <string>

#include "game/ai/mind/ai_simple.h"
#include "live_animal_fixture.h"

namespace quarn::test {
namespace {

// Three whitetails on the open ground between the meadows, the does following the
// buck, hungry and nothing else: the eastern meadow (food, centre (60, -50), radius
// 25) is the nearest.
std::string herd_mission(const char *extra = "") {
    const char *needs = "val_hunger: \"0.95\" val_thirst: \"0\" val_tiredness: \"0\" val_sex: \"0\" "
                        "val_stress: \"0\" val_aggression: \"0\"";
    return std::string("def general { area: \"valley\" weather: \"clear\" time: \"9\" wind_dir: \"1 0 0\" }\n"
                       "def animals {\n"
                       "    def buck { species: \"whitetail\" type: \"male\" position: \"10 0 -20\" "
                       "orientation: \"0 0 1\" score: \"0\" weight: \"90\" ") +
           needs + " }\n"
                   "    def doe1 { species: \"whitetail\" type: \"female\" mate: \"buck\" position: \"16 0 -24\" "
                   "orientation: \"0 0 1\" score: \"12\" weight: \"60\" " +
           needs + " }\n"
                   "    def doe2 { species: \"whitetail\" type: \"female\" mate: \"buck\" position: \"4 0 -25\" "
                   "orientation: \"1 0 0\" score: \"11\" weight: \"55\" " +
           needs + " }\n" + extra + "}\n";
}

constexpr vec3_t MEADOW{60.0f, 0.0f, -50.0f};
constexpr float MEADOW_RADIUS = 25.0f;

float flat_distance(const vec3_t &a, const vec3_t &b) {
    const float dx = a.x - b.x, dz = a.z - b.z;
    return std::sqrt(dx * dx + dz * dz);
}

using live_animals = live_animal_fixture_t;

TEST_F(live_animals, a_hungry_herd_walks_the_mesh_to_the_nearest_meadow_and_feeds_there) {
    ASSERT_TRUE(start(herd_mission()));
    ASSERT_EQ(animal_count(), 3u);
    std::set<uint32_t> cells[3];
    bool eaten[3] = {false, false, false};
    run(uint32_t(150.0f / FRAME), [&](uint32_t) {
        for (uint32_t i = 0; i < 3; ++i) {
            simple_animal_t *a = animal(i);
            cells[i].insert(a->get_cell());
            EXPECT_TRUE(on_walkable_cell(*a)) << a->get_name();
            const ai_command_t &c = a->get_mind()->get_command();
            if (c.kind == AI_CMD_FEED && c.phase == 2 &&
                a->get_presentation()->get_current_processor() == simple_animal_t::EAT)
                eaten[i] = true;
        }
        return true;
    });
    for (uint32_t i = 0; i < 3; ++i) {
        simple_animal_t *a = animal(i);
        SCOPED_TRACE(a->get_name());
        EXPECT_TRUE(eaten[i]) << "never ate";
        // Roam points of a feeding animal lie within (activity + 1) × 0.9 of the radius.
        EXPECT_LT(flat_distance(a->get_position(), MEADOW), 2.0f * MEADOW_RADIUS);
        EXPECT_GT(cells[i].size(), 4u) << "walked across the mesh's cells";
    }
}

// The game definition with the grizzly (species 7, a threat to whitetails, which are
// its prey) drawn with the whitetail's model and behaviour file.
std::unique_ptr<def_pool_t> with_fixture_bear(live_animal_fixture_t &f, std::unique_ptr<def_pool_t> game) {
    def_obj_t *bear = game ? game->find("species.grizzly.male") : nullptr;
    EXPECT_NE(bear, nullptr);
    if (bear) bear->set_value("model", "/model/animal/whitetail/animal.zba");
    (void)f;
    return game;
}

TEST_F(live_animals, a_herd_flees_a_bear_and_never_steps_on_ground_it_may_not_walk) {
    auto game = with_fixture_bear(*this, game_definition());
    ASSERT_TRUE(start(herd_mission("    def bear { species: \"grizzly\" type: \"male\" position: \"-20 0 -22\" "
                                   "orientation: \"1 0 0\" score: \"24\" weight: \"250\" val_hunger: \"0.9\" }\n"),
                      11, game.get()));
    ASSERT_EQ(animal_count(), 4u);
    simple_animal_t *bear = animal("bear");
    ASSERT_NE(bear, nullptr);
    bool fled[3] = {false, false, false};
    float nearest[3] = {1e9f, 1e9f, 1e9f};
    run(uint32_t(60.0f / FRAME), [&](uint32_t) {
        for (uint32_t i = 0; i < animal_count(); ++i) {
            simple_animal_t *a = animal(i);
            EXPECT_TRUE(on_walkable_cell(*a)) << a->get_name() << " at " << a->get_position().x << ", "
                                              << a->get_position().z;
        }
        for (uint32_t i = 0; i < 3; ++i) {
            simple_animal_t *a = animal(i);
            if (a->get_mind()->get_command().kind == AI_CMD_FLEE) fled[i] = true;
            const float d = flat_distance(a->get_position(), bear->get_position());
            if (d < nearest[i]) nearest[i] = d;
        }
        return !HasFailure();
    });
    for (uint32_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(animal(i)->get_name());
        EXPECT_TRUE(fled[i]);
        EXPECT_GT(flat_distance(animal(i)->get_position(), bear->get_position()), 2.0f * nearest[i])
            << "ran from the bear";
    }
}

TEST_F(live_animals, every_live_kind_of_the_content_comes_alive_without_a_complaint) {
    std::string animals;
    const char *kinds[][2] = {{"whitetail", "male"}, {"whitetail", "female"}, {"moose", "male"},
                              {"moose", "female"},   {"grizzly", "male"},     {"grizzly", "female"}};
    float x = -60.0f;
    for (const auto &k : kinds) {
        animals += std::string("    def ") + k[0] + "_" + k[1] + " { species: \"" + k[0] + "\" type: \"" + k[1] +
                   "\" position: \"" + std::to_string(x) + " 0 -40\" score: \"10\" weight: \"100\" }\n";
        x += 20.0f;
    }
    ASSERT_TRUE(start("def general { area: \"valley\" weather: \"clear\" }\ndef animals {\n" + animals + "}\n"));
    run(uint32_t(20.0f / FRAME));
    EXPECT_EQ(messages.texts(message_t::ERROR), std::vector<std::string>{});
    EXPECT_EQ(messages.texts(message_t::WARNING), std::vector<std::string>{});
    ASSERT_EQ(animal_count(), 6u);
    for (uint32_t i = 0; i < animal_count(); ++i) {
        simple_animal_t *a = animal(i);
        SCOPED_TRACE(a->get_name());
        EXPECT_FALSE(a->is_removed());
        EXPECT_NE(a->get_presentation()->get_channel(0).current, -1) << "a behaviour plays";
        EXPECT_GE(a->get_hull_part(), 0);
    }
    EXPECT_NE(dynamic_cast<deer_animal_t *>(animal("whitetail_male")), nullptr);
    EXPECT_EQ(dynamic_cast<deer_animal_t *>(animal("moose_male")), nullptr) << "a moose has no type \"deer\"";
}

TEST_F(live_animals, a_bear_stalks_its_prey_downwind_charges_and_kills_it) {
    // The doe rests and perceives no enemy; the bear's script sends it after her from
    // 110 units away, the wind blowing from her toward the bear.
    auto game = with_fixture_bear(*this, game_definition());
    const char *text = R"(
def general { area: "valley" weather: "clear" time: "9" wind_dir: "-1 0 0" }
def animals {
    def doe { species: "whitetail" type: "female" position: "40 0 -30" score: "12" weight: "60"
              val_hunger: "0" val_thirst: "0" val_tiredness: "0.9" val_stress: "0" fact_enemy_perception: "0"
              def script { def cmd00 { action: "rest" } } }
    def bear { species: "grizzly" type: "male" position: "-70 0 -30" orientation: "1 0 0" score: "24" weight: "250"
               def script { def cmd00 { action: "pursue animal" param: "doe" } } }
}
)";
    ASSERT_TRUE(start(text, 3, game.get()));
    simple_animal_t *doe = animal("doe");
    simple_animal_t *bear = animal("bear");
    ASSERT_TRUE(doe && bear);
    int32_t phases = 0;  // bit 1 stalking, bit 2 charging
    bool attacked = false;
    run(uint32_t(120.0f / FRAME), [&](uint32_t) {
        const ai_command_t &c = bear->get_mind()->get_command();
        if (c.kind == AI_CMD_PURSUE_ANIMAL && (c.phase == 1 || c.phase == 2)) phases |= 1 << c.phase;
        if (doe->is_reacting()) attacked = true;
        EXPECT_TRUE(on_walkable_cell(*bear));
        return !doe->is_dead() && !HasFailure();
    });
    EXPECT_EQ(phases, 6) << "stalked, then charged";
    EXPECT_TRUE(attacked) << "the doe turned on the bear when it came near";
    EXPECT_TRUE(doe->is_dead());
    EXPECT_LT(flat_distance(doe->get_position(), bear->get_position()), 5.0f);
}

TEST_F(live_animals, a_gunshot_heard_raises_stress_and_turns_the_animal_to_it_with_an_alert) {
    ASSERT_TRUE(start(herd_mission()));
    run(30);
    simple_animal_t *buck = animal("buck");
    ASSERT_NE(buck, nullptr);
    const float stress = buck->get_mind()->get_need(AI_NEED_STRESS);
    const float aggression = buck->get_mind()->get_need(AI_NEED_AGGRESSION);
    // A shot 30 units behind the buck, to its left: heard at (90 - 30) / 85.
    const vec3_t shot = buck->get_position() - buck->get_facing() * 30.0f +
                        vec3_t{-buck->get_facing().z, 0.0f, buck->get_facing().x} * 0.5f;
    const float heard = 1.0f - (length(shot - buck->get_position()) - 5.0f) / 85.0f;
    buck->hear(shot, 0.5f, 0.2f);
    EXPECT_NEAR(buck->get_mind()->get_need(AI_NEED_STRESS), std::fmin(stress + 0.5f * heard, 1.0f), 1e-5f);
    EXPECT_NEAR(buck->get_mind()->get_need(AI_NEED_AGGRESSION), std::fmin(aggression + 0.2f * heard, 1.0f), 1e-5f);
    const ai_presentation_t &p = *buck->get_presentation();
    const int32_t alert = p.get_channel(ai_presentation_t::ALERT_CHANNEL).current;
    ASSERT_GE(alert, 0) << "an alert plays";
    EXPECT_EQ(p.manner_of(alert), buck->direction_sector(shot, AI_MANNER_ALERT));
    EXPECT_GE(p.manner_of(alert), AI_MANNER_ALERT + 3) << "behind the buck";
    EXPECT_TRUE(buck->get_mind()->get_script().is_alerted());

    // A removed animal hears nothing.
    simple_animal_t *doe = animal("doe1");
    doe->set_removed();
    const float calm = doe->get_mind()->get_need(AI_NEED_STRESS);
    doe->hear(doe->get_position(), 1.0f, 1.0f);
    EXPECT_EQ(doe->get_mind()->get_need(AI_NEED_STRESS), calm);
}

TEST_F(live_animals, the_content_missions_doe_walks_to_her_point_calls_and_ends_her_script) {
    auto pool = std::make_unique<def_pool_t>();
    ASSERT_TRUE(pool->read_from("/script/mission/valley_pair.def"));
    ASSERT_NE(make_scene(5), nullptr);
    ctrl()->start_map(*pool, shipped_game.get());
    EXPECT_EQ(messages.texts(message_t::ERROR), std::vector<std::string>{});
    simple_animal_t *doe = animal("doe");
    simple_animal_t *buck = animal("buck");
    ASSERT_TRUE(doe && buck);
    EXPECT_EQ(doe->get_leader(), buck);
    ASSERT_NE(dynamic_cast<deer_animal_t *>(buck), nullptr);
    EXPECT_NE(static_cast<deer_animal_t *>(buck)->get_antler(0), nullptr) << "the buck carries his antlers";
    const ai_script_t &script = doe->get_mind()->get_script();
    ASSERT_TRUE(script.is_active());
    ASSERT_EQ(script.get_command_count(), 2u);
    const int32_t call = doe->get_presentation()->find_behavior("call");
    ASSERT_GE(call, 0);
    EXPECT_EQ(script.get_command(1).command.argument, call);

    ai_move_target_t edge;
    ASSERT_TRUE(ai()->get_script_point_target(ai()->find_script_point("meadow_edge"), edge));
    std::vector<int32_t> kinds;
    bool reached = false, called = false;
    float ended = -1.0f;
    run(uint32_t(180.0f / FRAME), [&](uint32_t frame) {
        const int32_t kind = doe->get_mind()->get_command().kind;
        if (kinds.empty() || kinds.back() != kind) kinds.push_back(kind);
        if (kind == AI_CMD_MOVE && flat_distance(doe->get_position(), edge.point) <= edge.radius + 0.5f) reached = true;
        if (doe->get_presentation()->get_channel(0).current == call) called = true;
        if (!script.is_active()) {
            ended = float(frame + 1) * FRAME;
            return false;
        }
        return true;
    });
    EXPECT_TRUE(reached) << "at the meadow's edge";
    EXPECT_TRUE(called) << "the call played";
    ASSERT_GT(ended, 0.0f) << "the script ended";
    EXPECT_LT(ended, 150.0f) << "by its commands, before its time ran out";
    ASSERT_GE(kinds.size(), 2u);
    EXPECT_EQ(kinds[0], AI_CMD_MOVE);
    EXPECT_EQ(kinds[1], AI_CMD_PLAY_BEHAVIOR);
    EXPECT_NEAR(doe->get_mind()->get_need(AI_NEED_STRESS), 0.3f, 0.05f) << "the exit factors applied";
}

TEST_F(live_animals, two_runs_of_one_seed_take_the_same_ways) {
    const std::string text = herd_mission("    def bear { species: \"grizzly\" type: \"male\" position: \"-20 0 -22\" "
                                          "orientation: \"1 0 0\" score: \"24\" weight: \"250\" }\n");
    uint64_t digests[3];
    const uint32_t seeds[3] = {21, 21, 22};
    for (int r = 0; r < 3; ++r) {
        auto game = with_fixture_bear(*this, game_definition());
        ASSERT_TRUE(start(text, seeds[r], game.get()));
        uint64_t h = 1469598103934665603ull;
        run(uint32_t(20.0f / FRAME), [&](uint32_t) {
            for (uint32_t i = 0; i < animal_count(); ++i) {
                const vec3_t p = animal(i)->get_position();
                for (float v : {p.x, p.y, p.z}) {
                    uint32_t bits;
                    memcpy(&bits, &v, sizeof bits);
                    h = (h ^ bits) * 1099511628211ull;
                }
            }
            return true;
        });
        digests[r] = h;
    }
    EXPECT_EQ(digests[0], digests[1]);
    EXPECT_NE(digests[0], digests[2]) << "another seed, other ways";
}

}  // namespace
}  // namespace quarn::test

// Loading rounds: the checks a round file must pass, and the occurrence table they
// leave, in one table of cases.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/round/round_fixture.h"

namespace quarn::test {
namespace {

using round_load = round_fixture_t;

const char no_trails[] = "A round unit must have at least one trail_use unit in the trails[] array";
const char no_target[] = "Trail use is not able to spawn ANY target!";
const char no_work[] = "A round unit must have non-zero target count & time_limit to work.";
const char no_period[] =
    "There must be at least 1 spawn occurence specified, and one of specified occurences must equal to 1!";

struct load_case_t {
    const char *what;
    std::string attributes;     // lines of the round_logic unit
    bool with_trail;            // one trail use that carries a decoy and a scoring animal
    bool empty_trail;           // one trail use that carries nothing
    bool loads;
    std::vector<std::string> errors;  // the errors logged, in order
    std::string table;                // "kind:period ..." of a loaded round
};

std::string table_text(const round_logic_u &round) {
    std::string text;
    for (uint32_t i = 0; i < round.get_occurrence_count(); ++i) {
        char entry[48];
        snprintf(entry, sizeof entry, "%s%s:%g", text.empty() ? "" : " ", spawn_kind_name(round.get_occurrence(i).kind),
                 double(round.get_occurrence(i).period));
        text += entry;
    }
    return text;
}

TEST_F(round_load, checks_trails_periods_and_counts) {
    make_desc("doe");
    make_desc("buck");
    const std::string counts = "time_limit: 120\ntarget_count: 55\n";
    const load_case_t cases[] = {
        {"the defaults with a trail", counts, true, false, true, {}, "decoy:5 scoring:1"},
        {"no trails", counts, false, false, false, {no_trails}, ""},
        {"a trail use that carries nothing", counts, false, true, false, {no_target}, ""},
        {"no target count and no time: logged, the checks go on",
         "time_limit: 0\ntarget_count: 0\n", true, false, true, {no_work}, "decoy:5 scoring:1"},
        {"no target count and no time, and no period of 1",
         "time_limit: 0\ntarget_count: 0\nscoring_occurence: 2\n", true, false, false, {no_work, no_period}, ""},
        {"only periods above 1", counts + "scoring_occurence: 2\ndecoy_occurence: 3\n", true, false, false,
         {no_period}, ""},
        {"decoys at 0.5 are off", counts + "decoy_occurence: 0.5\n", true, false, true, {}, "scoring:1"},
        {"round 1's periods, longest first", counts + "decoy_occurence: 2.5\nambients_occurence: 11\n", true, false,
         true, {}, "ambient:11 decoy:2.5 scoring:1"},
        {"equal periods keep scoring, decoy, dangerous, ambients",
         counts + "decoy_occurence: 1\ndangerous_occurence: 4\nambients_occurence: 4\n", true, false, true, {},
         "dangerous:4 ambient:4 scoring:1 decoy:1"},
        {"a 1 only from a kind other than scoring", counts + "scoring_occurence: 0\ndecoy_occurence: 1\n", true,
         false, true, {}, "decoy:1"},
        {"no period at all", counts + "scoring_occurence: 0\ndecoy_occurence: 0\n", true, false, false, {no_period},
         ""},
        {"a period just above 1 is not 1", counts + "scoring_occurence: 1.0001\ndecoy_occurence: 0\n", true, false,
         false, {no_period}, ""},
        {"more targets than a round can schedule", "time_limit: 120\ntarget_count: 65537\n", true, false, false,
         {"A round's target_count of 65537 is more than the 65536 a round can schedule."}, ""},
    };
    for (const load_case_t &c : cases) {
        SCOPED_TRACE(c.what);
        log.clear();
        std::string text;
        std::string trail_list;
        if (c.with_trail) {
            text += trail_use_text(".t0", "trails0.trail0", {"doe"}, {"buck"});
            trail_list = "trails: 1\ntrails[0]: .t0\n";
        } else if (c.empty_trail) {
            text += trail_use_text(".t0", "trails0.trail0", {}, {});
            trail_list = "trails: 1\ntrails[0]: .t0\n";
        }
        text += "round_logic : .round\n{\nmap_name: \"valley\"\n" + c.attributes + trail_list + "}\n";
        owner_ptr_t<round_logic_u> round(load<round_logic_u>(text));
        EXPECT_EQ(bool(round), c.loads);
        std::vector<std::string> errors;
        for (const std::string &e : log.texts(message_t::ERROR))
            if (e.rfind("[game] ", 0) == 0) errors.push_back(e.substr(7));
        EXPECT_EQ(errors, c.errors);
        if (round) {
            EXPECT_EQ(table_text(*round), c.table);
        }
    }
}

TEST_F(round_load, reads_every_attribute_and_counts_the_progression) {
    make_desc("buck");
    owner_ptr_t<round_progression_u> progression(load<round_progression_u>(
        trail_use_text(".a", "trails0.trail0", {}, {"buck"}) +
        "round_logic : .r1\n{\n"
        "map_name: \"valley\"\nweather_name: \"clear\"\nstart_point_name: \"PlayerStart.startPoint0\"\n"
        "ambient_loop: \"/sound/environment/valley.ogg\"\ntime_limit: 120\nkill_limit: 6\n"
        "scoring_occurence: 1\ndecoy_occurence: 2.5\ndangerous_occurence: 0\nambients_occurence: 11\n"
        "target_count: 55\nsun_azimuth: -30\ntrails: 1\ntrails[0]: .a\n"
        "cameras: 2\ncameras[0]: \"cameras0.trail0\"\ncameras[1]: \"cameras0.trail1\"\n}\n"
        "round_logic : .r2\n{\ntime_limit: 60\ntarget_count: 10\ntrails: 1\ntrails[0]: .b\n}\n" +
        trail_use_text(".b", "trails0.trail1", {}, {"buck"}) +
        "round_progression : .rounds\n{\nrounds: 2\nrounds[0]: .r1\nrounds[1]: .r2\n}\n"));
    ASSERT_TRUE(progression);
    EXPECT_EQ(progression->get_round_count(), 2u);
    EXPECT_EQ(progression->get_round(0), nullptr);
    EXPECT_EQ(progression->get_round(3), nullptr);
    round_logic_u *first = progression->get_round(1);
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first->map_name.c_str(), "valley");
    EXPECT_STREQ(first->weather_name.c_str(), "clear");
    EXPECT_STREQ(first->start_point_name.c_str(), "PlayerStart.startPoint0");
    EXPECT_STREQ(first->ambient_loop.c_str(), "/sound/environment/valley.ogg");
    EXPECT_EQ(first->time_limit, 120u);
    EXPECT_EQ(first->kill_limit, 6u);
    EXPECT_EQ(first->target_count, 55u);
    EXPECT_EQ(first->sun_azimuth, -30.0f);
    EXPECT_EQ(first->decoy_occurence, 2.5f);
    ASSERT_EQ(first->cameras.get_count(), 2u);
    EXPECT_STREQ(first->cameras[1].c_str(), "cameras0.trail1");
    ASSERT_NE(first->get_trail(0), nullptr);
    EXPECT_STREQ(first->get_trail(0)->trail_name.c_str(), "trails0.trail0");
    round_logic_u *second = progression->get_round(2);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->kill_limit, 20u) << "the default";
    EXPECT_EQ(second->sun_azimuth, 180.0f) << "the default";
    EXPECT_EQ(table_text(*second), "decoy:5 scoring:1");

    // The game process keeps one round and lets the progression go.
    owner_ptr_t<round_logic_u> kept(progression->take_round(1));
    ASSERT_EQ(kept.get(), first);
    EXPECT_EQ(progression->get_round(1), nullptr);
    EXPECT_FALSE(progression->take_round(1));
    EXPECT_FALSE(progression->take_round(5));
    progression.reset();
    EXPECT_TRUE(kept->is_alive());
    EXPECT_STREQ(kept->get_trail(0)->trail_name.c_str(), "trails0.trail0");
}

TEST_F(round_load, refuses_units_of_other_classes_in_the_owned_arrays) {
    make_desc("buck");
    // A voice line where a trail use belongs, a trail use where a round belongs.
    EXPECT_FALSE(load<round_logic_u>("voiceover : .v { }\nround_logic : .r\n{\ntime_limit: 1\ntrails: 1\n"
                                     "trails[0]: .v\n}\n"));
    EXPECT_FALSE(load<round_progression_u>(trail_use_text(".a", "t", {}, {"buck"}) +
                                           "round_progression : .p\n{\nrounds: 1\nrounds[0]: .a\n}\n"));
}

}  // namespace
}  // namespace quarn::test

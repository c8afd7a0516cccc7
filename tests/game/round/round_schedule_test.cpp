// Spawn schedules: the same round number always gives the same animals, a kind for
// every spawn from the occurrence table, trails taken in turn and kept 0.5 s apart,
// bonuses only for scoring and dangerous animals and more than 5 s apart, and in
// party play the gifts spread over the round.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "game/game_data.h"
#include "game/round/bonus_unlocks.h"
#include "game/round/round_fixture.h"
#include "game/scene/current_ctrl.h"
#include "game/scene/scene_fixture.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

using round_schedule = round_fixture_t;

std::string entry_text(const spawn_entry_t &e) {
    char line[160];
    snprintf(line, sizeof line, "%s %.4f %u %s %u", spawn_kind_name(e.kind), double(e.time), e.trail,
             e.name.is_empty() ? "-" : e.name.c_str(), e.random_value);
    return line;
}

std::vector<std::string> pending_texts(const round_logic_u &round, size_t limit = SIZE_MAX) {
    std::vector<std::string> lines;
    round.get_spawns().for_each_pending([&](const spawn_entry_t &e) {
        if (lines.size() < limit) lines.push_back(entry_text(e));
    });
    return lines;
}

std::vector<spawn_entry_t *> pending_entries(const round_logic_u &round) {
    std::vector<spawn_entry_t *> entries;
    round.get_spawns().for_each_pending([&](const spawn_entry_t &e) { entries.push_back(const_cast<spawn_entry_t *>(&e)); });
    return entries;
}

std::vector<std::string> golden_lines(const std::string &file) {
    std::ifstream in(test_source_dir() + "/tests/game/round/" + file);
    EXPECT_TRUE(in.good()) << file;
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#') lines.push_back(line);
    return lines;
}

spawn_setup_t single(uint32_t round) {
    spawn_setup_t setup;
    setup.bonus_round = round;
    return setup;
}

class schedule_rounds : public round_fixture_t {
protected:
    // count trails, each carrying every animal kind; attributes of the round.
    owner_ptr_ret_t<round_logic_u> make_round(uint32_t count, const std::string &attributes) {
        if (!made_descs) {
            make_desc("doe"), make_desc("buck"), make_desc("bear"), make_desc("squirrel");
            made_descs = true;
        }
        std::string text;
        std::string list = "trails: " + std::to_string(count) + "\n";
        for (uint32_t i = 0; i < count; ++i) {
            const std::string name = ".t" + std::to_string(i);
            text += trail_use_text(name, "trails0.trail" + std::to_string(i), {"doe"}, {"buck"}, {"bear"}, {"squirrel"});
            list += "trails[" + std::to_string(i) + "]: " + name + "\n";
        }
        return load<round_logic_u>(text + "round_logic : .round\n{\n" + attributes + list + "}\n");
    }
    bool made_descs = false;
};

TEST_F(round_schedule, round_one_matches_its_golden_text_every_time) {
    make_content_descs();
    owner_ptr_t<round_progression_u> rounds(load_shipped_rounds());
    ASSERT_TRUE(rounds);
    round_logic_u *round = rounds->get_round(1);
    ASSERT_NE(round, nullptr);
    round->build_spawn_schedule(1, single(1));
    const std::vector<std::string> first = pending_texts(*round);
    EXPECT_EQ(std::vector<std::string>(first.begin(), first.begin() + std::min<size_t>(20, first.size())),
              golden_lines("round1_schedule.golden"));
    EXPECT_EQ(first.size(), 55u) << "ten trails take every animal, the two ambient trails the ambients";

    round->build_spawn_schedule(1, single(1));
    EXPECT_EQ(pending_texts(*round), first) << "a second build";
    // A fresh copy of the round, as each start loads one.
    owner_ptr_t<round_progression_u> again(load_shipped_rounds());
    ASSERT_TRUE(again);
    again->get_round(1)->build_spawn_schedule(1, single(1));
    EXPECT_EQ(pending_texts(*again->get_round(1)), first) << "another load";
    EXPECT_TRUE(log.texts(message_t::ERROR).empty());
}

TEST_F(schedule_rounds, a_scoring_only_round_spawns_one_animal_every_interval_from_0) {
    owner_ptr_t<round_logic_u> round(make_round(3, "time_limit: 60\ntarget_count: 12\ndecoy_occurence: 0\n"));
    ASSERT_TRUE(round);
    round->build_spawn_schedule(4, single(4));
    std::vector<spawn_entry_t *> entries = pending_entries(*round);
    ASSERT_EQ(entries.size(), 12u);
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i]->kind, SPAWN_SCORING) << i;
        EXPECT_EQ(entries[i]->time, 5.0f * float(i)) << i;
        EXPECT_LT(entries[i]->random_value, 999u);
        EXPECT_LT(entries[i]->trail, 3u);
        if (i > 0) {
            EXPECT_EQ(entries[i]->trail, (entries[i - 1]->trail + 1) % 3) << "trails in turn";
        }
    }
}

TEST_F(schedule_rounds, one_trail_and_an_interval_below_half_a_second_drop_every_other_spawn) {
    owner_ptr_t<round_logic_u> round(make_round(1, "time_limit: 4\ntarget_count: 10\ndecoy_occurence: 0\n"));
    ASSERT_TRUE(round);
    round->build_spawn_schedule(9, single(9));
    std::vector<std::string> times;
    for (spawn_entry_t *e : pending_entries(*round)) {
        char t[16];
        snprintf(t, sizeof t, "%.1f", double(e->time));
        times.push_back(t);
    }
    EXPECT_EQ(times, (std::vector<std::string>{"0.0", "0.8", "1.6", "2.4", "3.2"}));
    const std::vector<std::string> errors = log.texts(message_t::ERROR);
    EXPECT_EQ(errors, std::vector<std::string>(5, "[game] Unable to find a trail to spawn animal on!"));
}

TEST_F(schedule_rounds, bonuses_go_to_scoring_and_dangerous_animals_more_than_5_s_apart) {
    owner_ptr_t<round_logic_u> round(make_round(6, "time_limit: 300\ntarget_count: 150\ndecoy_occurence: 2.5\n"
                                                   "dangerous_occurence: 4\nambients_occurence: 7\n"));
    ASSERT_TRUE(round);
    struct bonus_case_t {
        uint32_t round;
        std::set<std::string> allowed;
    };
    const bonus_case_t cases[] = {
        {2, {}},
        {3, {"sunglasses"}},
        {15, {"sunglasses", "weapon_3030", "extended_clip", "quick_shooter", "weapon_7mm"}},
        {40, {"sunglasses", "weapon_3030", "extended_clip", "quick_shooter", "weapon_7mm"}},
    };
    for (const bonus_case_t &c : cases) {
        SCOPED_TRACE(c.round);
        round->build_spawn_schedule(c.round, single(c.round));
        std::set<std::string> seen;
        std::set<uint32_t> kinds;
        float last = -1000.0f;
        for (spawn_entry_t *e : pending_entries(*round)) {
            kinds.insert(e->kind);
            if (e->name.is_empty()) continue;
            seen.insert(e->name.c_str());
            EXPECT_TRUE(e->kind == SPAWN_SCORING || e->kind == SPAWN_DANGEROUS) << entry_text(*e);
            EXPECT_GT(e->time - last, 5.0f) << entry_text(*e);
            last = e->time;
        }
        EXPECT_EQ(kinds, (std::set<uint32_t>{SPAWN_DECOY, SPAWN_SCORING, SPAWN_DANGEROUS, SPAWN_AMBIENT}));
        for (const std::string &name : seen) EXPECT_TRUE(c.allowed.count(name)) << name;
        if (c.allowed.empty()) {
            EXPECT_TRUE(seen.empty());
        } else {
            EXPECT_GE(seen.size(), std::min<size_t>(2, c.allowed.size()));
        }
    }
}

TEST(bonus_unlocks, lists_grow_with_the_round_in_unlock_order) {
    struct case_t {
        uint32_t round;
        std::vector<std::string> names;
        bool unlock;
    };
    const std::vector<std::string> all = {"sunglasses", "weapon_3030", "extended_clip", "quick_shooter", "weapon_7mm"};
    const case_t cases[] = {
        {0, {}, false},          {1, {}, false},
        {2, {}, false},          {3, {"sunglasses"}, true},
        {5, {"sunglasses"}, false},
        {6, {"sunglasses", "weapon_3030"}, true},
        {12, {"sunglasses", "weapon_3030", "extended_clip", "quick_shooter"}, true},
        {14, {"sunglasses", "weapon_3030", "extended_clip", "quick_shooter"}, false},
        {15, all, true},         {30, all, false},
    };
    array_dyn_t<string> names;
    names.append(string("stale"));
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.round);
        ASSERT_TRUE(list_unlocked_bonuses(names, c.round));
        std::vector<std::string> got;
        for (const string &n : names) got.push_back(n.c_str());
        EXPECT_EQ(got, c.names);
        EXPECT_EQ(is_bonus_unlock_round(c.round), c.unlock);
    }
}

TEST_F(schedule_rounds, party_gifts_spread_over_the_round_by_the_number_of_players) {
    owner_ptr_t<round_logic_u> round(make_round(4, "time_limit: 60\ntarget_count: 20\n"));
    ASSERT_TRUE(round);
    const std::set<std::string> gift_names = {"annoy", "cloak", "handswap", "headstand", "shake", "speed"};
    struct party_case_t {
        uint32_t players;
        uint32_t gifts;
        float slot;  // each gift in its own slot of this length (0: not checked)
    };
    const party_case_t cases[] = {{2, 8, 6.5f}, {3, 4, 13.0f}, {4, 2, 26.0f}, {5, 2, 26.0f},
                                  {9, 1, 0.0f}, {10, 0, 0.0f}, {12, 0, 0.0f}, {1, 0, 0.0f}, {0, 0, 0.0f}};
    for (const party_case_t &c : cases) {
        SCOPED_TRACE(c.players);
        for (uint32_t scene_seed : {1u, 5000u, 77777u}) {
            randomizer_t scene(scene_seed);
            spawn_setup_t setup;
            setup.bonus_round = 15;  // party play carries no bonuses whatever the round
            setup.party = true;
            setup.party_players = c.players;
            setup.gift_random = &scene;
            round->build_spawn_schedule(15, setup);
            std::vector<spawn_entry_t *> gifts;
            uint32_t animals = 0;
            for (spawn_entry_t *e : pending_entries(*round)) {
                if (e->kind != SPAWN_GIFT) {
                    ++animals;
                    EXPECT_TRUE(e->name.is_empty()) << entry_text(*e);
                    continue;
                }
                gifts.push_back(e);
                EXPECT_GE(e->time, 2.0f);
                EXPECT_LE(e->time, 52.0f);
                EXPECT_LT(e->trail, 4u);
                EXPECT_LT(e->random_value, 999u);
                EXPECT_TRUE(gift_names.count(e->name.c_str())) << e->name.c_str();
            }
            EXPECT_EQ(animals, 20u);
            ASSERT_EQ(gifts.size(), c.gifts);
            for (size_t g = 0; g < gifts.size(); ++g) {
                if (g > 0) {
                    EXPECT_GT(gifts[g]->time, gifts[g - 1]->time);
                }
                if (c.slot > 0.0f) {
                    EXPECT_GE(gifts[g]->time, c.slot * float(g) + 2.0f) << g;
                    EXPECT_LT(gifts[g]->time, c.slot * float(g + 1)) << g;
                }
            }
            EXPECT_EQ(scene.seed == scene_seed, c.gifts == 0) << "gifts draw from the scene's generator";
        }
    }
}

TEST_F(schedule_rounds, gifts_vary_with_the_scene_while_the_animals_stay) {
    owner_ptr_t<round_logic_u> round(make_round(4, "time_limit: 60\ntarget_count: 20\n"));
    ASSERT_TRUE(round);
    auto build = [&](uint32_t scene_seed) {
        randomizer_t scene(scene_seed);
        spawn_setup_t setup;
        setup.party = true;
        setup.party_players = 2;
        setup.gift_random = &scene;
        round->build_spawn_schedule(3, setup);
        std::vector<std::string> animals, gifts;
        for (const std::string &line : pending_texts(*round)) (line.rfind("gift", 0) == 0 ? gifts : animals).push_back(line);
        return std::make_pair(animals, gifts);
    };
    const auto a = build(11);
    const auto b = build(12345);
    EXPECT_EQ(a.first, b.first);
    EXPECT_NE(a.second, b.second);
    EXPECT_EQ(a.first.size(), 20u);
}

TEST_F(schedule_rounds, the_default_setup_reads_the_game_data_and_the_scene) {
    owner_ptr_t<round_logic_u> round(make_round(4, "time_limit: 60\ntarget_count: 30\n"));
    ASSERT_TRUE(round);
    game_data_t data;
    set_game_data(&data);
    // Single play: the seed is the round whose bonuses animals carry.
    round->build_spawn_schedule(15);
    EXPECT_EQ(round->get_bonus_names().get_count(), 5u);
    const std::vector<std::string> single_play = pending_texts(*round);
    round->build_spawn_schedule(15, single(15));
    EXPECT_EQ(pending_texts(*round), single_play);

    // Party play with two players: eight gifts from the scene's generator.
    const char *const names[] = {"Ann", "Bo"};
    data.set_party_players(names, 2);
    test_ctrl_u *ctrl = make_scene(99);
    round->build_spawn_schedule(15);
    EXPECT_EQ(round->get_bonus_names().get_count(), 0u);
    uint32_t gifts = 0;
    round->get_spawns().for_each_pending([&](const spawn_entry_t &e) { gifts += e.kind == SPAWN_GIFT; });
    EXPECT_EQ(gifts, 8u);
    EXPECT_NE(ctrl->get_random().seed, 99u);

    // Without a scene the party round has no gifts, and says so.
    set_current_ctrl(nullptr);
    log.clear();
    round->build_spawn_schedule(15);
    gifts = 0;
    round->get_spawns().for_each_pending([&](const spawn_entry_t &e) { gifts += e.kind == SPAWN_GIFT; });
    EXPECT_EQ(gifts, 0u);
    EXPECT_TRUE(log.contains("No scene to draw the party gifts from"));
    set_game_data(nullptr);
}

}  // namespace
}  // namespace quarn::test

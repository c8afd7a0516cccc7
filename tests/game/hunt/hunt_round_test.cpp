// The hunt's round: its set-up, the intro, the clock, the end, and the ragdoll budget.
#include "hunt_fixture.h"

#include "game/cameras/trail_camera.h"
#include "game/process/game_hooks.h"
#include "game/round/trail_use.h"
#include "game/scene/current_ctrl.h"
#include "game/voiceover/voiceover.h"
#include "kernel/input/inp_state.h"
#include "kernel/input/input.h"

namespace quarn::test {

namespace {

class hunt_round : public hunt_fixture_t {
protected:
    void SetUp() override {
        hunt_fixture_t::SetUp();
        put_start_points("start_point : start.a { placement: (4, 0, -2) 1 (1; 0, 0, 0) view_limit: 70 }\n"
                         "start_point : start.b { }\n");
    }
    bool load(owner_ptr_ret_t<round_logic_u> round) {
        messages.clear();
        return hunt->load_round(std::move(round));
    }
    recording_hunter_t *hunter() { return static_cast<recording_hunter_t *>(hunt->get_hunter()); }
};

TEST_F(hunt_round, a_round_puts_the_hunter_at_its_start_point_and_sets_the_clock) {
    ASSERT_NE(start_hunt(), nullptr);
    take_journal();
    ASSERT_TRUE(load(make_round(90)));
    EXPECT_EQ(take_journal(), "hunter.yaw_range 70");
    EXPECT_FLOAT_EQ(hunter()->position.x, 4.0f);
    EXPECT_FLOAT_EQ(hunter()->position.z, -2.0f);
    EXPECT_FLOAT_EQ(hunt->get_time_limit(), 90.0f);
    EXPECT_FLOAT_EQ(hunt->get_time_left(), 90.0f);
    EXPECT_EQ(hunt->get_kill_limit(), 20u);
    EXPECT_STREQ(data->map_name.c_str(), "hunt");
    EXPECT_TRUE(hunt->is_intro_over()) << "no cameras, no intro";
}

// The hunter looks and fires through impulses: a running hunt switches them on (the
// menus leave keys as keys), once however often it is activated, and gives them back
// when it goes, so an in-game dialog's pair leaves them on for the next hunt too.
TEST_F(hunt_round, the_game_impulses_are_on_while_a_hunt_runs) {
    EXPECT_EQ(inp_state->impulse_handling, 0);
    ASSERT_NE(start_hunt(false), nullptr);
    EXPECT_FALSE(inp_impulses_handled()) << "not before the hunt runs";
    hunt->activate();
    EXPECT_TRUE(inp_impulses_handled());
    hunt->activate();
    inp_handle_impulses(false);  // a dialog shown over the hunt
    EXPECT_FALSE(inp_impulses_handled());
    inp_handle_impulses(true);
    EXPECT_EQ(inp_state->impulse_handling, 1);
    set_current_ctrl(nullptr);
    hunt = nullptr;
    EXPECT_EQ(inp_state->impulse_handling, 0);
}

TEST_F(hunt_round, load_round_failures) {
    struct case_t {
        const char *name;
        std::function<void(round_logic_u &)> change;
        std::string start_points;  // "-" leaves the file out
        bool loads;
        const char *message;
    };
    const case_t cases[] = {
        {"unknown trail",
         [](round_logic_u &r) {
             owner_ptr_t<trail_use_u> use(trail_use_u::create());
             use->trail_name = "no.such.trail";
             r.trails.append(owner_ptr_t<unit_base_t>(std::move(use)));
         },
         "start_point : start.a { }\n", false, "Trail (no.such.trail) does not exist"},
        {"no start point file", [](round_logic_u &) {}, "-", false, "[game] Failed to load start points"},
        {"no start points", [](round_logic_u &) {}, "", false, "[game] Missing start points"},
        {"missing named start point", [](round_logic_u &r) { r.start_point_name = "start.z"; },
         "start_point : start.a { }\n", true, "[game] Start point (start.z) not found"},
        {"invalid camera", [](round_logic_u &r) { r.cameras.append(mstring_dyn_t("cams.none")); },
         "start_point : start.a { }\n", true, "[game] Invalid camera trail name cams.none."},
        {"camera of one node", [](round_logic_u &r) { r.cameras.append(mstring_dyn_t("cams.short")); },
         "start_point : start.a { }\n", true, ""},
    };
    make_trail("cams.short", {{0, 5, 0}});
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.start_points == "-") {
            ASSERT_EQ(remove(maps_dir.file("landscape.start.unit").c_str()), 0);
        } else {
            put_start_points(c.start_points);
        }
        ASSERT_NE(start_hunt(), nullptr);
        owner_ptr_ret_t<round_logic_u> round = make_round(45);
        c.change(*round);
        EXPECT_EQ(load(std::move(round)), c.loads);
        EXPECT_TRUE(messages.contains(c.message));
        EXPECT_TRUE(hunt->is_intro_over());
        if (c.loads) {
            EXPECT_FLOAT_EQ(hunt->get_time_left(), 45.0f) << "the clock is set all the same";
            run(45.0f);
            EXPECT_EQ(hunt->get_state(), hunt_ctrl_u::STATE_TIME_OVER);
        }
    }
}

TEST_F(hunt_round, spawns_and_the_clock_wait_for_the_intro) {
    make_trail("cams.one", {{0, 5, 0}, {100, 5, 0}});
    ASSERT_NE(start_hunt(), nullptr);
    owner_ptr_ret_t<round_logic_u> round = make_round(30);
    round->cameras.append(mstring_dyn_t("cams.one"));
    ASSERT_TRUE(load(std::move(round)));
    ASSERT_NE(hunt->get_intro_view(), nullptr);
    EXPECT_FALSE(hunt->is_intro_over());
    EXPECT_EQ(hunt->get_view(), static_cast<scene_view_t *>(hunt->get_intro_view()));
    run(0.5f, 10);
    EXPECT_FLOAT_EQ(hunt->get_time_left(), 30.0f);
    EXPECT_FALSE(hunt->is_intro_over());
    hunt->get_intro_view()->reset_interpolation();
    run(1.0f);
    EXPECT_TRUE(hunt->is_intro_over());
    EXPECT_FALSE(hunt->get_round()->is_intro_running());
    EXPECT_EQ(hunt->get_view(), static_cast<scene_view_t *>(hunt->get_hunter()));
    EXPECT_FLOAT_EQ(hunt->get_time_left(), 29.0f);
    run(0.0f);  // the update list lets the old camera go
}

TEST_F(hunt_round, the_clock_runs_at_the_time_factor_and_the_rest_at_real_time) {
    make_all_voices();
    ASSERT_NE(start_hunt(), nullptr);
    ASSERT_TRUE(load(make_round(30, 1)));
    ASSERT_TRUE(hunt->set_time_factor(0.5f));
    hunt->play_voiceover_named("vo.hit", true);
    sounds();
    run(0.25f, 2);
    EXPECT_FLOAT_EQ(hunt->get_time_left(), 29.75f);
    EXPECT_EQ(sounds(), "/l10n/en_us/sound/vo.hit.ogg 1") << "the voice delay is real time";

    owner_ptr_t<test_target_u> target(test_target_u::create());
    hunt->on_kill(target.get(), nullptr, false, 10.0f);
    EXPECT_EQ(hunt->get_state(), hunt_ctrl_u::STATE_WON);
    EXPECT_FLOAT_EQ(hunt->get_close_left(), 3.0f);
    EXPECT_NE(take_journal().find("hunter.drop_weapons"), std::string::npos);
    EXPECT_EQ(sounds(), "/sound/game/round.ogg 0.9");
    run(1.0f, 2);
    EXPECT_EQ(hunt->get_state(), hunt_ctrl_u::STATE_WON);
    run(1.0f);
    EXPECT_EQ(hunt->get_state(), hunt_ctrl_u::STATE_FINISHED) << "3 s of real time";
    EXPECT_EQ(hunt->get_kill_stats()->end_reason, 2u);
    EXPECT_EQ(sounds(), "") << "a finished round plays no end sound";
}

TEST_F(hunt_round, the_round_score_joins_the_running_score_once) {
    struct case_t {
        bool party;
        int32_t state;
        const char *sound;
    };
    for (const case_t c : {case_t{false, 3, "/sound/game/round.ogg 0.9"}, case_t{true, 2, ""}}) {
        SCOPED_TRACE(c.party ? "party" : "single");
        if (c.party) {
            const char *names[] = {"a", "b"};
            data->set_party_players(names, 2);
            data->select_player();
        }
        data->get_running_score()->score = 100;
        ASSERT_NE(start_hunt(), nullptr);
        ASSERT_TRUE(load(make_round(30)));
        hunt->get_round_score()->score = 25;
        sounds();
        run(c.party ? 59.5f : 29.5f);
        EXPECT_EQ(hunt->get_state(), 0);
        run(0.5f);
        EXPECT_EQ(hunt->get_state(), c.state);
        EXPECT_EQ(hunt->get_kill_stats()->end_reason, uint32_t(c.state));
        EXPECT_EQ(data->get_running_score()->score, 125u);
        EXPECT_EQ(sounds(), c.sound);
        run(1.0f);
        hunt->round_end(hunt_ctrl_u::STATE_KILLED);
        EXPECT_EQ(data->get_running_score()->score, 125u) << "added once";
        EXPECT_EQ(hunt->get_state(), c.state);
    }
}

TEST_F(hunt_round, party_gifts_arrive_in_time_order_from_the_other_players) {
    const char *names[] = {"a", "b", "c"};
    data->set_party_players(names, 3);
    // Gifts won in round 1 by b (at 20 s and 8 s) and by c (at 5 s), in round 2 by
    // c (at 1 s), and in round 1 by a.
    const struct {
        uint32_t turn, round;
        float time;
    } won[] = {{1, 1, 20.0f}, {1, 1, 8.0f}, {2, 1, 5.0f}, {2, 2, 1.0f}, {0, 1, 2.0f}};
    for (const auto &w : won) {
        data->current_turn = w.turn;
        data->party_round = w.round;
        data->select_player();
        data->log_gift_hit("speed", w.time);
    }
    // a plays round 2: its own gift and the gift of this round stay out.
    data->current_turn = 0;
    data->party_round = 2;
    data->select_player();
    ASSERT_NE(start_hunt(false), nullptr);
    ASSERT_TRUE(load(make_round(30)));
    hunt->activate();
    EXPECT_EQ(hunt->get_gift_schedule_count(), 3u);
    take_journal();
    run(4.9f);
    EXPECT_EQ(hunt->get_gift(), nullptr);
    run(0.1f);
    EXPECT_EQ(take_journal(), "gift.apply | hud.gift speed from c");
    run(2.9f);  // 7.9 s: the 8 s gift waits for the one acting now
    EXPECT_EQ(hunt->get_gift_schedule_count(), 2u);
    run(0.1f);  // the first ends, the next is given in the same frame
    EXPECT_EQ(take_journal(), "gift.remove | gift.apply | hud.gift speed from b");
    EXPECT_EQ(hunt->get_gift_schedule_count(), 1u);
}

// A gift won in party round 1 reaches each other player once, in round 2, and never
// again in round 3; its winner never gets it.
TEST_F(hunt_round, a_party_gift_reaches_each_other_player_once) {
    const char *names[] = {"a", "b", "c"};
    data->set_party_players(names, 3);
    data->current_turn = 0;
    data->party_round = 1;
    data->select_player();
    data->log_gift_hit("speed", 2.0f);
    std::string received;
    for (uint32_t round : {2u, 3u}) {
        for (uint32_t turn = 0; turn < 3; ++turn) {
            data->current_turn = turn;
            data->party_round = round;
            data->select_player();
            ASSERT_NE(start_hunt(false), nullptr);
            ASSERT_TRUE(load(make_round(30)));
            hunt->activate();
            take_journal();
            run(0.5f, 6);
            received += std::to_string(round) + names[turn] + (take_journal().find("gift.apply") != std::string::npos ? "+ " : "- ");
        }
    }
    EXPECT_EQ(received, "2a- 2b+ 2c+ 3a- 3b- 3c- ");
}

TEST_F(hunt_round, the_hunt_without_a_hunter_says_so_once_and_runs) {
    install_rows(false);
    ASSERT_NE(start_hunt(), nullptr);
    EXPECT_TRUE(messages.contains("[game] The hunt has no hunter"));
    EXPECT_EQ(hunt->get_player(), nullptr);
    ASSERT_TRUE(load(make_round(10)));
    hunt->warn_danger(0, 0, -1, true);
    run(10.0f);
    EXPECT_EQ(hunt->get_state(), hunt_ctrl_u::STATE_TIME_OVER);
}

// ---- ragdolls ----

TEST_F(hunt_round, the_ragdoll_budget_follows_the_processor_speed) {
    struct case_t {
        unsigned mhz;
        uint32_t limits[3];
    };
    for (const case_t &c : {case_t{0, {1, 1, 1}}, case_t{449, {1, 1, 1}}, case_t{2000, {4, 5, 6}}}) {
        const uint32_t base = hunt_ctrl_u::ragdoll_base_for(c.mhz);
        for (uint32_t level = 0; level < 3; ++level)
            EXPECT_EQ(hunt_ctrl_u::ragdoll_limit(base, level), c.limits[level]) << c.mhz << " MHz, level " << level;
    }
}

TEST_F(hunt_round, ragdolls_take_the_first_free_level_and_level_two_when_all_are_full) {
    ASSERT_NE(start_hunt(), nullptr);
    hunt->set_ragdoll_base(4);
    EXPECT_EQ(hunt->get_ragdoll_total_limit(), 15u);
    std::vector<uint32_t> picked;
    for (int i = 0; i < 17; ++i) {
        const uint32_t level = hunt->pick_ragdoll_level();
        picked.push_back(level);
        hunt->add_ragdoll(level);
    }
    EXPECT_EQ(std::count(picked.begin(), picked.begin() + 4, 0u), 4);
    EXPECT_EQ(std::count(picked.begin() + 4, picked.begin() + 9, 1u), 5);
    EXPECT_EQ(picked.back(), 2u);
    EXPECT_EQ(hunt->get_ragdoll_count(2), 8u);
    EXPECT_EQ(hunt->get_ragdolls_alive(), 17u);
    hunt->remove_ragdoll(7);  // counted as level 2
    hunt->remove_ragdoll(0);
    EXPECT_EQ(hunt->pick_ragdoll_level(), 0u);
    EXPECT_EQ(hunt->get_ragdolls_alive(), 15u);

    messages.clear();
    hunt->print_ragdoll_info();
    std::string text;
    for (const auto &e : messages.entries()) text += e.text + "\n";
    EXPECT_EQ(text, "\\yRagdolls:\nlevel limit count\n0     4     3    \n1     5     5    \n2     6     7    \n");
}

}  // namespace

}  // namespace quarn::test

namespace quarn::test {
namespace {

TEST_F(hunt_round, the_game_process_hands_its_round_over_through_the_hunts_row) {
    auto *start = game_find_factory<game_start_round_t>(game_row_table_t::linked(), GAME_HOOK_START_ROUND);
    ASSERT_NE(start, nullptr);
    ASSERT_NE(start_hunt(false), nullptr);
    EXPECT_TRUE(start(*hunt, make_round(42)));
    EXPECT_FLOAT_EQ(hunt->get_time_limit(), 42.0f);
    EXPECT_FALSE(start(*hunt, owner_ptr_ret_t<unit_base_t>(score_u::create()))) << "no round";
}

}  // namespace
}  // namespace quarn::test

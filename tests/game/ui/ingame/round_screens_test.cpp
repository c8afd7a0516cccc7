// The screens around a round over a running hunt: the intro's number, the result, the
// retry offer, the party standings, and what follows a result.
#include <gtest/gtest.h>

#include "game/cameras/trail_camera.h"
#include "game/game_data.h"
#include "game/hunt/hunt_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/session/score.h"
#include "game/ui/ingame/ghubhdl.h"
#include "game/ui/ingame/gmatchroundhdl.h"
#include "game/ui/ingame/groundhdl.h"
#include "game/ui/ingame/gstarthdl.h"
#include "game/ui/controls/list_control.h"
#include "ingame_fixture.h"
#include "kernel/console/cvars.h"

namespace quarn::test {
namespace {

constexpr const window_desc_t &R = WINDOW_GAME_ROUND;

class round_screens : public ingame_fixture_t {
protected:
    hunt_ctrl_u::kill_stats_t &stats() { return *const_cast<hunt_ctrl_u::kill_stats_t *>(hunt->get_kill_stats()); }
    // The rows of the standings list as "text" lines joined by " / ".
    static std::string rows(ui_list_t *list) {
        std::string out;
        for (uint32_t i = 0; list && i < list->item_count(); ++i) {
            ui_list_item_t item;
            list->get_item(i, item);
            out += (out.empty() ? "" : " / ") + std::string(item.zml);
        }
        return out;
    }
};

TEST_F(round_screens, the_result_shows_the_round_and_its_statistics) {
    struct case_t {
        int32_t reason;
        uint32_t shots, hits, protected_kills, penalty;
        const char *accuracy, *protected_text, *penalty_text, *end, *caption;
    };
    const case_t cases[] = {
        {hunt_ctrl_u::STATE_TIME_OVER, 0, 0, 0, 0, "0 %", "\\g0", "\\g0", "@@ui_end_time_over@@",
         "1|@@ui_round_failure@@"},
        {hunt_ctrl_u::STATE_FINISHED, 3, 2, 2, 30, "66 %", "\\r2", "\\r- 30", "@@ui_end_round_complete@@",
         "1|@@ui_round_success@@"},
        {hunt_ctrl_u::STATE_KILLED, 40000000, 40000000, 0, 0, "100 %", "\\g0", "\\g0", "@@ui_end_player_killed@@",
         "1|@@ui_round_failure@@"},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.end);
        session->close_all_windows();
        start_round();
        game().get_running_score()->score = 1000;
        score_u *round = hunt->get_round_score();
        round->shots = c.shots;
        round->hits = c.hits;
        round->kills = 5;
        round->score = 234;
        stats() = {3, c.protected_kills, 1, 1, 150, c.penalty, 24, 60, 2, 1, 1, 0};
        hunt->round_end(c.reason);
        ASSERT_NE(handler_of<ingame_round_handler_t>(R), nullptr);
        EXPECT_TRUE(process.paused) << "the result holds the game";
        const std::pair<int32_t, std::string> items[] = {
            {10, c.accuracy}, {20, "5"}, {21, "3"}, {22, "1"}, {24, "1"}, {23, c.protected_text}, {30, "234"},
            {31, "150"}, {37, "60"}, {32, "@@ui_multiply@@ 2"}, {33, "@@ui_multiply@@ 1"},
            {34, "@@ui_multiply@@ 1"}, {35, c.penalty_text}, {36, "24"}, {40, "1234"}, {52, c.end},
        };
        for (const auto &[id, text] : items) {
            EXPECT_EQ(shown(R, id), text) << id;
            EXPECT_TRUE(effect_running(R, id)) << id;
        }
        EXPECT_EQ(shown(R, ingame_round_handler_t::ITEM_CAPTION), c.caption);
    }
}

TEST_F(round_screens, going_on_after_the_result) {
    struct case_t {
        const char *name;
        bool party;
        uint32_t round_index;
        int32_t reason;
        bool escape;
        const char *windows;   // shown after going on, the HUD left out
        const char *command;   // run after going on ("" none)
    };
    const case_t cases[] = {
        {"a lost round offers a retry", false, 1, hunt_ctrl_u::STATE_TIME_OVER, false, "game/hub", ""},
        {"killed, the same", false, 4, hunt_ctrl_u::STATE_KILLED, true, "game/hub", ""},
        {"won before an unlock round: the bonus", false, 2, hunt_ctrl_u::STATE_FINISHED, false, "game/bonus", ""},
        {"won before another: the next round", false, 3, hunt_ctrl_u::STATE_FINISHED, true, "", "init_round 4"},
        {"party: the next turn", true, 1, hunt_ctrl_u::STATE_TIME_OVER, false, "", "init_round 1"},
    };
    const char *names[] = {"Ann", "Bob"};
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.name);
        commands.clear();
        if (c.party) {
            game().set_party_players(names, 2);
            game().select_player();
        } else {
            game().clear_party();
        }
        game().round_index = c.round_index;
        end_round(c.reason);
        EXPECT_TRUE(c.escape ? release_key(R, 1) : click(R, ingame_round_handler_t::BUTTON_OK));
        EXPECT_FALSE(ui_wis_shown(window_of(R)));
        EXPECT_EQ(shown_screens(), c.windows);
        EXPECT_EQ(commands.empty() ? "" : commands.back(), c.command);
    }
    // Without a running hunt there is nothing to go on from.
    commands.clear();
    session->close_all_windows();
    set_current_ctrl(nullptr);
    hunt = nullptr;
    round_result_continue();
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(shown_screens(), "");
}

TEST_F(round_screens, a_slow_machine_gets_the_tip_once_a_run_and_twice_in_all) {
    struct case_t {
        const char *name;
        float fps;
        const char *tipped_before;
        bool offered_before;
        bool tip;
    };
    const case_t cases[] = {
        {"slow", 18.9f, "0", false, true},
        {"offered in this run", 10.0f, "1", true, false},
        {"twice in all", 10.0f, "2", false, false},
        {"fast enough", 19.0f, "0", false, false},
        {"not measured", -1.0f, "0", false, false},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.name);
        process.fps = c.fps;
        cvar_get("g_performance_tipped")->set(c.tipped_before);
        performance_tip_offered = c.offered_before;
        end_round(hunt_ctrl_u::STATE_TIME_OVER);
        click(R, ingame_round_handler_t::BUTTON_OK);
        if (!c.tip) {
            EXPECT_STREQ(cvar_get("g_performance_tipped")->get_text(), c.tipped_before);
            EXPECT_EQ(shown_screens(), "game/hub");
            continue;
        }
        EXPECT_STREQ(cvar_get("g_performance_tipped")->get_text(), "1");
        EXPECT_TRUE(performance_tip_offered);
        EXPECT_EQ(shown_screens(), "menu/performance") << "the round goes on once the tip closes";
        EXPECT_TRUE(process.paused);
        EXPECT_TRUE(release_key(WINDOW_PERFORMANCE, 1));
        EXPECT_EQ(shown_screens(), "game/hub");
    }
}

TEST_F(round_screens, the_hub_offers_the_coins_left_or_ends_the_game) {
    struct case_t {
        uint32_t coins;
        const char *caption, *text;
    };
    const case_t cases[] = {
        {0, "@@ui_game_over_caption@@", "@@ui_better_next_time@@"},
        {2, "@@ui_retry_caption@@", "You may try this round again. Retries left: 2"},
    };
    const window_desc_t &hub = WINDOW_GAME_HUB;
    for (const case_t &c : cases) {
        session->close_all_windows();
        start_round();
        game().get_running_score()->continue_coins = c.coins;
        sounds();
        ASSERT_NE(open_row<ingame_hub_handler_t>(hub), nullptr);
        EXPECT_EQ(shown(hub, ingame_hub_handler_t::ITEM_CAPTION), c.caption);
        EXPECT_EQ(shown(hub, ingame_hub_handler_t::ITEM_TEXT), c.text);
        EXPECT_EQ(visible(hub, ingame_hub_handler_t::BUTTON_RETRY), c.coins > 0);
        EXPECT_EQ(sounds(), "/sound/game/game_over.ogg 0.9");
        EXPECT_TRUE(process.paused);
    }
    // Retry: the round again for a coin of the checkpoint.
    commands.clear();
    game().round_index = 2;
    game().get_checkpoint_score()->continue_coins = 2;
    EXPECT_TRUE(click(hub, ingame_hub_handler_t::BUTTON_RETRY));
    EXPECT_EQ(commands, std::vector<std::string>{"init_round 2"});
    EXPECT_EQ(game().get_continue_coins(), 1u);
    // Ok: the game ends with the name entry (a score of no place runs "menu" there).
    commands.clear();
    EXPECT_TRUE(click(hub, ingame_hub_handler_t::BUTTON_OK));
    EXPECT_FALSE(ui_wis_shown(window_of(hub)));
    EXPECT_TRUE(ui_wis_shown(window_of(WINDOW_GAME_ROSTER)));
    EXPECT_EQ(commands, std::vector<std::string>{"menu"});
}

TEST_F(round_screens, the_standings_list_the_higher_score_first_and_equal_ones_in_player_order) {
    struct case_t {
        uint32_t ann, bob;
        const char *rows;
    };
    const case_t cases[] = {
        {50, 50, "1|Ann|50 / 1|Bob|50"},
        {20, 70, "1|Bob|70 / 2|Ann|20"},
        {20000000, 16777215, "1|Ann|20000000 / 2|Bob|16777215"},
    };
    const char *names[] = {"Ann", "Bob"};
    const window_desc_t &standings = WINDOW_DIALOG_MATCHROUND;
    for (const case_t &c : cases) {
        session->close_all_windows();
        start_round();
        game().set_party_players(names, 2);
        game().start_game(1, false);
        game().get_running_score()->score = c.ann;
        game().next_round();
        game().get_running_score()->score = c.bob;
        game().next_round();
        ASSERT_NE(handler_of<ingame_matchround_handler_t>(standings), nullptr);
        EXPECT_TRUE(ui_wis_shown(window_of(standings)));
        EXPECT_EQ(rows(view<ui_list_t>(standings, ingame_matchround_handler_t::LIST_SCORES)), c.rows);
        EXPECT_EQ(shown(standings, ingame_matchround_handler_t::ITEM_CAPTION), "Standings after party round 1");
    }
    commands.clear();
    EXPECT_TRUE(click(standings, ingame_matchround_handler_t::BUTTON_OK));
    EXPECT_EQ(commands, std::vector<std::string>{"init_round 1"}) << "the next party round";
    EXPECT_EQ(game().party_round, 2u);
}

TEST_F(round_screens, the_intro_shows_the_round_number_a_second_in_for_five_seconds) {
    const window_desc_t &intro = WINDOW_GAME_START_ROUND;
    const char *names[] = {"Ann", "Bob"};
    for (bool party : {false, true}) {
        session->close_all_windows();
        if (party) {
            game().set_party_players(names, 2);
            game().party_round = 2;
        }
        game().round_index = 3;
        start_round();
        sounds();
        auto *start = open_row<ingame_start_handler_t>(intro);
        ASSERT_NE(start, nullptr);
        const int32_t item = party ? ingame_start_handler_t::ITEM_PARTY_ROUND : ingame_start_handler_t::ITEM_ROUND;
        EXPECT_EQ(start->get_phase(), uint32_t(ingame_start_handler_t::PHASE_WAITING));
        step(48);
        EXPECT_FALSE(visible(intro, item));
        step(3);
        EXPECT_EQ(start->get_phase(), uint32_t(ingame_start_handler_t::PHASE_SHOWN));
        EXPECT_TRUE(visible(intro, item));
        EXPECT_EQ(shown(intro, item), party ? "2" : "3");
        EXPECT_EQ(sounds(), "/sound/game/jingle.ogg 0.9");
        EXPECT_FALSE(visible(intro, party ? ingame_start_handler_t::ITEM_ROUND : ingame_start_handler_t::ITEM_PARTY_ROUND));
        step(245);
        EXPECT_TRUE(visible(intro, item));
        step(10);
        EXPECT_EQ(start->get_phase(), uint32_t(ingame_start_handler_t::PHASE_DONE));
        EXPECT_FALSE(visible(intro, item));
        step(100);
        EXPECT_EQ(sounds(), "") << "once a showing";
        game().clear_party();
    }
}

TEST_F(round_screens, a_key_on_the_intro_ends_the_flight_once) {
    make_trail("cams.one", {{0, 5, 0}, {100, 5, 0}});
    start_round(100, 20, "cams.one");
    trail_camera_t *camera = hunt->get_intro_view();
    ASSERT_NE(camera, nullptr);
    auto *start = handler_of<ingame_start_handler_t>(WINDOW_GAME_START_ROUND);
    ASSERT_NE(start, nullptr) << "the camera opened the intro";
    EXPECT_EQ(start->get_intro_camera(), camera);
    run(0.1f);
    EXPECT_LT(camera->get_blend(), 1.0f);
    release_key(WINDOW_GAME_START_ROUND, 57);
    EXPECT_FLOAT_EQ(camera->get_blend(), 1.0f);
    run(0.1f);
    EXPECT_TRUE(hunt->is_intro_over());
    EXPECT_EQ(start->get_intro_camera(), nullptr) << "the camera let go of the screen";
    run(0.0f);  // the update list lets the old camera go
    EXPECT_FALSE(act(WINDOW_GAME_START_ROUND, UI_ACT_BUTTON_UP, -1, 1)) << "only the base's";

    // A window opened some other way has no camera: the base alone hears the key.
    session->close_all_windows();
    ASSERT_NE(open_row<ingame_start_handler_t>(WINDOW_GAME_START_ROUND), nullptr);
    EXPECT_FALSE(release_key(WINDOW_GAME_START_ROUND, 57));
}

TEST_F(round_screens, a_lost_game_goes_from_the_result_through_the_hub_to_the_name_entry_by_pointer) {
    cvar_get("g_player_name")->set("Ann");
    game().get_running_score()->continue_coins = 0;
    game().get_running_score()->score = 999999;
    end_round(hunt_ctrl_u::STATE_TIME_OVER);
    EXPECT_EQ(ui_pindex(), 0) << "the pointer shows";
    click_at(R, ingame_round_handler_t::BUTTON_OK);
    EXPECT_EQ(shown_screens(), "game/hub");
    click_at(WINDOW_GAME_HUB, ingame_hub_handler_t::BUTTON_OK);
    EXPECT_EQ(shown_screens(), "game/roster");
    EXPECT_TRUE(commands.empty()) << "a score with a place";
    click_at(WINDOW_GAME_ROSTER, 20);
    EXPECT_EQ(commands, std::vector<std::string>{"menu highscore"}) << "the name is taken";
}

}  // namespace
}  // namespace quarn::test

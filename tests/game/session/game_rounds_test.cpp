// The game data across rounds: starting a game, going on, retrying for a coin, the end
// of a single game, and party play with its turns, rankings and points.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "game/session/session_fixture.h"

namespace quarn::test {
namespace {

class game_rounds : public session_fixture_t {
protected:
    void SetUp() override {
        session_fixture_t::SetUp();
        start_session();
        data().round_count = 3;
    }
    void start_party(std::vector<const char *> names, uint32_t round = 2) {
        data().set_party_players(names.data(), uint32_t(names.size()));
        data().start_game(round, false);
    }
    // Plays the turns of one party round: each player in turn scores its points (by
    // entry index) and goes on. The names of the players in the order they played.
    std::vector<std::string> play_party_round(const std::map<uint32_t, uint32_t> &points) {
        std::vector<std::string> order;
        for (uint32_t turn = 0; turn < data().get_party_player_count(); ++turn) {
            const uint32_t player = data().get_current_player();
            order.push_back(name_of(player));
            EXPECT_STREQ(data().get_running_score()->player_name.c_str(), name_of(player).c_str());
            auto it = points.find(player);
            if (it != points.end()) data().add_points(it->second);
            data().next_round();
        }
        return order;
    }
    std::string name_of(uint32_t player) {
        mstring_dyn_t name;
        EXPECT_TRUE(data().get_party_player(player, &name, nullptr));
        return name.c_str();
    }
    party_standing_t standing_of(uint32_t player) {
        party_standing_t s;
        EXPECT_TRUE(data().get_party_player(player, nullptr, &s));
        return s;
    }
    std::vector<int32_t> ranks() {
        std::vector<int32_t> r;
        for (uint32_t i = 0; i < data().get_party_player_count(); ++i) r.push_back(standing_of(i).rank);
        return r;
    }
    std::vector<int32_t> points() {
        std::vector<int32_t> r;
        for (uint32_t i = 0; i < data().get_party_player_count(); ++i) r.push_back(standing_of(i).party_points);
        return r;
    }
};

TEST_F(game_rounds, a_new_game_sets_the_round_start_flag_and_runs_init_round) {
    data().add_points(500);
    score_u *old_running = data().get_running_score();
    data().start_game(1, true);
    EXPECT_EQ(commands, std::vector<std::string>{"init_round 1 pending"});
    EXPECT_TRUE(data().expert);
    EXPECT_EQ(data().round_index, 1u);
    ASSERT_NE(data().get_running_score(), nullptr);
    EXPECT_NE(data().get_running_score(), old_running);
    EXPECT_EQ(data().get_running_score()->score, 0u);
    EXPECT_EQ(data().get_continue_coins(), 3u);
    EXPECT_TRUE(data().take_round_start_pending());
    EXPECT_FALSE(data().take_round_start_pending()) << "init_round asks once";
}

TEST_F(game_rounds, single_rounds_go_on_from_a_checkpoint_until_the_last_shows_finished) {
    data().start_game(2, false);
    data().add_points(700);
    data().next_round();
    EXPECT_EQ(data().round_index, 3u);
    EXPECT_EQ(data().get_checkpoint_score()->score, 700u);
    EXPECT_NE(data().get_checkpoint_score(), data().get_running_score());
    EXPECT_TRUE(ui.calls.empty());

    commands.clear();
    data().next_round();  // round 3 of 3
    EXPECT_EQ(data().round_index, 3u);
    EXPECT_TRUE(commands.empty()) << "no round beyond the progression";
    EXPECT_EQ(ui.calls, (std::vector<std::string>{"insert game/finished 0 /ui/gfinished.esc", "show game/finished 0"}));
}

TEST_F(game_rounds, a_retry_costs_a_coin_and_restarts_from_the_checkpoint) {
    data().start_game(2, false);
    data().get_checkpoint_score()->score = 100;
    data().get_checkpoint_score()->continue_coins = 1;
    data().add_points(40);  // lost in the retry
    commands.clear();

    EXPECT_TRUE(data().retry_round());
    EXPECT_EQ(commands, std::vector<std::string>{"init_round 2 pending"});
    EXPECT_EQ(data().get_running_score()->score, 100u);
    EXPECT_EQ(data().get_continue_coins(), 0u);
    EXPECT_EQ(data().get_checkpoint_score()->continue_coins, 0u);

    data().add_points(5);
    EXPECT_FALSE(data().retry_round());
    EXPECT_EQ(commands.size(), 1u);
    EXPECT_EQ(data().get_running_score()->score, 105u) << "nothing changes without a coin";
}

TEST_F(game_rounds, three_players_take_turns_then_see_the_standings_then_the_best_goes_first) {
    start_party({"Ann", "Bob", "Cid"});
    EXPECT_TRUE(data().is_party_mode());
    EXPECT_EQ(play_party_round({{0, 30}, {1, 50}, {2, 10}}), (std::vector<std::string>{"Ann", "Bob", "Cid"}));
    EXPECT_EQ(commands, (std::vector<std::string>{"init_round 2 pending", "init_round 2 pending", "init_round 2 pending"}));
    EXPECT_EQ(ui.calls, (std::vector<std::string>{"insert dialog/matchround 0 /ui/gmatchround.esc",
                                                  "show dialog/matchround 0"}));
    EXPECT_EQ(ranks(), (std::vector<int32_t>{2, 1, 3}));
    EXPECT_EQ(standing_of(1).score, 50u);
    EXPECT_EQ(standing_of(1).rank_change, 0) << "previous rank 1, rank 1";
    EXPECT_EQ(standing_of(2).rank_change, -2);
    EXPECT_EQ(data().party_round, 1u);

    // The match-round screen goes on: party round 2, same round index, best first.
    commands.clear();
    data().next_round();
    EXPECT_EQ(data().party_round, 2u);
    EXPECT_EQ(commands, std::vector<std::string>{"init_round 2 pending"});
    EXPECT_EQ(data().get_current_player(), 1u);
    EXPECT_EQ(data().get_running_score()->score, 50u) << "each player goes on from their own score";
    EXPECT_EQ(play_party_round({}), (std::vector<std::string>{"Bob", "Ann", "Cid"}));

    mstring_dyn_t name("untouched");
    party_standing_t s;
    s.score = 77;
    EXPECT_FALSE(data().get_party_player(3, &name, &s));
    EXPECT_STREQ(name.c_str(), "untouched");
    EXPECT_EQ(s.score, 77u);
}

TEST_F(game_rounds, after_the_third_party_round_the_ranks_give_points_and_the_menu_returns) {
    struct case_t {
        const char *what;
        std::map<uint32_t, uint32_t> first_round;
        std::vector<int32_t> round_ranks;
        std::vector<int32_t> points;
    } cases[] = {
        {"distinct scores", {{0, 10}, {1, 30}, {2, 20}}, {3, 1, 2}, {0, 2, 1}},
        {"tied players share", {{0, 50}, {1, 50}, {2, 30}}, {1, 1, 2}, {2, 2, 1}},
        {"all tied", {{0, 5}, {1, 5}, {2, 5}}, {1, 1, 1}, {2, 2, 2}},
    };
    // One session plays them all, so every game after the first begins where a party
    // game ended, at its last standings: the new one still ranks and shows its own.
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.what);
        commands.clear();
        start_party({"Ann", "Bob", "Cid"});
        play_party_round(c.first_round);
        EXPECT_EQ(ranks(), c.round_ranks);
        data().next_round();  // from the standings into round 2
        play_party_round({});
        data().next_round();
        play_party_round({});
        EXPECT_EQ(data().party_round, 3u);
        EXPECT_EQ(points(), (std::vector<int32_t>{0, 0, 0})) << "points only at the end";

        commands.clear();
        data().next_round();  // the last standings go on
        EXPECT_EQ(commands, std::vector<std::string>{"menu party"});
        EXPECT_EQ(points(), c.points);
        EXPECT_EQ(ranks(), c.round_ranks) << "ranked by the points, which follow the scores here";
    }
}

TEST_F(game_rounds, a_new_party_game_begins_with_empty_records_and_the_old_ranks_as_previous) {
    start_party({"Ann", "Bob"});
    play_party_round({{0, 10}, {1, 20}});
    EXPECT_EQ(ranks(), (std::vector<int32_t>{2, 1}));
    data().start_game(5, false);
    EXPECT_EQ(standing_of(0).score, 0u);
    EXPECT_STREQ(name_of(0).c_str(), "Ann");
    EXPECT_EQ(standing_of(0).rank_change, 0);  // previous rank = rank = 2
    EXPECT_EQ(data().party_round, 1u);
    EXPECT_EQ(data().get_current_player(), 1u) << "the turn order stays as the ranking sorted it";

    data().clear_party();
    EXPECT_FALSE(data().is_party_mode());
    EXPECT_EQ(data().get_turn_order().get_count(), 0u);
}

TEST_F(game_rounds, gifts_won_are_logged_with_sender_time_and_round) {
    data().start_game(7, false);
    data().get_running_score()->player_name = "Solo";
    data().log_gift_hit("cloak", 3.0f);
    ASSERT_EQ(data().get_gift_log().get_count(), 1u);
    EXPECT_EQ(data().get_gift_log()[0].round, 7u) << "the round index outside party play";
    EXPECT_STREQ(data().get_gift_log()[0].sender_name.c_str(), "Solo");

    start_party({"Ann", "Bob"});
    EXPECT_EQ(data().get_gift_log().get_count(), 0u) << "a new party begins without gifts";
    data().next_round();  // Bob's turn
    data().log_gift_hit("speed", 1.0f);
    data().add_points(10);
    data().next_round();  // standings
    data().next_round();  // party round 2
    data().log_gift_hit("annoy", 40.0f);
    const array_t<gift_hit_t> &gifts = data().get_gift_log();
    ASSERT_EQ(gifts.get_count(), 2u);
    EXPECT_STREQ(gifts[0].gift_name.c_str(), "speed");
    EXPECT_STREQ(gifts[0].sender_name.c_str(), "Bob");
    EXPECT_EQ(gifts[0].sender, 1u);
    EXPECT_EQ(gifts[0].time, 1.0f);
    EXPECT_EQ(gifts[0].round, 1u);
    EXPECT_EQ(gifts[1].round, 2u);
    EXPECT_EQ(gifts[1].sender, 1u) << "Bob scored more and goes first";
}

TEST_F(game_rounds, fever_and_points_live_in_the_running_record) {
    data().start_game(1, false);
    data().get_running_score()->fever_points = 4;
    EXPECT_FLOAT_EQ(data().get_fever_level(), 0.8f);
    data().clear_fever();
    EXPECT_EQ(data().get_fever_level(), 0.0f);
    data().add_points(UINT32_MAX - 1);
    data().add_points(10);
    EXPECT_EQ(data().get_running_score()->score, UINT32_MAX);
}

}  // namespace
}  // namespace quarn::test

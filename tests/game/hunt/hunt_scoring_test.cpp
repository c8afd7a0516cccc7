// The hunt's shot outcomes, danger warnings, voice queue, bonuses and gifts.
#include "hunt_fixture.h"

#include "game/voiceover/voiceover.h"
#include "game/round/trail_use.h"
#include "kernel/sound/sound_unit.h"

namespace quarn::test {

namespace {

class hunt_scoring : public hunt_fixture_t {
protected:
    void SetUp() override {
        hunt_fixture_t::SetUp();
        make_all_voices();
        target = test_target_u::create();
        put_start_points("start_point : start.a { }\n");
        ASSERT_NE(start_hunt(), nullptr);
        // A round with a kill limit out of reach unless a test sets one.
        hunt->load_round(make_round(100, 1000));
        take_journal();
    }
    recording_hunter_t *hunter() { return static_cast<recording_hunter_t *>(hunt->get_hunter()); }
    // The caption of the pending voice line ("" for none).
    std::string pending() {
        const voiceover_u *voice = hunt->get_pending_voice();
        return voice ? voice->text.c_str() : "";
    }
    // The cue captions the HUD was given since the last call.
    std::string messages_shown() {
        std::string out;
        for (const std::string &line : hunt_journal)
            if (line.rfind("hud.message ", 0) == 0) out += (out.empty() ? "" : " ") + line.substr(12, line.rfind(' ') - 12);
        hunt_journal.clear();
        return out;
    }
    void TearDown() override {
        target.reset();
        hunt_fixture_t::TearDown();
    }
    owner_ptr_t<test_target_u> target;
    test_vital_part_t vital;
};

TEST_F(hunt_scoring, a_kill_scores_points_bonuses_and_flags) {
    struct case_t {
        const char *name;
        bool expert;
        uint32_t multiplier;
        float distance;
        bool vital, skill;
        uint32_t score_gain, trophy_points, shot_points, hud_points, flags;
    };
    const case_t cases[] = {
        {"expert long vital skill x2", true, 2, 120.0f, true, true, 240, 120, 120, 120, 7},
        {"plain close", false, 1, 20.0f, false, false, 30, 30, 0, 30, 0},
        {"exactly 100 is long", false, 1, 100.0f, false, false, 40, 30, 10, 40, 2},
        {"just short of 100", false, 1, 99.99f, false, false, 30, 30, 0, 30, 0},
        {"vital only x3", false, 3, 5.0f, true, false, 120, 90, 30, 40, 1},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.name);
        data->expert = c.expert;
        *const_cast<hunt_ctrl_u::kill_stats_t *>(hunt->get_kill_stats()) = {};
        hunt->get_round_score()->score = 0;
        hunt->set_multiplier(c.multiplier);
        hunt->on_kill(target.get(), c.vital ? &vital : nullptr, c.skill, c.distance);
        EXPECT_EQ(hunt->get_round_score()->score, c.score_gain);
        EXPECT_EQ(hunt->get_kill_stats()->trophy_points, c.trophy_points);
        EXPECT_EQ(hunt->get_kill_stats()->shot_points, c.shot_points);
        EXPECT_NE(take_journal().find("hud.score " + std::to_string(c.hud_points) + " flags " + std::to_string(c.flags)),
                  std::string::npos);
    }
}

TEST_F(hunt_scoring, a_kill_counts_by_kind_and_cues_relief_and_trophies) {
    target->dangerous = true;
    hunt->on_kill(target.get(), nullptr, false, 14.9f);
    EXPECT_EQ(messages_shown(), "vo.relief vo.good_shot");
    hunt->on_kill(target.get(), nullptr, false, 15.0f);
    EXPECT_EQ(messages_shown(), "vo.good_shot") << "exactly 15 is no relief";
    target->dangerous = false;
    target->ambient = true;
    hunt->on_kill(target.get(), nullptr, true, 10.0f);
    EXPECT_EQ(messages_shown(), "vo.skillshot vo.good_shot");
    target->ambient = false;
    target->trophy = true;
    hunt->on_kill(target.get(), nullptr, false, 10.0f);
    EXPECT_EQ(messages_shown(), "vo.trophy_buck");
    const auto *stats = hunt->get_kill_stats();
    EXPECT_EQ(stats->dangerous_kills, 2u);
    EXPECT_EQ(stats->ambient_kills, 1u);
    EXPECT_EQ(stats->trophy_kills, 1u);
    EXPECT_EQ(stats->skill_shots, 1u);
    const score_u *score = hunt->get_round_score();
    EXPECT_EQ(score->valid_kills, 4u);
    EXPECT_EQ(score->kills, 4u);
    EXPECT_EQ(score->hits, 4u);
}

TEST_F(hunt_scoring, the_kill_that_reaches_the_limit_adds_the_time_bonus_and_wins) {
    struct case_t {
        bool expert;
        bool party;
        uint32_t time_bonus;
        int32_t state;
    };
    for (const case_t c : {case_t{false, false, 24, 1}, case_t{true, false, 60, 1}, case_t{false, true, 0, 0}}) {
        SCOPED_TRACE(c.expert ? "expert" : c.party ? "party" : "plain");
        data->expert = c.expert;
        if (c.party) {
            const char *names[] = {"a", "b"};
            data->set_party_players(names, 2);
        }
        ASSERT_NE(start_hunt(), nullptr);
        hunt->load_round(make_round(100, 2));
        run(hunt->get_time_limit() - 12.7f);  // 12.7 s left (a party round lasts 60 s)
        const uint32_t points = hunt->get_round_score()->score;
        hunt->on_kill(target.get(), nullptr, false, 10.0f);
        EXPECT_EQ(hunt->get_state(), 0);
        hunt->on_kill(target.get(), nullptr, false, 10.0f);
        const uint32_t per_kill = c.expert ? 60 : 30;
        EXPECT_EQ(hunt->get_kill_stats()->time_bonus, c.time_bonus);
        EXPECT_EQ(hunt->get_round_score()->score, points + 2 * per_kill + c.time_bonus);
        EXPECT_EQ(hunt->get_state(), c.state);
        data->clear_party();
    }
}

TEST_F(hunt_scoring, every_fifth_kill_in_a_row_cues_the_chain_and_other_outcomes_break_it) {
    for (int i = 0; i < 4; ++i) hunt->on_kill(target.get(), nullptr, false, 10.0f);
    messages_shown();
    hunt->on_kill(target.get(), nullptr, false, 10.0f);
    EXPECT_EQ(messages_shown(), "vo.good_shot vo.kill.chain");
    EXPECT_EQ(hunt->get_kill_chain(), 0u);

    const std::function<void()> breakers[] = {
        [&] { hunt->on_hit(nullptr, nullptr); },
        [&] { hunt->on_bad_shot(nullptr, nullptr); },
        [&] { hunt->on_illegal_shot(nullptr); },
        [&] { hunt->after_shot(); },  // a miss
    };
    for (const auto &breaker : breakers) {
        for (int i = 0; i < 4; ++i) {
            hunt->on_kill(target.get(), nullptr, false, 10.0f);
            hunt->after_shot();
        }
        EXPECT_EQ(hunt->get_kill_chain(), 4u);
        breaker();
        EXPECT_EQ(hunt->get_kill_chain(), 0u);
    }
}

TEST_F(hunt_scoring, shots_count_hits_misses_and_the_bad_shot_cue) {
    hunt->on_bad_shot(nullptr, nullptr);
    hunt->after_shot();
    hunt->on_hit(nullptr, nullptr);
    hunt->after_shot();
    hunt->after_shot();
    EXPECT_EQ(messages_shown(), "vo.bad_shot vo.hit vo.missed");
    EXPECT_EQ(hunt->get_round_score()->shots, 3u);
    EXPECT_EQ(hunt->get_round_score()->hits, 2u);
    EXPECT_FLOAT_EQ(hunt->get_ambient_gain(), 0.0f);
}

TEST_F(hunt_scoring, an_illegal_shot_takes_the_penalty_down_to_zero) {
    hunt->get_round_score()->score = 30;
    hunt->on_illegal_shot(nullptr);
    EXPECT_EQ(hunt->get_round_score()->score, 0u);
    EXPECT_EQ(hunt->get_kill_stats()->penalty_points, 30u);
    EXPECT_EQ(hunt->get_kill_stats()->protected_kills, 1u);
    EXPECT_EQ(take_journal(), "hud.penalty 50 | hud.message vo.illegal_shot 1");

    data->expert = true;
    hunt->set_multiplier(2);
    hunt->get_round_score()->score = 500;
    hunt->on_illegal_shot(nullptr);
    EXPECT_EQ(hunt->get_round_score()->score, 300u);
    EXPECT_EQ(hunt->get_kill_stats()->penalty_points, 230u);
    EXPECT_EQ(hunt->get_round_score()->kills, 2u);
}

TEST_F(hunt_scoring, the_record_cue_plays_once_when_the_total_crosses_the_best_entry) {
    data->get_running_score()->score = 100;
    hunt->on_kill(target.get(), nullptr, false, 10.0f);
    EXPECT_EQ(messages_shown(), "vo.good_shot") << "no table, no record";
    set_best_score(170);
    hunt->on_kill(target.get(), nullptr, false, 10.0f);  // 100 + 60
    EXPECT_EQ(messages_shown(), "vo.good_shot");
    hunt->on_kill(target.get(), nullptr, false, 10.0f);  // 190: crosses 170
    EXPECT_EQ(messages_shown(), "vo.good_shot vo.new_record");
    hunt->on_kill(target.get(), nullptr, false, 10.0f);
    EXPECT_EQ(messages_shown(), "vo.good_shot");

    owner_ptr_t<score_table_u> empty(score_table_u::create());
    test_hunt_ctrl_u::table = empty.get();
    hunt->on_kill(target.get(), nullptr, false, 10.0f);
    EXPECT_EQ(messages_shown(), "vo.good_shot vo.kill.chain") << "an empty table has no record";
    test_hunt_ctrl_u::table = nullptr;
}

TEST_F(hunt_scoring, a_vital_hit_feeds_the_fever_and_plays_the_parts_table) {
    vital.reward = 3;
    vital.table = make_voice("vo.part.heart", 2);
    hunt->on_kill(target.get(), &vital, false, 10.0f);
    EXPECT_EQ(data->get_running_score()->fever_points, 3u);
    EXPECT_EQ(take_journal(),
              "hud.pulse_fever | hud.message vo.part.heart 2 | hud.message vo.good_shot 1 | hud.score 40 flags 1");
    hunt->on_kill(target.get(), &vital, false, 10.0f);
    EXPECT_NE(take_journal().find("hud.pulse_fever | hud.fever_enabled"), std::string::npos) << "6 points: level 1.2";
    hunt->on_kill(target.get(), &vital, false, 10.0f);
    EXPECT_EQ(take_journal().find("fever_enabled"), std::string::npos) << "only when the level is reached";
}

TEST_F(hunt_scoring, try_fever_resets_the_points_only_when_the_bonus_is_given) {
    data->get_running_score()->fever_points = 5;
    ASSERT_TRUE(hunt->give_bonus("blocker"));
    EXPECT_FALSE(hunt->try_fever());
    EXPECT_EQ(data->get_running_score()->fever_points, 5u) << "refused: the points stay";
    hunt->end_bonuses_of_kind(4);
    EXPECT_TRUE(hunt->try_fever());
    EXPECT_EQ(data->get_running_score()->fever_points, 0u);
    EXPECT_NE(hunt->get_fever_bonus(), nullptr);
    data->get_running_score()->fever_points = 4;
    EXPECT_FALSE(hunt->try_fever()) << "level 0.8";
}

TEST_F(hunt_scoring, the_fever_bonus_is_extended_when_the_level_is_reached_again) {
    data->get_running_score()->fever_points = 5;
    ASSERT_TRUE(hunt->try_fever());
    auto *fever = static_cast<test_bonus_u *>(hunt->get_fever_bonus());
    data->get_running_score()->fever_points = 5;
    run(1.0f);
    EXPECT_FLOAT_EQ(fever->remaining, 14.0f);
    EXPECT_EQ(data->get_running_score()->fever_points, 0u);
}

// ---- danger ----

TEST_F(hunt_scoring, only_the_nearest_danger_of_a_tick_counts) {
    hunt->warn_danger(0, 0, -30, false);
    hunt->warn_danger(0, 0, -50, false);  // farther: ignored
    EXPECT_FLOAT_EQ(hunt->get_danger_level(), (1.0f - 0.5f) + 0.4f * 0.5f);
    EXPECT_EQ(messages_shown(), "vo.danger");
    run(0.1f);
    hunt->warn_danger(0, 0, -70, false);
    EXPECT_FLOAT_EQ(hunt->get_danger_level(), 0.4f);
}

TEST_F(hunt_scoring, danger_cues_ahead_left_and_right_and_wait_out_their_cooldown) {
    struct case_t {
        float x, z;
        const char *cue;
        int32_t side;
    };
    hunter()->has_frustum = false;
    for (const case_t &c : {case_t{0, -30, "vo.danger", 2}, case_t{-30, 0, "vo.danger.left", 2},
                            case_t{30, 0, "vo.danger.right", 3}}) {
        SCOPED_TRACE(c.cue);
        run(5.0f);  // the cooldown is over, a new tick
        take_journal();
        hunt->warn_danger(c.x, 0, c.z, false);
        EXPECT_EQ(take_journal(), std::string("hud.message ") + c.cue + " 1 | hud.danger " + std::to_string(c.side));
        EXPECT_FLOAT_EQ(hunt->get_danger_cooldown(), 5.0f);
        run(1.0f);
        take_journal();
        hunt->warn_danger(c.x, 0, c.z, false);
        EXPECT_EQ(take_journal(), "hud.danger " + std::to_string(c.side)) << "cooling down";
    }
}

TEST_F(hunt_scoring, an_attack_nearer_than_nine_starts_the_hunters_death) {
    hunt->warn_danger(0, 0, -9.0f, true);
    EXPECT_EQ(take_journal().find("start_death"), std::string::npos);
    hunt->warn_danger(0, 0, -8.9f, false);
    EXPECT_EQ(take_journal().find("start_death"), std::string::npos) << "not attacking";
    hunt->warn_danger(0, 0, -8.9f, true);
    EXPECT_NE(take_journal().find("hunter.start_death"), std::string::npos);
    EXPECT_EQ(hunter()->get_state(), 1);
}

TEST_F(hunt_scoring, the_danger_sound_swells_with_the_danger_and_stops_when_it_fades) {
    // A round whose one animal warns of a danger 30 ahead while it walks.
    install_rows(true, true);
    owner_ptr_ret_t<round_logic_u> round = make_round(100, 1000);
    owner_ptr_t<trail_use_u> use(trail_use_u::create());
    use->trail_name = "t.walk";
    use->scorings_supported.append(ref_ptr_t<unit_base_t>(make_trail("t.walk", {{0, 0, -30}, {10, 0, -30}})));
    use->decoys_supported.append(ref_ptr_t<unit_base_t>(use->scorings_supported[0].get()));
    round->trails.append(owner_ptr_t<unit_base_t>(std::move(use)));
    round->target_count = 1;
    ASSERT_TRUE(round->build_occurrence_table());
    ASSERT_TRUE(hunt->load_round(std::move(round)));
    hunt->get_round()->build_spawn_schedule(1);

    sound_u *danger = hunt->get_danger_sound();
    ASSERT_NE(danger, nullptr);
    for (int i = 0; i < 190 && hunt->get_danger_level() == 0.0f; ++i) run(0.5f);
    ASSERT_FLOAT_EQ(hunt->get_danger_level(), 0.5f + 0.4f * 0.5f) << "the animal never came";
    EXPECT_FLOAT_EQ(danger->attributes.volume, 0.35f);
    EXPECT_TRUE(danger->has_flag(sound_u::PLAY_REQUESTED));

    test_target_u::warnings_on = false;
    run(0.5f);
    EXPECT_FLOAT_EQ(hunt->get_danger_level(), 0.0f) << "no warning this tick";
    for (int i = 0; i < 20 && danger->attributes.volume >= 0.01f; ++i) run(0.5f);
    EXPECT_LT(danger->attributes.volume, 0.01f);
    EXPECT_TRUE(danger->has_flag(sound_u::PLAY_REQUESTED)) << "the frame it falls below 0.01 it still plays";
    run(0.5f);
    EXPECT_FALSE(danger->has_flag(sound_u::PLAY_REQUESTED));
}

TEST_F(hunt_scoring, a_shot_silences_the_ambient_loop_and_it_creeps_back) {
    owner_ptr_ret_t<round_logic_u> round = make_round(100, 1000);
    round->ambient_loop = "/sound/environment/valley.ogg";
    ASSERT_TRUE(hunt->load_round(std::move(round)));
    run(0.1f);
    hunt->after_shot();
    EXPECT_FLOAT_EQ(hunt->get_ambient_gain(), 0.0f);
    run(2.0f);
    EXPECT_FLOAT_EQ(hunt->get_ambient_gain(), 0.2f);
    run(10.0f);
    EXPECT_FLOAT_EQ(hunt->get_ambient_gain(), 1.0f) << "at most 1";
}

// ---- voice ----

TEST_F(hunt_scoring, a_lower_cue_is_dropped_but_shown_and_a_pending_cue_plays_after_the_delay) {
    make_voice("vo.loud", 5);
    make_voice("vo.quiet", 2);
    hunt->play_voiceover_named("vo.loud", true);
    hunt->play_voiceover_named("vo.quiet", true);
    EXPECT_EQ(messages_shown(), "vo.loud vo.quiet");
    EXPECT_EQ(pending(), "vo.loud");
    sounds();
    run(0.3f);
    EXPECT_EQ(sounds(), "");
    run(0.3f);
    EXPECT_EQ(sounds(), "/l10n/en_us/sound/vo.loud.ogg 1");
    EXPECT_EQ(pending(), "");
    hunt->play_voiceover_named("vo.quiet", false);
    run(0.01f);
    EXPECT_EQ(sounds(), "/l10n/en_us/sound/vo.quiet.ogg 1") << "not delayed";
    hunt->play_voiceover_named("vo.nothing", true);
    EXPECT_EQ(pending(), "") << "no such table";
}

TEST_F(hunt_scoring, no_cue_while_the_hunter_is_dying) {
    hunter()->state = 1;
    hunt->on_hit(nullptr, nullptr);
    EXPECT_EQ(messages_shown(), "");
    EXPECT_EQ(pending(), "");
}

// ---- bonuses and gifts ----

TEST_F(hunt_scoring, bonuses_are_refused_when_blocked_and_replace_their_kind) {
    EXPECT_FALSE(hunt->give_bonus("nonexistent"));
    EXPECT_FALSE(hunt->give_bonus("test")) << "no concrete class of that name";
    EXPECT_FALSE(hunt->give_bonus("hunt")) << "the abstract base is never made";
    ASSERT_TRUE(hunt->give_bonus("sunglasses"));
    ASSERT_TRUE(hunt->give_bonus("blocker"));
    unit_system_t::clean_garbage();
    const uint32_t live = unit_base_t::get_live_count();
    EXPECT_FALSE(hunt->give_bonus("fever"));
    EXPECT_FALSE(hunt->give_bonus("chain"));
    unit_system_t::clean_garbage();
    EXPECT_EQ(unit_base_t::get_live_count(), live) << "refused bonuses are destroyed";
    EXPECT_EQ(hunt->get_active_kinds(), 1u | 4u);
    EXPECT_EQ(hunt->get_blocked_kinds(), 2u | 8u);
    take_journal();
    ASSERT_TRUE(hunt->give_bonus("goggles"));
    EXPECT_EQ(take_journal(), "sunglasses_bonus.remove | goggles_bonus.apply");
    EXPECT_EQ(hunt->get_bonus_count(), 2u);
    run(10.0f);
    EXPECT_EQ(hunt->get_bonus_count(), 0u);
    EXPECT_EQ(hunt->get_active_kinds(), 0u);
    EXPECT_EQ(hunt->get_blocked_kinds(), 0u);
}

TEST_F(hunt_scoring, an_end_asked_for_during_remove_is_deferred) {
    ASSERT_TRUE(hunt->give_bonus("sunglasses"));
    ASSERT_TRUE(hunt->give_bonus("chain"));
    take_journal();
    hunt->end_bonuses_of_kind(8);
    EXPECT_EQ(take_journal(), "chain_bonus.remove | sunglasses_bonus.remove");
    EXPECT_EQ(hunt->get_bonus_count(), 0u);
    EXPECT_EQ(hunt->get_active_kinds(), 0u);
}

TEST_F(hunt_scoring, a_gift_acts_alone_and_ends_after_its_time) {
    EXPECT_FALSE(hunt->give_gift(1, "b", "nothing"));
    ASSERT_TRUE(hunt->give_gift(1, "b", "speed"));
    EXPECT_EQ(take_journal(), "gift.apply | hud.gift speed from b");
    EXPECT_FALSE(hunt->give_gift(1, "b", "speed")) << "one gift at a time";
    run(3.0f);
    EXPECT_EQ(take_journal(), "gift.remove");
    EXPECT_EQ(hunt->get_gift(), nullptr);
    EXPECT_TRUE(hunt->give_gift(1, "b", "speed"));
}

}  // namespace

}  // namespace quarn::test

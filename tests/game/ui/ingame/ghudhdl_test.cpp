// The HUD over a running hunt and its shipped layout: what the hunt, the weapons and
// the bonuses call, and what it reads every frame.
#include <gtest/gtest.h>

#include "game/game_data.h"
#include "game/hunt/hunt_ctrl.h"
#include "game/session/score.h"
#include "game/ui/menus/confirmhdl.h"
#include "game/ui/effects/uifx_view.h"
#include "game/voiceover/voiceover.h"
#include "ingame_fixture.h"
#include "kernel/sound/sound_unit.h"
#include "qrncore/system/timers.h"

namespace quarn::test {
namespace {

constexpr const window_desc_t &H = WINDOW_GAME_HUD;

class ingame_hud : public ingame_fixture_t {
protected:
    void SetUp() override {
        ingame_fixture_t::SetUp();
        make_voice("vo.reload");
        make_voice("vo.breath.control");
        screen = start_round();
        ASSERT_NE(screen, nullptr);
        step();
    }
    // Frames until the item's effect ended (at most 10 s).
    void until_idle(int32_t id) {
        for (int i = 0; i < 500 && effect_running(H, id); ++i) step();
        EXPECT_FALSE(effect_running(H, id)) << id;
    }
    ingame_hud_handler_t *screen = nullptr;
};

TEST_F(ingame_hud, the_ammunition_row_dims_what_the_clip_lacks) {
    struct case_t {
        uint32_t loaded, capacity;
        std::string text;
    };
    const case_t cases[] = {
        {2, 5, "RR<color value=50ffffff>RRR"},
        {5, 5, "RRRRR<color value=50ffffff>"},
        {7, 5, "RRRRRRR<color value=50ffffff>"},
        {0, 0, "<color value=50ffffff>"},
        {0, 4000000000u, "<color value=50ffffff>" + std::string(ingame_hud_handler_t::AMMO_GLYPHS_MAX, 'R')},
    };
    for (const case_t &c : cases) {
        screen->set_ammo("R", c.loaded, c.capacity);
        EXPECT_EQ(shown(H, ingame_hud_handler_t::ITEM_AMMO), c.text) << c.loaded << "/" << c.capacity;
    }
}

TEST_F(ingame_hud, shot_flags_fill_the_flag_items_in_order) {
    struct case_t {
        uint32_t flags;
        const char *f205, *f206, *f207;
    };
    const case_t cases[] = {
        {hunt_hud_t::SCORE_LONG_SHOT | hunt_hud_t::SCORE_SKILL_SHOT, "@@flag_long_shot@@", "@@flag_skill_shot@@", nullptr},
        {7, "@@flag_vital_hit@@", "@@flag_long_shot@@", "@@flag_skill_shot@@"},
        {hunt_hud_t::SCORE_SKILL_SHOT, "@@flag_skill_shot@@", nullptr, nullptr},
        {0, nullptr, nullptr, nullptr},
    };
    for (const case_t &c : cases) {
        for (int32_t id : {205, 206, 207}) until_idle(id);
        screen->show_shot_score(120, c.flags);
        EXPECT_EQ(shown(H, ingame_hud_handler_t::ITEM_SCORE_POINTS), "120");
        EXPECT_TRUE(effect_running(H, ingame_hud_handler_t::ITEM_SCORE_POINTS));
        const char *expected[] = {c.f205, c.f206, c.f207};
        for (int32_t i = 0; i < 3; ++i) {
            EXPECT_EQ(effect_running(H, 205 + i), expected[i] != nullptr) << c.flags << " item " << 205 + i;
            if (expected[i]) {
                EXPECT_EQ(shown(H, 205 + i), expected[i]) << c.flags;
            }
        }
    }
    screen->show_penalty(50);
    EXPECT_EQ(shown(H, ingame_hud_handler_t::ITEM_SCORE_POINTS), "<color value=ff0000ff>- 50");
}

TEST_F(ingame_hud, a_message_of_lower_priority_waits_for_the_one_showing) {
    screen->show_message("@@ui_fever_enabled@@", 999);
    screen->show_message("@@vo_hit@@", 5);
    screen->show_message("", 1000);
    EXPECT_EQ(shown(H, ingame_hud_handler_t::ITEM_MESSAGE), "@@ui_fever_enabled@@");
    step();
    EXPECT_TRUE(screen->is_message_showing());
    until_idle(ingame_hud_handler_t::ITEM_MESSAGE);
    EXPECT_FALSE(screen->is_message_showing());
    screen->show_message("@@vo_hit@@", 5);
    EXPECT_EQ(shown(H, ingame_hud_handler_t::ITEM_MESSAGE), "@@vo_hit@@") << "any priority after the end";
    screen->show_message("@@vo_missed@@", 5);
    EXPECT_EQ(shown(H, ingame_hud_handler_t::ITEM_MESSAGE), "@@vo_missed@@") << "an equal priority replaces it";
}

TEST_F(ingame_hud, a_message_whose_effect_cannot_start_holds_nothing_back) {
    view<uifx_text_view_t>(H, ingame_hud_handler_t::ITEM_MESSAGE)->effect_name = "uifx.no.such.effect";
    screen->show_message("@@ui_fever_enabled@@", 999);
    step();
    EXPECT_FALSE(screen->is_message_showing());
    screen->show_message("@@vo_hit@@", 5);
    EXPECT_EQ(shown(H, ingame_hud_handler_t::ITEM_MESSAGE), "@@vo_hit@@");
}

TEST_F(ingame_hud, bonus_slots_show_a_bar_of_the_time_left) {
    expire_timer_t timer(20.0f, 20.0f);
    screen->set_bonus(hunt_hud_t::SLOT_QUICK_SHOOTER, true, &timer, nullptr);
    EXPECT_EQ(shown(H, ingame_hud_handler_t::ITEM_SCORE_BONUS), "@@bonus_quick_shooter@@");
    EXPECT_TRUE(effect_running(H, ingame_hud_handler_t::ITEM_SCORE_BONUS));
    EXPECT_EQ(shown(H, 320), "quick_shooter");
    EXPECT_TRUE(visible(H, 320));
    EXPECT_TRUE(visible(H, 321));
    EXPECT_FALSE(visible(H, 322));
    // The bar of the layout is 48 wide; it never gets shorter than 1.
    struct case_t {
        float remaining;
        const char *bar;
    };
    for (const case_t &c : {case_t{20.0f, "48.0|1.0"}, case_t{10.0f, "24.0|0.5"}, case_t{0.2f, "1.0|0.0"},
                            case_t{0.0f, "1.0|0.0"}, case_t{-3.0f, "1.0|0.0"}}) {
        timer.remaining = c.remaining;
        step();
        EXPECT_EQ(shown(H, 321), c.bar) << c.remaining;
    }

    expire_timer_t weapon(20.0f, 5.0f);
    screen->set_bonus(hunt_hud_t::SLOT_WEAPON, true, &weapon, "weapon_7mm");
    EXPECT_EQ(shown(H, 330), "weapon_7mm") << "a label names the icon";
    screen->set_bonus(hunt_hud_t::SLOT_QUICK_SHOOTER, false, nullptr, nullptr);
    EXPECT_FALSE(visible(H, 320));
    EXPECT_FALSE(visible(H, 321));
    EXPECT_TRUE(visible(H, 322));
    EXPECT_EQ(screen->get_bonus_timer(hunt_hud_t::SLOT_QUICK_SHOOTER), nullptr);

    errors_expected = true;
    screen->set_bonus(4, true, &timer, nullptr);
    EXPECT_TRUE(messages.contains("The HUD has no bonus slot 4"));
    EXPECT_EQ(screen->get_bonus_timer(4), nullptr);
}

TEST_F(ingame_hud, the_fever_shows_its_clock_and_multiplier_and_the_bar_drains_at_one_a_second) {
    hunt->set_multiplier(2);
    expire_timer_t fever(20.0f, 20.0f);
    screen->set_fever(&fever);
    EXPECT_TRUE(visible(H, ingame_hud_handler_t::ITEM_FEVER_FRAME));
    EXPECT_EQ(shown(H, ingame_hud_handler_t::ITEM_FEVER_MULTIPLIER), "x 2");
    EXPECT_EQ(shown(H, ingame_hud_handler_t::ITEM_FEVER_MULTIPLIER_FX), "x 2");
    EXPECT_TRUE(effect_running(H, ingame_hud_handler_t::ITEM_FEVER_MULTIPLIER_FX));
    EXPECT_FLOAT_EQ(screen->get_fever_fill(), 1.0f);
    fever.remaining = 19.5f;
    step(25);  // 0.5 s
    EXPECT_NEAR(screen->get_fever_fill(), 0.5f, 1e-4f);
    EXPECT_EQ(shown(H, ingame_hud_handler_t::ITEM_FEVER_FILL), "0.500");
    EXPECT_TRUE(visible(H, ingame_hud_handler_t::ITEM_FEVER_FILL));
    EXPECT_TRUE(visible(H, ingame_hud_handler_t::ITEM_FEVER_TIMER));
    EXPECT_EQ(shown(H, ingame_hud_handler_t::ITEM_FEVER_TIMER), "00:19|50");
    step(26);
    EXPECT_FLOAT_EQ(screen->get_fever_fill(), 0.0f) << "not past the level";
    EXPECT_FALSE(visible(H, ingame_hud_handler_t::ITEM_FEVER_FILL));
    until_idle(ingame_hud_handler_t::ITEM_FEVER_MULTIPLIER_FX);
    EXPECT_TRUE(visible(H, ingame_hud_handler_t::ITEM_FEVER_MULTIPLIER)) << "shown once its effect ended";

    screen->set_fever(nullptr);
    EXPECT_FALSE(visible(H, ingame_hud_handler_t::ITEM_FEVER_FRAME));
    EXPECT_FALSE(visible(H, ingame_hud_handler_t::ITEM_FEVER_TIMER));
    EXPECT_FALSE(visible(H, ingame_hud_handler_t::ITEM_FEVER_MULTIPLIER));

    // Fever points fill the bar as fast.
    game().get_running_score()->fever_points = 5;
    step(25);
    EXPECT_NEAR(screen->get_fever_fill(), 0.5f, 1e-4f);
    step(30);
    EXPECT_FLOAT_EQ(screen->get_fever_fill(), 1.0f) << "not past the level";
}

TEST_F(ingame_hud, the_fever_key_calls_the_fever_and_its_announcement_shows) {
    game().get_running_score()->fever_points = 5;
    screen->show_fever_enabled();
    EXPECT_TRUE(effect_running(H, ingame_hud_handler_t::ITEM_FEVER_INFO_FX));
    EXPECT_TRUE(visible(H, ingame_hud_handler_t::ITEM_FEVER_FRAME));
    EXPECT_EQ(shown(H, ingame_hud_handler_t::ITEM_MESSAGE), "@@ui_fever_enabled@@");
    EXPECT_NE(hunt->get_pending_voice(), nullptr) << "vo.breath.control";
    EXPECT_TRUE(release_key(H, 57));
    EXPECT_NE(hunt->get_fever_bonus(), nullptr);
    EXPECT_EQ(game().get_running_score()->fever_points, 0u);
}

TEST_F(ingame_hud, danger_markers_hold_a_second_after_the_last_warning) {
    screen->show_danger(hunt_hud_t::DANGER_LEFT);
    EXPECT_TRUE(effect_running(H, 86));
    EXPECT_FALSE(effect_running(H, 87));
    step(40);
    screen->show_danger(hunt_hud_t::DANGER_LEFT);
    EXPECT_FLOAT_EQ(screen->get_danger_countdown(0), 1.0f) << "a new warning holds it again";
    step(45);
    EXPECT_TRUE(effect_running(H, 86));
    step(10);
    EXPECT_FALSE(effect_running(H, 86));
    for (int32_t side : {hunt_hud_t::DANGER_AHEAD, 0, 4}) {
        screen->show_danger(side);
        EXPECT_FALSE(effect_running(H, 86)) << side;
        EXPECT_FALSE(effect_running(H, 87)) << side;
    }
    screen->show_danger(hunt_hud_t::DANGER_RIGHT);
    EXPECT_TRUE(effect_running(H, 87));
}

TEST_F(ingame_hud, the_clock_turns_red_below_ten_and_beeps_its_last_seconds) {
    struct case_t {
        float last, now;
        const char *text, *sound;
    };
    const case_t cases[] = {
        {75.5f, 75.25f, "01:15|25", ""},
        {10.25f, 9.75f, "00:09|75", "/sound/ui/beep.ogg 0.5"},
        {9.75f, 9.25f, "\\r00:09|\\r25", ""},
        {5.5f, 2.5f, "\\r00:02|\\r50", "/sound/ui/beep.ogg 0.5"},
        {1.5f, 0.5f, "\\r00:00|\\r50", "/sound/ui/beep_end.ogg 0.5"},
        {0.5f, -1.0f, "\\r00:00|\\r00", ""},
    };
    const uint32_t beeps[] = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
    sounds();
    for (const case_t &c : cases) {
        float last = c.last;
        screen->update_timer(ingame_hud_handler_t::ITEM_TIMER, last, c.now, 10.0f, beeps, 10);
        EXPECT_EQ(shown(H, ingame_hud_handler_t::ITEM_TIMER), c.text) << c.now;
        EXPECT_EQ(sounds(), c.sound) << c.now;
        EXPECT_FLOAT_EQ(last, c.now < 0.0f ? 0.0f : c.now);
    }
}

TEST_F(ingame_hud, the_round_clock_follows_the_hunt_and_ends_with_one_end_beep) {
    // The round's result that opens at the end is not this test's.
    layout("/ui/ground.esc", "entity ui.window { }\n");
    session->close_all_windows();
    start_round(2);
    screen = hud();
    sounds();
    step();
    EXPECT_EQ(shown(H, ingame_hud_handler_t::ITEM_TIMER), "\\r00:02|\\r00") << "red from the first frame";
    EXPECT_TRUE(visible(H, ingame_hud_handler_t::ITEM_TIMER));
    std::string heard;
    for (int i = 0; i < 8; ++i) {
        run(0.25f);
        step();
        const std::string now = sounds();
        if (now.rfind("/sound/ui/", 0) == 0) heard += (heard.empty() ? "" : " | ") + now;
    }
    EXPECT_EQ(heard, "/sound/ui/beep.ogg 0.5 | /sound/ui/beep_end.ogg 0.5");
    EXPECT_FALSE(visible(H, ingame_hud_handler_t::ITEM_TIMER)) << "hidden at 0";
}

TEST_F(ingame_hud, escape_and_pause_toggle_the_menu_and_what_it_holds) {
    const int32_t impulses = impulse_counter();
    for (uint32_t key : {1u, 69u}) {
        EXPECT_TRUE(release_key(H, key));
        EXPECT_TRUE(visible(H, ingame_hud_handler_t::GROUP_MENU));
        EXPECT_TRUE(process.paused);
        EXPECT_TRUE(game_sound()->has_flag(sound_u::MUTED)) << "sound tag 20";
        EXPECT_EQ(ui_pindex(), 0);
        EXPECT_EQ(impulse_counter(), impulses - 1);
        EXPECT_TRUE(release_key(H, key));
        EXPECT_FALSE(visible(H, ingame_hud_handler_t::GROUP_MENU));
        EXPECT_FALSE(process.paused);
        EXPECT_FALSE(game_sound()->has_flag(sound_u::MUTED));
        EXPECT_EQ(ui_pindex(), -1);
        EXPECT_EQ(impulse_counter(), impulses) << key;
    }
    release_key(H, 1);
    EXPECT_TRUE(click(H, ingame_hud_handler_t::BUTTON_RETURN));
    screen->set_menu_visible(false);
    EXPECT_EQ(impulse_counter(), impulses) << "closing a closed menu gives nothing more";
    EXPECT_EQ(process.calls, (std::vector<std::string>{"pause", "resume", "pause", "resume", "pause", "resume"}));

    // A HUD that goes with its menu open gives the game back.
    release_key(H, 69);
    session->close_all_windows();
    EXPECT_FALSE(process.paused);
    EXPECT_EQ(impulse_counter(), impulses);
}

TEST_F(ingame_hud, the_forfeit_question_stops_the_hud_and_its_yes_runs_menu) {
    owner_ptr_t<test_target_u> target(test_target_u::create());
    for (bool yes : {false, true}) {
        commands.clear();
        release_key(H, 1);
        EXPECT_TRUE(click(H, ingame_hud_handler_t::BUTTON_EXIT_GAME));
        EXPECT_FALSE(visible(H, ingame_hud_handler_t::GROUP_MENU));
        EXPECT_TRUE(screen->holds_forfeit_dialog());
        EXPECT_FALSE(visible(WINDOW_DIALOG_FORFEITGAME, 101)) << "no stripes over the HUD";
        EXPECT_TRUE(process.paused) << "the question holds the game";
        step();
        const std::string kills = shown(H, ingame_hud_handler_t::ITEM_REMAINING);
        const std::string clock = shown(H, ingame_hud_handler_t::ITEM_TIMER);
        hunt->on_kill(target.get(), nullptr, false, 10.0f);
        run(1.0f);
        step(3);
        EXPECT_EQ(shown(H, ingame_hud_handler_t::ITEM_REMAINING), kills);
        EXPECT_EQ(shown(H, ingame_hud_handler_t::ITEM_TIMER), clock);
        EXPECT_TRUE(click(WINDOW_DIALOG_FORFEITGAME, yes ? 10 : 20));
        step();
        EXPECT_FALSE(screen->holds_forfeit_dialog());
        EXPECT_EQ(commands, yes ? std::vector<std::string>{"menu"} : std::vector<std::string>{});
        step();
        EXPECT_NE(shown(H, ingame_hud_handler_t::ITEM_REMAINING), kills) << "counting again";
    }
}

TEST_F(ingame_hud, counters_score_and_the_round_come_from_the_hunt) {
    EXPECT_EQ(shown(H, ingame_hud_handler_t::ITEM_REMAINING), "0|20|/");
    EXPECT_EQ(shown(H, ingame_hud_handler_t::ITEM_ROUND), "@@ui_round@@  1");
    EXPECT_TRUE(visible(H, ingame_hud_handler_t::GROUP_BONUS_UI));
    EXPECT_FALSE(visible(H, ingame_hud_handler_t::ITEM_PARTY_PLAYER));
    game().get_running_score()->score = 1000;
    hunt->get_round_score()->score = 234;
    hunt->get_round_score()->valid_kills = 3;
    step();
    EXPECT_EQ(shown(H, ingame_hud_handler_t::ITEM_REMAINING), "3|20|/");
    screen->refresh_score();
    EXPECT_EQ(shown(H, ingame_hud_handler_t::ITEM_SCORE), "1234");

    session->close_all_windows();
    const char *names[] = {"Ann", "Bob"};
    game().set_party_players(names, 2);
    game().select_player();
    game().party_round = 2;
    start_round();
    step();
    EXPECT_EQ(shown(H, ingame_hud_handler_t::ITEM_REMAINING), " |0| ");
    EXPECT_EQ(shown(H, ingame_hud_handler_t::ITEM_ROUND), "@@ui_round@@  2");
    EXPECT_FALSE(visible(H, ingame_hud_handler_t::GROUP_BONUS_UI));
    EXPECT_TRUE(visible(H, ingame_hud_handler_t::ITEM_PARTY_PLAYER));
    EXPECT_EQ(shown(H, ingame_hud_handler_t::ITEM_PARTY_PLAYER), "Ann");
}

TEST_F(ingame_hud, a_gift_notice_fills_the_translation_without_taking_it_as_a_format) {
    screen->show_gift_received("speed", "%n%s Ann");
    EXPECT_EQ(shown(H, ingame_hud_handler_t::ITEM_GIFT_MESSAGE), "@@speed_gift@@ from %n%s Ann!");
    EXPECT_TRUE(effect_running(H, ingame_hud_handler_t::ITEM_GIFT_MESSAGE));
}

TEST_F(ingame_hud, the_reload_notice_runs_once_until_it_ends) {
    screen->show_reload();
    EXPECT_TRUE(screen->is_reload_running());
    ASSERT_NE(hunt->get_pending_voice(), nullptr);
    EXPECT_STREQ(hunt->get_pending_voice()->text.c_str(), "vo.reload");
    EXPECT_EQ(hunt->get_voice_countdown(), 0.0f) << "not delayed";
    for (int i = 0; i < 300 && screen->is_reload_running(); ++i) step();
    EXPECT_FALSE(screen->is_reload_running()) << "its effect reported the end";
}

TEST_F(ingame_hud, the_crosshair_follows_the_weapon) {
    screen->show_crosshair(true);
    EXPECT_TRUE(visible(H, ingame_hud_handler_t::ITEM_CROSSHAIR));
    screen->show_crosshair(false);
    EXPECT_FALSE(visible(H, ingame_hud_handler_t::ITEM_CROSSHAIR));
}

}  // namespace
}  // namespace quarn::test
